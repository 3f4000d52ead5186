#include "chem/Importer.h"

#include <GraphMol/DistGeomHelpers/Embedder.h>

#include "chem/Molecule.h"
#include "chem/detail/MoleculeImpl.h"

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
    // Embed a copy, so that a failure leaves the molecule as it was.
    std::unique_ptr<RDKit::RWMol> trial(new RDKit::RWMol(detail::Toolkit(*m_Molecule)));
    RDKit::DGeomHelpers::EmbedParameters parameters(RDKit::DGeomHelpers::ETKDGv3);
    parameters.randomSeed = EmbeddingSeed;
    parameters.clearConfs = true;
    try {
        if (RDKit::DGeomHelpers::EmbedMolecule(*trial, parameters) < 0)
            return false;
    } catch (const std::exception&) {
        return false;
    }
    m_Molecule->Impl().mol = std::move(trial);
    m_Molecule->StructureChanged();
    return true;
}

} // namespace Chem
