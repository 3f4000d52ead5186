#pragma once

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <boost/any.hpp>
#include <boost/shared_ptr.hpp>

#include "analysis/TDMQueryLimits.h"
#include "host/ITableDataProvider.h"

namespace VorlatImportExport {

class GroupedRows;
class RankExtremes;

// Groups the rows of one table by the text of a grouping column and records,
// for every numerical column at once, each group's largest and smallest
// value with the row that holds it. One pass over the table per grouping
// column; later requests are answered from what it recorded. Nothing is ever
// forgotten: a changed table is not analysed again.
//
// Group values are the texts TableDataUtil::BoostAny2WString gives for the
// grouping cells (empty cells and structures: the empty text). A negative
// grouping column means no grouping: every row.
//
// A group's extremes are numbers whenever it holds a number: texts and empty
// cells never win over one (see RankExtremes). What a pass records is held
// compactly and never changes, so copies share it.
class VORLAT_EXPORT TableDataAnalyzer {
public:
    explicit TableDataAnalyzer(boost::shared_ptr<Host::ITableDataProvider> table);
    // Copies share the recorded results, which never change.
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
    // grouping, the largest and smallest number the column's cells hold
    // (the first of equal ones). Outputs untouched when there is none.
    void GetRankValueLimits(int groupColumn, int rankColumn, boost::any& largest, boost::any& smallest,
                            TDM_Query_Limits limit);

private:
    // A grouping column and a rank column.
    using RanksKey = std::pair<int, int>;

    void AnalyzeTable(int groupColumn);
    void GetNumericalColsInTable(std::map<int, bool>& columns);
    void GetNoGroupingLimits(int column, boost::any& largest, boost::any& smallest);
    void GetNoGroupingLimitsFromTable(int column, boost::any& largest, boost::any& smallest);
    void GetAllRows(std::vector<int>& rows);
    // The extremes of a grouping and a numerical rank column, analysing the
    // table when they are missing; null when there are none.
    const RankExtremes* RanksFor(int groupColumn, int rankColumn);

    boost::shared_ptr<Host::ITableDataProvider> m_TableDataProvider;
    std::map<int, std::shared_ptr<const GroupedRows>> m_RowGroupsMap;
    std::map<RanksKey, std::shared_ptr<const RankExtremes>> m_RanksMap;
    // Per column without grouping: its largest and its smallest number.
    std::map<int, std::pair<boost::any, boost::any>> m_NoGroupingLimitsMap;
};

} // namespace VorlatImportExport
