#pragma once

#include <map>
#include <string>
#include <vector>

#include <boost/any.hpp>
#include <boost/shared_ptr.hpp>

#include "host/Export.h"
#include "host/ITableDataProvider.h"

namespace VorlatGroupBy {

// Groups the rows of a table by the joined texts of several columns, orders
// each group by a rank column, and tells which rows share a row's group and
// which row represents each group. A column list beginning with -1 means no
// grouping: every request answers with every row. Results are appended.
class VORLAT_EXPORT GroupBy {
public:
    GroupBy();
    ~GroupBy();

    // Regroups the table by columns and orders each group by rankColumn
    // (-1: row order), stably. A group with numbers in the rank column has
    // them first, ascending, and its other rows (texts, empty cells) after
    // them; a group without a number is in the order of its values.
    void Group(boost::shared_ptr<Host::ITableDataProvider> table, const std::vector<int>& columns, int rankColumn);
    // The rows of the group of row, as the table's cells read now.
    void GetGroup(boost::shared_ptr<Host::ITableDataProvider> table, int row, std::vector<int>& rows) const;
    // One row per group, in key order: its last or first. With a rank
    // column these are the group's largest and smallest number (the last
    // and the first row among equal ones); a group without a number gives
    // the last and first in its values' order.
    void GetGroupRepresentatives(boost::shared_ptr<Host::ITableDataProvider> table, std::vector<int>& rows,
                                 bool last) const;

private:
    bool WantsAllRows() const;
    std::wstring GetGroupValue(boost::shared_ptr<Host::ITableDataProvider> table, int row) const;
    void GetGroup(const std::wstring& key, std::vector<int>& rows) const;
    void GetAllRows(boost::shared_ptr<Host::ITableDataProvider> table, std::vector<int>& rows) const;
    // Orders each group's rows by their rank values (one per table row).
    void Rank(const std::vector<boost::any>& rankValues);

    struct Members {
        std::vector<int> rows; // in rank order
        std::size_t last = 0;  // position of the last representative in rows
    };

    std::vector<int> m_Columns;
    std::map<std::wstring, Members> m_Groups;
};

} // namespace VorlatGroupBy
