#include "frame/VorlatSelectionHelper.h"

#include "frame/TableUtil.h"

namespace VorlatImportExport {

VorlatSelectionHelper::VorlatSelectionHelper() = default;

VorlatSelectionHelper::VorlatSelectionHelper(const VorlatSelectionHelper& other) = default;

VorlatSelectionHelper& VorlatSelectionHelper::operator=(const VorlatSelectionHelper& other) = default;

VorlatSelectionHelper::~VorlatSelectionHelper() = default;

void VorlatSelectionHelper::SetSelection(const Host::CellRanges& ranges)
{
    // A copy first: ranges may be the kept selection itself.
    const Host::CellRanges copy = ranges;
    m_Selection.RemoveAll();
    TableUtil::CopyCellRanges(copy, m_Selection);
    m_RowIterator.Set(m_Selection);
}

bool VorlatSelectionHelper::IsSelectionChanged(const Host::CellRanges& ranges, bool check) const
{
    if (!check)
        return false;
    // Two selections cover the same rows exactly when their merged
    // intervals are the same.
    const RowIterator other(ranges);
    return other.GetIntervals() != m_RowIterator.GetIntervals();
}

void VorlatSelectionHelper::GetSelectionInRows(std::vector<int>& rows) const
{
    for (const auto& [first, last] : m_RowIterator.GetIntervals()) {
        for (long long row = first; row <= last; ++row)
            rows.push_back(static_cast<int>(row));
    }
    m_RowIterator.First();
}

} // namespace VorlatImportExport
