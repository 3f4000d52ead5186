// Molecule files read alike whatever the process locale: a host that runs
// under a locale whose decimal separator is a comma gets the coordinates,
// structures, typed values and drawings it gets under "C".
#include <clocale>
#include <charconv>
#include <fstream>
#include <locale>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "chem/Atom.h"
#include "chem/ChemDoc.h"
#include "chem/Depiction.h"
#include "chem/MolUtilities.h"
#include "chem/Molecule.h"
#include "frame/TableDataUtil.h"
#include "host/IProgressMonitor.h"
#include "host/StdInputStream.h"
#include "molecule/Mol2DataProvider.h"
#include "molecule/SDDataProvider.h"
#include "support/Files.h"
#include "molecule/SDMoleculeInfo.h"

using VorlatImportExport::Mol2DataProvider;
using VorlatImportExport::SDDataProvider;
using VorlatImportExport::TableDataUtil;

namespace {

std::string Number(double value)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

// Everything a table shows of a molecule file, written without the locale:
// each cell's kind and text, each structure's SMILES, atom positions and
// drawing.
std::string Describe(const std::string& text, bool mol2)
{
    std::istringstream file(text), scanned(text);
    boost::shared_ptr<Host::InputStream> input(new Host::StdInputStream(scanned));
    Host::NullProgressMonitor monitor;
    std::unique_ptr<SDDataProvider> p;
    if (mol2)
        p.reset(new Mol2DataProvider(file, input, monitor));
    else
        p.reset(new SDDataProvider(file, input, monitor));
    std::string out;
    for (int row = 0; row < p->GetRowCount(); ++row) {
        for (int column = 1; column < p->GetColumnCount(); ++column) {
            const boost::any value = p->GetCellData(row, column);
            const std::wstring cell = TableDataUtil::BoostAny2WString(value);
            out += std::string(value.type().name()) + ":" + std::string(cell.begin(), cell.end()) + "|";
        }
        const boost::any structure = p->GetCellData(row, 0);
        Chem::ChemDoc* document = structure.empty() ? nullptr : boost::any_cast<Chem::ChemDoc*>(structure);
        VorlatImportExport::SDMoleculeInfo record;
        record.SetChemDoc(document);
        Chem::Molecule* molecule = record.GetMolecule();
        out += "\n" + Chem::MoleculeToSmiles(molecule) + "\n";
        if (molecule) {
            for (std::size_t i = 0; i < molecule->GetChildCount(); ++i)
                if (auto* atom = dynamic_cast<Chem::Atom3d*>(molecule->GetChild(i))) {
                    double x, y, z;
                    atom->GetPosition(x, y, z);
                    out += Number(x) + " " + Number(y) + " " + Number(z) + "\n";
                }
            out += Chem::MoleculeToSvg(molecule, 200, 150) + "\n";
        }
    }
    return out;
}

// Sets the process locale, C and C++ alike, for a scope.
class ProcessLocale {
public:
    explicit ProcessLocale(const char* name) : m_Previous(std::setlocale(LC_ALL, nullptr)), m_Global(std::locale())
    {
        m_Set = std::setlocale(LC_ALL, name) != nullptr;
        if (m_Set)
            std::locale::global(std::locale(name));
    }
    ~ProcessLocale()
    {
        std::locale::global(m_Global);
        std::setlocale(LC_ALL, m_Previous.c_str());
    }
    bool IsSet() const { return m_Set; }

private:
    std::string m_Previous;
    std::locale m_Global;
    bool m_Set = false;
};

} // namespace

TEST(MoleculeLocale, FilesReadAlikeUnderACommaDecimalLocale)
{
    const struct {
        std::string path;
        bool mol2;
    } files[] = {
        {VORLAT_EXAMPLES_DATA_DIR "/compounds.sdf", false},
        {VORLAT_EXAMPLES_DATA_DIR "/compounds.mol2", true},
        {VORLAT_TEST_DATA_DIR "/compounds-openbabel.mol2", true},
        {VORLAT_TEST_DATA_DIR "/item-kinds-rdkit.sdf", false},
    };
    for (const auto& file : files) {
        const std::string text = VorlatTest::ReadFile(file.path);
        const std::string inC = Describe(text, file.mol2);
        ASSERT_NE(inC.find('.'), std::string::npos) << file.path;
        ProcessLocale german("de_DE.UTF-8");
        ASSERT_TRUE(german.IsSet()) << "the de_DE.UTF-8 locale is missing (scripts/install-deps.sh makes it)";
        // The locale is in force: the C library writes a comma.
        char probe[16];
        std::snprintf(probe, sizeof probe, "%.1f", 1.5);
        ASSERT_STREQ(probe, "1,5");
        const std::string inGerman = Describe(text, file.mol2);
        // The first line that differs, not pages of drawings.
        std::istringstream cLines(inC), germanLines(inGerman);
        std::string cLine, germanLine;
        int line = 1;
        while (std::getline(cLines, cLine) && std::getline(germanLines, germanLine) && cLine == germanLine)
            ++line;
        EXPECT_TRUE(inGerman == inC) << file.path << ", first difference at line " << line << ":\n  C:      "
                                 << cLine.substr(0, 160) << "\n  de_DE:  " << germanLine.substr(0, 160);
    }
}
