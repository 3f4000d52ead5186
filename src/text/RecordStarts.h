#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>

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
    // A quoted field still open after this many bytes, or at the end of the
    // data, is taken for a stray quote: its record ends at the first line
    // end after the quote, and the scan goes on from there.
    std::int64_t maxQuotedBytes = 4 << 20;
};

// Appends, from the stream's read position on, the offset of every record
// that holds at least one byte: the position itself, and the byte after
// each record end unless the data ends there. A record ends at a line end
// outside a quoted field: a line feed, a carriage return and line feed, or
// a carriage return alone (old Mac files). A quoted field starts with a
// double quote at the start of a field (at a record start or after a comma)
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

} // namespace VorlatImportExport
