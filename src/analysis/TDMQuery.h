#pragma once

#include <set>
#include <string>
#include <vector>

#include <boost/shared_ptr.hpp>

#include "analysis/TDMQueryLimits.h"
#include "analysis/TableDataAnalyzer.h"
#include "host/Export.h"
#include "host/ITableDataProvider.h"

namespace VorlatImportExport {

// A row query: built with its parameters, then run against a table and an
// analyzer. GetRows appends row numbers (the analyzer's own answers clear
// the list first); Query builds a view (FilteredTableDataProvider) of the
// chosen rows and the named columns (all for an empty name list), or returns
// an empty handle without a table or an analyzer.
class VORLAT_EXPORT TDMQuery {
public:
    TDMQuery() = default;
    TDMQuery(const TDMQuery&) = default;
    TDMQuery& operator=(const TDMQuery&) = default;

    virtual void GetRows(std::vector<int>& rows, boost::shared_ptr<Host::ITableDataProvider> table,
                         boost::shared_ptr<TableDataAnalyzer> analyzer) = 0;
    virtual boost::shared_ptr<Host::ITableDataProvider> Query(boost::shared_ptr<Host::ITableDataProvider> table,
                                                              boost::shared_ptr<TableDataAnalyzer> analyzer) = 0;
    virtual ~TDMQuery();
};

// The first row whose cell in a column reads exactly as one of given texts.
class VORLAT_EXPORT TDMGetEqualToQuery : public TDMQuery {
public:
    TDMGetEqualToQuery(int column, const std::vector<std::wstring>& equalToValues,
                       const std::vector<std::wstring>& columnNames);
    TDMGetEqualToQuery(const TDMGetEqualToQuery&) = default;
    TDMGetEqualToQuery& operator=(const TDMGetEqualToQuery&) = default;

    void GetRows(std::vector<int>& rows, boost::shared_ptr<Host::ITableDataProvider> table,
                 boost::shared_ptr<TableDataAnalyzer> analyzer) override;
    // A view of the row GetRows finds (none when none matches) and the named
    // columns; the analyzer is not needed.
    boost::shared_ptr<Host::ITableDataProvider> Query(boost::shared_ptr<Host::ITableDataProvider> table,
                                                      boost::shared_ptr<TableDataAnalyzer> analyzer) override;
    ~TDMGetEqualToQuery() override;

private:
    void SaveEqualToValues(const std::vector<std::wstring>& values);

    int m_Column;
    std::set<std::wstring> m_EqualToValues;
    std::vector<std::wstring> m_ColumnNames;
};

// All rows of the named groups of a grouping column (none for no names).
class VORLAT_EXPORT TDMGetGroupByQuery : public TDMQuery {
public:
    TDMGetGroupByQuery(int groupColumn, const std::vector<std::wstring>& groupValues,
                       const std::vector<std::wstring>& columnNames);
    TDMGetGroupByQuery(const TDMGetGroupByQuery&) = default;
    TDMGetGroupByQuery& operator=(const TDMGetGroupByQuery&) = default;

    void GetRows(std::vector<int>& rows, boost::shared_ptr<Host::ITableDataProvider> table,
                 boost::shared_ptr<TableDataAnalyzer> analyzer) override;
    boost::shared_ptr<Host::ITableDataProvider> Query(boost::shared_ptr<Host::ITableDataProvider> table,
                                                      boost::shared_ptr<TableDataAnalyzer> analyzer) override;
    ~TDMGetGroupByQuery() override;

private:
    int m_GroupColumn;
    std::vector<std::wstring> m_GroupValues;
    std::vector<std::wstring> m_ColumnNames;
};

// What the maximum and the minimum queries share.
class VORLAT_EXPORT TDMGetLimitsQueryImpl {
public:
    TDMGetLimitsQueryImpl(TDM_Query_Limits limit, int groupColumn, int rankColumn,
                          const std::vector<std::wstring>& groupValues, const std::vector<std::wstring>& columnNames);
    virtual ~TDMGetLimitsQueryImpl();
    virtual boost::shared_ptr<Host::ITableDataProvider> Query(boost::shared_ptr<Host::ITableDataProvider> table,
                                                              boost::shared_ptr<TableDataAnalyzer> analyzer);
    virtual void GetRows(std::vector<int>& rows, boost::shared_ptr<Host::ITableDataProvider> table,
                         boost::shared_ptr<TableDataAnalyzer> analyzer);

private:
    TDM_Query_Limits m_Limit;
    int m_GroupColumn;
    int m_RankColumn;
    std::vector<std::wstring> m_GroupValues;
    std::vector<std::wstring> m_ColumnNames;
};

// Per named group (every group for no names), the row of its largest value
// in the rank column. Copies share the (unchanging) implementation.
class VORLAT_EXPORT TDMGetMaxsQuery : public TDMQuery {
public:
    TDMGetMaxsQuery(int groupColumn, int rankColumn, const std::vector<std::wstring>& groupValues,
                    const std::vector<std::wstring>& columnNames);
    TDMGetMaxsQuery(const TDMGetMaxsQuery&) = default;
    TDMGetMaxsQuery& operator=(const TDMGetMaxsQuery&) = default;

    void GetRows(std::vector<int>& rows, boost::shared_ptr<Host::ITableDataProvider> table,
                 boost::shared_ptr<TableDataAnalyzer> analyzer) override;
    boost::shared_ptr<Host::ITableDataProvider> Query(boost::shared_ptr<Host::ITableDataProvider> table,
                                                      boost::shared_ptr<TableDataAnalyzer> analyzer) override;
    ~TDMGetMaxsQuery() override;

private:
    boost::shared_ptr<TDMGetLimitsQueryImpl> m_Impl;
};

// Per named group (every group for no names), the row of its smallest value
// in the rank column. Copies share the (unchanging) implementation.
class VORLAT_EXPORT TDMGetMinsQuery : public TDMQuery {
public:
    TDMGetMinsQuery(int groupColumn, int rankColumn, const std::vector<std::wstring>& groupValues,
                    const std::vector<std::wstring>& columnNames);
    TDMGetMinsQuery(const TDMGetMinsQuery&) = default;
    TDMGetMinsQuery& operator=(const TDMGetMinsQuery&) = default;

    void GetRows(std::vector<int>& rows, boost::shared_ptr<Host::ITableDataProvider> table,
                 boost::shared_ptr<TableDataAnalyzer> analyzer) override;
    boost::shared_ptr<Host::ITableDataProvider> Query(boost::shared_ptr<Host::ITableDataProvider> table,
                                                      boost::shared_ptr<TableDataAnalyzer> analyzer) override;
    ~TDMGetMinsQuery() override;

private:
    boost::shared_ptr<TDMGetLimitsQueryImpl> m_Impl;
};

} // namespace VorlatImportExport
