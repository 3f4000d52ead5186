#include "chem/ImportMOL.h"

#include <istream>
#include <memory>
#include <streambuf>
#include <string_view>
#include <vector>

#include <GraphMol/FileParsers/FileParsers.h>
#include <GraphMol/MolOps.h>
#include <GraphMol/SanitException.h>

#include "chem/ChemDoc.h"
#include "chem/MolUtilities.h"
#include "chem/detail/MoleculeImpl.h"
#include "chem/detail/QuietToolkit.h"
#include "chem/detail/Sanitize.h"
#include "chem/detail/TextLines.h"
#include "host/CfxLocalizationEnabler.h"

namespace Chem {

namespace {

bool StartsWith(std::string_view line, std::string_view prefix) { return line.substr(0, prefix.size()) == prefix; }

// "$$$$" ends a record, also with spaces or tabs after it (as other
// toolkits write and accept it); a line with anything else after it is text.
bool IsRecordEnd(std::string_view line)
{
    return StartsWith(line, "$$$$") && line.find_first_not_of(" \t", 4) == std::string_view::npos;
}

// The text with every line end made LF, for the toolkit's reader (which
// splits at LF only). Only called for text that holds a CR.
std::string WithLfLineEnds(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

// The data items after the structure: header lines beginning with ">", then
// value lines up to an empty line (or the record end).
void ReadDataItems(const std::vector<std::string_view>& lines, std::size_t from, Molecule& molecule)
{
    std::size_t i = from;
    while (i < lines.size() && !IsRecordEnd(lines[i])) {
        if (!StartsWith(lines[i], ">")) {
            ++i;
            continue;
        }
        const std::string header(lines[i++]);
        std::string value;
        bool first = true;
        while (i < lines.size() && !lines[i].empty() && !IsRecordEnd(lines[i])) {
            if (!first)
                value += '\n';
            value.append(lines[i].data(), lines[i].size());
            first = false;
            ++i;
        }
        std::string name, itemValue;
        if (ExtractPropertyDataItem(header, value, name, itemValue))
            molecule.AddUserProperty(name, itemValue);
    }
}

// The toolkit reads the record from a stream over its text, not from a copy.
class TextBuffer : public std::streambuf {
public:
    explicit TextBuffer(const std::string& text)
    {
        char* begin = const_cast<char*>(text.data());
        setg(begin, begin, begin + text.size());
    }
};

// Reads the structure; null when the text is no molfile.
std::unique_ptr<RDKit::RWMol> ReadStructure(const std::string& text)
{
    std::string normalized;
    if (text.find('\r') != std::string::npos)
        normalized = WithLfLineEnds(text);
    const std::string& block = normalized.empty() ? text : normalized;
    try {
        TextBuffer buffer(block);
        std::istream in(&buffer);
        unsigned line = 0;
        return std::unique_ptr<RDKit::RWMol>(RDKit::MolDataStreamToMol(in, line, true, false, false));
    } catch (const RDKit::MolSanitizeException&) {
        // Read as it stands, then sanitize what can be.
    } catch (const std::exception&) {
        return nullptr;
    }
    try {
        std::unique_ptr<RDKit::RWMol> mol(RDKit::MolBlockToMol(block, false, false, false));
        // Aromatic bonds (type 4) leave the hydrogen of a pyrrole nitrogen
        // unsaid: the toolkit cannot kekulize the ring until it is supplied.
        detail::RingRepairs repairs;
        repairs.hydrogens = true;
        if (mol && detail::SanitizeWithRingRepairs(mol, repairs))
            RDKit::MolOps::assignStereochemistry(*mol, true, true);
        return mol;
    } catch (const std::exception&) {
        return nullptr;
    }
}

} // namespace

ImportMOL::ImportMOL() = default;

ImportMOL::~ImportMOL() = default;

bool ImportMOL::ImportNextMolecule(CTextArchiveParser& parser, Object* root, void*)
{
    // The toolkit reads numbers with the C library: the decimal point must
    // be the point whatever the user's locale.
    Host::CfxLocalizationEnabler numericConventions(0, "C");
    detail::QuietToolkit quiet;
    if (!root || root->GetClassType() != TreeRoot::classType)
        return false;
    const std::string& text = parser.GetText();
    const std::vector<std::string_view> lines = detail::SplitLines(text);
    if (lines.empty())
        return false;

    // The structure ends at "M  END"; without one, at the first data item.
    std::size_t items = lines.size();
    for (std::size_t i = 1; i < lines.size(); ++i) {
        if (i >= 3 && StartsWith(lines[i], "M  END")) {
            items = i + 1;
            break;
        }
        if (i >= 3 && (StartsWith(lines[i], ">") || IsRecordEnd(lines[i]))) {
            items = i;
            break;
        }
    }

    std::unique_ptr<Molecule> molecule(new Molecule);
    molecule->SetName(std::string(lines[0]));
    ReadDataItems(lines, items, *molecule);
    if (!m_OnlyProperties) {
        std::unique_ptr<RDKit::RWMol> mol = ReadStructure(text);
        if (!mol)
            return false;
        molecule->Impl().mol = std::move(mol);
        molecule->StructureChanged();
    }
    static_cast<TreeRoot*>(root)->AddMolecule(std::move(molecule));
    return true;
}

} // namespace Chem
