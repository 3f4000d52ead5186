#pragma once

#include <vector>

#include "host/CellRanges.h"
#include "host/Export.h"

namespace VorlatImportExport {

// Builds and copies lists of cell ranges.
class VORLAT_EXPORT TableUtil {
public:
    TableUtil& operator=(const TableUtil&) { return *this; }

    // Appends one full-width range (columns 0 to columnCount - 1) per run of
    // consecutive rows, in list order: rows 5, 6, 7, 2 give 5-7 and 2-2. The
    // list is neither sorted nor freed of duplicates.
    static void ConvertRowsToCellRanges(const std::vector<int>& rows, int columnCount, Host::CellRanges& ranges);

    // Appends every range of source to destination.
    static void CopyCellRanges(const Host::CellRanges& source, Host::CellRanges& destination);
};

} // namespace VorlatImportExport
