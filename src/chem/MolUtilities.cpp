#include "chem/MolUtilities.h"

#include <memory>

#include <GraphMol/MolOps.h>
#include <GraphMol/SmilesParse/SmilesWrite.h>

#include "chem/ChemDoc.h"
#include "chem/Molecule.h"
#include "chem/detail/MoleculeImpl.h"
#include "chem/detail/QuietToolkit.h"
#include "host/CfxLocalizationEnabler.h"
#include "host/StringConversion.h"

namespace Chem {

bool ExtractPropertyName(std::string_view header, std::string_view& name)
{
    const std::size_t open = header.find('<');
    const std::size_t close = open == std::string_view::npos ? std::string_view::npos : header.find('>', open + 1);
    std::string_view found;
    if (close != std::string_view::npos) {
        found = header.substr(open + 1, close - open - 1);
    } else {
        found = header.substr(!header.empty() && header[0] == '>' ? 1 : 0);
        const std::size_t first = found.find_first_not_of(" \t\r\n");
        if (first == std::string_view::npos)
            return false;
        found = found.substr(first, found.find_last_not_of(" \t\r\n") - first + 1);
    }
    if (found.empty())
        return false;
    name = found;
    return true;
}

bool ExtractPropertyDataItem(const std::string& header, const std::string& valueText, std::string& name,
                             std::string& value)
{
    std::string_view found;
    if (!ExtractPropertyName(header, found))
        return false;
    name.assign(found.data(), found.size());
    value = valueText;
    return true;
}

std::string GetLine(std::istream& stream, bool)
{
    std::string line;
    std::streambuf* buffer = stream.rdbuf();
    if (!buffer || !stream.good()) {
        stream.setstate(std::ios::failbit);
        return line;
    }
    for (;;) {
        const int c = buffer->sbumpc();
        if (c == std::char_traits<char>::eof()) {
            stream.setstate(line.empty() ? (std::ios::eofbit | std::ios::failbit) : std::ios::eofbit);
            return line;
        }
        if (c == '\n')
            return line;
        if (c == '\r') {
            if (buffer->sgetc() == '\n')
                buffer->sbumpc();
            return line;
        }
        line += static_cast<char>(c);
    }
}

std::string RemoveSpaces(const std::string& text, bool leading, bool trailing)
{
    const char* const blanks = " \t\r\n";
    std::size_t first = 0;
    std::size_t last = text.size();
    if (leading) {
        first = text.find_first_not_of(blanks);
        if (first == std::string::npos)
            return std::string();
    }
    if (trailing)
        last = text.find_last_not_of(blanks) + 1;
    return first < last ? text.substr(first, last - first) : std::string();
}

std::wstring GetMoleculeName(ChemDoc* document)
{
    if (!document)
        return std::wstring();
    DescendentIterator molecules(document->GetTreeRoot(), Molecule::classType, false, false);
    const Molecule* molecule = static_cast<const Molecule*>(molecules.GetNext());
    return molecule ? Host::ToWString(molecule->GetName()) : std::wstring();
}

namespace {

bool HasHydrogenAtoms(const RDKit::ROMol& mol)
{
    for (const RDKit::Atom* atom : mol.atoms())
        if (atom->getAtomicNum() == 1)
            return true;
    return false;
}

} // namespace

std::string MoleculeToSmiles(const Molecule* molecule)
{
    Host::CfxLocalizationEnabler numericConventions(0, "C");
    detail::QuietToolkit quiet;
    if (!molecule || molecule->GetAtomCount() == 0)
        return std::string();
    const RDKit::RWMol& mol = detail::Toolkit(*molecule);
    // Hydrogens written in the file are shown as a SMILES shows them:
    // implied, unless they carry something (isotopes, charges, stereo).
    // Taking them out needs a copy of the molecule; one without hydrogen
    // atoms is written as it is (the writer works on its own copy anyway),
    // which gives the same text and spares a copy per structure.
    try {
        if (!HasHydrogenAtoms(mol))
            return RDKit::MolToSmiles(mol);
        std::unique_ptr<RDKit::ROMol> withoutHydrogens(RDKit::MolOps::removeHs(mol, false, false, false));
        return RDKit::MolToSmiles(*withoutHydrogens);
    } catch (const std::exception&) {
    }
    try {
        return RDKit::MolToSmiles(mol);
    } catch (const std::exception&) {
        return std::string();
    }
}

} // namespace Chem
