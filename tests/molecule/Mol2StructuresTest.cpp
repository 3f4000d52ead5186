// Mol2 structures as a chemist reads them: the same molecules as the SD file
// they were written from, with the charges, hydrogens and stereo the Mol2
// file leaves to its atom types and coordinates.
//
// The corpus (tests/data/mol2-corpus, made by its make-corpus.py) holds 559
// drug-like molecules written as SD by RDKit and as Mol2 by Open Babel with
// all hydrogens, polar hydrogens only and none.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "chem/ChemDoc.h"
#include "chem/MolUtilities.h"
#include "chem/Molecule.h"
#include "frame/OpenTableFile.h"
#include "host/StdInputStream.h"
#include "host/StringConversion.h"
#include "molecule/Mol2DataProvider.h"
#include "molecule/SdFixtures.h"
#include "support/Files.h"
#include "support/IndexSettings.h"

namespace {

const std::string Corpus = std::string(VORLAT_TEST_DATA_DIR) + "/mol2-corpus/";

std::string SmilesOf(const boost::any& cell)
{
    Chem::ChemDoc* document = boost::any_cast<Chem::ChemDoc*>(cell);
    Chem::DescendentIterator molecules(document->GetTreeRoot(), Chem::Molecule::classType, false, false);
    return Chem::MoleculeToSmiles(static_cast<const Chem::Molecule*>(molecules.GetNext()));
}

// Record name to the structure shown, for every row of a table.
std::map<std::string, std::string> Structures(Host::ITableDataProvider& table)
{
    std::map<std::string, std::string> structures;
    for (int row = 0; row < table.GetRowCount(); ++row)
        structures[Host::ToSString(boost::any_cast<std::wstring>(table.GetCellData(row, 1)))] =
            SmilesOf(table.GetCellData(row, 0));
    return structures;
}

std::map<std::string, std::string> Mol2Structures(const std::string& text)
{
    std::istringstream file(text), scanned(text);
    VorlatTest::CountingMonitor monitor;
    VorlatImportExport::Mol2DataProvider provider(
        file, boost::shared_ptr<Host::InputStream>(new Host::StdInputStream(scanned)), monitor);
    return Structures(provider);
}

// The text without its UNITY_ATOM_ATTR sections: the file as a writer that
// records no formal charges would have written it.
std::string WithoutFormalCharges(const std::string& text)
{
    std::istringstream in(text);
    std::string out, line;
    bool skipping = false;
    while (std::getline(in, line)) {
        if (line.rfind("@<", 0) == 0)
            skipping = line == "@<TRIPOS>UNITY_ATOM_ATTR";
        if (!skipping)
            out += line + "\n";
    }
    return out;
}

std::string WithoutStereo(std::string smiles)
{
    std::string flat;
    for (char c : smiles)
        if (c != '@' && c != '/' && c != '\\')
            flat += c;
    return flat;
}

struct Agreement {
    int records = 0, identical = 0, identicalWithoutStereo = 0;
    std::string differences;
};

Agreement Compare(const std::map<std::string, std::string>& sd, const std::map<std::string, std::string>& mol2)
{
    Agreement agreement;
    for (const auto& [name, smiles] : sd) {
        ++agreement.records;
        const auto found = mol2.find(name);
        const std::string read = found == mol2.end() ? "(missing)" : found->second;
        agreement.identical += read == smiles;
        agreement.identicalWithoutStereo += WithoutStereo(read) == WithoutStereo(smiles);
        if (read != smiles)
            agreement.differences += name + ": " + smiles + " read as " + read + "\n";
    }
    return agreement;
}

double Percent(int part, int whole) { return whole ? 100.0 * part / whole : 0; }

} // namespace

TEST(Mol2Structures, CorpusReadsAsItsSdTwin)
{
    VorlatTest::SdFile sd(VorlatTest::ReadFile(Corpus + "corpus.sdf"));
    const std::map<std::string, std::string> twins = Structures(sd.provider);
    ASSERT_EQ(twins.size(), 559u);
    // As the writer wrote them (formal charges recorded), and as a writer
    // that records none would: then the atom types and bond pattern give the
    // charges, which a file without hydrogens cannot always tell (an acid or
    // its anion, a protonated pyridine).
    struct Variant {
        const char* file;
        bool formalCharges;
        double atLeast;
    };
    const Variant variants[] = {
        {"corpus-all-h.mol2", true, 98},  {"corpus-polar-h.mol2", true, 98},  {"corpus-no-h.mol2", true, 98},
        {"corpus-all-h.mol2", false, 99}, {"corpus-polar-h.mol2", false, 98}, {"corpus-no-h.mol2", false, 90},
    };
    for (const Variant& variant : variants) {
        const std::string text = VorlatTest::ReadFile(Corpus + variant.file);
        const Agreement agreement =
            Compare(twins, Mol2Structures(variant.formalCharges ? text : WithoutFormalCharges(text)));
        const std::string label = std::string(variant.file) + (variant.formalCharges ? "" : " without formal charges");
        std::printf("%s: %d of %d identical (%.1f %%), %d without stereo (%.1f %%)\n", label.c_str(),
                    agreement.identical, agreement.records, Percent(agreement.identical, agreement.records),
                    agreement.identicalWithoutStereo, Percent(agreement.identicalWithoutStereo, agreement.records));
        EXPECT_GE(Percent(agreement.identical, agreement.records), variant.atLeast) << label << "\n"
                                                                                   << agreement.differences;
        if (variant.formalCharges) {
            EXPECT_EQ(agreement.identicalWithoutStereo, agreement.records) << label << "\n" << agreement.differences;
        }
    }
}

namespace {

std::string Record(const std::string& name, const std::string& atoms, const std::string& bonds,
                   const std::string& extra = "")
{
    return "@<TRIPOS>MOLECULE\n" + name + "\n 0 0 0 0 0\nSMALL\nGASTEIGER\n\n@<TRIPOS>ATOM\n" + atoms +
           "@<TRIPOS>BOND\n" + bonds + extra;
}

// Phenylguanidine, neutral, without hydrogens: its carbon typed C.cat, as
// Open Babel types guanidines whatever their charge.
const std::string Guanidine = Record("guanidine",
                                     "1 N -3.3038 -0.2553 -0.7933 N.pl3 1 UNL1 0.1358\n"
                                     "2 C -2.0390 -0.0360 -0.3683 C.cat 1 UNL1 0.5393\n"
                                     "3 N -2.0455 0.8165 0.6841 N.pl3 1 UNL1 0.1358\n"
                                     "4 N -1.0473 -0.6162 -0.9530 N.pl3 1 UNL1 -0.0605\n"
                                     "5 C 0.2527 -0.3772 -0.4886 C.ar 1 UNL1 0.1592\n"
                                     "6 C 1.0625 0.5611 -1.1331 C.ar 1 UNL1 0.0371\n"
                                     "7 C 2.3616 0.8034 -0.6825 C.ar 1 UNL1 0.0030\n"
                                     "8 C 2.8612 0.0985 0.4121 C.ar 1 UNL1 0.0002\n"
                                     "9 C 2.0653 -0.8519 1.0509 C.ar 1 UNL1 0.0030\n"
                                     "10 C 0.7668 -1.0917 0.5969 C.ar 1 UNL1 0.0371\n",
                                     "1 1 2 1\n2 2 3 1\n3 2 4 2\n4 4 5 1\n5 5 6 ar\n6 6 7 ar\n7 7 8 ar\n"
                                     "8 8 9 ar\n9 9 10 ar\n10 10 5 ar\n");

// Methylammonium, its charge recorded.
const std::string Methylammonium = Record("methylammonium",
                                          "1 C 0.0 0.0 0.0 C.3 1 UNL1 0.0\n2 N 1.47 0.0 0.1 N.4 1 UNL1 0.0\n",
                                          "1 1 2 1\n", "@<TRIPOS>UNITY_ATOM_ATTR\n2 1\ncharge 1\n");

} // namespace

TEST(Mol2Structures, FormalChargesRecordedForOneRecordAnswerForTheFile)
{
    // Alone, the guanidine is the guanidinium its C.cat type stands for.
    EXPECT_EQ(Mol2Structures(Guanidine)["guanidine"], "NC(N)=[NH+]c1ccccc1");
    // In a file whose writer records formal charges (in another record), a
    // record without any is neutral, whichever record is read first.
    const std::map<std::string, std::string> read = Mol2Structures(Guanidine + Methylammonium);
    EXPECT_EQ(read.at("guanidine"), "NC(N)=Nc1ccccc1");
    EXPECT_EQ(read.at("methylammonium"), "C[NH3+]");
    // The same when the section lies in a range of the file that another
    // thread indexes.
    std::string far = Guanidine;
    for (int i = 0; i < 50; ++i)
        far += Record("filler" + std::to_string(i), "1 C 0.0 0.0 0.0 C.3 1 UNL1 0.0\n", "");
    VorlatTest::IndexSettings settings(2, 700);
    EXPECT_EQ(Mol2Structures(far + Methylammonium).at("guanidine"), "NC(N)=Nc1ccccc1");
    EXPECT_EQ(Mol2Structures(far).at("guanidine"), "NC(N)=[NH+]c1ccccc1");
}

TEST(Mol2Structures, FormalChargesFindingComesBackWithTheSavedIndex)
{
    // The finding that the writer records formal charges is the index
    // pass's: a table loaded from a saved index must know it too.
    const std::string folder = testing::TempDir() + "/mol2-saved-" + std::to_string(::getpid());
    std::filesystem::create_directories(folder);
    for (const bool recorded : {true, false}) {
        const std::string path = folder + "/charges.mol2";
        std::ofstream(path, std::ios::binary) << Guanidine + (recorded ? Methylammonium : std::string());
        std::filesystem::remove(folder + "/charges.index");
        VorlatImportExport::OpenTableOptions options;
        options.savedIndex = folder + "/charges.index";
        const auto scanned = VorlatImportExport::OpenTableFile(path, options);
        const auto loaded = VorlatImportExport::OpenTableFile(path, options);
        ASSERT_TRUE(VorlatImportExport::IndexWasLoaded(*loaded));
        EXPECT_EQ(Structures(*loaded), Structures(*scanned));
        EXPECT_EQ(Structures(*loaded).at("guanidine"), recorded ? "NC(N)=Nc1ccccc1" : "NC(N)=[NH+]c1ccccc1");
    }
    std::filesystem::remove_all(folder);
}

TEST(Mol2Structures, LonePairsDummiesAndUnconnectedPairsAreNoPartOfTheMolecule)
{
    // Water with its lone pairs (as force-field programs write them), a
    // dummy atom, and a pair of atoms listed as not connected.
    const std::string water = Record("water",
                                     "1 O 0.0 0.0 0.1 O.3 1 WAT 0.0\n"
                                     "2 H1 0.96 0.0 0.1 H 1 WAT 0.0\n"
                                     "3 H2 -0.24 0.93 0.1 H 1 WAT 0.0\n"
                                     "4 LP1 -0.2 -0.3 0.5 LP 1 WAT 0.0\n"
                                     "5 LP2 -0.2 -0.3 -0.3 Lp 1 WAT 0.0\n"
                                     "6 DU 3.0 0.0 0.0 Du 1 WAT 0.0\n"
                                     "7 C 4.0 0.0 0.0 C.3 1 WAT 0.0\n"
                                     "8 C 5.5 0.0 0.0 C.3 1 WAT 0.0\n",
                                     "1 1 2 1\n2 1 3 1\n3 1 4 1\n4 1 5 1\n5 6 7 du\n6 7 8 nc\n");
    EXPECT_EQ(Mol2Structures(water)["water"], "C.C.O");
}

TEST(Mol2Structures, FlatFileWithoutHydrogensReadsAsItsSdTwin)
{
    // The example compounds, drawn flat and written by Open Babel without
    // hydrogens or formal charges: the ring hydrogens of the fused lactam
    // (sildenafil) and the acids come out as the SD file has them. A flat
    // Mol2 record carries no stereo, so stereo records are left out.
    VorlatTest::SdFile sd(VorlatTest::ReadFile(std::string(VORLAT_EXAMPLES_DATA_DIR) + "/compounds.sdf"));
    const std::map<std::string, std::string> twins = Structures(sd.provider);
    const std::map<std::string, std::string> read =
        Mol2Structures(VorlatTest::ReadFile(std::string(VORLAT_TEST_DATA_DIR) + "/compounds-openbabel.mol2"));
    int compared = 0;
    for (const auto& [name, smiles] : twins) {
        if (smiles.find('@') != std::string::npos)
            continue;
        ++compared;
        EXPECT_EQ(read.count(name) ? read.at(name) : "(missing)", smiles) << name;
    }
    EXPECT_GE(compared, 10);
}
