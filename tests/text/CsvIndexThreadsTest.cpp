// The CSV index made on several threads, range by range, against the one
// made on one: the same records, wherever quoted line breaks, doubled
// quotes, stray quotes and line ends fall against the ranges' edges.
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <boost/shared_ptr.hpp>

#include "host/FileInputStream.h"
#include "index/IndexOptions.h"
#include "support/IndexSettings.h"
#include "text/CsvDataProvider.h"

using VorlatImportExport::CsvDataProvider;
using VorlatImportExport::IndexOptions;
using VorlatTest::IndexSettings;

namespace {

// The titles and every row's values, one line each.
std::string TableOf(CsvDataProvider& provider)
{
    std::ostringstream out;
    std::vector<std::string> values;
    provider.GetColumnTitles(values);
    for (int row = 0; row < provider.GetRowCount(); ++row)
        provider.GetRowValues(row, values);
    for (const std::string& value : values)
        out << value.size() << ':' << value << '|';
    return out.str();
}

std::string TableOf(const std::string& text, std::size_t blockSize)
{
    std::istringstream stream(text);
    CsvDataProvider provider(stream, blockSize);
    return TableOf(provider);
}

// Rows with quoted fields, line breaks and doubled quotes inside them,
// quotes inside unquoted fields, empty lines and every kind of line end.
std::string TrickyCsv(unsigned seed, int rows)
{
    std::mt19937 random(seed);
    const char* const ends[] = {"\n", "\r\n", "\r"};
    std::string text = "id,name,\"note\nwith break\",value\n";
    for (int r = 0; r < rows; ++r) {
        const std::string end = ends[random() % 3];
        switch (random() % 6) {
        case 0: text += std::to_string(r) + ",\"a \"\"quoted\"\" word\",\"two\r\nlines\"," + std::to_string(r * 3); break;
        case 1: text += std::to_string(r) + ",plain,x\"y,\"\""; break;
        case 2: text += "\"" + std::to_string(r) + "\",\"" + std::string(random() % 90, 'q') + "\",,"; break;
        case 3: text += std::to_string(r) + ",\"ends\nin a quote\"\"\""; break;
        case 4: text += ""; break;
        default: text += std::to_string(r) + ",\"\r\",\"\n\n\",\"\"\"\""; break;
        }
        text += end;
    }
    return text;
}

} // namespace

TEST(CsvIndexThreads, RangesGiveTheOneThreadIndex)
{
    std::vector<std::string> files;
    for (unsigned seed = 1; seed <= 4; ++seed)
        files.push_back(TrickyCsv(seed, 400));
    // A quote that never closes: the rest of the file after its line reads
    // as text.
    files.push_back(TrickyCsv(5, 200) + "7,\"open\n" + TrickyCsv(6, 200));
    files.push_back("\xEF\xBB\xBF" + TrickyCsv(7, 300));
    for (std::size_t f = 0; f < files.size(); ++f)
        for (std::size_t block : {std::size_t(7), std::size_t(64), std::size_t(1) << 20}) {
            std::string one;
            {
                IndexSettings settings(1, 0);
                one = TableOf(files[f], block);
            }
            for (int threads : {2, 3})
                for (std::int64_t range : {std::int64_t(1), std::int64_t(500), std::int64_t(4096)}) {
                    IndexSettings settings(threads, range);
                    ASSERT_EQ(TableOf(files[f], block), one)
                        << "file " << f << ", block " << block << ", threads " << threads << ", range " << range;
                }
        }
}

TEST(CsvIndexThreads, AQuotedFieldTooLongForAQuoteIsTextOnAnyThread)
{
    // A quote left open for more than 4 MiB is a stray quote: its record
    // ends at the first line end after it, and the records after that line
    // are found as if the quote were text. The ranges after it read it so.
    std::string text = "a,b\n1,\"x\n2,y\n";
    for (int i = 0; i < 200000; ++i)
        text += std::to_string(i) + ",some text of a row\n";
    const std::string path = testing::TempDir() + "/stray-quote.csv";
    std::ofstream(path, std::ios::binary) << text;
    std::string one;
    {
        IndexSettings settings(1, 0);
        std::ifstream stream(path, std::ios::binary);
        CsvDataProvider provider(stream);
        ASSERT_GT(text.size(), std::size_t(9) << 19);
        EXPECT_EQ(provider.GetRowCount(), 200002);
        one = TableOf(provider);
    }
    for (std::int64_t range : {std::int64_t(1) << 20, std::int64_t(3) << 20}) {
        IndexSettings settings(2, range);
        std::ifstream stream(path, std::ios::binary);
        CsvDataProvider provider(stream, boost::shared_ptr<Host::InputStream>(new Host::FileInputStream(path)));
        EXPECT_EQ(TableOf(provider), one) << range;
    }
}
