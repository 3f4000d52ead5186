#pragma once

// A CSV text read by the documented rules, byte by byte and without the
// reader's code: what the tests and the differential fuzz target compare the
// CSV reader with.

#include <string>
#include <vector>

#include "chem/CsvUtilities.h"
#include "frame/TableDataUtil.h"
#include "host/StringConversion.h"

namespace VorlatTest {

struct CsvByTheRules {
    std::vector<std::string> titles;             // "Index" first
    std::vector<std::vector<std::string>> rows; // the row number, then typed fields, padded to the titles
};

// The records of a CSV text by the documented rules, byte by byte: a record
// ends at LF, CR LF or a lone CR outside a quoted field; a quote opens a
// field only at its start and "" inside stays in it; a quote still open at
// the end was a stray one, and its record ends at the first line end after
// it. A UTF-8 byte-order mark at the start is skipped. separator: the byte
// between fields.
inline std::vector<std::string> ReferenceRecords(std::string text, char separator = ',')
{
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0)
        text.erase(0, 3);
    std::vector<std::string> records;
    std::size_t pos = 0;
    while (pos < text.size()) {
        bool fieldStart = true, inQuotes = false;
        std::size_t quoteAt = 0, i = pos, end = text.size(), next = text.size();
        for (; i < text.size(); ++i) {
            const char c = text[i];
            if (inQuotes) {
                if (c == '"' && i + 1 < text.size() && text[i + 1] == '"')
                    ++i;
                else if (c == '"')
                    inQuotes = fieldStart = false;
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
            fieldStart = c == separator;
        }
        if (inQuotes) {
            const std::size_t b = text.find_first_of("\r\n", quoteAt);
            if (b != std::string::npos) {
                end = b;
                next = text[b] == '\r' && b + 1 < text.size() && text[b + 1] == '\n' ? b + 2 : b + 1;
            }
        }
        records.push_back(text.substr(pos, end - pos));
        pos = next;
    }
    return records;
}

// What the provider must give: its titles, and row by row the row number,
// then the typed text of each field of the record, padded to the header's
// width. A record's end loses its blanks, but not a tab that separates.
inline CsvByTheRules ReadCsvByTheRules(const std::string& text, char separator = ',')
{
    using VorlatImportExport::TableDataUtil;
    CsvByTheRules table;
    std::vector<std::string> records = ReferenceRecords(text, separator);
    for (std::string& record : records)
        record.erase(record.find_last_not_of(separator == '\t' ? " \n\v\f\r" : " \t\n\v\f\r") + 1);
    table.titles = {"Index"};
    if (!records.empty())
        Chem::CsvUtilities::GetFields(records[0], table.titles, separator);
    for (std::size_t r = 1; r < records.size(); ++r) {
        std::vector<std::string> fields{std::to_string(r)};
        Chem::CsvUtilities::GetFields(records[r], fields, separator);
        fields.resize(table.titles.size());
        for (std::size_t i = 1; i < fields.size(); ++i)
            fields[i] = Host::ToSString(TableDataUtil::BoostAny2WString(TableDataUtil::SStringToBoostAny(fields[i])));
        table.rows.push_back(fields);
    }
    return table;
}

} // namespace VorlatTest
