#include "analysis/GroupBy.h"

#include <algorithm>

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

void GroupBy::AddGroupValue(const std::wstring& key, int row) { m_Groups[key].push_back(row); }

void GroupBy::GetGroup(const std::wstring& key, std::vector<int>& rows) const
{
    const auto found = m_Groups.find(key);
    if (found == m_Groups.end())
        return;
    rows.reserve(rows.size() + found->second.size());
    rows.insert(rows.end(), found->second.begin(), found->second.end());
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
    const int count = table->GetRowCount();
    for (int row = 0; row < count; ++row)
        AddGroupValue(GetGroupValue(table, row), row);
    Rank(table, rankColumn);
}

void GroupBy::Rank(boost::shared_ptr<Host::ITableDataProvider> table, int rankColumn)
{
    if (rankColumn == -1)
        return;
    for (auto& [key, rows] : m_Groups) {
        // Each row's rank value read once, then a stable sort by Compare:
        // equal values keep their order.
        std::vector<std::pair<boost::any, int>> ranked;
        ranked.reserve(rows.size());
        for (int row : rows)
            ranked.emplace_back(table->GetCellData(row, rankColumn), row);
        std::stable_sort(ranked.begin(), ranked.end(), [](const auto& a, const auto& b) {
            return Host::TableDataProviderUtilities::Compare(a.first, b.first) < 0;
        });
        for (std::size_t i = 0; i < rows.size(); ++i)
            rows[i] = ranked[i].second;
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
        if (!group.empty())
            rows.push_back(last ? group.back() : group.front());
}

} // namespace VorlatGroupBy
