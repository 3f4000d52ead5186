#include <string>
#include <tuple>

#include <gtest/gtest.h>

#include "chem/Atom.h"
#include "chem/ChemDoc.h"
#include "chem/ImportMOL.h"
#include "chem/Importer.h"
#include "chem/MolUtilities.h"
#include "chem/Molecule.h"

namespace {

const char* const Ethanol = "Ethanol\n  test\n\n"
                            "  3  2  0  0  0  0  0  0  0  0999 V2000\n"
                            "    0.0000    0.0000    0.0000 C   0  0  0  0  0  0  0  0  0  0  0  0\n"
                            "    1.2990    0.7500    0.0000 C   0  0  0  0  0  0  0  0  0  0  0  0\n"
                            "    2.5981    0.0000    0.0000 O   0  0  0  0  0  0  0  0  0  0  0  0\n"
                            "  1  2  1  0\n"
                            "  2  3  1  0\n"
                            "M  END\n";

const char* const EthanolV3000 = "Ethanol\n  test\n\n"
                                 "  0  0  0     0  0            999 V3000\n"
                                 "M  V30 BEGIN CTAB\n"
                                 "M  V30 COUNTS 3 2 0 0 0\n"
                                 "M  V30 BEGIN ATOM\n"
                                 "M  V30 1 C 0 0 0 0\n"
                                 "M  V30 2 C 1.299 0.75 0 0\n"
                                 "M  V30 3 O 2.5981 0 0 0\n"
                                 "M  V30 END ATOM\n"
                                 "M  V30 BEGIN BOND\n"
                                 "M  V30 1 1 1 2\n"
                                 "M  V30 2 1 2 3\n"
                                 "M  V30 END BOND\n"
                                 "M  V30 END CTAB\n"
                                 "M  END\n";

// Reads text into a new document; null when the importer refuses it.
std::unique_ptr<Chem::ChemDoc> Import(const std::string& text, bool onlyProperties = false)
{
    std::unique_ptr<Chem::ChemDoc> document(new Chem::ChemDoc);
    Chem::ImportMOL importer;
    importer.SetOnlyPropertiesFlag(onlyProperties);
    Chem::CTextArchiveParser parser(text);
    if (!importer.ImportNextMolecule(parser, document->GetTreeRoot(), nullptr))
        return nullptr;
    return document;
}

Chem::Molecule* First(Chem::ChemDoc& document)
{
    Chem::DescendentIterator molecules(document.GetTreeRoot(), Chem::Molecule::classType, false, false);
    return static_cast<Chem::Molecule*>(molecules.GetNext());
}

} // namespace

TEST(ImportMOL, ReadsStructureNameAndDataItemsInFileOrder)
{
    for (const char* block : {Ethanol, EthanolV3000}) {
        const std::string record = std::string(block) + "> <MW>\n46.07\n\n> 5 <Note> (x)\nline one\nline two\n\n"
                                                        "> <MW>\n99\n\n$$$$\n";
        auto document = Import(record);
        ASSERT_TRUE(document);
        Chem::Molecule* molecule = First(*document);
        ASSERT_TRUE(molecule);
        EXPECT_EQ(molecule->GetName(), "Ethanol");
        EXPECT_EQ(molecule->GetAtomCount(), 3);
        EXPECT_TRUE(molecule->HasObjectsOfClass(Chem::Bond::classType));
        EXPECT_EQ(Chem::MoleculeToSmiles(molecule), "CCO");
        Chem::ObjectProperty::Array items(0, 1);
        ASSERT_EQ(molecule->GetUserProperties(items, true), 3);
        EXPECT_EQ(items.GetAt(1).GetName(), "Note");
        EXPECT_EQ(items.GetAt(1).GetStringValue(), "line one\nline two");
        EXPECT_EQ(molecule->GetStringProperty("MW"), "46.07"); // the first of a repeated name
        EXPECT_EQ(molecule->GetStringProperty("Name"), "Ethanol");
        EXPECT_EQ(Chem::GetMoleculeName(document.get()), L"Ethanol");

        // Atoms are walked as descendants, with their coordinates.
        Chem::DescendentIterator atoms(document->GetTreeRoot(), Chem::Atom3d::classType, false, false);
        int count = 0;
        double x = 0, y = 0, z = 0;
        while (Chem::Object* atom = atoms.GetNext()) {
            static_cast<Chem::Atom3d*>(atom)->GetPosition(x, y, z);
            ++count;
        }
        EXPECT_EQ(count, 3);
        EXPECT_NEAR(x, 2.5981, 1e-4);
    }
}

TEST(ImportMOL, SmilesImpliesPlainHydrogensAndLeavesTheMoleculeAsItIs)
{
    // Ethanol with its hydroxyl hydrogen and a deuterium written as atoms.
    std::string withHydrogens = Ethanol;
    withHydrogens.replace(withHydrogens.find("  3  2"), 6, "  5  4");
    withHydrogens.insert(withHydrogens.find("  1  2  1  0\n"),
                         "    3.2000    0.9000    0.0000 H   0  0\n"
                         "   -0.9000    0.5000    0.0000 H   0  0\n");
    withHydrogens.insert(withHydrogens.find("M  END"), "  3  4  1  0\n  1  5  1  0\nM  ISO  1   5   2\n");
    for (const auto& [block, smiles, atoms] : {std::tuple<std::string, std::string, int>{Ethanol, "CCO", 3},
                                               {withHydrogens, "[2H]CCO", 5}}) {
        auto document = Import(block);
        ASSERT_TRUE(document);
        const Chem::Molecule* molecule = First(*document);
        // Written twice: the same text, and the document keeps its atoms.
        EXPECT_EQ(Chem::MoleculeToSmiles(molecule), smiles);
        EXPECT_EQ(Chem::MoleculeToSmiles(molecule), smiles);
        EXPECT_EQ(molecule->GetAtomCount(), atoms);
    }
}

TEST(ImportMOL, KeepsWhatCannotBeSanitizedAndRefusesWhatIsNoMolfile)
{
    // A pentavalent carbon and an aromatic ring that cannot be kekulized.
    const std::string odd = "Odd\n\n\n  6  6  0  0  0  0  0  0  0  0999 V2000\n"
                            "    0.0000    1.0000    0.0000 C   0  0\n"
                            "    0.8660    0.5000    0.0000 C   0  0\n"
                            "    0.8660   -0.5000    0.0000 C   0  0\n"
                            "    0.0000   -1.0000    0.0000 N   0  0\n"
                            "   -0.8660   -0.5000    0.0000 C   0  0\n"
                            "   -0.8660    0.5000    0.0000 C   0  0\n"
                            "  1  2  4  0\n  2  3  4  0\n  3  4  4  0\n  4  5  4  0\n  5  6  4  0\n  6  1  4  0\n"
                            "M  CHG  1   1   5\nM  END\n";
    auto document = Import(odd);
    ASSERT_TRUE(document);
    EXPECT_EQ(First(*document)->GetAtomCount(), 6);
    EXPECT_EQ(First(*document)->GetBondCount(), 6);

    const std::string truncated = std::string(Ethanol).substr(0, 120);
    for (const std::string& bad : {std::string(), std::string("\x01\x02garbage\xFF\n"), truncated})
        EXPECT_FALSE(Import(bad)) << bad;

    // A properties-only read takes no atoms, even of a broken structure.
    auto properties = Import(truncated + "\n> <A>\n1\n\n", true);
    ASSERT_TRUE(properties);
    EXPECT_EQ(First(*properties)->GetAtomCount(), 0);
    EXPECT_EQ(First(*properties)->GetStringProperty("A"), "1");
}

TEST(ImportMOL, BondsFromDistancesAndDeterministic3D)
{
    std::string noBonds = Ethanol;
    noBonds.replace(noBonds.find("  3  2"), 6, "  3  0");
    noBonds.erase(noBonds.find("  1  2  1  0\n"), 26);
    noBonds.replace(noBonds.find("0.7500    0.0000"), 16, "0.7500    0.3000");
    auto document = Import(noBonds);
    ASSERT_TRUE(document);
    Chem::Molecule* molecule = First(*document);
    EXPECT_FALSE(molecule->HasObjectsOfClass(Chem::Bond::classType));
    Chem::Atom::ConstructBonds(molecule);
    EXPECT_EQ(molecule->GetBondCount(), 2);
    EXPECT_EQ(Chem::MoleculeToSmiles(molecule), "CCO");

    // The same molecule embeds to the same coordinates every time.
    std::string coordinates[2];
    for (std::string& text : coordinates) {
        auto copy = Import(Ethanol);
        Chem::Clean2dTo3d cleaner;
        cleaner.SetApplyTo(First(*copy));
        ASSERT_TRUE(cleaner.Clean());
        Chem::DescendentIterator atoms(copy->GetTreeRoot(), Chem::Atom3d::classType, false, false);
        while (Chem::Object* atom = atoms.GetNext()) {
            double x, y, z;
            static_cast<Chem::Atom3d*>(atom)->GetPosition(x, y, z);
            text += std::to_string(x) + "," + std::to_string(y) + "," + std::to_string(z) + ";";
        }
    }
    EXPECT_EQ(coordinates[0], coordinates[1]);
    EXPECT_NE(coordinates[0].find_first_of("123456789"), std::string::npos);
}

TEST(MolUtilities, ExtractPropertyDataItem)
{
    struct Case {
        const char* header;
        bool accepted;
        const char* name;
    };
    const Case cases[] = {
        {"> <MW>", true, "MW"},         {">  <MW> (12)", true, "MW"}, {"> 25 <ID>", true, "ID"},
        {"> DT12", true, "DT12"},       {"> (123)", true, "(123)"},   {">   ", false, ""},
        {">", false, ""},               {"> <>", false, ""},          {"> <a b>", true, "a b"},
    };
    for (const Case& c : cases) {
        std::string name = "unset", value;
        EXPECT_EQ(Chem::ExtractPropertyDataItem(c.header, "v", name, value), c.accepted) << c.header;
        if (c.accepted) {
            EXPECT_EQ(name, c.name) << c.header;
            EXPECT_EQ(value, "v");
        }
    }
    EXPECT_EQ(Chem::RemoveSpaces(" \t a b \r\n", true, true), "a b");
    EXPECT_EQ(Chem::RemoveSpaces("  a ", false, true), "  a");
}
