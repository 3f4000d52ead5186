// How an index pass cuts a file into ranges: the cuts cover the bytes once,
// in order, on the unit's multiples, and the ranges near the end are the
// small ones.
#include <gtest/gtest.h>

#include "index/IndexOptions.h"

using VorlatImportExport::RangeCuts;

TEST(RangeCuts, CoverTheBytesOnceWithSmallRangesLast)
{
    struct Case {
        std::int64_t start, end, rangeSize;
        int threads;
        std::int64_t unit;
    };
    const Case cases[] = {
        {0, 1 << 30, 64 << 20, 2, 1},      {0, (1 << 30) + 12345, 64 << 20, 8, 1},
        {17, 500000017, 4 << 20, 2, 4096}, {3, 100003, 16384, 2, 1},
        {0, 100, 16, 4, 1},                {0, 64, 16, 2, 1},
        {0, 1000, 400, 2, 64},             {5, 5, 16, 2, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.start << ".." << c.end << " by " << c.rangeSize << ", " << c.threads
                                        << " threads, unit " << c.unit);
        const RangeCuts cuts(c.start, c.end, c.rangeSize, c.threads, c.unit);
        if (c.end == c.start) {
            EXPECT_EQ(cuts.Count(), 0);
            continue;
        }
        ASSERT_GT(cuts.Count(), 0);
        EXPECT_EQ(cuts.Begin(0), c.start);
        EXPECT_EQ(cuts.End(cuts.Count() - 1), c.end);
        const std::int64_t smallSize = std::max((c.rangeSize / 4 + c.unit - 1) / c.unit * c.unit, c.unit);
        const std::int64_t tailFrom = c.end - c.rangeSize * c.threads - c.rangeSize;
        bool small = false;
        for (std::int64_t n = 0; n < cuts.Count(); ++n) {
            const std::int64_t begin = cuts.Begin(n), end = cuts.End(n);
            ASSERT_LT(begin, end) << "range " << n;
            if (n > 0) {
                EXPECT_EQ(begin, cuts.End(n - 1));
                EXPECT_EQ((begin - c.start) % c.unit, 0) << "range " << n;
            }
            // Full ranges, then small ones to the end; the small ones only
            // in the last threads' share of the bytes.
            if (end - begin < c.rangeSize && n + 1 < cuts.Count())
                small = true;
            if (small) {
                EXPECT_LE(end - begin, smallSize) << "range " << n;
                EXPECT_GE(begin, tailFrom) << "range " << n;
            } else if (n + 1 < cuts.Count()) {
                EXPECT_EQ(end - begin, c.rangeSize) << "range " << n;
            }
        }
        if (c.end - c.start >= 4 * c.rangeSize) {
            EXPECT_TRUE(small);
        }
    }
}
