#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <memory>
#include <mutex>

#include <boost/shared_ptr.hpp>

namespace Host {
class InputStream;
}

namespace VorlatImportExport {

// The bytes of a file by position, for index scans that read ranges of it,
// possibly from several threads at once.
class ByteSource {
public:
    virtual ~ByteSource();
    // Reads up to size bytes from position on; fewer only at the end of the
    // data or on a read error. Safe to call from several threads.
    virtual std::size_t ReadAt(std::int64_t position, char* buffer, std::size_t size) = 0;
    // Whether a read failed for a reason other than the end of the data.
    virtual bool HasReadError() const = 0;
};

// A ByteSource over a host input stream: reads take turns on the stream
// (seek, then read until the request is met or the data ends).
class InputStreamSource : public ByteSource {
public:
    explicit InputStreamSource(boost::shared_ptr<Host::InputStream> stream);
    std::size_t ReadAt(std::int64_t position, char* buffer, std::size_t size) override;
    bool HasReadError() const override;

private:
    boost::shared_ptr<Host::InputStream> m_Stream;
    mutable std::mutex m_Mutex;
    std::int64_t m_Position = -1; // where the stream stands, when known
    bool m_Failed = false;
};

// A ByteSource over a standard stream that can seek; reads take turns.
class IStreamSource : public ByteSource {
public:
    explicit IStreamSource(std::istream& stream);
    std::size_t ReadAt(std::int64_t position, char* buffer, std::size_t size) override;
    bool HasReadError() const override;

private:
    std::istream& m_Stream;
    mutable std::mutex m_Mutex;
    bool m_Failed = false;
};

// Room that reads from a file land in, its first byte on a 64-byte
// boundary. The kernel copies cached file pages several times faster to a
// destination so aligned than to one a few bytes off (a 1 MiB buffer fresh
// from the system starts 16 bytes into its page, which made reads 4 times
// slower on the processors of our test machines).
class ReadBuffer {
public:
    static constexpr std::size_t Alignment = 64;

    explicit ReadBuffer(std::size_t size)
        : m_Raw(new char[size + Alignment]),
          m_Data(m_Raw.get() + (Alignment - reinterpret_cast<std::uintptr_t>(m_Raw.get()) % Alignment) % Alignment)
    {
    }
    char* data() const { return m_Data; }

private:
    std::unique_ptr<char[]> m_Raw;
    char* m_Data;
};

} // namespace VorlatImportExport
