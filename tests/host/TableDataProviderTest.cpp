#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "host/CellRanges.h"
#include "host/TableDataProviderUtilities.h"
#include "support/MemoryTable.h"

using Host::TableDataProviderUtilities;

TEST(TableDataProviderBase, DefaultsDescribeTheCellsOfTheProvider)
{
    VorlatTest::MemoryTable table({L"a", L"b", L"c"}, {{boost::any(5), boost::any(std::wstring(L"x"))}});
    EXPECT_EQ(table.GetCellDataTypeId(0, 0), typeid(int));
    EXPECT_EQ(table.GetCellDataTypeId(0, 1), typeid(std::wstring));
    EXPECT_EQ(table.GetCellDataTypeId(0, 2), typeid(void));
    EXPECT_EQ(table.GetCellDataType(0, 0), "int");
    EXPECT_EQ(table.GetCellDataType(0, 2), "");
    EXPECT_EQ(table.GetRowTitle(0), L"1");
    EXPECT_EQ(table.IsChemistryCell(0, 0), Host::NotChemistry);
    EXPECT_FALSE(table.SetCellData(0, 0, boost::any(1)));
    EXPECT_FALSE(table.InsertRows(0, 1));
}

TEST(CellRanges, HoldsCopiesInOrder)
{
    Host::CellRanges ranges;
    ranges.Add(Host::CellRange(0, 1, 2, 3));
    ranges.Add(Host::CellRange(4, 5, 6, 7));
    Host::CellRanges copy = ranges;
    ranges.RemoveAll();
    ASSERT_EQ(copy.GetCount(), 2);
    EXPECT_EQ(copy.GetRange(1), Host::CellRange(4, 5, 6, 7));
    EXPECT_EQ(copy.GetRange(0).GetTopRow(), 1);
    EXPECT_EQ(ranges.GetCount(), 0);
}

TEST(TableDataProviderUtilities, CompareIsAStrictWeakOrderAcrossKinds)
{
    const float nanF = std::numeric_limits<float>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    // In ascending order; equal neighbours are marked.
    struct Item {
        boost::any value;
        bool equalsPrevious;
    };
    const std::vector<Item> ordered = {
        {boost::any(), false},
        {boost::any(-inf), false},
        {boost::any(-3), false},
        {boost::any(2), false},
        {boost::any(2.0f), true},
        {boost::any(2.0), true},
        {boost::any(2.5f), false},
        {boost::any(inf), false},
        {boost::any(nanF), false},
        {boost::any(std::nan("")), true},
        {boost::any(std::wstring()), false},
        {boost::any(std::wstring(L"B")), false},
        {boost::any(std::wstring(L"a")), false},
        {boost::any(std::wstring(L"ab")), false},
        {boost::any(std::wstring(1, static_cast<wchar_t>(0x1F600))), false},
        {boost::any(std::string("narrow")), false},
    };
    // Group index of each item: equal items share one.
    std::vector<int> group;
    for (const Item& item : ordered)
        group.push_back(group.empty() ? 0 : group.back() + (item.equalsPrevious ? 0 : 1));
    for (std::size_t i = 0; i < ordered.size(); ++i)
        for (std::size_t j = 0; j < ordered.size(); ++j) {
            const int c = TableDataProviderUtilities::Compare(ordered[i].value, ordered[j].value);
            const int expected = group[i] < group[j] ? -1 : (group[i] > group[j] ? 1 : 0);
            EXPECT_EQ((c > 0) - (c < 0), expected) << i << " vs " << j;
        }

    EXPECT_TRUE(TableDataProviderUtilities::IsNumeric(boost::any(1.0f)));
    EXPECT_FALSE(TableDataProviderUtilities::IsNumeric(boost::any(std::wstring(L"1"))));
    EXPECT_FALSE(TableDataProviderUtilities::IsNumeric(boost::any()));
}
