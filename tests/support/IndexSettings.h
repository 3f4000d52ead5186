#pragma once

#include <cstdint>

#include "index/IndexOptions.h"

namespace VorlatTest {

// The index passes' threads and range size for the tests in a scope; the
// defaults come back at its end.
struct IndexSettings {
    IndexSettings(int threads, std::int64_t rangeSize)
    {
        VorlatImportExport::IndexOptions::SetThreadCount(threads);
        VorlatImportExport::IndexOptions::SetRangeSize(rangeSize);
    }
    ~IndexSettings()
    {
        VorlatImportExport::IndexOptions::SetThreadCount(0);
        VorlatImportExport::IndexOptions::SetRangeSize(0);
    }
    IndexSettings(const IndexSettings&) = delete;
    IndexSettings& operator=(const IndexSettings&) = delete;
};

} // namespace VorlatTest
