#include "host/LargeMemory.h"

#include <cstdlib>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace Host {

namespace {

const std::size_t HugePage = std::size_t(2) << 20;

} // namespace

void LargeMemoryFree::operator()(char* block) const
{
    if (borrowed)
        return;
    if (size >= HugePage)
        std::free(block);
    else
        delete[] block;
}

LargeBlock AllocateLarge(std::size_t size)
{
    if (size < HugePage)
        return LargeBlock(new char[size > 0 ? size : 1], LargeMemoryFree{size});
    const std::size_t rounded = (size + HugePage - 1) / HugePage * HugePage;
    char* block = static_cast<char*>(std::aligned_alloc(HugePage, rounded));
    if (!block)
        throw std::bad_alloc();
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    // Only advice: without huge pages the block works as any other.
    ::madvise(block, rounded, MADV_HUGEPAGE);
#endif
    return LargeBlock(block, LargeMemoryFree{size});
}

bool GiveBackUnused(char* block, std::size_t size, std::size_t used)
{
    if (size < HugePage)
        return false;
#if defined(__linux__)
    const std::size_t page = 4096;
    const std::size_t from = (used + page - 1) / page * page;
    const std::size_t rounded = (size + HugePage - 1) / HugePage * HugePage;
    if (from < rounded)
        ::madvise(block + from, rounded - from, MADV_DONTNEED);
#endif
    return true;
}

} // namespace Host
