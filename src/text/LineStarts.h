#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <vector>

namespace VorlatImportExport {

// Appends, from the stream's read position on, the offset of every line that
// holds at least one byte: the position itself, and the byte after each line
// feed unless the data ends there. These are the offsets a line-by-line read
// gives (an empty line is a line, a last line without a line feed is one, a
// final line feed adds none), found with block reads and memchr instead.
// Reads blockSize bytes at a time; leaves the stream's flags as the reads set
// them, so that the caller can tell a read error (bad()) from the end.
void FindLineStarts(std::istream& stream, std::size_t blockSize, std::vector<std::int64_t>& offsets);

} // namespace VorlatImportExport
