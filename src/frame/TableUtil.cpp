#include "frame/TableUtil.h"

namespace VorlatImportExport {

void TableUtil::ConvertRowsToCellRanges(const std::vector<int>& rows, int columnCount, Host::CellRanges& ranges)
{
    if (rows.empty())
        return;
    int start = rows[0];
    int end = rows[0];
    for (std::size_t i = 1; i < rows.size(); ++i) {
        const int row = rows[i];
        if (static_cast<long long>(row) == static_cast<long long>(end) + 1) {
            end = row;
            continue;
        }
        ranges.Add(Host::CellRange(0, start, columnCount - 1, end));
        start = end = row;
    }
    ranges.Add(Host::CellRange(0, start, columnCount - 1, end));
}

void TableUtil::CopyCellRanges(const Host::CellRanges& source, Host::CellRanges& destination)
{
    for (int i = 0; i < source.GetCount(); ++i)
        destination.Add(source.GetRange(i));
}

} // namespace VorlatImportExport
