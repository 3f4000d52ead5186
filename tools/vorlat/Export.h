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

} // namespace vorlat
