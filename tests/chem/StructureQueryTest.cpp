#include <memory>
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

#include "chem/ChemDoc.h"
#include "chem/CTextArchiveParser.h"
#include "chem/ImportMOL.h"
#include "chem/Molecule.h"
#include "chem/StructureQuery.h"

using Chem::StructureQuery;

namespace {

// Cyclopropanol with its hydroxyl hydrogen written as an atom.
const char* const Cyclopropanol = "cyclopropanol\n  test\n\n"
                                  "  5  5  0  0  0  0  0  0  0  0999 V2000\n"
                                  "    0.0000    0.0000    0.0000 C   0  0\n"
                                  "    1.5000    0.0000    0.0000 C   0  0\n"
                                  "    0.7500    1.3000    0.0000 C   0  0\n"
                                  "    0.7500    2.7000    0.0000 O   0  0\n"
                                  "    1.6000    3.1000    0.0000 H   0  0\n"
                                  "  1  2  1  0\n  2  3  1  0\n  3  1  1  0\n  3  4  1  0\n  4  5  1  0\n"
                                  "M  END\n";

std::unique_ptr<Chem::ChemDoc> Import(const std::string& text)
{
    std::unique_ptr<Chem::ChemDoc> document(new Chem::ChemDoc);
    Chem::ImportMOL importer;
    Chem::CTextArchiveParser parser(text);
    if (!importer.ImportNextMolecule(parser, document->GetTreeRoot(), nullptr))
        return nullptr;
    return document;
}

} // namespace

TEST(StructureQuery, SubstructuresAndExactStructuresOfRecordsAndSmiles)
{
    auto document = Import(Cyclopropanol);
    ASSERT_TRUE(document);
    Chem::DescendentIterator molecules(document->GetTreeRoot(), Chem::Molecule::classType, false, false);
    const auto* molecule = static_cast<const Chem::Molecule*>(molecules.GetNext());
    ASSERT_NE(molecule, nullptr);

    // Ring queries need the record's rings; a pattern larger than the
    // molecule never matches.
    EXPECT_TRUE(StructureQuery("[C;R][OX2H]", StructureQuery::Kind::Substructure).Matches(molecule));
    EXPECT_FALSE(StructureQuery("[C;!R][OX2H]", StructureQuery::Kind::Substructure).Matches(molecule));
    EXPECT_FALSE(StructureQuery("C1CC1OCCCC", StructureQuery::Kind::Substructure).Matches(molecule));
    // The same structure however written, hydrogens written as atoms or not.
    EXPECT_TRUE(StructureQuery("OC1CC1", StructureQuery::Kind::Exact).Matches(molecule));
    EXPECT_FALSE(StructureQuery("OC1CCC1", StructureQuery::Kind::Exact).Matches(molecule));
    EXPECT_TRUE(StructureQuery("C1CC1O", StructureQuery::Kind::Exact).MatchesSmiles("[H]OC1CC1"));
    EXPECT_TRUE(StructureQuery("c1ccccc1", StructureQuery::Kind::Substructure).MatchesSmiles("Oc1ccccc1"));
    // No molecule, an empty text or one that is no SMILES: no match.
    const StructureQuery any("*", StructureQuery::Kind::Substructure);
    EXPECT_FALSE(any.Matches(nullptr));
    EXPECT_FALSE(any.MatchesSmiles(""));
    EXPECT_FALSE(any.MatchesSmiles("C1CC"));
    EXPECT_THROW(StructureQuery("C((", StructureQuery::Kind::Substructure), std::invalid_argument);
    EXPECT_THROW(StructureQuery("not a smiles", StructureQuery::Kind::Exact), std::invalid_argument);
}

TEST(StructureQuery, SdRecordsAsTheToolkitsReaderReadsThem)
{
    using Answer = StructureQuery::Answer;
    const std::string record = std::string(Cyclopropanol) + "> <P>\n1\n\n$$$$\n";
    const StructureQuery ringAlcohol("[C;R][OX2H]", StructureQuery::Kind::Substructure);
    EXPECT_EQ(ringAlcohol.MatchesSdRecord(record.data(), record.size()), Answer::Yes);
    EXPECT_EQ(StructureQuery("[C;!R]", StructureQuery::Kind::Substructure).MatchesSdRecord(record.data(), record.size()),
              Answer::No);
    // More pattern atoms than the counts line has: not read at all.
    EXPECT_EQ(StructureQuery("CCCCCC", StructureQuery::Kind::Substructure).MatchesSdRecord(record.data(), record.size()),
              Answer::No);
    // No molfile the toolkit reads (no "M  END"; a five-bonded carbon), or an
    // exact structure: for the caller to search the table's structure.
    const std::string cut = record.substr(0, record.find("M  END"));
    EXPECT_EQ(ringAlcohol.MatchesSdRecord(cut.data(), cut.size()), Answer::Unreadable);
    std::string pentavalent = record;
    pentavalent.replace(pentavalent.find("  3  4  1  0"), 12, "  3  4  3  0");
    EXPECT_EQ(ringAlcohol.MatchesSdRecord(pentavalent.data(), pentavalent.size()), Answer::Unreadable);
    EXPECT_EQ(StructureQuery("OC1CC1", StructureQuery::Kind::Exact).MatchesSdRecord(record.data(), record.size()),
              Answer::Unreadable);
}

