// A cell shows one value, whatever was read before it: held and parsed data
// items are typed alike, and reading structures, other columns or rows first
// changes nothing.
#include <algorithm>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "frame/TableDataUtil.h"
#include "host/IProgressMonitor.h"
#include "host/StdInputStream.h"
#include "molecule/Mol2DataProvider.h"
#include "molecule/SDDataProvider.h"
#include "support/Files.h"

using VorlatImportExport::Mol2DataProvider;
using VorlatImportExport::SDDataProvider;
using VorlatImportExport::TableDataUtil;

namespace {

// The kind and text of a value; structures as a marker, since their
// pointers change when a record is parsed again.
std::string Describe(const boost::any& value)
{
    const std::type_info& type = value.type();
    const char* kind = value.empty()                  ? "empty"
                       : type == typeid(int)          ? "int"
                       : type == typeid(float)        ? "float"
                       : type == typeid(double)       ? "double"
                       : type == typeid(std::wstring) ? "text"
                                                      : "structure";
    const std::wstring text = TableDataUtil::BoostAny2WString(value);
    return std::string(kind) + ":" + std::string(text.begin(), text.end());
}

// A provider of either format over its own streams, holding the data items
// of the first `held` records.
struct Table {
    Table(const std::string& text, bool mol2, int held) : file(text), scanned(text)
    {
        boost::shared_ptr<Host::InputStream> input(new Host::StdInputStream(scanned));
        if (mol2)
            provider.reset(new Mol2DataProvider(file, input, monitor));
        else
            provider.reset(new SDDataProvider(file, input, monitor));
        provider->SetPropertyCacheSize(held);
        provider->Initialize(monitor);
    }
    std::istringstream file;
    std::istringstream scanned;
    Host::NullProgressMonitor monitor;
    std::unique_ptr<SDDataProvider> provider;
};

using Cells = std::map<std::pair<int, int>, std::string>;

enum class Order { RowByRow, ColumnByColumn, StructuresFirst, Random };

Cells ReadAll(const std::string& text, bool mol2, int held, Order order)
{
    Table table(text, mol2, held);
    SDDataProvider& p = *table.provider;
    std::vector<std::pair<int, int>> cells;
    for (int row = 0; row < p.GetRowCount(); ++row)
        for (int column = 0; column < p.GetColumnCount(); ++column)
            cells.emplace_back(row, column);
    if (order == Order::ColumnByColumn)
        std::stable_sort(cells.begin(), cells.end(), [](auto a, auto b) { return a.second < b.second; });
    if (order == Order::Random)
        std::shuffle(cells.begin(), cells.end(), std::mt19937(5));
    if (order == Order::StructuresFirst)
        for (int row = 0; row < p.GetRowCount(); ++row)
            p.GetCellData(row, 0);
    Cells values;
    for (const auto& [row, column] : cells) {
        values[{row, column}] = Describe(p.GetCellData(row, column));
        // The type the provider names is the type of the value it gives.
        if (column != 0) {
            EXPECT_EQ(p.GetCellDataTypeId(row, column).name(), p.GetCellData(row, column).type().name())
                << row << "," << column;
        }
    }
    return values;
}

void ExpectSameInEveryOrder(const std::string& text, bool mol2, int held)
{
    const Cells first = ReadAll(text, mol2, held, Order::RowByRow);
    for (Order order : {Order::ColumnByColumn, Order::StructuresFirst, Order::Random}) {
        const Cells again = ReadAll(text, mol2, held, order);
        for (const auto& [cell, value] : first)
            EXPECT_EQ(again.at(cell), value) << "held " << held << ", order " << static_cast<int>(order) << ", row "
                                             << cell.first << ", column " << cell.second;
    }
}

std::string Cell(const Cells& cells, int row, int column) { return cells.at({row, column}); }

} // namespace

// tests/data/item-kinds-rdkit.sdf was written by RDKit's SDWriter: long
// registry numbers, small and large floats, signs, 20-digit IDs, texts, an
// empty value, an item only some records have and a 14-line note.
TEST(CellValues, SdItemsShowOneValueInEveryReadOrder)
{
    const std::string text = VorlatTest::ReadFile(VORLAT_TEST_DATA_DIR "/item-kinds-rdkit.sdf");
    for (int held : {1046527, 3, 0})
        ExpectSameInEveryOrder(text, false, held);

    // Held and parsed records give the same values, the long note aside
    // (the index holds its first lines): the file twice, the first copy
    // held and the second parsed, under the same columns.
    const int records = 6;
    const Cells both = ReadAll(text + text, false, records, Order::RowByRow);
    Cells held, parsed;
    for (const auto& [cell, value] : both)
        (cell.first < records ? held : parsed)[{cell.first % records, cell.second}] = value;
    ASSERT_EQ(held.size(), parsed.size());
    const int indexColumn = 2, noteColumn = 10;
    for (const auto& [cell, value] : held)
        if (cell.second != indexColumn && cell.second != noteColumn && cell != std::make_pair(5, 1)) {
            EXPECT_EQ(parsed.at(cell), value) << "row " << cell.first << ", column " << cell.second;
        }

    // What the file holds, digit for digit (columns: Structure, Name, Index,
    // RegistryNumber, Count, Pvalue, Energy, ExternalID, Comment, OnlyEven,
    // Note).
    for (const Cells* cells : {&held, &parsed}) {
        EXPECT_EQ(Cell(*cells, 0, 1), "text:Ethanol");
        EXPECT_EQ(Cell(*cells, 4, 1), "int:42");
        EXPECT_EQ(Cell(*cells, 0, 3), "double:123456789012");
        EXPECT_EQ(Cell(*cells, 5, 3), "double:123456789017");
        EXPECT_EQ(Cell(*cells, 3, 4), "int:2147483647");
        EXPECT_EQ(Cell(*cells, 4, 4), "int:-2147483648");
        EXPECT_EQ(Cell(*cells, 0, 5), "float:0.0000887759");
        EXPECT_EQ(Cell(*cells, 1, 5), "float:0.0005");
        EXPECT_EQ(Cell(*cells, 2, 5), "double:1e-50");
        EXPECT_EQ(Cell(*cells, 3, 5), "float:2.5e-7");
        EXPECT_EQ(Cell(*cells, 0, 6), "float:-34.8187");
        EXPECT_EQ(Cell(*cells, 1, 6), "float:12.5");
        EXPECT_EQ(Cell(*cells, 2, 6), "int:100000");
        EXPECT_EQ(Cell(*cells, 3, 6), "double:16777217.5");
        EXPECT_EQ(Cell(*cells, 4, 6), "double:3.4e+39");
        EXPECT_EQ(Cell(*cells, 5, 6), "float:2.34567");
        EXPECT_EQ(Cell(*cells, 0, 7), "text:12345678901234567890");
        EXPECT_EQ(Cell(*cells, 1, 7), "text:9007199254740993");
        EXPECT_EQ(Cell(*cells, 2, 7), "double:9007199254740992");
        EXPECT_EQ(Cell(*cells, 5, 7), "text:1e400");
        EXPECT_EQ(Cell(*cells, 1, 8), "text:padded");
        EXPECT_EQ(Cell(*cells, 2, 8), "text:NA");
        EXPECT_EQ(Cell(*cells, 4, 8), "text:a $$$$ b");
        EXPECT_EQ(Cell(*cells, 1, 9), "empty:");   // an item this record lacks
        EXPECT_EQ(Cell(*cells, 2, 9), "float:3");
        EXPECT_EQ(Cell(*cells, 0, 10), "empty:");
    }
    EXPECT_EQ(Cell(held, 5, 1), "text:Molecule-6");
    EXPECT_EQ(Cell(parsed, 5, 1), "text:Molecule-12");
    EXPECT_EQ(Cell(held, 3, 10).substr(0, 33), "text:line 1 of a long note\nline 2");
    EXPECT_EQ(Cell(held, 3, 10).substr(Cell(held, 3, 10).size() - 4), "\n...");
    EXPECT_EQ(Cell(parsed, 3, 10).substr(Cell(parsed, 3, 10).size() - 22), "line 14 of a long note");
}

TEST(CellValues, Mol2PropertiesShowOneValueInEveryReadOrder)
{
    const std::string text = VorlatTest::ReadFile(VORLAT_EXAMPLES_DATA_DIR "/compounds.mol2");
    for (int held : {1046527, 5, 0})
        ExpectSameInEveryOrder(text, true, held);
}
