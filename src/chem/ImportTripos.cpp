#include "chem/ImportTripos.h"

#include <memory>
#include <string_view>
#include <vector>

#include "chem/ChemDoc.h"
#include "chem/MolUtilities.h"
#include "chem/detail/MoleculeImpl.h"
#include "chem/detail/TriposStructure.h"
#include "host/CfxLocalizationEnabler.h"

namespace Chem {

namespace {

const char* const MoleculeMarker = "@<TRIPOS>MOLECULE";
const char* const PropertyMarker = "@<ZENTROVA>MOL_PROPERTY";

// Whether the line begins with "@" after any spaces or tabs: such a line
// ends a property value, as it does when the file is indexed.
bool StartsWithAt(const std::string& line)
{
    const std::size_t first = line.find_first_not_of(" \t");
    return first != std::string::npos && line[first] == '@';
}

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

} // namespace

std::string FixMoleculeName(const std::string& name, int record)
{
    const std::string trimmed = RemoveSpaces(name, true, true);
    return trimmed.empty() ? "Molecule-" + std::to_string(record + 1) : trimmed;
}

std::string GenerateMoleculeIndex(int record) { return std::to_string(record); }

ImportTripos::ImportTripos() = default;

ImportTripos::~ImportTripos() = default;

bool ImportTripos::Import(CTextArchiveParser& parser, Object* root, Host::IProgressMonitor&)
{
    // The toolkit reads numbers with the C library: the decimal point must
    // be the point whatever the user's locale.
    Host::CfxLocalizationEnabler numericConventions(0, "C");
    if (!root || root->GetClassType() != TreeRoot::classType)
        return false;
    const std::vector<std::string> lines = Lines(parser.GetText());

    // The record from its marker on; property blocks are taken out for the
    // toolkit and kept as properties.
    std::unique_ptr<Molecule> molecule(new Molecule);
    std::string tripos;
    bool inRecord = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string trimmed = RemoveSpaces(lines[i], true, true);
        if (trimmed == MoleculeMarker) {
            if (inRecord)
                break;
            inRecord = true;
            if (i + 1 < lines.size())
                molecule->SetName(RemoveSpaces(lines[i + 1], true, true));
        }
        if (!inRecord)
            continue;
        if (trimmed == PropertyMarker) {
            const std::string name = i + 1 < lines.size() ? lines[i + 1] : std::string();
            const std::string second = i + 2 < lines.size() ? lines[i + 2] : std::string();
            std::string value;
            std::size_t k = i + 3;
            bool first = true;
            for (; k < lines.size() && !lines[k].empty() && !StartsWithAt(lines[k]); ++k) {
                if (lines[k][0] == '#')
                    continue;
                value += (first ? "" : "\n") + lines[k];
                first = false;
            }
            if (!name.empty() && !second.empty())
                molecule->AddUserProperty(name, value);
            i = k - 1;
            continue;
        }
        tripos += lines[i];
        tripos += '\n';
    }
    if (!inRecord)
        return false;

    std::unique_ptr<RDKit::RWMol> mol = detail::ReadTriposStructure(lines, m_FormalChargesRecorded);
    // A record without a readable atom keeps its name and property blocks,
    // as a molecule without atoms: its row shows them whether or not its
    // structure was read.
    if (!mol)
        mol.reset(new RDKit::RWMol);
    molecule->Impl().mol = std::move(mol);
    molecule->StructureChanged();
    static_cast<TreeRoot*>(root)->AddMolecule(std::move(molecule));
    return true;
}

} // namespace Chem
