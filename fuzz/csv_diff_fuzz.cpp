// CsvDataProvider against a small reference of the documented rules, read
// byte by byte (tests/support/CsvByTheRules.h): the same rows, each with the
// same fields. Any difference aborts, so that libFuzzer reports the input.
//
// The rules: a record ends at LF, CR LF or a lone CR outside a quoted field;
// a double quote opens a quoted field only at the start of a field, and ""
// inside it is one quote; a quote still open at the end of the data was a
// stray one, and its record ends at the first line end after it. A UTF-8
// byte-order mark at the start is skipped; trailing blanks and the line end
// go from a record's end. The first byte of the input picks the separator
// (',', ';', tab or '|') and the size of the blocks the index reads.
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include <boost/shared_ptr.hpp>

#include "host/StringConversion.h"
#include "index/IndexOptions.h"
#include "support/CsvByTheRules.h"
#include "text/CsvDataProvider.h"
#include "text/CsvOptions.h"

namespace {

[[noreturn]] void Differ(const char* what, std::size_t at)
{
    std::fprintf(stderr, "CSV reader and reference differ: %s at %zu\n", what, at);
    std::abort();
}

// Compares the table indexed with the current settings with the reference.
void Check(const std::string& text, std::size_t block, char separator, const VorlatTest::CsvByTheRules& expected)
{
    std::istringstream stream(text);
    VorlatImportExport::CsvOptions options;
    options.separator = separator;
    VorlatImportExport::CsvDataProvider provider(stream, options, boost::shared_ptr<Host::InputStream>(), block);
    if (static_cast<std::size_t>(provider.GetRowCount()) != expected.rows.size())
        Differ("row count", expected.rows.size());
    if (static_cast<std::size_t>(provider.GetColumnCount()) != expected.titles.size())
        Differ("column count", expected.titles.size());
    for (std::size_t c = 0; c < expected.titles.size(); ++c)
        if (Host::ToSString(provider.GetColumnTitle(static_cast<int>(c))) != expected.titles[c])
            Differ("title", c);
    for (std::size_t r = 0; r < expected.rows.size(); ++r) {
        std::vector<std::string> values;
        provider.GetRowValues(static_cast<int>(r), values);
        if (values != expected.rows[r])
            Differ("field of row", r);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    if (size == 0)
        return 0;
    // The first byte picks the index block size, so that record ends and
    // quotes fall on block edges and the 64-byte steps run too.
    const std::size_t blocks[] = {1, 2, 3, 7, 64, 65, 100, 1 << 20};
    const std::size_t block = blocks[data[0] % 8];
    // Its top bits pick the separator.
    const char separators[] = {',', ';', '\t', '|'};
    const char separator = separators[data[0] / 32 % 4];
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    const VorlatTest::CsvByTheRules expected = VorlatTest::ReadCsvByTheRules(text, separator);
    VorlatImportExport::IndexOptions::SetThreadCount(1);
    Check(text, block, separator, expected);
    // The same on two threads, in ranges of a few blocks.
    VorlatImportExport::IndexOptions::SetThreadCount(2);
    VorlatImportExport::IndexOptions::SetRangeSize(static_cast<std::int64_t>(block) * (1 + data[0] / 8 % 4));
    Check(text, block, separator, expected);
    VorlatImportExport::IndexOptions::SetRangeSize(0);
    return 0;
}
