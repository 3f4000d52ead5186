#include <algorithm>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "analysis/GroupRankRecords.h"
#include "analysis/TableDataAnalyzer.h"
#include "host/TableDataProviderUtilities.h"
#include "support/MemoryTable.h"
#include "text/CsvDataProvider.h"

using VorlatImportExport::TableDataAnalyzer;
using VorlatImportExport::TDM_Query_Maxs;
using VorlatImportExport::TDM_Query_Mins;
using Rows = std::vector<int>;

namespace Chem {
class ChemDoc;
}

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
    // Texts rebuilt as numbers: " 12" (read without its blank) and "2.5";
    // the empty text of row 0 is no number and loses to both.
    analyzer.GetRankedGroups(0, 2, {L"a"}, rows, TDM_Query_Maxs);
    EXPECT_EQ(rows, (Rows{3}));
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

TEST(TableDataAnalyzer, NumbersOutrankTextsAndEmptyCells)
{
    // One group per case; its rank cells in row order.
    struct Case {
        const wchar_t* group;
        std::vector<boost::any> cells;
        int max, min; // positions within the group
    };
    const std::vector<Case> cases = {
        {L"number then NA", {boost::any(5), W(L"NA")}, 0, 0},
        {L"NA, empty, numbers", {W(L"NA"), boost::any(3), boost::any(), boost::any(7.5)}, 3, 1},
        {L"empty texts around one", {W(L""), boost::any(2.5f), W(L"")}, 1, 1},
        {L"number as text", {W(L"zz"), W(L"12"), boost::any(-1)}, 1, 2},
        {L"structure", {boost::any(static_cast<Chem::ChemDoc*>(nullptr)), boost::any(-4)}, 1, 1},
        // Without any number the texts decide, the empty text lowest.
        {L"texts only", {W(L"NA"), boost::any(), W(L"n/a")}, 2, 1},
    };
    std::vector<std::vector<boost::any>> cells{{W(L"first"), boost::any(0)}}; // row 0 makes column 1 numerical
    std::vector<int> firstRow;
    for (const Case& c : cases) {
        firstRow.push_back(static_cast<int>(cells.size()));
        for (const boost::any& cell : c.cells)
            cells.push_back({W(c.group), cell});
    }
    TableDataAnalyzer analyzer(VorlatTest::MakeTable({L"g", L"v"}, cells));
    Rows rows;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        analyzer.GetRankedGroups(0, 1, {cases[i].group}, rows, TDM_Query_Maxs);
        EXPECT_EQ(rows, (Rows{firstRow[i] + cases[i].max})) << cases[i].group;
        analyzer.GetRankedGroups(0, 1, {cases[i].group}, rows, TDM_Query_Mins);
        EXPECT_EQ(rows, (Rows{firstRow[i] + cases[i].min})) << cases[i].group;
    }
    // Across groups too the limits are numbers: the texts-only group's "n/a"
    // is no group's largest maximum, nor "" the smallest minimum.
    boost::any largest, smallest;
    analyzer.GetRankValueLimits(0, 1, largest, smallest, TDM_Query_Maxs);
    EXPECT_EQ(boost::any_cast<int>(largest), 12); // "12" as text reads as the number
    EXPECT_EQ(boost::any_cast<int>(smallest), -4);
    analyzer.GetRankValueLimits(0, 1, largest, smallest, TDM_Query_Mins);
    EXPECT_EQ(boost::any_cast<int>(largest), 5);
    EXPECT_EQ(boost::any_cast<int>(smallest), -4);
}

TEST(TableDataAnalyzer, RankValuesKeepEveryDigit)
{
    // Integers of 10 and 12 digits that float would merge, as a file gives
    // them and as texts (after a number in row 0, which makes the column
    // numerical).
    const std::string csv = "g,v\na,1500000050\na,1500000001\nb,123456789012\nb,123456789013\n";
    std::istringstream stream(csv);
    const boost::shared_ptr<Host::ITableDataProvider> file(new VorlatImportExport::CsvDataProvider(stream));
    const auto texts = VorlatTest::MakeTable({L"Index", L"g", L"v"}, {{boost::any(1), W(L"a"), boost::any(1500000050)},
                                                                      {boost::any(2), W(L"a"), W(L"1500000001")},
                                                                      {boost::any(3), W(L"b"), W(L"123456789012")},
                                                                      {boost::any(4), W(L"b"), W(L"123456789013")}});
    for (const auto& table : {file, texts}) {
        TableDataAnalyzer analyzer(table);
        Rows rows;
        analyzer.GetRankedGroups(1, 2, {}, rows, TDM_Query_Maxs);
        EXPECT_EQ(rows, (Rows{0, 3}));
        analyzer.GetRankedGroups(1, 2, {}, rows, TDM_Query_Mins);
        EXPECT_EQ(rows, (Rows{1, 2}));
        boost::any largest, smallest;
        analyzer.GetRankValueLimits(1, 2, largest, smallest, TDM_Query_Maxs);
        EXPECT_EQ(boost::any_cast<double>(largest), 123456789013.0);
        EXPECT_EQ(boost::any_cast<int>(smallest), 1500000050);
    }
}

TEST(TableDataAnalyzer, ColumnLimitsDoNotDependOnEarlierRequests)
{
    // Per column of Table(), the limits a new analyzer gives, then the same
    // after the analysis of a grouping column has recorded every column.
    const boost::any keep = std::wstring(L"keep");
    const auto limits = [&](TableDataAnalyzer& analyzer, int column) {
        std::pair<boost::any, boost::any> result(keep, keep);
        analyzer.GetRankValueLimits(-1, column, result.first, result.second, TDM_Query_Maxs);
        return result;
    };
    const auto same = [](const boost::any& a, const boost::any& b) {
        return a.type() == b.type() && Host::TableDataProviderUtilities::Compare(a, b) == 0;
    };
    const auto table = VorlatTest::MakeTable(
        {L"group", L"rank", L"texts", L"mixed", L"ties"},
        {
            {W(L"b"), boost::any(5), W(L""), W(L""), boost::any(2.0f)},
            {W(L"a"), boost::any(2.5f), W(L"3"), boost::any(4), boost::any(2)},
            {W(L"a"), boost::any(9), W(L"2.5"), W(L"NA"), boost::any(-1)},
            {W(L"b"), boost::any(9.0), W(L"x"), boost::any(), boost::any(-1.0)},
        });
    for (int column = 1; column < 5; ++column) {
        TableDataAnalyzer fresh(table);
        const auto expected = limits(fresh, column);
        for (int request = 0; request < 2; ++request) {
            TableDataAnalyzer analyzer(table);
            Rows rows;
            if (request == 0)
                analyzer.GetGroups(0, {}, rows);
            else
                analyzer.GetRankedGroups(0, column, {}, rows, TDM_Query_Maxs);
            const auto got = limits(analyzer, column);
            EXPECT_TRUE(same(got.first, expected.first)) << column << " after request " << request;
            EXPECT_TRUE(same(got.second, expected.second)) << column << " after request " << request;
        }
    }
    // The table's own answers: the first of equal values, numbers only.
    TableDataAnalyzer analyzer(table);
    EXPECT_EQ(boost::any_cast<int>(limits(analyzer, 1).first), 9);
    EXPECT_EQ(boost::any_cast<std::wstring>(limits(analyzer, 2).first), L"keep");
    EXPECT_EQ(boost::any_cast<int>(limits(analyzer, 3).second), 4);
    EXPECT_EQ(boost::any_cast<float>(limits(analyzer, 4).first), 2.0f);
    EXPECT_EQ(boost::any_cast<int>(limits(analyzer, 4).second), -1);
}

TEST(TableDataAnalyzer, GroupsInCodeUnitOrderWhateverTheUnitsTheyHold)
{
    // Group texts in table order, the same in code unit order, and texts
    // that name no group (a prefix, an extension, and units that a narrower
    // store would cut to ones present).
    struct Case {
        std::vector<std::wstring> texts, sorted, absent;
    };
    std::vector<Case> cases = {
        {{L"b", L"ab", L"", L"B", L"a"}, {L"", L"B", L"a", L"ab", L"b"}, {L"A", L"abc", std::wstring(1, L'\0')}},
        {{L"\xFF", L"e", L"\xE9"}, {L"e", L"\xE9", L"\xFF"}, {L"\x165", L"\x1FF", L"\xE9 "}},
        {{L"\x4E2D", L"\xFF", L"z"}, {L"z", L"\xFF", L"\x4E2D"}, {L"\x14E2D", L"\x10FF", L"\x17A"}},
    };
    if (sizeof(wchar_t) == 4)
        cases.push_back({{L"\x10000", std::wstring(1, static_cast<wchar_t>(0x80000000u)), L"\xFFFF", L"a"},
                         {L"a", L"\xFFFF", L"\x10000", std::wstring(1, static_cast<wchar_t>(0x80000000u))},
                         {L"\x20000", L"b"}});
    for (const Case& c : cases) {
        // Each text in two rows: row i and row i + n.
        std::vector<std::vector<boost::any>> cells;
        for (int copy = 0; copy < 2; ++copy)
            for (const std::wstring& text : c.texts)
                cells.push_back({boost::any(text), boost::any(static_cast<int>(cells.size()))});
        TableDataAnalyzer analyzer(VorlatTest::MakeTable({L"g", L"v"}, cells));
        const int n = static_cast<int>(c.texts.size());
        Rows expected, maxima, rows;
        for (const std::wstring& text : c.sorted) {
            const int first = static_cast<int>(std::find(c.texts.begin(), c.texts.end(), text) - c.texts.begin());
            expected.insert(expected.end(), {first, first + n});
            maxima.push_back(first + n);
            analyzer.GetGroups(0, {text}, rows);
            EXPECT_EQ(rows, (Rows{first, first + n}));
        }
        analyzer.GetGroups(0, {}, rows);
        EXPECT_EQ(rows, expected);
        analyzer.GetRankedGroups(0, 1, {}, rows, TDM_Query_Maxs);
        EXPECT_EQ(rows, maxima);
        analyzer.GetGroups(0, c.absent, rows);
        EXPECT_TRUE(rows.empty());
        analyzer.GetRankedGroups(0, 1, c.absent, rows, TDM_Query_Mins);
        EXPECT_TRUE(rows.empty());
    }
}

TEST(TableDataAnalyzer, ManyGroupsAgreeWithAPlainReckoning)
{
    using Host::TableDataProviderUtilities;
    // Rank cells of every kind; the plain reckoning compares them with
    // Compare, numbers winning over texts and empty cells (the empty text).
    const auto rankValue = [](const boost::any& cell) { return cell.empty() ? W(L"") : cell; };
    const auto beats = [](const boost::any& a, const boost::any& b, int sign) {
        if (TableDataProviderUtilities::IsNumeric(a) != TableDataProviderUtilities::IsNumeric(b))
            return TableDataProviderUtilities::IsNumeric(a);
        return TableDataProviderUtilities::Compare(a, b) * sign > 0;
    };
    std::mt19937 random(7);
    for (const int keyCount : {40, 3000}) { // many rows a group, then about one
        std::vector<std::vector<boost::any>> cells;
        std::map<std::wstring, Rows> groups;
        for (int row = 0; row < 3000; ++row) {
            const std::wstring key = L"K" + std::to_wstring(random() % static_cast<unsigned>(keyCount));
            boost::any value;
            switch (random() % 7) {
            case 0: value = static_cast<int>(random() % 50); break;
            case 1: value = static_cast<float>(random() % 100) / 4; break;
            case 2: value = 1e10 + static_cast<double>(random() % 5); break;
            case 3: value = W(random() % 2 ? L"NA" : L"n/a"); break;
            case 4: break; // empty
            default: value = -static_cast<double>(random() % 3) / 3;
            }
            cells.push_back({W(key.c_str()), row == 0 ? boost::any(0) : value});
            groups[key].push_back(row);
        }
        TableDataAnalyzer analyzer(VorlatTest::MakeTable({L"g", L"v"}, cells));
        for (const auto limit : {TDM_Query_Maxs, TDM_Query_Mins}) {
            const int sign = limit == TDM_Query_Maxs ? 1 : -1;
            Rows expected;
            boost::any high, low;
            for (const auto& [key, rows] : groups) {
                int best = rows.front();
                for (int row : rows)
                    if (beats(rankValue(cells[row][1]), rankValue(cells[best][1]), sign))
                        best = row;
                expected.push_back(best);
                const boost::any value = rankValue(cells[best][1]);
                if (high.empty() || beats(value, high, 1))
                    high = value;
                if (low.empty() || beats(value, low, -1))
                    low = value;
            }
            Rows rows;
            analyzer.GetRankedGroups(0, 1, {}, rows, limit);
            EXPECT_EQ(rows, expected) << keyCount;
            boost::any largest, smallest;
            analyzer.GetRankValueLimits(0, 1, largest, smallest, limit);
            EXPECT_EQ(largest.type(), high.type()) << keyCount;
            EXPECT_EQ(TableDataProviderUtilities::Compare(largest, high), 0) << keyCount;
            EXPECT_EQ(smallest.type(), low.type()) << keyCount;
            EXPECT_EQ(TableDataProviderUtilities::Compare(smallest, low), 0) << keyCount;
        }
        Rows expected, rows;
        for (const auto& [key, members] : groups)
            expected.insert(expected.end(), members.begin(), members.end());
        analyzer.GetGroups(0, {}, rows);
        EXPECT_EQ(rows, expected);
    }
}

TEST(GroupRankRecords, NumbersWinOverTextsForBothExtremes)
{
    struct Case {
        std::vector<const wchar_t*> texts; // rank texts of rows 0, 1, ...
        int max, min;
    };
    const std::vector<Case> cases = {
        {{L"NA", L"", L"5", L"x", L"12", L"12.0"}, 4, 2},
        {{L"7", L""}, 0, 0},
        {{L"NA", L"", L"n/a"}, 2, 1}, // no number: the texts decide
    };
    for (const Case& c : cases) {
        VorlatImportExport::GroupRankRecords records;
        for (std::size_t row = 0; row < c.texts.size(); ++row)
            records.AddValue(std::wstring(L"g"), std::wstring(c.texts[row]), static_cast<int>(row));
        Rows rows;
        records.GetRows({}, rows, TDM_Query_Maxs);
        records.GetRows({L"g"}, rows, TDM_Query_Mins);
        EXPECT_EQ(rows, (Rows{c.max, c.min})) << c.texts.front();
    }
}
