#pragma once

#include <vector>

#include "host/CellRange.h"
#include "host/Export.h"

namespace Host {

// An ordered list of cell ranges, held as copies: how selections and row sets
// travel between the table and the providers.
class VORLAT_EXPORT CellRanges {
public:
    CellRanges();
    CellRanges(const CellRanges& other);
    CellRanges& operator=(const CellRanges& other);
    ~CellRanges();

    void Add(const CellRange& range);
    int GetCount() const;
    // index in [0, GetCount()).
    const CellRange& GetRange(int index) const;
    void RemoveAll();

private:
    std::vector<CellRange> m_Ranges;
};

} // namespace Host
