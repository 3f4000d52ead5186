// The marker-line search for processors with AVX2: this file alone is built
// with AVX2 instructions, and the search calls it only where the processor
// has them.
#include "index/LineMasks.h"

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>

namespace VorlatImportExport {

namespace {

// The masks of 64 bytes, 32 at a time.
struct Avx2Masks {
    Avx2Masks(char a, char b, char c)
        : lf(_mm256_set1_epi8('\n')), cr(_mm256_set1_epi8('\r')), va(_mm256_set1_epi8(a)), vb(_mm256_set1_epi8(b)),
          vc(_mm256_set1_epi8(c))
    {
    }
    static std::uint64_t Join(__m256i low, __m256i high)
    {
        return static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm256_movemask_epi8(low))) |
               (static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm256_movemask_epi8(high))) << 32);
    }
    void Get(const char* p, std::uint64_t& lfMask, std::uint64_t& crMask, std::uint64_t& wanted) const
    {
        const __m256i low = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
        const __m256i high = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32));
        lfMask = Join(_mm256_cmpeq_epi8(low, lf), _mm256_cmpeq_epi8(high, lf));
        crMask = Join(_mm256_cmpeq_epi8(low, cr), _mm256_cmpeq_epi8(high, cr));
        wanted = Join(Any(low), Any(high));
    }
    __m256i Any(__m256i bytes) const
    {
        return _mm256_or_si256(_mm256_or_si256(_mm256_cmpeq_epi8(bytes, va), _mm256_cmpeq_epi8(bytes, vb)),
                               _mm256_cmpeq_epi8(bytes, vc));
    }
    __m256i lf, cr, va, vb, vc;
};

} // namespace

const char* FindMarkerLineAvx2(const char* p, const char* end, bool startsLine, bool atEnd, char a, char b, char c,
                               MarkerResume& resume)
{
    return FindMarkerLineWith<Avx2Masks>(p, end, startsLine, atEnd, a, b, c, resume);
}

} // namespace VorlatImportExport
#endif
