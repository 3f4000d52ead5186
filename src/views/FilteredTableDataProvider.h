#pragma once

#include <utility>
#include <vector>

#include <boost/shared_ptr.hpp>

#include "host/CellRanges.h"
#include "host/TableDataProviderBase.h"

namespace VorlatImportExport {

// Shows chosen rows and columns of another table (the source), in a chosen
// order, without copying a cell: view cell (r, c) is source cell
// (rows[r], columns[c]). Rows are titled by their own number in the view.
// A cell outside the view reads as the text "Error".
class VORLAT_EXPORT FilteredTableDataProvider : public Host::TableDataProviderBase {
public:
    // Every row and column of the source (none for a null source).
    explicit FilteredTableDataProvider(boost::shared_ptr<Host::ITableDataProvider> source);
    FilteredTableDataProvider(boost::shared_ptr<Host::ITableDataProvider> source, const std::vector<int>& rows,
                              const std::vector<int>& columns);
    FilteredTableDataProvider(const FilteredTableDataProvider& other);
    FilteredTableDataProvider& operator=(const FilteredTableDataProvider& other);
    ~FilteredTableDataProvider() override;

    int GetRowCount() const override;
    int GetColumnCount() const override;
    // The cell must be inside the view.
    Host::ChemistryCell IsChemistryCell(int row, int column) override;
    boost::any GetCellData(int row, int column) override;
    bool SetCellData(int row, int column, const boost::any& value) override;
    std::wstring GetRowTitle(int row) override;
    std::wstring GetColumnTitle(int column) override;
    const std::type_info& GetCellDataTypeId(int row, int column) const override;

    // View rows to source rows: one full-width range per run of consecutive
    // source rows, in view row order. Appends to out.
    virtual void ConvertCellRangesFromFilteredTableToFullTable(const Host::CellRanges& in, Host::CellRanges& out);
    // Source rows to view rows (the first view row of each); rows the view
    // does not show are left out. Appends to out.
    virtual void ConvertCellRangesFromFullTableToFilteredTable(const Host::CellRanges& in, Host::CellRanges& out);
    // The source's row count; 0 without a source.
    virtual int GetFullRowCount() const;
    // The source row of a view row; -1 outside the view.
    virtual int ConvertFilteredToFullRow(int row) const;

private:
    bool ValidateIndex(int row, int column) const;
    int GetRowIndexInFilteredTable(int sourceRow) const;
    // (source row, first view row showing it), sorted by source row; made on
    // first use.
    const std::vector<std::pair<int, int>>& SourceRowIndex() const;

    boost::shared_ptr<Host::ITableDataProvider> source;
    std::vector<int> rows;
    std::vector<int> columns;
    mutable std::vector<std::pair<int, int>> m_SourceRowIndex;
    mutable bool m_SourceRowIndexBuilt = false;
};

} // namespace VorlatImportExport
