// SDDataProvider's index against a small reference of the documented rules,
// written here line by line: the same records, and for every record the
// same name and data items, typed the same. Structures are not read (the
// index alone is checked, quickly). Any difference aborts, so that libFuzzer
// reports the input.
//
// The rules: lines end in LF, CR LF or a lone CR. A record's first line is
// its name ("Molecule-N" when empty). Its items start at the first line that
// begins with "M  END" or ">", unless a record end comes first: a line that
// is "$$$$" and nothing after it but spaces or tabs. From there each line
// beginning with ">" is an item header, and the lines after it up to an
// empty line are its value (11 of them kept, then "\n..."); other lines are
// passed over; the record end closes the record. The name is the text in the
// header's first <...>, else the header after ">" without blanks around it;
// an item without a name is left out. A value that runs into a record end
// refuses the file, and so does an empty file. A record without any marker
// line after its name is no record, but a file without any is one record.
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <sstream>
#include <string>
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

bool IsRecordEnd(const std::string& line)
{
    if (line.compare(0, 4, "$$$$") != 0)
        return false;
    for (std::size_t i = 4; i < line.size(); ++i)
        if (line[i] != ' ' && line[i] != '\t')
            return false;
    return true;
}

bool ItemName(const std::string& header, std::string& name)
{
    const std::size_t open = header.find('<');
    const std::size_t close = open == std::string::npos ? std::string::npos : header.find('>', open + 1);
    if (close != std::string::npos) {
        name = header.substr(open + 1, close - open - 1);
    } else {
        name = header.substr(1);
        const std::size_t first = name.find_first_not_of(" \t");
        name = first == std::string::npos ? std::string() : name.substr(first, name.find_last_not_of(" \t") - first + 1);
    }
    return !name.empty();
}

Reference Read(const std::string& text)
{
    Reference ref;
    const std::vector<std::string> lines = Lines(text);
    if (text.empty()) {
        ref.refused = true;
        return ref;
    }
    std::set<std::string> known{"Name", "Index", "Structure"};
    std::size_t i = 0;
    while (i < lines.size()) {
        Record record;
        record.name = lines[i].empty() ? "Molecule-" + std::to_string(ref.records.size() + 1) : lines[i];
        ++i;
        std::size_t j = i;
        while (j < lines.size() && !IsRecordEnd(lines[j]) && lines[j].compare(0, 6, "M  END") != 0 && lines[j][0] != '>')
            ++j;
        if (j == lines.size())
            break; // no marker: no record
        i = j;
        if (IsRecordEnd(lines[i])) {
            ++i;
        } else {
            std::set<std::string> seen{"Name", "Index"};
            for (;;) {
                while (i < lines.size() && !IsRecordEnd(lines[i]) && lines[i][0] != '>')
                    ++i;
                if (i == lines.size())
                    break;
                if (IsRecordEnd(lines[i])) {
                    ++i;
                    break;
                }
                const std::string header = lines[i++];
                std::string value;
                int count = 0;
                while (i < lines.size() && !lines[i].empty()) {
                    if (IsRecordEnd(lines[i])) {
                        ref.refused = true;
                        return ref;
                    }
                    ++count;
                    if (count <= 11)
                        value += (count > 1 ? "\n" : "") + lines[i];
                    else if (count == 12)
                        value += "\n...";
                    ++i;
                }
                if (i < lines.size())
                    ++i; // the empty line
                std::string name;
                if (!ItemName(header, name))
                    continue;
                if (seen.insert(name).second)
                    record.items.emplace_back(name, value);
                if (known.insert(name).second)
                    ref.columns.push_back(name);
            }
        }
        ref.records.push_back(record);
    }
    ref.markerless = ref.records.empty();
    return ref;
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

[[noreturn]] void Differ(const char* what, std::size_t at)
{
    std::fprintf(stderr, "SD reader and reference differ: %s at %zu\n", what, at);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const Reference ref = Read(text);
    std::istringstream file(text), scanned(text);
    Host::NullProgressMonitor monitor;
    try {
        VorlatImportExport::SDDataProvider provider(
            file, boost::shared_ptr<Host::InputStream>(new Host::StdInputStream(scanned)), monitor);
        if (ref.refused)
            Differ("accepted a file the rules refuse", 0);
        if (ref.markerless) {
            if (provider.GetRowCount() != 1)
                Differ("row count of a file without markers", 1);
            return 0;
        }
        if (static_cast<std::size_t>(provider.GetRowCount()) != ref.records.size())
            Differ("row count", ref.records.size());
        if (static_cast<std::size_t>(provider.GetColumnCount()) != 3 + ref.columns.size())
            Differ("column count", 3 + ref.columns.size());
        for (std::size_t c = 0; c < ref.columns.size(); ++c)
            if (Host::ToSString(provider.GetColumnTitle(static_cast<int>(c + 3))) != ref.columns[c])
                Differ("column title", c + 3);
        for (std::size_t r = 0; r < ref.records.size() && r < 500; ++r) {
            const Record& record = ref.records[r];
            if (Typed(provider.GetCellData(static_cast<int>(r), 1)) != Typed(record.name))
                Differ("name of record", r);
            std::map<std::string, std::string> items(record.items.begin(), record.items.end());
            for (std::size_t c = 0; c < ref.columns.size(); ++c) {
                const auto found = items.find(ref.columns[c]);
                const std::string expected = found == items.end() ? Typed(boost::any()) : Typed(found->second);
                if (Typed(provider.GetCellData(static_cast<int>(r), static_cast<int>(c + 3))) != expected)
                    Differ("item of record", r);
            }
        }
    } catch (const Host::OrvixException&) {
        if (!ref.refused)
            Differ("refused a file the rules accept", 0);
    }
    return 0;
}
