#include "analysis/TableDataAnalyzer.h"

#include <string_view>

#include "analysis/GroupKeys.h"
#include "analysis/GroupedRows.h"
#include "analysis/RankExtremes.h"
#include "frame/TableDataUtil.h"
#include "host/TableDataProviderUtilities.h"

namespace VorlatImportExport {

namespace {

// The largest and smallest number cell of a column, the first of equal ones.
struct ColumnLimits {
    void Add(const RankExtremes::Value& value)
    {
        if (!seen || RankExtremes::Compare(largest, value) < 0)
            largest = value;
        if (!seen || RankExtremes::Compare(smallest, value) > 0)
            smallest = value;
        seen = true;
    }

    bool seen = false;
    RankExtremes::Value largest, smallest;
};

} // namespace

TableDataAnalyzer::TableDataAnalyzer(boost::shared_ptr<Host::ITableDataProvider> table)
    : m_TableDataProvider(std::move(table))
{
}

TableDataAnalyzer::TableDataAnalyzer(const TableDataAnalyzer& other) = default;

TableDataAnalyzer& TableDataAnalyzer::operator=(const TableDataAnalyzer& other) = default;

TableDataAnalyzer::~TableDataAnalyzer() = default;

void TableDataAnalyzer::SetTableDataProvider(boost::shared_ptr<Host::ITableDataProvider> table)
{
    m_TableDataProvider = std::move(table);
}

boost::shared_ptr<Host::ITableDataProvider> TableDataAnalyzer::GetTableDataProvider() const
{
    return m_TableDataProvider;
}

void TableDataAnalyzer::GetNumericalColsInTable(std::map<int, bool>& columns)
{
    Host::ITableDataProvider& table = *m_TableDataProvider;
    if (table.GetRowCount() <= 0)
        return;
    const int count = table.GetColumnCount();
    for (int column = 0; column < count; ++column) {
        const boost::any value = table.GetCellData(0, column);
        if (Host::TableDataProviderUtilities::IsNumeric(value))
            columns[column] = true;
        else if (value.type() == typeid(std::wstring) && boost::any_cast<const std::wstring&>(value).empty())
            columns[column] = false;
    }
}

void TableDataAnalyzer::AnalyzeTable(int groupColumn)
{
    if (!m_TableDataProvider)
        return;
    Host::ITableDataProvider& table = *m_TableDataProvider;
    const int rowCount = table.GetRowCount();
    if (groupColumn < 0 || groupColumn >= table.GetColumnCount())
        return;

    // What is missing: the groups, and the extremes of numerical columns
    // (recognised from row 0) not yet recorded for this grouping. Recorded
    // results stay as they are.
    const bool fillGroups = m_RowGroupsMap.find(groupColumn) == m_RowGroupsMap.end();
    std::map<int, bool> numerical;
    GetNumericalColsInTable(numerical);
    std::vector<int> columns;
    for (const auto& [column, flag] : numerical)
        if (m_RanksMap.find(RanksKey(groupColumn, column)) == m_RanksMap.end())
            columns.push_back(column);
    if (!fillGroups && columns.empty())
        return;

    // One pass in row order. Groups are numbered in order of first sight
    // and put in key order at the end; numbers are compared as the cells
    // hold them, texts as GroupRankRecord::RankValue types them.
    GroupKeys::Numbering numbering;
    std::vector<std::uint32_t> groupOfRow;
    if (fillGroups)
        groupOfRow.reserve(static_cast<std::size_t>(rowCount > 0 ? rowCount : 0));
    std::vector<RankExtremes> extremes(columns.size());
    std::vector<ColumnLimits> limits(columns.size());
    std::wstring text;
    boost::any holder;
    for (int row = 0; row < rowCount; ++row) {
        const boost::any groupCell = table.GetCellData(row, groupColumn);
        const std::wstring* groupText = boost::any_cast<std::wstring>(&groupCell);
        if (!groupText) {
            text = TableDataUtil::BoostAny2WString(groupCell);
            groupText = &text;
        }
        const std::uint32_t group = numbering.Number(*groupText);
        if (fillGroups)
            groupOfRow.push_back(group);
        for (std::size_t i = 0; i < columns.size(); ++i) {
            const boost::any cell = table.GetCellData(row, columns[i]);
            const RankExtremes::Value value = RankExtremes::Value::OfCell(cell, holder);
            // The column's own limits take numbers as cells hold them, not
            // numbers read from texts.
            if (Host::TableDataProviderUtilities::IsNumeric(cell))
                limits[i].Add(value);
            extremes[i].Add(group, value, row);
        }
    }

    const std::vector<std::uint32_t> order = numbering.SortedOrder();
    const auto keys = std::make_shared<const GroupKeys>(numbering, order);
    numbering = GroupKeys::Numbering();
    if (fillGroups) {
        m_RowGroupsMap.emplace(groupColumn, std::make_shared<const GroupedRows>(keys, groupOfRow, order));
        std::vector<std::uint32_t>().swap(groupOfRow);
    }
    for (std::size_t i = 0; i < columns.size(); ++i) {
        extremes[i].Finish(keys, order);
        m_RanksMap.emplace(RanksKey(groupColumn, columns[i]), std::make_shared<const RankExtremes>(std::move(extremes[i])));
        // The same limits a read of the column alone gives; a column without
        // a number is left to that read, which keeps the caller's outputs.
        if (limits[i].seen)
            m_NoGroupingLimitsMap.emplace(columns[i],
                                          std::make_pair(limits[i].largest.ToAny(), limits[i].smallest.ToAny()));
    }
}

void TableDataAnalyzer::GetAllRows(std::vector<int>& rows)
{
    const int count = m_TableDataProvider->GetRowCount();
    rows.reserve(rows.size() + static_cast<std::size_t>(count > 0 ? count : 0));
    for (int row = 0; row < count; ++row)
        rows.push_back(row);
}

void TableDataAnalyzer::GetGroups(int groupColumn, const std::vector<std::wstring>& groupValues,
                                  std::vector<int>& rows)
{
    if (!m_TableDataProvider)
        return;
    rows.clear();
    if (groupColumn < 0) {
        GetAllRows(rows);
        return;
    }
    if (groupColumn >= m_TableDataProvider->GetColumnCount())
        return;
    if (m_RowGroupsMap.find(groupColumn) == m_RowGroupsMap.end())
        AnalyzeTable(groupColumn);
    const auto found = m_RowGroupsMap.find(groupColumn);
    if (found != m_RowGroupsMap.end())
        found->second->GetRows(groupValues, rows);
}

void TableDataAnalyzer::GetRankedGroups(int groupColumn, int rankColumn, const std::vector<std::wstring>& groupValues,
                                        std::vector<int>& rows, TDM_Query_Limits limit)
{
    if (!m_TableDataProvider)
        return;
    rows.clear();
    if (groupColumn < 0) {
        GetAllRows(rows);
        return;
    }
    if (const RankExtremes* extremes = RanksFor(groupColumn, rankColumn))
        extremes->GetRows(groupValues, rows, limit);
}

void TableDataAnalyzer::GetRankValueLimits(int groupColumn, int rankColumn, boost::any& largest,
                                           boost::any& smallest, TDM_Query_Limits limit)
{
    if (!m_TableDataProvider)
        return;
    if (groupColumn < 0) {
        GetNoGroupingLimits(rankColumn, largest, smallest);
        return;
    }
    if (const RankExtremes* extremes = RanksFor(groupColumn, rankColumn))
        extremes->GetValueLimits(largest, smallest, limit);
}

const RankExtremes* TableDataAnalyzer::RanksFor(int groupColumn, int rankColumn)
{
    const int columnCount = m_TableDataProvider->GetColumnCount();
    if (groupColumn >= columnCount || rankColumn < 0 || rankColumn >= columnCount)
        return nullptr;
    const RanksKey key(groupColumn, rankColumn);
    if (m_RanksMap.find(key) == m_RanksMap.end())
        AnalyzeTable(groupColumn);
    // Still missing: the rank column is not numerical.
    const auto found = m_RanksMap.find(key);
    return found != m_RanksMap.end() ? found->second.get() : nullptr;
}

void TableDataAnalyzer::GetNoGroupingLimits(int column, boost::any& largest, boost::any& smallest)
{
    if (column < 0 || column >= m_TableDataProvider->GetColumnCount())
        return;
    const auto cached = m_NoGroupingLimitsMap.find(column);
    if (cached != m_NoGroupingLimitsMap.end()) {
        largest = cached->second.first;
        smallest = cached->second.second;
        return;
    }
    GetNoGroupingLimitsFromTable(column, largest, smallest);
}

void TableDataAnalyzer::GetNoGroupingLimitsFromTable(int column, boost::any& largest, boost::any& smallest)
{
    Host::ITableDataProvider& table = *m_TableDataProvider;
    const int rowCount = table.GetRowCount();
    bool first = true;
    for (int row = 0; row < rowCount; ++row) {
        const boost::any value = table.GetCellData(row, column);
        if (!Host::TableDataProviderUtilities::IsNumeric(value))
            continue;
        if (first) {
            largest = smallest = value;
            first = false;
            continue;
        }
        if (Host::TableDataProviderUtilities::Compare(largest, value) < 0)
            largest = value;
        if (Host::TableDataProviderUtilities::Compare(smallest, value) > 0)
            smallest = value;
    }
    m_NoGroupingLimitsMap[column] = std::make_pair(largest, smallest);
}

} // namespace VorlatImportExport
