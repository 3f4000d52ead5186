#include "index/RecordOffsets.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace VorlatImportExport {

RecordOffsets::RecordOffsets(const RecordOffsets& other)
    : m_Groups(other.m_Groups), m_Dropped(other.m_Dropped), m_TailCount(other.m_TailCount)
{
    // Each chunk is copied at the size its groups need: a copy holds no
    // spare room.
    m_Chunks.reserve(other.m_Chunks.size());
    for (const Chunk& chunk : other.m_Chunks) {
        Chunk copy;
        copy.capacity = chunk.used + Slack;
        copy.used = chunk.used;
        copy.bytes.reset(new std::uint8_t[copy.capacity]);
        std::memcpy(copy.bytes.get(), chunk.bytes.get(), copy.capacity);
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
    if (last.capacity > needed) {
        std::unique_ptr<std::uint8_t[]> bytes(new std::uint8_t[needed]);
        std::memcpy(bytes.get(), last.bytes.get(), needed);
        last.bytes = std::move(bytes);
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
        bytes.append(reinterpret_cast<const char*>(chunk.bytes.get()), chunk.used);
        bytes.resize((bytes.size() + 7) / 8 * 8, '\0');
    }
}

bool RecordOffsets::LoadFrom(const char* bytes, std::size_t size)
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
    loaded.m_Groups.resize(static_cast<std::size_t>(counts.groups));
    if (!loaded.m_Groups.empty())
        std::memcpy(loaded.m_Groups.data(), p, loaded.m_Groups.size() * sizeof(Group));
    p += loaded.m_Groups.size() * sizeof(Group);
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
        chunk.capacity = static_cast<std::size_t>(chunkUsed) + Slack;
        chunk.used = static_cast<std::size_t>(chunkUsed);
        chunk.bytes.reset(new std::uint8_t[chunk.capacity]());
        std::memcpy(chunk.bytes.get(), p, chunk.used);
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
    swap(loaded);
    return true;
}

namespace {

// Whether the group's offsets from index `from` on are in order after
// previous and at most end; previous becomes the last. The usual widths get
// loops of their own (a plain load, mask and compare each).
template <unsigned Width>
bool GroupInOrder(const std::uint8_t* bytes, unsigned width, std::uint64_t base, std::size_t from,
                  std::size_t count, std::uint64_t& previous, std::uint64_t end)
{
    const unsigned w = Width ? Width : width;
    const std::uint64_t mask = w < 8 ? (std::uint64_t(1) << (8 * w)) - 1 : ~std::uint64_t(0);
    for (std::size_t i = from; i < count; ++i) {
        std::uint64_t distance;
        std::memcpy(&distance, bytes + i * w, sizeof distance);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
        distance = __builtin_bswap64(distance);
#endif
        const std::uint64_t offset = base + (distance & mask);
        if (offset < previous || offset > end)
            return false;
        previous = offset;
    }
    return true;
}

} // namespace

bool RecordOffsets::InOrderWithin(std::int64_t first, std::int64_t end) const
{
    if (first < 0 || end < first)
        return empty();
    // Offsets compared as unsigned numbers from 0: a negative one is then
    // beyond any end.
    std::uint64_t previous = static_cast<std::uint64_t>(first);
    const std::uint64_t last = static_cast<std::uint64_t>(end);
    for (std::size_t g = m_Dropped / GroupSize; g < m_Groups.size(); ++g) {
        const Group& group = m_Groups[g];
        const unsigned width = static_cast<unsigned>(group.where & WidthMask);
        const std::uint8_t* bytes = m_Chunks[group.where >> ChunkShift].bytes.get() +
                                    ((group.where >> PositionShift) & PositionMask);
        const std::size_t from = g == m_Dropped / GroupSize ? m_Dropped % GroupSize : 0;
        const std::uint64_t base = static_cast<std::uint64_t>(group.base);
        bool inOrder = false;
        switch (width) {
        case 1: inOrder = GroupInOrder<1>(bytes, width, base, from, GroupSize, previous, last); break;
        case 2: inOrder = GroupInOrder<2>(bytes, width, base, from, GroupSize, previous, last); break;
        case 3: inOrder = GroupInOrder<3>(bytes, width, base, from, GroupSize, previous, last); break;
        case 4: inOrder = GroupInOrder<4>(bytes, width, base, from, GroupSize, previous, last); break;
        default: inOrder = GroupInOrder<0>(bytes, width, base, from, GroupSize, previous, last); break;
        }
        if (!inOrder)
            return false;
    }
    const std::size_t tailFrom = m_Dropped > m_Groups.size() * GroupSize ? m_Dropped - m_Groups.size() * GroupSize : 0;
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
    m_Chunks.push_back(std::move(chunk));
    return m_Chunks.size() - 1;
}

} // namespace VorlatImportExport
