#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>

#include "chem/ChemDoc.h"
#include "chem/MolUtilities.h"
#include "chem/Molecule.h"
#include "frame/OpenTableFile.h"
#include "frame/TableDataUtil.h"
#include "host/Exception.h"
#include "host/StringConversion.h"
#include "support/Files.h"
#include "support/Gzip.h"

#include <zlib.h>

namespace {

using VorlatImportExport::OpenTableFile;
using VorlatImportExport::TableFormat;

std::string WriteFile(const std::string& name, const std::string& bytes)
{
    const std::string path = testing::TempDir() + "/" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

std::string CellText(const boost::any& cell)
{
    if (cell.type() != typeid(Chem::ChemDoc*))
        return Host::ToSString(VorlatImportExport::TableDataUtil::BoostAny2WString(cell));
    Chem::ChemDoc* document = boost::any_cast<Chem::ChemDoc*>(cell);
    if (!document)
        return "(none)";
    Chem::DescendentIterator molecules(document->GetTreeRoot(), Chem::Molecule::classType, false, false);
    return "structure " + Chem::MoleculeToSmiles(static_cast<const Chem::Molecule*>(molecules.GetNext()));
}

// The row's cells; a structure (parsing it is the slow part) only every
// eighth row.
std::string RowText(Host::ITableDataProvider& table, int row)
{
    std::string text;
    for (int c = 0; c < table.GetColumnCount(); ++c) {
        if (c > 0 || row % 8 == 0 || table.IsChemistryCell(row, c) != Host::IsChemistry)
            text += CellText(table.GetCellData(row, c));
        text += "|";
    }
    return text;
}

// Counts, titles and every cell; then rows at random, far apart and
// backwards too (a compressed file is read from places noted on the way).
std::vector<std::string> Dump(Host::ITableDataProvider& table)
{
    std::vector<std::string> dump{std::to_string(table.GetRowCount()) + " x " + std::to_string(table.GetColumnCount())};
    for (int c = 0; c < table.GetColumnCount(); ++c)
        dump.push_back(Host::ToSString(table.GetColumnTitle(c)));
    for (int r = 0; r < table.GetRowCount(); ++r)
        dump.push_back(RowText(table, r));
    std::mt19937 random(5);
    for (int k = 0; k < 40 && table.GetRowCount() > 0; ++k) {
        const int r = static_cast<int>(random() % static_cast<unsigned>(table.GetRowCount()));
        dump.push_back(std::to_string(r) + ": " + RowText(table, r));
    }
    return dump;
}

// The file's text, repeated until it is over a mebibyte and a half (so that
// reading a compressed copy resumes at a place noted on the way).
std::string Enlarged(const std::string& text, std::size_t headerLines)
{
    std::size_t headerEnd = 0;
    for (std::size_t k = 0; k < headerLines; ++k)
        headerEnd = text.find('\n', headerEnd) + 1;
    std::string big = text;
    while (big.size() < (1600u << 10))
        big += text.substr(headerEnd);
    return big;
}

TEST(OpenTableFile, CompressedFilesGiveThePlainFilesTables)
{
    const std::string examples = VORLAT_EXAMPLES_DATA_DIR;
    const std::string data = VORLAT_TEST_DATA_DIR;
    const struct {
        std::string source;
        std::string name;
        std::size_t headerLines;
    } files[] = {
        {examples + "/compounds.csv", "compounds.csv", 1},
        {examples + "/compounds-quenbar.txt", "compounds-quenbar.txt", 2},
        {examples + "/compounds.sdf", "compounds.sdf", 0},
        {examples + "/compounds.mol2", "compounds.mol2", 0},
        {data + "/item-kinds-rdkit.sdf", "item-kinds-rdkit.sdf", 0},
        {data + "/compounds-openbabel.mol2", "compounds-openbabel.mol2", 0},
    };
    for (const auto& file : files) {
        SCOPED_TRACE(file.name);
        const std::string text = Enlarged(VorlatTest::ReadFile(file.source), file.headerLines);
        const std::string plain = WriteFile(file.name, text);
        const auto expected = Dump(*OpenTableFile(plain));
        ASSERT_GT(expected.size(), 100u);
        // One member as gzip writes it; members as bgzip writes them.
        for (const std::string& compressed :
             {VorlatTest::Gzip(text), VorlatTest::GzipMembers(text, 65280), VorlatTest::GzipMembers(text, 1000000)}) {
            const std::string path = WriteFile(file.name + ".gz", compressed);
            const VorlatImportExport::TableFileKind kind = VorlatImportExport::SniffTableFile(path);
            EXPECT_TRUE(kind.compressed);
            EXPECT_EQ(kind.format, VorlatImportExport::SniffTableFile(plain).format);
            EXPECT_EQ(Dump(*OpenTableFile(path)), expected);
        }
    }
}

// The data of a gzip file as zlib's own reader gives it.
std::string Gunzip(const std::string& path)
{
    gzFile in = gzopen(path.c_str(), "rb");
    std::string data;
    char buffer[65536];
    for (int n; in && (n = gzread(in, buffer, sizeof buffer)) > 0;)
        data.append(buffer, static_cast<std::size_t>(n));
    if (in)
        gzclose(in);
    return data;
}

TEST(OpenTableFile, FilesCompressedByOtherToolsGiveThePlainFilesTables)
{
    // bgzip (members of 64 KiB with an extra field, an empty last member),
    // pigz (empty stored blocks between its blocks; independent blocks), a
    // header with every optional field, Python's gzip module.
    const std::string folder = std::string(VORLAT_TEST_DATA_DIR) + "/gzip/";
    for (const std::string name : {"corpus-250-bgzip.sdf.gz", "corpus-250-pigz.mol2.gz",
                                   "corpus-250-pigz-independent.mol2.gz", "compounds-header-fields.csv.gz",
                                   "compounds-quenbar.txt.gz"}) {
        SCOPED_TRACE(name);
        const std::string plain = WriteFile(name.substr(0, name.size() - 3), Gunzip(folder + name));
        const auto expected = Dump(*OpenTableFile(plain));
        EXPECT_GT(expected.size(), 20u);
        EXPECT_EQ(Dump(*OpenTableFile(folder + name)), expected);
    }
}

// What opening throws, or "" when it opens.
std::string OpenFailure(const std::string& path, TableFormat format)
{
    try {
        VorlatImportExport::OpenTableOptions options;
        options.format = format;
        OpenTableFile(path, options);
        return "";
    } catch (const Host::OrvixException& failure) {
        return failure.what();
    }
}

TEST(OpenTableFile, BrokenCompressedFilesAreRefusedWithTheFormatsMessage)
{
    const std::string examples = VORLAT_EXAMPLES_DATA_DIR;
    const struct {
        std::string source;
        TableFormat format;
        std::string message;
    } files[] = {
        {"compounds.sdf", TableFormat::Sd, "Unable to process file.\nPlease check the file and try again."},
        {"compounds.mol2", TableFormat::Mol2, "Unknown error reading SYBYL Mol2 file."},
        {"compounds.csv", TableFormat::Csv, "Unable to read file."},
        {"compounds-quenbar.txt", TableFormat::Quenbar, "Unable to read file."},
    };
    for (const auto& file : files) {
        SCOPED_TRACE(file.source);
        const std::string text = VorlatTest::ReadFile(examples + "/" + file.source);
        const std::string good = VorlatTest::Gzip(text);
        std::string flipped = good;
        flipped[good.size() / 2] ^= 0x21;
        const std::string badCases[] = {good.substr(0, good.size() / 2), good.substr(0, good.size() - 4), flipped,
                                        good + "not gzip"};
        for (const std::string& bytes : badCases)
            EXPECT_EQ(OpenFailure(WriteFile("broken.gz", bytes), file.format), file.message);
        // Compressed empty data reads as an empty plain file does.
        EXPECT_EQ(OpenFailure(WriteFile("empty.gz", VorlatTest::Gzip("")), file.format),
                  OpenFailure(WriteFile("empty", ""), file.format));
    }
}

TEST(OpenTableFile, ACompressedFileCutAfterItsIndexReadsAsACutPlainFile)
{
    const std::string text = Enlarged(VorlatTest::ReadFile(std::string(VORLAT_EXAMPLES_DATA_DIR) + "/compounds.sdf"), 0);
    const std::string bytes = VorlatTest::Gzip(text);
    const std::string plainPath = WriteFile("cut.sdf", text);
    const std::string path = WriteFile("cut.sdf.gz", bytes);
    const auto plain = OpenTableFile(plainPath);
    const auto table = OpenTableFile(path);
    const int rows = table->GetRowCount();
    EXPECT_EQ(CellText(table->GetCellData(0, 1)), "Aspirin");
    std::filesystem::resize_file(plainPath, text.size() / 2);
    std::filesystem::resize_file(path, bytes.size() / 2);
    // Cells beyond the cut are empty (the first records' data items were
    // held in memory by the index).
    EXPECT_TRUE(table->GetCellData(rows - 1, 0).empty());
    for (const int row : {rows - 1, rows / 2 + 10, 3})
        EXPECT_EQ(RowText(*table, row), RowText(*plain, row)) << row;
}

TEST(OpenTableFile, FormatFromNameOrFirstLines)
{
    const std::string sd = VorlatTest::ReadFile(std::string(VORLAT_EXAMPLES_DATA_DIR) + "/compounds.sdf");
    const std::string quenbar =
        VorlatTest::ReadFile(std::string(VORLAT_EXAMPLES_DATA_DIR) + "/compounds-quenbar.txt");
    using VorlatImportExport::SniffTableFile;
    EXPECT_EQ(SniffTableFile(WriteFile("records.gz", VorlatTest::Gzip(sd))).format, TableFormat::Sd);
    EXPECT_EQ(SniffTableFile(WriteFile("records.dat", sd)).format, TableFormat::Sd);
    EXPECT_EQ(SniffTableFile(WriteFile("table.txt.gz", VorlatTest::Gzip(quenbar))).format, TableFormat::Quenbar);
    EXPECT_EQ(SniffTableFile(WriteFile("semicolons.txt", "a;b\n1;2\n")).format, TableFormat::Csv);
    // A spreadsheet's tab-separated export with titles: either format.
    EXPECT_EQ(SniffTableFile(WriteFile("excel.txt", "Name\tMW\nAspirin\t180\n")).format, TableFormat::Unknown);
    const std::string noise = WriteFile("noise.gz", VorlatTest::Gzip(std::string("\x01\x02\xff\x00 binary", 11)));
    EXPECT_EQ(SniffTableFile(noise).format, TableFormat::Unknown);
    EXPECT_TRUE(SniffTableFile(noise).compressed);
    EXPECT_THROW(OpenTableFile(noise), std::invalid_argument);
    EXPECT_THROW(OpenTableFile(testing::TempDir() + "/missing.csv"), std::runtime_error);
}

} // namespace
