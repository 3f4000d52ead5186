#include "analysis/GroupedRows.h"

#include <numeric>

namespace VorlatImportExport {

GroupedRows::GroupedRows(std::shared_ptr<const GroupKeys> keys, const std::vector<std::uint32_t>& groupOfRow,
                         const std::vector<std::uint32_t>& order)
    : m_Keys(std::move(keys)), m_Rows(groupOfRow.size()), m_Starts(order.size() + 1, 0)
{
    // A counting sort of the rows by the key position of their group.
    std::vector<std::uint32_t> position(order.size());
    for (std::size_t at = 0; at < order.size(); ++at)
        position[order[at]] = static_cast<std::uint32_t>(at);
    for (const std::uint32_t group : groupOfRow)
        ++m_Starts[position[group] + 1];
    std::partial_sum(m_Starts.begin(), m_Starts.end(), m_Starts.begin());
    std::vector<std::uint32_t> next(m_Starts.begin(), m_Starts.end() - 1);
    for (std::size_t row = 0; row < groupOfRow.size(); ++row)
        m_Rows[next[position[groupOfRow[row]]]++] = static_cast<int>(row);
}

void GroupedRows::GetRows(const std::vector<std::wstring>& groupValues, std::vector<int>& rows) const
{
    if (groupValues.empty()) {
        rows.insert(rows.end(), m_Rows.begin(), m_Rows.end());
        return;
    }
    for (const std::wstring& value : groupValues) {
        const std::size_t at = m_Keys->Find(value);
        if (at != GroupKeys::npos)
            rows.insert(rows.end(), m_Rows.begin() + m_Starts[at], m_Rows.begin() + m_Starts[at + 1]);
    }
}

} // namespace VorlatImportExport
