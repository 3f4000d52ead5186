#include "chem/ImportTripos.h"

#include <memory>
#include <string_view>
#include <vector>

#include "chem/ChemDoc.h"
#include "chem/MolUtilities.h"
#include "chem/detail/MoleculeImpl.h"
#include "chem/detail/QuietToolkit.h"
#include "chem/detail/TextLines.h"
#include "chem/detail/TriposStructure.h"
#include "host/CfxLocalizationEnabler.h"

namespace Chem {

namespace {

const char* const MoleculeMarker = "@<TRIPOS>MOLECULE";
const char* const PropertyMarker = "@<ZENTROVA>MOL_PROPERTY";

// Whether the line begins with "@" after any spaces or tabs: such a line
// ends a property value, as it does when the file is indexed.
bool StartsWithAt(std::string_view line)
{
    const std::size_t first = line.find_first_not_of(" \t");
    return first != std::string_view::npos && line[first] == '@';
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
    detail::QuietToolkit quiet;
    if (!root || root->GetClassType() != TreeRoot::classType)
        return false;
    const std::vector<std::string_view> lines = detail::SplitLines(parser.GetText());

    // The record from its marker on; property blocks are taken out of the
    // structure and kept as properties.
    std::unique_ptr<Molecule> molecule(new Molecule);
    std::vector<std::string_view> structure;
    bool inRecord = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view trimmed = detail::Trimmed(lines[i]);
        if (trimmed == MoleculeMarker) {
            if (inRecord)
                break;
            inRecord = true;
            if (i + 1 < lines.size())
                molecule->SetName(std::string(detail::Trimmed(lines[i + 1])));
        }
        if (!inRecord)
            continue;
        if (trimmed == PropertyMarker) {
            const std::string_view name = i + 1 < lines.size() ? lines[i + 1] : std::string_view();
            const std::string_view second = i + 2 < lines.size() ? lines[i + 2] : std::string_view();
            std::string value;
            std::size_t k = i + 3;
            bool first = true;
            for (; k < lines.size() && !lines[k].empty() && !StartsWithAt(lines[k]); ++k) {
                if (lines[k][0] == '#')
                    continue;
                if (!first)
                    value += '\n';
                value += lines[k];
                first = false;
            }
            if (!name.empty() && !second.empty())
                molecule->AddUserProperty(std::string(name), value);
            i = k - 1;
            continue;
        }
        structure.push_back(lines[i]);
    }
    if (!inRecord)
        return false;

    std::unique_ptr<RDKit::RWMol> mol = detail::ReadTriposStructure(structure, m_FormalChargesRecorded);
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
