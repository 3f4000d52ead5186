#include "host/RandomAccess.h"

#include "host/Exception.h"
#include "host/GzipFile.h"
#include "host/InputStream.h"

namespace Host {

namespace {

[[noreturn]] void Refuse(const char* source, int line)
{
    throw OrvixException(source, line,
                         L"The file cannot be read at random positions: it is a pipe or another stream that "
                         L"cannot seek. Save it to a file first.");
}

} // namespace

void RequireRandomAccess(std::istream& stream, const char* source, int line)
{
    // A gzip stream seeks anywhere in its data, though its end is known only
    // once the data has been read through (the index pass does that).
    bool seekable = stream && dynamic_cast<GzipStreamBuffer*>(stream.rdbuf()) != nullptr;
    if (stream && !seekable) {
        const std::streampos here = stream.tellg();
        if (here != std::streampos(-1)) {
            // Telling is not enough: some streams tell but cannot go back.
            seekable = static_cast<bool>(stream.seekg(0, std::ios::end)) && stream.tellg() != std::streampos(-1);
            stream.clear();
            seekable = seekable && static_cast<bool>(stream.seekg(here));
        }
    }
    if (!seekable) {
        stream.clear();
        Refuse(source, line);
    }
}

void RequireRandomAccess(InputStream& stream, const char* source, int line)
{
    const std::int64_t here = stream.GetPosition();
    const bool lengthLearnedByReading = dynamic_cast<GzipInputStream*>(&stream) != nullptr;
    if (here < 0 || (stream.GetLength() < 0 && !lengthLearnedByReading) || !stream.Seek(here))
        Refuse(source, line);
}

} // namespace Host
