#include "host/RandomAccess.h"

#include "host/Exception.h"
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
    bool seekable = false;
    if (stream) {
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
    if (here < 0 || stream.GetLength() < 0 || !stream.Seek(here))
        Refuse(source, line);
}

} // namespace Host
