#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "host/Export.h"

namespace VorlatImportExport {

// How the providers index a file, for the whole process. A provider reads
// the settings when it starts indexing.
class VORLAT_EXPORT IndexOptions {
public:
    // Threads an index pass may use, the caller's included: 0 (the default)
    // for the processor's count, at most 8; 1 for a pass on the caller's
    // thread alone.
    static void SetThreadCount(int threads);
    static int GetThreadCount();
    // The threads a pass uses now: the setting, with 0 resolved.
    static int ThreadsToUse();

    // Bytes of the file each thread takes at a time; 0 (the default) lets
    // the pass choose from the file's size. Small sizes let tests cut small
    // files into many ranges.
    static void SetRangeSize(std::int64_t bytes);
    static std::int64_t GetRangeSize();
    // The range size a pass over a file of length bytes uses with threads,
    // at most largest bytes unless a size was set.
    static std::int64_t RangeSizeFor(std::int64_t length, int threads, std::int64_t largest = std::int64_t(64) << 20);
};

// How an index pass cuts [start, end) into ranges: rangeSize bytes each,
// but the last threads * rangeSize bytes or so in quarters of that, so that
// the threads run out of work close together rather than one scanning a
// whole range while the others wait. Every cut but the first lies on a
// multiple of unit from start.
class VORLAT_EXPORT RangeCuts {
public:
    RangeCuts(std::int64_t start, std::int64_t end, std::int64_t rangeSize, int threads, std::int64_t unit = 1);
    std::int64_t Count() const { return m_BulkRanges + m_TailRanges; }
    // Where range number begins and where the next one does (end for the
    // last).
    std::int64_t Begin(std::int64_t number) const;
    std::int64_t End(std::int64_t number) const;

private:
    std::int64_t m_Start, m_End, m_RangeSize, m_TailSize, m_BulkRanges, m_TailRanges;
};

// Runs work(0) ... work(count - 1) on the index passes' threads (see
// IndexOptions), the caller's among them; work must not throw.
VORLAT_EXPORT void ForEachOnThreads(std::size_t count, const std::function<void(std::size_t)>& work);

} // namespace VorlatImportExport
