#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "chem/ChemDoc.h"
#include "chem/MolUtilities.h"
#include "chem/Molecule.h"
#include "host/Exception.h"
#include "host/StringConversion.h"
#include "host/StdInputStream.h"
#include "molecule/Mol2DataProvider.h"
#include "molecule/SDImportOptions.h"
#include "molecule/SDMoleculeInfo.h"
#include "molecule/SdFixtures.h"
#include "support/IndexSettings.h"

using VorlatImportExport::Mol2DataProvider;
using VorlatImportExport::SDImportOptions;

namespace {

// Ethanol with its hydrogens, then property blocks.
std::string Record(const std::string& name, const std::vector<std::pair<std::string, std::string>>& properties = {},
                   const std::string& marker = "@<TRIPOS>MOLECULE")
{
    std::string text = marker + "\n" + name + "\n 3 2 0 0 0\nSMALL\nNO_CHARGES\n\n@<TRIPOS>ATOM\n"
                                              "      1 C1    0.0000    0.0000    0.0000 C.3   1 MOL 0.0\n"
                                              "      2 C2    1.5000    0.0000    0.0000 C.3   1 MOL 0.0\n"
                                              "      3 O3    2.0000    1.4000    0.0000 O.3   1 MOL 0.0\n"
                                              "@<TRIPOS>BOND\n     1 1 2 1\n     2 2 3 1\n";
    for (const auto& [key, value] : properties)
        text += "@<ZENTROVA>MOL_PROPERTY\n" + key + "\nstring\n" + value + "\n\n";
    return text;
}

struct Mol2 {
    explicit Mol2(const std::string& text)
        : file(text), scanned(text),
          provider(file, boost::shared_ptr<Host::InputStream>(new Host::StdInputStream(scanned)), monitor)
    {
    }
    std::istringstream file;
    std::istringstream scanned;
    VorlatTest::CountingMonitor monitor;
    Mol2DataProvider provider;
};

std::wstring Text(const boost::any& value) { return boost::any_cast<std::wstring>(value); }

std::vector<std::wstring> Titles(Host::ITableDataProvider& table)
{
    std::vector<std::wstring> titles;
    for (int c = 0; c < table.GetColumnCount(); ++c)
        titles.push_back(table.GetColumnTitle(c));
    return titles;
}

std::string Smiles(const boost::any& cell)
{
    Chem::ChemDoc* document = boost::any_cast<Chem::ChemDoc*>(cell);
    Chem::DescendentIterator molecules(document->GetTreeRoot(), Chem::Molecule::classType, false, false);
    return Chem::MoleculeToSmiles(static_cast<const Chem::Molecule*>(molecules.GetNext()));
}

std::wstring Refusal(const std::string& text)
{
    try {
        Mol2 mol2(text);
    } catch (const Host::OrvixException& e) {
        return e.GetWideMessage();
    }
    return L"accepted";
}

} // namespace

TEST(Mol2DataProvider, IndexesRecordsAndPropertyBlocks)
{
    std::string fifteen;
    for (int i = 1; i <= 15; ++i)
        fifteen += (i > 1 ? "\n" : "") + std::to_string(i);
    fifteen.insert(fifteen.find("\n2\n") + 1, "# a comment\n");
    Mol2 mol2("text before any record\n" + Record("  first  ", {{"pKa", " 4.5 "}, {"MW", "46"}, {"pKa", "9"}}) +
              Record("", {{"Long", fifteen}, {"Name", "Renamed"}}) + Record("third"));
    auto& p = mol2.provider;
    ASSERT_EQ(p.GetRowCount(), 3);
    EXPECT_EQ(Titles(p), (std::vector<std::wstring>{L"Structure", L"Name", L"Index", L"pKa", L"MW", L"Long"}));
    EXPECT_EQ(Text(p.GetCellData(0, 1)), L"first");
    EXPECT_EQ(boost::any_cast<float>(p.GetCellData(0, 3)), 4.5f); // the first block of a name
    EXPECT_EQ(boost::any_cast<int>(p.GetCellData(0, 4)), 46);
    EXPECT_EQ(Text(p.GetCellData(1, 1)), L"Renamed");
    EXPECT_EQ(Text(p.GetCellData(1, 5)), L"1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n...");
    EXPECT_EQ(Text(p.GetCellData(2, 1)), L"third");
    std::string index;
    EXPECT_TRUE(p.GetMolProperty(2, "Index", index));
    EXPECT_EQ(index, "2");
    EXPECT_EQ(mol2.monitor.begins, 1);

    // Records parse into their molecule and its properties.
    EXPECT_EQ(Smiles(p.GetCellData(0, 0)), "CCO");
    EXPECT_EQ(boost::any_cast<float>(p.GetCellData(0, 3)), 4.5f);
    EXPECT_EQ(Text(p.GetCellData(0, 1)), L"first");
    std::unique_ptr<VorlatImportExport::SDMoleculeInfo> record(p.ReadMolecule(2));
    ASSERT_TRUE(record);
    EXPECT_EQ(record->GetMoleculeName(), "third");
    delete record->GetChemDoc();
    EXPECT_FALSE(p.ReadMolecule(3));
    EXPECT_FALSE(p.ReadMolecule(-1));

    SDImportOptions::SetSortPropertiesOnImport(true);
    Mol2 sorted(Record("x", {{"pKa", "1"}, {"MW", "2"}}));
    SDImportOptions::SetSortPropertiesOnImport(false);
    EXPECT_EQ(Titles(sorted.provider), (std::vector<std::wstring>{L"Structure", L"Name", L"Index", L"MW", L"pKa"}));
    Mol2 plain(Record("only"));
    EXPECT_EQ(Titles(plain.provider), (std::vector<std::wstring>{L"Structure", L"Name", L"Index"}));
}

TEST(Mol2DataProvider, MarkersWithBlanksAndLineEnds)
{
    // A marker line with blanks around it starts a row and ends the record
    // before it when read back; CR LF line ends read the same.
    const std::string lf = Record("one") + Record("two", {}, " \t@<TRIPOS>MOLECULE  ") + "not @<TRIPOS>MOLECULE\n";
    std::string crlf;
    for (char c : lf)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    for (const std::string& text : {lf, crlf}) {
        Mol2 mol2(text);
        auto& p = mol2.provider;
        ASSERT_EQ(p.GetRowCount(), 2);
        EXPECT_EQ(p.GetMoleculeOffset(1), static_cast<std::int64_t>(text.find("@<TRIPOS>MOLECULE  ")));
        EXPECT_EQ(Text(p.GetCellData(1, 1)), L"two");
        EXPECT_EQ(Smiles(p.GetCellData(0, 0)), "CCO");
        EXPECT_EQ(Smiles(p.GetCellData(1, 0)), "CCO");
        EXPECT_EQ(Text(p.GetCellData(0, 1)), L"one");
    }
}

TEST(Mol2DataProvider, BadFiles)
{
    const std::wstring invalid = L"Invalid Sybyl MOL2 format.";
    EXPECT_EQ(Refusal(""), invalid);
    EXPECT_EQ(Refusal("@<TRIPOS>ATOM\n1 C 0 0 0 C.3\n"), invalid);
    EXPECT_EQ(Refusal(Record("x") + "@<ZENTROVA>MOL_PROPERTY\nP\n\nvalue\n"), invalid);  // empty second line
    EXPECT_EQ(Refusal(Record("x") + "@<ZENTROVA>MOL_PROPERTY\n\nstring\nvalue\n"), invalid); // empty name
    EXPECT_EQ(Refusal(Record("x") + "@<ZENTROVA>MOL_PROPERTY\nP"), invalid);             // cut off

    // An ATOM section of garbage: a molecule without atoms that keeps the
    // record's name, no error. An atom type the toolkit does not know is read
    // by the direct reader.
    const std::string garbage = "@<TRIPOS>MOLECULE\ngarbage\n 3 2 0 0 0\nSMALL\n\n@<TRIPOS>ATOM\n"
                                "this is not an atom line\n\x01\x02\xFF\n@<TRIPOS>BOND\n 1 1 2 1\n";
    std::string unknown = Record("unknown");
    unknown.replace(unknown.find("C.3   1 MOL"), 3, "Qq ");
    unknown.insert(unknown.find("@<TRIPOS>BOND"), "      4 H4    -1.000    0.0000    0.0000 H     1 MOL 0.0\n");
    Mol2 mol2(garbage + unknown);
    auto& p = mol2.provider;
    ASSERT_EQ(p.GetRowCount(), 2);
    Chem::ChemDoc* document = boost::any_cast<Chem::ChemDoc*>(p.GetCellData(0, 0));
    const auto* empty = static_cast<const Chem::Molecule*>(
        Chem::DescendentIterator(document->GetTreeRoot(), Chem::Molecule::classType, false, false).GetNext());
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->GetAtomCount(), 0);
    EXPECT_EQ(empty->GetName(), "garbage");

    // Not held by the index, such a record still shows its name and property
    // blocks, before and after its structure is read.
    const std::string unreadable = garbage + "@<ZENTROVA>MOL_PROPERTY\nP\nstring\nkept\n\n";
    for (const bool structureFirst : {false, true}) {
        Mol2 twice(unreadable + unreadable);
        twice.provider.SetPropertyCacheSize(1);
        ASSERT_TRUE(twice.provider.Initialize(twice.monitor));
        ASSERT_EQ(twice.provider.GetRowCount(), 2);
        if (structureFirst)
            twice.provider.GetCellData(1, 0);
        EXPECT_EQ(boost::any_cast<std::wstring>(twice.provider.GetCellData(1, 1)), L"garbage");
        EXPECT_EQ(boost::any_cast<std::wstring>(twice.provider.GetCellData(1, 3)), L"kept");
        twice.provider.GetCellData(1, 0);
        EXPECT_EQ(boost::any_cast<std::wstring>(twice.provider.GetCellData(1, 3)), L"kept");
    }
    Chem::ChemDoc* read = boost::any_cast<Chem::ChemDoc*>(p.GetCellData(1, 0));
    const auto* molecule = static_cast<const Chem::Molecule*>(
        Chem::DescendentIterator(read->GetTreeRoot(), Chem::Molecule::classType, false, false).GetNext());
    ASSERT_TRUE(molecule);
    EXPECT_EQ(molecule->GetAtomCount(), 4);

    VorlatTest::CountingMonitor cancelling;
    cancelling.cancelAfter = 1;
    const std::string three = Record("a") + Record("b") + Record("c");
    std::istringstream file(three), scanned(three);
    EXPECT_THROW(Mol2DataProvider(file, boost::shared_ptr<Host::InputStream>(new Host::StdInputStream(scanned)),
                                  cancelling),
                 Host::CancellationException);
}

TEST(Mol2DataProvider, MarkersWithLeadingBlanksEndAPropertyValue)
{
    // A marker line with blanks before it, right after a value line, ends
    // the value: a property marker starts the next block, a molecule marker
    // the next record. Short values are read in place, long ones line by
    // line; both agree with the parsed record.
    for (const std::size_t lineLength : {std::size_t(2), std::size_t(800)}) {
        std::string value;
        for (int i = 0; i < 11; ++i)
            value += (i > 0 ? "\n" : "") + std::string(lineLength, static_cast<char>('a' + i));
        const std::string lf = Record("one") + "@<ZENTROVA>MOL_PROPERTY\nP\nstring\n" + value +
                               "\n \t@<ZENTROVA>MOL_PROPERTY\nQ\nstring\nq\n" +
                               Record("two", {{"P", "w"}}, "  @<TRIPOS>MOLECULE");
        std::string crlf;
        for (char c : lf)
            crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
        for (const std::string& text : {lf, crlf}) {
            // The file twice: the first copy held, the second parsed.
            std::istringstream file(text + text), scanned(text + text);
            Host::NullProgressMonitor monitor;
            Mol2DataProvider p(file, boost::shared_ptr<Host::InputStream>(new Host::StdInputStream(scanned)), monitor);
            p.SetPropertyCacheSize(2);
            ASSERT_TRUE(p.Initialize(monitor));
            ASSERT_EQ(p.GetRowCount(), 4) << lineLength;
            EXPECT_EQ(Titles(p), (std::vector<std::wstring>{L"Structure", L"Name", L"Index", L"P", L"Q"}));
            for (int row = 0; row < 4; ++row) {
                SCOPED_TRACE("row " + std::to_string(row) + ", line length " + std::to_string(lineLength));
                const bool first = row % 2 == 0;
                EXPECT_EQ(Text(p.GetCellData(row, 1)), first ? L"one" : L"two");
                EXPECT_EQ(Text(p.GetCellData(row, 3)), first ? Host::ToWString(value) : L"w");
                EXPECT_EQ(first ? Text(p.GetCellData(row, 4)) : L"none",
                          first ? L"q" : (p.GetCellData(row, 4).empty() ? L"none" : L"some"));
                EXPECT_EQ(Smiles(p.GetCellData(row, 0)), "CCO");
            }
        }
    }
}

TEST(Mol2DataProvider, ReportsProgressWhileIndexing)
{
    // A file of some 13 MB, generated: progress rises while the records are
    // indexed, and reaches 1 at the end.
    const std::string path = testing::TempDir() + "/progress.mol2";
    {
        std::ofstream out(path, std::ios::binary);
        const std::string record = Record("r", {{"P", "1"}});
        for (std::size_t written = 0; written < (13u << 20); written += record.size())
            out << record;
    }
    // On one thread, and on two in ranges of 1 MiB.
    for (const int threads : {1, 2}) {
        VorlatTest::IndexSettings settings(threads, threads == 1 ? 0 : 1 << 20);
        std::ifstream file(path, std::ios::binary), scanned(path, std::ios::binary);
        VorlatTest::CountingMonitor monitor;
        Mol2DataProvider p(file, boost::shared_ptr<Host::InputStream>(new Host::StdInputStream(scanned)), monitor);
        EXPECT_GT(p.GetRowCount(), 20000);
        const std::vector<double>& progress = monitor.progress;
        ASSERT_GE(progress.size(), 4u) << threads;
        EXPECT_EQ(progress.back(), 1.0);
        for (std::size_t i = 1; i + 1 < progress.size(); ++i) {
            EXPECT_GT(progress[i], progress[i - 1]);
            EXPECT_LT(progress[i], 1.0);
        }
    }
    std::remove(path.c_str());
}
