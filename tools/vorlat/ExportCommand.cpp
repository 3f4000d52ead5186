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
#include "chem/ChemDoc.h"
#include "chem/MolBlock.h"
#include "host/StringConversion.h"
#include "molecule/Mol2DataProvider.h"
#include "molecule/SDDataProvider.h"

namespace vorlat {

namespace {

struct ExportOptions {
    std::string file;
    OpenOptions open;
    std::string html;
    std::string csv;
    std::string json;
    std::string sdf;
    std::string xlsx;
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

// The line end a text uses: CR LF when its first line ends so, else LF.
std::string LineEndOf(const std::string& text)
{
    const std::size_t end = text.find_first_of("\r\n");
    return end != std::string::npos && text.compare(end, 2, "\r\n") == 0 ? "\r\n" : "\n";
}

// Whether the line is an SD record's end: "$$$$" and nothing after it but
// blanks.
bool IsRecordEnd(const std::string& line)
{
    return line.compare(0, 4, "$$$$") == 0 && line.find_first_not_of(" \t", 4) == std::string::npos;
}

// An SD file's records, each copied byte for byte; a record that does not
// end with a line end and "$$$$" (the last one of some files) gets them, in
// the file's own line ends.
void CopySdRecords(std::ostream& out, const TableSlice& slice, VorlatImportExport::SDDataProvider& sd)
{
    const boost::shared_ptr<Host::InputStream> input = sd.GetInputStream();
    std::string record;
    std::string lineEnd;
    for (std::size_t i = 0; i < slice.rows.size(); ++i) {
        slice.RowReached(i);
        const int row = slice.rows[i];
        const std::int64_t offset = sd.GetMoleculeOffset(row);
        const std::int64_t size = sd.GetMoleculeSize(row);
        if (!input || offset < 0 || size < 0 || !input->Seek(offset))
            throw UserError("cannot read record " + std::to_string(row + 1) + " of the file again");
        record.resize(static_cast<std::size_t>(size));
        std::size_t got = 0;
        while (got < record.size()) {
            const std::size_t n = input->Read(record.data() + got, record.size() - got);
            if (n == 0)
                break;
            got += n;
        }
        record.resize(got);
        if (lineEnd.empty())
            lineEnd = LineEndOf(record);
        if (!record.empty() && record.back() != '\n' && record.back() != '\r')
            record += lineEnd;
        // The last line, and whether an empty line comes before the end:
        // a data item's value that ran to the end of the file needs one, or
        // it would run into the "$$$$" added.
        const std::size_t last = record.find_last_not_of("\r\n");
        const std::size_t before = last == std::string::npos ? std::string::npos : record.find_last_of("\r\n", last);
        const std::size_t lineStart = before == std::string::npos ? 0 : before + 1;
        if (last == std::string::npos || !IsRecordEnd(record.substr(lineStart, last + 1 - lineStart))) {
            const std::size_t ends = record.size() - (last == std::string::npos ? 0 : last + 1);
            if (last != std::string::npos && ends <= lineEnd.size())
                record += lineEnd;
            record += "$$$$" + lineEnd;
        }
        out << record;
    }
}

// SD records written for a table of other structures: a molfile from the
// row's structure (a Mol2 structure, or a CSV file's SMILES column; empty
// without one), named by its "Name" or "name" cell, then every other cell
// as a data item. A value's empty lines are written as a blank, and a line
// that would end the record gets one before it, so that every item reads
// back whole.
void WriteSdRecords(std::ostream& out, const TableSlice& slice)
{
    Host::ITableDataProvider& table = slice.table;
    const int structure = HoldsStructures(table) ? 0 : FindSmilesColumn(table);
    int name = -1;
    for (int column = 0; column < table.GetColumnCount() && name < 0; ++column)
        if (table.GetColumnTitle(column) == L"Name" || table.GetColumnTitle(column) == L"name")
            name = column;
    std::vector<int> items;
    for (const int column : slice.columns) {
        const std::wstring title = table.GetColumnTitle(column);
        if (column != name && title != L"Index" && !(structure == 0 && column == 0))
            items.push_back(column);
    }
    const std::string empty = "\n  vorlat\n\n  0  0  0  0  0  0  0  0  0  0999 V2000\nM  END\n";
    for (std::size_t i = 0; i < slice.rows.size(); ++i) {
        slice.RowReached(i);
        const int row = slice.rows[i];
        const std::string title = name < 0 ? std::string() : Host::ToSString(CellText(table.GetCellData(row, name)));
        std::string block;
        if (structure >= 0) {
            const boost::any value = table.GetCellData(row, structure);
            if (value.type() == typeid(Chem::ChemDoc*))
                block = Chem::MoleculeToMolBlock(CellMolecule(value), title);
            else if (!value.empty())
                block = Chem::SmilesToMolBlock(Host::ToSString(CellText(value)), title);
        }
        out << (block.empty() ? title.substr(0, title.find_first_of("\r\n")) + empty : block);
        for (const int column : items) {
            out << "> <" << Host::ToSString(table.GetColumnTitle(column)) << ">\n";
            const boost::any value = table.GetCellData(row, column);
            std::string text = value.empty() ? std::string() : Host::ToSString(CellText(value));
            std::size_t start = 0;
            while (start < text.size()) {
                std::size_t end = text.find_first_of("\r\n", start);
                if (end == std::string::npos)
                    end = text.size();
                const std::string line = text.substr(start, end - start);
                out << (line.empty() || IsRecordEnd(line) ? " " : "") << line << '\n';
                start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
            }
            out << '\n';
        }
        out << "$$$$\n";
    }
}

// The rows an HTML page holds unless --rows says otherwise.
const int PageRows = 500;

int Export(const ExportOptions& options)
{
    if (options.html.empty() && options.csv.empty() && options.json.empty() && options.sdf.empty() &&
        options.xlsx.empty())
        throw UserError("export needs --html, --csv, --json, --sdf or --xlsx and a file to write");
    if (options.xlsx == "-")
        throw UserError("--xlsx writes a file, not standard output");
    if ((options.html == "-") + (options.csv == "-") + (options.json == "-") + (options.sdf == "-") > 1)
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
    const int outputs = !options.html.empty() + !options.csv.empty() + !options.json.empty() + !options.sdf.empty() +
                        !options.xlsx.empty();
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
    if (!options.sdf.empty()) {
        // An SD file's own records, byte for byte; other tables written.
        auto* sd = dynamic_cast<VorlatImportExport::SDDataProvider*>(file.Table().get());
        const bool copies = sd && !dynamic_cast<VorlatImportExport::Mol2DataProvider*>(sd);
        WriteFile(options.sdf, slice, [&](std::ostream& out) {
            if (copies)
                CopySdRecords(out, slice, *sd);
            else
                WriteSdRecords(out, slice);
        });
    }
    if (!options.xlsx.empty()) {
        TerminalProgress progress("Writing " + options.xlsx);
        slice.progress = &progress;
        try {
            ExportXlsx(options.xlsx, slice);
        } catch (...) {
            slice.progress = nullptr;
            std::remove(options.xlsx.c_str());
            throw;
        }
        slice.progress = nullptr;
    }
    return 0;
}

} // namespace

Command AddExportCommand(CLI::App& app)
{
    const auto options = std::make_shared<ExportOptions>();
    CLI::App* command = app.add_subcommand(
        "export", "Write a file's table as a page with structure drawings (--html), CSV, JSON, an SD file or an "
                  "Excel workbook");
    AddFileOptions(command, options->file, options->open);
    command->add_option("--html", options->html, "Write a self-contained HTML page here (- for standard output)");
    command->add_option("--csv", options->csv, "Write RFC 4180 CSV here, structures as SMILES (- for standard output)");
    command->add_option("--json", options->json, "Write JSON here, one object per row (- for standard output)");
    command->add_option("--xlsx", options->xlsx,
                        "Write an Excel workbook here: numbers as numbers, a frozen title row, structures as "
                        "pictures");
    command->add_option("--sdf", options->sdf,
                        "Write an SD file here: an SD file's records as they are, other tables' structures as "
                        "molfiles with their cells as data items (- for standard output)");
    command->add_option("--rows", options->rows,
                        "Rows to write, as in show (default: every row; the HTML page: the first 500)");
    command->add_option("--columns", options->columns, "Columns to write, by title or 0-based number")->delimiter(',');
    return {command, [options] { return Export(*options); }};
}

} // namespace vorlat
