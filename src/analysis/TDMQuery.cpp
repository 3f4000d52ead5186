#include "analysis/TDMQuery.h"

#include "frame/TableDataUtil.h"
#include "views/FilteredTableDataProvider.h"

namespace VorlatImportExport {

namespace {

// The view's columns: the named ones in the order named (names matching no
// title are left out), or all for no names.
std::vector<int> ViewColumns(const boost::shared_ptr<Host::ITableDataProvider>& table,
                             const std::vector<std::wstring>& names)
{
    std::vector<int> columns;
    if (names.empty()) {
        for (int column = 0; column < table->GetColumnCount(); ++column)
            columns.push_back(column);
        return columns;
    }
    for (const std::wstring& name : names) {
        const int column = TableDataUtil::FindColumnFromTable(table, name);
        if (column >= 0)
            columns.push_back(column);
    }
    return columns;
}

boost::shared_ptr<Host::ITableDataProvider> View(const boost::shared_ptr<Host::ITableDataProvider>& table,
                                                 const std::vector<int>& rows, const std::vector<int>& columns)
{
    return boost::shared_ptr<Host::ITableDataProvider>(new FilteredTableDataProvider(table, rows, columns));
}

} // namespace

TDMQuery::~TDMQuery() = default;

// --- equal to ---------------------------------------------------------------

TDMGetEqualToQuery::TDMGetEqualToQuery(int column, const std::vector<std::wstring>& equalToValues,
                                       const std::vector<std::wstring>& columnNames)
    : m_Column(column), m_ColumnNames(columnNames)
{
    SaveEqualToValues(equalToValues);
}

TDMGetEqualToQuery::~TDMGetEqualToQuery() = default;

void TDMGetEqualToQuery::SaveEqualToValues(const std::vector<std::wstring>& values)
{
    m_EqualToValues.insert(values.begin(), values.end());
}

void TDMGetEqualToQuery::GetRows(std::vector<int>& rows, boost::shared_ptr<Host::ITableDataProvider> table,
                                 boost::shared_ptr<TableDataAnalyzer>)
{
    if (!table)
        return;
    const int count = table->GetRowCount();
    for (int row = 0; row < count; ++row) {
        if (m_EqualToValues.count(TableDataUtil::BoostAny2WString(table->GetCellData(row, m_Column)))) {
            rows.push_back(row);
            return;
        }
    }
}

boost::shared_ptr<Host::ITableDataProvider> TDMGetEqualToQuery::Query(
    boost::shared_ptr<Host::ITableDataProvider> table, boost::shared_ptr<TableDataAnalyzer> analyzer)
{
    if (!table)
        return boost::shared_ptr<Host::ITableDataProvider>();
    std::vector<int> rows;
    GetRows(rows, table, analyzer);
    return View(table, rows, ViewColumns(table, m_ColumnNames));
}

// --- group by ---------------------------------------------------------------

TDMGetGroupByQuery::TDMGetGroupByQuery(int groupColumn, const std::vector<std::wstring>& groupValues,
                                       const std::vector<std::wstring>& columnNames)
    : m_GroupColumn(groupColumn), m_GroupValues(groupValues), m_ColumnNames(columnNames)
{
}

TDMGetGroupByQuery::~TDMGetGroupByQuery() = default;

void TDMGetGroupByQuery::GetRows(std::vector<int>& rows, boost::shared_ptr<Host::ITableDataProvider> table,
                                 boost::shared_ptr<TableDataAnalyzer> analyzer)
{
    if (table && analyzer && !m_GroupValues.empty())
        analyzer->GetGroups(m_GroupColumn, m_GroupValues, rows);
}

boost::shared_ptr<Host::ITableDataProvider> TDMGetGroupByQuery::Query(
    boost::shared_ptr<Host::ITableDataProvider> table, boost::shared_ptr<TableDataAnalyzer> analyzer)
{
    if (!table)
        return boost::shared_ptr<Host::ITableDataProvider>();
    const std::vector<int> columns = ViewColumns(table, m_ColumnNames);
    if (!analyzer)
        return boost::shared_ptr<Host::ITableDataProvider>();
    std::vector<int> rows;
    if (!m_GroupValues.empty())
        analyzer->GetGroups(m_GroupColumn, m_GroupValues, rows);
    return View(table, rows, columns);
}

// --- limits -----------------------------------------------------------------

TDMGetLimitsQueryImpl::TDMGetLimitsQueryImpl(TDM_Query_Limits limit, int groupColumn, int rankColumn,
                                             const std::vector<std::wstring>& groupValues,
                                             const std::vector<std::wstring>& columnNames)
    : m_Limit(limit), m_GroupColumn(groupColumn), m_RankColumn(rankColumn), m_GroupValues(groupValues),
      m_ColumnNames(columnNames)
{
}

TDMGetLimitsQueryImpl::~TDMGetLimitsQueryImpl() = default;

void TDMGetLimitsQueryImpl::GetRows(std::vector<int>& rows, boost::shared_ptr<Host::ITableDataProvider> table,
                                    boost::shared_ptr<TableDataAnalyzer> analyzer)
{
    if (table && analyzer)
        analyzer->GetRankedGroups(m_GroupColumn, m_RankColumn, m_GroupValues, rows, m_Limit);
}

boost::shared_ptr<Host::ITableDataProvider> TDMGetLimitsQueryImpl::Query(
    boost::shared_ptr<Host::ITableDataProvider> table, boost::shared_ptr<TableDataAnalyzer> analyzer)
{
    if (!table)
        return boost::shared_ptr<Host::ITableDataProvider>();
    const std::vector<int> columns = ViewColumns(table, m_ColumnNames);
    if (!analyzer)
        return boost::shared_ptr<Host::ITableDataProvider>();
    std::vector<int> rows;
    analyzer->GetRankedGroups(m_GroupColumn, m_RankColumn, m_GroupValues, rows, m_Limit);
    return View(table, rows, columns);
}

TDMGetMaxsQuery::TDMGetMaxsQuery(int groupColumn, int rankColumn, const std::vector<std::wstring>& groupValues,
                                 const std::vector<std::wstring>& columnNames)
    : m_Impl(new TDMGetLimitsQueryImpl(TDM_Query_Maxs, groupColumn, rankColumn, groupValues, columnNames))
{
}

TDMGetMaxsQuery::~TDMGetMaxsQuery() = default;

void TDMGetMaxsQuery::GetRows(std::vector<int>& rows, boost::shared_ptr<Host::ITableDataProvider> table,
                              boost::shared_ptr<TableDataAnalyzer> analyzer)
{
    m_Impl->GetRows(rows, table, analyzer);
}

boost::shared_ptr<Host::ITableDataProvider> TDMGetMaxsQuery::Query(boost::shared_ptr<Host::ITableDataProvider> table,
                                                                   boost::shared_ptr<TableDataAnalyzer> analyzer)
{
    return m_Impl->Query(table, analyzer);
}

TDMGetMinsQuery::TDMGetMinsQuery(int groupColumn, int rankColumn, const std::vector<std::wstring>& groupValues,
                                 const std::vector<std::wstring>& columnNames)
    : m_Impl(new TDMGetLimitsQueryImpl(TDM_Query_Mins, groupColumn, rankColumn, groupValues, columnNames))
{
}

TDMGetMinsQuery::~TDMGetMinsQuery() = default;

void TDMGetMinsQuery::GetRows(std::vector<int>& rows, boost::shared_ptr<Host::ITableDataProvider> table,
                              boost::shared_ptr<TableDataAnalyzer> analyzer)
{
    m_Impl->GetRows(rows, table, analyzer);
}

boost::shared_ptr<Host::ITableDataProvider> TDMGetMinsQuery::Query(boost::shared_ptr<Host::ITableDataProvider> table,
                                                                   boost::shared_ptr<TableDataAnalyzer> analyzer)
{
    return m_Impl->Query(table, analyzer);
}

} // namespace VorlatImportExport
