#include <vector>

#include <gtest/gtest.h>

#include "frame/RowIterator.h"
#include "frame/TableUtil.h"
#include "frame/VorlatSelectionHelper.h"

using VorlatImportExport::RowIterator;
using VorlatImportExport::TableUtil;
using VorlatImportExport::VorlatSelectionHelper;

namespace {

Host::CellRanges Ranges(std::initializer_list<Host::CellRange> list)
{
    Host::CellRanges ranges;
    for (const Host::CellRange& range : list)
        ranges.Add(range);
    return ranges;
}

std::vector<int> Walk(const RowIterator& it)
{
    std::vector<int> rows;
    if (it.Count() != 0) {
        rows.push_back(it.First());
        while (!it.Done())
            rows.push_back(it.Next());
    }
    return rows;
}

} // namespace

TEST(TableUtil, RowsBecomeFullWidthRuns)
{
    Host::CellRanges ranges = Ranges({Host::CellRange(9, 9, 9, 9)});
    TableUtil::ConvertRowsToCellRanges({1, 2, 3, 7, 8, 5, 6, 7, 2, 3, 3}, 4, ranges);
    const std::vector<Host::CellRange> expected = {Host::CellRange(9, 9, 9, 9), Host::CellRange(0, 1, 3, 3),
                                                   Host::CellRange(0, 7, 3, 8), Host::CellRange(0, 5, 3, 7),
                                                   Host::CellRange(0, 2, 3, 3), Host::CellRange(0, 3, 3, 3)};
    ASSERT_EQ(ranges.GetCount(), static_cast<int>(expected.size()));
    for (int i = 0; i < ranges.GetCount(); ++i)
        EXPECT_EQ(ranges.GetRange(i), expected[static_cast<std::size_t>(i)]) << i;
    TableUtil::ConvertRowsToCellRanges({}, 4, ranges);
    Host::CellRanges copy;
    TableUtil::CopyCellRanges(ranges, copy);
    TableUtil::CopyCellRanges(ranges, copy);
    EXPECT_EQ(copy.GetCount(), 12);
}

TEST(RowIterator, DistinctRowsAscending)
{
    const RowIterator it(Ranges({Host::CellRange(3, 5, 0, 9), Host::CellRange(0, 4, 1, 6),
                                 Host::CellRange(0, 20, 0, 19), Host::CellRange(0, 11, 0, 11)}));
    EXPECT_EQ(it.Count(), 7);
    EXPECT_EQ(Walk(it), (std::vector<int>{4, 5, 6, 7, 8, 9, 11}));
    EXPECT_TRUE(it.Find(11));
    EXPECT_FALSE(it.Find(10));
    EXPECT_FALSE(it.Find(20));
    EXPECT_EQ(it.Next(), -1); // done: stays
    RowIterator copy = it;
    EXPECT_EQ(copy.First(), 4);

    const RowIterator empty;
    EXPECT_EQ(empty.First(), -1);
    EXPECT_TRUE(empty.Done());
    EXPECT_EQ(empty.Next(), -1);
    const RowIterator one(Ranges({Host::CellRange(0, 3, 0, 3)}));
    EXPECT_EQ(one.First(), 3);
    EXPECT_TRUE(one.Done());

    // A whole column of a huge table costs one interval.
    const RowIterator huge(Ranges({Host::CellRange(0, 0, 5, 9999999), Host::CellRange(2, 5, 2, 7)}));
    EXPECT_EQ(huge.Count(), 10000000);
    EXPECT_EQ(huge.GetIntervals().size(), 1u);
    EXPECT_TRUE(huge.Find(9999999));
}

TEST(VorlatSelectionHelper, ComparesCoveredRows)
{
    VorlatSelectionHelper helper;
    helper.SetSelection(Ranges({Host::CellRange(0, 8, 2, 9), Host::CellRange(1, 2, 1, 3)}));
    std::vector<int> rows{-1};
    helper.GetSelectionInRows(rows);
    EXPECT_EQ(rows, (std::vector<int>{-1, 2, 3, 8, 9}));
    EXPECT_EQ(helper.GetSelection().GetCount(), 2);

    const Host::CellRanges same = Ranges({Host::CellRange(5, 2, 5, 2), Host::CellRange(7, 3, 7, 3),
                                          Host::CellRange(0, 8, 0, 9)});
    EXPECT_FALSE(helper.IsSelectionChanged(same, true));
    EXPECT_FALSE(helper.IsSelectionChanged(Ranges({}), false));
    EXPECT_TRUE(helper.IsSelectionChanged(Ranges({Host::CellRange(0, 2, 0, 3), Host::CellRange(0, 8, 0, 10)}), true));
    EXPECT_TRUE(helper.IsSelectionChanged(Ranges({Host::CellRange(0, 2, 0, 3), Host::CellRange(0, 9, 0, 9)}), true));

    VorlatSelectionHelper copy(helper);
    helper.SetSelection(helper.GetSelection()); // its own selection again
    EXPECT_EQ(helper.GetSelection().GetCount(), 2);
    EXPECT_FALSE(copy.IsSelectionChanged(helper.GetSelection(), true));
}
