#include "chem/Atom.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include <GraphMol/Conformer.h>
#include <GraphMol/PeriodicTable.h>

#include "chem/Molecule.h"
#include "chem/detail/MoleculeImpl.h"

namespace Chem {

const int Atom3d::classType = 2;
const int Bond::classType = 3;

namespace {

// Added to the sum of two covalent radii: how much longer than that a bond
// may be.
const double BondTolerance = 0.45;

} // namespace

namespace {

bool IsMetal(unsigned number)
{
    return number == 3 || number == 4 || number == 11 || number == 12 || number == 13 || (number >= 19 && number <= 31) ||
           (number >= 37 && number <= 50) || (number >= 55 && number <= 84) || number >= 87;
}

bool IsHalogen(unsigned number) { return number == 9 || number == 17 || number == 35 || number == 53; }

// How many bonds the atom may take: its element's largest valence, shifted
// by the charge for the elements whose charged forms bond more or less
// (ammonium, oxonium, alkoxide).
unsigned MaxBonds(const RDKit::Atom& atom, const RDKit::PeriodicTable& table)
{
    const unsigned number = atom.getAtomicNum();
    if (number == 1)
        return 1;
    const std::vector<int>& valences = table.getValenceList(number);
    int most = valences.empty() ? -1 : *std::max_element(valences.begin(), valences.end());
    if (most < 0)
        most = 6;
    if (number == 7 || number == 8 || number == 15 || number == 16)
        most += atom.getFormalCharge() > 0 ? 1 : atom.getFormalCharge() < 0 ? -1 : 0;
    return static_cast<unsigned>(std::max(most, 0));
}

bool HasDepth(const RDKit::Conformer& conformer)
{
    for (const RDGeom::Point3D& position : conformer.getPositions())
        if (position.z != 0.0)
            return true;
    return false;
}

} // namespace

void Atom::ConstructBonds(Molecule* molecule)
{
    if (!molecule)
        return;
    RDKit::RWMol& mol = detail::Toolkit(*molecule);
    if (mol.getNumBonds() > 0 || mol.getNumAtoms() < 2 || mol.getNumConformers() == 0)
        return;
    const RDKit::Conformer& conformer = mol.getConformer();
    if (!HasDepth(conformer))
        return;
    const RDKit::PeriodicTable* table = RDKit::PeriodicTable::getTable();
    const unsigned n = mol.getNumAtoms();
    std::vector<double> radius(n, 0.0);
    std::vector<unsigned> room(n, 0);
    bool hydrogens = false;
    for (unsigned i = 0; i < n; ++i) {
        const RDKit::Atom& atom = *mol.getAtomWithIdx(i);
        const unsigned number = atom.getAtomicNum();
        hydrogens = hydrogens || number == 1;
        if (number == 0 || IsMetal(number) || (IsHalogen(number) && atom.getFormalCharge() != 0))
            continue;
        radius[i] = table->getRcovalent(number);
        room[i] = MaxBonds(atom, *table);
    }
    struct Pair {
        double closeness; // distance over the bond limit
        unsigned i, j;
    };
    std::vector<Pair> pairs;
    for (unsigned i = 0; i < n; ++i) {
        if (radius[i] <= 0)
            continue;
        const RDGeom::Point3D& a = conformer.getAtomPos(i);
        for (unsigned j = i + 1; j < n; ++j) {
            if (radius[j] <= 0)
                continue;
            const double limit = radius[i] + radius[j] + BondTolerance;
            const RDGeom::Point3D d = a - conformer.getAtomPos(j);
            const double squared = d.x * d.x + d.y * d.y + d.z * d.z;
            // Atoms on top of each other are not bonded: the file is broken.
            if (squared < limit * limit && squared > 0.16)
                pairs.push_back({std::sqrt(squared) / limit, i, j});
        }
    }
    std::stable_sort(pairs.begin(), pairs.end(),
                     [](const Pair& a, const Pair& b) { return a.closeness < b.closeness; });
    for (const Pair& pair : pairs) {
        if (room[pair.i] == 0 || room[pair.j] == 0)
            continue;
        mol.addBond(pair.i, pair.j, RDKit::Bond::SINGLE);
        --room[pair.i];
        --room[pair.j];
    }
    // Hydrogen counts the reader derived while the atoms had no bonds (from
    // valence fields) no longer hold: the listed hydrogens are all there are.
    if (hydrogens)
        for (RDKit::Atom* atom : mol.atoms()) {
            atom->setNoImplicit(true);
            atom->setNumExplicitHs(0);
        }
    mol.updatePropertyCache(false);
    molecule->StructureChanged();
}

int Atom3d::GetClassType() const { return classType; }

void Atom3d::GetPosition(double& x, double& y, double& z) const
{
    const RDKit::RWMol& mol = detail::Toolkit(m_Owner);
    if (mol.getNumConformers() == 0 || m_Index >= mol.getNumAtoms()) {
        x = y = z = 0;
        return;
    }
    const RDGeom::Point3D& p = mol.getConformer().getAtomPos(m_Index);
    x = p.x;
    y = p.y;
    z = p.z;
}

int Atom3d::GetAtomicNumber() const
{
    const RDKit::RWMol& mol = detail::Toolkit(m_Owner);
    return m_Index < mol.getNumAtoms() ? static_cast<int>(mol.getAtomWithIdx(m_Index)->getAtomicNum()) : 0;
}

int Bond::GetClassType() const { return classType; }

} // namespace Chem
