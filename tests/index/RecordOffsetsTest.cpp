#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <limits>
#include <random>
#include <string>
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
    // Groups of 64 records spanning just under 256^w bytes need each of the
    // widths 1 to 8; the list takes the fewest bytes that hold them.
    for (unsigned width = 1; width <= 8; ++width) {
        const std::uint64_t span = width == 8 ? std::uint64_t(1) << 62 : (std::uint64_t(1) << (8 * width)) - 1;
        const Offsets offsets = Ascending(6400, std::int64_t(5) << 30, {static_cast<std::int64_t>(span / 63)});
        RecordOffsets list = Pushed(offsets);
        list.shrink_to_fit();
        ExpectSame(list, offsets, "one width");
        const double perOffset = static_cast<double>(list.MemoryUsage()) / 6400;
        EXPECT_GE(perOffset, width);
        EXPECT_LT(perOffset, width + 1);
    }
    // Right at a width's limit: a distance of 256^w - 1 fits w bytes, 256^w
    // needs one more.
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
    for (std::size_t count : {0, 1, 63, 64, 65, 127, 128, 129, 64 * 5 + 33}) {
        const Offsets offsets = Ascending(count, 0, sizes);
        ExpectSame(Pushed(offsets), offsets, "near a group edge");
    }
}

TEST(RecordOffsets, OffsetsInAnyOrder)
{
    // Offsets out of file order (a shuffle, a scan merged wrongly) are kept
    // as they came, each group as wide as its spread, down to the int64
    // extremes in one group; a smaller offset after a larger one goes on.
    Offsets shuffled = Ascending(1000, 17, {100, 37, 250});
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937_64(7));
    Offsets extremes = Ascending(130, 0, {1});
    extremes[3] = extremes[72] = std::numeric_limits<std::int64_t>::min();
    extremes[70] = std::numeric_limits<std::int64_t>::max();
    extremes[71] = -1;
    for (Offsets offsets : {shuffled, extremes, Offsets(200, 42)}) {
        RecordOffsets list = Pushed(offsets);
        list.push_back(5);
        offsets.push_back(5);
        ExpectSame(list, offsets, "any order");
    }
}

TEST(RecordOffsets, AppendDropFrontAndClear)
{
    // Runs of every length, from a partly filled group on, give what the
    // offsets pushed one by one give.
    const Offsets offsets = Ascending(2000, 3, {100, 101, 99, 4000});
    for (std::size_t pushed : {0, 1, 63, 64, 65}) {
        for (std::size_t run : {1, 63, 64, 65, 1000}) {
            RecordOffsets list = Pushed(Offsets(offsets.begin(), offsets.begin() + static_cast<std::ptrdiff_t>(pushed)));
            std::size_t at = pushed;
            while (at + run < offsets.size()) {
                list.Append(offsets.data() + at, run);
                at += run;
                list.push_back(offsets[at++]);
            }
            ExpectSame(list, Offsets(offsets.begin(), offsets.begin() + static_cast<std::ptrdiff_t>(at)), "runs");
        }
    }
    // Dropped offsets stay left out however the list grows afterwards; more
    // than it holds leaves it empty.
    for (std::size_t dropped : {1, 2, 64, 65, 130, 131}) {
        RecordOffsets list = Pushed(Offsets(offsets.begin(), offsets.begin() + 130));
        list.DropFront(dropped);
        list.Append(offsets.data() + 130, 70);
        const std::size_t first = std::min<std::size_t>(dropped, 130);
        ExpectSame(list, Offsets(offsets.begin() + static_cast<std::ptrdiff_t>(first), offsets.begin() + 200),
                   "dropped");
    }
    // clear gives back the memory; reserve and shrink_to_fit change no
    // offset, and the list grows on after them.
    RecordOffsets list = Pushed(offsets);
    const std::size_t held = list.MemoryUsage();
    list.clear();
    list.DropFront(1);
    ExpectSame(list, {}, "cleared");
    EXPECT_LT(list.MemoryUsage(), held / 4);
    list.reserve(100000);
    list.Append(offsets.data(), 1000);
    list.shrink_to_fit();
    list.Append(offsets.data() + 1000, 1000);
    ExpectSame(list, offsets, "reserved, shrunk and grown");
}

TEST(RecordOffsets, CopiesAndShuffle)
{
    // Copies hold the same offsets and grow on their own: a copy's chunks
    // have no spare room, so its next group starts a chunk of its own.
    const Offsets offsets = Ascending(1000, 0, {100, 3, 70000});
    RecordOffsets original = Pushed(Offsets(offsets.begin(), offsets.begin() + 700));
    original.DropFront(1);
    RecordOffsets copy(original);
    RecordOffsets assigned = Pushed({1, 2, 3});
    assigned = original;
    copy.Append(offsets.data() + 700, 300);
    original.push_back(-5);
    Offsets expected(offsets.begin() + 1, offsets.begin() + 700);
    ExpectSame(assigned, expected, "assigned");
    expected.push_back(-5);
    ExpectSame(original, expected, "original grown");
    ExpectSame(copy, Offsets(offsets.begin() + 1, offsets.end()), "copy grown");

    // Shuffle gives the order a plain list got from the same rand sequence
    // (Fisher-Yates from the end).
    std::srand(13);
    for (std::size_t i = expected.size(); i > 1; --i)
        std::swap(expected[i - 1], expected[static_cast<std::size_t>(std::rand()) % i]);
    std::srand(13);
    original.Shuffle();
    original.push_back(1);
    expected.push_back(1);
    ExpectSame(original, expected, "shuffled, then pushed");
}

TEST(RecordOffsets, SavedBytesLoadBackAndOthersAreRefused)
{
    // Widths from 1 to 8 bytes, a dropped front and a partly filled group.
    Offsets offsets;
    std::mt19937_64 random(8);
    for (int i = 0; i < 1000; ++i)
        offsets.push_back(i < 500 ? i * 90 : static_cast<std::int64_t>(random() >> (i % 9)));
    RecordOffsets list;
    list.Append(offsets.data(), offsets.size());
    list.DropFront(3);
    std::string bytes;
    list.SaveTo(bytes);
    RecordOffsets loaded;
    ASSERT_TRUE(loaded.LoadFrom(bytes.data(), bytes.size()));
    ExpectSame(loaded, Offsets(offsets.begin() + 3, offsets.end()), "loaded");
    EXPECT_FALSE(loaded.InOrderWithin(0, 499 * 90)) << "random offsets after the ordered ones";

    // Every cut, and counts, widths and places that lie, are refused and
    // leave the list as it was.
    for (std::size_t cut = 0; cut < bytes.size(); cut += 7) {
        // In a buffer of its own size, so that a read past it shows under
        // AddressSanitizer.
        const std::unique_ptr<char[]> part(new char[cut + 1]);
        std::memcpy(part.get(), bytes.data(), cut);
        EXPECT_FALSE(loaded.LoadFrom(part.get(), cut)) << cut;
    }
    // Changed counts, bases and places: refused, or (a base, a distance)
    // a list whose every offset reads within its own memory.
    for (std::size_t at = 0; at < 32 + 16 * 16; ++at) {
        std::string changed = bytes;
        changed[at] = static_cast<char>(changed[at] ^ 0xA5);
        RecordOffsets other;
        std::uint64_t sum = 0;
        if (other.LoadFrom(changed.data(), changed.size())) {
            for (std::size_t i = 0; i < other.size(); ++i)
                sum += static_cast<std::uint64_t>(other[i]);
        }
        EXPECT_GE(sum, 0u);
    }
    ExpectSame(loaded, Offsets(offsets.begin() + 3, offsets.end()), "after refusals");
}

TEST(RecordOffsets, InOrderWithinEveryWidth)
{
    // Steps that need 1 to 8 bytes a distance, and a dropped front.
    for (const std::int64_t step : {std::int64_t(3), std::int64_t(300), std::int64_t(70000), std::int64_t(1) << 26,
                                    std::int64_t(1) << 36, std::int64_t(1) << 50}) {
        SCOPED_TRACE(step);
        Offsets offsets;
        for (int i = 0; i < 200; ++i)
            offsets.push_back(5 + i * step);
        RecordOffsets list;
        list.Append(offsets.data(), offsets.size());
        list.DropFront(2);
        EXPECT_TRUE(list.InOrderWithin(offsets[2], offsets.back()));
        EXPECT_FALSE(list.InOrderWithin(offsets[2], offsets.back() - 1));
        EXPECT_FALSE(list.InOrderWithin(offsets[2] + 1, offsets.back()));
        // One offset out of order, in a group or in the unfinished tail.
        for (const std::size_t at : {std::size_t(70), std::size_t(199)}) {
            Offsets swapped = offsets;
            std::swap(swapped[at - 1], swapped[at]);
            RecordOffsets other;
            other.Append(swapped.data(), swapped.size());
            EXPECT_FALSE(other.InOrderWithin(0, offsets.back())) << at;
        }
    }
    // A negative offset whose distances to the others still rise: as a
    // number from 0 it lies beyond any end.
    Offsets negative = {-10};
    for (int i = 1; i < 70; ++i)
        negative.push_back(i * 10);
    RecordOffsets list;
    list.Append(negative.data(), negative.size());
    EXPECT_FALSE(list.InOrderWithin(0, 1000));
}
