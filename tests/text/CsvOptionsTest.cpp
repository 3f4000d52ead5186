// CSV files written other ways than comma-separated with a title line: a
// spreadsheet's export under a European locale, tab-separated tables,
// dumps without titles, comment lines before the titles.
#include <algorithm>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <boost/shared_ptr.hpp>

#include "support/CsvByTheRules.h"
#include "support/IndexSettings.h"
#include "text/CsvDataProvider.h"
#include "text/CsvOptions.h"

using VorlatImportExport::CsvDataProvider;
using VorlatImportExport::CsvOptions;

namespace {

// Titles, then each row's values, "|" between cells and a line per row.
std::string TableOf(const std::string& text, const CsvOptions& options, char* separator = nullptr,
                    std::size_t blockSize = CsvDataProvider::DefaultIndexBlockSize)
{
    std::istringstream stream(text);
    CsvDataProvider table(stream, options, boost::shared_ptr<Host::InputStream>(), blockSize);
    if (separator)
        *separator = table.GetSeparator();
    std::ostringstream out;
    std::vector<std::string> values;
    table.GetColumnTitles(values);
    for (const std::string& value : values)
        out << value << "|";
    for (int row = 0; row < table.GetRowCount(); ++row) {
        values.clear();
        table.GetRowValues(row, values);
        out << "\n";
        for (const std::string& value : values)
            out << value << "|";
    }
    return out.str();
}

CsvOptions Separated(char separator)
{
    CsvOptions options;
    options.separator = separator;
    return options;
}

} // namespace

TEST(CsvOptions, SpreadsheetExportWithSemicolons)
{
    // As a spreadsheet under a German locale saves it: a byte-order mark,
    // ";" between fields, decimal commas, CR LF, a quoted field holding
    // the separator and a line break.
    const std::string text = "\xEF\xBB\xBF"
                             "Name;MW;Note\r\n"
                             "Aspirin;180,16;\"analgesic; \"\"old\"\"\r\nand cheap\"\r\n"
                             "Caffeine;194,19;\r\n";
    const std::string expected = "Index|Name|MW|Note|\n"
                                 "1|Aspirin|180,16|analgesic; \"old\"\r\nand cheap|\n"
                                 "2|Caffeine|194,19||";
    EXPECT_EQ(TableOf(text, Separated(';')), expected);
    // The same found from the first lines.
    char found = 0;
    EXPECT_EQ(TableOf(text, Separated(0), &found), expected);
    EXPECT_EQ(found, ';');
    // Read in blocks of a few bytes (the scan's byte-by-byte steps and its
    // 64-byte ones meet the quotes), and on two threads in ranges that cut
    // the quoted fields.
    std::string many = "Name;MW;Note\n";
    for (int i = 0; i < 300; ++i)
        many += "m" + std::to_string(i) + ";1,5;\"a;\nb\"\n";
    const std::string one = TableOf(many, Separated(';'));
    EXPECT_EQ(std::count(one.begin(), one.end(), '\n'), 300 + 300); // rows, and a break in each note
    for (const std::size_t block : {1, 7, 64, 100})
        EXPECT_EQ(TableOf(many, Separated(';'), nullptr, block), one) << block;
    VorlatTest::IndexSettings settings(2, 97);
    EXPECT_EQ(TableOf(many, Separated(';'), nullptr, 50), one);
}

TEST(CsvOptions, TabsAndBarsKeepEmptyFieldsAtTheEnd)
{
    // A tab at a record's end is a separator, not a blank to trim.
    EXPECT_EQ(TableOf("a\tb\tc\n1\t\t\n", Separated('\t')), "Index|a|b|c|\n1|1|||");
    EXPECT_EQ(TableOf("a|b\n\"x|y\"|2  \n", Separated('|')), "Index|a|b|\n1|x|y|2|");
    EXPECT_THROW(
        {
            std::istringstream stream("a:b\n");
            CsvDataProvider table(stream, Separated(':'));
        },
        std::invalid_argument);
}

TEST(CsvOptions, CommentLinesBeforeTheTitles)
{
    CsvOptions options;
    options.commentPrefix = "#";
    // Comments before the titles are passed over (any line end); one after
    // them is a row like any other.
    EXPECT_EQ(TableOf("# written by a database\r\n#\r\n# columns: id, name\rid,name\n1,a\n# 2,b\n", options),
              "Index|id|name|\n1|1|a|\n2|# 2|b|");
    // A longer prefix, and a file of comments only.
    options.commentPrefix = "//";
    EXPECT_EQ(TableOf("// x\n/ not one\n1\n", options), "Index|/ not one|\n1|1|");
    EXPECT_EQ(TableOf("// x\n// y", options), "Index|");
}

TEST(CsvOptions, FilesWithoutTitlesAndFieldsBeyondThem)
{
    CsvOptions options;
    options.titles = false;
    EXPECT_EQ(TableOf("1,a\n2,b,c\n", options), "Index|Column 1|Column 2|\n1|1|a|\n2|2|b|");
    options.extraColumns = true;
    EXPECT_EQ(TableOf("1,a\n2,b,\"c,d\",e\n\n", options),
              "Index|Column 1|Column 2|Column 3|Column 4|\n1|1|a|||\n2|2|b|c,d|e|\n3|||||");
    CsvOptions titled;
    titled.extraColumns = true;
    EXPECT_EQ(TableOf("x,y\n1,2,3\n4\n", titled), "Index|x|y|Column 3|\n1|1|2|3|\n2|4|||");
    // Records larger than the block the count reads at a time.
    const std::string wide = std::string(5 << 20, 'v') + ",w";
    EXPECT_EQ(TableOf("x\n" + wide + "\n", titled).substr(0, 22), "Index|x|Column 2|\n1|vv");
}

TEST(CsvOptions, SeparatorFoundOnlyWithoutDoubt)
{
    EXPECT_EQ(CsvOptions::DetectSeparator("a;b;c\n1;2;3\n"), ';');
    EXPECT_EQ(CsvOptions::DetectSeparator("a\tb\n1\t2\r\n"), '\t');
    // Commas inside quoted fields do not count; a record cut short by the
    // end of the sample is left out.
    EXPECT_EQ(CsvOptions::DetectSeparator("name;value\n\"Smith, John\";1,5\n\"x\";2,"), ';');
    // Two candidates that fit as well, counts that differ, none at all.
    EXPECT_EQ(CsvOptions::DetectSeparator("a;b,c\n1;2,3\n"), 0);
    EXPECT_EQ(CsvOptions::DetectSeparator("a;b\n1;2;3\n"), 0);
    EXPECT_EQ(CsvOptions::DetectSeparator("single\ncolumn\n"), 0);
    EXPECT_EQ(CsvOptions::DetectSeparator(""), 0);
    // Undecided, the table reads commas.
    char found = 0;
    EXPECT_EQ(TableOf("a;b,c\n1;2,3\n", Separated(0), &found), "Index|a;b|c|\n1|1;2|3|");
    EXPECT_EQ(found, ',');
}

TEST(CsvOptions, OtherSeparatorsFollowTheRulesInEveryArrangement)
{
    // Random texts over a small alphabet with the separator, commas and
    // tabs, read in blocks of a few bytes, against the rules read byte by
    // byte.
    std::mt19937 random(5);
    const std::size_t blocks[] = {1, 2, 3, 5, 64, 65, 100, 1 << 20};
    for (const char separator : {';', '\t', '|'}) {
        const char alphabet[] = {'a', '1', separator, separator, ',', '\t', '\n', '\r', ' ', '"', '"'};
        for (int i = 0; i < 1500; ++i) {
            const bool longer = i % 3 == 0;
            std::string text(random() % (longer ? 700 : 48), ' ');
            for (char& c : text)
                c = longer && random() % 4 != 0 ? 'a' : alphabet[random() % sizeof alphabet];
            const VorlatTest::CsvByTheRules expected = VorlatTest::ReadCsvByTheRules(text, separator);
            std::istringstream stream(text);
            CsvDataProvider table(stream, Separated(separator), boost::shared_ptr<Host::InputStream>(),
                                  blocks[random() % (sizeof blocks / sizeof blocks[0])]);
            ASSERT_EQ(table.GetRowCount(), static_cast<int>(expected.rows.size())) << testing::PrintToString(text);
            ASSERT_EQ(table.GetColumnCount(), static_cast<int>(expected.titles.size())) << testing::PrintToString(text);
            for (int row = 0; row < table.GetRowCount(); ++row) {
                std::vector<std::string> values;
                table.GetRowValues(row, values);
                ASSERT_EQ(values, expected.rows[static_cast<std::size_t>(row)]) << testing::PrintToString(text);
            }
        }
    }
}
