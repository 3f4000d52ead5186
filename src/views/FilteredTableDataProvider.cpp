#include "views/FilteredTableDataProvider.h"

#include <algorithm>

#include "frame/RowIterator.h"
#include "host/CfxFormat.h"

namespace VorlatImportExport {

namespace {

// The shared text of a cell or title outside a view.
const wchar_t* const ErrorText = L"Error";

// Appends full-width ranges for the runs of consecutive rows, in the order
// given: a row that does not follow the run's last row starts a new run.
class RunCollector {
public:
    RunCollector(Host::CellRanges& out, int rightColumn) : m_Out(out), m_Right(rightColumn) {}
    void Add(int row)
    {
        if (m_Open && static_cast<long long>(row) == static_cast<long long>(m_End) + 1) {
            m_End = row;
            return;
        }
        Flush();
        m_Start = m_End = row;
        m_Open = true;
    }
    void Flush()
    {
        if (m_Open)
            m_Out.Add(Host::CellRange(0, m_Start, m_Right, m_End));
        m_Open = false;
    }

private:
    Host::CellRanges& m_Out;
    int m_Right;
    bool m_Open = false;
    int m_Start = 0;
    int m_End = 0;
};

} // namespace

FilteredTableDataProvider::FilteredTableDataProvider(boost::shared_ptr<Host::ITableDataProvider> source_)
    : source(std::move(source_))
{
    if (!source)
        return;
    const int rowCount = source->GetRowCount();
    const int columnCount = source->GetColumnCount();
    rows.reserve(static_cast<std::size_t>(std::max(rowCount, 0)));
    for (int row = 0; row < rowCount; ++row)
        rows.push_back(row);
    for (int column = 0; column < columnCount; ++column)
        columns.push_back(column);
}

FilteredTableDataProvider::FilteredTableDataProvider(boost::shared_ptr<Host::ITableDataProvider> source_,
                                                     const std::vector<int>& rows_, const std::vector<int>& columns_)
    : source(std::move(source_)), rows(rows_), columns(columns_)
{
}

FilteredTableDataProvider::FilteredTableDataProvider(const FilteredTableDataProvider& other)
    : TableDataProviderBase(other), source(other.source), rows(other.rows), columns(other.columns)
{
}

FilteredTableDataProvider& FilteredTableDataProvider::operator=(const FilteredTableDataProvider& other)
{
    if (this != &other) {
        TableDataProviderBase::operator=(other);
        source = other.source;
        rows = other.rows;
        columns = other.columns;
        m_SourceRowIndex.clear();
        m_SourceRowIndexBuilt = false;
    }
    return *this;
}

FilteredTableDataProvider::~FilteredTableDataProvider() = default;

int FilteredTableDataProvider::GetRowCount() const { return static_cast<int>(rows.size()); }

int FilteredTableDataProvider::GetColumnCount() const { return static_cast<int>(columns.size()); }

bool FilteredTableDataProvider::ValidateIndex(int row, int column) const
{
    return !rows.empty() && !columns.empty() && row >= 0 && row < GetRowCount() && column >= 0 &&
           column < GetColumnCount();
}

Host::ChemistryCell FilteredTableDataProvider::IsChemistryCell(int row, int column)
{
    if (!ValidateIndex(row, column) || !source)
        return Host::NotChemistry;
    return source->IsChemistryCell(rows[static_cast<std::size_t>(row)], columns[static_cast<std::size_t>(column)]);
}

boost::any FilteredTableDataProvider::GetCellData(int row, int column)
{
    if (!ValidateIndex(row, column) || !source)
        return std::wstring(ErrorText);
    return source->GetCellData(rows[static_cast<std::size_t>(row)], columns[static_cast<std::size_t>(column)]);
}

bool FilteredTableDataProvider::SetCellData(int row, int column, const boost::any& value)
{
    if (!ValidateIndex(row, column) || !source)
        return false;
    return source->SetCellData(rows[static_cast<std::size_t>(row)], columns[static_cast<std::size_t>(column)],
                               value);
}

std::wstring FilteredTableDataProvider::GetRowTitle(int row)
{
    if (!rows.empty() && !columns.empty() && (row < 0 || row >= GetRowCount()))
        return ErrorText;
    return Host::CfxFormat(L"%1") << row + 1;
}

std::wstring FilteredTableDataProvider::GetColumnTitle(int column)
{
    if (column < 0 || column >= GetColumnCount() || !source)
        return ErrorText;
    return source->GetColumnTitle(columns[static_cast<std::size_t>(column)]);
}

const std::type_info& FilteredTableDataProvider::GetCellDataTypeId(int row, int column) const
{
    if (!ValidateIndex(row, column) || !source)
        return typeid(void);
    return source->GetCellDataTypeId(rows[static_cast<std::size_t>(row)], columns[static_cast<std::size_t>(column)]);
}

void FilteredTableDataProvider::ConvertCellRangesFromFilteredTableToFullTable(const Host::CellRanges& in,
                                                                             Host::CellRanges& out)
{
    const RowIterator selected(in);
    if (selected.Count() == 0)
        return;
    // The view rows covered, in ascending order, within the view.
    const int viewRows = GetRowCount();
    RunCollector runs(out, source ? source->GetColumnCount() - 1 : -1);
    for (const auto& [first, last] : selected.GetIntervals()) {
        const int from = std::max(first, 0);
        const int to = std::min(last, viewRows - 1);
        for (int row = from; row <= to; ++row)
            runs.Add(rows[static_cast<std::size_t>(row)]);
    }
    runs.Flush();
}

const std::vector<std::pair<int, int>>& FilteredTableDataProvider::SourceRowIndex() const
{
    if (!m_SourceRowIndexBuilt) {
        m_SourceRowIndex.clear();
        m_SourceRowIndex.reserve(rows.size());
        for (std::size_t i = 0; i < rows.size(); ++i)
            m_SourceRowIndex.emplace_back(rows[i], static_cast<int>(i));
        // Sorted by source row, then view row: the first entry of a source
        // row is its first view row.
        std::sort(m_SourceRowIndex.begin(), m_SourceRowIndex.end());
        m_SourceRowIndexBuilt = true;
    }
    return m_SourceRowIndex;
}

int FilteredTableDataProvider::GetRowIndexInFilteredTable(int sourceRow) const
{
    const auto& index = SourceRowIndex();
    const auto found = std::lower_bound(index.begin(), index.end(), std::make_pair(sourceRow, -1));
    return found != index.end() && found->first == sourceRow ? found->second : -1;
}

void FilteredTableDataProvider::ConvertCellRangesFromFullTableToFilteredTable(const Host::CellRanges& in,
                                                                             Host::CellRanges& out)
{
    const RowIterator selected(in);
    if (selected.Count() == 0)
        return;
    // The selected source rows that the view shows, ascending, each mapped
    // to its first view row: found in the view's sorted index rather than
    // by visiting every selected row.
    const auto& index = SourceRowIndex();
    RunCollector runs(out, GetColumnCount() - 1);
    for (const auto& [first, last] : selected.GetIntervals()) {
        auto at = std::lower_bound(index.begin(), index.end(), std::make_pair(first, -1));
        while (at != index.end() && at->first <= last) {
            runs.Add(at->second);
            const int sourceRow = at->first;
            while (at != index.end() && at->first == sourceRow)
                ++at;
        }
    }
    runs.Flush();
}

int FilteredTableDataProvider::GetFullRowCount() const { return source ? source->GetRowCount() : 0; }

int FilteredTableDataProvider::ConvertFilteredToFullRow(int row) const
{
    if (row < 0 || row >= GetRowCount())
        return -1;
    return rows[static_cast<std::size_t>(row)];
}

} // namespace VorlatImportExport
