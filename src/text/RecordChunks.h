#pragma once

// The 64-byte steps of the record scan, shared by the builds of the scan for
// different instruction sets: each includes this file into its own
// translation unit, where everything is internal.
#include <cstddef>
#include <cstdint>

#include "index/RecordOffsets.h"
#include "text/RecordStarts.h"

namespace VorlatImportExport {

namespace {

// Bit i: the parity of the bits 0 to i.
inline std::uint64_t PrefixXor(std::uint64_t x)
{
    x ^= x << 1;
    x ^= x << 2;
    x ^= x << 4;
    x ^= x << 8;
    x ^= x << 16;
    x ^= x << 32;
    return x;
}

// Whether a quote after c may open a quoted field: c ends a field or a line.
inline bool IsFieldEnd(char c, char separator) { return c == separator || c == '\n' || c == '\r'; }

// Scans [p, last) 64 bytes at a time while a byte is left after them (a
// CR's partner): quotes are paired by their parity, and record ends are the
// line ends outside them. Returns where it stopped: near the end of the
// block, or at a chunk whose quotes do not follow that simple pattern (a
// quote inside an unquoted field), which the byte-by-byte loop then reads,
// knowing every rule. Chunk gives the 64-bit masks of a byte value.
template <class Chunk>
inline const char* ChunkStepsWith(const char* p, const char* first, const char* last, std::int64_t base, bool quotes,
                                  char separator, ScanState& state, bool& closedBefore, RecordStartSink& offsets)
{
    // Record starts go to a local batch, handed over through the sink's
    // Append: this template is also built for AVX2, and inline members of
    // a list, built here, could stand in for the plain ones at link time.
    // The batch goes once it holds 64; a chunk adds 64 at most.
    std::int64_t found[128];
    std::size_t count = 0;
    while (last - p > 64) {
        if (count >= 64) {
            offsets.Append(found, count);
            count = 0;
        }
        const Chunk chunk(p);
        const std::uint64_t lf = chunk.Mask('\n');
        const std::uint64_t cr = chunk.Mask('\r');
        const std::uint64_t q = quotes ? chunk.Mask('"') : 0;
        // A CR ends a record unless an LF follows it.
        const std::uint64_t lfNext = (lf >> 1) | (static_cast<std::uint64_t>(p[64] == '\n') << 63);
        const std::uint64_t breaks = lf | (cr & ~lfNext);
        if (!state.inQuotes && q == 0) {
            for (std::uint64_t ends = breaks; ends; ends &= ends - 1)
                found[count++] = base + (p - first) + __builtin_ctzll(ends) + 1;
            p += 64;
            closedBefore = false;
            continue;
        }
        const std::uint64_t inside = PrefixXor(q) ^ (state.inQuotes ? ~std::uint64_t(0) : 0);
        const std::uint64_t opens = q & inside;
        const std::uint64_t closes = q & ~inside;
        const char before = p > first ? p[-1] : state.previous;
        const std::uint64_t separators = chunk.Mask(separator) | lf | cr;
        const std::uint64_t mayOpen = (separators << 1) | static_cast<std::uint64_t>(IsFieldEnd(before, separator)) |
                                      (closes << 1) | static_cast<std::uint64_t>(closedBefore);
        if (opens & ~mayOpen)
            break;
        for (std::uint64_t ends = breaks & ~inside; ends; ends &= ends - 1)
            found[count++] = base + (p - first) + __builtin_ctzll(ends) + 1;
        // Where the field open last began: its opening quote, not the
        // second quote of a doubled one. Kept even when the field closes in
        // this chunk, since a quote right after the chunk may continue it.
        const std::uint64_t fieldOpens = opens & ~((closes << 1) | static_cast<std::uint64_t>(closedBefore));
        const std::uint64_t insideBreaks = (lf | cr) & inside;
        if (fieldOpens) {
            const int open = 63 - __builtin_clzll(fieldOpens);
            state.quoteOpenedAt = base + (p - first) + open;
            state.firstBreakInQuote = -1;
            const std::uint64_t after = insideBreaks & (open == 63 ? 0 : ~std::uint64_t(0) << (open + 1));
            if (after)
                state.firstBreakInQuote = base + (p - first) + __builtin_ctzll(after);
        } else if (state.firstBreakInQuote < 0 && insideBreaks) {
            state.firstBreakInQuote = base + (p - first) + __builtin_ctzll(insideBreaks);
        }
        state.inQuotes = (inside >> 63) != 0;
        closedBefore = (closes >> 63) != 0;
        p += 64;
    }
    offsets.Append(found, count);
    return p;
}

} // namespace

// The steps built for the processor at hand (AVX2 where it has it).
const char* ChunkSteps(const char* p, const char* first, const char* last, std::int64_t base, bool quotes,
                       char separator, ScanState& state, bool& closedBefore, RecordStartSink& offsets);

} // namespace VorlatImportExport
