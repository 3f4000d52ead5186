#pragma once

#include <string>
#include <utility>
#include <vector>

#include <boost/any.hpp>
#include <boost/shared_ptr.hpp>

#include "host/TableDataProviderBase.h"

namespace VorlatTest {

// A table held in memory, for tests: titled columns and rows of cell values.
// A cell beyond a row's values is empty.
class MemoryTable : public Host::TableDataProviderBase {
public:
    MemoryTable(std::vector<std::wstring> titles, std::vector<std::vector<boost::any>> rows)
        : m_Titles(std::move(titles)), m_Rows(std::move(rows))
    {
    }

    int GetRowCount() const override { return static_cast<int>(m_Rows.size()); }
    int GetColumnCount() const override { return static_cast<int>(m_Titles.size()); }

    boost::any GetCellData(int row, int column) override
    {
        if (row < 0 || row >= GetRowCount() || column < 0)
            return boost::any();
        const std::vector<boost::any>& cells = m_Rows[static_cast<std::size_t>(row)];
        return static_cast<std::size_t>(column) < cells.size() ? cells[static_cast<std::size_t>(column)]
                                                               : boost::any();
    }

    std::wstring GetColumnTitle(int column) override
    {
        return column >= 0 && column < GetColumnCount() ? m_Titles[static_cast<std::size_t>(column)]
                                                        : std::wstring();
    }

private:
    std::vector<std::wstring> m_Titles;
    std::vector<std::vector<boost::any>> m_Rows;
};

inline boost::shared_ptr<Host::ITableDataProvider> MakeTable(std::vector<std::wstring> titles,
                                                             std::vector<std::vector<boost::any>> rows)
{
    return boost::shared_ptr<Host::ITableDataProvider>(new MemoryTable(std::move(titles), std::move(rows)));
}

} // namespace VorlatTest
