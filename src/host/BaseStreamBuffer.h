#pragma once

#include <cstddef>
#include <cstdint>

#include "host/Export.h"

namespace Host {

// A window of bytes over a stream, for scanners that look at many bytes at
// once: GetData()[i] is the stream's byte at GetStart() + i, for i below
// GetSize().
class VORLAT_EXPORT BaseStreamBuffer {
public:
    virtual ~BaseStreamBuffer();

    virtual const char* GetData() const = 0;
    virtual std::size_t GetSize() const = 0;
    virtual std::int64_t GetStart() const = 0;
    // The most bytes the window holds.
    virtual std::size_t GetCapacity() const = 0;
    // Moves the window to start at position and fills it with as many bytes
    // as fit; bytes already held from there on are kept, not read again.
    // False when no byte is there (the end of the stream, or an error).
    virtual bool FillFrom(std::int64_t position) = 0;
};

} // namespace Host
