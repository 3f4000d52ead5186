#pragma once

#include "host/Export.h"

namespace Host {

// A rectangle of cells, inclusive at every side.
class VORLAT_EXPORT CellRange {
public:
    CellRange() = default;
    CellRange(int leftColumn, int topRow, int rightColumn, int bottomRow)
        : m_LeftColumn(leftColumn), m_TopRow(topRow), m_RightColumn(rightColumn), m_BottomRow(bottomRow)
    {
    }

    int GetLeftColumn() const { return m_LeftColumn; }
    int GetTopRow() const { return m_TopRow; }
    int GetRightColumn() const { return m_RightColumn; }
    int GetBottomRow() const { return m_BottomRow; }

    bool operator==(const CellRange& other) const
    {
        return m_LeftColumn == other.m_LeftColumn && m_TopRow == other.m_TopRow &&
               m_RightColumn == other.m_RightColumn && m_BottomRow == other.m_BottomRow;
    }
    bool operator!=(const CellRange& other) const { return !(*this == other); }

private:
    int m_LeftColumn = 0;
    int m_TopRow = 0;
    int m_RightColumn = 0;
    int m_BottomRow = 0;
};

} // namespace Host
