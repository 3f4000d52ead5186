#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "host/CellRanges.h"
#include "host/Export.h"

namespace VorlatImportExport {

// The distinct rows covered by a list of cell ranges, visited in ascending
// order; columns are ignored. The rows are held as sorted, disjoint
// intervals, so a range of ten million rows costs as little as one row.
//
// The loop: if Count() is not 0, take First(), then Next() while not Done().
// First, Next and Done move a position shared by every use of the object.
class VORLAT_EXPORT RowIterator {
public:
    RowIterator();
    explicit RowIterator(const Host::CellRanges& ranges);
    RowIterator(const RowIterator& other);
    RowIterator& operator=(const RowIterator& other);
    virtual ~RowIterator();

    // Rebuilds the rows from the ranges; the position goes to the first row.
    void Set(const Host::CellRanges& ranges);
    // The number of distinct rows.
    int Count() const;
    // The lowest row, now the position; -1 when there are none.
    int First() const;
    // True when there are no rows or none follows the position.
    bool Done() const;
    // The row after the position, now the position; -1 when Done().
    int Next() const;
    // Whether the row is covered; the position does not move.
    bool Find(int row) const;

    // The covered rows as sorted, disjoint, non-adjacent intervals
    // (first row, last row).
    const std::vector<std::pair<int, int>>& GetIntervals() const { return m_Intervals; }

private:
    void InitializeRowCollection(const Host::CellRanges& ranges);

    std::vector<std::pair<int, int>> m_Intervals;
    std::int64_t m_Count = 0;
    mutable std::size_t m_Interval = 0;
    mutable int m_Row = 0;
};

} // namespace VorlatImportExport
