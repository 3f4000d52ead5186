#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "host/IProgressMonitor.h"
#include "host/ITableDataProvider.h"

namespace vorlat {

enum class Format { Text, Csv, Json };

// What to print of a table: which rows and columns, in which order.
struct TableSlice {
    Host::ITableDataProvider& table;
    std::vector<int> rows;
    std::vector<int> columns;
    // Titles of the rows shown, in order, when not the table's own.
    std::vector<std::wstring> rowTitles = {};
    // Hears how far the writing has come, now and then; null: nobody.
    Host::IProgressMonitor* progress = nullptr;

    std::wstring RowTitle(std::size_t i) const
    {
        return i < rowTitles.size() ? rowTitles[i] : table.GetRowTitle(rows[i]);
    }
    // The i-th row shown is about to be written: tells the progress monitor
    // every 256 rows, and throws UserError when the user cancelled.
    void RowReached(std::size_t i) const;
};

// Aligned columns that fit width terminal cells (0: no limit): row titles
// first, numbers right-aligned, long cells cut with an ellipsis. Bytes that
// are not UTF-8 show as U+FFFD and control characters as their symbols, so
// the columns stay aligned.
void RenderText(std::ostream& out, const TableSlice& slice, int width, const std::string& caption);

// RFC 4180: a title line, then one line per row; every cell's text with the
// file's bytes unchanged, quoted when it holds a comma, a quote or a line end.
void RenderCsv(std::ostream& out, const TableSlice& slice);

// A JSON array with one object per row, keyed by column title (a repeated
// title gets " (2)", " (3)", ...); numbers as numbers, empty cells as null,
// bytes that are not UTF-8 as U+FFFD.
void RenderJson(std::ostream& out, const TableSlice& slice);

// The width of the terminal on standard output, $COLUMNS, or fallback.
int TerminalWidth(int fallback);

} // namespace vorlat
