#include "chem/Depiction.h"

#include <clocale>
#include <locale>
#include <string>
#include <memory>

#include <GraphMol/Conformer.h>
#include <GraphMol/Depictor/RDDepictor.h>
#include <GraphMol/MolDraw2D/MolDraw2DSVG.h>
#include <GraphMol/MolDraw2D/MolDraw2DUtils.h>
#include <GraphMol/MolOps.h>

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

std::string MoleculeToSvg(const Molecule* molecule, int width, int height)
{
    // SVG numbers take the decimal point whatever the user's locale.
    Host::CfxLocalizationEnabler numericConventions(0, "C");
    detail::QuietToolkit quiet;
    ClassicGlobalLocale classicStreams;
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
