#include "chem/MolBlock.h"

#include <memory>

#include <GraphMol/Depictor/RDDepictor.h>
#include <GraphMol/FileParsers/FileParsers.h>
#include <GraphMol/SmilesParse/SmilesParse.h>

#include "chem/Molecule.h"
#include "chem/detail/MoleculeImpl.h"
#include "chem/detail/QuietToolkit.h"
#include "host/CfxLocalizationEnabler.h"

namespace Chem {

namespace {

std::string Written(RDKit::ROMol& mol, const std::string& name)
{
    if (mol.getNumConformers() == 0)
        RDDepict::compute2DCoords(mol);
    mol.setProp(RDKit::common_properties::_Name, name);
    return RDKit::MolToMolBlock(mol);
}

} // namespace

std::string MoleculeToMolBlock(const Molecule* molecule, const std::string& name)
{
    // Coordinates take the decimal point whatever the user's locale.
    Host::CfxLocalizationEnabler numericConventions(0, "C");
    detail::QuietToolkit quiet;
    if (!molecule || molecule->GetAtomCount() == 0)
        return std::string();
    try {
        // A copy: the name and coordinates set for writing are not the
        // document's.
        RDKit::RWMol mol(detail::Toolkit(*molecule));
        return Written(mol, name);
    } catch (const std::exception&) {
        return std::string();
    }
}

std::string SmilesToMolBlock(const std::string& smiles, const std::string& name)
{
    Host::CfxLocalizationEnabler numericConventions(0, "C");
    detail::QuietToolkit quiet;
    if (smiles.empty())
        return std::string();
    try {
        const std::unique_ptr<RDKit::ROMol> mol(RDKit::SmilesToMol(smiles));
        return mol ? Written(*mol, name) : std::string();
    } catch (const std::exception&) {
        return std::string();
    }
}

} // namespace Chem
