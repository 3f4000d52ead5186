// The record scan's 64-byte steps for processors with AVX2: this file alone
// is built with AVX2 instructions, and the scan calls it only where the
// processor has them.
#include "text/RecordChunks.h"

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>

namespace VorlatImportExport {

namespace {

// The masks of 64 bytes, 32 at a time.
struct Avx2Chunk {
    explicit Avx2Chunk(const char* p)
        : low(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p))),
          high(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32)))
    {
    }
    std::uint64_t Mask(char byte) const
    {
        const __m256i value = _mm256_set1_epi8(byte);
        const std::uint32_t lowMask = static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(low, value)));
        const std::uint32_t highMask = static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(high, value)));
        return static_cast<std::uint64_t>(lowMask) | (static_cast<std::uint64_t>(highMask) << 32);
    }
    __m256i low;
    __m256i high;
};

} // namespace

const char* ChunkStepsAvx2(const char* p, const char* first, const char* last, std::int64_t base, bool quotes,
                           char separator, ScanState& state, bool& closedBefore, RecordStartSink& offsets)
{
    return ChunkStepsWith<Avx2Chunk>(p, first, last, base, quotes, separator, state, closedBefore, offsets);
}

} // namespace VorlatImportExport
#endif
