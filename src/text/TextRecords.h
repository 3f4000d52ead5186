#pragma once

#include <cstdint>
#include <istream>
#include <string>

namespace VorlatImportExport {

// While it lives, the caller's stream throws no exceptions: a stream handed
// over with exceptions() set reads like any other, and the provider reports
// problems its own way. The caller's setting comes back afterwards (with the
// stream's flags cleared, as the providers leave them).
class StreamExceptionsOff {
public:
    explicit StreamExceptionsOff(std::istream& stream) : m_Stream(stream), m_Mask(stream.exceptions())
    {
        m_Stream.exceptions(std::ios::goodbit);
    }
    ~StreamExceptionsOff()
    {
        m_Stream.clear();
        try {
            m_Stream.exceptions(m_Mask);
        } catch (...) {
        }
    }
    StreamExceptionsOff(const StreamExceptionsOff&) = delete;
    StreamExceptionsOff& operator=(const StreamExceptionsOff&) = delete;

private:
    std::istream& m_Stream;
    std::ios::iostate m_Mask;
};

// At offset 0, skips a UTF-8 byte-order mark (what Excel's "CSV UTF-8"
// writes first), which is no part of the first title. Returns the position
// the table starts at; the stream stands there.
std::int64_t SkipByteOrderMark(std::istream& stream, std::int64_t start);

// Reads the bytes [from, to) of the stream into text; false when fewer are
// there (the file shrank). Reading records in order finds the stream at the
// next record already: no seek then, so the stream keeps its buffer.
bool ReadRecordBytes(std::istream& stream, std::int64_t from, std::int64_t to, std::string& text);

// text without the line end it closes with (LF, CR LF or a lone CR).
void RemoveLineEnd(std::string& text);

} // namespace VorlatImportExport
