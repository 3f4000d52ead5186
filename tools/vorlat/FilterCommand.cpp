#include "CommandLine.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cctype>
#include <stdexcept>
#include <thread>
#include <memory>

#include "Expression.h"
#include "Selection.h"
#include "TerminalProgress.h"
#include "chem/ChemDoc.h"
#include "chem/StructureQuery.h"
#include "chem/Toolkit.h"
#include "index/IndexOptions.h"
#include "molecule/Mol2DataProvider.h"
#include "molecule/SDDataProvider.h"
#include "host/StringConversion.h"

namespace vorlat {

namespace {

struct FilterOptions {
    std::string file;
    OpenOptions open;
    std::string where;
    std::string smarts;
    std::string smiles;
    std::string smilesColumn;
    std::string sort;
    std::string rows;
    std::vector<std::string> columns;
    std::string format = "text";
    int width = -1;
};

// A row's place in the sorted result: numbers before texts, empty cells
// last whatever the direction.
struct SortKey {
    int row;
    int kind; // 0: number, 1: text, 2: empty
    double number;
    std::wstring text;
};

void SortRows(std::vector<int>& rows, Host::ITableDataProvider& table, int column, bool descending)
{
    std::vector<SortKey> keys;
    keys.reserve(rows.size());
    for (const int row : rows) {
        const boost::any value = table.GetCellData(row, column);
        SortKey key{row, 2, 0, std::wstring()};
        if (CellNumber(value, key.number))
            key.kind = 0;
        else if (!value.empty() && !(key.text = CellText(value)).empty())
            key.kind = 1;
        keys.push_back(std::move(key));
    }
    std::stable_sort(keys.begin(), keys.end(), [descending](const SortKey& a, const SortKey& b) {
        if (a.kind != b.kind)
            return a.kind < b.kind;
        if (a.kind == 2)
            return false;
        const bool less = a.kind == 0 ? a.number < b.number : a.text < b.text;
        const bool greater = a.kind == 0 ? b.number < a.number : b.text < a.text;
        return descending ? greater : less;
    });
    for (std::size_t i = 0; i < keys.size(); ++i)
        rows[i] = keys[i].row;
}

// A row's structure against the query: a structure cell, or a SMILES text.
bool StructureMatches(const Chem::StructureQuery& query, const boost::any& value)
{
    if (value.type() == typeid(Chem::ChemDoc*))
        return query.Matches(CellMolecule(value));
    return !value.empty() && query.MatchesSmiles(Host::ToSString(CellText(value)));
}

// The substructure search of rows of an SD file on every core: each
// record's text read at its offset (side by side, where the input stream
// can) and searched as the toolkit's own SD reader reads it. A record the
// toolkit cannot read is answered Unreadable, for the caller to search in
// the table's structure; so is every row when the stream cannot be read
// side by side.
std::vector<Chem::StructureQuery::Answer> SearchSdRecords(VorlatImportExport::SDDataProvider& sd,
                                                          const Chem::StructureQuery& query,
                                                          const std::vector<int>& rows, TerminalProgress& progress,
                                                          const std::string& name)
{
    using Answer = Chem::StructureQuery::Answer;
    std::vector<Answer> answers(rows.size(), Answer::Unreadable);
    const boost::shared_ptr<Host::InputStream> input = sd.GetInputStream();
    if (!input || !input->CanReadAt() || rows.empty())
        return answers;
    // Where each record lies, asked on this thread: the table is not shared.
    std::vector<std::pair<std::int64_t, std::int64_t>> places(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i)
        places[i] = {sd.GetMoleculeOffset(rows[i]), sd.GetMoleculeSize(rows[i])};

    const std::size_t chunk = 256;
    std::atomic<std::size_t> next{0};
    std::atomic<std::size_t> done{0};
    std::atomic<bool> stop{false};
    const auto work = [&]() {
        std::string text;
        for (;;) {
            const std::size_t first = next.fetch_add(chunk);
            if (first >= rows.size() || stop)
                return;
            const std::size_t last = std::min(first + chunk, rows.size());
            for (std::size_t i = first; i < last && !stop; ++i) {
                const auto [offset, size] = places[i];
                if (offset < 0 || size <= 0 || size > (std::int64_t(1) << 30))
                    continue;
                try {
                    text.resize(static_cast<std::size_t>(size));
                    const std::size_t got = input->ReadAt(offset, text.data(), text.size());
                    answers[i] = query.MatchesSdRecord(text.data(), got);
                } catch (...) {
                    answers[i] = Answer::Unreadable;
                }
            }
            done += last - first;
        }
    };
    // The toolkit's logs stay off while the threads read (each read must
    // not switch them itself), and the caller's thread shows the progress.
    Chem::ToolkitLogsOff quiet;
    const int threads = std::max(1, VorlatImportExport::IndexOptions::ThreadsToUse());
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t)
        pool.emplace_back(work);
    bool cancelled = false;
    while (done < rows.size() && !cancelled) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        progress.SetProgress(0.05 + 0.9 * static_cast<double>(done) / static_cast<double>(rows.size()));
        if (progress.IsCancelled()) {
            cancelled = true;
            stop = true;
        }
    }
    for (std::thread& thread : pool)
        thread.join();
    if (cancelled)
        throw UserError("filtering " + name + " was cancelled");
    return answers;
}

int Filter(const FilterOptions& options)
{
    if (options.where.empty() && options.smarts.empty() && options.smiles.empty())
        throw UserError("filter needs --where, --smarts or --smiles");
    if (!options.smarts.empty() && !options.smiles.empty())
        throw UserError("give --smarts or --smiles, not both");
    const TableFile file(options.file, options.open);
    Host::ITableDataProvider& table = *file.Table();
    std::unique_ptr<Expression> expression;
    if (!options.where.empty())
        expression.reset(new Expression(options.where, table));
    std::unique_ptr<Chem::StructureQuery> structure;
    int structureColumn = -1;
    if (!options.smarts.empty() || !options.smiles.empty()) {
        const bool smarts = !options.smarts.empty();
        try {
            structure.reset(new Chem::StructureQuery(smarts ? options.smarts : options.smiles,
                                                     smarts ? Chem::StructureQuery::Kind::Substructure
                                                            : Chem::StructureQuery::Kind::Exact));
        } catch (const std::invalid_argument& error) {
            throw UserError(std::string(smarts ? "--smarts: " : "--smiles: ") + error.what());
        }
        // SD and Mol2 tables hold structures; other tables SMILES texts.
        structureColumn = HoldsStructures(table) && options.smilesColumn.empty()
                              ? 0
                              : SmilesColumn(table, options.smilesColumn);
    }
    std::string sortName = options.sort;
    bool descending = false;
    const std::size_t colon = sortName.rfind(':');
    if (colon != std::string::npos && (sortName.substr(colon + 1) == "desc" || sortName.substr(colon + 1) == "asc")) {
        descending = sortName.substr(colon + 1) == "desc";
        sortName.resize(colon);
    }
    const int sortColumn = sortName.empty() ? -1 : OneColumn(sortName, table);
    const std::vector<int> shownColumns = ResolveColumns(options.columns, table);

    // Row by row, each read once: the table need not keep parsed records.
    file.ReadRowsOnce();
    std::vector<int> matched;
    {
        TerminalProgress progress("Filtering " + options.file);
        const int count = table.GetRowCount();
        // The expression first, row by row; then the structures of the rows
        // it leaves.
        for (int row = 0; row < count; ++row) {
            if (row % 1024 == 0) {
                progress.SetProgress(static_cast<double>(row) / count * (structure ? 0.05 : 1.0));
                if (progress.IsCancelled())
                    throw UserError("filtering " + options.file + " was cancelled");
            }
            if (!expression || expression->Matches(table, row))
                matched.push_back(row);
        }
        if (structure) {
            // An SD file's records are searched on every core, as the
            // toolkit's own SD reader reads them; a record it cannot read,
            // and other tables, through the table's structure cells.
            std::vector<Chem::StructureQuery::Answer> answers(matched.size(), Chem::StructureQuery::Answer::Unreadable);
            auto* sd = dynamic_cast<VorlatImportExport::SDDataProvider*>(file.Table().get());
            if (sd && !dynamic_cast<VorlatImportExport::Mol2DataProvider*>(sd) && structureColumn == 0 &&
                !options.smarts.empty())
                answers = SearchSdRecords(*sd, *structure, matched, progress, options.file);
            std::vector<int> kept;
            for (std::size_t i = 0; i < matched.size(); ++i) {
                const Chem::StructureQuery::Answer answer = answers[i];
                if (answer == Chem::StructureQuery::Answer::Yes ||
                    (answer == Chem::StructureQuery::Answer::Unreadable &&
                     StructureMatches(*structure, table.GetCellData(matched[i], structureColumn))))
                    kept.push_back(matched[i]);
                if (i % 256 == 0 && answer == Chem::StructureQuery::Answer::Unreadable) {
                    progress.SetProgress(0.05 + 0.95 * static_cast<double>(i) / static_cast<double>(matched.size()));
                    if (progress.IsCancelled())
                        throw UserError("filtering " + options.file + " was cancelled");
                }
            }
            matched.swap(kept);
        }
    }
    if (sortColumn >= 0)
        SortRows(matched, table, sortColumn, descending);
    const std::size_t found = matched.size();
    if (!options.rows.empty()) {
        std::vector<int> chosen;
        for (const int i : ParseRowSlice(options.rows, static_cast<int>(found)))
            chosen.push_back(matched[static_cast<std::size_t>(i)]);
        matched.swap(chosen);
    }
    TableSlice slice{table, matched, shownColumns};
    if (options.format == "text" && options.columns.empty())
        HideRepeatedIndex(slice);
    std::string caption = options.file + ": " + std::to_string(found) + " of " + std::to_string(table.GetRowCount()) +
                          (table.GetRowCount() == 1 ? " row" : " rows") + " match";
    if (matched.size() != found)
        caption += " (" + std::to_string(matched.size()) + " shown)";
    Print(slice, options.format, options.width, caption);
    return 0;
}

} // namespace

Command AddFilterCommand(CLI::App& app)
{
    const auto options = std::make_shared<FilterOptions>();
    CLI::App* command =
        app.add_subcommand("filter", "Every row that passes a test (--where) or holds a structure (--smarts, "
                                     "--smiles), in file order or sorted (--sort)");
    AddFileOptions(command, options->file, options->open);
    command->add_option("--where", options->where,
                        "A test such as \"MW < 500 and logP <= 5\": columns compared with numbers or 'texts' "
                        "(< <= > >= = !=), ~ 'regex', is [not] empty, and, or, not, parentheses; `titles with "
                        "spaces` in backquotes");
    command->add_option("--smarts", options->smarts,
                        "Rows whose structure contains this SMARTS pattern (SD and Mol2 structures, or a CSV "
                        "file's SMILES column)");
    command->add_option("--smiles", options->smiles, "Rows whose structure is this one (the same canonical SMILES)");
    command->add_option("--smiles-column", options->smilesColumn,
                        "The column of SMILES to search (default: the one titled SMILES, or whose title has it)");
    command->add_option("--sort", options->sort,
                        "Order the rows by this column (COLUMN or COLUMN:desc): numbers as numbers, empty cells last");
    command->add_option("--rows", options->rows, "Rows of the result to show, numbered from 1: 1:20, -10:");
    AddViewOptions(command, options->columns, options->format, options->width);
    return {command, [options] { return Filter(*options); }};
}

} // namespace vorlat
