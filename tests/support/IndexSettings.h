#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

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

// Checks that each file, indexed with each count of held records on two
// and three threads in ranges of the given sizes, gives what one thread
// gives. indexOf(text, held) is the index as text.
template <class IndexOf>
void ExpectRangesGiveTheOneThreadIndex(const std::vector<std::string>& files, const std::vector<int>& helds,
                                       const std::vector<std::int64_t>& ranges, IndexOf indexOf)
{
    for (std::size_t f = 0; f < files.size(); ++f) {
        for (const int held : helds) {
            std::string one;
            {
                IndexSettings settings(1, 0);
                one = indexOf(files[f], held);
            }
            for (const int threads : {2, 3})
                for (const std::int64_t range : ranges) {
                    IndexSettings settings(threads, range);
                    ASSERT_EQ(indexOf(files[f], held), one)
                        << "file " << f << ", held " << held << ", threads " << threads << ", range " << range;
                }
        }
    }
}

} // namespace VorlatTest
