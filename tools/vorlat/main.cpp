// vorlat: opens a table file (CSV, SD) the way the library shows it to the
// application, and prints it.

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include "Export.h"
#include "Render.h"
#include "Selection.h"
#include "TableFile.h"
#include "TerminalProgress.h"
#include "analysis/GroupBy.h"
#include "analysis/TDMQuery.h"
#include "analysis/TableDataAnalyzer.h"
#include "chem/Toolkit.h"
#include "frame/TableDataUtil.h"
#include "views/FilteredTableDataProvider.h"
#include "host/Exception.h"
#include "host/StringConversion.h"
#include "host/TableDataProviderUtilities.h"

namespace {

struct ShowOptions {
    std::string file;
    vorlat::OpenOptions open;
    std::string rows;
    std::vector<std::string> columns;
    std::string format = "text";
    int width = -1;
};

struct GroupOptions {
    std::string file;
    vorlat::OpenOptions open;
    std::vector<std::string> by;
    std::string rank;
    bool last = false;
    int members = 0;
    std::vector<std::string> columns;
    std::string format = "text";
    int width = -1;
};

struct ExportOptions {
    std::string file;
    vorlat::OpenOptions open;
    std::string html;
    std::string csv;
    std::string json;
    std::string rows;
    std::vector<std::string> columns;
};

struct QueryOptions {
    std::string file;
    vorlat::OpenOptions open;
    std::vector<std::string> equal;
    bool all = false;
    std::string groupBy;
    std::vector<std::string> groups;
    std::string max;
    std::string min;
    std::vector<std::string> columns;
    std::string format = "text";
    int width = -1;
};

// The options that say how to open FILE, for every subcommand.
void AddOpenOptions(CLI::App* command, vorlat::OpenOptions& open)
{
    command->add_option("--type", open.type, "The file's type, whatever its name")
        ->check(CLI::IsMember({"csv", "quenbar", "sd", "sdf", "mol2"}));
    command->add_option("--separator", open.separator,
                        "CSV: the byte between fields: , ; tab or | (default: found from the first lines)");
    command->add_flag("--no-titles", open.noTitles,
                      "CSV: the first line is a row, and the columns are titled Column 1, Column 2, ...");
    command->add_option("--comment", open.comment,
                        "CSV: pass over the lines before the titles that begin with this text (such as #)");
    command->add_flag("--extra-columns", open.extraColumns,
                      "CSV: fields beyond the titles get columns of their own (reads the file once more)");
}

// The option of the command closest to a mistyped one ("--row" for
// "--rows"): at most two letters added, dropped or changed; "" when none is.
std::string ClosestOption(const CLI::App& command, const std::string& typed)
{
    if (typed.size() < 3 || typed.compare(0, 2, "--") != 0)
        return std::string();
    const std::string word = typed.substr(0, typed.find('='));
    const auto distance = [](const std::string& a, const std::string& b) {
        std::vector<std::size_t> row(b.size() + 1);
        for (std::size_t j = 0; j <= b.size(); ++j)
            row[j] = j;
        for (std::size_t i = 1; i <= a.size(); ++i) {
            std::size_t diagonal = row[0];
            row[0] = i;
            for (std::size_t j = 1; j <= b.size(); ++j) {
                const std::size_t above = row[j];
                row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
                diagonal = above;
            }
        }
        return row[b.size()];
    };
    std::string best;
    std::size_t bestDistance = 3;
    for (const CLI::Option* option : command.get_options()) {
        for (const std::string& name : option->get_lnames()) {
            const std::size_t d = distance(word, "--" + name);
            if (d < bestDistance) {
                bestDistance = d;
                best = "--" + name;
            }
        }
    }
    return best;
}

std::string VersionText()
{
    return std::string("vorlat ") + VORLAT_VERSION + " (RDKit " + Chem::ToolkitVersion() + ")";
}

int Info(const std::string& path, const vorlat::OpenOptions& open)
{
    const vorlat::TableFile file(path, open);
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

// Prints a table slice in the chosen format.
void Print(const vorlat::TableSlice& slice, const std::string& format, int width, const std::string& caption)
{
    if (format == "csv")
        vorlat::RenderCsv(std::cout, slice);
    else if (format == "json")
        vorlat::RenderJson(std::cout, slice);
    else
        vorlat::RenderText(std::cout, slice, width >= 0 ? width : vorlat::TerminalWidth(120), caption);
    std::cout.flush();
    if (!std::cout)
        throw vorlat::UserError("could not write the output");
}

// A comma list; "\\," is a comma inside a text.
std::vector<std::string> Split(const std::string& text)
{
    std::vector<std::string> parts(1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == ',')
            parts.back() += text[++i];
        else if (text[i] == ',')
            parts.emplace_back();
        else
            parts.back() += text[i];
    }
    return parts;
}

// A value the user typed, read as a cell is and written back as a cell's
// text: "2.0" finds a cell that holds 2, "1e5" one that holds 100000.
std::wstring AsCellText(const std::string& typed)
{
    return VorlatImportExport::TableDataUtil::BoostAny2WString(
        VorlatImportExport::TableDataUtil::SStringToBoostAny(typed));
}

std::vector<std::wstring> AsCellTexts(const std::vector<std::string>& texts)
{
    std::vector<std::wstring> wide;
    for (const std::string& text : texts)
        wide.push_back(AsCellText(text));
    return wide;
}

int OneColumn(const std::string& name, Host::ITableDataProvider& table)
{
    return vorlat::ResolveColumns({name}, table).front();
}

int Query(const QueryOptions& options)
{
    const bool ranked = !options.max.empty() || !options.min.empty();
    if (options.equal.empty() && options.groupBy.empty() && !ranked)
        throw vorlat::UserError("query needs --equal, --group-by, --max or --min");
    if (!options.equal.empty() && (!options.groupBy.empty() || ranked))
        throw vorlat::UserError("--equal does not combine with --group-by, --max or --min");
    if (!options.max.empty() && !options.min.empty())
        throw vorlat::UserError("give --max or --min, not both");
    if (!options.groups.empty() && options.groupBy.empty())
        throw vorlat::UserError("--groups needs --group-by");
    if (options.all && options.equal.empty())
        throw vorlat::UserError("--all goes with --equal");

    const vorlat::TableFile file(options.file, options.open);
    const boost::shared_ptr<Host::ITableDataProvider> table = file.Table();
    const boost::shared_ptr<VorlatImportExport::TableDataAnalyzer> analyzer(
        new VorlatImportExport::TableDataAnalyzer(table));

    // The queries answer with every column; the rows they choose are then
    // shown with the columns asked for, by number, so that a title that
    // repeats still picks the column named.
    const std::vector<std::wstring> columnNames;
    std::vector<int> shownColumns = vorlat::ResolveColumns(options.columns, *table);
    if (options.columns.empty())
        shownColumns = vorlat::AllRows(table->GetColumnCount());

    const std::string rankName = !options.max.empty() ? options.max : options.min;
    const VorlatImportExport::TDM_Query_Limits limit =
        !options.max.empty() ? VorlatImportExport::TDM_Query_Maxs : VorlatImportExport::TDM_Query_Mins;

    boost::shared_ptr<Host::ITableDataProvider> view;
    std::string what;
    if (!options.equal.empty()) {
        // Once: COLUMN=TEXT[,TEXT...]; repeated: one COLUMN=TEXT each, its
        // text whole (commas and all). Every one names the same column.
        std::string columnName;
        std::vector<std::string> texts;
        for (const std::string& equal : options.equal) {
            const std::size_t equals = equal.find('=');
            if (equals == std::string::npos)
                throw vorlat::UserError("--equal takes COLUMN=TEXT[,TEXT...], not \"" + equal + "\"");
            const std::string name = equal.substr(0, equals);
            if (!columnName.empty() && name != columnName)
                throw vorlat::UserError("--equal names one column; \"" + columnName + "\" and \"" + name + "\" differ");
            columnName = name;
            if (options.equal.size() == 1)
                texts = Split(equal.substr(equals + 1));
            else
                texts.push_back(equal.substr(equals + 1));
        }
        const int column = OneColumn(columnName, *table);
        if (options.all) {
            // Every row whose cell reads as one of the texts, in file order
            // (the same comparison as the library's query, which stops at
            // the first).
            const std::vector<std::wstring> wanted = AsCellTexts(texts);
            std::vector<int> rows;
            vorlat::TerminalProgress progress("Searching " + options.file);
            const int count = table->GetRowCount();
            for (int row = 0; row < count; ++row) {
                if (row % 1024 == 0) {
                    progress.SetProgress(static_cast<double>(row) / count);
                    if (progress.IsCancelled())
                        throw vorlat::UserError("searching " + options.file + " was cancelled");
                }
                const std::wstring text =
                    VorlatImportExport::TableDataUtil::BoostAny2WString(table->GetCellData(row, column));
                if (std::find(wanted.begin(), wanted.end(), text) != wanted.end())
                    rows.push_back(row);
            }
            view.reset(new VorlatImportExport::FilteredTableDataProvider(table, rows, shownColumns));
            what = "rows where " + columnName + " is ";
        } else {
            VorlatImportExport::TDMGetEqualToQuery query(column, AsCellTexts(texts), columnNames);
            view = query.Query(table, analyzer);
            what = "first row where " + columnName + " is ";
        }
        for (std::size_t i = 0; i < texts.size(); ++i)
            what += (i ? " or " : "") + texts[i];
    } else if (options.groupBy.empty()) {
        // No grouping: the column's largest and smallest value.
        const int column = OneColumn(rankName, *table);
        boost::any largest, smallest;
        analyzer->GetRankValueLimits(-1, column, largest, smallest, limit);
        const std::string title = Host::ToSString(table->GetColumnTitle(column));
        const std::string high = Host::ToSString(vorlat::CellText(largest));
        const std::string low = Host::ToSString(vorlat::CellText(smallest));
        if (largest.empty())
            throw vorlat::UserError("column \"" + title + "\" holds no numbers");
        if (options.format == "json") {
            const auto json = [](const boost::any& value, const std::string& text) {
                return Host::TableDataProviderUtilities::IsNumeric(value) ? text : nlohmann::json(text).dump();
            };
            std::cout << "{\"column\": " << nlohmann::json(title).dump() << ", \"largest\": " << json(largest, high)
                      << ", \"smallest\": " << json(smallest, low) << "}\n";
        }
        else if (options.format == "csv")
            std::cout << "column,largest,smallest\n" << title << ',' << high << ',' << low << '\n';
        else
            std::cout << title << ": largest " << high << ", smallest " << low << '\n';
        return 0;
    } else {
        const int groupColumn = OneColumn(options.groupBy, *table);
        const std::vector<std::wstring> groups = AsCellTexts(options.groups);
        if (ranked) {
            const int rankColumn = OneColumn(rankName, *table);
            std::vector<int> numerical;
            VorlatImportExport::TableDataUtil::FindNumericalColumns(table, numerical);
            if (std::find(numerical.begin(), numerical.end(), rankColumn) == numerical.end())
                throw vorlat::UserError("column \"" + Host::ToSString(table->GetColumnTitle(rankColumn)) +
                                        "\" is not numerical (its first cell is text)");
            if (limit == VorlatImportExport::TDM_Query_Maxs)
                view = VorlatImportExport::TDMGetMaxsQuery(groupColumn, rankColumn, groups, columnNames)
                           .Query(table, analyzer);
            else
                view = VorlatImportExport::TDMGetMinsQuery(groupColumn, rankColumn, groups, columnNames)
                           .Query(table, analyzer);
            what = std::string(limit == VorlatImportExport::TDM_Query_Maxs ? "largest " : "smallest ") + rankName +
                   " per " + options.groupBy;
        } else if (!groups.empty()) {
            view = VorlatImportExport::TDMGetGroupByQuery(groupColumn, groups, columnNames).Query(table, analyzer);
            what = "rows of the named groups of " + options.groupBy;
        } else {
            // Every group, in the order of their texts.
            std::vector<int> rows;
            analyzer->GetGroups(groupColumn, {}, rows);
            view.reset(new VorlatImportExport::FilteredTableDataProvider(table, rows, shownColumns));
            what = "rows by " + options.groupBy;
        }
    }

    // The chosen rows with the columns asked for.
    auto* chosen = dynamic_cast<VorlatImportExport::FilteredTableDataProvider*>(view.get());
    std::vector<int> fullRows;
    for (int row = 0; chosen && row < chosen->GetRowCount(); ++row)
        fullRows.push_back(chosen->ConvertFilteredToFullRow(row));
    if (chosen)
        view.reset(new VorlatImportExport::FilteredTableDataProvider(table, fullRows, shownColumns));
    auto& filtered = dynamic_cast<VorlatImportExport::FilteredTableDataProvider&>(*view);
    vorlat::TableSlice slice{*view, vorlat::AllRows(view->GetRowCount()), vorlat::AllRows(view->GetColumnCount())};
    // Rows are titled as in the file.
    for (int row : slice.rows)
        slice.rowTitles.push_back(table->GetRowTitle(filtered.ConvertFilteredToFullRow(row)));
    const int count = view->GetRowCount();
    Print(slice, options.format, options.width,
          options.file + ": " + what + ": " + std::to_string(count) + (count == 1 ? " row" : " rows"));
    return 0;
}

int Group(const GroupOptions& options)
{
    const vorlat::TableFile file(options.file, options.open);
    const boost::shared_ptr<Host::ITableDataProvider> table = file.Table();
    const std::vector<int> by = vorlat::ResolveColumns(options.by, *table);
    const int rank = options.rank.empty() ? -1 : OneColumn(options.rank, *table);

    VorlatGroupBy::GroupBy grouping;
    grouping.Group(table, by, rank);
    std::vector<int> rows;
    std::string what;
    if (options.members != 0) {
        const int row = options.members - 1;
        if (row < 0 || row >= table->GetRowCount())
            throw vorlat::UserError("--members takes a row number from 1 to " + std::to_string(table->GetRowCount()));
        grouping.GetGroup(table, row, rows);
        what = "the group of row " + std::to_string(options.members);
    } else {
        grouping.GetGroupRepresentatives(table, rows, options.last);
        what = std::string(options.last ? "last" : "first") + " row of each group";
    }
    vorlat::TableSlice slice{*table, rows, vorlat::ResolveColumns(options.columns, *table)};
    Print(slice, options.format, options.width,
          options.file + ": " + what + ": " + std::to_string(rows.size()) + (rows.size() == 1 ? " row" : " rows"));
    return 0;
}

// Writes one output file ("-": standard output), with a progress bar on a
// terminal; a path that cannot be written is a user error, and Ctrl-C
// stops with one.
template <typename Write>
void WriteFile(const std::string& path, vorlat::TableSlice& slice, Write write)
{
    const bool standardOutput = path == "-";
    std::ofstream file;
    if (!standardOutput) {
        file.open(path, std::ios::binary | std::ios::trunc);
        if (!file)
            throw vorlat::UserError("cannot write " + path + ": " + std::strerror(errno));
    }
    std::ostream& out = standardOutput ? std::cout : file;
    if (standardOutput) {
        write(out);
    } else {
        // The bar on standard error; a file left unfinished is removed.
        vorlat::TerminalProgress progress("Writing " + path);
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
        throw vorlat::UserError("cannot write " + (standardOutput ? std::string("standard output") : path) + ": " +
                                std::strerror(errno));
}

// The rows an HTML page holds unless --rows says otherwise.
const int PageRows = 500;

int Export(const ExportOptions& options)
{
    if (options.html.empty() && options.csv.empty() && options.json.empty())
        throw vorlat::UserError("export needs --html, --csv or --json and a file to write");
    if ((options.html == "-") + (options.csv == "-") + (options.json == "-") > 1)
        throw vorlat::UserError("only one output can go to standard output (-)");
    const vorlat::TableFile file(options.file, options.open);
    Host::ITableDataProvider& table = *file.Table();
    const int rowCount = table.GetRowCount();
    // Every row unless told otherwise; the page the first 500, as a browser
    // would not open millions of drawings, and it says so.
    const std::vector<int> rows =
        options.rows.empty() ? vorlat::AllRows(rowCount) : vorlat::ParseRowSlice(options.rows, rowCount);
    vorlat::TableSlice slice{table, rows, vorlat::ResolveColumns(options.columns, table)};
    // One output reads each row once, in order: the table need not keep the
    // records it parsed. Several read the rows again each, and the records
    // the table keeps spare parsing them again.
    const int outputs = !options.html.empty() + !options.csv.empty() + !options.json.empty();
    if (outputs == 1)
        file.ReadRowsOnce();
    if (!options.html.empty()) {
        const bool limited = options.rows.empty() && rowCount > PageRows;
        vorlat::TableSlice page = slice;
        if (limited) {
            page.rows.resize(PageRows);
            std::cerr << "vorlat: the page shows rows 1-" << PageRows << " of " << rowCount
                      << "; --rows writes others (such as --rows 1:" << rowCount << ")\n";
        }
        WriteFile(options.html, page, [&](std::ostream& out) {
            vorlat::ExportHtml(out, page, std::filesystem::path(options.file).filename().string(), rowCount,
                               table.GetColumnCount(), limited);
        });
    }
    if (!options.csv.empty())
        WriteFile(options.csv, slice, [&](std::ostream& out) { vorlat::RenderCsv(out, slice); });
    if (!options.json.empty())
        WriteFile(options.json, slice, [&](std::ostream& out) { vorlat::RenderJson(out, slice); });
    return 0;
}

int Show(const ShowOptions& options)
{
    const std::string path = options.file.empty() ? vorlat::BundledExamplePath() : options.file;
    const vorlat::TableFile file(path, options.open);
    Host::ITableDataProvider& table = *file.Table();

    const int rowCount = table.GetRowCount();
    vorlat::TableSlice slice{table,
                             options.rows.empty() ? vorlat::AllRows(rowCount)
                                                  : vorlat::ParseRowSlice(options.rows, rowCount),
                             vorlat::ResolveColumns(options.columns, table)};

    std::string caption = path + ": " + std::to_string(rowCount) + (rowCount == 1 ? " row, " : " rows, ") +
                          std::to_string(table.GetColumnCount()) + " columns";
    if (slice.rows.size() != static_cast<std::size_t>(rowCount)) {
        const std::size_t shown = slice.rows.size();
        caption += shown == 0   ? " (none shown)"
                   : shown == 1 ? " (row " + std::to_string(slice.rows.front() + 1) + " shown)"
                                : " (rows " + std::to_string(slice.rows.front() + 1) + "-" +
                                      std::to_string(slice.rows.back() + 1) + " shown)";
    }
    // The text view leaves out an "Index" column that only repeats the row
    // numbers beside it; the data formats keep every column.
    if (options.format == "text" && options.columns.empty()) {
        const int index = VorlatImportExport::TableDataUtil::FindColumnFromTable(file.Table(), L"Index");
        bool repeats = index >= 0 && !slice.rows.empty();
        for (std::size_t i = 0; repeats && i < slice.rows.size(); ++i)
            repeats = vorlat::CellText(table.GetCellData(slice.rows[i], index)) == slice.RowTitle(i);
        if (repeats)
            slice.columns.erase(std::remove(slice.columns.begin(), slice.columns.end(), index), slice.columns.end());
    }
    Print(slice, options.format, options.width, caption);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    // Display widths of wide text need a UTF-8 character classification;
    // numbers are read independently of the locale.
    std::setlocale(LC_CTYPE, "C.UTF-8");
    std::ios::sync_with_stdio(false);

    CLI::App app{"Opens CSV, SD, Mol2 and Quenbar files as tables, as the VorlatImportExport library shows them."};
    app.set_version_flag("--version", VersionText());
    app.require_subcommand(1);

    ShowOptions show;
    CLI::App* showCommand = app.add_subcommand("show", "Print a file as a table (the bundled example without FILE)");
    showCommand->add_option("FILE", show.file,
                            "The file to open; its type comes from its extension (.csv, .tsv, .txt, .sdf, .sd, .mol2)");
    AddOpenOptions(showCommand, show.open);
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

    std::string infoFile;
    vorlat::OpenOptions infoOpen;
    CLI::App* infoCommand = app.add_subcommand("info", "Print a file's row count, column titles and index time");
    infoCommand->add_option("FILE", infoFile, "The file to open")->required();
    AddOpenOptions(infoCommand, infoOpen);

    QueryOptions query;
    CLI::App* queryCommand = app.add_subcommand(
        "query", "Rows that answer a question: equal to texts, groups, largest or smallest per group");
    queryCommand->add_option("FILE", query.file, "The file to open")->required();
    AddOpenOptions(queryCommand, query.open);
    queryCommand->add_option("--equal", query.equal,
                             "COLUMN=TEXT[,TEXT...]: the first row whose cell reads as one of the texts (--all: every "
                             "such row; \\, for a "
                             "comma in a text); repeat it, one COLUMN=TEXT each, for texts with commas")
        ->expected(1)
        ->take_all();
    queryCommand->add_flag("--all", query.all,
                           "With --equal: every matching row, in file order (without it: the first one)");
    queryCommand->add_option("--group-by", query.groupBy, "Group the rows by this column's text");
    queryCommand->add_option("--groups", query.groups, "Only these groups (with --group-by): A,B,...")
        ->delimiter(',');
    queryCommand->add_option("--max", query.max,
                             "With --group-by: each group's row of the largest value in this column; without: "
                             "the column's largest and smallest value");
    queryCommand->add_option("--min", query.min, "As --max, for the smallest value");
    queryCommand->add_option("--columns", query.columns, "Columns to show, by title or 0-based number")
        ->delimiter(',');
    queryCommand->add_option("--format", query.format, "text (aligned columns), csv or json")
        ->check(CLI::IsMember({"text", "csv", "json"}));
    queryCommand->add_option("--width", query.width, "Width of the text table (default: the terminal's; 0: no limit)");

    GroupOptions group;
    CLI::App* groupCommand =
        app.add_subcommand("group", "One row per group of rows whose cells in the given columns read the same");
    groupCommand->add_option("FILE", group.file, "The file to open")->required();
    AddOpenOptions(groupCommand, group.open);
    groupCommand->add_option("--by", group.by, "Grouping columns, by title or 0-based number: A,B")
        ->delimiter(',')
        ->required();
    groupCommand->add_option("--rank", group.rank, "Order each group by this column's values");
    CLI::Option* first = groupCommand->add_flag("--first", "Show each group's first row (the default)");
    groupCommand->add_flag("--last", group.last, "Show each group's last row (its largest rank value)")
        ->excludes(first);
    groupCommand->add_option("--members", group.members, "Show the rows of this row's group (row number as shown)");
    groupCommand->add_option("--columns", group.columns, "Columns to show, by title or 0-based number")
        ->delimiter(',');
    groupCommand->add_option("--format", group.format, "text (aligned columns), csv or json")
        ->check(CLI::IsMember({"text", "csv", "json"}));
    groupCommand->add_option("--width", group.width, "Width of the text table (default: the terminal's; 0: no limit)");

    ExportOptions exportOptions;
    CLI::App* exportCommand = app.add_subcommand(
        "export", "Write a file's table as a page with structure drawings (--html), CSV (--csv) or JSON (--json)");
    exportCommand->add_option("FILE", exportOptions.file, "The file to open")->required();
    AddOpenOptions(exportCommand, exportOptions.open);
    exportCommand->add_option("--html", exportOptions.html,
                              "Write a self-contained HTML page here (- for standard output)");
    exportCommand->add_option("--csv", exportOptions.csv,
                              "Write RFC 4180 CSV here, structures as SMILES (- for standard output)");
    exportCommand->add_option("--json", exportOptions.json,
                              "Write JSON here, one object per row (- for standard output)");
    exportCommand->add_option("--rows", exportOptions.rows,
                              "Rows to write, as in show (default: every row; the HTML page: the first 500)");
    exportCommand->add_option("--columns", exportOptions.columns, "Columns to write, by title or 0-based number")
        ->delimiter(',');

    try {
        app.parse(argc, argv);
    } catch (const CLI::ExtrasError& error) {
        // An option mistyped: name the one meant, when one is close.
        for (const CLI::App* command : app.get_subcommands()) {
            for (const std::string& extra : command->remaining()) {
                const std::string suggestion = ClosestOption(*command, extra);
                if (!suggestion.empty()) {
                    std::cerr << "vorlat: unknown option " << extra << "; did you mean " << suggestion << "?\n";
                    return 2;
                }
            }
        }
        return app.exit(error) == 0 ? 0 : 2;
    } catch (const CLI::ParseError& error) {
        const int code = app.exit(error);
        return code == 0 ? 0 : 2;
    }

    try {
        if (*showCommand)
            return Show(show);
        if (*infoCommand)
            return Info(infoFile, infoOpen);
        if (*queryCommand)
            return Query(query);
        if (*groupCommand)
            return Group(group);
        if (*exportCommand)
            return Export(exportOptions);
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
