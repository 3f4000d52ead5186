#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "index/ByteSource.h"

namespace VorlatImportExport {

// A window of a file's bytes for a scan that walks forward through it: the
// bytes [Begin(), End()) are the file's from Offset(Begin()) on. More() keeps
// the bytes from a given point and reads the next ones after them; the window
// grows only when a single line or item needs more room than it has. 64
// bytes after End() can always be read (they hold nothing of the file), so
// that vector loads near the end stay inside the buffer.
class ScanWindow {
public:
    static constexpr std::size_t Padding = 64;

    ScanWindow(ByteSource& source, std::size_t size);

    // Empties the window and places it at position; nothing is read yet.
    void Start(std::int64_t position);
    const char* Begin() const { return m_Data; }
    const char* End() const { return m_Data + m_Size; }
    // Whether End() is the end of the data.
    bool AtEnd() const { return m_AtEnd; }
    std::int64_t Offset(const char* p) const { return m_Base + (p - m_Data); }
    // Keeps the bytes from keep on, reads more after them and moves keep to
    // where its byte now is; every other pointer into the window is stale
    // afterwards. False when nothing more could be read (AtEnd() is then
    // true).
    bool More(const char*& keep);

    // Makes the line at p, and the bytes that end it, lie whole in the
    // window (p may move). Sets lineEnd to its first end byte (or End() when
    // the data ends without one) and next to where the next line starts
    // (End() at the end of the data). Lines end in LF, CR LF or a lone CR.
    // False when no byte is left at p.
    bool Line(const char*& p, const char*& lineEnd, const char*& next);
    // Makes at least count bytes from p lie in the window, unless the data
    // ends first (p may move); returns how many do, up to count.
    std::size_t Ensure(const char*& p, std::size_t count);

private:
    // Room for capacity bytes held from any place of the buffer that puts
    // the end of what is kept on a 64-byte boundary, and the padding.
    static ReadBuffer NewBuffer(std::size_t capacity);

    ByteSource& m_Source;
    ReadBuffer m_Buffer;
    // The window's first byte, in m_Buffer. Bytes are read to the end of
    // what is kept, which More places on a 64-byte boundary: see ReadBuffer.
    char* m_Data;
    std::size_t m_Capacity;
    std::size_t m_Size = 0;
    std::int64_t m_Base = 0;
    bool m_AtEnd = false;
};

} // namespace VorlatImportExport
