#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "chem/CsvUtilities.h"
#include "frame/TableDataUtil.h"
#include "host/StringConversion.h"
#include "text/CsvDataProvider.h"

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

// What a line-by-line read of the text gives, row by row: the row number,
// then the typed text of each field of the line, padded to the header's width.
std::vector<Strings> ReferenceRows(const std::string& text)
{
    std::istringstream in(text);
    std::string line;
    const auto readLine = [&]() -> bool {
        if (!std::getline(in, line))
            return false;
        line.erase(line.find_last_not_of(" \t\n\v\f\r") + 1);
        return true;
    };
    Strings titles{"Index"};
    if (readLine())
        Chem::CsvUtilities::GetFields(line, titles);
    std::vector<Strings> rows;
    while (readLine()) {
        Strings fields{std::to_string(rows.size() + 1)};
        Chem::CsvUtilities::GetFields(line, fields);
        fields.resize(titles.size());
        for (std::size_t i = 1; i < fields.size(); ++i)
            fields[i] = Host::ToSString(TableDataUtil::BoostAny2WString(TableDataUtil::SStringToBoostAny(fields[i])));
        rows.push_back(fields);
    }
    return rows;
}

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
        "a,b\n\"open,quote\n\"q\"\"x\",2\n",   // unterminated quote stays on its line
        "a,b\n1\n1,2,3,4\n",                   // fewer and more fields than the header
        "a\n\xFF\xFE,\xC3\xA9\n",              // invalid UTF-8
    };
    for (const std::string& text : texts) {
        const std::vector<Strings> expected = ReferenceRows(text);
        for (std::size_t block : {1, 2, 3, 4, 5, 7, 16, 1 << 20}) {
            Csv csv(text, block);
            ASSERT_EQ(csv.provider.GetRowCount(), static_cast<int>(expected.size())) << text << " block " << block;
            for (int row = 0; row < csv.provider.GetRowCount(); ++row)
                EXPECT_EQ(csv.Row(row), expected[static_cast<std::size_t>(row)]) << text << " block " << block;
        }
    }

    // Random texts over a small alphabet hit every arrangement of line ends.
    std::mt19937 random(3);
    const char alphabet[] = {'a', '1', ',', '\n', '\n', '\r', ' ', '"'};
    for (int i = 0; i < 300; ++i) {
        std::string text(random() % 40, ' ');
        for (char& c : text)
            c = alphabet[random() % sizeof alphabet];
        const std::vector<Strings> expected = ReferenceRows(text);
        Csv csv(text, 1 + random() % 6);
        ASSERT_EQ(csv.provider.GetRowCount(), static_cast<int>(expected.size())) << text;
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
