// Mol2DataProvider's index against a small reference of the documented
// rules, written here line by line: the same records, and for every record
// the same name and property blocks, typed the same. Structures are not read.
// Any difference aborts, so that libFuzzer reports the input.
//
// The rules: lines end in LF, CR LF or a lone CR. A record starts at a line
// that is "@<TRIPOS>MOLECULE", blanks before and after it allowed; a file
// without one is refused, and text before the first belongs to no record.
// The line after the marker is the record's name (without blanks around it;
// "Molecule-N" when empty). A line that begins with "@<ZENTROVA>MOL_PROPERTY"
// (blanks before it allowed) starts a property block: the next line is its
// name, the one after its type, both not empty (else the file is refused),
// then value lines up to an empty line or a line beginning with "@" (after
// blanks), lines beginning with "#" left out, 11 kept and then "\n...". The
// first block of a name counts; blocks named "Name" or "Index" replace the
// record's own.
#include <set>
#include <string>
#include <vector>

#include "MoleculeReference.h"
#include "index/IndexOptions.h"
#include "molecule/Mol2DataProvider.h"

namespace {

std::string WithoutLeadingBlanks(const std::string& line)
{
    const std::size_t first = line.find_first_not_of(" \t");
    return first == std::string::npos ? std::string() : line.substr(first);
}

bool IsMoleculeMarker(const std::string& line)
{
    const std::string rest = WithoutLeadingBlanks(line);
    if (rest.compare(0, 17, "@<TRIPOS>MOLECULE") != 0)
        return false;
    return rest.find_first_not_of(" \t", 17) == std::string::npos;
}

bool IsPropertyMarker(const std::string& line)
{
    return WithoutLeadingBlanks(line).compare(0, 23, "@<ZENTROVA>MOL_PROPERTY") == 0;
}

std::string Trimmed(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    return first == std::string::npos ? std::string() : text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

Reference Read(const std::string& text)
{
    Reference ref;
    const std::vector<std::string> lines = Lines(text);
    std::size_t i = 0;
    while (i < lines.size() && !IsMoleculeMarker(lines[i]))
        ++i;
    if (i == lines.size()) {
        ref.refused = true;
        return ref;
    }
    std::set<std::string> known{"Name", "Index", "Structure"};
    while (i < lines.size()) {
        // lines[i] is a molecule marker.
        Record record;
        ++i;
        const std::string nameLine = i < lines.size() ? lines[i++] : std::string();
        std::map<std::string, std::string> blocks;
        std::vector<std::string> order;
        while (i < lines.size() && !IsMoleculeMarker(lines[i])) {
            if (!IsPropertyMarker(lines[i])) {
                ++i;
                continue;
            }
            ++i;
            if (i >= lines.size()) {
                ref.refused = true;
                return ref;
            }
            const std::string name = lines[i++];
            if (i >= lines.size()) {
                ref.refused = true;
                return ref;
            }
            const std::string type = lines[i++];
            std::string value;
            int taken = 0;
            while (i < lines.size()) {
                const std::string rest = WithoutLeadingBlanks(lines[i]);
                if (!rest.empty() && rest[0] == '@')
                    break;
                const std::string line = lines[i++];
                if (line.empty())
                    break;
                if (line[0] == '#')
                    continue;
                ++taken;
                if (taken <= 11)
                    value += (taken > 1 ? "\n" : "") + line;
                else if (taken == 12)
                    value += "\n...";
            }
            if (name.empty() || type.empty()) {
                ref.refused = true;
                return ref;
            }
            if (blocks.emplace(name, value).second)
                order.push_back(name);
            if (known.insert(name).second)
                ref.columns.push_back(name);
        }
        const std::string fixed = Trimmed(nameLine);
        record.name = blocks.count("Name") ? blocks["Name"]
                                           : fixed.empty() ? "Molecule-" + std::to_string(ref.records.size() + 1) : fixed;
        for (const std::string& name : order)
            record.items.emplace_back(name, blocks[name]);
        ref.records.push_back(record);
    }
    return ref;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const Reference reference = Read(text);
    VorlatImportExport::IndexOptions::SetThreadCount(1);
    Compare<VorlatImportExport::Mol2DataProvider>("Mol2", text, reference);
    // The same on two threads, in ranges of a few bytes.
    VorlatImportExport::IndexOptions::SetThreadCount(2);
    VorlatImportExport::IndexOptions::SetRangeSize(static_cast<std::int64_t>(16 + size % 113));
    Compare<VorlatImportExport::Mol2DataProvider>("Mol2 on threads", text, reference);
    VorlatImportExport::IndexOptions::SetRangeSize(0);
    return 0;
}
