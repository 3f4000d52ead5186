#include "host/SimpleStreamBuffer.h"

#include <cstring>

namespace Host {

BaseStreamBuffer::~BaseStreamBuffer() = default;

SimpleStreamBuffer::SimpleStreamBuffer(boost::shared_ptr<InputStream> stream, std::size_t capacity)
    : m_Stream(std::move(stream)), m_Data(capacity == 0 ? 1 : capacity)
{
    if (m_Stream) {
        const std::int64_t position = m_Stream->GetPosition();
        m_Start = position > 0 ? position : 0;
    }
}

SimpleStreamBuffer::~SimpleStreamBuffer() = default;

bool SimpleStreamBuffer::FillFrom(std::int64_t position)
{
    if (!m_Stream || position < 0)
        return false;
    const std::int64_t end = m_Start + static_cast<std::int64_t>(m_Size);
    if (position >= m_Start && position <= end) {
        // Keep what is held from position on, at the front of the block.
        const std::size_t keep = static_cast<std::size_t>(end - position);
        if (keep > 0 && position > m_Start)
            std::memmove(m_Data.data(), m_Data.data() + (position - m_Start), keep);
        m_Size = keep;
    } else {
        if (!m_Stream->Seek(position)) {
            m_Start = position;
            m_Size = 0;
            return false;
        }
        m_Size = 0;
    }
    m_Start = position;
    while (m_Size < m_Data.size()) {
        const std::size_t n = m_Stream->Read(m_Data.data() + m_Size, m_Data.size() - m_Size);
        if (n == 0)
            break;
        m_Size += n;
    }
    return m_Size > 0;
}

} // namespace Host
