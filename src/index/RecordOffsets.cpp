#include "index/RecordOffsets.h"

#include "index/IndexOptions.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <utility>

namespace VorlatImportExport {

RecordOffsets::RecordOffsets(const RecordOffsets& other)
    : m_Groups(other.m_Groups), m_Keep(other.m_Keep), m_Dropped(other.m_Dropped), m_TailCount(other.m_TailCount)
{
    // Each chunk is copied at the size its groups need: a copy holds no
    // spare room.
    m_Chunks.reserve(other.m_Chunks.size());
    for (const Chunk& chunk : other.m_Chunks) {
        Chunk copy;
        copy.used = chunk.used;
        if (!chunk.bytes) {
            // Borrowed bytes are shared, not copied.
            copy.data = chunk.data;
            copy.capacity = chunk.capacity;
        } else {
            copy.capacity = chunk.used + Slack;
            copy.bytes.reset(new std::uint8_t[copy.capacity]);
            std::memcpy(copy.bytes.get(), chunk.data, copy.capacity);
            copy.data = copy.bytes.get();
        }
        m_Chunks.push_back(std::move(copy));
    }
    std::copy(other.m_Tail, other.m_Tail + m_TailCount, m_Tail);
}

RecordOffsets& RecordOffsets::operator=(const RecordOffsets& other)
{
    if (this != &other) {
        RecordOffsets copy(other);
        swap(copy);
    }
    return *this;
}

RecordOffsets::~RecordOffsets() = default;

void RecordOffsets::swap(RecordOffsets& other) noexcept
{
    m_Groups.swap(other.m_Groups);
    m_Chunks.swap(other.m_Chunks);
    m_Keep.swap(other.m_Keep);
    std::swap(m_Dropped, other.m_Dropped);
    std::swap(m_TailCount, other.m_TailCount);
    std::swap_ranges(m_Tail, m_Tail + GroupSize, other.m_Tail);
}

void RecordOffsets::clear() { RecordOffsets().swap(*this); }

void RecordOffsets::reserve(std::size_t count) { m_Groups.reserve(count / GroupSize); }

void RecordOffsets::shrink_to_fit()
{
    m_Groups.shrink_to_fit();
    m_Chunks.shrink_to_fit();
    if (m_Chunks.empty())
        return;
    Chunk& last = m_Chunks.back();
    const std::size_t needed = last.used + Slack;
    if (last.bytes && last.capacity > needed) {
        std::unique_ptr<std::uint8_t[]> bytes(new std::uint8_t[needed]);
        std::memcpy(bytes.get(), last.data, needed);
        last.bytes = std::move(bytes);
        last.data = last.bytes.get();
        last.capacity = needed;
    }
}

void RecordOffsets::DropFront(std::size_t count) { m_Dropped += std::min(count, size()); }

void RecordOffsets::Append(const std::int64_t* offsets, std::size_t count)
{
    while (count > 0) {
        if (m_TailCount == GroupSize)
            EncodeTail();
        if (m_TailCount == 0 && count >= GroupSize) {
            EncodeGroup(offsets);
            offsets += GroupSize;
            count -= GroupSize;
            continue;
        }
        const std::size_t n = std::min(GroupSize - m_TailCount, count);
        std::copy(offsets, offsets + n, m_Tail + m_TailCount);
        m_TailCount += n;
        offsets += n;
        count -= n;
    }
}

void RecordOffsets::Shuffle()
{
    const std::size_t count = size();
    std::vector<std::int64_t> offsets(count);
    for (std::size_t i = 0; i < count; ++i)
        offsets[i] = (*this)[i];
    for (std::size_t i = count; i > 1; --i)
        std::swap(offsets[i - 1], offsets[static_cast<std::size_t>(std::rand()) % i]);
    RecordOffsets shuffled;
    shuffled.reserve(count);
    shuffled.Append(offsets.data(), count);
    swap(shuffled);
}

std::size_t RecordOffsets::MemoryUsage() const
{
    std::size_t bytes = sizeof(*this) + m_Groups.capacity() * sizeof(Group) + m_Chunks.capacity() * sizeof(Chunk);
    for (const Chunk& chunk : m_Chunks)
        if (chunk.bytes)
            bytes += chunk.capacity;
    return bytes;
}

namespace {

struct SavedCounts {
    std::uint64_t groups;
    std::uint64_t chunks;
    std::uint64_t dropped;
    std::uint64_t tail;
};

} // namespace

void RecordOffsets::SaveTo(std::string& bytes) const
{
    const SavedCounts counts{m_Groups.size(), m_Chunks.size(), m_Dropped, m_TailCount};
    bytes.append(reinterpret_cast<const char*>(&counts), sizeof counts);
    bytes.append(reinterpret_cast<const char*>(m_Groups.data()), m_Groups.size() * sizeof(Group));
    for (const Chunk& chunk : m_Chunks) {
        const std::uint64_t used = chunk.used;
        bytes.append(reinterpret_cast<const char*>(&used), sizeof used);
    }
    bytes.append(reinterpret_cast<const char*>(m_Tail), sizeof m_Tail);
    for (const Chunk& chunk : m_Chunks) {
        bytes.append(reinterpret_cast<const char*>(chunk.data), chunk.used);
        bytes.resize((bytes.size() + 7) / 8 * 8, '\0');
    }
}

bool RecordOffsets::LoadFrom(const char* bytes, std::size_t size, std::shared_ptr<const void> keep)
{
    SavedCounts counts{};
    const std::size_t fixed = sizeof counts + sizeof m_Tail;
    if (size < fixed)
        return false;
    std::memcpy(&counts, bytes, sizeof counts);
    if (counts.tail > GroupSize || counts.groups > (size - fixed) / sizeof(Group) ||
        counts.chunks > (size - fixed - counts.groups * sizeof(Group)) / sizeof(std::uint64_t) ||
        counts.dropped > counts.groups * GroupSize + counts.tail)
        return false;
    const char* p = bytes + sizeof counts;
    RecordOffsets loaded;
    const std::size_t groups = static_cast<std::size_t>(counts.groups);
    // Borrowed only where they lie aligned.
    if (keep && reinterpret_cast<std::uintptr_t>(p) % alignof(Group) != 0)
        keep.reset();
    if (keep) {
        loaded.m_Groups.Borrow(reinterpret_cast<const Group*>(p), groups, keep);
    } else if (groups > 0) {
        std::vector<Group> copy(groups);
        std::memcpy(copy.data(), p, groups * sizeof(Group));
        loaded.m_Groups.assign(copy.data(), groups);
    }
    p += groups * sizeof(Group);
    std::vector<std::uint64_t> used(static_cast<std::size_t>(counts.chunks));
    if (!used.empty())
        std::memcpy(used.data(), p, used.size() * sizeof(std::uint64_t));
    p += used.size() * sizeof(std::uint64_t);
    std::memcpy(loaded.m_Tail, p, sizeof m_Tail);
    p += sizeof m_Tail;
    std::size_t left = size - static_cast<std::size_t>(p - bytes);
    for (const std::uint64_t chunkUsed : used) {
        const std::size_t padded = (chunkUsed + 7) / 8 * 8;
        if (chunkUsed > PositionMask + 1 || padded > left)
            return false;
        Chunk chunk;
        chunk.used = static_cast<std::size_t>(chunkUsed);
        if (keep) {
            // Read where it lies; no room to add to.
            chunk.data = reinterpret_cast<const std::uint8_t*>(p);
            chunk.capacity = chunk.used;
        } else {
            chunk.capacity = chunk.used + Slack;
            chunk.bytes.reset(new std::uint8_t[chunk.capacity]());
            std::memcpy(chunk.bytes.get(), p, chunk.used);
            chunk.data = chunk.bytes.get();
        }
        loaded.m_Chunks.push_back(std::move(chunk));
        p += padded;
        left -= padded;
    }
    if (left != 0)
        return false;
    // Every group's distances lie within its chunk.
    for (const Group& group : loaded.m_Groups) {
        const std::uint64_t width = group.where & WidthMask;
        const std::uint64_t chunk = group.where >> ChunkShift;
        const std::uint64_t position = (group.where >> PositionShift) & PositionMask;
        if (width < 1 || width > 8 || chunk >= loaded.m_Chunks.size() ||
            position + GroupSize * width > loaded.m_Chunks[static_cast<std::size_t>(chunk)].used)
            return false;
    }
    loaded.m_Dropped = static_cast<std::size_t>(counts.dropped);
    loaded.m_TailCount = static_cast<std::size_t>(counts.tail);
    loaded.m_Keep = std::move(keep);
    swap(loaded);
    return true;
}

namespace {

// Whether a group's distances from index `from` on never decrease; first and
// last become the first and the last of them. Each pair is compared apart
// (no chain from one to the next, the distances before `from` taken as 0),
// so that the usual widths' loops run on whole vectors.
template <class Distance>
bool DistancesInOrder(const std::uint8_t* bytes, std::size_t from, std::uint64_t& first, std::uint64_t& last)
{
    Distance d[64];
    std::memcpy(d, bytes, sizeof d);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    for (Distance& distance : d)
        distance = static_cast<Distance>(__builtin_bswap64(distance) >> (64 - 8 * sizeof(Distance)));
#endif
    for (std::size_t i = 0; i < from; ++i)
        d[i] = 0;
    Distance decreases = 0;
    for (std::size_t i = 1; i < 64; ++i)
        decreases |= static_cast<Distance>(d[i] < d[i - 1]);
    first = d[from];
    last = d[63];
    return decreases == 0;
}

// The same for widths without a type of their own: each distance read as 8
// bytes and masked.
bool DistancesInOrder(const std::uint8_t* bytes, unsigned width, std::size_t from, std::size_t count,
                      std::uint64_t& first, std::uint64_t& last)
{
    const std::uint64_t mask = width < 8 ? (std::uint64_t(1) << (8 * width)) - 1 : ~std::uint64_t(0);
    const auto at = [&](std::size_t i) {
        std::uint64_t distance;
        std::memcpy(&distance, bytes + i * width, sizeof distance);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
        distance = __builtin_bswap64(distance);
#endif
        return distance & mask;
    };
    bool decreases = false;
    for (std::size_t i = from + 1; i < count; ++i)
        decreases |= at(i) < at(i - 1);
    first = at(from);
    last = at(count - 1);
    return !decreases;
}

} // namespace

bool RecordOffsets::InOrderWithin(std::int64_t first, std::int64_t end) const
{
    if (first < 0 || end < first)
        return empty();
    // Offsets compared as unsigned numbers from 0: a negative one is then
    // beyond any end. Each group is checked on its own (its offsets in
    // order, its last within the end, its first not before the last of the
    // group before it), so that runs of groups go to several threads.
    const std::uint64_t start = static_cast<std::uint64_t>(first);
    const std::uint64_t last = static_cast<std::uint64_t>(end);
    const std::size_t firstGroup = m_Dropped / GroupSize;
    const auto lastBefore = [&](std::size_t g) {
        return g == firstGroup ? start : static_cast<std::uint64_t>((*this)[g * GroupSize - m_Dropped - 1]);
    };
    const auto groupInOrder = [&](std::size_t g) {
        const Group& group = m_Groups[g];
        const unsigned width = static_cast<unsigned>(group.where & WidthMask);
        const std::uint8_t* bytes =
            m_Chunks[group.where >> ChunkShift].data + ((group.where >> PositionShift) & PositionMask);
        const std::size_t from = g == firstGroup ? m_Dropped % GroupSize : 0;
        std::uint64_t low = 0;
        std::uint64_t high = 0;
        bool inOrder = false;
        switch (width) {
        case 1: inOrder = DistancesInOrder<std::uint8_t>(bytes, from, low, high); break;
        case 2: inOrder = DistancesInOrder<std::uint16_t>(bytes, from, low, high); break;
        case 4: inOrder = DistancesInOrder<std::uint32_t>(bytes, from, low, high); break;
        case 8: inOrder = DistancesInOrder<std::uint64_t>(bytes, from, low, high); break;
        default: inOrder = DistancesInOrder(bytes, width, from, GroupSize, low, high); break;
        }
        // The group's offsets run from base + low to base + high, none past
        // the end (and none wrapping round past the greatest number).
        const std::uint64_t base = static_cast<std::uint64_t>(group.base);
        return inOrder && base <= last && high <= last - base && base + low >= lastBefore(g);
    };
    const std::size_t groups = m_Groups.size() > firstGroup ? m_Groups.size() - firstGroup : 0;
    const std::size_t run = 8192;
    std::atomic<bool> wrong{false};
    ForEachOnThreads((groups + run - 1) / run, [&](std::size_t k) {
        const std::size_t from = firstGroup + k * run;
        const std::size_t to = std::min(from + run, m_Groups.size());
        for (std::size_t g = from; g < to && !wrong; ++g)
            if (!groupInOrder(g))
                wrong = true;
    });
    if (wrong)
        return false;
    const std::size_t tailFrom = m_Dropped > m_Groups.size() * GroupSize ? m_Dropped - m_Groups.size() * GroupSize : 0;
    std::uint64_t previous = m_Groups.size() > firstGroup ? lastBefore(m_Groups.size()) : start;
    for (std::size_t i = tailFrom; i < m_TailCount; ++i) {
        const std::uint64_t offset = static_cast<std::uint64_t>(m_Tail[i]);
        if (offset < previous || offset > last)
            return false;
        previous = offset;
    }
    return true;
}

void RecordOffsets::EncodeTail()
{
    EncodeGroup(m_Tail);
    m_TailCount = 0;
}

void RecordOffsets::EncodeGroup(const std::int64_t* offsets)
{
    const auto range = std::minmax_element(offsets, offsets + GroupSize);
    const std::int64_t base = *range.first;
    // Distances are unsigned: even one from the least int64 to the
    // greatest fits 8 bytes.
    const std::uint64_t widest = static_cast<std::uint64_t>(*range.second) - static_cast<std::uint64_t>(base);
    unsigned width = 1;
    while (width < 8 && (widest >> (8 * width)) != 0)
        ++width;

    const std::size_t chunkNumber = ChunkWithRoom(GroupSize * width + Slack);
    Chunk& chunk = m_Chunks[chunkNumber];
    std::uint8_t* const bytes = chunk.bytes.get() + chunk.used;
    // Each distance is stored as 8 little-endian bytes; the next one
    // overwrites all but its width, and the last leaves its high zero bytes
    // in the chunk's slack.
    for (std::size_t i = 0; i < GroupSize; ++i) {
        std::uint64_t distance = static_cast<std::uint64_t>(offsets[i]) - static_cast<std::uint64_t>(base);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
        distance = __builtin_bswap64(distance);
#endif
        std::memcpy(bytes + i * width, &distance, sizeof distance);
    }
    const std::uint64_t where = (static_cast<std::uint64_t>(chunkNumber) << ChunkShift) |
                                (static_cast<std::uint64_t>(chunk.used) << PositionShift) | width;
    m_Groups.push_back(Group{base, where});
    chunk.used += GroupSize * width;
}

std::size_t RecordOffsets::ChunkWithRoom(std::size_t needed)
{
    if (!m_Chunks.empty()) {
        const Chunk& last = m_Chunks.back();
        if (last.capacity - last.used >= needed)
            return m_Chunks.size() - 1;
    }
    // Chunks double with the list, from a few pages for a small table up to
    // MaxChunkBytes.
    std::size_t held = 0;
    for (const Chunk& chunk : m_Chunks)
        held += chunk.capacity;
    Chunk chunk;
    chunk.capacity = std::max(needed, std::min(std::max(held, MinChunkBytes), MaxChunkBytes));
    chunk.bytes.reset(new std::uint8_t[chunk.capacity]);
    chunk.data = chunk.bytes.get();
    m_Chunks.push_back(std::move(chunk));
    return m_Chunks.size() - 1;
}

} // namespace VorlatImportExport
