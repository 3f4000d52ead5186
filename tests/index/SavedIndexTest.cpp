#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>

#include "frame/OpenTableFile.h"
#include "frame/TableDataUtil.h"
#include "host/StringConversion.h"
#include "index/RecordOffsets.h"
#include "index/SavedIndex.h"
#include "support/Files.h"

namespace {

namespace fs = std::filesystem;
using VorlatImportExport::FileFingerprint;
using VorlatImportExport::OpenTableFile;
using VorlatImportExport::OpenTableOptions;
using VorlatImportExport::TableFormat;

struct Folder : VorlatTest::TempFolder {
    Folder() : TempFolder("saved-index-") {}
};

std::vector<std::string> Dump(Host::ITableDataProvider& table)
{
    std::vector<std::string> dump{std::to_string(table.GetRowCount()) + " x " + std::to_string(table.GetColumnCount())};
    for (int c = 0; c < table.GetColumnCount(); ++c)
        dump.push_back(Host::ToSString(table.GetColumnTitle(c)));
    for (int r = 0; r < table.GetRowCount(); ++r) {
        std::string row;
        for (int c = 0; c < table.GetColumnCount(); ++c)
            row += Host::ToSString(VorlatImportExport::TableDataUtil::BoostAny2WString(table.GetCellData(r, c))) + "|";
        dump.push_back(row);
    }
    return dump;
}

// Opens path with its saved index at saved; loaded tells whether the index
// came from it.
std::vector<std::string> OpenWithSaved(const std::string& path, const std::string& saved, bool& loaded,
                                       OpenTableOptions options = {})
{
    options.savedIndex = saved;
    const auto table = OpenTableFile(path, options);
    loaded = VorlatImportExport::IndexWasLoaded(*table);
    return Dump(*table);
}

std::string Rows(int count, const std::string& lineEnd)
{
    std::string text = "\xEF\xBB\xBFid,name,\"note, quoted\",value" + lineEnd;
    for (int i = 0; i < count; ++i)
        text += std::to_string(i) + ",name " + std::to_string(i) + ",\"line one" + lineEnd + "line \"\"two\"\"\"," +
                std::to_string(i * 0.5) + lineEnd;
    return text;
}

TEST(SavedIndex, LoadedTablesAreTheScannedOnes)
{
    Folder folder;
    const std::string examples = VORLAT_EXAMPLES_DATA_DIR;
    struct Case {
        std::string path;
        OpenTableOptions options;
    };
    std::vector<Case> cases = {{examples + "/compounds.csv", {}},
                               {examples + "/compounds-quenbar.txt", {}},
                               {folder.Write("quoted.csv", Rows(5000, "\r\n")), {}},
                               {folder.Write("lf.csv", Rows(300, "\n")), {}},
                               {folder.Write("empty.csv", ""), {}},
                               {folder.Write("titles-only.csv", "a,b\n"), {}}};
    Case found{folder.Write("semicolons.csv", "# comment\nx;y\n1;2\n3;4;5\n"), {}};
    found.options.csv.separator = 0;
    found.options.csv.commentPrefix = "#";
    found.options.csv.extraColumns = true;
    cases.push_back(found);
    Case untitled{folder.Write("untitled.csv", "1,2\n3,4\n"), {}};
    untitled.options.csv.titles = false;
    cases.push_back(untitled);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const std::string saved = (folder.path / (fs::path(c.path).filename().string() + ".index")).string();
        const auto expected = Dump(*OpenTableFile(c.path, c.options));
        bool loaded = true;
        EXPECT_EQ(OpenWithSaved(c.path, saved, loaded, c.options), expected);
        EXPECT_FALSE(loaded);
        ASSERT_TRUE(fs::exists(saved));
        EXPECT_EQ(OpenWithSaved(c.path, saved, loaded, c.options), expected);
        EXPECT_TRUE(loaded);
    }
}

TEST(SavedIndex, AnotherFileOrOtherOptionsAreScannedAgain)
{
    Folder folder;
    const std::string text = Rows(2000, "\n");
    const std::string path = folder.Write("data.csv", text);
    const std::string saved = (folder.path / "data.index").string();
    bool loaded = false;
    OpenWithSaved(path, saved, loaded);
    // The file's time put back after a change of the same size, so that
    // only the content tells the change.
    struct stat original {};
    ::stat(path.c_str(), &original);
    const auto restoreTime = [&] {
        const struct timespec times[2] = {original.st_atim, original.st_mtim};
        ::utimensat(AT_FDCWD, path.c_str(), times, 0);
    };

    // Each change, then the table as a scan gives it, then loaded again.
    const std::vector<std::pair<std::string, std::string>> changes = {
        {"a byte of the head, same size and time", "X" + text.substr(1)},
        {"a byte of the tail, same size and time", text.substr(0, text.size() - 2) + "9\n"},
        {"grown", text + "2000,late,\"x\",1\n"},
        {"shrunk", text.substr(0, text.size() / 2)},
    };
    for (const auto& [what, changed] : changes) {
        SCOPED_TRACE(what);
        folder.Write("data.csv", changed);
        if (changed.size() == text.size())
            restoreTime();
        const auto expected = Dump(*OpenTableFile(path));
        EXPECT_EQ(OpenWithSaved(path, saved, loaded), expected);
        EXPECT_FALSE(loaded);
        EXPECT_EQ(OpenWithSaved(path, saved, loaded), expected);
        EXPECT_TRUE(loaded);
        folder.Write("data.csv", text);
        restoreTime();
        OpenWithSaved(path, saved, loaded);
    }
    // Touched: the same bytes, another time.
    folder.Write("data.csv", text);
    OpenWithSaved(path, saved, loaded);
    EXPECT_FALSE(loaded);
    // Options that shape the index otherwise.
    OpenTableOptions untitled;
    untitled.csv.titles = false;
    EXPECT_EQ(OpenWithSaved(path, saved, loaded, untitled), Dump(*OpenTableFile(path, untitled)));
    EXPECT_FALSE(loaded);
    // The saved index of a Quenbar table is no CSV index, even of this file.
    OpenTableOptions quenbar;
    quenbar.format = TableFormat::Quenbar;
    OpenWithSaved(path, saved, loaded, quenbar);
    EXPECT_FALSE(loaded);
    OpenWithSaved(path, saved, loaded);
    EXPECT_FALSE(loaded);
}

TEST(SavedIndex, DamagedOrHostileSavedIndexesAreNotUsed)
{
    Folder folder;
    const std::string path = folder.Write("data.csv", Rows(700, "\r\n"));
    const std::string saved = (folder.path / "data.index").string();
    bool loaded = false;
    const auto expected = OpenWithSaved(path, saved, loaded);
    const std::string good = VorlatTest::ReadFile(saved);
    std::mt19937 random(3);
    std::vector<std::string> damaged;
    for (std::size_t cut = 0; cut < good.size(); cut += 1 + good.size() / 40)
        damaged.push_back(good.substr(0, cut));
    for (int k = 0; k < 60; ++k) {
        std::string flipped = good;
        flipped[random() % good.size()] ^= static_cast<char>(1 + random() % 255);
        damaged.push_back(flipped);
    }
    damaged.push_back(good + "more");
    for (const std::string& bytes : damaged) {
        folder.Write("data.index", bytes);
        EXPECT_EQ(OpenWithSaved(path, saved, loaded), expected);
        EXPECT_FALSE(loaded);
    }

    // Well formed, with a right check value, but not an index of the file:
    // offsets out of order, beyond its end, titles without "Index".
    FileFingerprint fingerprint;
    ASSERT_TRUE(FileFingerprint::Of(path, fingerprint));
    const std::string key = "csv separator=44 titles=1 extra=0 block=1048576 comment=";
    const auto write = [&](const std::vector<std::int64_t>& offsets, std::int64_t end,
                           const std::vector<std::string>& titles) {
        VorlatImportExport::RecordOffsets list;
        list.Append(offsets.data(), offsets.size());
        std::string bytes;
        list.SaveTo(bytes);
        VorlatImportExport::SavedIndexWriter writer(1, fingerprint, key);
        writer.AddTexts(1, titles);
        writer.Add(2, bytes);
        writer.AddNumber(3, end);
        writer.AddNumber(4, ',');
        ASSERT_TRUE(writer.WriteTo(saved));
    };
    write({3, 40, 100}, 200, {"Index", "id"});
    OpenWithSaved(path, saved, loaded);
    EXPECT_TRUE(loaded) << "the crafted index itself is well formed";
    write({3, 100, 40}, 200, {"Index", "id"});
    EXPECT_EQ(OpenWithSaved(path, saved, loaded), expected);
    EXPECT_FALSE(loaded);
    write({3, 40, std::int64_t(1) << 60}, std::int64_t(1) << 61, {"Index", "id"});
    EXPECT_EQ(OpenWithSaved(path, saved, loaded), expected);
    EXPECT_FALSE(loaded);
    write({3, 40, 100}, 200, {"id"});
    EXPECT_EQ(OpenWithSaved(path, saved, loaded), expected);
    EXPECT_FALSE(loaded);
}

TEST(SavedIndex, WritingNeverFailsTheTableNorLeavesHalfAFile)
{
    Folder folder;
    const std::string path = folder.Write("data.csv", Rows(3000, "\n"));
    const auto expected = Dump(*OpenTableFile(path));
    bool loaded = false;
    // A folder that does not exist (or cannot be written): no saved index.
    EXPECT_EQ(OpenWithSaved(path, (folder.path / "missing" / "data.index").string(), loaded), expected);
    // Several openings at once, each writing the same saved index.
    const std::string saved = (folder.path / "data.index").string();
    std::vector<std::thread> threads;
    std::vector<std::vector<std::string>> tables(4);
    for (std::size_t t = 0; t < tables.size(); ++t)
        threads.emplace_back([&, t] {
            bool unused = false;
            tables[t] = OpenWithSaved(path, saved, unused);
        });
    for (auto& thread : threads)
        thread.join();
    for (const auto& table : tables)
        EXPECT_EQ(table, expected);
    EXPECT_EQ(OpenWithSaved(path, saved, loaded), expected);
    EXPECT_TRUE(loaded);
    // Nothing but the file and its saved index is left in the folder.
    std::size_t entries = 0;
    for (const auto& entry : fs::directory_iterator(folder.path))
        entries += entry.is_regular_file() ? 1 : 0;
    EXPECT_EQ(entries, 2u);
}

} // namespace
