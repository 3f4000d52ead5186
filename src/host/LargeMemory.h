#pragma once

#include <cstddef>
#include <memory>

namespace Host {

// Memory for large, long-lived blocks that are filled once (the values an
// index holds): aligned to 2 MiB and, where the system offers it, backed by
// huge pages, so that first touching it costs one fault per 2 MiB rather
// than one per 4 KiB. Blocks smaller than 2 MiB come from the heap.
struct LargeMemoryFree {
    std::size_t size = 0;
    // Memory that belongs to something else (a mapped file): not freed.
    bool borrowed = false;
    void operator()(char* block) const;
    // Blocks holding plain values of another type (nothing to destroy).
    template <class T>
    void operator()(T* block) const
    {
        (*this)(reinterpret_cast<char*>(block));
    }
};
using LargeBlock = std::unique_ptr<char[], LargeMemoryFree>;

LargeBlock AllocateLarge(std::size_t size);

// Gives the pages of a block from AllocateLarge (size as asked for) past its
// first used bytes back to the system, without moving what it holds; the
// block stays whole to the program (its pages given back read as zeros).
// False for a block from the heap, whose room cannot be given back so.
bool GiveBackUnused(char* block, std::size_t size, std::size_t used);

} // namespace Host
