#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "analysis/TableDataAnalyzer.h"
#include "support/MemoryTable.h"

using VorlatImportExport::TableDataAnalyzer;
using VorlatImportExport::TDM_Query_Maxs;
using VorlatImportExport::TDM_Query_Mins;
using Rows = std::vector<int>;

namespace {

boost::any W(const wchar_t* text) { return boost::any(std::wstring(text)); }

// group, rank (int), text rank (numbers as texts), label, empty-first column
boost::shared_ptr<Host::ITableDataProvider> Table()
{
    return VorlatTest::MakeTable({L"group", L"rank", L"texts", L"label", L"mixed"},
                                 {
                                     {W(L"a"), boost::any(5), W(L""), W(L"x"), W(L"")},
                                     {W(L"b"), boost::any(2.5f), W(L"3"), W(L"y"), W(L"3")},
                                     {W(L"a"), boost::any(9), W(L"2.5"), W(L"z"), boost::any()},
                                     {W(L"a"), boost::any(9), W(L" 12"), W(L"w"), W(L"2.5")},
                                     {boost::any(), boost::any(1), W(L"word"), W(L"v"), W(L"")},
                                 });
}

} // namespace

TEST(TableDataAnalyzer, GroupsAndExtremes)
{
    TableDataAnalyzer analyzer(Table());
    Rows rows{99};
    analyzer.GetGroups(0, {}, rows);
    EXPECT_EQ(rows, (Rows{4, 0, 2, 3, 1})); // empty group first, then a, b
    analyzer.GetGroups(0, {L"b", L"x", L"a"}, rows);
    EXPECT_EQ(rows, (Rows{1, 0, 2, 3}));
    analyzer.GetGroups(0, {L"x"}, rows);
    EXPECT_TRUE(rows.empty());

    analyzer.GetRankedGroups(0, 1, {}, rows, TDM_Query_Maxs);
    EXPECT_EQ(rows, (Rows{4, 2, 1})); // the first of two equal maxima
    analyzer.GetRankedGroups(0, 1, {L"a"}, rows, TDM_Query_Mins);
    EXPECT_EQ(rows, (Rows{0}));
    // Texts rebuilt as numbers: " 12" (read without its blank), "2.5", and
    // the empty text as text, which sorts after every number.
    analyzer.GetRankedGroups(0, 2, {L"a"}, rows, TDM_Query_Maxs);
    EXPECT_EQ(rows, (Rows{0}));
    analyzer.GetRankedGroups(0, 2, {L"a"}, rows, TDM_Query_Mins);
    EXPECT_EQ(rows, (Rows{2}));
    analyzer.GetRankedGroups(0, 3, {}, rows, TDM_Query_Maxs); // "x" in row 0: not numerical
    EXPECT_TRUE(rows.empty());

    boost::any largest = 7, smallest = 7;
    analyzer.GetRankValueLimits(0, 3, largest, smallest, TDM_Query_Maxs);
    EXPECT_EQ(boost::any_cast<int>(largest), 7);
    analyzer.GetRankValueLimits(0, 1, largest, smallest, TDM_Query_Maxs);
    EXPECT_EQ(boost::any_cast<int>(largest), 9);
    EXPECT_EQ(boost::any_cast<int>(smallest), 1);

    // Asked again after a failed ranked request, the groups hold each row once.
    analyzer.GetGroups(0, {L"a"}, rows);
    EXPECT_EQ(rows, (Rows{0, 2, 3}));

    // Grouping by a numerical column keys its values as texts.
    analyzer.GetRankedGroups(1, 1, {L"9"}, rows, TDM_Query_Mins);
    EXPECT_EQ(rows, (Rows{2}));
}

TEST(TableDataAnalyzer, NoGroupingAndBadArguments)
{
    TableDataAnalyzer analyzer(Table());
    Rows rows{99};
    analyzer.GetGroups(-1, {L"a"}, rows);
    EXPECT_EQ(rows, (Rows{0, 1, 2, 3, 4}));
    analyzer.GetRankedGroups(-3, 42, {}, rows, TDM_Query_Mins);
    EXPECT_EQ(rows.size(), 5u);

    // Column limits from the table itself: numbers only.
    boost::any largest, smallest;
    analyzer.GetRankValueLimits(-1, 1, largest, smallest, TDM_Query_Maxs);
    EXPECT_EQ(boost::any_cast<int>(largest), 9);
    EXPECT_EQ(boost::any_cast<int>(smallest), 1);
    // No numbers: outputs stay, and that is cached.
    boost::any a = std::wstring(L"keep"), b;
    analyzer.GetRankValueLimits(-1, 3, a, b, TDM_Query_Maxs);
    EXPECT_EQ(boost::any_cast<std::wstring>(a), L"keep");
    boost::any c, d;
    analyzer.GetRankValueLimits(-1, 3, c, d, TDM_Query_Maxs);
    EXPECT_EQ(boost::any_cast<std::wstring>(c), L"keep");

    for (int column : {-2, 5, 99}) {
        rows = {1};
        analyzer.GetRankedGroups(0, column, {}, rows, TDM_Query_Maxs);
        EXPECT_TRUE(rows.empty()) << column;
        analyzer.GetGroups(column < 0 ? 7 : column, {}, rows);
        EXPECT_TRUE(rows.empty()) << column;
    }

    TableDataAnalyzer none(nullptr);
    rows = {1};
    none.GetGroups(0, {}, rows);
    none.GetRankedGroups(-1, 0, {}, rows, TDM_Query_Maxs);
    EXPECT_EQ(rows, (Rows{1}));

    TableDataAnalyzer empty(VorlatTest::MakeTable({L"g", L"r"}, {}));
    empty.GetRankedGroups(0, 1, {}, rows, TDM_Query_Maxs);
    EXPECT_TRUE(rows.empty());
}

TEST(TableDataAnalyzer, CopiesAreIndependentAndKeepAnswering)
{
    Rows rows;
    TableDataAnalyzer* original = new TableDataAnalyzer(Table());
    original->GetRankedGroups(0, 1, {}, rows, TDM_Query_Maxs);
    TableDataAnalyzer copy(*original);
    TableDataAnalyzer assigned(nullptr);
    assigned = copy;
    delete original;
    // Recorded results answer even after the table is gone.
    copy.SetTableDataProvider(VorlatTest::MakeTable({L"x", L"y"}, {{W(L"q"), W(L"r")}}));
    copy.GetRankedGroups(0, 1, {L"a"}, rows, TDM_Query_Maxs);
    EXPECT_EQ(rows, (Rows{2}));
    assigned.GetGroups(0, {L"b"}, rows);
    EXPECT_EQ(rows, (Rows{1}));
    // Without grouping, limits come from the recorded values of the column.
    boost::any largest, smallest;
    assigned.GetRankValueLimits(-1, 1, largest, smallest, TDM_Query_Maxs);
    EXPECT_EQ(boost::any_cast<int>(largest), 9);
    EXPECT_EQ(boost::any_cast<int>(smallest), 1);
}
