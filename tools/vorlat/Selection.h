#pragma once

#include <string>
#include <vector>

#include "host/ITableDataProvider.h"

namespace vorlat {

// Reads a row slice "A:B" as the tool's users write it: rows numbered as the
// row titles show them (from 1), both ends included, either end optional
// ("5:", ":20", ":"), a single number for one row, and negative numbers
// counting from the end (-1 is the last row). Returns the 0-based rows,
// clipped to the table. Throws UserError for text that is no slice.
std::vector<int> ParseRowSlice(const std::string& text, int rowCount);

// Every row of the table.
std::vector<int> AllRows(int rowCount);

// Resolves column names, each a title or a 0-based column number (a title
// wins), into column numbers in the order given. An empty list gives every
// column. Throws UserError naming the columns that exist when a name matches
// none.
std::vector<int> ResolveColumns(const std::vector<std::string>& names, Host::ITableDataProvider& table);

} // namespace vorlat
