#include "chem/detail/TriposStructure.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <array>
#include <map>
#include <string_view>
#include <unordered_map>

#include <GraphMol/Conformer.h>
#include <GraphMol/MolOps.h>
#include <GraphMol/PeriodicTable.h>

#include "chem/detail/Sanitize.h"
#include "chem/detail/TextLines.h"

namespace Chem {
namespace detail {

namespace {

struct TriposAtom {
    int element = 0;
    std::string subtype; // after the element's dot, lower case: "4", "ar", "co2", "cat"
    RDGeom::Point3D position;
};

struct TriposRecord {
    std::vector<TriposAtom> atoms;
    std::vector<std::array<std::string_view, 3>> bonds; // origin and target ids as written, and the type
    std::unordered_map<std::string_view, unsigned> atomIds;
    bool chargesGiven = false;
    double chargeSum = 0;
    std::vector<double> partialCharges; // one per atom
    // The formal charges of the UNITY_ATOM_ATTR section, which the writer
    // gives for every charged atom when it writes the section at all.
    bool formalChargesGiven = false;
    std::vector<int> formalCharges; // one per atom
};

// The line's fields separated by blanks.
void Split(std::string_view line, std::vector<std::string_view>& fields)
{
    fields.clear();
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t')
            ++i;
        if (i > start)
            fields.push_back(line.substr(start, i - start));
    }
}

std::string Lower(std::string_view view)
{
    std::string text(view);
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The element of a SYBYL atom type: "C.ar" is C, "Cl" is Cl; query and
// unknown types are atomic number 0 (shown as "*"); lone pairs and dummy
// atoms, which are no atoms of the molecule, are -1.
int ElementOf(std::string_view type)
{
    std::string symbol(type.substr(0, type.find('.')));
    if (symbol.empty() || !std::isalpha(static_cast<unsigned char>(symbol[0])))
        return 0;
    symbol[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(symbol[0])));
    for (std::size_t i = 1; i < symbol.size(); ++i)
        symbol[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(symbol[i])));
    if (symbol == "Du" || symbol == "Lp")
        return -1;
    if (symbol == "Any" || symbol == "Hal" || symbol == "Het" || symbol == "Hev")
        return 0;
    try {
        return RDKit::PeriodicTable::getTable()->getAtomicNumber(symbol);
    } catch (...) {
        return 0;
    }
}

// A number as its text starts, read with the decimal point whatever the
// locale.
bool ReadNumber(std::string_view text, double& value)
{
    const char* first = text.data();
    const char* last = first + text.size();
    if (first != last && *first == '+')
        ++first;
    return std::from_chars(first, last, value).ec == std::errc();
}

TriposRecord ReadSections(const std::vector<std::string_view>& lines)
{
    TriposRecord record;
    std::string_view section;
    std::size_t moleculeLine = 0;
    std::vector<std::pair<std::string_view, int>> charged;
    std::string_view attributesOf;
    long attributesLeft = 0;
    std::vector<std::string_view> tokens;
    for (const std::string_view raw : lines) {
        const std::string_view line = Trimmed(raw);
        if (!line.empty() && line[0] == '@') {
            section = line;
            moleculeLine = 0;
            continue;
        }
        if (section == "@<TRIPOS>MOLECULE") {
            // Name, counts, molecule type, then the kind of charges.
            if (++moleculeLine == 4)
                record.chargesGiven = !line.empty() && line != "NO_CHARGES";
            continue;
        }
        if (line.empty() || line[0] == '#')
            continue;
        Split(line, tokens);
        if (section == "@<TRIPOS>ATOM" && tokens.size() >= 6) {
            TriposAtom atom;
            atom.element = ElementOf(tokens[5]);
            if (atom.element < 0)
                continue;
            if (!ReadNumber(tokens[2], atom.position.x) || !ReadNumber(tokens[3], atom.position.y) ||
                !ReadNumber(tokens[4], atom.position.z))
                continue;
            const std::size_t dot = tokens[5].find('.');
            if (dot != std::string_view::npos)
                atom.subtype = Lower(tokens[5].substr(dot + 1));
            double charge = 0;
            if (tokens.size() >= 9 && ReadNumber(tokens[8], charge))
                record.chargeSum += charge;
            record.partialCharges.push_back(charge);
            record.atomIds.emplace(tokens[0], static_cast<unsigned>(record.atoms.size()));
            record.atoms.push_back(atom);
        } else if (section == "@<TRIPOS>BOND" && tokens.size() >= 4) {
            record.bonds.push_back({tokens[1], tokens[2], tokens[3]});
        } else if (section == "@<TRIPOS>UNITY_ATOM_ATTR" && tokens.size() >= 2) {
            // An atom's id and how many attributes follow, then one
            // attribute per line: its name and value.
            if (attributesLeft > 0) {
                --attributesLeft;
                double value = 0;
                if (tokens[0] == "charge" && ReadNumber(tokens[1], value))
                    charged.emplace_back(attributesOf, static_cast<int>(std::lround(value)));
            } else {
                attributesOf = tokens[0];
                attributesLeft = 0;
                std::from_chars(tokens[1].data(), tokens[1].data() + tokens[1].size(), attributesLeft);
            }
        }
    }
    // Charges all zero are no charges: some writers fill the column so.
    bool anyCharge = false;
    for (double charge : record.partialCharges)
        anyCharge = anyCharge || charge != 0.0;
    record.chargesGiven = record.chargesGiven && anyCharge;
    record.formalCharges.assign(record.atoms.size(), 0);
    for (const auto& [id, charge] : charged) {
        const auto found = record.atomIds.find(id);
        if (found == record.atomIds.end())
            continue;
        record.formalCharges[found->second] = charge;
        record.formalChargesGiven = true;
    }
    return record;
}

enum class Hydrogens { All, Polar, None };

int Order(const RDKit::Bond* bond)
{
    switch (bond->getBondType()) {
    case RDKit::Bond::DOUBLE:
        return 2;
    case RDKit::Bond::TRIPLE:
        return 3;
    default:
        return 1;
    }
}

bool Aromatic(const RDKit::Bond* bond) { return bond->getBondType() == RDKit::Bond::AROMATIC; }

class StructureBuilder {
public:
    StructureBuilder(const TriposRecord& record) : m_Record(record) {}

    std::unique_ptr<RDKit::RWMol> Build()
    {
        if (m_Record.atoms.empty())
            return nullptr;
        AddAtomsAndBonds();
        m_Hydrogens = HydrogensListed();
        SetImplicitHydrogens();
        if (m_Record.formalChargesGiven)
            for (RDKit::Atom* atom : m_Mol->atoms())
                atom->setFormalCharge(m_Record.formalCharges[atom->getIdx()]);
        ResolveDelocalizedGroups();
        if (!m_Record.formalChargesGiven) {
            AssignCharges();
            ChargeIons();
        }
        RingRepairs repairs;
        repairs.hydrogens = m_Hydrogens == Hydrogens::None;
        repairs.charges = !m_Record.formalChargesGiven;
        if (m_Record.chargesGiven)
            repairs.partialCharges = m_Record.partialCharges;
        // The net charge is matched once the rings have their charges.
        if (SanitizeWithRingRepairs(m_Mol, repairs) && !m_Record.formalChargesGiven && MatchNetCharge())
            SanitizeWithRingRepairs(m_Mol, RingRepairs());
        AssignStereo();
        return std::move(m_Mol);
    }

private:
    RDKit::Atom* AtomAt(unsigned index) const { return m_Mol->getAtomWithIdx(index); }
    const std::string& Subtype(const RDKit::Atom* atom) const { return m_Record.atoms[atom->getIdx()].subtype; }

    unsigned ListedHydrogens(const RDKit::Atom* atom) const
    {
        unsigned count = 0;
        for (const RDKit::Atom* neighbor : m_Mol->atomNeighbors(atom))
            count += neighbor->getAtomicNum() == 1;
        return count;
    }

    unsigned HeavyDegree(const RDKit::Atom* atom) const { return atom->getDegree() - ListedHydrogens(atom); }

    bool HasAromaticBond(const RDKit::Atom* atom) const
    {
        for (const RDKit::Bond* bond : m_Mol->atomBonds(atom))
            if (Aromatic(bond))
                return true;
        return false;
    }

    // The sum of the bond orders, listed hydrogens included.
    int Valence(const RDKit::Atom* atom) const
    {
        int valence = 0;
        for (const RDKit::Bond* bond : m_Mol->atomBonds(atom))
            valence += Order(bond);
        return valence;
    }

    void AddAtomsAndBonds()
    {
        m_Mol.reset(new RDKit::RWMol);
        std::unique_ptr<RDKit::Conformer> conformer(new RDKit::Conformer(m_Record.atoms.size()));
        bool depth = false;
        for (std::size_t i = 0; i < m_Record.atoms.size(); ++i) {
            RDKit::Atom atom(m_Record.atoms[i].element);
            m_Mol->addAtom(&atom, true, false);
            conformer->setAtomPos(i, m_Record.atoms[i].position);
            depth = depth || m_Record.atoms[i].position.z != 0.0;
        }
        conformer->set3D(depth);
        m_Mol->addConformer(conformer.release(), true);
        for (const auto& fields : m_Record.bonds) {
            const auto from = m_Record.atomIds.find(fields[0]);
            const auto to = m_Record.atomIds.find(fields[1]);
            const std::string type = Lower(fields[2]);
            // "nc": the two atoms are listed as not connected.
            if (type == "nc" || from == m_Record.atomIds.end() || to == m_Record.atomIds.end() ||
                from->second == to->second || m_Mol->getBondBetweenAtoms(from->second, to->second))
                continue;
            RDKit::Bond::BondType order = RDKit::Bond::SINGLE;
            if (type == "2")
                order = RDKit::Bond::DOUBLE;
            else if (type == "3")
                order = RDKit::Bond::TRIPLE;
            else if (type == "ar")
                order = RDKit::Bond::AROMATIC;
            m_Mol->addBond(from->second, to->second, order);
        }
        m_Mol->updatePropertyCache(false);
        RDKit::MolOps::fastFindRings(*m_Mol);
    }

    Hydrogens HydrogensListed() const
    {
        Hydrogens listed = Hydrogens::None;
        for (const RDKit::Atom* atom : m_Mol->atoms()) {
            if (atom->getAtomicNum() != 1)
                continue;
            listed = Hydrogens::Polar;
            for (const RDKit::Atom* neighbor : m_Mol->atomNeighbors(atom))
                if (neighbor->getAtomicNum() == 6)
                    return Hydrogens::All;
        }
        return listed;
    }

    // Whether the record lists every hydrogen of the atom.
    bool HydrogensKnown(const RDKit::Atom* atom) const
    {
        return m_Hydrogens == Hydrogens::All || (m_Hydrogens == Hydrogens::Polar && atom->getAtomicNum() != 6) ||
               atom->getAtomicNum() == 1;
    }

    void SetImplicitHydrogens()
    {
        for (RDKit::Atom* atom : m_Mol->atoms())
            atom->setNoImplicit(HydrogensKnown(atom));
    }

    // How many of a delocalized group's bonds are double: one for carboxylate,
    // phosphate, guanidinium, nitro; two for a sulfonate's three oxygens.
    static unsigned DoubleBonds(const RDKit::Atom* center, std::size_t members)
    {
        return center->getAtomicNum() == 16 && members >= 3 ? 2 : 1;
    }

    // "ar" bonds outside rings mark delocalized groups (carboxylate, nitro,
    // guanidinium...): they become single bonds and as many double bonds as
    // the center takes, given to the members without listed hydrogens and
    // with the fewest heavy neighbours first, so that a guanidinium shows
    // its "=[NH2+]" as it is usually written.
    void ResolveDelocalizedGroups()
    {
        std::map<unsigned, std::vector<RDKit::Bond*>> groups;
        for (RDKit::Bond* bond : m_Mol->bonds()) {
            if (!Aromatic(bond) || m_Mol->getRingInfo()->numBondRings(bond->getIdx()) > 0)
                continue;
            const RDKit::Atom* a = bond->getBeginAtom();
            const RDKit::Atom* b = bond->getEndAtom();
            // The group's center is the member with more heavy neighbours.
            const RDKit::Atom* center = HeavyDegree(a) >= HeavyDegree(b) ? a : b;
            groups[center->getIdx()].push_back(bond);
            bond->setBondType(RDKit::Bond::SINGLE);
        }
        for (auto& [centerIndex, bonds] : groups) {
            const RDKit::Atom* center = AtomAt(centerIndex);
            std::stable_sort(bonds.begin(), bonds.end(), [&](const RDKit::Bond* x, const RDKit::Bond* y) {
                const RDKit::Atom* a = x->getOtherAtom(center);
                const RDKit::Atom* b = y->getOtherAtom(center);
                // A member the file gives as the cation holds the double
                // bond, an anion does not.
                if (a->getFormalCharge() != b->getFormalCharge())
                    return a->getFormalCharge() > b->getFormalCharge();
                const unsigned ha = ListedHydrogens(a) > 0, hb = ListedHydrogens(b) > 0;
                if (ha != hb)
                    return ha < hb;
                return HeavyDegree(a) < HeavyDegree(b);
            });
            const unsigned doubles = DoubleBonds(center, bonds.size());
            for (unsigned i = 0; i < doubles && i < bonds.size(); ++i)
                bonds[i]->setBondType(RDKit::Bond::DOUBLE);
        }
        for (RDKit::Atom* atom : m_Mol->atoms()) {
            bool aromatic = false;
            for (const RDKit::Bond* bond : m_Mol->atomBonds(atom))
                aromatic = aromatic || Aromatic(bond);
            atom->setIsAromatic(aromatic);
        }
        for (RDKit::Bond* bond : m_Mol->bonds())
            bond->setIsAromatic(Aromatic(bond));
    }

    // A terminal oxygen (or sulfur) held by one single bond and no listed
    // hydrogen: a hydroxyl or an anion.
    bool IsAcidSite(const RDKit::Atom* atom) const
    {
        if ((atom->getAtomicNum() != 8 && atom->getAtomicNum() != 16) || atom->getDegree() != 1 ||
            ListedHydrogens(atom) != 0)
            return false;
        const RDKit::Bond* bond = *m_Mol->atomBonds(atom).begin();
        return bond->getBondType() == RDKit::Bond::SINGLE;
    }

    void AssignCharges()
    {
        for (RDKit::Atom* atom : m_Mol->atoms()) {
            if (atom->getAtomicNum() == 1 || HasAromaticBond(atom))
                continue;
            const int valence = Valence(atom);
            const int element = atom->getAtomicNum();
            if (element == 7 && Subtype(atom) == "4") {
                atom->setFormalCharge(1);
                continue;
            }
            if (HydrogensKnown(atom)) {
                // Every bond is listed: the charge is the valence's departure
                // from the neutral element's.
                if (element == 7)
                    atom->setFormalCharge(valence == 4 ? 1 : valence == 2 ? -1 : 0);
                else if (element == 8)
                    atom->setFormalCharge(valence == 3 ? 1 : valence == 1 ? -1 : 0);
                else if (element == 16 && atom->getDegree() == 1)
                    atom->setFormalCharge(valence == 1 ? -1 : 0);
                else if (element == 15)
                    atom->setFormalCharge(valence == 4 ? 1 : 0);
                else if (element == 5)
                    atom->setFormalCharge(valence == 4 ? -1 : 0);
                continue;
            }
            // Four bonds to a nitrogen: ammonium, nitro, iminium, the middle
            // of an azide.
            if (element == 7 && valence == 4)
                atom->setFormalCharge(1);
        }
        // The oxygen anion of an aromatic N-oxide makes its nitrogen the
        // cation.
        for (RDKit::Atom* atom : m_Mol->atoms()) {
            if (atom->getAtomicNum() != 7 || !atom->getIsAromatic() || atom->getDegree() != 3 ||
                atom->getFormalCharge() != 0)
                continue;
            for (const RDKit::Atom* neighbor : m_Mol->atomNeighbors(atom))
                if (neighbor->getAtomicNum() == 8 && neighbor->getDegree() == 1 && neighbor->getFormalCharge() < 0)
                    atom->setFormalCharge(1);
        }
        if (m_Hydrogens == Hydrogens::All)
            return;
        for (RDKit::Atom* atom : m_Mol->atoms()) {
            if (HydrogensKnown(atom) || atom->getDegree() != 1)
                continue;
            const RDKit::Bond* bond = *m_Mol->atomBonds(atom).begin();
            RDKit::Atom* neighbor = bond->getOtherAtom(atom);
            const bool nextToCation = neighbor->getFormalCharge() > 0 ||
                                      (neighbor->getAtomicNum() == 7 && neighbor->getIsAromatic() &&
                                       neighbor->getDegree() == 3 && atom->getAtomicNum() == 8);
            if (atom->getAtomicNum() == 8 && bond->getBondType() == RDKit::Bond::SINGLE) {
                if (nextToCation) {
                    // The oxygen of a nitro group or an N-oxide.
                    atom->setFormalCharge(-1);
                    neighbor->setFormalCharge(1);
                } else if (Subtype(atom) == "co2") {
                    // SYBYL's carboxylate and phosphate oxygen: the anion
                    // unless the record's charges say otherwise.
                    atom->setFormalCharge(-1);
                }
            } else if (atom->getAtomicNum() == 7 && neighbor->getAtomicNum() == 7 && neighbor->getFormalCharge() > 0 &&
                       Valence(atom) == 2 && Valence(neighbor) == 4) {
                // The end of an azide or a diazo group.
                atom->setFormalCharge(-1);
            }
        }
        // The nitrogen a guanidinium or amidinium carbon holds by its double
        // bond.
        for (RDKit::Atom* atom : m_Mol->atoms()) {
            if (atom->getAtomicNum() != 6 || Subtype(atom) != "cat")
                continue;
            for (const RDKit::Bond* bond : m_Mol->atomBonds(atom)) {
                RDKit::Atom* nitrogen = bond->getOtherAtom(atom);
                if (nitrogen->getAtomicNum() == 7 && bond->getBondType() == RDKit::Bond::DOUBLE &&
                    !HydrogensKnown(nitrogen))
                    nitrogen->setFormalCharge(1);
            }
        }
    }

    int NetCharge() const
    {
        int net = 0;
        for (const RDKit::Atom* atom : m_Mol->atoms())
            net += atom->getFormalCharge();
        return net;
    }

    // Where the types leave a choice between an acid and its anion, the
    // record's partial charges, which add up to the net charge, decide.
    // True when it changed a charge.
    bool MatchNetCharge()
    {
        if (!m_Record.chargesGiven)
            return false;
        const double target = std::round(m_Record.chargeSum);
        if (std::fabs(m_Record.chargeSum - target) > 0.1)
            return false;
        const int before = NetCharge();
        int difference = static_cast<int>(target) - before;
        if (difference == 0)
            return false;
        // Oxygens of acid groups whose hydrogen the record does not tell:
        // sulfonic, then phosphoric, then carboxylic acids, the strongest
        // losing their proton first.
        std::vector<RDKit::Atom*> sites;
        for (RDKit::Atom* atom : m_Mol->atoms())
            if (!HydrogensKnown(atom) && IsAcidSite(atom) && atom->getAtomicNum() == 8)
                sites.push_back(atom);
        auto strength = [&](const RDKit::Atom* oxygen) {
            const RDKit::Atom* center = *m_Mol->atomNeighbors(oxygen).begin();
            int rank = center->getAtomicNum() == 16 ? 0 : center->getAtomicNum() == 15 ? 1 : 2;
            bool oxo = false;
            for (const RDKit::Bond* bond : m_Mol->atomBonds(center))
                oxo = oxo || (bond->getBondType() == RDKit::Bond::DOUBLE &&
                              (bond->getOtherAtom(center)->getAtomicNum() == 8 ||
                               bond->getOtherAtom(center)->getAtomicNum() == 16));
            return oxo ? rank : 3 + rank;
        };
        std::stable_sort(sites.begin(), sites.end(),
                         [&](const RDKit::Atom* a, const RDKit::Atom* b) { return strength(a) < strength(b); });
        if (difference < 0) {
            for (RDKit::Atom* atom : sites) {
                if (difference == 0 || strength(atom) >= 3)
                    break;
                if (atom->getFormalCharge() == 0 && !HasChargedAcidNeighbor(atom)) {
                    atom->setFormalCharge(-1);
                    ++difference;
                }
            }
        } else {
            for (auto it = sites.rbegin(); it != sites.rend() && difference > 0; ++it)
                if ((*it)->getFormalCharge() == -1 && !NextToCation(*it)) {
                    (*it)->setFormalCharge(0);
                    --difference;
                }
        }
        return NetCharge() != before;
    }

    // Whether another oxygen of the same center is already the anion: a
    // carboxylic acid gives one proton, a phosphoric acid up to two.
    bool HasChargedAcidNeighbor(const RDKit::Atom* oxygen) const
    {
        const RDKit::Atom* center = *m_Mol->atomNeighbors(oxygen).begin();
        if (center->getAtomicNum() == 15)
            return false;
        for (const RDKit::Atom* other : m_Mol->atomNeighbors(center))
            if (other != oxygen && other->getAtomicNum() == 8 && other->getFormalCharge() < 0)
                return true;
        return false;
    }

    bool NextToCation(const RDKit::Atom* atom) const
    {
        for (const RDKit::Atom* neighbor : m_Mol->atomNeighbors(atom))
            if (neighbor->getFormalCharge() > 0)
                return true;
        return false;
    }

    // A lone metal or halogen atom is an ion: its partial charge, when the
    // record gives them, is its charge; otherwise the usual one.
    void ChargeIons()
    {
        for (RDKit::Atom* atom : m_Mol->atoms()) {
            if (atom->getDegree() != 0 || atom->getFormalCharge() != 0)
                continue;
            const unsigned element = atom->getAtomicNum();
            int usual = 0;
            if (element == 3 || element == 11 || element == 19 || element == 37 || element == 55)
                usual = 1;
            else if (element == 12 || element == 20 || element == 38 || element == 56)
                usual = 2;
            else if (element == 9 || element == 17 || element == 35 || element == 53)
                usual = -1;
            if (usual == 0)
                continue;
            const double partial = m_Record.partialCharges[atom->getIdx()];
            atom->setFormalCharge(m_Record.chargesGiven && std::fabs(partial) > 0.5 ? static_cast<int>(std::lround(partial))
                                                                                    : usual);
            atom->setNoImplicit(true);
        }
    }

    void AssignStereo()
    {
        if (!m_Mol->getConformer().is3D())
            return;
        try {
            RDKit::MolOps::assignStereochemistryFrom3D(*m_Mol);
        } catch (const std::exception&) {
        }
    }

    const TriposRecord& m_Record;
    std::unique_ptr<RDKit::RWMol> m_Mol;
    Hydrogens m_Hydrogens = Hydrogens::None;
};

} // namespace

std::unique_ptr<RDKit::RWMol> ReadTriposStructure(const std::vector<std::string_view>& lines, bool formalChargesRecorded)
{
    TriposRecord record = ReadSections(lines);
    record.formalChargesGiven = record.formalChargesGiven || formalChargesRecorded;
    return StructureBuilder(record).Build();
}

} // namespace detail
} // namespace Chem
