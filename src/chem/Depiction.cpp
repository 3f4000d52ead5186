#include "chem/Depiction.h"

#include <memory>

#include <GraphMol/Conformer.h>
#include <GraphMol/Depictor/RDDepictor.h>
#include <GraphMol/MolDraw2D/MolDraw2DSVG.h>
#include <GraphMol/MolDraw2D/MolDraw2DUtils.h>
#include <GraphMol/MolOps.h>

#include "chem/Molecule.h"
#include "chem/detail/MoleculeImpl.h"

namespace Chem {

std::string MoleculeToSvg(const Molecule* molecule, int width, int height)
{
    if (!molecule || molecule->GetAtomCount() == 0)
        return std::string();
    try {
        std::unique_ptr<RDKit::RWMol> mol(new RDKit::RWMol(detail::Toolkit(*molecule)));
        try {
            std::unique_ptr<RDKit::ROMol> heavy(RDKit::MolOps::removeHs(static_cast<const RDKit::ROMol&>(*mol), false, false, false));
            mol.reset(new RDKit::RWMol(*heavy));
        } catch (const std::exception&) {
        }
        if (mol->getNumConformers() == 0 || mol->getConformer().is3D())
            RDDepict::compute2DCoords(*mol);
        RDKit::MolDraw2DSVG drawer(width, height, -1, -1, true);
        try {
            RDKit::MolDraw2DUtils::prepareAndDrawMolecule(drawer, *mol);
        } catch (const std::exception&) {
            // A structure that cannot be kekulized is drawn as it stands.
            RDKit::MolDraw2DSVG plain(width, height, -1, -1, true);
            RDKit::MolDraw2DUtils::prepareAndDrawMolecule(plain, *mol, "", nullptr, nullptr, nullptr, nullptr,
                                                          nullptr, -1, false);
            plain.finishDrawing();
            std::string svg = plain.getDrawingText();
            const std::size_t start = svg.find("<svg");
            return start == std::string::npos ? std::string() : svg.substr(start);
        }
        drawer.finishDrawing();
        std::string svg = drawer.getDrawingText();
        const std::size_t start = svg.find("<svg");
        return start == std::string::npos ? std::string() : svg.substr(start);
    } catch (const std::exception&) {
        return std::string();
    }
}

} // namespace Chem
