#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/CsvByTheRules.h"
#include "support/Files.h"
#include "support/PipeBuffer.h"

#include "chem/CsvUtilities.h"
#include "frame/TableDataUtil.h"
#include "host/StringConversion.h"
#include "host/Exception.h"
#include "text/CsvDataProvider.h"
#include "text/RecordStarts.h"

using VorlatImportExport::CsvDataProvider;
using VorlatImportExport::TableDataUtil;
using Strings = std::vector<std::string>;

namespace {

// A string literal with its NUL bytes.
template <std::size_t N>
std::string Bytes(const char (&literal)[N])
{
    return std::string(literal, N - 1);
}

// A provider over text held in memory.
struct Csv {
    explicit Csv(const std::string& text, std::size_t blockSize = CsvDataProvider::DefaultIndexBlockSize)
        : stream(text), provider(stream, blockSize)
    {
    }
    std::istringstream stream;
    CsvDataProvider provider;

    Strings Row(int row)
    {
        Strings values;
        provider.GetRowValues(row, values);
        return values;
    }
};

// What the provider must give, row by row, by the documented rules.
std::vector<Strings> ReferenceRows(const std::string& text) { return VorlatTest::ReadCsvByTheRules(text).rows; }

} // namespace

TEST(CsvDataProvider, TypesCellsAndNumbersRows)
{
    Csv csv("id,name,mw\n1,aspirin, 180.16 \n2,caffeine,194.19\n");
    CsvDataProvider& p = csv.provider;
    ASSERT_EQ(p.GetRowCount(), 2);
    ASSERT_EQ(p.GetColumnCount(), 4);
    EXPECT_EQ(p.GetColumnTitle(0), L"Index");
    EXPECT_EQ(p.GetColumnTitle(3), L"mw");
    EXPECT_EQ(p.GetRowTitle(1), L"2");
    EXPECT_EQ(boost::any_cast<int>(p.GetCellData(1, 0)), 2);
    EXPECT_EQ(boost::any_cast<int>(p.GetCellData(0, 1)), 1);
    EXPECT_EQ(boost::any_cast<std::wstring>(p.GetCellData(0, 2)), L"aspirin");
    EXPECT_EQ(boost::any_cast<float>(p.GetCellData(0, 3)), 180.16f);
    EXPECT_EQ(p.GetCellDataTypeId(0, 3), typeid(float));
    EXPECT_FALSE(p.SetCellData(0, 1, boost::any(5)));
    EXPECT_EQ(boost::any_cast<int>(p.GetCellData(0, 1)), 1);

    Strings titles{"kept"};
    p.GetColumnTitles(titles);
    EXPECT_EQ(titles, (Strings{"kept", "Index", "id", "name", "mw"}));
    EXPECT_EQ(csv.Row(1), (Strings{"2", "2", "caffeine", "194.19"}));

    // Outside the table: no value, no crash.
    EXPECT_TRUE(p.GetCellData(2, 1).empty());
    EXPECT_TRUE(p.GetCellData(-1, 1).empty());
    EXPECT_TRUE(p.GetCellData(0, -1).empty());
}

TEST(CsvDataProvider, IndexMatchesLineByLineReadAtEveryBlockEdge)
{
    const std::string texts[] = {
        "",
        "h",
        "h\n",
        "a,b",
        "a,b\n1,2",
        "a,b\n1,2\n",
        "a,b\n\n\n1,2\n\n",                    // empty lines are rows
        "a,b\r\n1,2\r\n3,4\n5,6\r\n",          // CR LF and LF mixed
        "a,b\n1,2 \t\r\n x , y \n",            // trailing blanks go
        "a,b\n\n",
        "\n\n\n",
        "a\n\r\n\r",
        Bytes("a,b\n1,\0x\n\0\n"),   // NUL bytes inside lines
        "a,b\n\"open,quote\n\"q\"\"x\",2\n",   // a quote closed on a later line
        "a,b\n1,\"never closed\n2,x\n3,y\n",   // a stray quote ends its record at its line end
        "a,b\n1,\"two\nlines\"\n2,\"x\r\ny\"\r\n",  // quoted line breaks stay in the field
        "a,b\n1,\"say \"\"hi\"\"\nthere\",z\n",   // doubled quotes and a line break
        "a,b\n1,5\" disk\n2,x\n",             // a quote inside a field is text
        "\"multi\nline\",b\n1,2\n",          // a title with a line break
        "a,b\r1,2\r3,4\r",                   // old Mac line ends
        "a,b\r\r1,2\r\n3,4",                // lone CR, CR LF and none mixed
        "\xEF\xBB\xBFid,v\n1,2\n",            // a byte-order mark
        "\xEF\xBB\xBF",
        "a,b\n1\n1,2,3,4\n",                   // fewer and more fields than the header
        "a\n\xFF\xFE,\xC3\xA9\n",              // invalid UTF-8
    };
    std::vector<std::string> all(std::begin(texts), std::end(texts));
    // What the differential fuzzer found: a doubled quote across a 64-byte
    // step, then a stray quote.
    all.push_back(VorlatTest::ReadFile(VORLAT_TEST_DATA_DIR "/fuzz-csv-doubled-quote-at-chunk-edge.csv"));
    ASSERT_GT(all.back().size(), 2000u);
    for (const std::string& text : all) {
        const std::vector<Strings> expected = ReferenceRows(text);
        for (std::size_t block : {1, 2, 3, 4, 5, 7, 16, 64, 65, 100, 1 << 20}) {
            Csv csv(text, block);
            ASSERT_EQ(csv.provider.GetRowCount(), static_cast<int>(expected.size())) << text << " block " << block;
            for (int row = 0; row < csv.provider.GetRowCount(); ++row)
                EXPECT_EQ(csv.Row(row), expected[static_cast<std::size_t>(row)]) << text << " block " << block;
        }
    }

    // Random texts over a small alphabet hit every arrangement of line ends.
    std::mt19937 random(3);
    const char alphabet[] = {'a', '1', ',', '\n', '\n', '\r', ' ', '"', '"', ','};
    // Longer texts, mostly plain bytes, go through the 64-byte steps too.
    const std::size_t blocks[] = {1, 2, 3, 5, 6, 64, 65, 100, 129, 1 << 20};
    for (int i = 0; i < 3000; ++i) {
        const bool longer = i % 3 == 0;
        std::string text(random() % (longer ? 700 : 48), ' ');
        for (char& c : text)
            c = longer && random() % 4 != 0 ? 'a' : alphabet[random() % sizeof alphabet];
        const std::vector<Strings> expected = ReferenceRows(text);
        Csv csv(text, blocks[random() % (sizeof blocks / sizeof blocks[0])]);
        ASSERT_EQ(csv.provider.GetRowCount(), static_cast<int>(expected.size())) << testing::PrintToString(text);
        for (int row = 0; row < csv.provider.GetRowCount(); ++row)
            ASSERT_EQ(csv.Row(row), expected[static_cast<std::size_t>(row)]) << text;
    }
}

TEST(CsvDataProvider, DegenerateFiles)
{
    Csv empty("");
    EXPECT_EQ(empty.provider.GetRowCount(), 0);
    EXPECT_EQ(empty.provider.GetColumnCount(), 1);
    EXPECT_EQ(empty.provider.GetColumnTitle(0), L"Index");

    Csv headerOnly("a,b,c");
    EXPECT_EQ(headerOnly.provider.GetRowCount(), 0);
    EXPECT_EQ(headerOnly.provider.GetColumnCount(), 4);

    // Short rows read as empty texts; long rows keep the table's width.
    Csv ragged("a,b,c\n1\n1,2,3,4,5\n");
    EXPECT_EQ(boost::any_cast<std::wstring>(ragged.provider.GetCellData(0, 3)), L"");
    EXPECT_EQ(ragged.Row(0), (Strings{"1", "1", "", ""}));
    EXPECT_EQ(ragged.Row(1), (Strings{"2", "1", "2", "3"}));

    // Bytes come back as they are in the file: NUL, invalid UTF-8, quotes.
    Csv bytes(Bytes("a,b,c\nx\0y,\xFF\xC0\x80,\"q,\"\"\"\n"));
    EXPECT_EQ(bytes.Row(0), (Strings{"1", std::string("x\0y", 3), "\xFF\xC0\x80", "q,\""}));
}

TEST(CsvDataProvider, ReadsRecordsInAnyOrderAndThroughCopies)
{
    Csv csv("h\nfirst\nsecond\nlast");
    CsvDataProvider copy(csv.provider);
    EXPECT_EQ(boost::any_cast<std::wstring>(csv.provider.GetCellData(2, 1)), L"last");
    EXPECT_EQ(boost::any_cast<std::wstring>(csv.provider.GetCellData(0, 1)), L"first");
    // The copy moves the shared stream; each keeps its own last split line.
    EXPECT_EQ(boost::any_cast<std::wstring>(copy.GetCellData(1, 1)), L"second");
    EXPECT_EQ(boost::any_cast<std::wstring>(csv.provider.GetCellData(0, 1)), L"first");
    EXPECT_EQ(boost::any_cast<std::wstring>(copy.GetCellData(2, 1)), L"last");
    EXPECT_EQ(boost::any_cast<std::wstring>(csv.provider.GetCellData(1, 1)), L"second");
    EXPECT_EQ(copy.GetRowCount(), 3);
}

TEST(CsvDataProvider, OffsetsCountFromTheStreamStart)
{
    // The stream is handed over positioned at the header, after other data.
    std::istringstream stream("preamble\nid\n7\n8\n");
    std::string skipped;
    std::getline(stream, skipped);
    CsvDataProvider p(stream, 3);
    ASSERT_EQ(p.GetRowCount(), 2);
    EXPECT_EQ(p.GetColumnTitle(1), L"id");
    EXPECT_EQ(boost::any_cast<int>(p.GetCellData(1, 1)), 8);
    EXPECT_EQ(boost::any_cast<int>(p.GetCellData(0, 1)), 7);
}

TEST(CsvDataProvider, ManyRowsKeepTheirPlaceInTheIndex)
{
    // Thousands of rows of uneven lengths, with quoted line breaks, CR LF
    // ends and runs of empty rows (many starts in one 64-byte step): every
    // row is where the line by line read finds it, read through a copy.
    std::string text = "id,text\n";
    for (int i = 0; i < 5000; ++i)
        text += std::to_string(i) + "," + std::string(static_cast<std::size_t>(i * 37 % 150), 'x') +
                (i % 50 == 7 ? ",\"two\nlines\"" : "") + (i % 9 ? "\n" : "\r\n") + (i % 500 < 200 ? "\n" : "");
    const std::vector<Strings> expected = ReferenceRows(text);
    for (std::size_t block : {65, 1 << 20}) {
        Csv csv(text, block);
        CsvDataProvider copy(csv.provider);
        ASSERT_EQ(copy.GetRowCount(), static_cast<int>(expected.size())) << block;
        for (int row = copy.GetRowCount() - 1; row >= 0; --row) {
            Strings values;
            copy.GetRowValues(row, values);
            ASSERT_EQ(values, expected[static_cast<std::size_t>(row)]) << "block " << block << " row " << row;
        }
    }
    // Lines of 100 bytes cost the index under 3 bytes each.
    std::string lines = "a\n";
    for (int i = 0; i < 20000; ++i)
        lines += std::string(99, 'x') + "\n";
    Csv table(lines);
    ASSERT_EQ(table.provider.GetRowCount(), 20000);
    EXPECT_LT(table.provider.GetIndexMemoryUsage(), 3u * 20000);
}

TEST(CsvDataProvider, HugeLine)
{
    // One 50 MB data line of two fields.
    const std::size_t size = 50u << 20;
    std::string big(size, 'x');
    big[size / 2] = ',';
    Csv csv("a,b\n" + big + "\nend,2\n", 4096);
    ASSERT_EQ(csv.provider.GetRowCount(), 2);
    const Strings row = csv.Row(0);
    ASSERT_EQ(row.size(), 3u);
    EXPECT_EQ(row[1], big.substr(0, size / 2));
    EXPECT_EQ(row[2], big.substr(size / 2 + 1));
    EXPECT_EQ(csv.Row(1), (Strings{"2", "end", "2"}));
}

TEST(CsvDataProvider, AStrayQuoteSwallowsNoMoreThanTheBound)
{
    // A quote opened on row 1 "closes" 40 lines later: within the bound it
    // is one field of 41 lines; past the bound it was a stray quote, and its
    // record ends at its own line end.
    std::string text = "a,b\n1,\"x\n";
    for (int i = 0; i < 40; ++i)
        text += std::to_string(i) + ",v\n";
    text += "9,\"z\"\n";
    for (std::int64_t bound : {std::int64_t(4) << 20, std::int64_t(64)}) {
        std::istringstream stream(text);
        VorlatImportExport::RecordScan scan;
        scan.blockSize = 16;
        scan.maxQuotedBytes = bound;
        VorlatImportExport::RecordOffsets offsets;
        EXPECT_EQ(VorlatImportExport::FindRecordStarts(stream, scan, offsets), static_cast<std::int64_t>(text.size()));
        EXPECT_EQ(offsets.size(), bound == 64 ? 43u : 2u) << bound;
        if (bound == 64) {
            EXPECT_EQ(offsets[2], static_cast<std::int64_t>(text.find("0,v")));
        }
    }
}

TEST(CsvDataProvider, StreamsThatCannotSeekOrThrow)
{
    VorlatTest::PipeBuffer pipe("a,b\n1,2\n");
    std::istream piped(&pipe);
    try {
        CsvDataProvider p(piped);
        FAIL() << "a stream that cannot seek was read";
    } catch (const Host::OrvixException& e) {
        EXPECT_EQ(e.GetWideMessage().rfind(L"The file cannot be read at random positions: ", 0), 0u);
    }

    // A caller's stream that throws on every flag reads like any other and
    // keeps its setting.
    std::istringstream throwing("a,b\n1,\"x\ny\"\n2,3");
    const std::ios::iostate all = std::ios::failbit | std::ios::badbit | std::ios::eofbit;
    throwing.exceptions(all);
    CsvDataProvider p(throwing, 3);
    ASSERT_EQ(p.GetRowCount(), 2);
    EXPECT_EQ(boost::any_cast<std::wstring>(p.GetCellData(0, 2)), L"x\ny");
    EXPECT_EQ(boost::any_cast<int>(p.GetCellData(1, 2)), 3);
    EXPECT_EQ(boost::any_cast<int>(p.GetCellData(0, 1)), 1);
    EXPECT_EQ(throwing.exceptions(), all);
}

TEST(CsvDataProvider, SpreadsheetExportsReadWhole)
{
    // As Excel's "CSV UTF-8" and pandas write them: a byte-order mark, CR LF
    // line ends, quoted notes with line breaks.
    Csv csv("\xEF\xBB\xBFid,note,mw\r\n"
            "1,\"first line\r\nsecond line\",180.16\r\n"
            "2,\"He said \"\"no\"\"\",194.19\r\n");
    ASSERT_EQ(csv.provider.GetRowCount(), 2);
    EXPECT_EQ(csv.provider.GetColumnTitle(1), L"id");
    EXPECT_EQ(csv.Row(0), (Strings{"1", "1", "first line\r\nsecond line", "180.16"}));
    EXPECT_EQ(csv.Row(1), (Strings{"2", "2", "He said \"no\"", "194.19"}));
}
