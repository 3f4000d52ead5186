#pragma once

// Gzip data for the fuzz targets: the input itself (any bytes, as a damaged
// or hostile file would be), or the input compressed here in one or more
// members with a level and strategy the first byte picks (valid data with
// every kind of block layout, so that reading at noted places is tried on
// data that must come back whole).

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include <boost/shared_ptr.hpp>
#include <zlib.h>

#include "host/GzipFile.h"
#include "host/InputStream.h"
#include "support/Gzip.h"

struct GzipInput {
    std::string compressed;
    std::string plain;  // the data, when it was compressed here
    bool valid = false; // compressed here: reading must give plain back
    std::int64_t span = 1 << 20;
};

inline GzipInput MakeGzipInput(const unsigned char* data, std::size_t size)
{
    GzipInput input;
    if (size == 0)
        return input;
    const unsigned char mode = data[0];
    const std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    // Places noted every few hundred bytes to every few KiB: many of them
    // even in a small input.
    input.span = 64 + (mode >> 4) * 400;
    if (!(mode & 1)) {
        input.compressed = rest;
        return input;
    }
    static const int strategies[] = {Z_DEFAULT_STRATEGY, Z_FILTERED, Z_HUFFMAN_ONLY, Z_FIXED};
    const int level = (mode >> 1) & 1 ? 1 : 9;
    const int strategy = strategies[(mode >> 2) & 3];
    // Members of a few hundred bytes (as bgzip and concatenated files make)
    // or one.
    const std::size_t member = (mode >> 4) & 1 ? 300 + (mode >> 5) * 97 : rest.size() + 1;
    for (std::size_t at = 0; at < rest.size() || at == 0; at += member) {
        input.compressed += VorlatTest::Gzip(rest.substr(at, member), level, strategy);
        if (rest.empty())
            break;
    }
    input.plain = rest;
    input.valid = true;
    return input;
}

// Compressed bytes in memory, read as a file is (side by side at any place).
class MemoryInput : public Host::InputStream {
public:
    explicit MemoryInput(std::string bytes) : m_Bytes(std::move(bytes)) {}
    std::size_t Read(char* buffer, std::size_t size) override
    {
        const std::size_t n = ReadAt(m_Position, buffer, size);
        m_Position += static_cast<std::int64_t>(n);
        return n;
    }
    bool Seek(std::int64_t position) override { return position >= 0 && (m_Position = position, true); }
    std::int64_t GetPosition() override { return m_Position; }
    std::int64_t GetLength() override { return static_cast<std::int64_t>(m_Bytes.size()); }
    bool CanReadAt() const override { return true; }
    std::size_t ReadAt(std::int64_t position, char* buffer, std::size_t size) override
    {
        if (position < 0 || static_cast<std::size_t>(position) >= m_Bytes.size())
            return 0;
        const std::size_t n = std::min(size, m_Bytes.size() - static_cast<std::size_t>(position));
        std::memcpy(buffer, m_Bytes.data() + position, n);
        return n;
    }

private:
    std::string m_Bytes;
    std::int64_t m_Position = 0;
};

inline boost::shared_ptr<Host::GzipFile> OpenGzipInput(const GzipInput& input)
{
    boost::shared_ptr<Host::GzipFile> file(
        new Host::GzipFile(boost::shared_ptr<Host::InputStream>(new MemoryInput(input.compressed))));
    file->SetAccessPointSpan(input.span);
    return file;
}
