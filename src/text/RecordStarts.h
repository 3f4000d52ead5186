#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <vector>

#include "index/RecordOffsets.h"

namespace VorlatImportExport {

struct RecordScan {
    // Bytes read at a time (at least 1); small values let tests put line
    // ends and quotes at block edges.
    std::size_t blockSize = 1 << 20;
    // Whether a double quote at the start of a field opens a quoted field
    // whose line breaks belong to the field (CSV), or is a byte like any
    // other (Quenbar).
    bool quotes = true;
    // The byte between fields: a quote after it opens a quoted field.
    char separator = ',';
    // A quoted field still open after this many bytes, or at the end of the
    // data, is taken for a stray quote: its record ends at the first line
    // end after the quote, and the scan goes on from there.
    std::int64_t maxQuotedBytes = 4 << 20;
};

// The scan's state between blocks.
struct ScanState {
    bool inQuotes = false;
    bool quotePending = false; // a quote inside a quoted field ended the last block
    bool crPending = false;    // a carriage return ended the last block
    char previous = '\n';      // the last byte of the last block
    bool recordStartsHere = true;
    std::int64_t quoteOpenedAt = -1;
    std::int64_t firstBreakInQuote = -1; // the first CR or LF after the opening quote
    // Where the scan's blocks are counted from: its start, or where it went
    // on after a stray quote.
    std::int64_t origin = 0;

    // Whether a scan that arrives in this state reads on as one in other
    // would, as long as a quoted field open in both does not turn into a
    // stray quote (where it opened is not compared: the caller sees to that).
    bool ReadsOnAs(const ScanState& other) const
    {
        return inQuotes == other.inQuotes && quotePending == other.quotePending && crPending == other.crPending &&
               previous == other.previous && recordStartsHere == other.recordStartsHere && origin == other.origin;
    }
};

// Appends, from the stream's read position on, the offset of every record
// that holds at least one byte: the position itself, and the byte after
// each record end unless the data ends there. A record ends at a line end
// outside a quoted field: a line feed, a carriage return and line feed, or
// a carriage return alone (old Mac files). A quoted field starts with a
// double quote at the start of a field (at a record start or after the
// separator, a comma unless the scan says otherwise)
// and ends at a double quote that is not doubled; a quote elsewhere is text.
//
// Reads in blocks and looks at 64 bytes at a time (SSE2, or AVX2 where the
// processor has it), pairing quotes by their parity, so that a file costs
// little more than a search for line feeds; chunks whose quotes break the
// simple pattern are read byte by byte. Returns the offset where the data
// ends. Leaves the stream's flags
// as the reads set them, so that the caller can tell a read error (bad())
// from the end; the stream must be able to seek back (an unclosed quote
// makes the scan read again from the line after it).
std::int64_t FindRecordStarts(std::istream& stream, const RecordScan& scan, RecordOffsets& offsets);

class ByteSource;

// Where a record scan puts the starts it finds, a run at a time.
class RecordStartSink {
public:
    virtual ~RecordStartSink() = default;
    virtual void Append(const std::int64_t* starts, std::size_t count) = 0;
    // How many it holds, and room for this many in all.
    virtual std::size_t Count() const = 0;
    virtual void Reserve(std::size_t) {}
};

// The starts into a compact list, or a plain one.
class OffsetsSink : public RecordStartSink {
public:
    explicit OffsetsSink(RecordOffsets& offsets) : m_Offsets(offsets) {}
    void Append(const std::int64_t* starts, std::size_t count) override { m_Offsets.Append(starts, count); }
    std::size_t Count() const override { return m_Offsets.size(); }
    void Reserve(std::size_t count) override { m_Offsets.reserve(count); }

private:
    RecordOffsets& m_Offsets;
};

class PlainSink : public RecordStartSink {
public:
    explicit PlainSink(std::vector<std::int64_t>& starts) : m_Starts(starts) {}
    void Append(const std::int64_t* starts, std::size_t count) override
    {
        m_Starts.insert(m_Starts.end(), starts, starts + count);
    }
    std::size_t Count() const override { return m_Starts.size(); }

private:
    std::vector<std::int64_t>& m_Starts;
};

// The same scan over the bytes [from, stopAt) of a source, from the state a
// scan has at from, which it leaves as it is at the position returned:
// stopAt, or the end of the data when that comes first. A scan of a whole
// table starts at its first byte with a fresh state whose origin is that
// byte. Records that start before stopAt are appended; one that starts right
// at stopAt is left to the next scan (state.recordStartsHere). expectedEnd:
// where the data is thought to end, to reserve room once (-1: unknown).
std::int64_t ScanRecordStarts(ByteSource& source, const RecordScan& scan, std::int64_t from, std::int64_t stopAt,
                              ScanState& state, RecordStartSink& offsets, std::int64_t expectedEnd = -1);

} // namespace VorlatImportExport
