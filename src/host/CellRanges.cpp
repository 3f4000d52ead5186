#include "host/CellRanges.h"

namespace Host {

CellRanges::CellRanges() = default;
CellRanges::CellRanges(const CellRanges& other) = default;
CellRanges& CellRanges::operator=(const CellRanges& other) = default;
CellRanges::~CellRanges() = default;

void CellRanges::Add(const CellRange& range) { m_Ranges.push_back(range); }

int CellRanges::GetCount() const { return static_cast<int>(m_Ranges.size()); }

const CellRange& CellRanges::GetRange(int index) const { return m_Ranges.at(static_cast<std::size_t>(index)); }

void CellRanges::RemoveAll() { m_Ranges.clear(); }

} // namespace Host
