#include "chem/ImportTripos.h"

#include <cctype>
#include <charconv>
#include <memory>
#include <sstream>
#include <string_view>
#include <vector>

#include <GraphMol/Conformer.h>
#include <GraphMol/FileParsers/FileParsers.h>
#include <GraphMol/MolOps.h>
#include <GraphMol/PeriodicTable.h>

#include "chem/ChemDoc.h"
#include "chem/MolUtilities.h"
#include "chem/detail/MoleculeImpl.h"
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

std::vector<std::string> Tokens(const std::string& line)
{
    std::istringstream in(line);
    std::vector<std::string> tokens;
    for (std::string token; in >> token;)
        tokens.push_back(token);
    return tokens;
}

// The element of a SYBYL atom type: "C.ar" is C, "Cl" is Cl; dummies, lone
// pairs and unknown types are atomic number 0.
int ElementOf(const std::string& type)
{
    std::string symbol = type.substr(0, type.find('.'));
    if (symbol.empty() || !std::isalpha(static_cast<unsigned char>(symbol[0])))
        return 0;
    symbol[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(symbol[0])));
    for (std::size_t i = 1; i < symbol.size(); ++i)
        symbol[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(symbol[i])));
    if (symbol == "Du" || symbol == "Lp" || symbol == "Any" || symbol == "Hal" || symbol == "Het" || symbol == "Hev")
        return 0;
    try {
        return RDKit::PeriodicTable::getTable()->getAtomicNumber(symbol);
    } catch (...) {
        return 0;
    }
}

// Whether the record's ATOM section lists a hydrogen.
bool HasHydrogens(const std::vector<std::string>& lines)
{
    std::string section;
    for (const std::string& raw : lines) {
        const std::string line = RemoveSpaces(raw, true, true);
        if (!line.empty() && line[0] == '@') {
            section = line;
            continue;
        }
        if (section != "@<TRIPOS>ATOM")
            continue;
        const std::vector<std::string> tokens = Tokens(line);
        if (tokens.size() >= 6 && ElementOf(tokens[5]) == 1)
            return true;
    }
    return false;
}

// The directly read structure, sanitized when the toolkit can; otherwise
// kept as read, with ring information for display.
void Tidy(RDKit::RWMol& mol)
{
    std::unique_ptr<RDKit::RWMol> trial(new RDKit::RWMol(mol));
    try {
        RDKit::MolOps::sanitizeMol(*trial);
        mol = *trial;
    } catch (...) {
        mol.updatePropertyCache(false);
        RDKit::MolOps::fastFindRings(mol);
    }
}

// A coordinate as the number its text starts with, read with the decimal
// point whatever the locale.
bool ReadCoordinate(const std::string& text, double& value)
{
    const char* first = text.data();
    const char* last = first + text.size();
    if (first != last && *first == '+')
        ++first;
    return std::from_chars(first, last, value).ec == std::errc();
}

// The ATOM and BOND sections read directly; null without a readable atom.
std::unique_ptr<RDKit::RWMol> ReadSections(const std::vector<std::string>& lines)
{
    std::unique_ptr<RDKit::RWMol> mol(new RDKit::RWMol);
    std::unique_ptr<RDKit::Conformer> conformer(new RDKit::Conformer);
    std::map<std::string, unsigned> atomIds;
    std::string section;
    for (const std::string& raw : lines) {
        const std::string line = RemoveSpaces(raw, true, true);
        if (line.empty() || line[0] == '#')
            continue;
        if (line[0] == '@') {
            section = line;
            continue;
        }
        const std::vector<std::string> tokens = Tokens(line);
        if (section == "@<TRIPOS>ATOM" && tokens.size() >= 6) {
            double x = 0, y = 0, z = 0;
            if (!ReadCoordinate(tokens[2], x) || !ReadCoordinate(tokens[3], y) || !ReadCoordinate(tokens[4], z))
                continue;
            RDKit::Atom atom(ElementOf(tokens[5]));
            const unsigned index = mol->addAtom(&atom, true, false);
            conformer->setAtomPos(index, RDGeom::Point3D(x, y, z));
            atomIds[tokens[0]] = index;
        } else if (section == "@<TRIPOS>BOND" && tokens.size() >= 4) {
            const auto from = atomIds.find(tokens[1]);
            const auto to = atomIds.find(tokens[2]);
            if (from == atomIds.end() || to == atomIds.end() || from->second == to->second ||
                mol->getBondBetweenAtoms(from->second, to->second))
                continue;
            RDKit::Bond::BondType type = RDKit::Bond::SINGLE;
            if (tokens[3] == "2")
                type = RDKit::Bond::DOUBLE;
            else if (tokens[3] == "3")
                type = RDKit::Bond::TRIPLE;
            else if (tokens[3] == "ar")
                type = RDKit::Bond::AROMATIC;
            const unsigned count = mol->addBond(from->second, to->second, type);
            if (type == RDKit::Bond::AROMATIC) {
                RDKit::Bond* bond = mol->getBondWithIdx(count - 1);
                bond->setIsAromatic(true);
                bond->getBeginAtom()->setIsAromatic(true);
                bond->getEndAtom()->setIsAromatic(true);
            }
        }
    }
    if (mol->getNumAtoms() == 0)
        return nullptr;
    // "ar" also marks the delocalized bonds of carboxylates and similar
    // groups, outside any ring: those become single bonds, and the first
    // such bond of each atom to an oxygen a double bond.
    mol->updatePropertyCache(false);
    RDKit::MolOps::fastFindRings(*mol);
    std::vector<bool> hasDouble(mol->getNumAtoms(), false);
    for (RDKit::Bond* bond : mol->bonds()) {
        if (bond->getBondType() != RDKit::Bond::AROMATIC || mol->getRingInfo()->numBondRings(bond->getIdx()) > 0)
            continue;
        bond->setBondType(RDKit::Bond::SINGLE);
        bond->setIsAromatic(false);
        RDKit::Atom* a = bond->getBeginAtom();
        RDKit::Atom* b = bond->getEndAtom();
        RDKit::Atom* center = a->getAtomicNum() == 8 ? b : a;
        RDKit::Atom* oxygen = center == a ? b : a;
        if (oxygen->getAtomicNum() == 8 && !hasDouble[center->getIdx()]) {
            bond->setBondType(RDKit::Bond::DOUBLE);
            hasDouble[center->getIdx()] = true;
        }
    }
    for (RDKit::Atom* atom : mol->atoms())
        if (atom->getIsAromatic() && !mol->getRingInfo()->numAtomRings(atom->getIdx()))
            atom->setIsAromatic(false);
    mol->getRingInfo()->reset();
    conformer->resize(mol->getNumAtoms());
    conformer->set3D(true);
    mol->addConformer(conformer.release(), true);
    Tidy(*mol);
    return mol;
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

    // The toolkit reads records that list their hydrogens; records without
    // any (as many programs write them) and records it refuses are read
    // directly, with implicit hydrogens.
    std::unique_ptr<RDKit::RWMol> mol;
    if (HasHydrogens(lines)) {
        try {
            mol.reset(RDKit::Mol2BlockToMol(tripos, true, false));
        } catch (...) {
            mol.reset();
        }
    }
    if (!mol || mol->getNumAtoms() == 0)
        mol = ReadSections(lines);
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
