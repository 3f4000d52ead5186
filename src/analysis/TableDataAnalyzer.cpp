#include "analysis/TableDataAnalyzer.h"

#include <unordered_map>

#include "frame/TableDataUtil.h"
#include "host/CfxFormat.h"
#include "host/TableDataProviderUtilities.h"

namespace VorlatImportExport {

TableDataAnalyzer::TableDataAnalyzer(boost::shared_ptr<Host::ITableDataProvider> table)
    : m_TableDataProvider(std::move(table))
{
}

TableDataAnalyzer::TableDataAnalyzer(const TableDataAnalyzer& other) { *this = other; }

TableDataAnalyzer& TableDataAnalyzer::operator=(const TableDataAnalyzer& other)
{
    if (this == &other)
        return *this;
    Clear();
    m_TableDataProvider = other.m_TableDataProvider;
    for (const auto& [column, groups] : other.m_RowGroupsMap)
        m_RowGroupsMap.emplace(column, new RowGroups(*groups));
    for (const auto& [key, records] : other.m_RanksMap)
        m_RanksMap.emplace(key, new GroupRankRecords(*records));
    m_NoGroupingLimitsMap = other.m_NoGroupingLimitsMap;
    return *this;
}

TableDataAnalyzer::~TableDataAnalyzer() { Clear(); }

void TableDataAnalyzer::Clear()
{
    for (auto& [column, groups] : m_RowGroupsMap)
        delete groups;
    m_RowGroupsMap.clear();
    for (auto& [key, records] : m_RanksMap)
        delete records;
    m_RanksMap.clear();
    m_NoGroupingLimitsMap.clear();
    m_TableDataProvider.reset();
}

void TableDataAnalyzer::SetTableDataProvider(boost::shared_ptr<Host::ITableDataProvider> table)
{
    m_TableDataProvider = std::move(table);
}

boost::shared_ptr<Host::ITableDataProvider> TableDataAnalyzer::GetTableDataProvider() const
{
    return m_TableDataProvider;
}

std::wstring TableDataAnalyzer::GetKeyForRanksMap(int groupColumn, int rankColumn) const
{
    return Host::CfxFormat(L"%1-%2") << groupColumn << rankColumn;
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

void TableDataAnalyzer::BuildRanksMapIteratorLookup(int groupColumn, const std::map<int, bool>& columns,
                                                    std::vector<RanksMap::iterator>& lookup)
{
    for (const auto& [column, flag] : columns) {
        const std::wstring key = GetKeyForRanksMap(groupColumn, column);
        auto found = m_RanksMap.find(key);
        if (found == m_RanksMap.end())
            found = m_RanksMap.emplace(key, new GroupRankRecords).first;
        lookup.push_back(found);
    }
}

void TableDataAnalyzer::AnalyzeTable(int groupColumn)
{
    if (!m_TableDataProvider)
        return;
    Host::ITableDataProvider& table = *m_TableDataProvider;
    const int rowCount = table.GetRowCount();
    const int columnCount = table.GetColumnCount();
    if (groupColumn < 0 || groupColumn >= columnCount)
        return;

    RowGroups* groups = nullptr;
    auto existing = m_RowGroupsMap.find(groupColumn);
    if (existing == m_RowGroupsMap.end())
        groups = m_RowGroupsMap.emplace(groupColumn, new RowGroups).first->second;

    std::map<int, bool> numerical;
    GetNumericalColsInTable(numerical);
    std::vector<RanksMap::iterator> lookup;
    BuildRanksMapIteratorLookup(groupColumn, numerical, lookup);
    std::vector<int> columns;
    for (const auto& [column, flag] : numerical)
        columns.push_back(column);

    // Each distinct group value gets a number on first sight, so that per
    // cell the group's record is found in a list, not by comparing texts.
    std::unordered_map<std::wstring, std::size_t> groupNumbers;
    std::vector<RowGroup*> groupOf;
    std::vector<std::vector<GroupRankRecord*>> recordOf(columns.size());
    std::vector<std::wstring> groupTexts;

    for (int row = 0; row < rowCount; ++row) {
        const std::wstring group = TableDataUtil::BoostAny2WString(table.GetCellData(row, groupColumn));
        auto [number, added] = groupNumbers.try_emplace(group, groupTexts.size());
        if (added) {
            groupTexts.push_back(group);
            groupOf.push_back(groups ? groups->FindOrAddGroup(group) : nullptr);
            for (std::size_t i = 0; i < columns.size(); ++i)
                recordOf[i].push_back(lookup[i]->second->Find(group));
        }
        const std::size_t g = number->second;
        if (groups)
            groupOf[g]->m_Rows.push_back(row);
        for (std::size_t i = 0; i < columns.size(); ++i) {
            const boost::any value =
                GroupRankRecord::RankValue(TableDataUtil::BoostAny2WString(table.GetCellData(row, columns[i])));
            GroupRankRecord*& record = recordOf[i][g];
            if (record)
                record->Update(value, row);
            else
                record = lookup[i]->second->AddValue(group, value, row);
        }
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
    if (GroupRankRecords* records = RanksFor(groupColumn, rankColumn))
        records->GetRows(groupValues, rows, limit);
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
    if (GroupRankRecords* records = RanksFor(groupColumn, rankColumn))
        records->GetValueLimits(largest, smallest, limit);
}

GroupRankRecords* TableDataAnalyzer::RanksFor(int groupColumn, int rankColumn)
{
    const int columnCount = m_TableDataProvider->GetColumnCount();
    if (groupColumn >= columnCount || rankColumn < 0 || rankColumn >= columnCount)
        return nullptr;
    const std::wstring key = GetKeyForRanksMap(groupColumn, rankColumn);
    if (m_RanksMap.find(key) == m_RanksMap.end())
        AnalyzeTable(groupColumn);
    // Still missing: the rank column is not numerical.
    const auto found = m_RanksMap.find(key);
    return found != m_RanksMap.end() ? found->second : nullptr;
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
    if (!m_RanksMap.empty())
        GetNoGroupingLimitsFromRankValues(column, largest, smallest);
    else
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

void TableDataAnalyzer::GetNoGroupingLimitsFromRankValues(int column, boost::any& largest, boost::any& smallest)
{
    const std::wstring rankPart = Host::CfxFormat(L"-%1") << column;
    // The first key, in key order, whose part after the hyphen is the column.
    RanksMap::const_iterator match = m_RanksMap.end();
    for (auto at = m_RanksMap.begin(); at != m_RanksMap.end(); ++at) {
        const std::wstring& key = at->first;
        const std::size_t hyphen = key.find(L'-');
        if (hyphen != std::wstring::npos && key.compare(hyphen, std::wstring::npos, rankPart) == 0) {
            match = at;
            break;
        }
    }
    if (match == m_RanksMap.end()) {
        GetNoGroupingLimitsFromTable(column, largest, smallest);
        return;
    }
    const auto& records = match->second->GetRecords();
    if (!records.empty()) {
        auto at = records.begin();
        largest = at->second->m_MaxValue;
        smallest = at->second->m_MinValue;
        for (++at; at != records.end(); ++at) {
            if (Host::TableDataProviderUtilities::Compare(largest, at->second->m_MaxValue) < 0)
                largest = at->second->m_MaxValue;
            if (Host::TableDataProviderUtilities::Compare(smallest, at->second->m_MinValue) > 0)
                smallest = at->second->m_MinValue;
        }
    }
    m_NoGroupingLimitsMap[column] = std::make_pair(largest, smallest);
}

} // namespace VorlatImportExport
