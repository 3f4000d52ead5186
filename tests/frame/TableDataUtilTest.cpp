#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "frame/TableDataUtil.h"
#include "support/MemoryTable.h"

using VorlatImportExport::TableDataUtil;
using VorlatTest::MakeTable;

namespace {

// The kind and text of a value, for comparing typed results in one line.
std::string Describe(const boost::any& value)
{
    const std::type_info& type = value.type();
    const char* kind = type == typeid(int)            ? "int"
                       : type == typeid(float)        ? "float"
                       : type == typeid(double)       ? "double"
                       : type == typeid(std::wstring) ? "text"
                       : value.empty()                ? "empty"
                                                      : "other";
    std::wstring text = TableDataUtil::BoostAny2WString(value);
    return std::string(kind) + ":" + std::string(text.begin(), text.end());
}

struct Structure {};

} // namespace

TEST(TableDataUtil, SStringToBoostAnyTypesFieldText)
{
    struct Case {
        const char* text;
        const char* typed;
    };
    const Case cases[] = {
        {"", "text:"},
        {"   ", "text:   "},          // all spaces: kept as given
        {"42", "int:42"},
        {"  42  ", "int:42"},         // spaces around a number are ignored
        {"-7", "int:-7"},
        {"1.5", "float:1.5"},
        {" 1.5", "float:1.5"},
        {"0.1", "float:0.1"},
        {"1e3", "float:1000"},        // not an integer, so a float
        {"100000", "int:100000"},
        {"0.0005", "float:0.0005"},
        {"8.87759e-05", "float:0.0000887759"},
        {"-34.8187", "float:-34.8187"},
        // Integers beyond int keep every digit: double up to 2^53, text past it.
        {"2147483648", "double:2147483648"},
        {"-2147483649", "double:-2147483649"},
        {"123456789012", "double:123456789012"},
        {"+0000123456789012", "double:123456789012"},
        {"9007199254740992", "double:9007199254740992"},
        {"9007199254740993", "text:9007199254740993"},
        {"12345678901234567890", "text:12345678901234567890"},
        {"-12345678901234567890", "text:-12345678901234567890"},
        // Where float would change digits, or cannot hold the number: double.
        {"16777216.0", "double:16777216"},
        {"16777217.5", "double:16777217.5"},
        {"123456789.25", "double:123456789.25"},
        {"16777215.0", "float:16777215"},
        {"1e50", "double:1e+50"},
        {"1e-50", "double:1e-50"},
        {"4e38", "double:4e+38"},
        {"1e-40", "double:1e-40"},
        {"1e400", "text:1e400"},      // beyond double: kept as written
        {"1e-400", "text:1e-400"},    // would round to zero
        {"\t42", "text:\t42"},        // a tab is not trimmed, so no number
        {" abc ", "text:abc"},        // text is trimmed too
        {"1,5", "text:1,5"},
        {"nan", "text:nan"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Describe(TableDataUtil::SStringToBoostAny(c.text)), c.typed) << '"' << c.text << '"';
}

TEST(TableDataUtil, BoostAny2WStringGivesOneTextPerValue)
{
    EXPECT_EQ(TableDataUtil::BoostAny2WString(boost::any()), L"");
    EXPECT_EQ(TableDataUtil::BoostAny2WString(boost::any(Structure())), L"");
    EXPECT_EQ(TableDataUtil::BoostAny2WString(boost::any(-42)), L"-42");
    EXPECT_EQ(TableDataUtil::BoostAny2WString(boost::any(0.25)), L"0.25");
    EXPECT_EQ(TableDataUtil::BoostAny2WString(boost::any(std::wstring(L"x y"))), L"x y");
}

TEST(TableDataUtil, ColumnLookups)
{
    const auto table = MakeTable({L"id", L"name", L"mw", L"name", L"note", L"blank"},
                                 {{boost::any(1), boost::any(std::wstring(L"aspirin")), boost::any(180.2f),
                                   boost::any(std::wstring(L"x")), boost::any(std::wstring()),
                                   boost::any(std::wstring(L" "))}});

    EXPECT_EQ(TableDataUtil::FindColumnFromTable(table, L"name"), 1);
    EXPECT_EQ(TableDataUtil::FindColumnFromTable(table, L"Name"), -1);
    EXPECT_EQ(TableDataUtil::FindColumnFromTable(nullptr, L"name"), -1);

    // Numbers and empty texts in row 0 are numerical; a blank text is not.
    std::vector<int> numerical{99};
    TableDataUtil::FindNumericalColumns(table, numerical);
    EXPECT_EQ(numerical, (std::vector<int>{99, 0, 2, 4}));
    std::vector<std::wstring> names;
    TableDataUtil::FindNumericalColumnNames(table, names);
    EXPECT_EQ(names, (std::vector<std::wstring>{L"id", L"mw", L"note"}));
    TableDataUtil::FindNumericalColumns(nullptr, numerical);
    TableDataUtil::FindNumericalColumns(MakeTable({L"a"}, {}), numerical);
    EXPECT_EQ(numerical.size(), 4u);

    std::vector<std::wstring> titles;
    TableDataUtil::GetColumnsFromTable(table, titles, {L"name", L"blank", L"name"});
    EXPECT_EQ(titles, (std::vector<std::wstring>{L"id", L"mw", L"note"}));
    titles.clear();
    TableDataUtil::GetColumnsFromTable(table, titles, {});
    EXPECT_EQ(titles.size(), 6u);
    EXPECT_FALSE(TableDataUtil::IsUndesiredColumn(L"id", {}));
}

TEST(TableDataUtil, FindNumericalColumnsPassesOnAProvidersBadCast)
{
    // A provider that names wide text but returns an int.
    class Lying : public VorlatTest::MemoryTable {
    public:
        Lying() : MemoryTable({L"a"}, {{boost::any(1)}}) {}
        const std::type_info& GetCellDataTypeId(int, int) const override { return typeid(std::wstring); }
    };
    std::vector<int> columns;
    EXPECT_THROW(TableDataUtil::FindNumericalColumns(boost::shared_ptr<Host::ITableDataProvider>(new Lying),
                                                     columns),
                 boost::bad_any_cast);
}
