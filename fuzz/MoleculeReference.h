#pragma once

// What the molecule readers' differential targets share: the records a
// reference reads by the documented rules, and the comparison of a provider's
// index with them. Any difference aborts, so that libFuzzer reports the input.

#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <boost/shared_ptr.hpp>

#include "frame/TableDataUtil.h"
#include "host/Exception.h"
#include "host/IProgressMonitor.h"
#include "host/StdInputStream.h"
#include "host/StringConversion.h"
#include "molecule/SDDataProvider.h"

namespace {

struct Record {
    std::string name;
    std::vector<std::pair<std::string, std::string>> items; // first of a name kept
};

struct Reference {
    bool refused = false;
    bool markerless = false; // no record found: the file is one record
    std::vector<Record> records;
    std::vector<std::string> columns; // item names in first-met order
};

// The lines of a text; LF, CR LF and a lone CR end them.
std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = start;
        while (end < text.size() && text[end] != '\n' && text[end] != '\r')
            ++end;
        lines.push_back(text.substr(start, end - start));
        if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n')
            ++end;
        start = end + 1;
    }
    return lines;
}

std::string Typed(const boost::any& value)
{
    const std::wstring text = VorlatImportExport::TableDataUtil::BoostAny2WString(value);
    return std::string(value.type().name()) + ":" + Host::ToSString(text);
}

std::string Typed(const std::string& text)
{
    return Typed(VorlatImportExport::SDDataProvider::TypePropertyValue(text));
}

[[noreturn]] void Differ(const char* reader, const char* what, std::size_t at)
{
    std::fprintf(stderr, "%s reader and reference differ: %s at %zu\n", reader, what, at);
    std::abort();
}

// Opens text with Provider and compares its index with the reference: the
// same refusal, rows, columns, names and held items (structures unread).
template <class Provider>
void Compare(const char* reader, const std::string& text, const Reference& ref)
{
    std::istringstream file(text), scanned(text);
    Host::NullProgressMonitor monitor;
    try {
        Provider provider(file, boost::shared_ptr<Host::InputStream>(new Host::StdInputStream(scanned)), monitor);
        if (ref.refused)
            Differ(reader, "accepted a file the rules refuse", 0);
        if (ref.markerless) {
            if (provider.GetRowCount() != 1)
                Differ(reader, "row count of a file without markers", 1);
            return;
        }
        if (static_cast<std::size_t>(provider.GetRowCount()) != ref.records.size())
            Differ(reader, "row count", ref.records.size());
        if (static_cast<std::size_t>(provider.GetColumnCount()) != 3 + ref.columns.size())
            Differ(reader, "column count", 3 + ref.columns.size());
        for (std::size_t c = 0; c < ref.columns.size(); ++c)
            if (Host::ToSString(provider.GetColumnTitle(static_cast<int>(c + 3))) != ref.columns[c])
                Differ(reader, "column title", c + 3);
        for (std::size_t r = 0; r < ref.records.size() && r < 500; ++r) {
            const Record& record = ref.records[r];
            if (Typed(provider.GetCellData(static_cast<int>(r), 1)) != Typed(record.name))
                Differ(reader, "name of record", r);
            std::map<std::string, std::string> items(record.items.begin(), record.items.end());
            for (std::size_t c = 0; c < ref.columns.size(); ++c) {
                const auto found = items.find(ref.columns[c]);
                const std::string expected = found == items.end() ? Typed(boost::any()) : Typed(found->second);
                if (Typed(provider.GetCellData(static_cast<int>(r), static_cast<int>(c + 3))) != expected)
                    Differ(reader, "item of record", r);
            }
        }
    } catch (const Host::OrvixException&) {
        if (!ref.refused)
            Differ(reader, "refused a file the rules accept", 0);
    }
}

} // namespace
