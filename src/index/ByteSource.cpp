#include "index/ByteSource.h"

#include "host/InputStream.h"

namespace VorlatImportExport {

ByteSource::~ByteSource() = default;

InputStreamSource::InputStreamSource(boost::shared_ptr<Host::InputStream> stream) : m_Stream(std::move(stream)) {}

std::size_t InputStreamSource::ReadAt(std::int64_t position, char* buffer, std::size_t size)
{
    if (m_Stream && m_Stream->CanReadAt()) {
        // Reads side by side, no turns.
        const std::size_t done = m_Stream->ReadAt(position, buffer, size);
        if (done < size && m_Stream->HasReadError()) {
            std::lock_guard<std::mutex> lock(m_Mutex);
            m_Failed = true;
        }
        return done;
    }
    std::lock_guard<std::mutex> lock(m_Mutex);
    if (!m_Stream || position < 0)
        return 0;
    if (position != m_Position) {
        if (!m_Stream->Seek(position)) {
            m_Position = -1;
            return 0;
        }
        m_Position = position;
    }
    std::size_t done = 0;
    while (done < size) {
        const std::size_t n = m_Stream->Read(buffer + done, size - done);
        if (n == 0)
            break;
        done += n;
    }
    m_Position += static_cast<std::int64_t>(done);
    if (m_Stream->HasReadError())
        m_Failed = true;
    return done;
}

bool InputStreamSource::HasReadError() const
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_Failed;
}

IStreamSource::IStreamSource(std::istream& stream) : m_Stream(stream) {}

std::size_t IStreamSource::ReadAt(std::int64_t position, char* buffer, std::size_t size)
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    if (position < 0)
        return 0;
    m_Stream.clear();
    if (static_cast<std::int64_t>(static_cast<std::streamoff>(m_Stream.tellg())) != position)
        m_Stream.seekg(static_cast<std::streamoff>(position), std::ios::beg);
    if (!m_Stream) {
        m_Failed = m_Failed || m_Stream.bad();
        m_Stream.clear();
        return 0;
    }
    m_Stream.read(buffer, static_cast<std::streamsize>(size));
    const std::size_t done = static_cast<std::size_t>(m_Stream.gcount());
    if (m_Stream.bad())
        m_Failed = true;
    m_Stream.clear();
    return done;
}

bool IStreamSource::HasReadError() const
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_Failed;
}

} // namespace VorlatImportExport
