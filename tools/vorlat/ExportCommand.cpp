#include "CommandLine.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>

#include "Export.h"
#include "Selection.h"
#include "TerminalProgress.h"

namespace vorlat {

namespace {

struct ExportOptions {
    std::string file;
    OpenOptions open;
    std::string html;
    std::string csv;
    std::string json;
    std::string rows;
    std::vector<std::string> columns;
};

// Writes one output file ("-": standard output), with a progress bar on a
// terminal; a path that cannot be written is a user error, and Ctrl-C
// stops with one.
template <typename Write>
void WriteFile(const std::string& path, TableSlice& slice, Write write)
{
    const bool standardOutput = path == "-";
    std::ofstream file;
    if (!standardOutput) {
        file.open(path, std::ios::binary | std::ios::trunc);
        if (!file)
            throw UserError("cannot write " + path + ": " + std::strerror(errno));
    }
    std::ostream& out = standardOutput ? std::cout : file;
    if (standardOutput) {
        write(out);
    } else {
        // The bar on standard error; a file left unfinished is removed.
        TerminalProgress progress("Writing " + path);
        slice.progress = &progress;
        try {
            write(out);
        } catch (...) {
            slice.progress = nullptr;
            file.close();
            std::remove(path.c_str());
            throw;
        }
        slice.progress = nullptr;
    }
    out.flush();
    if (!out)
        throw UserError("cannot write " + (standardOutput ? std::string("standard output") : path) + ": " +
                        std::strerror(errno));
}

// The rows an HTML page holds unless --rows says otherwise.
const int PageRows = 500;

int Export(const ExportOptions& options)
{
    if (options.html.empty() && options.csv.empty() && options.json.empty())
        throw UserError("export needs --html, --csv or --json and a file to write");
    if ((options.html == "-") + (options.csv == "-") + (options.json == "-") > 1)
        throw UserError("only one output can go to standard output (-)");
    const TableFile file(options.file, options.open);
    Host::ITableDataProvider& table = *file.Table();
    const int rowCount = table.GetRowCount();
    // Every row unless told otherwise; the page the first 500, as a browser
    // would not open millions of drawings, and it says so.
    const std::vector<int> rows = options.rows.empty() ? AllRows(rowCount) : ParseRowSlice(options.rows, rowCount);
    TableSlice slice{table, rows, ResolveColumns(options.columns, table)};
    // One output reads each row once, in order: the table need not keep the
    // records it parsed. Several read the rows again each, and the records
    // the table keeps spare parsing them again.
    const int outputs = !options.html.empty() + !options.csv.empty() + !options.json.empty();
    if (outputs == 1)
        file.ReadRowsOnce();
    if (!options.html.empty()) {
        const bool limited = options.rows.empty() && rowCount > PageRows;
        TableSlice page = slice;
        if (limited) {
            page.rows.resize(PageRows);
            std::cerr << "vorlat: the page shows rows 1-" << PageRows << " of " << rowCount
                      << "; --rows writes others (such as --rows 1:" << rowCount << ")\n";
        }
        WriteFile(options.html, page, [&](std::ostream& out) {
            ExportHtml(out, page, std::filesystem::path(options.file).filename().string(), rowCount,
                       table.GetColumnCount(), limited);
        });
    }
    if (!options.csv.empty())
        WriteFile(options.csv, slice, [&](std::ostream& out) { RenderCsv(out, slice); });
    if (!options.json.empty())
        WriteFile(options.json, slice, [&](std::ostream& out) { RenderJson(out, slice); });
    return 0;
}

} // namespace

Command AddExportCommand(CLI::App& app)
{
    const auto options = std::make_shared<ExportOptions>();
    CLI::App* command = app.add_subcommand(
        "export", "Write a file's table as a page with structure drawings (--html), CSV (--csv) or JSON (--json)");
    command->add_option("FILE", options->file, "The file to open")->required();
    AddOpenOptions(command, options->open);
    command->add_option("--html", options->html, "Write a self-contained HTML page here (- for standard output)");
    command->add_option("--csv", options->csv, "Write RFC 4180 CSV here, structures as SMILES (- for standard output)");
    command->add_option("--json", options->json, "Write JSON here, one object per row (- for standard output)");
    command->add_option("--rows", options->rows,
                        "Rows to write, as in show (default: every row; the HTML page: the first 500)");
    command->add_option("--columns", options->columns, "Columns to write, by title or 0-based number")->delimiter(',');
    return {command, [options] { return Export(*options); }};
}

} // namespace vorlat
