#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "chem/CsvUtilities.h"

using Fields = std::vector<std::string>;

TEST(CsvUtilities, SplitsByRfc4180)
{
    struct Case {
        std::string line;
        Fields fields;
    };
    const Case cases[] = {
        {"", {}},
        {"a", {"a"}},
        {",", {"", ""}},
        {"a,", {"a", ""}},
        {"a,b,c", {"a", "b", "c"}},
        {" a , b ", {" a ", " b "}},                   // blanks are kept
        {"\"a,b\",c", {"a,b", "c"}},                   // comma inside quotes
        {"\"say \"\"hi\"\"\",x", {"say \"hi\"", "x"}}, // doubled quote
        {"\"\"", {""}},
        {"\"\",\"\"", {"", ""}},
        {"\"open,never closed", {"open,never closed"}}, // unterminated quote
        {"\"ab\"cd,e", {"abcd", "e"}},                 // text after the closing quote
        {" \"a\"", {" \"a\""}},                        // a blank first: not quoted
        {"a\"b,c", {"a\"b", "c"}},                     // quote inside an unquoted field
        {std::string("a\0b,c", 5), {std::string("a\0b", 3), "c"}},
        {"\xC3\xA9,\xFF", {"\xC3\xA9", "\xFF"}},
    };
    for (const Case& c : cases) {
        Fields fields{"kept"};
        Chem::CsvUtilities::GetFields(c.line, fields);
        Fields expected{"kept"};
        expected.insert(expected.end(), c.fields.begin(), c.fields.end());
        EXPECT_EQ(fields, expected) << c.line;
    }
}
