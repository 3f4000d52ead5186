#include "host/StdInputStream.h"

namespace Host {

StdInputStream::StdInputStream(std::istream& stream) : m_Stream(stream) {}

StdInputStream::~StdInputStream() = default;

std::size_t StdInputStream::Read(char* buffer, std::size_t size)
{
    if (!m_Stream.good())
        return 0;
    m_Stream.read(buffer, static_cast<std::streamsize>(size));
    if (m_Stream.bad())
        m_ReadError = true;
    return static_cast<std::size_t>(m_Stream.gcount());
}

bool StdInputStream::Seek(std::int64_t position)
{
    m_Stream.clear();
    return static_cast<bool>(m_Stream.seekg(static_cast<std::streamoff>(position), std::ios::beg));
}

std::int64_t StdInputStream::GetPosition()
{
    m_Stream.clear(m_Stream.rdstate() & ~std::ios::eofbit);
    return static_cast<std::int64_t>(m_Stream.tellg());
}

std::int64_t StdInputStream::GetLength()
{
    m_Stream.clear();
    const std::streampos here = m_Stream.tellg();
    if (here < 0 || !m_Stream.seekg(0, std::ios::end))
        return -1;
    const std::streamoff length = m_Stream.tellg();
    m_Stream.seekg(here);
    return static_cast<std::int64_t>(length);
}

} // namespace Host
