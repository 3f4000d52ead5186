#pragma once

#include <ostream>
#include <string>

#include "Render.h"

namespace vorlat {

// One self-contained HTML page of the slice: a header with the file's name
// and size, a table whose structure cells are inline SVG drawings and whose
// column headers sort it when clicked (a URL fragment "#sort=N" or
// "#sort=N-desc" sorts it on load), numbers right-aligned. Texts are escaped;
// bytes that are not UTF-8 show as U+FFFD. limited: the rows are the
// default share of a larger table, which the page says.
void ExportHtml(std::ostream& out, const TableSlice& slice, const std::string& fileName, int rowCount,
                int columnCount, bool limited = false);

// An Excel workbook of the slice: a sheet with the titles in a frozen, bold
// first row, numbers as numbers, and structures (SD and Mol2 structure
// cells, a CSV file's SMILES column) as pictures in their cells. Throws
// UserError when the file cannot be written.
void ExportXlsx(const std::string& path, const TableSlice& slice);

} // namespace vorlat
