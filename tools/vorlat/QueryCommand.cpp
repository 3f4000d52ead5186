#include "CommandLine.h"

#include <algorithm>
#include <iostream>
#include <memory>

#include <nlohmann/json.hpp>

#include "Selection.h"
#include "TerminalProgress.h"
#include "analysis/TDMQuery.h"
#include "analysis/TableDataAnalyzer.h"
#include "frame/TableDataUtil.h"
#include "host/StringConversion.h"
#include "host/TableDataProviderUtilities.h"
#include "views/FilteredTableDataProvider.h"

namespace vorlat {

namespace {

struct QueryOptions {
    std::string file;
    OpenOptions open;
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

int Query(const QueryOptions& options)
{
    const bool ranked = !options.max.empty() || !options.min.empty();
    if (options.equal.empty() && options.groupBy.empty() && !ranked)
        throw UserError("query needs --equal, --group-by, --max or --min");
    if (!options.equal.empty() && (!options.groupBy.empty() || ranked))
        throw UserError("--equal does not combine with --group-by, --max or --min");
    if (!options.max.empty() && !options.min.empty())
        throw UserError("give --max or --min, not both");
    if (!options.groups.empty() && options.groupBy.empty())
        throw UserError("--groups needs --group-by");
    if (options.all && options.equal.empty())
        throw UserError("--all goes with --equal");

    const TableFile file(options.file, options.open);
    const boost::shared_ptr<Host::ITableDataProvider> table = file.Table();
    const boost::shared_ptr<VorlatImportExport::TableDataAnalyzer> analyzer(
        new VorlatImportExport::TableDataAnalyzer(table));

    // The queries answer with every column; the rows they choose are then
    // shown with the columns asked for, by number, so that a title that
    // repeats still picks the column named.
    const std::vector<std::wstring> columnNames;
    std::vector<int> shownColumns = ResolveColumns(options.columns, *table);
    if (options.columns.empty())
        shownColumns = AllRows(table->GetColumnCount());

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
                throw UserError("--equal takes COLUMN=TEXT[,TEXT...], not \"" + equal + "\"");
            const std::string name = equal.substr(0, equals);
            if (!columnName.empty() && name != columnName)
                throw UserError("--equal names one column; \"" + columnName + "\" and \"" + name + "\" differ");
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
            TerminalProgress progress("Searching " + options.file);
            const int count = table->GetRowCount();
            for (int row = 0; row < count; ++row) {
                if (row % 1024 == 0) {
                    progress.SetProgress(static_cast<double>(row) / count);
                    if (progress.IsCancelled())
                        throw UserError("searching " + options.file + " was cancelled");
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
        const std::string high = Host::ToSString(CellText(largest));
        const std::string low = Host::ToSString(CellText(smallest));
        if (largest.empty())
            throw UserError("column \"" + title + "\" holds no numbers");
        if (options.format == "json") {
            const auto json = [](const boost::any& value, const std::string& text) {
                return Host::TableDataProviderUtilities::IsNumeric(value) ? text : nlohmann::json(text).dump();
            };
            std::cout << "{\"column\": " << nlohmann::json(title).dump() << ", \"largest\": " << json(largest, high)
                      << ", \"smallest\": " << json(smallest, low) << "}\n";
        } else if (options.format == "csv")
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
                throw UserError("column \"" + Host::ToSString(table->GetColumnTitle(rankColumn)) +
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
    TableSlice slice{*view, AllRows(view->GetRowCount()), AllRows(view->GetColumnCount())};
    // Rows are titled as in the file.
    for (int row : slice.rows)
        slice.rowTitles.push_back(table->GetRowTitle(filtered.ConvertFilteredToFullRow(row)));
    const int count = view->GetRowCount();
    Print(slice, options.format, options.width,
          options.file + ": " + what + ": " + std::to_string(count) + (count == 1 ? " row" : " rows"));
    return 0;
}

} // namespace

Command AddQueryCommand(CLI::App& app)
{
    const auto options = std::make_shared<QueryOptions>();
    CLI::App* command = app.add_subcommand(
        "query", "Rows that answer a question: equal to texts, groups, largest or smallest per group");
    AddFileOptions(command, options->file, options->open);
    command
        ->add_option("--equal", options->equal,
                     "COLUMN=TEXT[,TEXT...]: the first row whose cell reads as one of the texts (--all: every "
                     "such row; \\, for a "
                     "comma in a text); repeat it, one COLUMN=TEXT each, for texts with commas")
        ->expected(1)
        ->take_all();
    command->add_flag("--all", options->all,
                      "With --equal: every matching row, in file order (without it: the first one)");
    command->add_option("--group-by", options->groupBy, "Group the rows by this column's text");
    command->add_option("--groups", options->groups, "Only these groups (with --group-by): A,B,...")->delimiter(',');
    command->add_option("--max", options->max,
                        "With --group-by: each group's row of the largest value in this column; without: "
                        "the column's largest and smallest value");
    command->add_option("--min", options->min, "As --max, for the smallest value");
    AddViewOptions(command, options->columns, options->format, options->width);
    return {command, [options] { return Query(*options); }};
}

} // namespace vorlat
