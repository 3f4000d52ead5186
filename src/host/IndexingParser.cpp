#include "host/IndexingParser.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace Host {

namespace {

const std::int64_t NoCr = std::numeric_limits<std::int64_t>::max();

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

} // namespace

IndexingParser::IndexingParser(boost::shared_ptr<BaseStreamBuffer> buffer)
    : m_Buffer(std::move(buffer)), m_Position(m_Buffer ? m_Buffer->GetStart() : 0)
{
    m_CrScannedTo = m_Position;
    m_NextCr = NoCr;
}

IndexingParser::~IndexingParser() = default;

const char* IndexingParser::Here() const { return m_Buffer->GetData() + (m_Position - m_Buffer->GetStart()); }

std::size_t IndexingParser::Available(std::size_t count)
{
    if (!m_Buffer)
        return 0;
    std::int64_t start = m_Buffer->GetStart();
    std::int64_t end = start + static_cast<std::int64_t>(m_Buffer->GetSize());
    if (m_Position >= start && m_Position + static_cast<std::int64_t>(count) <= end)
        return count;
    // Read more unless the window already reaches the known end of the data.
    if (!(m_DataEnd >= 0 && end == m_DataEnd && m_Position >= start)) {
        m_Buffer->FillFrom(m_Position);
        start = m_Buffer->GetStart();
        end = start + static_cast<std::int64_t>(m_Buffer->GetSize());
        if (m_Buffer->GetSize() < m_Buffer->GetCapacity())
            m_DataEnd = end;
    }
    if (m_Position < start || m_Position >= end)
        return 0;
    return std::min(count, static_cast<std::size_t>(end - m_Position));
}

const char* IndexingParser::FindLineEnd(const char* from, const char* to)
{
    const char* const base = m_Buffer->GetData();
    const std::int64_t baseAt = m_Buffer->GetStart();
    const std::int64_t fromAt = baseAt + (from - base);
    const std::int64_t toAt = baseAt + (to - base);

    // Forget a CR that lies behind, and never search the same bytes twice.
    if (m_NextCr != NoCr && m_NextCr < fromAt) {
        m_NextCr = NoCr;
        m_CrScannedTo = fromAt;
    }
    if (m_CrScannedTo < fromAt)
        m_CrScannedTo = fromAt;
    if (m_NextCr == NoCr && m_CrScannedTo < toAt) {
        const char* start = base + (m_CrScannedTo - baseAt);
        const void* cr = std::memchr(start, '\r', static_cast<std::size_t>(to - start));
        m_CrScannedTo = toAt;
        if (cr)
            m_NextCr = baseAt + (static_cast<const char*>(cr) - base);
    }
    const char* crHere = (m_NextCr != NoCr && m_NextCr < toAt) ? base + (m_NextCr - baseAt) : nullptr;
    const char* limit = crHere ? crHere : to;
    const void* lf = std::memchr(from, '\n', static_cast<std::size_t>(limit - from));
    return lf ? static_cast<const char*>(lf) : crHere;
}

void IndexingParser::PassLineEnd()
{
    const char c = *Here();
    ++m_Position;
    if (c == '\r' && Available(1) > 0 && *Here() == '\n')
        ++m_Position;
}

bool IndexingParser::SkipLine()
{
    for (;;) {
        const std::size_t held = Available(1);
        if (held == 0)
            return false;
        const char* from = Here();
        const char* to = m_Buffer->GetData() + m_Buffer->GetSize();
        const char* end = FindLineEnd(from, to);
        if (end) {
            m_Position += end - from;
            PassLineEnd();
            return true;
        }
        m_Position += to - from;
    }
}

bool IndexingParser::IsWholeLineTarget(const std::string& target) const
{
    return !m_WholeLineTargets.empty() &&
           std::find(m_WholeLineTargets.begin(), m_WholeLineTargets.end(), target) != m_WholeLineTargets.end();
}

std::int64_t IndexingParser::FindFirstString(const std::vector<std::string>& targets, int& which, bool, bool)
{
    std::size_t longest = 0;
    for (const std::string& target : targets)
        longest = std::max(longest, target.size());
    // One byte more than the longest target shows whether a line ends there.
    const std::size_t lookahead = longest + 1;

    for (;;) {
        std::size_t held = Available(lookahead);
        if (held == 0)
            return -1;
        if (m_SkipLeadingBlanks) {
            while (held > 0 && IsBlank(*Here())) {
                ++m_Position;
                held = Available(lookahead);
            }
        }
        for (std::size_t i = 0; i < targets.size() && held > 0; ++i) {
            if (MatchesHere(targets[i], held)) {
                which = static_cast<int>(i);
                return m_Position;
            }
            held = Available(lookahead);
        }
        if (!SkipLine())
            return -1;
    }
}

int IndexingParser::ByteAt(std::int64_t position)
{
    const std::int64_t start = m_Buffer->GetStart();
    if (position < start || position >= start + static_cast<std::int64_t>(m_Buffer->GetSize())) {
        if (!m_Buffer->FillFrom(position))
            return -1;
    }
    return static_cast<unsigned char>(m_Buffer->GetData()[position - m_Buffer->GetStart()]);
}

bool IndexingParser::MatchesHere(const std::string& target, std::size_t held)
{
    if (target.empty())
        return false;
    const bool wholeLine = IsWholeLineTarget(target);
    const std::size_t needed = target.size() + (wholeLine ? 1 : 0);
    if (held >= needed || (held >= target.size() && m_DataEnd >= 0)) {
        const char* at = Here();
        if (std::memcmp(at, target.data(), target.size()) != 0)
            return false;
        return !wholeLine || held == target.size() || at[target.size()] == '\n' || at[target.size()] == '\r';
    }
    if (held < target.size() && m_DataEnd >= 0)
        return false;
    // A buffer smaller than the target: compare byte by byte, then put the
    // window back at the read position.
    bool matches = true;
    for (std::size_t k = 0; k < target.size() && matches; ++k)
        matches = ByteAt(m_Position + static_cast<std::int64_t>(k)) == static_cast<unsigned char>(target[k]);
    if (matches && wholeLine) {
        const int next = ByteAt(m_Position + static_cast<std::int64_t>(target.size()));
        matches = next < 0 || next == '\n' || next == '\r';
    }
    m_Buffer->FillFrom(m_Position);
    return matches;
}

std::int64_t IndexingParser::FindString(const std::string& target, bool first, bool second)
{
    int which = -1;
    return FindFirstString(std::vector<std::string>{target}, which, first, second);
}

std::int64_t IndexingParser::ReadLine(std::string& line, bool skipCurrentLine, bool)
{
    line.clear();
    if (skipCurrentLine && !SkipLine())
        return -1;
    if (Available(1) == 0)
        return -1;
    const std::int64_t start = m_Position;
    for (;;) {
        if (Available(1) == 0)
            return start; // the data ends without a line end
        const char* from = Here();
        const char* to = m_Buffer->GetData() + m_Buffer->GetSize();
        const char* end = FindLineEnd(from, to);
        if (end) {
            line.append(from, end);
            m_Position += end - from;
            PassLineEnd();
            return start;
        }
        line.append(from, to);
        m_Position += to - from;
    }
}

bool IndexingParser::Peek(char& c)
{
    if (Available(1) == 0)
        return false;
    c = *Here();
    return true;
}

} // namespace Host
