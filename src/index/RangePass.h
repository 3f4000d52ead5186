#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>

namespace VorlatImportExport {

// Runs an index pass over a file cut into ranges, on up to `threads`
// threads, the caller's included. scan(range, slot) reads a range on any of
// them and leaves what it found in its slot; merge(range, slot) runs on the
// caller's thread, range after range in file order, and takes it. A slot
// serves one range at a time and is used again once its range is merged, so
// that at most SlotCount(threads) ranges are held at once.
//
// poll() runs on the caller's thread now and then while it waits for a
// range. When merge, poll or the caller's own scan throws, or a scan on
// another thread does (rethrown at its range's merge), stop is set, every
// thread ends after its current range and is joined, and the exception goes
// on to the caller. Scans are to check stop now and then and give up when it
// is set.
class RangePass {
public:
    using Work = std::function<void(std::int64_t range, std::size_t slot)>;

    static std::size_t SlotCount(int threads) { return static_cast<std::size_t>(threads < 1 ? 2 : 2 * threads); }
    static void Run(std::int64_t ranges, int threads, const Work& scan, const Work& merge,
                    const std::function<void()>& poll, std::atomic<bool>& stop);
};

} // namespace VorlatImportExport
