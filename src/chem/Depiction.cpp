#include "chem/Depiction.h"

#include <clocale>
#include <locale>
#include <string>
#include <memory>

#include <GraphMol/Conformer.h>
#include <GraphMol/Depictor/RDDepictor.h>
#include <GraphMol/MolDraw2D/MolDraw2DCairo.h>
#include <GraphMol/MolDraw2D/MolDraw2DSVG.h>
#include <GraphMol/MolDraw2D/MolDraw2DUtils.h>
#include <GraphMol/MolOps.h>
#include <GraphMol/SmilesParse/SmilesParse.h>

#include "chem/Molecule.h"
#include "chem/detail/MoleculeImpl.h"
#include "chem/detail/QuietToolkit.h"
#include "host/CfxLocalizationEnabler.h"

namespace Chem {

namespace {

// The toolkit writes SVG numbers through C++ streams that take the global
// C++ locale. A host that made a comma-decimal locale global would get
// "200,0" coordinates, which no SVG reader takes; while it lives, this puts
// the classic locale in place, only when needed. The global C++ locale is
// the process's: the swap is as safe as the host's own use of it while a
// drawing is made.
class ClassicGlobalLocale {
public:
    ClassicGlobalLocale()
    {
        const std::locale current;
        if (std::use_facet<std::numpunct<char>>(current).decimal_point() != '.' ||
            std::use_facet<std::numpunct<char>>(current).thousands_sep() != ',' ||
            !std::use_facet<std::numpunct<char>>(current).grouping().empty()) {
            // Making a locale global also sets the C library's; its setting
            // is put back as it was.
            const char* cLocale = std::setlocale(LC_ALL, nullptr);
            m_PreviousC = cLocale ? cLocale : "C";
            m_Previous = std::locale::global(std::locale::classic());
            m_Swapped = true;
        }
    }
    ~ClassicGlobalLocale()
    {
        if (m_Swapped) {
            std::locale::global(m_Previous);
            std::setlocale(LC_ALL, m_PreviousC.c_str());
        }
    }
    ClassicGlobalLocale(const ClassicGlobalLocale&) = delete;
    ClassicGlobalLocale& operator=(const ClassicGlobalLocale&) = delete;

private:
    std::locale m_Previous;
    std::string m_PreviousC;
    bool m_Swapped = false;
};

} // namespace

namespace {

// A molecule as the drawings show it: hydrogens implied, 2D coordinates
// (computed when it has none or 3D ones).
std::unique_ptr<RDKit::RWMol> ForDrawing(const RDKit::ROMol& source)
{
    std::unique_ptr<RDKit::RWMol> mol(new RDKit::RWMol(source));
    try {
        std::unique_ptr<RDKit::ROMol> heavy(RDKit::MolOps::removeHs(static_cast<const RDKit::ROMol&>(*mol), false, false, false));
        mol.reset(new RDKit::RWMol(*heavy));
    } catch (const std::exception&) {
    }
    if (mol->getNumConformers() == 0 || mol->getConformer().is3D())
        RDDepict::compute2DCoords(*mol);
    return mol;
}

// Draws with a fresh drawer of the kind given (SVG or PNG); a structure
// that cannot be kekulized is drawn as it stands.
template <class Drawer>
std::string Draw(const RDKit::ROMol& mol, int width, int height)
{
    try {
        Drawer drawer(width, height, -1, -1, true);
        RDKit::MolDraw2DUtils::prepareAndDrawMolecule(drawer, mol);
        drawer.finishDrawing();
        return drawer.getDrawingText();
    } catch (const std::exception&) {
    }
    Drawer plain(width, height, -1, -1, true);
    RDKit::MolDraw2DUtils::prepareAndDrawMolecule(plain, mol, "", nullptr, nullptr, nullptr, nullptr, nullptr, -1,
                                                  false);
    plain.finishDrawing();
    return plain.getDrawingText();
}

std::string SvgElement(const std::string& svg)
{
    const std::size_t start = svg.find("<svg");
    return start == std::string::npos ? std::string() : svg.substr(start);
}

// The drawing of a molecule of the document, or of a SMILES.
template <class Drawer>
std::string DrawMolecule(const Molecule* molecule, int width, int height)
{
    if (!molecule || molecule->GetAtomCount() == 0)
        return std::string();
    try {
        return Draw<Drawer>(*ForDrawing(detail::Toolkit(*molecule)), width, height);
    } catch (const std::exception&) {
        return std::string();
    }
}

template <class Drawer>
std::string DrawSmiles(const std::string& smiles, int width, int height)
{
    if (smiles.empty())
        return std::string();
    try {
        const std::unique_ptr<RDKit::ROMol> mol(RDKit::SmilesToMol(smiles));
        return mol && mol->getNumAtoms() > 0 ? Draw<Drawer>(*ForDrawing(*mol), width, height) : std::string();
    } catch (const std::exception&) {
        return std::string();
    }
}

} // namespace

std::string MoleculeToSvg(const Molecule* molecule, int width, int height)
{
    // SVG numbers take the decimal point whatever the user's locale.
    Host::CfxLocalizationEnabler numericConventions(0, "C");
    detail::QuietToolkit quiet;
    ClassicGlobalLocale classicStreams;
    return SvgElement(DrawMolecule<RDKit::MolDraw2DSVG>(molecule, width, height));
}

std::string SmilesToSvg(const std::string& smiles, int width, int height)
{
    Host::CfxLocalizationEnabler numericConventions(0, "C");
    detail::QuietToolkit quiet;
    ClassicGlobalLocale classicStreams;
    return SvgElement(DrawSmiles<RDKit::MolDraw2DSVG>(smiles, width, height));
}

std::string MoleculeToPng(const Molecule* molecule, int width, int height)
{
    Host::CfxLocalizationEnabler numericConventions(0, "C");
    detail::QuietToolkit quiet;
    return DrawMolecule<RDKit::MolDraw2DCairo>(molecule, width, height);
}

std::string SmilesToPng(const std::string& smiles, int width, int height)
{
    Host::CfxLocalizationEnabler numericConventions(0, "C");
    detail::QuietToolkit quiet;
    return DrawSmiles<RDKit::MolDraw2DCairo>(smiles, width, height);
}

} // namespace Chem
