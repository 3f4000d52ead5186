#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "analysis/TDMQuery.h"
#include "support/MemoryTable.h"
#include "views/FilteredTableDataProvider.h"

using namespace VorlatImportExport;
using Rows = std::vector<int>;
using Texts = std::vector<std::wstring>;

namespace {

boost::any W(const wchar_t* text) { return boost::any(std::wstring(text)); }

boost::shared_ptr<Host::ITableDataProvider> Table()
{
    return VorlatTest::MakeTable({L"name", L"group", L"score"}, {
                                                                    {W(L"a"), W(L"g2"), boost::any(3)},
                                                                    {W(L"c"), W(L"g1"), boost::any(8)},
                                                                    {W(L"b"), W(L"g2"), boost::any(7)},
                                                                    {W(L"c"), W(L"g1"), boost::any(1)},
                                                                    {boost::any(), W(L"g3"), boost::any(5)},
                                                                });
}

Rows RowsOf(TDMQuery& query, boost::shared_ptr<Host::ITableDataProvider> table,
            boost::shared_ptr<TableDataAnalyzer> analyzer)
{
    Rows rows;
    query.GetRows(rows, table, analyzer);
    return rows;
}

} // namespace

TEST(TDMQuery, RowsOfEachQuery)
{
    const auto table = Table();
    const boost::shared_ptr<TableDataAnalyzer> analyzer(new TableDataAnalyzer(table));

    TDMGetEqualToQuery equal(0, {L"b", L"c", L"c"}, {});
    EXPECT_EQ(RowsOf(equal, table, nullptr), (Rows{1}));
    TDMGetEqualToQuery empty(0, {L""}, {});
    EXPECT_EQ(RowsOf(empty, table, analyzer), (Rows{4}));
    TDMGetEqualToQuery none(0, {L"zz"}, {});
    EXPECT_TRUE(RowsOf(none, table, analyzer).empty());

    TDMGetGroupByQuery groups(1, {L"g2", L"g1"}, {});
    EXPECT_EQ(RowsOf(groups, table, analyzer), (Rows{0, 2, 1, 3}));
    TDMGetGroupByQuery noGroups(1, {}, {});
    EXPECT_TRUE(RowsOf(noGroups, table, analyzer).empty());

    TDMGetMaxsQuery maxs(1, 2, {}, {});
    EXPECT_EQ(RowsOf(maxs, table, analyzer), (Rows{1, 2, 4}));
    TDMGetMinsQuery mins(1, 2, {L"g2", L"nope"}, {});
    EXPECT_EQ(RowsOf(mins, table, analyzer), (Rows{0}));
    TDMGetMinsQuery textRank(1, 0, {}, {});
    EXPECT_TRUE(RowsOf(textRank, table, analyzer).empty());

    // Without a table or an analyzer: nothing.
    EXPECT_TRUE(RowsOf(maxs, nullptr, analyzer).empty());
    EXPECT_TRUE(RowsOf(groups, table, nullptr).empty());
    EXPECT_TRUE(RowsOf(equal, nullptr, analyzer).empty());
}

TEST(TDMQuery, ViewsOfEachQuery)
{
    const auto table = Table();
    const boost::shared_ptr<TableDataAnalyzer> analyzer(new TableDataAnalyzer(table));

    TDMGetMaxsQuery maxs(1, 2, {L"g1"}, {L"x", L"score", L"name", L"score"});
    auto view = maxs.Query(table, analyzer);
    ASSERT_TRUE(view);
    EXPECT_EQ(view->GetRowCount(), 1);
    EXPECT_EQ(view->GetColumnCount(), 3);
    EXPECT_EQ(boost::any_cast<int>(view->GetCellData(0, 0)), 8);
    EXPECT_EQ(view->GetColumnTitle(1), L"name");
    EXPECT_EQ(dynamic_cast<FilteredTableDataProvider&>(*view).ConvertFilteredToFullRow(0), 1);

    TDMGetGroupByQuery noGroups(1, {}, {L"group"});
    view = noGroups.Query(table, analyzer);
    ASSERT_TRUE(view);
    EXPECT_EQ(view->GetRowCount(), 0);
    EXPECT_EQ(view->GetColumnCount(), 1);

    TDMGetMinsQuery textRank(1, 0, {}, {});
    view = textRank.Query(table, analyzer);
    ASSERT_TRUE(view);
    EXPECT_EQ(view->GetRowCount(), 0);
    EXPECT_EQ(view->GetColumnCount(), 3);

    TDMGetEqualToQuery equal(0, {L"b"}, {L"score"});
    view = equal.Query(table, nullptr);
    ASSERT_TRUE(view);
    EXPECT_EQ(boost::any_cast<int>(view->GetCellData(0, 0)), 7);

    EXPECT_FALSE(maxs.Query(nullptr, analyzer));
    EXPECT_FALSE(maxs.Query(table, nullptr));
    EXPECT_FALSE(equal.Query(nullptr, analyzer));

    // Copies share nothing that one could destroy under the other.
    TDMGetMaxsQuery* original = new TDMGetMaxsQuery(1, 2, {}, {});
    TDMGetMaxsQuery copy(*original);
    TDMQuery* held = new TDMGetMinsQuery(1, 2, {}, {});
    delete original;
    delete held;
    EXPECT_EQ(RowsOf(copy, table, analyzer), (Rows{1, 2, 4}));
}
