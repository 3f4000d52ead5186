#include "chem/Atom.h"

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

void Atom::ConstructBonds(Molecule* molecule)
{
    if (!molecule)
        return;
    RDKit::RWMol& mol = detail::Toolkit(*molecule);
    if (mol.getNumBonds() > 0 || mol.getNumAtoms() < 2 || mol.getNumConformers() == 0)
        return;
    const RDKit::Conformer& conformer = mol.getConformer();
    const RDKit::PeriodicTable* table = RDKit::PeriodicTable::getTable();
    const unsigned n = mol.getNumAtoms();
    std::vector<double> radius(n);
    for (unsigned i = 0; i < n; ++i) {
        const unsigned number = mol.getAtomWithIdx(i)->getAtomicNum();
        radius[i] = number > 0 ? table->getRcovalent(number) : 0.0;
    }
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
                mol.addBond(i, j, RDKit::Bond::SINGLE);
        }
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
