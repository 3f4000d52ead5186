#pragma once

// Gzip data made with zlib, as the gzip tool writes it.

#include <stdexcept>
#include <string>

#include <zlib.h>

namespace VorlatTest {

// One gzip member holding data; strategy Z_FILTERED or Z_HUFFMAN_ONLY
// gives other block layouts than the default.
inline std::string Gzip(const std::string& data, int level = 6, int strategy = Z_DEFAULT_STRATEGY)
{
    z_stream z{};
    if (deflateInit2(&z, level, Z_DEFLATED, 15 + 16, 8, strategy) != Z_OK)
        throw std::runtime_error("deflateInit2");
    std::string out(deflateBound(&z, static_cast<uLong>(data.size())) + 64, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    const int result = deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    if (result != Z_STREAM_END)
        throw std::runtime_error("deflate");
    return out;
}

// The data as several members, cut at the given sizes (as bgzip and
// "cat a.gz b.gz" make), the last member holding the rest.
inline std::string GzipMembers(const std::string& data, std::size_t memberSize)
{
    std::string out;
    for (std::size_t at = 0; at < data.size() || at == 0; at += memberSize) {
        out += Gzip(data.substr(at, memberSize));
        if (data.empty())
            break;
    }
    return out;
}

} // namespace VorlatTest
