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
#include <set>
#include <string>
#include <vector>

#include "MoleculeReference.h"
#include "index/IndexOptions.h"

namespace {

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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const Reference reference = Read(text);
    VorlatImportExport::IndexOptions::SetThreadCount(1);
    Compare<VorlatImportExport::SDDataProvider>("SD", text, reference);
    // The same on two threads, in ranges of a few bytes.
    VorlatImportExport::IndexOptions::SetThreadCount(2);
    VorlatImportExport::IndexOptions::SetRangeSize(static_cast<std::int64_t>(16 + size % 113));
    Compare<VorlatImportExport::SDDataProvider>("SD on threads", text, reference);
    VorlatImportExport::IndexOptions::SetRangeSize(0);
    return 0;
}
