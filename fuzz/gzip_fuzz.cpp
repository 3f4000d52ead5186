// The gzip streams on any bytes: read through, then at places picked from
// the input, through both stream kinds. Data compressed here must come back
// whole, at every place; damaged data must only ever be a read error.
#include <cstdlib>
#include <string>

#include <boost/shared_ptr.hpp>

#include "GzipInput.h"
#include "host/GzipFile.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    const GzipInput input = MakeGzipInput(data, size);
    const boost::shared_ptr<Host::GzipFile> file = OpenGzipInput(input);

    Host::GzipInputStream pass(file);
    std::string all;
    char buffer[4096];
    while (const std::size_t n = pass.Read(buffer, sizeof buffer))
        all.append(buffer, n);
    if (input.valid && (pass.HasReadError() || all != input.plain || pass.GetLength() != std::int64_t(all.size())))
        std::abort();

    // Reads at places taken from the input, backwards and forwards.
    Host::GzipIStream stream(file);
    Host::GzipInputStream other(file);
    for (std::size_t k = 0; k + 4 <= size && k < 64 * 4; k += 4) {
        const std::size_t at = (std::size_t(data[k]) << 8 | data[k + 1]) * 7 % (all.size() + 2);
        const std::size_t length = std::size_t(data[k + 2]) * 13 + data[k + 3];
        std::string got(length, '\0');
        stream.clear();
        stream.seekg(static_cast<std::streamoff>(at));
        stream.read(got.data(), static_cast<std::streamsize>(length));
        got.resize(static_cast<std::size_t>(stream.gcount()));
        std::string again(length, '\0');
        other.Seek(static_cast<std::int64_t>(at));
        again.resize(other.Read(again.data(), length));
        if (!pass.HasReadError() && (got != all.substr(std::min(at, all.size()), length) || again != got))
            std::abort();
    }
    return 0;
}
