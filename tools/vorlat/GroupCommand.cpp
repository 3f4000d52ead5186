#include "CommandLine.h"

#include <memory>

#include "Selection.h"
#include "analysis/GroupBy.h"

namespace vorlat {

namespace {

struct GroupOptions {
    std::string file;
    OpenOptions open;
    std::vector<std::string> by;
    std::string rank;
    bool last = false;
    int members = 0;
    std::vector<std::string> columns;
    std::string format = "text";
    int width = -1;
};

int Group(const GroupOptions& options)
{
    const TableFile file(options.file, options.open);
    const boost::shared_ptr<Host::ITableDataProvider> table = file.Table();
    const std::vector<int> by = ResolveColumns(options.by, *table);
    const int rank = options.rank.empty() ? -1 : OneColumn(options.rank, *table);

    VorlatGroupBy::GroupBy grouping;
    grouping.Group(table, by, rank);
    std::vector<int> rows;
    std::string what;
    if (options.members != 0) {
        const int row = options.members - 1;
        if (row < 0 || row >= table->GetRowCount())
            throw UserError("--members takes a row number from 1 to " + std::to_string(table->GetRowCount()));
        grouping.GetGroup(table, row, rows);
        what = "the group of row " + std::to_string(options.members);
    } else {
        grouping.GetGroupRepresentatives(table, rows, options.last);
        what = std::string(options.last ? "last" : "first") + " row of each group";
    }
    TableSlice slice{*table, rows, ResolveColumns(options.columns, *table)};
    Print(slice, options.format, options.width,
          options.file + ": " + what + ": " + std::to_string(rows.size()) + (rows.size() == 1 ? " row" : " rows"));
    return 0;
}

} // namespace

Command AddGroupCommand(CLI::App& app)
{
    const auto options = std::make_shared<GroupOptions>();
    CLI::App* command =
        app.add_subcommand("group", "One row per group of rows whose cells in the given columns read the same");
    AddFileOptions(command, options->file, options->open);
    command->add_option("--by", options->by, "Grouping columns, by title or 0-based number: A,B")
        ->delimiter(',')
        ->required();
    command->add_option("--rank", options->rank, "Order each group by this column's values");
    CLI::Option* first = command->add_flag("--first", "Show each group's first row (the default)");
    command->add_flag("--last", options->last, "Show each group's last row (its largest rank value)")->excludes(first);
    command->add_option("--members", options->members, "Show the rows of this row's group (row number as shown)");
    AddViewOptions(command, options->columns, options->format, options->width);
    return {command, [options] { return Group(*options); }};
}

} // namespace vorlat
