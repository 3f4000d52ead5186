#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/MemoryTable.h"
#include "views/FilteredTableDataProvider.h"

using VorlatImportExport::FilteredTableDataProvider;

namespace {

// A rows x columns table whose cell (r, c) holds r * 100 + c.
boost::shared_ptr<Host::ITableDataProvider> Grid(int rows, int columns)
{
    std::vector<std::wstring> titles;
    for (int c = 0; c < columns; ++c)
        titles.push_back(L"c" + std::to_wstring(c));
    std::vector<std::vector<boost::any>> cells(static_cast<std::size_t>(rows));
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c)
            cells[static_cast<std::size_t>(r)].emplace_back(r * 100 + c);
    return VorlatTest::MakeTable(titles, cells);
}

std::vector<Host::CellRange> List(const Host::CellRanges& ranges)
{
    std::vector<Host::CellRange> list;
    for (int i = 0; i < ranges.GetCount(); ++i)
        list.push_back(ranges.GetRange(i));
    return list;
}

Host::CellRanges Rows(int top, int bottom)
{
    Host::CellRanges ranges;
    ranges.Add(Host::CellRange(0, top, 0, bottom));
    return ranges;
}

std::wstring Text(const boost::any& value) { return boost::any_cast<std::wstring>(value); }

} // namespace

TEST(FilteredTableDataProvider, MapsCellsAndTitles)
{
    FilteredTableDataProvider view(Grid(10, 4), {7, 2}, {3, 0});
    EXPECT_EQ(view.GetRowCount(), 2);
    EXPECT_EQ(view.GetColumnCount(), 2);
    EXPECT_EQ(boost::any_cast<int>(view.GetCellData(0, 1)), 700);
    EXPECT_EQ(view.GetCellDataTypeId(1, 0), typeid(int));
    EXPECT_EQ(view.GetRowTitle(1), L"2");
    EXPECT_EQ(view.GetColumnTitle(0), L"c3");
    EXPECT_EQ(Text(view.GetCellData(5, 0)), L"Error");
    EXPECT_EQ(Text(view.GetCellData(0, -1)), L"Error");
    EXPECT_FALSE(view.SetCellData(5, 0, boost::any(1)));
    EXPECT_EQ(view.GetCellDataTypeId(5, 0), typeid(void));
    EXPECT_EQ(view.GetRowTitle(2), L"Error");
    EXPECT_EQ(view.GetColumnTitle(2), L"Error");
    EXPECT_EQ(view.ConvertFilteredToFullRow(1), 2);
    EXPECT_EQ(view.ConvertFilteredToFullRow(-1), -1);
    EXPECT_EQ(view.ConvertFilteredToFullRow(2), -1);
    EXPECT_EQ(view.GetFullRowCount(), 10);

    FilteredTableDataProvider noColumns(Grid(3, 3), {0, 1}, {});
    EXPECT_EQ(Text(noColumns.GetCellData(0, 0)), L"Error");
    EXPECT_EQ(noColumns.GetColumnTitle(0), L"Error");
    EXPECT_EQ(noColumns.GetRowTitle(7), L"8");
    FilteredTableDataProvider noRows(Grid(3, 3), {}, {2});
    EXPECT_EQ(noRows.GetColumnTitle(0), L"c2");
    EXPECT_EQ(Text(noRows.GetCellData(0, 0)), L"Error");

    // Lists naming rows and columns beyond the source: the source answers.
    FilteredTableDataProvider beyond(Grid(2, 2), {5}, {9});
    EXPECT_TRUE(beyond.GetCellData(0, 0).empty());
    FilteredTableDataProvider none(nullptr);
    EXPECT_EQ(none.GetRowCount(), 0);
    EXPECT_EQ(none.GetFullRowCount(), 0);
    FilteredTableDataProvider all(Grid(3, 2));
    EXPECT_EQ(all.GetRowCount(), 3);
    FilteredTableDataProvider copy = view;
    EXPECT_EQ(boost::any_cast<int>(copy.GetCellData(1, 0)), 203);
}

TEST(FilteredTableDataProvider, ConvertsRangesBothWays)
{
    FilteredTableDataProvider view(Grid(12, 4), {4, 5, 6, 9, 5}, {1, 2, 3});
    Host::CellRanges out;
    view.ConvertCellRangesFromFilteredTableToFullTable(Rows(0, 3), out);
    EXPECT_EQ(List(out), (std::vector<Host::CellRange>{Host::CellRange(0, 4, 3, 6), Host::CellRange(0, 9, 3, 9)}));

    // Rows outside the view are skipped; out is appended to.
    view.ConvertCellRangesFromFilteredTableToFullTable(Rows(3, 40), out);
    EXPECT_EQ(out.GetCount(), 4);
    EXPECT_EQ(out.GetRange(3), Host::CellRange(0, 5, 3, 5));

    Host::CellRanges back;
    view.ConvertCellRangesFromFullTableToFilteredTable(Rows(1, 6), back);
    EXPECT_EQ(List(back), (std::vector<Host::CellRange>{Host::CellRange(0, 0, 2, 2)})); // row 5 maps to its first
    view.ConvertCellRangesFromFullTableToFilteredTable(Rows(10, 11), back);
    view.ConvertCellRangesFromFullTableToFilteredTable(Host::CellRanges(), back);
    view.ConvertCellRangesFromFullTableToFilteredTable(Rows(8, 2), back); // top > bottom
    EXPECT_EQ(back.GetCount(), 1);

    FilteredTableDataProvider shuffled(Grid(8, 2), {5, 6, 3}, {0});
    Host::CellRanges runs;
    shuffled.ConvertCellRangesFromFilteredTableToFullTable(Rows(0, 2), runs);
    EXPECT_EQ(List(runs), (std::vector<Host::CellRange>{Host::CellRange(0, 5, 1, 6), Host::CellRange(0, 3, 1, 3)}));
}

TEST(FilteredTableDataProvider, WholeColumnOfAHugeTable)
{
    // A view of 3 rows of a table said to have ten million, and a selection
    // of every source row: work in proportion to the view, not the selection.
    class Tall : public Host::TableDataProviderBase {
        int GetRowCount() const override { return 10000000; }
        int GetColumnCount() const override { return 3; }
    };
    FilteredTableDataProvider view(boost::shared_ptr<Host::ITableDataProvider>(new Tall), {9999999, 0, 1}, {0});
    Host::CellRanges out;
    view.ConvertCellRangesFromFullTableToFilteredTable(Rows(0, 9999999), out);
    EXPECT_EQ(List(out), (std::vector<Host::CellRange>{Host::CellRange(0, 1, 0, 2), Host::CellRange(0, 0, 0, 0)}));
}
