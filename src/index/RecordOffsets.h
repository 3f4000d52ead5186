#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "index/HeldArray.h"

namespace VorlatImportExport {

// The start offset of every record of a file, in about 2 bytes a record
// where a plain list takes 8, read back in constant time.
//
// Offsets are kept in groups of 64: a group holds its smallest offset (the
// base) and each offset's distance from it, all distances of the group in
// the fewest whole bytes (1 to 8) that hold the largest. Records of 100
// bytes give 2-byte distances, so a group costs 128 bytes and a 16-byte
// header: 2.25 bytes a record. Reading an offset is one header and one
// 8-byte load masked to the group's width.
//
// The group being filled is a plain array, encoded once it is full and the
// next offset comes, so that push_back is a store and a count. Offsets may come in any order; ascending
// ones (records in file order) give the small distances, and an offset far
// from its neighbours only widens its own group.
//
// Encoded bytes sit in chunks of up to 1 MiB that never move, so the list
// grows without copying what it holds and without holding twice its size
// while it grows.
class RecordOffsets {
public:
    RecordOffsets() = default;
    RecordOffsets(const RecordOffsets& other);
    RecordOffsets& operator=(const RecordOffsets& other);
    ~RecordOffsets();

    void push_back(std::int64_t offset)
    {
        // A full group is encoded when the next offset comes, so that a
        // failed encoding (no memory) leaves the list as it was.
        if (m_TailCount == GroupSize)
            EncodeTail();
        m_Tail[m_TailCount++] = offset;
    }

    // The offset at index, which must be below size().
    std::int64_t operator[](std::size_t index) const
    {
        const std::size_t at = index + m_Dropped;
        const std::size_t group = at / GroupSize;
        if (group < m_Groups.size()) {
            const Group& header = m_Groups[group];
            const unsigned width = static_cast<unsigned>(header.where & WidthMask);
            const std::uint8_t* bytes = m_Chunks[header.where >> ChunkShift].data +
                                        ((header.where >> PositionShift) & PositionMask) + (at % GroupSize) * width;
            return static_cast<std::int64_t>(static_cast<std::uint64_t>(header.base) + LoadDistance(bytes, width));
        }
        return m_Tail[at % GroupSize];
    }

    std::size_t size() const { return m_Groups.size() * GroupSize + m_TailCount - m_Dropped; }
    bool empty() const { return size() == 0; }
    // The last offset; the list must not be empty.
    std::int64_t back() const { return (*this)[size() - 1]; }

    // Empties the list and gives back all its memory.
    void clear();
    // Room for this many offsets in all, made once (the group headers; the
    // encoded bytes grow in chunks). Room never written costs address space
    // only.
    void reserve(std::size_t count);
    // Gives back room reserved or allocated beyond what the offsets need.
    void shrink_to_fit();

    // Leaves out the first count offsets (all of them when there are fewer):
    // offset i is then what offset i + count was. Header lines are dropped
    // this way: nothing is moved or encoded again.
    void DropFront(std::size_t count);
    // Appends count offsets, as push_back of each would; whole groups are
    // encoded straight from the caller's array.
    void Append(const std::int64_t* offsets, std::size_t count);
    // Puts the offsets in a random order, drawn with std::rand as the
    // standard random_shuffle does (Fisher-Yates from the end), so a seeded
    // rand gives the same order as before. Records then no longer follow the
    // file: the difference of neighbouring offsets is no record size. The
    // list stays compact, though less so, since a group's offsets now lie
    // far apart.
    void Shuffle();

    // Bytes the list holds: the object itself and everything it allocated.
    std::size_t MemoryUsage() const;

    void swap(RecordOffsets& other) noexcept;

    // The list as bytes, its encoded groups as they are (for a saved index).
    void SaveTo(std::string& bytes) const;
    // The list SaveTo wrote, after checking every count, size and place in
    // it; false (and the list unchanged) for bytes it did not write. Given
    // keep (the owner of bytes, which must be 8-aligned and followed by 8
    // more readable bytes), the list reads its groups where they lie instead
    // of copying them.
    bool LoadFrom(const char* bytes, std::size_t size, std::shared_ptr<const void> keep = nullptr);
    // Whether every offset lies in [first, end] and none is less than the one
    // before it (a saved list that says otherwise is not of the file).
    bool InOrderWithin(std::int64_t first, std::int64_t end) const;

private:
    static constexpr std::size_t GroupSize = 64;
    // The bytes after a group's last distance that an 8-byte load of it
    // reads: every chunk keeps them after its last group.
    static constexpr std::size_t Slack = 8;
    static constexpr std::size_t MinChunkBytes = 4 << 10;
    static constexpr std::size_t MaxChunkBytes = 1 << 20;

    // Group::where: the width in bytes (1..8) in bits 0-3, the position of
    // the group's first distance in its chunk in bits 4-23, the chunk's
    // number above.
    static constexpr unsigned PositionShift = 4;
    static constexpr unsigned ChunkShift = 24;
    static constexpr std::uint64_t WidthMask = 15;
    static constexpr std::uint64_t PositionMask = (std::uint64_t(1) << (ChunkShift - PositionShift)) - 1;
    static_assert(MaxChunkBytes <= PositionMask + 1, "a position in a chunk must fit its field");

    struct Group {
        std::int64_t base;
        std::uint64_t where;
    };
    struct Chunk {
        std::unique_ptr<std::uint8_t[]> bytes; // none when borrowed
        const std::uint8_t* data = nullptr;
        std::size_t capacity = 0;
        std::size_t used = 0; // distances written; Slack more bytes are readable
    };

    // The distance stored at bytes with the given width: the 8 bytes there,
    // read as little-endian, masked to the width.
    static std::uint64_t LoadDistance(const std::uint8_t* bytes, unsigned width)
    {
        std::uint64_t value;
        std::memcpy(&value, bytes, sizeof value);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
        value = __builtin_bswap64(value);
#endif
        return value & (~std::uint64_t(0) >> (64 - 8 * width));
    }

    // Encodes the full group being filled and empties it.
    void EncodeTail();
    // Encodes GroupSize offsets as a new group.
    void EncodeGroup(const std::int64_t* offsets);
    // The number of a chunk with room for needed more bytes: the last one,
    // or a new one when the last has no room.
    std::size_t ChunkWithRoom(std::size_t needed);

    HeldArray<Group> m_Groups;
    std::vector<Chunk> m_Chunks;
    // What borrowed chunks read from.
    std::shared_ptr<const void> m_Keep;
    std::size_t m_Dropped = 0;
    std::size_t m_TailCount = 0;
    std::int64_t m_Tail[GroupSize] = {};
};

} // namespace VorlatImportExport
