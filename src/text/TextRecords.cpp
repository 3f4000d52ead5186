#include "text/TextRecords.h"

namespace VorlatImportExport {

std::int64_t SkipByteOrderMark(std::istream& stream, std::int64_t start)
{
    if (start != 0)
        return start;
    char mark[3] = {0, 0, 0};
    stream.read(mark, 3);
    const bool found = stream.gcount() == 3 && mark[0] == '\xEF' && mark[1] == '\xBB' && mark[2] == '\xBF';
    stream.clear();
    stream.seekg(found ? 3 : 0, std::ios::beg);
    return found ? 3 : 0;
}

bool ReadRecordBytes(std::istream& stream, std::int64_t from, std::int64_t to, std::string& text)
{
    stream.clear();
    if (static_cast<std::int64_t>(static_cast<std::streamoff>(stream.tellg())) != from) {
        stream.clear();
        stream.seekg(static_cast<std::streamoff>(from), std::ios::beg);
    }
    const std::int64_t size = to > from ? to - from : 0;
    text.resize(static_cast<std::size_t>(size));
    stream.read(text.data(), static_cast<std::streamsize>(size));
    if (stream.gcount() != static_cast<std::streamsize>(size)) {
        text.resize(static_cast<std::size_t>(stream.gcount()));
        stream.clear();
        return false;
    }
    return true;
}

void RemoveLineEnd(std::string& text)
{
    if (!text.empty() && text.back() == '\n')
        text.pop_back();
    if (!text.empty() && text.back() == '\r')
        text.pop_back();
}

} // namespace VorlatImportExport
