#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "text/QuenbarDataProvider.h"

using VorlatImportExport::QuenbarDataProvider;

namespace {

std::wstring Text(const boost::any& value) { return boost::any_cast<std::wstring>(value); }

} // namespace

TEST(QuenbarDataProvider, TokensTitlesAndCounts)
{
    std::istringstream stream("int\tstring\t\tfloat\nid\tname\tmw\n1\t\taspirin\t180.2\n\t2\tcaffeine\n\n3\tx\r\nlast");
    QuenbarDataProvider p(stream);
    ASSERT_EQ(p.GetRowCount(), 5);
    EXPECT_EQ(p.GetColumnCount(), 3);
    EXPECT_EQ(p.GetRecordCount(), 5);
    EXPECT_EQ(p.GetHeaderCount(), 2);
    EXPECT_EQ(p.GetLineCount(), 7);
    EXPECT_EQ(p.GetColumnTitle(2), L"mw");
    EXPECT_EQ(p.GetColumnTitle(3), L"");
    EXPECT_EQ(p.GetRowTitle(0), L"1");
    EXPECT_EQ(Text(p.GetCellData(0, 1)), L"aspirin"); // two tabs act as one
    EXPECT_EQ(Text(p.GetCellData(0, 2)), L"180.2");    // not typed
    EXPECT_EQ(Text(p.GetCellData(1, 0)), L"2");        // a leading tab adds nothing
    EXPECT_EQ(Text(p.GetCellData(1, 2)), L"");         // beyond the record's tokens
    EXPECT_EQ(Text(p.GetCellData(2, 0)), L"");         // an empty line: a record without cells
    EXPECT_EQ(Text(p.GetCellData(3, 1)), L"x");        // the CR of CR LF is no part of it
    EXPECT_EQ(Text(p.GetCellData(4, 0)), L"last");
    EXPECT_FALSE(p.SetCellData(0, 0, boost::any(1)));

    // Indexing again gives the same table, not twice as many rows.
    EXPECT_TRUE(p.InitDataProvider());
    EXPECT_EQ(p.GetRowCount(), 5);
    EXPECT_EQ(p.GetLineCount(), 7);
    QuenbarDataProvider copy(p);
    EXPECT_EQ(Text(copy.GetCellData(0, 1)), L"aspirin");

    std::istringstream headers("a\tb\r\nA\tB\r\n");
    QuenbarDataProvider onlyHeaders(headers);
    EXPECT_EQ(onlyHeaders.GetRowCount(), 0);
    EXPECT_EQ(onlyHeaders.GetLineCount(), 2);
    EXPECT_EQ(onlyHeaders.GetColumnTitle(1), L"B");

    // Old Mac line ends and a byte-order mark.
    std::istringstream mac("\xEF\xBB\xBF" "a\tb\rA\tB\r1\t2 \r\r3\t4\r\n5\t6");
    QuenbarDataProvider old(mac);
    ASSERT_EQ(old.GetRowCount(), 4);
    EXPECT_EQ(old.GetColumnCount(), 2);
    EXPECT_EQ(old.GetColumnTitle(0), L"A");
    EXPECT_EQ(Text(old.GetCellData(0, 1)), L"2 "); // blanks are kept
    EXPECT_EQ(Text(old.GetCellData(1, 0)), L"");
    EXPECT_EQ(Text(old.GetCellData(2, 1)), L"4");
    EXPECT_EQ(Text(old.GetCellData(3, 1)), L"6");
    std::istringstream empty("");
    QuenbarDataProvider none(empty);
    EXPECT_EQ(none.GetRowCount(), 0);
    EXPECT_EQ(none.GetColumnCount(), 0);
}

TEST(QuenbarDataProvider, RecordsBeyondTwoGibibytes)
{
    // A sparse file: a few records, a hole past 2 GiB, then the last
    // records. 32-bit offsets would point the last rows at wrong places.
    const std::string path = testing::TempDir() + "/sparse-quenbar.txt";
    {
        std::ofstream out(path, std::ios::binary);
        out << "s\ts\nname\tvalue\nfirst\t1\nsecond\t2\n";
        out.seekp((std::streamoff(1) << 31) + 1000);
        out << "\nbeyond\t3\nlast\t4\n";
    }
    std::ifstream in(path, std::ios::binary);
    QuenbarDataProvider p(in);
    ASSERT_EQ(p.GetRowCount(), 5); // first, second, the hole's line, beyond, last
    EXPECT_EQ(Text(p.GetCellData(1, 0)), L"second");
    EXPECT_EQ(Text(p.GetCellData(3, 0)), L"beyond");
    EXPECT_EQ(Text(p.GetCellData(4, 1)), L"4");
    in.close();
    std::filesystem::remove(path);
}
