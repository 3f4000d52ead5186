// vorlat: opens a table file (CSV, SD) the way the library shows it to the
// application, and prints it.

#include <clocale>
#include <iostream>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "Render.h"
#include "Selection.h"
#include "TableFile.h"
#include "chem/Toolkit.h"
#include "host/Exception.h"
#include "host/StringConversion.h"

namespace {

struct ShowOptions {
    std::string file;
    std::string type;
    std::string rows;
    std::vector<std::string> columns;
    std::string format = "text";
    int width = -1;
};

std::string VersionText()
{
    return std::string("vorlat ") + VORLAT_VERSION + " (RDKit " + Chem::ToolkitVersion() + ")";
}

int Info(const std::string& path, const std::string& type)
{
    const vorlat::TableFile file(path, type);
    Host::ITableDataProvider& table = *file.Table();
    std::cout << path << '\n'
              << "rows: " << table.GetRowCount() << '\n'
              << "columns: " << table.GetColumnCount() << '\n';
    for (int column = 0; column < table.GetColumnCount(); ++column)
        std::cout << "  " << column << "  " << Host::ToSString(table.GetColumnTitle(column)) << '\n';
    std::cout.precision(3);
    std::cout << "index time: " << std::fixed << file.IndexSeconds() << " s\n";
    std::cout.flush();
    if (!std::cout)
        throw vorlat::UserError("could not write the output");
    return 0;
}

int Show(const ShowOptions& options)
{
    const std::string path = options.file.empty() ? vorlat::BundledExamplePath() : options.file;
    const vorlat::TableFile file(path, options.type);
    Host::ITableDataProvider& table = *file.Table();

    const int rowCount = table.GetRowCount();
    vorlat::TableSlice slice{table,
                             options.rows.empty() ? vorlat::AllRows(rowCount)
                                                  : vorlat::ParseRowSlice(options.rows, rowCount),
                             vorlat::ResolveColumns(options.columns, table)};

    if (options.format == "csv") {
        vorlat::RenderCsv(std::cout, slice);
    } else if (options.format == "json") {
        vorlat::RenderJson(std::cout, slice);
    } else {
        std::string caption = path + ": " + std::to_string(rowCount) + (rowCount == 1 ? " row, " : " rows, ") +
                              std::to_string(table.GetColumnCount()) + " columns";
        if (slice.rows.size() != static_cast<std::size_t>(rowCount))
            caption += " (" + std::to_string(slice.rows.size()) + " shown)";
        const int width = options.width >= 0 ? options.width : vorlat::TerminalWidth(120);
        vorlat::RenderText(std::cout, slice, width, caption);
    }
    std::cout.flush();
    if (!std::cout)
        throw vorlat::UserError("could not write the output");
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    // Display widths of wide text need a UTF-8 character classification;
    // numbers are read independently of the locale.
    std::setlocale(LC_CTYPE, "C.UTF-8");
    std::ios::sync_with_stdio(false);

    CLI::App app{"Opens CSV and SD files as tables, as the VorlatImportExport library shows them."};
    app.set_version_flag("--version", VersionText());
    app.require_subcommand(1);

    const auto FileTypes = CLI::IsMember({"csv", "sd", "sdf"});
    ShowOptions show;
    CLI::App* showCommand = app.add_subcommand("show", "Print a file as a table (the bundled example without FILE)");
    showCommand->add_option("FILE", show.file,
                            "The file to open; its type comes from its extension (.csv, .sdf, .sd)");
    showCommand->add_option("--type", show.type, "The file's type, whatever its name")->check(FileTypes);
    showCommand->add_option("--rows", show.rows,
                            "Rows to show, numbered as shown, both ends included: 5:10, 100:, :20, -10: "
                            "(the last ten)");
    showCommand
        ->add_option("--columns", show.columns, "Columns to show, by title or 0-based number: id,name or 1,3")
        ->delimiter(',');
    showCommand->add_option("--format", show.format, "text (aligned columns), csv or json")
        ->check(CLI::IsMember({"text", "csv", "json"}));
    showCommand->add_option("--width", show.width,
                            "Width of the text table in characters (default: the terminal's; 0: no limit)");

    std::string infoFile, infoType;
    CLI::App* infoCommand = app.add_subcommand("info", "Print a file's row count, column titles and index time");
    infoCommand->add_option("FILE", infoFile, "The file to open")->required();
    infoCommand->add_option("--type", infoType, "The file's type, whatever its name")->check(FileTypes);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        const int code = app.exit(error);
        return code == 0 ? 0 : 2;
    }

    try {
        if (*showCommand)
            return Show(show);
        if (*infoCommand)
            return Info(infoFile, infoType);
    } catch (const vorlat::UserError& error) {
        std::cerr << "vorlat: " << error.what() << '\n';
        return 1;
    } catch (const Host::Exception& error) {
        std::cerr << "vorlat: " << error.what() << '\n';
        return 1;
    } catch (const std::exception& error) {
        std::cerr << "vorlat: " << error.what() << '\n';
        return 1;
    }
    return 0;
}
