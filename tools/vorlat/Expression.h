#pragma once

// Row tests written the way people ask them: "MW < 500 and logP <= 5",
// "name ~ 'azole$'", "not (`IC50 (uM)` is empty)".
//
//   expression := term ("or" term)*
//   term       := factor ("and" factor)*
//   factor     := "not" factor | "(" expression ")" | test
//   test       := column ("<" | "<=" | ">" | ">=" | "=" | "==" | "!=") value
//               | column "~" text | column "is" ["not"] "empty"
//   column     := a name of letters, digits, "_" and "." | `any title`
//   value      := a number | 'text' | "text"
//
// Keywords are case-blind. A number compares with a cell that holds a
// number, as numbers; a text compares with the cell's text as shown, as
// texts (byte order). "~" searches the cell's text for a regular
// expression (ECMAScript). A cell without a value is empty; it answers no
// comparison.
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include <boost/any.hpp>

#include "host/ITableDataProvider.h"

namespace vorlat {

class Expression {
public:
    // Parses text against the table's column titles; throws UserError that
    // names the place and what was expected ("--where, at 5: column `logp`
    // not found; did you mean `logP`?").
    Expression(const std::string& text, Host::ITableDataProvider& table);
    ~Expression();
    Expression(const Expression&) = delete;
    Expression& operator=(const Expression&) = delete;

    // Whether the row passes; reads only the columns the expression names.
    bool Matches(Host::ITableDataProvider& table, int row) const;
    // The columns the expression names, each once.
    const std::vector<int>& Columns() const { return m_Columns; }

    struct Node;

private:
    std::unique_ptr<Node> m_Root;
    std::vector<int> m_Columns;
};

// Whether a cell value is a number (int, float or double), and its value.
bool CellNumber(const boost::any& value, double& number);

} // namespace vorlat
