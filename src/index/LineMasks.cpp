#include "index/LineMasks.h"

namespace VorlatImportExport {

namespace {

#if defined(__SSE2__)
// The masks of 64 bytes, 16 at a time.
struct Sse2Masks {
    Sse2Masks(char a, char b, char c)
        : lf(_mm_set1_epi8('\n')), cr(_mm_set1_epi8('\r')), va(_mm_set1_epi8(a)), vb(_mm_set1_epi8(b)),
          vc(_mm_set1_epi8(c))
    {
    }
    void Get(const char* p, std::uint64_t& lfMask, std::uint64_t& crMask, std::uint64_t& wanted) const
    {
        for (int i = 0; i < 4; ++i) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i));
            const int shift = 16 * i;
            lfMask |= static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, lf))))
                      << shift;
            crMask |= static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, cr))))
                      << shift;
            wanted |= static_cast<std::uint64_t>(static_cast<std::uint32_t>(
                          _mm_movemask_epi8(_mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, va), _mm_cmpeq_epi8(bytes, vb)),
                                                          _mm_cmpeq_epi8(bytes, vc)))))
                      << shift;
        }
    }
    __m128i lf, cr, va, vb, vc;
};
#endif

} // namespace

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
const char* FindMarkerLineAvx2(const char* p, const char* end, bool startsLine, bool atEnd, char a, char b, char c,
                               MarkerResume& resume);
#endif

const char* FindMarkerLine(const char* p, const char* end, bool startsLine, bool atEnd, char a, char b, char c,
                           MarkerResume& resume)
{
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
    static const bool avx2 = __builtin_cpu_supports("avx2");
    if (avx2)
        return FindMarkerLineAvx2(p, end, startsLine, atEnd, a, b, c, resume);
#endif
#if defined(__SSE2__)
    return FindMarkerLineWith<Sse2Masks>(p, end, startsLine, atEnd, a, b, c, resume);
#else
    return FindMarkerLineWith<ByteMasks>(p, end, startsLine, atEnd, a, b, c, resume);
#endif
}

} // namespace VorlatImportExport
