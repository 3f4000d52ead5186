// What a host application does with the library: open an SD file and a CSV
// file as tables, show their size, titles and first rows, and ask the
// analyzer for each group's largest value.
//
//   embed FILE.sdf FILE.csv

#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include <boost/shared_ptr.hpp>

#include "analysis/TDMQuery.h"
#include "analysis/TableDataAnalyzer.h"
#include "frame/TableDataUtil.h"
#include "host/Exception.h"
#include "host/FileInputStream.h"
#include "host/IProgressMonitor.h"
#include "host/StringConversion.h"
#include "molecule/SDDataProvider.h"
#include "text/CsvDataProvider.h"

using VorlatImportExport::TableDataUtil;

namespace {

void Print(Host::ITableDataProvider& table, int rows)
{
    std::cout << table.GetRowCount() << " rows, " << table.GetColumnCount() << " columns\n";
    for (int c = 0; c < table.GetColumnCount(); ++c)
        std::cout << (c ? " | " : "") << Host::ToSString(table.GetColumnTitle(c));
    std::cout << '\n';
    for (int r = 0; r < rows && r < table.GetRowCount(); ++r) {
        for (int c = 0; c < table.GetColumnCount(); ++c) {
            // Structure cells hold a document; show that there is one.
            const bool structure = table.IsChemistryCell(r, c) == Host::IsChemistry;
            std::cout << (c ? " | " : "")
                      << (structure ? "<structure>" : Host::ToSString(TableDataUtil::BoostAny2WString(
                                                          table.GetCellData(r, c))));
        }
        std::cout << '\n';
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: embed FILE.sdf FILE.csv\n";
        return 2;
    }
    try {
        // The application opens both streams of the SD file and keeps them
        // open as long as the table lives.
        std::ifstream sdFile(argv[1], std::ios::binary);
        boost::shared_ptr<Host::InputStream> sdInput(new Host::FileInputStream(argv[1]));
        Host::NullProgressMonitor monitor;
        boost::shared_ptr<Host::ITableDataProvider> molecules(
            new VorlatImportExport::SDDataProvider(sdFile, sdInput, monitor));
        std::cout << "SD: ";
        Print(*molecules, 3);

        std::ifstream csvFile(argv[2], std::ios::binary);
        boost::shared_ptr<Host::ITableDataProvider> table(new VorlatImportExport::CsvDataProvider(csvFile));
        std::cout << "CSV: ";
        Print(*table, 3);

        // The largest molecular weight of each activity class, as a view.
        const int group = TableDataUtil::FindColumnFromTable(table, L"activity_class");
        const int rank = TableDataUtil::FindColumnFromTable(table, L"mol_weight");
        boost::shared_ptr<VorlatImportExport::TableDataAnalyzer> analyzer(
            new VorlatImportExport::TableDataAnalyzer(table));
        VorlatImportExport::TDMGetMaxsQuery query(group, rank, {}, {L"name", L"activity_class", L"mol_weight"});
        std::cout << "Heaviest per class: ";
        Print(*query.Query(table, analyzer), 10);
    } catch (const Host::Exception& error) {
        std::cerr << "embed: " << error.what() << '\n';
        return 1;
    }
    return 0;
}
