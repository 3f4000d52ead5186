#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "analysis/GroupKeys.h"

namespace VorlatImportExport {

// The rows of every group of one grouping column: one array, group after
// group in key order, each group's rows ascending, and where each group
// starts.
class GroupedRows {
public:
    // groupOfRow: each row's group numbered in order of first sight; order:
    // those numbers in key order (GroupKeys::Numbering::SortedOrder).
    GroupedRows(std::shared_ptr<const GroupKeys> keys, const std::vector<std::uint32_t>& groupOfRow,
                const std::vector<std::uint32_t>& order);

    // Appends the rows of the named groups in the order named (a name
    // without a group adds nothing); an empty list: every group in key order.
    void GetRows(const std::vector<std::wstring>& groupValues, std::vector<int>& rows) const;

private:
    std::shared_ptr<const GroupKeys> m_Keys;
    std::vector<int> m_Rows;
    std::vector<std::uint32_t> m_Starts; // of each group, and the end of the last
};

} // namespace VorlatImportExport
