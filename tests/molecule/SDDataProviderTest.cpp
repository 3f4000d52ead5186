#include <filesystem>
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
#include "host/Structure.h"
#include "molecule/SDMoleculeInfo.h"
#include "molecule/SDImportOptions.h"
#include "molecule/SdFixtures.h"

using VorlatImportExport::SDDataProvider;
using VorlatImportExport::SDImportOptions;
using VorlatTest::SdFile;
using VorlatTest::SdRecord;

namespace {

std::wstring Text(const boost::any& value) { return boost::any_cast<std::wstring>(value); }

std::vector<std::wstring> Titles(Host::ITableDataProvider& table)
{
    std::vector<std::wstring> titles;
    for (int c = 0; c < table.GetColumnCount(); ++c)
        titles.push_back(table.GetColumnTitle(c));
    return titles;
}

const Chem::Molecule* MoleculeOf(const boost::any& cell)
{
    Chem::ChemDoc* document = boost::any_cast<Chem::ChemDoc*>(cell);
    Chem::DescendentIterator molecules(document->GetTreeRoot(), Chem::Molecule::classType, false, false);
    return static_cast<const Chem::Molecule*>(molecules.GetNext());
}

} // namespace

TEST(SDDataProvider, IndexesNamesColumnsAndHeldItems)
{
    const std::string text = SdRecord("Alpha", {{"MW", " 12 "}, {"Name", "ignored"}}) +
                             SdRecord("", {{"ID", "2.34567"}, {"MW", "x"}, {"MW", "second"}, {"Index", "9"}}) +
                             SdRecord("42", {{"Structure", "s"}});
    SdFile sd(text);
    SDDataProvider& p = sd.provider;
    ASSERT_EQ(p.GetRowCount(), 3);
    EXPECT_EQ(Titles(p), (std::vector<std::wstring>{L"Structure", L"Name", L"Index", L"MW", L"ID"}));
    EXPECT_EQ(sd.monitor.title, L"Korvane Import");
    EXPECT_EQ(sd.monitor.begins, 1);
    EXPECT_EQ(sd.monitor.tasks, 1);
    EXPECT_EQ(sd.monitor.asked, 3);

    EXPECT_EQ(Text(p.GetCellData(0, 1)), L"Alpha");       // an item "Name" replaces nothing
    EXPECT_EQ(Text(p.GetCellData(1, 1)), L"Molecule-2");
    EXPECT_EQ(boost::any_cast<int>(p.GetCellData(2, 1)), 42);
    EXPECT_EQ(boost::any_cast<int>(p.GetCellData(0, 3)), 12);
    EXPECT_EQ(boost::any_cast<float>(p.GetCellData(1, 4)), 2.34567f); // held values are not rounded
    EXPECT_EQ(Text(p.GetCellData(1, 3)), L"x");          // a repeated item keeps its first value
    EXPECT_EQ(boost::any_cast<int>(p.GetCellData(1, 2)), 2);
    EXPECT_EQ(p.GetRowTitle(2), L"3");
    EXPECT_EQ(p.IsChemistryCell(1, 0), Host::IsChemistry);
    EXPECT_EQ(p.IsChemistryCell(1, 3), Host::NotChemistry);
    EXPECT_EQ(p.GetCellDataTypeId(0, 0), typeid(Host::Structure));
    EXPECT_EQ(p.GetCellDataTypeId(0, 4), typeid(void)); // not in the record, within its width
    std::string held;
    EXPECT_TRUE(p.GetMolProperty(1, "Index", held));
    EXPECT_EQ(held, "1");
    p.SetMolProperty(1, "ID", "changed");
    EXPECT_TRUE(p.GetMolProperty(1, "ID", held));
    EXPECT_EQ(held, "changed");

    // Structure cells parse the record; its other cells keep their values.
    const boost::any structure = p.GetCellData(2, 0);
    ASSERT_EQ(structure.type(), typeid(Chem::ChemDoc*));
    EXPECT_EQ(Chem::MoleculeToSmiles(MoleculeOf(structure)), "CCO");
    EXPECT_EQ(boost::any_cast<int>(p.GetCellData(2, 1)), 42);
    EXPECT_EQ(p.GetCellDataTypeId(2, 0), typeid(Chem::ChemDoc*));

    SDImportOptions::SetSortPropertiesOnImport(true);
    SdFile sorted(text);
    SDImportOptions::SetSortPropertiesOnImport(false);
    EXPECT_EQ(Titles(sorted.provider), (std::vector<std::wstring>{L"Structure", L"Name", L"Index", L"ID", L"MW"}));
}

TEST(SDDataProvider, LongValuesRecordEndsAndOffsets)
{
    std::string fifteen;
    for (int i = 1; i <= 15; ++i)
        fifteen += (i > 1 ? "\n" : "") + std::to_string(i);
    const std::string first = SdRecord("A", {{"Long", fifteen}});
    const std::string last = SdRecord("B", {{"K", "v"}}, false);
    SdFile sd(first + last + "trailing text without markers\n");
    SDDataProvider& p = sd.provider;
    ASSERT_EQ(p.GetRowCount(), 2);
    EXPECT_EQ(Text(p.GetCellData(0, 3)), L"1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n...");
    EXPECT_EQ(p.GetMoleculeOffset(1), static_cast<std::int64_t>(first.size()));
    EXPECT_EQ(p.GetMoleculeSize(1), static_cast<std::int64_t>(last.size() + 30));
    EXPECT_EQ(p.GetMoleculeOffset(-1), -1);
    EXPECT_EQ(p.GetMoleculeOffset(2), -1);
    EXPECT_EQ(p.GetMoleculeSize(2), -1);
    // The cell keeps the held value once the record is parsed; a record that
    // is not held shows the parsed record's whole value.
    EXPECT_EQ(Chem::MoleculeToSmiles(MoleculeOf(p.GetCellData(0, 0))), "CCO");
    EXPECT_EQ(Text(p.GetCellData(0, 3)), L"1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n...");
    SdFile oneHeld(first + first, 1);
    EXPECT_EQ(Text(oneHeld.provider.GetCellData(1, 3)), std::wstring(fifteen.begin(), fifteen.end()));
}

TEST(SDDataProvider, HeldRecordsCacheAndReparsing)
{
    std::string text;
    for (int i = 0; i < 5; ++i)
        text += SdRecord("M" + std::to_string(i), {{"P", std::to_string(i * 10)}});
    SdFile sd(text, 2);
    auto& p = sd.provider;
    ASSERT_EQ(p.GetRowCount(), 5);
    EXPECT_EQ(p.GetColumnCount(), 4);
    EXPECT_EQ(sd.monitor.asked, 5);

    // Row 3 is not held: a properties-only parse, cached.
    EXPECT_EQ(boost::any_cast<int>(p.GetCellData(3, 3)), 30);
    ASSERT_TRUE(p.m_moleculeCache.Find(3));
    EXPECT_EQ(p.m_moleculeCache.Find(3)->GetChemDoc() ? MoleculeOf(p.m_moleculeCache.Find(3)->GetChemDoc())->GetAtomCount() : -1, 0);
    // Its structure parses it again, fully, replacing the cached record.
    EXPECT_EQ(MoleculeOf(p.GetCellData(3, 0))->GetAtomCount(), 3);
    EXPECT_EQ(Text(p.GetCellData(3, 1)), L"M3");

    // First in, first out: with room for 2, the third structure read evicts
    // the first row, which is then parsed anew.
    p.SetCacheSize(2);
    p.GetCellData(0, 0);
    p.GetCellData(1, 0);
    p.GetCellData(0, 1); // a read does not refresh a row's place
    p.GetCellData(2, 0);
    EXPECT_FALSE(p.m_moleculeCache.Find(0));
    EXPECT_TRUE(p.m_moleculeCache.Find(1));
    EXPECT_EQ(MoleculeOf(p.GetCellData(0, 0))->GetName(), "M0");

    // Without a cache each parsed record lives until the next read.
    p.SetCacheSize(0);
    for (int row = 0; row < 5; ++row)
        EXPECT_EQ(MoleculeOf(p.GetCellData(row, 0))->GetName(), "M" + std::to_string(row));
    EXPECT_EQ(p.m_moleculeCache.GetCount(), 0);

    // Indexing again starts from scratch.
    ASSERT_TRUE(p.Initialize(sd.monitor));
    EXPECT_EQ(p.GetRowCount(), 5);
    EXPECT_EQ(p.GetColumnCount(), 4);
    EXPECT_EQ(p.GetMoleculeOffset(4), static_cast<std::int64_t>(4 * text.size() / 5));
}

TEST(SDDataProvider, LineEndsAndMarkersInsideText)
{
    // "$$$$" and ">" inside a title, a comment line and a value are text.
    std::string first = SdRecord("cost > $$$$", {{"Note", "a $$$$ b"}, {"Q", "> 3"}});
    first.replace(first.find("  test\n\n"), 8, "  test\nmade by tool > x $$$$\n");
    const std::string lf = first + SdRecord("second", {{"Note", "n"}});
    std::string crlf, cr;
    for (char c : lf) {
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
        cr += c == '\n' ? '\r' : c;
    }
    for (const std::string& text : {lf, crlf, cr}) {
        SdFile sd(text);
        auto& p = sd.provider;
        ASSERT_EQ(p.GetRowCount(), 2);
        EXPECT_EQ(Text(p.GetCellData(0, 1)), L"cost > $$$$");
        EXPECT_EQ(Text(p.GetCellData(0, 3)), L"a $$$$ b");
        EXPECT_EQ(Text(p.GetCellData(0, 4)), L"> 3");
        // Each record is copied for parsing byte for byte.
        for (int row = 0; row < 2; ++row) {
            p.SeekToRecord(row);
            std::string copied;
            ASSERT_TRUE(p.LoadMolecule(copied));
            const std::int64_t end = row == 0 ? p.GetMoleculeOffset(1) : static_cast<std::int64_t>(text.size());
            EXPECT_EQ(copied, text.substr(static_cast<std::size_t>(p.GetMoleculeOffset(row)),
                                          static_cast<std::size_t>(end - p.GetMoleculeOffset(row))));
        }
        EXPECT_EQ(Chem::MoleculeToSmiles(MoleculeOf(p.GetCellData(1, 0))), "CCO");
    }
}

TEST(SDDataProvider, BadFiles)
{
    const auto refused = [](const std::string& text) {
        std::istringstream file(text), scanned(text);
        Host::NullProgressMonitor monitor;
        try {
            SDDataProvider p(file, boost::shared_ptr<Host::InputStream>(new Host::StdInputStream(scanned)), monitor);
        } catch (const Host::OrvixException& e) {
            EXPECT_EQ(e.GetWideMessage(), L"Unable to process file.\nPlease check the file and try again.");
            EXPECT_EQ(e.GetSourceFile(), "SDDataProvider");
            return true;
        }
        return false;
    };
    EXPECT_TRUE(refused(""));
    // A value that runs into the record's end line.
    EXPECT_TRUE(refused("A\n\n\n  0  0  0  0  0  0  0  0  0  0999 V2000\nM  END\n> <P>\nv\n$$$$\n"));

    // Binary garbage is one record without a structure: a molecule without
    // atoms, named by its first line.
    std::string garbage;
    for (int i = 0; i < 3000; ++i)
        garbage += static_cast<char>((i * 7919) % 256);
    SdFile junk(garbage);
    EXPECT_EQ(junk.provider.GetRowCount(), 1);
    ASSERT_TRUE(MoleculeOf(junk.provider.GetCellData(0, 0)));
    EXPECT_EQ(MoleculeOf(junk.provider.GetCellData(0, 0))->GetAtomCount(), 0);

    // A record cut in its atom block, a record of 0 atoms, invalid UTF-8
    // in a value, and a 10 MB value.
    std::string cut = SdRecord("cut", {});
    cut = cut.substr(0, 100) + "\n$$$$\n";
    const std::string empty = "empty\n\n\n  0  0  0  0  0  0  0  0  0  0999 V2000\nM  END\n> <P>\n1\n\n$$$$\n";
    const std::string big(10u << 20, 'b');
    SdFile sd(cut + empty + SdRecord("bytes", {{"P", "\xFF\xC3(ok"}}) + SdRecord("big", {{"P", big}}));
    auto& p = sd.provider;
    ASSERT_EQ(p.GetRowCount(), 4);
    ASSERT_TRUE(MoleculeOf(p.GetCellData(0, 0)));
    EXPECT_EQ(MoleculeOf(p.GetCellData(0, 0))->GetName(), "cut");
    EXPECT_EQ(MoleculeOf(p.GetCellData(0, 0))->GetAtomCount(), 0);
    EXPECT_EQ(MoleculeOf(p.GetCellData(1, 0))->GetAtomCount(), 0);
    EXPECT_EQ(Host::ToSString(Text(p.GetCellData(2, 3))), "\xFF\xC3(ok");
    EXPECT_EQ(Text(p.GetCellData(3, 3)).size(), big.size());
    EXPECT_EQ(MoleculeOf(p.GetCellData(3, 0))->GetAtomCount(), 3);
    EXPECT_EQ(Text(p.GetCellData(3, 3)).size(), big.size());
}

TEST(SDDataProvider, FileShrunkAfterIndexingAndCancellation)
{
    std::string text;
    for (int i = 0; i < 4; ++i)
        text += SdRecord("R" + std::to_string(i), {{"P", "1"}});
    const std::string path = testing::TempDir() + "/shrinking.sdf";
    std::ofstream(path, std::ios::binary) << text;
    std::ifstream file(path, std::ios::binary);
    std::istringstream scanned(text);
    Host::NullProgressMonitor monitor;
    SDDataProvider p(file, boost::shared_ptr<Host::InputStream>(new Host::StdInputStream(scanned)), monitor);
    p.SetCacheSize(0);
    std::filesystem::resize_file(path, text.size() / 2);
    EXPECT_TRUE(p.GetCellData(3, 0).empty());
    EXPECT_EQ(boost::any_cast<int>(p.GetCellData(3, 3)), 1); // held in memory
    EXPECT_EQ(MoleculeOf(p.GetCellData(0, 0))->GetName(), "R0");

    VorlatTest::CountingMonitor cancelling;
    cancelling.cancelAfter = 2;
    std::istringstream file2(text), scanned2(text);
    EXPECT_THROW(SDDataProvider(file2, boost::shared_ptr<Host::InputStream>(new Host::StdInputStream(scanned2)),
                                cancelling),
                 Host::CancellationException);
    EXPECT_EQ(cancelling.asked, 3);
}

TEST(SDDataProvider, OffsetsAtBufferEdgesWithAndWithoutHeldItems)
{
    // Records of many sizes, a few MB in all, put every marker and line end
    // somewhere against the edges of the scan's reads; one value line is
    // longer than a read, and one value has more lines than are kept.
    for (const std::string lineEnd : {"\n", "\r\n"}) {
        std::string text;
        std::vector<std::int64_t> offsets;
        const int records = 2500;
        for (int i = 0; i < records; ++i) {
            offsets.push_back(static_cast<std::int64_t>(text.size()));
            std::string value(static_cast<std::size_t>(i * 37 % 1500), 'x');
            if (i == 1234)
                value.assign(1500000, 'y');
            if (i == 2000)
                value = "1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n12\n13";
            std::string record = SdRecord(i % 10 == 3 ? "" : "N" + std::to_string(i), {{"P", value}, {"Q", "q"}});
            if (lineEnd != "\n") {
                std::string converted;
                for (char c : record)
                    converted += c == '\n' ? lineEnd : std::string(1, c);
                record = converted;
            }
            text += record;
        }
        ASSERT_GT(text.size(), std::size_t(3) << 20);
        for (int held : {1046527, 7, 0}) {
            SdFile sd(text, held);
            ASSERT_EQ(sd.provider.GetRowCount(), records) << held;
            for (int i = 0; i < records; ++i)
                ASSERT_EQ(sd.provider.GetMoleculeOffset(i), offsets[static_cast<std::size_t>(i)]) << held << " " << i;
            // Item names come from the held records only.
            ASSERT_EQ(sd.provider.GetColumnCount(), held > 0 ? 5 : 3);
            if (held < records) {
                EXPECT_EQ(Text(sd.provider.GetCellData(2499, 1)), L"N2499");
                continue;
            }
            for (int i = 0; i < records; ++i) {
                const std::wstring name = i % 10 == 3 ? L"Molecule-" + std::to_wstring(i + 1) : L"N" + std::to_wstring(i);
                ASSERT_EQ(Text(sd.provider.GetCellData(i, 1)), name) << i;
                const std::size_t size = i == 1234 ? 1500000 : static_cast<std::size_t>(i * 37 % 1500);
                if (i != 2000 && size > 0) {
                    ASSERT_EQ(Text(sd.provider.GetCellData(i, 3)).size(), size) << i;
                }
                ASSERT_EQ(Text(sd.provider.GetCellData(i, 4)), L"q") << i;
            }
            EXPECT_EQ(Text(sd.provider.GetCellData(2000, 3)), L"1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n...");
        }
    }
}
