#include "text/LineStarts.h"

#include <cstring>
#include <memory>

namespace VorlatImportExport {

namespace {

// Room for the lines the first block suggests, and a tenth more, so that the
// list is not copied over and over while it grows. Reserved room that is
// never written costs address space only.
void ReserveForLines(std::vector<std::int64_t>& offsets, std::size_t bytes, std::size_t sampledBytes,
                     std::size_t sampledLines)
{
    const double perByte = static_cast<double>(sampledLines + 1) / static_cast<double>(sampledBytes);
    const double estimate = perByte * static_cast<double>(bytes) * 1.1 + 16;
    const double most = static_cast<double>(bytes) / 2 + 16;
    offsets.reserve(static_cast<std::size_t>(estimate < most ? estimate : most));
}

} // namespace

void FindLineStarts(std::istream& stream, std::size_t blockSize, std::vector<std::int64_t>& offsets)
{
    const std::streamoff start = stream ? static_cast<std::streamoff>(stream.tellg()) : -1;
    if (start < 0)
        return;
    // The size of the rest, to reserve room for the offsets once; a stream
    // that cannot tell is read all the same.
    std::streamoff end = -1;
    if (stream.seekg(0, std::ios::end))
        end = stream.tellg();
    stream.clear();
    stream.seekg(start, std::ios::beg);

    if (blockSize == 0)
        blockSize = 1;
    std::unique_ptr<char[]> block(new char[blockSize]);
    const std::size_t before = offsets.size();
    std::int64_t base = start;
    bool lineStartsHere = true; // a line starts at base, if a byte is there
    for (;;) {
        stream.read(block.get(), static_cast<std::streamsize>(blockSize));
        const std::size_t n = static_cast<std::size_t>(stream.gcount());
        if (n == 0)
            break;
        if (lineStartsHere)
            offsets.push_back(base);
        const char* const first = block.get();
        const char* const last = first + n;
        const char* p = first;
        lineStartsHere = false;
        while (const void* hit = std::memchr(p, '\n', static_cast<std::size_t>(last - p))) {
            p = static_cast<const char*>(hit) + 1;
            if (p == last) {
                lineStartsHere = true;
                break;
            }
            offsets.push_back(base + (p - first));
        }
        if (base == start && end > start && n < static_cast<std::size_t>(end - start))
            ReserveForLines(offsets, static_cast<std::size_t>(end - start), n, offsets.size() - before);
        base += static_cast<std::int64_t>(n);
        if (n < blockSize)
            break;
    }
    // A first block unlike the rest of the data may have asked for far too
    // much room.
    if (offsets.capacity() / 5 > offsets.size() / 4 + 1024)
        offsets.shrink_to_fit();
}

} // namespace VorlatImportExport
