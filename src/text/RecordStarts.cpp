#include "text/RecordStarts.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "index/ByteSource.h"
#include "text/RecordChunks.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif


namespace VorlatImportExport {

namespace {

// Room for the records the first block suggests, and a tenth more, so that
// the list's group headers are not copied over and over while it grows. Reserved room that is
// never written costs address space only.
void ReserveForRecords(RecordStartSink& offsets, std::size_t bytes, std::size_t sampledBytes,
                       std::size_t sampledRecords)
{
    const double perByte = static_cast<double>(sampledRecords + 1) / static_cast<double>(sampledBytes);
    const double estimate = perByte * static_cast<double>(bytes) * 1.1 + 16;
    const double most = static_cast<double>(bytes) / 2 + 16;
    offsets.Reserve(static_cast<std::size_t>(estimate < most ? estimate : most));
}

// The next occurrence of a byte at or after p within [.., last), remembered
// between calls: each occurrence costs one memchr, and a byte that the
// block does not hold costs one search of the block.
class NextByte {
public:
    explicit NextByte(char byte) : m_Byte(byte) {}
    void Reset(const char* last) { m_At = nullptr, m_Last = last; }
    // The block holds none worth finding.
    void SetNone() { m_At = m_Last; }
    const char* From(const char* p)
    {
        if (m_At == m_Last || (m_At && m_At >= p))
            return m_At;
        const void* hit = std::memchr(p, m_Byte, static_cast<std::size_t>(m_Last - p));
        m_At = hit ? static_cast<const char*>(hit) : m_Last;
        return m_At;
    }

private:
    char m_Byte;
    const char* m_At = nullptr;
    const char* m_Last = nullptr;
};




#if defined(__SSE2__)
// The masks of 64 bytes, 16 at a time.
struct Sse2Chunk {
    explicit Sse2Chunk(const char* p)
    {
        for (int i = 0; i < 4; ++i)
            lanes[i] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i));
    }
    std::uint64_t Mask(char byte) const
    {
        const __m128i value = _mm_set1_epi8(byte);
        std::uint64_t mask = 0;
        for (int i = 0; i < 4; ++i)
            mask |= static_cast<std::uint64_t>(static_cast<std::uint32_t>(
                        _mm_movemask_epi8(_mm_cmpeq_epi8(lanes[i], value))))
                    << (16 * i);
        return mask;
    }
    __m128i lanes[4];
};
#endif

} // namespace

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
const char* ChunkStepsAvx2(const char* p, const char* first, const char* last, std::int64_t base, bool quotes,
                           char separator, ScanState& state, bool& closedBefore, RecordStartSink& offsets);
#endif

const char* ChunkSteps(const char* p, const char* first, const char* last, std::int64_t base, bool quotes,
                       char separator, ScanState& state, bool& closedBefore, RecordStartSink& offsets)
{
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
    static const bool avx2 = __builtin_cpu_supports("avx2");
    if (avx2)
        return ChunkStepsAvx2(p, first, last, base, quotes, separator, state, closedBefore, offsets);
#endif
#if defined(__SSE2__)
    return ChunkStepsWith<Sse2Chunk>(p, first, last, base, quotes, separator, state, closedBefore, offsets);
#else
    // No vector steps here: the byte-by-byte loop reads it all.
    (void)first, (void)last, (void)base, (void)quotes, (void)separator, (void)state, (void)closedBefore, (void)offsets;
    return p;
#endif
}

std::int64_t ScanRecordStarts(ByteSource& source, const RecordScan& scan, std::int64_t from, std::int64_t stopAt,
                              ScanState& state, RecordStartSink& offsets, std::int64_t expectedEnd)
{
    const std::size_t blockSize = std::max<std::size_t>(scan.blockSize, 1);
    const ReadBuffer block(blockSize);
    const std::size_t before = offsets.Count();
    std::int64_t base = from;
    NextByte quotes('"'), lineFeeds('\n'), returns('\r');
    bool reserved = expectedEnd < 0;

    while (base < stopAt) {
        // Blocks end where the pass's blocks end, counted from where its
        // scan began (state.origin): whether a long quoted field is a stray
        // quote is decided at those ends, so a scan resumed anywhere decides
        // as one that ran through.
        const std::int64_t gridEnd =
            base + static_cast<std::int64_t>(blockSize) -
            (base - state.origin) % static_cast<std::int64_t>(blockSize);
        const std::int64_t blockEnd = std::min(gridEnd, stopAt);
        const std::size_t want = static_cast<std::size_t>(blockEnd - base);
        const std::size_t n = source.ReadAt(base, block.data(), want);
        const bool atEnd = n < want;
        const bool decides = atEnd || base + static_cast<std::int64_t>(n) == gridEnd;
        const char* const first = block.data();
        const char* const last = first + n;
        const char* p = first;
        // A record starts at q, the byte after a record end, when a byte is
        // there; else at the start of the next block, if it holds one.
        const auto recordStartsAt = [&](const char* q) {
            if (q < last) {
                const std::int64_t at = base + (q - first);
                offsets.Append(&at, 1);
            } else
                state.recordStartsHere = true;
        };

        if (n > 0) {
            if (state.recordStartsHere) {
                offsets.Append(&base, 1);
                state.recordStartsHere = false;
            }
            if (state.crPending) {
                state.crPending = false;
                if (*p == '\n')
                    ++p;
                recordStartsAt(p);
            }
            if (state.quotePending) {
                state.quotePending = false;
                if (*p == '"')
                    ++p; // a doubled quote: still inside the field
                else
                    state.inQuotes = false;
            }
        }
        quotes.Reset(last);
        lineFeeds.Reset(last);
        returns.Reset(last);
        if (!scan.quotes)
            quotes.SetNone();

        // 64 bytes at a time while a byte is left after them (a CR's
        // partner); the byte-by-byte loop below reads the rest, and a chunk
        // whose quotes need every rule.
        bool closedBefore = false; // the byte before p closed a quoted field
        p = ChunkSteps(p, first, last, base, scan.quotes, scan.separator, state, closedBefore, offsets);
        // A quote right after a closing one is a doubled quote: the field
        // goes on.
        if (closedBefore && p < last && *p == '"') {
            state.inQuotes = true;
            ++p;
        }

        while (p < last) {
            if (state.inQuotes) {
                const char* q = quotes.From(p);
                if (state.firstBreakInQuote < 0) {
                    const char* lf = lineFeeds.From(p);
                    const char* cr = returns.From(p);
                    const char* br = std::min(lf, cr);
                    if (br < q)
                        state.firstBreakInQuote = base + (br - first);
                }
                if (q == last) {
                    p = last;
                    break;
                }
                if (q + 1 == last) {
                    state.quotePending = true;
                    p = last;
                    break;
                }
                if (q[1] == '"') {
                    p = q + 2;
                    continue;
                }
                state.inQuotes = false;
                p = q + 1;
                continue;
            }
            const char* s = std::min(std::min(quotes.From(p), lineFeeds.From(p)), returns.From(p));
            if (s == last) {
                p = last;
                break;
            }
            if (*s == '\n') {
                p = s + 1;
                recordStartsAt(p);
            } else if (*s == '\r') {
                if (s + 1 == last) {
                    state.crPending = true;
                    p = last;
                    break;
                }
                p = s[1] == '\n' ? s + 2 : s + 1;
                recordStartsAt(p);
            } else {
                // A quote opens a field only at its start.
                const char before = s > first ? s[-1] : state.previous;
                if (before == scan.separator || before == '\n' || before == '\r') {
                    state.inQuotes = true;
                    state.quoteOpenedAt = base + (s - first);
                    state.firstBreakInQuote = -1;
                }
                p = s + 1;
            }
        }
        if (n > 0)
            state.previous = last[-1];
        if (!reserved && expectedEnd > from && n > 0 && !atEnd) {
            ReserveForRecords(offsets, static_cast<std::size_t>(expectedEnd - from), n, offsets.Count() - before);
            reserved = true;
        }
        base += static_cast<std::int64_t>(n);
        if (!decides)
            continue;

        // A quote inside a quoted field as the data's last byte closes it.
        if (atEnd && state.quotePending)
            state.inQuotes = state.quotePending = false;
        // A quoted field open at the end, or for too long, was a stray
        // quote: its record ends at the first line end after the quote, and
        // the scan goes on from there as if the quote were text.
        const bool stray = state.inQuotes && (atEnd || base - state.quoteOpenedAt > scan.maxQuotedBytes);
        if (stray && source.HasReadError())
            break;
        if (stray) {
            state.inQuotes = state.quotePending = false;
            if (state.firstBreakInQuote >= 0) {
                std::int64_t restart = state.firstBreakInQuote + 1;
                char pair[2] = {0, 0};
                if (source.ReadAt(state.firstBreakInQuote, pair, 2) == 2 && pair[0] == '\r' && pair[1] == '\n')
                    ++restart;
                base = restart;
                state = ScanState();
                state.origin = restart;
                continue;
            }
            // No line end since the quote: the rest reads as text.
            if (!atEnd)
                continue;
        }
        if (atEnd)
            break;
    }
    return base;
}

std::int64_t FindRecordStarts(std::istream& stream, const RecordScan& scan, RecordOffsets& offsets)
{
    const std::streamoff start = stream ? static_cast<std::streamoff>(stream.tellg()) : -1;
    if (start < 0)
        return 0;
    // The size of the rest, to reserve room for the offsets once.
    std::streamoff end = -1;
    if (stream.seekg(0, std::ios::end))
        end = stream.tellg();
    stream.clear();
    IStreamSource source(stream);
    ScanState state;
    state.origin = start;
    OffsetsSink sink(offsets);
    const std::int64_t dataEnd =
        ScanRecordStarts(source, scan, start, INT64_MAX, state, sink, static_cast<std::int64_t>(end));
    if (source.HasReadError())
        stream.setstate(std::ios::badbit);
    // A first block unlike the rest of the data may have asked for far too
    // much room, and the last chunk of encoded offsets is partly unused:
    // giving both back copies the group headers, a quarter byte a record.
    offsets.shrink_to_fit();
    return dataEnd;
}

} // namespace VorlatImportExport
