#include "CommandLine.h"

#include <algorithm>
#include <memory>

#include "Selection.h"
#include "frame/TableDataUtil.h"

namespace vorlat {

namespace {

struct ShowOptions {
    std::string file;
    OpenOptions open;
    std::string rows;
    std::vector<std::string> columns;
    std::string format = "text";
    int width = -1;
};

int Show(const ShowOptions& options)
{
    const std::string path = options.file.empty() ? BundledExamplePath() : options.file;
    const TableFile file(path, options.open);
    Host::ITableDataProvider& table = *file.Table();

    const int rowCount = table.GetRowCount();
    TableSlice slice{table, options.rows.empty() ? AllRows(rowCount) : ParseRowSlice(options.rows, rowCount),
                      ResolveColumns(options.columns, table)};

    std::string caption = path + ": " + std::to_string(rowCount) + (rowCount == 1 ? " row, " : " rows, ") +
                          std::to_string(table.GetColumnCount()) + " columns";
    if (slice.rows.size() != static_cast<std::size_t>(rowCount)) {
        const std::size_t shown = slice.rows.size();
        caption += shown == 0   ? " (none shown)"
                   : shown == 1 ? " (row " + std::to_string(slice.rows.front() + 1) + " shown)"
                                : " (rows " + std::to_string(slice.rows.front() + 1) + "-" +
                                      std::to_string(slice.rows.back() + 1) + " shown)";
    }
    if (options.format == "text" && options.columns.empty())
        HideRepeatedIndex(slice);
    Print(slice, options.format, options.width, caption);
    return 0;
}

} // namespace

Command AddShowCommand(CLI::App& app)
{
    const auto options = std::make_shared<ShowOptions>();
    CLI::App* command = app.add_subcommand("show", "Print a file as a table (the bundled example without FILE)");
    command->add_option("FILE", options->file,
                        "The file to open; its type comes from its extension (.csv, .tsv, .txt, .sdf, .sd, .mol2)");
    AddOpenOptions(command, options->open);
    command->add_option("--rows", options->rows,
                        "Rows to show, numbered as shown, both ends included: 5:10, 100:, :20, -10: "
                        "(the last ten)");
    AddViewOptions(command, options->columns, options->format, options->width);
    return {command, [options] { return Show(*options); }};
}

} // namespace vorlat
