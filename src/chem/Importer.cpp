#include "chem/Importer.h"

#include <memory>

#include <GraphMol/Conformer.h>
#include <GraphMol/DistGeomHelpers/Embedder.h>
#include <GraphMol/MolOps.h>

#include "chem/Molecule.h"
#include "chem/detail/MoleculeImpl.h"
#include "chem/detail/QuietToolkit.h"

namespace Chem {

namespace {

bool convert2DTo3D = false;

// Any fixed seed: the same molecule then always gets the same coordinates.
const int EmbeddingSeed = 0x5EED;

} // namespace

bool Importer::GetConvert2DMoleculesTo3D() { return convert2DTo3D; }

void Importer::SetConvert2DMoleculesTo3D(bool convert) { convert2DTo3D = convert; }

bool Clean2dTo3d::Clean()
{
    if (!m_Molecule || m_Molecule->GetAtomCount() == 0)
        return false;
    detail::QuietToolkit quiet;
    const RDKit::RWMol& original = detail::Toolkit(*m_Molecule);
    // Embedded with its hydrogens, which give the heavy atoms their proper
    // geometry; the added hydrogens are left out again afterwards. A copy is
    // embedded, so that a failure leaves the molecule as it was.
    std::unique_ptr<RDKit::RWMol> embedded(new RDKit::RWMol(original));
    RDKit::DGeomHelpers::EmbedParameters parameters(RDKit::DGeomHelpers::ETKDGv3);
    parameters.randomSeed = EmbeddingSeed;
    parameters.clearConfs = true;
    try {
        embedded->updatePropertyCache(false);
        RDKit::MolOps::addHs(*embedded);
        if (RDKit::DGeomHelpers::EmbedMolecule(*embedded, parameters) < 0)
            return false;
    } catch (const std::exception&) {
        return false;
    }
    // The hydrogens were appended: the molecule's own atoms keep their
    // numbers.
    const unsigned count = original.getNumAtoms();
    const RDKit::Conformer& placed = embedded->getConformer();
    std::unique_ptr<RDKit::Conformer> conformer(new RDKit::Conformer(count));
    for (unsigned i = 0; i < count; ++i)
        conformer->setAtomPos(i, placed.getAtomPos(i));
    conformer->set3D(true);
    std::unique_ptr<RDKit::RWMol> result(new RDKit::RWMol(original));
    result->clearConformers();
    result->addConformer(conformer.release(), true);
    m_Molecule->Impl().mol = std::move(result);
    m_Molecule->StructureChanged();
    return true;
}

} // namespace Chem
