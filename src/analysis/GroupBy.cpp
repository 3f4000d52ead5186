#include "analysis/GroupBy.h"

#include <algorithm>
#include <unordered_map>

#include "frame/TableDataUtil.h"
#include "host/TableDataProviderUtilities.h"

namespace VorlatGroupBy {

GroupBy::GroupBy() = default;

GroupBy::~GroupBy() = default;

bool GroupBy::WantsAllRows() const { return !m_Columns.empty() && m_Columns.front() == -1; }

std::wstring GroupBy::GetGroupValue(boost::shared_ptr<Host::ITableDataProvider> table, int row) const
{
    std::wstring key;
    for (int column : m_Columns)
        key += VorlatImportExport::TableDataUtil::BoostAny2WString(table->GetCellData(row, column));
    return key;
}

void GroupBy::GetGroup(const std::wstring& key, std::vector<int>& rows) const
{
    const auto found = m_Groups.find(key);
    if (found == m_Groups.end())
        return;
    const std::vector<int>& members = found->second.rows;
    rows.reserve(rows.size() + members.size());
    rows.insert(rows.end(), members.begin(), members.end());
}

void GroupBy::GetAllRows(boost::shared_ptr<Host::ITableDataProvider> table, std::vector<int>& rows) const
{
    const int count = table->GetRowCount();
    rows.reserve(rows.size() + static_cast<std::size_t>(count > 0 ? count : 0));
    for (int row = 0; row < count; ++row)
        rows.push_back(row);
}

void GroupBy::Group(boost::shared_ptr<Host::ITableDataProvider> table, const std::vector<int>& columns, int rankColumn)
{
    if (!table)
        return;
    m_Columns = columns;
    m_Groups.clear();
    if (WantsAllRows())
        return;
    // One pass in row order reads each row's grouping cells and rank cell
    // (a file provider then reads each line once); groups are found by hash
    // while they are built and ordered by key at the end.
    const int count = table->GetRowCount();
    std::vector<boost::any> rankValues;
    if (rankColumn != -1)
        rankValues.resize(static_cast<std::size_t>(count > 0 ? count : 0));
    std::unordered_map<std::wstring, std::size_t> numbers;
    std::vector<std::vector<int>> groups;
    for (int row = 0; row < count; ++row) {
        auto [at, added] = numbers.try_emplace(GetGroupValue(table, row), groups.size());
        if (added)
            groups.emplace_back();
        groups[at->second].push_back(row);
        if (rankColumn != -1)
            rankValues[static_cast<std::size_t>(row)] = table->GetCellData(row, rankColumn);
    }
    for (auto& [key, number] : numbers) {
        std::vector<int>& rows = groups[number];
        const std::size_t last = rows.size() - 1;
        m_Groups.emplace(key, Members{std::move(rows), last});
    }
    if (rankColumn != -1)
        Rank(rankValues);
}

void GroupBy::Rank(const std::vector<boost::any>& rankValues)
{
    using Host::TableDataProviderUtilities;
    const auto value = [&](int row) -> const boost::any& { return rankValues[static_cast<std::size_t>(row)]; };
    const auto isNumber = [&](int row) { return TableDataProviderUtilities::IsNumeric(value(row)); };
    // A stable sort, numbers before everything else (Compare would put empty
    // cells before them and texts after them), then by Compare: rows of
    // equal values keep their order. The last representative is the largest
    // number, or the last row of a group without one.
    for (auto& [key, group] : m_Groups) {
        std::stable_sort(group.rows.begin(), group.rows.end(), [&](int a, int b) {
            if (isNumber(a) != isNumber(b))
                return isNumber(a);
            return TableDataProviderUtilities::Compare(value(a), value(b)) < 0;
        });
        const auto numbers = static_cast<std::size_t>(std::count_if(group.rows.begin(), group.rows.end(), isNumber));
        group.last = (numbers > 0 ? numbers : group.rows.size()) - 1;
    }
}

void GroupBy::GetGroup(boost::shared_ptr<Host::ITableDataProvider> table, int row, std::vector<int>& rows) const
{
    if (!table)
        return;
    if (WantsAllRows()) {
        GetAllRows(table, rows);
        return;
    }
    GetGroup(GetGroupValue(table, row), rows);
}

void GroupBy::GetGroupRepresentatives(boost::shared_ptr<Host::ITableDataProvider> table, std::vector<int>& rows,
                                      bool last) const
{
    if (WantsAllRows()) {
        if (table)
            GetAllRows(table, rows);
        return;
    }
    rows.reserve(rows.size() + m_Groups.size());
    for (const auto& [key, group] : m_Groups)
        rows.push_back(group.rows[last ? group.last : 0]);
}

} // namespace VorlatGroupBy
