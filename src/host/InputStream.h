#pragma once

#include <cstddef>
#include <cstdint>

#include "host/Export.h"

namespace Host {

// A readable, seekable source of bytes with a known length: how the
// application hands a file to the molecule providers' index scans.
class VORLAT_EXPORT InputStream {
public:
    virtual ~InputStream();

    // Reads up to size bytes from the current position and moves past them;
    // returns how many were read (0 at the end of the data or on an error).
    virtual std::size_t Read(char* buffer, std::size_t size) = 0;
    // Moves to position (bytes from the start); false when that fails.
    virtual bool Seek(std::int64_t position) = 0;
    virtual std::int64_t GetPosition() = 0;
    // The number of bytes in the source, or -1 when it cannot tell.
    virtual std::int64_t GetLength() = 0;
    // Whether a read failed for a reason other than the end of the data
    // (Read then returned 0 early). False unless a source can tell.
    virtual bool HasReadError() const;
    // Whether ReadAt works: reads at any position, from several threads at
    // once, without moving the position. False unless a source can.
    virtual bool CanReadAt() const;
    // Reads up to size bytes at position (fewer only at the end of the data
    // or on an error); 0 where CanReadAt is false.
    virtual std::size_t ReadAt(std::int64_t position, char* buffer, std::size_t size);
};

} // namespace Host
