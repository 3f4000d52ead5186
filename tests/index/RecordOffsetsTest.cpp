#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "index/RecordOffsets.h"

using VorlatImportExport::RecordOffsets;
using Offsets = std::vector<std::int64_t>;

namespace {

// Every offset, back() and size() as the reference has them.
void ExpectSame(const RecordOffsets& list, const Offsets& expected, const char* what)
{
    ASSERT_EQ(list.size(), expected.size()) << what;
    ASSERT_EQ(list.empty(), expected.empty()) << what;
    for (std::size_t i = 0; i < expected.size(); ++i)
        ASSERT_EQ(list[i], expected[i]) << what << ", offset " << i;
    if (!expected.empty()) {
        EXPECT_EQ(list.back(), expected.back()) << what;
    }
}

RecordOffsets Pushed(const Offsets& offsets)
{
    RecordOffsets list;
    for (std::int64_t offset : offsets)
        list.push_back(offset);
    return list;
}

// Ascending offsets of records of the given sizes, repeated cyclically
// (past the int64 range they wrap around).
Offsets Ascending(std::size_t count, std::int64_t first, const Offsets& sizes)
{
    Offsets offsets;
    std::uint64_t at = static_cast<std::uint64_t>(first);
    for (std::size_t i = 0; i < count; ++i) {
        offsets.push_back(static_cast<std::int64_t>(at));
        at += static_cast<std::uint64_t>(sizes[i % sizes.size()]);
    }
    return offsets;
}

} // namespace

TEST(RecordOffsets, RoundTripsAtEveryGroupEdgeAndWidth)
{
    // Records whose group of 64 spans just under 256^w bytes, so that each
    // of the widths 1 to 8 is needed; the list takes the fewest bytes that
    // hold them, and no more.
    for (unsigned width = 1; width <= 8; ++width) {
        const std::uint64_t span = width == 8 ? std::uint64_t(1) << 62 : (std::uint64_t(1) << (8 * width)) - 1;
        const std::int64_t size = static_cast<std::int64_t>(span / 63);
        const std::size_t count = 64 * 100;
        const Offsets offsets = Ascending(count, std::int64_t(5) << 30, {size});
        RecordOffsets list = Pushed(offsets);
        list.shrink_to_fit();
        ExpectSame(list, offsets, "one width");
        const double perOffset = static_cast<double>(list.MemoryUsage()) / count;
        EXPECT_GE(perOffset, width) << width;
        EXPECT_LT(perOffset, width + 1) << width;
    }

    // Distances right at a width's limit: 256^w - 1 still fits w bytes,
    // 256^w needs one more.
    for (unsigned width = 1; width < 8; ++width) {
        const std::int64_t limit = std::int64_t(1) << (8 * width);
        Offsets offsets = Ascending(64 * 3 + 1, -1000, {1});
        offsets[64 + 10] = offsets[64] + limit - 1;
        offsets[128 + 20] = offsets[128] + limit;
        offsets[128 + 21] = offsets[128] + limit - 1;
        ExpectSame(Pushed(offsets), offsets, "at a width's limit");
    }

    // Every count near a group edge, with lines of a few bytes, records past
    // 16 MB (3 bytes no longer hold one) and a file past 5 GB in one list.
    const Offsets sizes = {1, 100, 7, (std::int64_t(1) << 24) + 5, 0, 80, std::int64_t(5) << 30, 3};
    for (std::size_t count : {0, 1, 2, 63, 64, 65, 127, 128, 129, 64 * 5 - 1, 64 * 5 + 33}) {
        const Offsets offsets = Ascending(count, 0, sizes);
        ExpectSame(Pushed(offsets), offsets, "near a group edge");
    }
}

TEST(RecordOffsets, OffsetsInAnyOrder)
{
    // Offsets out of file order (a scan merged wrongly, a shuffle, a caller's
    // own list) are kept as they came, each group as wide as its spread.
    std::mt19937_64 random(7);
    Offsets shuffled = Ascending(1000, 17, {100, 37, 250});
    std::shuffle(shuffled.begin(), shuffled.end(), random);
    Offsets descending = Ascending(300, 0, {90});
    std::reverse(descending.begin(), descending.end());
    Offsets extremes = Ascending(130, 0, {1});
    extremes[3] = std::numeric_limits<std::int64_t>::min();
    extremes[70] = std::numeric_limits<std::int64_t>::max();
    extremes[71] = -1;
    extremes[72] = std::numeric_limits<std::int64_t>::min();
    Offsets same(200, 42);
    Offsets wild(500);
    for (std::int64_t& offset : wild)
        offset = static_cast<std::int64_t>(random());
    for (const Offsets* offsets : {&shuffled, &descending, &extremes, &same, &wild}) {
        RecordOffsets list = Pushed(*offsets);
        ExpectSame(list, *offsets, "any order");
        // A smaller offset pushed after a larger one goes on as well.
        list.push_back(5);
        Offsets more = *offsets;
        more.push_back(5);
        ExpectSame(list, more, "any order, one more");
    }
}

TEST(RecordOffsets, AppendDropFrontAndClear)
{
    // Runs of every length, from a partly filled group on, give what the
    // offsets pushed one by one give.
    const Offsets offsets = Ascending(2000, 3, {100, 101, 99, 4000});
    for (std::size_t pushed : {0, 1, 63, 64, 65}) {
        for (std::size_t run : {1, 63, 64, 65, 200, 1000}) {
            RecordOffsets list;
            std::size_t at = 0;
            for (; at < pushed; ++at)
                list.push_back(offsets[at]);
            while (at + run < offsets.size()) {
                list.Append(offsets.data() + at, run);
                at += run;
                list.push_back(offsets[at++]);
            }
            list.Append(offsets.data() + at, 0);
            ExpectSame(list, Offsets(offsets.begin(), offsets.begin() + static_cast<std::ptrdiff_t>(at)), "runs");
        }
    }

    // Dropped offsets are left out however the list grows afterwards; more
    // than it holds leaves it empty.
    for (std::size_t dropped : {1, 2, 63, 64, 65, 130}) {
        RecordOffsets list = Pushed(Offsets(offsets.begin(), offsets.begin() + 130));
        list.DropFront(dropped);
        list.Append(offsets.data() + 130, 70);
        list.push_back(offsets[200]);
        ExpectSame(list, Offsets(offsets.begin() + static_cast<std::ptrdiff_t>(dropped), offsets.begin() + 201),
                   "dropped");
    }
    RecordOffsets headerOnly = Pushed({0});
    headerOnly.DropFront(2);
    ExpectSame(headerOnly, {}, "dropped more than held");
    headerOnly.push_back(9);
    ExpectSame(headerOnly, {9}, "pushed after dropping all");
    RecordOffsets none;
    none.DropFront(1);
    ExpectSame(none, {}, "dropped from none");

    // clear gives back the memory; reserve and shrink_to_fit change no
    // offset, and the list grows on after them.
    RecordOffsets list = Pushed(offsets);
    const std::size_t held = list.MemoryUsage();
    list.clear();
    ExpectSame(list, {}, "cleared");
    EXPECT_LT(list.MemoryUsage(), held / 4);
    list.reserve(100000);
    list.Append(offsets.data(), 1000);
    list.shrink_to_fit();
    list.Append(offsets.data() + 1000, 1000);
    ExpectSame(list, offsets, "reserved, shrunk and grown");
}

TEST(RecordOffsets, CopiesAreWholeAndIndependent)
{
    const Offsets offsets = Ascending(1000, 0, {100, 3, 70000});
    RecordOffsets original = Pushed(Offsets(offsets.begin(), offsets.begin() + 700));
    original.DropFront(1);
    RecordOffsets copy(original);
    RecordOffsets assigned = Pushed({1, 2, 3});
    assigned = original;
    assigned = static_cast<const RecordOffsets&>(assigned);
    const Offsets expected(offsets.begin() + 1, offsets.begin() + 700);
    ExpectSame(copy, expected, "copy");
    ExpectSame(assigned, expected, "assigned");

    // Each grows on its own: a copy's chunks have no spare room, so its next
    // group starts a chunk of its own.
    copy.Append(offsets.data() + 700, 300);
    original.push_back(-5);
    Offsets grown = expected;
    grown.insert(grown.end(), offsets.begin() + 700, offsets.end());
    ExpectSame(copy, grown, "copy grown");
    Offsets other = expected;
    other.push_back(-5);
    ExpectSame(original, other, "original grown");
    ExpectSame(assigned, expected, "assigned unchanged");
}

TEST(RecordOffsets, ShuffleAsRandomShuffleDid)
{
    // The order a plain list of the same offsets gets from the same rand
    // sequence (Fisher-Yates from the end), header offset dropped first.
    const Offsets offsets = Ascending(777, 50, {100, 9});
    RecordOffsets list = Pushed(offsets);
    list.DropFront(1);
    Offsets expected(offsets.begin() + 1, offsets.end());
    std::srand(11);
    for (std::size_t i = expected.size(); i > 1; --i)
        std::swap(expected[i - 1], expected[static_cast<std::size_t>(std::rand()) % i]);
    std::srand(11);
    list.Shuffle();
    ExpectSame(list, expected, "shuffled");
    list.push_back(1);
    expected.push_back(1);
    ExpectSame(list, expected, "shuffled, then pushed");

    RecordOffsets none;
    none.Shuffle();
    ExpectSame(none, {}, "nothing shuffled");
}

TEST(RecordOffsets, TypicalTableUnderThreeBytesARow)
{
    // Lines of 60 to 140 bytes, as a CSV table of measurements has them.
    std::mt19937 random(1);
    Offsets sizes(997);
    for (std::int64_t& size : sizes)
        size = 60 + static_cast<std::int64_t>(random() % 81);
    const Offsets offsets = Ascending(1000000, 0, sizes);
    RecordOffsets list;
    list.reserve(offsets.size() + offsets.size() / 10);
    list.Append(offsets.data(), offsets.size());
    list.shrink_to_fit();
    EXPECT_LT(static_cast<double>(list.MemoryUsage()) / static_cast<double>(offsets.size()), 2.3);
    for (std::size_t i = 0; i < offsets.size(); i += 4999)
        ASSERT_EQ(list[i], offsets[i]) << i;
}
