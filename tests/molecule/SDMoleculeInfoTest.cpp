#include <string>

#include <gtest/gtest.h>

#include "chem/ChemDoc.h"
#include "chem/Molecule.h"
#include "molecule/SDMoleculeInfo.h"

using VorlatImportExport::SDMoleculeInfo;

namespace {

std::wstring Text(const boost::any& value) { return boost::any_cast<std::wstring>(value); }

// A document with one molecule named name, with user properties.
Chem::ChemDoc* Document(const std::string& name, const std::vector<std::pair<std::string, std::string>>& properties)
{
    Chem::ChemDoc* document = new Chem::ChemDoc;
    Chem::Molecule* molecule = document->Root().AddMolecule();
    molecule->SetName(name);
    for (const auto& [key, value] : properties)
        molecule->AddUserProperty(key, value);
    return document;
}

} // namespace

TEST(SDMoleculeInfo, BuildsItsPropertyList)
{
    std::unique_ptr<Chem::ChemDoc> empty(new Chem::ChemDoc);
    SDMoleculeInfo none;
    none.SetChemDoc(empty.get());
    EXPECT_EQ(none.GetNumProperties(), 0);
    EXPECT_EQ(none.GetPropertyName(0), "");
    EXPECT_TRUE(none.GetPropertyValue(0).empty());
    EXPECT_FALSE(none.HaveMolecule());

    std::unique_ptr<Chem::ChemDoc> document(Document(
        "Mol", {{"Q", " 42 "}, {"R", "3.5"}, {"Q", "second"}, {"S", "Zentrova.value.x"}, {"T", ""}, {"U", "word"}}));
    // S and T are asked of the molecule by name: their first values.
    document->Root().AddMolecule();
    SDMoleculeInfo info;
    info.AddPropertyNames({"P", "Q"});
    info.SetIntrinsicProperties({"Title"});
    info.SetChemDoc(document.get());
    ASSERT_EQ(info.GetNumProperties(), 7);
    const char* names[] = {"P", "Q", "R", "S", "T", "U", "Title"};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(info.GetPropertyName(i), names[i]);
    EXPECT_EQ(Text(info.GetPropertyValue(0)), L"");   // P: not a property of the molecule
    EXPECT_EQ(boost::any_cast<int>(info.GetPropertyValue(1)), 42);
    EXPECT_EQ(boost::any_cast<float>(info.GetPropertyValue(2)), 3.5f);
    EXPECT_EQ(Text(info.GetPropertyValue(3)), L"Zentrova.value.x");
    EXPECT_EQ(Text(info.GetPropertyValue(5)), L"word");
    EXPECT_EQ(Text(info.GetPropertyValue(6)), L"Mol");
    EXPECT_EQ(info.GetMoleculeName(), "Mol");

    // Edits reach the molecule; the list shows them after the next attach.
    info.SetProperty("U", "changed");
    EXPECT_EQ(Text(info.GetPropertyValue(5)), L"word");
    info.SetMoleculeName("");
    EXPECT_EQ(info.GetMoleculeName(), "Mol");
    info.SetChemDoc(document.get());
    EXPECT_EQ(Text(info.GetPropertyValue(5)), L"changed");

    // An intrinsic name already listed takes the molecule's name in place.
    SDMoleculeInfo replaced;
    replaced.SetIntrinsicProperties({"Q"});
    replaced.SetChemDoc(document.get());
    EXPECT_EQ(replaced.GetNumProperties(), 5);
    EXPECT_EQ(Text(replaced.GetPropertyValue(0)), L"Mol");

    Chem::ChemDoc target;
    info.GetChemDoc(target);
    EXPECT_EQ(Chem::DescendentIterator(target.GetTreeRoot(), Chem::Molecule::classType, false, false).GetNext() !=
                  nullptr,
              true);
    info.ClearMoleculeInfo();
    EXPECT_EQ(info.GetChemDoc(), nullptr);
    EXPECT_EQ(info.GetMoleculeName(), "");

    std::string integer = "12", real = "1e5", word = "x";
    EXPECT_TRUE(SDMoleculeInfo::IsPropertyIntegerType(integer));
    EXPECT_FALSE(SDMoleculeInfo::IsPropertyIntegerType(real));
    EXPECT_TRUE(SDMoleculeInfo::IsPropertyFloatType(real));
    EXPECT_FALSE(SDMoleculeInfo::IsPropertyFloatType(word));
}
