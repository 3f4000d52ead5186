#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "analysis/GroupBy.h"
#include "support/MemoryTable.h"

using VorlatGroupBy::GroupBy;
using Rows = std::vector<int>;

namespace {

boost::any W(const wchar_t* text) { return boost::any(std::wstring(text)); }

// Column 0: a, a1; column 1: 1b, b (rows 0 and 1 join to the same key);
// column 2: x, y, x, x; column 3: rank values.
boost::shared_ptr<Host::ITableDataProvider> Table(const std::vector<int>& ranks)
{
    std::vector<std::vector<boost::any>> rows;
    const wchar_t* first[] = {L"a", L"a1", L"c", L"c"};
    const wchar_t* second[] = {L"1b", L"b", L"d", L"d"};
    const wchar_t* third[] = {L"x", L"y", L"x", L"x"};
    for (int r = 0; r < 4; ++r)
        rows.push_back({W(first[r]), W(second[r]), W(third[r]), boost::any(ranks[static_cast<std::size_t>(r)])});
    return VorlatTest::MakeTable({L"p", L"q", L"g", L"rank"}, rows);
}

} // namespace

TEST(GroupBy, RepresentativesAndMembers)
{
    GroupBy grouping;
    Rows rows{42};
    grouping.GetGroupRepresentatives(Table({0, 0, 0, 0}), rows, false);
    EXPECT_EQ(rows, (Rows{42})); // nothing grouped yet

    auto table = Table({5, 1, 2, 2});
    grouping.Group(table, {2}, -1);
    rows = {42};
    grouping.GetGroupRepresentatives(table, rows, false);
    EXPECT_EQ(rows, (Rows{42, 0, 1}));
    rows.clear();
    grouping.GetGroupRepresentatives(table, rows, true);
    EXPECT_EQ(rows, (Rows{3, 1}));

    grouping.Group(table, {2}, 3);
    rows.clear();
    grouping.GetGroup(table, 3, rows);
    EXPECT_EQ(rows, (Rows{2, 3, 0}));
    rows.clear();
    grouping.GetGroupRepresentatives(table, rows, true);
    EXPECT_EQ(rows, (Rows{0, 1}));

    // Equal rank values: first is the lower row, last the higher.
    auto ties = Table({7, 1, 7, 0});
    grouping.Group(ties, {2}, 3);
    rows.clear();
    grouping.GetGroup(ties, 0, rows);
    EXPECT_EQ(rows, (Rows{3, 0, 2}));

    // Joined texts: "a" + "1b" and "a1" + "b" are one key.
    grouping.Group(table, {0, 1}, -1);
    rows.clear();
    grouping.GetGroup(table, 1, rows);
    EXPECT_EQ(rows, (Rows{0, 1}));

    // No columns: one group; -1 first: every row, no groups.
    grouping.Group(table, {}, 3);
    rows.clear();
    grouping.GetGroupRepresentatives(table, rows, false);
    grouping.GetGroupRepresentatives(table, rows, true);
    EXPECT_EQ(rows, (Rows{1, 0}));
    grouping.Group(table, {-1, 2}, 3);
    rows.clear();
    grouping.GetGroup(table, 2, rows);
    EXPECT_EQ(rows, (Rows{0, 1, 2, 3}));
    grouping.Group(nullptr, {2}, -1); // nothing changes
    rows.clear();
    grouping.GetGroupRepresentatives(nullptr, rows, false);
    EXPECT_TRUE(rows.empty());
}

TEST(GroupBy, MembersFollowTheCurrentCells)
{
    class Editable : public VorlatTest::MemoryTable {
    public:
        Editable() : MemoryTable({L"g"}, {{W(L"x")}, {W(L"y")}, {W(L"x")}}) {}
        boost::any GetCellData(int row, int column) override
        {
            return row == 2 && edited ? W(L"y") : MemoryTable::GetCellData(row, column);
        }
        bool edited = false;
    };
    auto* editable = new Editable;
    boost::shared_ptr<Host::ITableDataProvider> table(editable);
    GroupBy grouping;
    grouping.Group(table, {0}, -1);
    editable->edited = true;
    Rows rows;
    grouping.GetGroup(table, 2, rows);
    EXPECT_EQ(rows, (Rows{1})); // the group of its new text, without it
}

TEST(GroupBy, NumbersRepresentGroupsBeforeTextsAndEmptyCells)
{
    struct Case {
        const char* name;
        std::vector<boost::any> ranks; // of one group, in row order
        Rows order;                    // the group's rows after ranking
        int first, last;
    };
    const std::vector<Case> cases = {
        // Numbers ascending (equal ones in row order), then the rest.
        {"mixed", {boost::any(), boost::any(5), W(L"NA"), boost::any(2.5f), boost::any(5.0)}, {3, 1, 4, 0, 2}, 3, 4},
        {"one number", {W(L"NA"), boost::any(-7), boost::any()}, {1, 2, 0}, 1, 1},
        // No number: the texts' order, the empty cell first.
        {"no number", {W(L"NA"), boost::any(), W(L"-")}, {1, 2, 0}, 1, 0},
    };
    for (const Case& c : cases) {
        std::vector<std::vector<boost::any>> cells;
        for (const boost::any& rank : c.ranks)
            cells.push_back({W(L"x"), rank});
        const auto table = VorlatTest::MakeTable({L"g", L"rank"}, cells);
        GroupBy grouping;
        grouping.Group(table, {0}, 1);
        Rows rows;
        grouping.GetGroup(table, 0, rows);
        EXPECT_EQ(rows, c.order) << c.name;
        rows.clear();
        grouping.GetGroupRepresentatives(table, rows, false);
        grouping.GetGroupRepresentatives(table, rows, true);
        EXPECT_EQ(rows, (Rows{c.first, c.last})) << c.name;
    }
}
