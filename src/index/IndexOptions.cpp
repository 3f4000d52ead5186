#include "index/IndexOptions.h"

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>
#include <vector>

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

std::int64_t IndexOptions::RangeSizeFor(std::int64_t length, int threads, std::int64_t largest)
{
    const std::int64_t set = RangeSize;
    if (set > 0)
        return set;
    // Enough ranges per thread that none waits long for the others at the
    // end, few enough that each is worth a thread's start.
    const std::int64_t share = length / (std::max(threads, 1) * 8);
    const std::int64_t smallest = std::int64_t(4) << 20;
    return std::clamp<std::int64_t>(share, smallest, std::max(largest, smallest));
}

RangeCuts::RangeCuts(std::int64_t start, std::int64_t end, std::int64_t rangeSize, int threads, std::int64_t unit)
    : m_Start(start), m_End(std::max(end, start)), m_RangeSize(std::max<std::int64_t>(rangeSize, 1))
{
    unit = std::max<std::int64_t>(unit, 1);
    const std::int64_t length = m_End - m_Start;
    m_TailSize = std::max((m_RangeSize / 4 + unit - 1) / unit * unit, unit);
    const std::int64_t tail = std::min(length, m_RangeSize * std::max(threads, 1));
    m_BulkRanges = (length - tail) / m_RangeSize;
    m_TailRanges = (length - m_BulkRanges * m_RangeSize + m_TailSize - 1) / m_TailSize;
}

std::int64_t RangeCuts::Begin(std::int64_t number) const
{
    if (number <= m_BulkRanges)
        return m_Start + number * m_RangeSize;
    return std::min(m_End, m_Start + m_BulkRanges * m_RangeSize + (number - m_BulkRanges) * m_TailSize);
}

std::int64_t RangeCuts::End(std::int64_t number) const { return number + 1 >= Count() ? m_End : Begin(number + 1); }

void ForEachOnThreads(std::size_t count, const std::function<void(std::size_t)>& work)
{
    const std::size_t threads =
        std::min<std::size_t>(count, static_cast<std::size_t>(std::max(IndexOptions::ThreadsToUse(), 1)));
    std::atomic<std::size_t> next{0};
    const auto run = [&] {
        for (std::size_t k = next++; k < count; k = next++)
            work(k);
    };
    std::vector<std::thread> helpers;
    for (std::size_t t = 1; t < threads; ++t) {
        try {
            helpers.emplace_back(run);
        } catch (const std::system_error&) {
            break; // no thread to be had: fewer do the work
        }
    }
    run();
    for (std::thread& helper : helpers)
        helper.join();
}

} // namespace VorlatImportExport
