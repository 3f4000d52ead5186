#pragma once

// Reads every cell of a table the way a host would: counts, titles, cells,
// type identities, chemistry flags. Bounded, so that an input of a million
// tiny rows stays quick.

#include "host/ITableDataProvider.h"

inline void ReadEveryCell(Host::ITableDataProvider& table, int rowLimit = 2000)
{
    const int rows = table.GetRowCount() < rowLimit ? table.GetRowCount() : rowLimit;
    const int columns = table.GetColumnCount() < 200 ? table.GetColumnCount() : 200;
    for (int c = 0; c < columns; ++c)
        table.GetColumnTitle(c);
    for (int r = 0; r < rows; ++r) {
        table.GetRowTitle(r);
        for (int c = 0; c < columns; ++c) {
            table.GetCellDataTypeId(r, c);
            table.IsChemistryCell(r, c);
            table.GetCellData(r, c);
        }
    }
}
