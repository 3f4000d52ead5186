#include "index/ScanWindow.h"

#include <cstring>

#include "index/LineMasks.h"

namespace VorlatImportExport {

ScanWindow::ScanWindow(ByteSource& source, std::size_t size)
    : m_Source(source), m_Buffer(NewBuffer(size < 64 ? 64 : size)), m_Data(m_Buffer.data()),
      m_Capacity(size < 64 ? 64 : size)
{
    std::memset(m_Data, 0, Padding);
}

ReadBuffer ScanWindow::NewBuffer(std::size_t capacity)
{
    return ReadBuffer(ReadBuffer::Alignment + capacity + Padding);
}

void ScanWindow::Start(std::int64_t position)
{
    m_Base = position;
    m_Size = 0;
    m_AtEnd = false;
}

bool ScanWindow::More(const char*& keep)
{
    if (m_AtEnd)
        return false;
    std::size_t from = static_cast<std::size_t>(keep - m_Data);
    if (from > m_Size)
        from = m_Size;
    const std::size_t kept = m_Size - from;
    // The kept bytes go where their end, and so the read after them, lies
    // on a 64-byte boundary.
    const std::size_t lead = (ReadBuffer::Alignment - kept % ReadBuffer::Alignment) % ReadBuffer::Alignment;
    if (from == 0 && kept == m_Capacity) {
        // One line or item fills the window: twice the room.
        const std::size_t capacity = m_Capacity * 2;
        ReadBuffer buffer = NewBuffer(capacity);
        std::memcpy(buffer.data() + lead, m_Data, kept);
        m_Buffer = std::move(buffer);
        m_Capacity = capacity;
    } else if (kept > 0) {
        std::memmove(m_Buffer.data() + lead, m_Data + from, kept);
    }
    m_Data = m_Buffer.data() + lead;
    m_Base += static_cast<std::int64_t>(from);
    m_Size = kept;
    const std::size_t wanted = m_Capacity - kept;
    const std::size_t got = m_Source.ReadAt(m_Base + static_cast<std::int64_t>(kept), m_Data + kept, wanted);
    m_Size += got;
    std::memset(m_Data + m_Size, 0, Padding);
    if (got < wanted)
        m_AtEnd = true;
    keep = m_Data;
    return got > 0;
}

bool ScanWindow::Line(const char*& p, const char*& lineEnd, const char*& next)
{
    std::size_t scanned = 0; // bytes from p known to hold no line end
    for (;;) {
        const char* const end = End();
        const char* const e = FindLineEndByte(p + scanned, end);
        if (e != end) {
            if (*e == '\n' || e + 1 < end || m_AtEnd) {
                lineEnd = e;
                next = *e == '\r' && e + 1 < end && e[1] == '\n' ? e + 2 : e + 1;
                return true;
            }
        } else if (m_AtEnd) {
            if (p == end)
                return false;
            lineEnd = next = end;
            return true;
        }
        // A CR as the last byte may have its LF in the bytes to come: the
        // search goes on from it (or from the end) once they are read.
        scanned = static_cast<std::size_t>(e - p);
        More(p);
    }
}

std::size_t ScanWindow::Ensure(const char*& p, std::size_t count)
{
    while (static_cast<std::size_t>(End() - p) < count && !m_AtEnd)
        More(p);
    const std::size_t held = static_cast<std::size_t>(End() - p);
    return held < count ? held : count;
}

} // namespace VorlatImportExport
