#include "index/IndexOptions.h"

#include <algorithm>
#include <atomic>
#include <thread>

namespace VorlatImportExport {

namespace {

const int MostThreads = 8;
std::atomic<int> ThreadCount{0};
std::atomic<std::int64_t> RangeSize{0};

} // namespace

void IndexOptions::SetThreadCount(int threads) { ThreadCount = std::max(threads, 0); }

int IndexOptions::GetThreadCount() { return ThreadCount; }

int IndexOptions::ThreadsToUse()
{
    const int set = ThreadCount;
    if (set > 0)
        return set;
    const int hardware = static_cast<int>(std::thread::hardware_concurrency());
    return std::clamp(hardware, 1, MostThreads);
}

void IndexOptions::SetRangeSize(std::int64_t bytes) { RangeSize = std::max<std::int64_t>(bytes, 0); }

std::int64_t IndexOptions::GetRangeSize() { return RangeSize; }

std::int64_t IndexOptions::RangeSizeFor(std::int64_t length, int threads)
{
    const std::int64_t set = RangeSize;
    if (set > 0)
        return set;
    // Enough ranges per thread that none waits long for the others at the
    // end, few enough that each is worth a thread's start.
    const std::int64_t share = length / (std::max(threads, 1) * 8);
    return std::clamp<std::int64_t>(share, std::int64_t(4) << 20, std::int64_t(64) << 20);
}

} // namespace VorlatImportExport
