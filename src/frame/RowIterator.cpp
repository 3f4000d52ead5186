#include "frame/RowIterator.h"

#include <algorithm>
#include <climits>

namespace VorlatImportExport {

RowIterator::RowIterator() = default;

RowIterator::RowIterator(const Host::CellRanges& ranges) { Set(ranges); }

RowIterator::RowIterator(const RowIterator& other) = default;

RowIterator& RowIterator::operator=(const RowIterator& other) = default;

RowIterator::~RowIterator() = default;

void RowIterator::InitializeRowCollection(const Host::CellRanges& ranges)
{
    std::vector<std::pair<int, int>> intervals;
    intervals.reserve(static_cast<std::size_t>(ranges.GetCount()));
    for (int i = 0; i < ranges.GetCount(); ++i) {
        const Host::CellRange& range = ranges.GetRange(i);
        if (range.GetTopRow() <= range.GetBottomRow())
            intervals.emplace_back(range.GetTopRow(), range.GetBottomRow());
    }
    std::sort(intervals.begin(), intervals.end());
    // Overlapping and adjacent intervals become one.
    m_Intervals.clear();
    m_Count = 0;
    for (const auto& interval : intervals) {
        if (!m_Intervals.empty() &&
            static_cast<std::int64_t>(interval.first) <= static_cast<std::int64_t>(m_Intervals.back().second) + 1) {
            m_Intervals.back().second = std::max(m_Intervals.back().second, interval.second);
        } else {
            m_Intervals.push_back(interval);
        }
    }
    for (const auto& interval : m_Intervals)
        m_Count += static_cast<std::int64_t>(interval.second) - interval.first + 1;
}

void RowIterator::Set(const Host::CellRanges& ranges)
{
    InitializeRowCollection(ranges);
    First();
}

int RowIterator::Count() const { return m_Count > INT_MAX ? INT_MAX : static_cast<int>(m_Count); }

int RowIterator::First() const
{
    m_Interval = 0;
    if (m_Intervals.empty())
        return -1;
    m_Row = m_Intervals[0].first;
    return m_Row;
}

bool RowIterator::Done() const
{
    return m_Intervals.empty() || m_Interval >= m_Intervals.size() ||
           (m_Interval + 1 == m_Intervals.size() && m_Row >= m_Intervals.back().second);
}

int RowIterator::Next() const
{
    if (Done())
        return -1;
    if (m_Row < m_Intervals[m_Interval].second) {
        ++m_Row;
    } else {
        ++m_Interval;
        m_Row = m_Intervals[m_Interval].first;
    }
    return m_Row;
}

bool RowIterator::Find(int row) const
{
    // The first interval that starts after the row; the one before may hold it.
    const auto after = std::upper_bound(m_Intervals.begin(), m_Intervals.end(), std::make_pair(row, INT_MAX));
    return after != m_Intervals.begin() && std::prev(after)->second >= row;
}

} // namespace VorlatImportExport
