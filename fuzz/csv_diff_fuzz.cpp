// CsvDataProvider against a small reference of the documented rules, written
// here byte by byte: the same rows, each with the same fields. Any difference
// aborts, so that libFuzzer reports the input.
//
// The rules: a record ends at LF, CR LF or a lone CR outside a quoted field;
// a double quote opens a quoted field only at the start of a field, and ""
// inside it is one quote; a quote still open at the end of the data was a
// stray one, and its record ends at the first line end after it. A UTF-8
// byte-order mark at the start is skipped; trailing blanks and the line end
// go from a record's end.
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "chem/CsvUtilities.h"
#include "frame/TableDataUtil.h"
#include "host/StringConversion.h"
#include "text/CsvDataProvider.h"

namespace {

std::vector<std::string> ReferenceRecords(std::string text)
{
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0)
        text.erase(0, 3);
    std::vector<std::string> records;
    std::size_t pos = 0;
    while (pos < text.size()) {
        bool fieldStart = true, inQuotes = false;
        std::size_t quoteAt = 0, end = text.size(), next = text.size();
        for (std::size_t i = pos; i < text.size(); ++i) {
            const char c = text[i];
            if (inQuotes) {
                if (c == '"' && i + 1 < text.size() && text[i + 1] == '"')
                    ++i;
                else if (c == '"')
                    inQuotes = false;
                fieldStart = false;
                continue;
            }
            if (c == '\n' || c == '\r') {
                end = i;
                next = c == '\r' && i + 1 < text.size() && text[i + 1] == '\n' ? i + 2 : i + 1;
                break;
            }
            if (c == '"' && fieldStart) {
                inQuotes = true;
                quoteAt = i;
            }
            fieldStart = c == ',';
        }
        if (inQuotes) {
            const std::size_t b = text.find_first_of("\r\n", quoteAt);
            if (b != std::string::npos) {
                end = b;
                next = text[b] == '\r' && b + 1 < text.size() && text[b + 1] == '\n' ? b + 2 : b + 1;
            }
        }
        std::string record = text.substr(pos, end - pos);
        record.erase(record.find_last_not_of(" \t\n\v\f\r") + 1);
        records.push_back(record);
        pos = next;
    }
    return records;
}

std::string Typed(const std::string& field)
{
    using VorlatImportExport::TableDataUtil;
    return Host::ToSString(TableDataUtil::BoostAny2WString(TableDataUtil::SStringToBoostAny(field)));
}

[[noreturn]] void Differ(const char* what, std::size_t at)
{
    std::fprintf(stderr, "CSV reader and reference differ: %s at %zu\n", what, at);
    std::abort();
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
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::istringstream stream(text);
    VorlatImportExport::CsvDataProvider provider(stream, block);

    const std::vector<std::string> records = ReferenceRecords(text);
    std::vector<std::string> titles{"Index"};
    if (!records.empty())
        Chem::CsvUtilities::GetFields(records[0], titles);
    const std::size_t rows = records.empty() ? 0 : records.size() - 1;
    if (static_cast<std::size_t>(provider.GetRowCount()) != rows)
        Differ("row count", rows);
    if (static_cast<std::size_t>(provider.GetColumnCount()) != titles.size())
        Differ("column count", titles.size());
    for (std::size_t c = 0; c < titles.size(); ++c)
        if (Host::ToSString(provider.GetColumnTitle(static_cast<int>(c))) != titles[c])
            Differ("title", c);
    for (std::size_t r = 0; r < rows; ++r) {
        std::vector<std::string> fields{std::to_string(r + 1)};
        Chem::CsvUtilities::GetFields(records[r + 1], fields);
        fields.resize(titles.size());
        std::vector<std::string> values;
        provider.GetRowValues(static_cast<int>(r), values);
        for (std::size_t c = 0; c < titles.size(); ++c)
            if (values[c] != (c == 0 ? fields[c] : Typed(fields[c])))
                Differ("field of row", r);
    }
    return 0;
}
