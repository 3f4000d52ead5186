#include "host/FileInputStream.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Host {

FileInputStream::FileInputStream(const std::string& path) : m_Descriptor(::open(path.c_str(), O_RDONLY | O_CLOEXEC))
{
}

FileInputStream::~FileInputStream()
{
    if (m_Descriptor >= 0)
        ::close(m_Descriptor);
}

std::size_t FileInputStream::Read(char* buffer, std::size_t size)
{
    if (m_Descriptor < 0)
        return 0;
    for (;;) {
        const ssize_t n = ::read(m_Descriptor, buffer, size);
        if (n >= 0)
            return static_cast<std::size_t>(n);
        if (errno != EINTR) {
            m_ReadError = true;
            return 0;
        }
    }
}

std::size_t FileInputStream::ReadAt(std::int64_t position, char* buffer, std::size_t size)
{
    if (m_Descriptor < 0 || position < 0)
        return 0;
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(m_Descriptor, buffer + done, size - done, static_cast<off_t>(position + static_cast<std::int64_t>(done)));
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n == 0) {
            break;
        } else if (errno != EINTR) {
            m_ReadError = true;
            break;
        }
    }
    return done;
}

bool FileInputStream::Seek(std::int64_t position)
{
    return m_Descriptor >= 0 && position >= 0 &&
           ::lseek(m_Descriptor, static_cast<off_t>(position), SEEK_SET) == static_cast<off_t>(position);
}

std::int64_t FileInputStream::GetPosition()
{
    return m_Descriptor >= 0 ? static_cast<std::int64_t>(::lseek(m_Descriptor, 0, SEEK_CUR)) : -1;
}

std::int64_t FileInputStream::GetLength()
{
    struct stat info {};
    if (m_Descriptor < 0 || ::fstat(m_Descriptor, &info) != 0)
        return -1;
    return static_cast<std::int64_t>(info.st_size);
}

} // namespace Host
