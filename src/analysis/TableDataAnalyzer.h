#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include <boost/any.hpp>
#include <boost/shared_ptr.hpp>

#include "analysis/GroupRankRecords.h"
#include "analysis/RowGroups.h"
#include "analysis/TDMQueryLimits.h"
#include "host/ITableDataProvider.h"

namespace VorlatImportExport {

// Groups the rows of one table by the text of a grouping column and records,
// for every numerical column at once, each group's largest and smallest
// value with the row that holds it. One pass over the table per grouping
// column; later requests are answered from what it recorded. Nothing is ever
// forgotten: a changed table is not analysed again.
//
// Group values are the texts TableDataUtil::BoostAny2WString gives for the
// grouping cells (empty cells and structures: the empty text). A negative
// grouping column means no grouping: every row.
class VORLAT_EXPORT TableDataAnalyzer {
public:
    explicit TableDataAnalyzer(boost::shared_ptr<Host::ITableDataProvider> table);
    // Copies own copies of every group and record.
    TableDataAnalyzer(const TableDataAnalyzer& other);
    TableDataAnalyzer& operator=(const TableDataAnalyzer& other);
    virtual ~TableDataAnalyzer();

    // Replaces the table; what was recorded before stays and answers.
    void SetTableDataProvider(boost::shared_ptr<Host::ITableDataProvider> table);
    boost::shared_ptr<Host::ITableDataProvider> GetTableDataProvider() const;

    // rows := the rows of the named groups (all groups for an empty list).
    void GetGroups(int groupColumn, const std::vector<std::wstring>& groupValues, std::vector<int>& rows);
    // rows := per named group (all for an empty list), the row of its
    // largest or smallest value in the rank column.
    void GetRankedGroups(int groupColumn, int rankColumn, const std::vector<std::wstring>& groupValues,
                         std::vector<int>& rows, TDM_Query_Limits limit);
    // The largest and smallest of the groups' chosen extremes; without
    // grouping, of the whole column. Outputs untouched when there is none.
    void GetRankValueLimits(int groupColumn, int rankColumn, boost::any& largest, boost::any& smallest,
                            TDM_Query_Limits limit);

private:
    using RanksMap = std::map<std::wstring, GroupRankRecords*>;

    void AnalyzeTable(int groupColumn);
    void GetNumericalColsInTable(std::map<int, bool>& columns);
    void BuildRanksMapIteratorLookup(int groupColumn, const std::map<int, bool>& columns,
                                     std::vector<RanksMap::iterator>& lookup);
    std::wstring GetKeyForRanksMap(int groupColumn, int rankColumn) const;
    void GetNoGroupingLimits(int column, boost::any& largest, boost::any& smallest);
    void GetNoGroupingLimitsFromTable(int column, boost::any& largest, boost::any& smallest);
    void GetNoGroupingLimitsFromRankValues(int column, boost::any& largest, boost::any& smallest);
    void GetAllRows(std::vector<int>& rows);
    // The records of a grouping and a numerical rank column, analysing the
    // table when they are missing; null when there are none.
    GroupRankRecords* RanksFor(int groupColumn, int rankColumn);
    void Clear();

    boost::shared_ptr<Host::ITableDataProvider> m_TableDataProvider;
    std::map<int, RowGroups*> m_RowGroupsMap;
    RanksMap m_RanksMap;
    std::map<int, std::pair<boost::any, boost::any>> m_NoGroupingLimitsMap;
};

} // namespace VorlatImportExport
