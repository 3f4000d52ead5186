// Saved indexes of SD and Mol2 files: a table loaded from one is the table a
// scan gives, cell for cell; one made otherwise, or damaged, or crafted to
// mislead, is not used.

#include <cstring>
#include <filesystem>
#include <functional>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "chem/ChemDoc.h"
#include "chem/MolUtilities.h"
#include "chem/Molecule.h"
#include "frame/OpenTableFile.h"
#include "frame/TableDataUtil.h"
#include "host/FileInputStream.h"
#include "host/StringConversion.h"
#include "index/RecordOffsets.h"
#include "index/SavedIndex.h"
#include "molecule/Mol2DataProvider.h"
#include "molecule/SDImportOptions.h"
#include "molecule/SdFixtures.h"
#include "support/Files.h"
#include "support/IndexSettings.h"

namespace {

namespace fs = std::filesystem;
using VorlatImportExport::FileFingerprint;
using VorlatImportExport::OpenTableFile;
using VorlatImportExport::OpenTableOptions;
using VorlatImportExport::SavedIndexOptions;

struct Folder : VorlatTest::TempFolder {
    Folder() : TempFolder("saved-molecules-") {}
};

// Titles, then per row where its record lies and each cell with its type;
// the structure of every fifth row as canonical SMILES.
std::vector<std::string> Dump(Host::ITableDataProvider& table)
{
    auto& molecules = dynamic_cast<VorlatImportExport::SDDataProvider&>(table);
    std::vector<std::string> dump{std::to_string(table.GetRowCount()) + " x " + std::to_string(table.GetColumnCount())};
    for (int c = 0; c < table.GetColumnCount(); ++c)
        dump.push_back(Host::ToSString(table.GetColumnTitle(c)));
    for (int r = 0; r < table.GetRowCount(); ++r) {
        std::string row = std::to_string(molecules.GetMoleculeOffset(r)) + "+" +
                          std::to_string(molecules.GetMoleculeSize(r)) + "|";
        for (int c = 1; c < table.GetColumnCount(); ++c) {
            const boost::any cell = table.GetCellData(r, c);
            row += std::string(cell.type().name()) + ":" +
                   Host::ToSString(VorlatImportExport::TableDataUtil::BoostAny2WString(cell)) + "|";
        }
        if (r % 5 == 0) {
            Chem::ChemDoc* document = boost::any_cast<Chem::ChemDoc*>(table.GetCellData(r, 0));
            Chem::DescendentIterator found(document->GetTreeRoot(), Chem::Molecule::classType, false, false);
            row += Chem::MoleculeToSmiles(static_cast<const Chem::Molecule*>(found.GetNext()));
        }
        dump.push_back(row);
    }
    return dump;
}

std::vector<std::string> Open(const std::string& path, const std::string& saved, bool& loaded)
{
    OpenTableOptions options;
    options.savedIndex = saved;
    const auto table = OpenTableFile(path, options);
    loaded = VorlatImportExport::IndexWasLoaded(*table);
    return Dump(*table);
}

// Records whose items vary: names in changing order, an "Index" that is the
// record's own number or not, a "Name" item, records without a name line.
std::string VariedRecords(int count)
{
    std::string text;
    for (int i = 0; i < count; ++i) {
        std::vector<std::pair<std::string, std::string>> items = {{"id", "ID-" + std::to_string(i * 7919)},
                                                                  {"score", std::to_string(i * 0.25)}};
        if (i % 3 == 0)
            items.insert(items.begin(), {"Index", std::to_string(i % 2 ? i : i + 1)});
        if (i % 4 == 1)
            items.push_back({"Name", "named " + std::to_string(i)});
        if (i % 5 == 2)
            items.push_back({"note " + std::to_string(i % 11), "line one\nline two"});
        text += VorlatTest::SdRecord(i % 6 == 0 ? "" : "mol" + std::to_string(i), items);
    }
    return text;
}

TEST(SavedMoleculeIndex, LoadedTablesAreTheScannedOnes)
{
    Folder folder;
    const std::string examples = VORLAT_EXAMPLES_DATA_DIR;
    const std::string data = VORLAT_TEST_DATA_DIR;
    const std::vector<std::string> files = {examples + "/compounds.sdf",
                                            examples + "/compounds.mol2",
                                            data + "/item-kinds-rdkit.sdf",
                                            data + "/compounds-openbabel.mol2",
                                            data + "/mol2-corpus/corpus.sdf",
                                            data + "/mol2-corpus/corpus-polar-h.mol2",
                                            folder.Write("varied.sdf", VariedRecords(1500)),
                                            folder.Write("varied-crlf.sdf",
                                                         VorlatTest::WithLineEnds(VariedRecords(300), "\r\n"))};
    for (const std::string& path : files) {
        SCOPED_TRACE(path);
        const std::string saved = (folder.path / (fs::path(path).filename().string() + ".index")).string();
        std::vector<std::string> expected;
        {
            VorlatTest::IndexSettings oneThread(1, 0);
            expected = Dump(*OpenTableFile(path));
        }
        // Indexed on two threads in small ranges, so that the held items
        // come in segments of their own names, and loaded back.
        VorlatTest::IndexSettings ranges(2, 16 << 10);
        bool loaded = true;
        EXPECT_EQ(Open(path, saved, loaded), expected);
        EXPECT_FALSE(loaded);
        ASSERT_TRUE(fs::exists(saved));
        EXPECT_EQ(Open(path, saved, loaded), expected);
        EXPECT_TRUE(loaded);
    }
}

// An SD provider over the file at path with a saved index at saved.
struct SdTable {
    SdTable(const std::string& path, const std::string& saved)
        : file(path, std::ios::binary), provider(file, boost::shared_ptr<Host::InputStream>(new Host::FileInputStream(path)),
                                                 monitor, SavedIndexOptions{saved, path})
    {
    }
    std::ifstream file;
    VorlatTest::CountingMonitor monitor;
    VorlatImportExport::SDDataProvider provider;
};

TEST(SavedMoleculeIndex, HeldRecordsAndSortingShapeTheIndex)
{
    Folder folder;
    const std::string text = VariedRecords(400);
    const std::string path = folder.Write("data.sdf", text);
    const std::string saved = (folder.path / "data.index").string();
    // What a scan gives with 40 held records, and with names sorted.
    const auto scanned = [&](int held, bool sorted) {
        VorlatImportExport::SDImportOptions::SetSortPropertiesOnImport(sorted);
        SdTable table(path, "");
        table.provider.SetPropertyCacheSize(held);
        table.provider.Initialize(table.monitor);
        VorlatImportExport::SDImportOptions::SetSortPropertiesOnImport(false);
        return Dump(table.provider);
    };
    const auto fewHeld = scanned(40, false);
    const auto sorted = scanned(40, true);
    ASSERT_NE(fewHeld, sorted);

    SdTable table(path, saved);
    EXPECT_FALSE(table.provider.IndexWasLoaded());
    table.provider.SetPropertyCacheSize(40);
    ASSERT_TRUE(table.provider.Initialize(table.monitor));
    EXPECT_FALSE(table.provider.IndexWasLoaded()) << "saved with every record held";
    ASSERT_TRUE(table.provider.Initialize(table.monitor));
    EXPECT_TRUE(table.provider.IndexWasLoaded());
    EXPECT_EQ(Dump(table.provider), fewHeld);
    VorlatImportExport::SDImportOptions::SetSortPropertiesOnImport(true);
    ASSERT_TRUE(table.provider.Initialize(table.monitor));
    const bool loadedSorted = table.provider.IndexWasLoaded();
    ASSERT_TRUE(table.provider.Initialize(table.monitor));
    const bool loadedAgain = table.provider.IndexWasLoaded();
    VorlatImportExport::SDImportOptions::SetSortPropertiesOnImport(false);
    EXPECT_FALSE(loadedSorted);
    EXPECT_TRUE(loadedAgain);
    EXPECT_EQ(Dump(table.provider), sorted);

    // A record more: scanned again, the new row there.
    folder.Write("data.sdf", text + VorlatTest::SdRecord("late", {{"id", "late one"}}));
    SdTable grown(path, saved);
    EXPECT_FALSE(grown.provider.IndexWasLoaded());
    EXPECT_EQ(grown.provider.GetRowCount(), 401);
    SdTable again(path, saved);
    EXPECT_TRUE(again.provider.IndexWasLoaded());
    EXPECT_EQ(Dump(again.provider), Dump(grown.provider));
}

// The sections of a saved index by tag, to write back changed.
struct Sections {
    std::vector<std::uint32_t> tags;
    std::vector<std::string> bytes;
    std::string& operator[](std::uint32_t tag)
    {
        for (std::size_t k = 0; k < tags.size(); ++k)
            if (tags[k] == tag)
                return bytes[k];
        throw std::out_of_range("no section " + std::to_string(tag));
    }
    template <class T>
    T* As(std::uint32_t tag) { return reinterpret_cast<T*>((*this)[tag].data()); }
};

TEST(SavedMoleculeIndex, DamagedOrHostileSavedIndexesAreNotUsed)
{
    Folder folder;
    const std::string path = folder.Write("data.sdf", VariedRecords(120));
    const std::string saved = (folder.path / "data.index").string();
    bool loaded = false;
    const auto expected = Open(path, saved, loaded);
    const std::string good = VorlatTest::ReadFile(saved);
    std::mt19937 random(11);
    std::vector<std::string> damaged;
    for (std::size_t cut = 0; cut < good.size(); cut += 1 + good.size() / 30)
        damaged.push_back(good.substr(0, cut));
    for (int k = 0; k < 40; ++k) {
        std::string flipped = good;
        flipped[random() % good.size()] ^= static_cast<char>(1 + random() % 255);
        damaged.push_back(flipped);
    }
    for (const std::string& bytes : damaged) {
        folder.Write("data.index", bytes);
        EXPECT_EQ(Open(path, saved, loaded), expected);
        EXPECT_FALSE(loaded);
    }

    // Well formed, with a right check value, but not holding together: the
    // sections of the good index (one thread gives one segment of held
    // items), one changed at a time.
    fs::remove(saved);
    {
        VorlatTest::IndexSettings oneThread(1, 0);
        Open(path, saved, loaded);
    }
    FileFingerprint fingerprint;
    ASSERT_TRUE(FileFingerprint::Of(path, fingerprint));
    const std::string key = "molecules held=1046527 sort=0";
    VorlatImportExport::SavedIndexReader reader;
    ASSERT_TRUE(reader.Load(saved, 3, fingerprint, key));
    Sections original;
    // Columns, offsets, counts; the store's counts and names; its segment.
    for (std::uint32_t tag : {1u, 2u, 3u, 0x100u, 0x101u}) {
        const char* data = nullptr;
        std::size_t size = 0;
        ASSERT_TRUE(reader.Section(tag, data, size)) << tag;
        original.tags.push_back(tag);
        original.bytes.emplace_back(data, size);
    }
    for (std::uint32_t tag = 0x110; tag < 0x11A; ++tag) {
        const char* data = nullptr;
        std::size_t size = 0;
        ASSERT_TRUE(reader.Section(tag, data, size)) << tag;
        original.tags.push_back(tag);
        original.bytes.emplace_back(data, size);
    }
    const auto write = [&](Sections sections) {
        VorlatImportExport::SavedIndexWriter writer(3, fingerprint, key);
        for (std::size_t k = 0; k < sections.tags.size(); ++k)
            writer.Add(sections.tags[k], sections.bytes[k]);
        ASSERT_TRUE(writer.WriteTo(saved));
    };
    write(original);
    Open(path, saved, loaded);
    ASSERT_TRUE(loaded) << "the sections written back are a whole index";

    // The segment's sections: its counts, names, records' first items,
    // blocks' first items and sizes, items (where their values end),
    // values, the shapes' names and starts, the records' shapes.
    const std::vector<std::pair<std::string, std::function<void(Sections&)>>> changes = {
        {"a value's end beyond its block",
         [](Sections& s) { s.As<std::uint32_t>(0x115)[s[0x115].size() / 4 - 1] = 0xFFFFFFF0u; }},
        {"value ends out of order",
         [](Sections& s) { std::swap(s.As<std::uint32_t>(0x115)[3], s.As<std::uint32_t>(0x115)[9]); }},
        {"an item's name unknown", [](Sections& s) { s.As<std::uint32_t>(0x117)[1] = 999; }},
        {"a record's shape unknown", [](Sections& s) { s.As<std::uint32_t>(0x119)[3] = 77; }},
        {"a shape of another length than the record's items",
         [](Sections& s) {
             const std::uint32_t* starts = s.As<std::uint32_t>(0x118);
             std::uint32_t* shapes = s.As<std::uint32_t>(0x119);
             const auto length = [&](std::uint32_t shape) { return starts[shape + 1] - starts[shape]; };
             for (std::size_t r = 1; r < s[0x119].size() / 4; ++r)
                 if (length(shapes[r]) != length(shapes[0])) {
                     shapes[0] = shapes[r];
                     return;
                 }
             FAIL() << "every record has items of one count";
         }},
        {"shapes' starts out of order", [](Sections& s) { s.As<std::uint32_t>(0x118)[1] = 1000; }},
        {"records' first items out of order", [](Sections& s) { s.As<std::uint32_t>(0x112)[5] = 1000000; }},
        {"records' items beyond the list",
         [](Sections& s) { s.As<std::uint32_t>(0x112)[s[0x112].size() / 4 - 1] += 1; }},
        {"a block larger than the values", [](Sections& s) { s.As<std::uint64_t>(0x114)[0] += 1; }},
        {"more held records than rows", [](Sections& s) { s.As<std::uint64_t>(0x100)[0] = 5000; }},
        {"the segment elsewhere", [](Sections& s) { s.As<std::uint64_t>(0x110)[0] = 1; }},
        {"a segment that is not there", [](Sections& s) { s.As<std::uint64_t>(0x100)[1] = 2; }},
        {"no structure column", [](Sections& s) { s[1].replace(8, 9, "Struktur_"); }},
        {"a property column twice",
         [](Sections& s) {
             // The last column's name, its length first, once more.
             std::uint64_t length = 0;
             std::size_t at = 0;
             for (std::size_t next = 0; next < s[1].size(); next += 8 + length) {
                 at = next;
                 std::memcpy(&length, s[1].data() + next, 8);
             }
             s[1] += s[1].substr(at);
         }},
        {"more rows than offsets", [](Sections& s) { s.As<std::int64_t>(3)[0] += 1; }},
        {"offsets beyond the file",
         [&](Sections& s) {
             VorlatImportExport::RecordOffsets offsets;
             const std::int64_t far[] = {0, 100, std::int64_t(1) << 40};
             offsets.Append(far, 3);
             s[2].clear();
             offsets.SaveTo(s[2]);
             s.As<std::int64_t>(3)[0] = 3;
         }},
    };
    for (const auto& [what, change] : changes) {
        SCOPED_TRACE(what);
        Sections changed = original;
        change(changed);
        write(changed);
        EXPECT_EQ(Open(path, saved, loaded), expected);
        EXPECT_FALSE(loaded);
    }
}

} // namespace
