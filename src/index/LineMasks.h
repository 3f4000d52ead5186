#pragma once

// Vector searches for the line-based index scans: line ends, and the lines
// that start with a marker byte. SSE2 where the processor has it (every
// x86-64 does), byte by byte elsewhere.
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace VorlatImportExport {

// Where a search for marker lines stopped without finding one: the position
// to go on from once more bytes are read, and whether a line starts there.
struct MarkerResume {
    const char* at = nullptr;
    bool startsLine = false;
};

// The first line start in [p, end) whose first byte is a, b or c; null when
// there is none, with resume set. startsLine: whether a line starts at p.
// Lines end in LF, CR LF or a lone CR; atEnd says that the data ends at end
// (otherwise a CR as the last byte is left for the next search, since its
// LF may follow). Uses AVX2 where the processor has it.
const char* FindMarkerLine(const char* p, const char* end, bool startsLine, bool atEnd, char a, char b, char c,
                           MarkerResume& resume);

// Internal to each file that includes this one: the file built with AVX2
// must not lend its copies to the others.
namespace {

// The first LF or CR in [p, end), or end.
inline const char* FindLineEndByte(const char* p, const char* end)
{
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i cr = _mm_set1_epi8('\r');
    while (end - p >= 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const int mask = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(bytes, lf), _mm_cmpeq_epi8(bytes, cr)));
        if (mask)
            return p + __builtin_ctz(static_cast<unsigned>(mask));
        p += 16;
    }
#endif
    while (p != end && *p != '\n' && *p != '\r')
        ++p;
    return p;
}

// The search's steps, for the builds of it for each instruction set: Masks
// gives, for the 64 bytes at p, the masks of LF, CR and the bytes a, b or c.
template <class Masks>
inline const char* FindMarkerLineWith(const char* p, const char* end, bool startsLine, bool atEnd, char a, char b, char c,
                                      MarkerResume& resume)
{
    std::uint64_t carry = startsLine ? 1 : 0;
    const Masks masks(a, b, c);
    // 64 bytes at a time while the byte after them can be read too.
    while (end - p > 64) {
        std::uint64_t lfMask = 0, crMask = 0, wanted = 0;
        masks.Get(p, lfMask, crMask, wanted);
        // A CR ends a line unless an LF follows it.
        const std::uint64_t lfNext = (lfMask >> 1) | (static_cast<std::uint64_t>(p[64] == '\n') << 63);
        const std::uint64_t ends = lfMask | (crMask & ~lfNext);
        const std::uint64_t starts = (ends << 1) | carry;
        const std::uint64_t hits = starts & wanted;
        if (hits)
            return p + __builtin_ctzll(hits);
        carry = ends >> 63;
        p += 64;
    }
    bool start = carry != 0;
    for (; p != end; ++p) {
        const char byte = *p;
        if (start && (byte == a || byte == b || byte == c))
            return p;
        if (byte == '\r') {
            if (p + 1 == end && !atEnd) {
                resume.at = p;
                resume.startsLine = start;
                return nullptr;
            }
            start = p + 1 == end || p[1] != '\n';
        } else {
            start = byte == '\n';
        }
    }
    resume.at = end;
    resume.startsLine = start;
    return nullptr;
}

// The masks byte by byte, where there are no vector instructions.
struct ByteMasks {
    ByteMasks(char a, char b, char c) : a(a), b(b), c(c) {}
    void Get(const char* p, std::uint64_t& lfMask, std::uint64_t& crMask, std::uint64_t& wanted) const
    {
        for (int i = 0; i < 64; ++i) {
            const std::uint64_t bit = std::uint64_t(1) << i;
            lfMask |= p[i] == '\n' ? bit : 0;
            crMask |= p[i] == '\r' ? bit : 0;
            wanted |= p[i] == a || p[i] == b || p[i] == c ? bit : 0;
        }
    }
    char a, b, c;
};

} // namespace

} // namespace VorlatImportExport
