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
    Refresh();
}

IndexingParser::~IndexingParser() = default;

void IndexingParser::Refresh()
{
    if (!m_Buffer) {
        m_Data = nullptr;
        m_Start = m_End = 0;
        return;
    }
    m_Data = m_Buffer->GetData();
    m_Start = m_Buffer->GetStart();
    m_End = m_Start + static_cast<std::int64_t>(m_Buffer->GetSize());
}

void IndexingParser::Fill(std::int64_t from)
{
    m_Buffer->FillFrom(from);
    Refresh();
    // A window that is not full met the end of the data.
    if (m_Buffer->GetSize() < m_Buffer->GetCapacity())
        m_DataEnd = m_End;
}

std::size_t IndexingParser::Available(std::size_t count)
{
    if (!m_Buffer)
        return 0;
    if (m_Position >= m_Start && m_Position + static_cast<std::int64_t>(count) <= m_End)
        return count;
    // Read more unless the window already reaches the known end of the data.
    if (!(m_DataEnd >= 0 && m_End == m_DataEnd && m_Position >= m_Start))
        Fill(m_Position);
    if (m_Position < m_Start || m_Position >= m_End)
        return 0;
    return std::min(count, static_cast<std::size_t>(m_End - m_Position));
}

const char* IndexingParser::FindLineEnd(const char* from, const char* to)
{
    const std::int64_t fromAt = m_Start + (from - m_Data);
    const std::int64_t toAt = m_Start + (to - m_Data);

    // Forget a CR that lies behind, and never search the same bytes twice.
    if (m_NextCr != NoCr && m_NextCr < fromAt) {
        m_NextCr = NoCr;
        m_CrScannedTo = fromAt;
    }
    if (m_CrScannedTo < fromAt)
        m_CrScannedTo = fromAt;
    if (m_NextCr == NoCr && m_CrScannedTo < toAt) {
        const char* start = m_Data + (m_CrScannedTo - m_Start);
        const void* cr = std::memchr(start, '\r', static_cast<std::size_t>(to - start));
        m_CrScannedTo = toAt;
        if (cr)
            m_NextCr = m_Start + (static_cast<const char*>(cr) - m_Data);
    }
    const char* crHere = (m_NextCr != NoCr && m_NextCr < toAt) ? m_Data + (m_NextCr - m_Start) : nullptr;
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
        if (Available(1) == 0)
            return false;
        const char* from = Here();
        const char* to = m_Data + (m_End - m_Start);
        const char* end = FindLineEnd(from, to);
        if (!end) {
            m_Position += to - from;
            continue;
        }
        m_Position += end - from;
        PassLineEnd();
        return true;
    }
}

bool IndexingParser::IsWholeLineTarget(const std::string& target) const
{
    return !m_WholeLineTargets.empty() &&
           std::find(m_WholeLineTargets.begin(), m_WholeLineTargets.end(), target) != m_WholeLineTargets.end();
}

std::int64_t IndexingParser::FindFirstString(const std::vector<std::string>& targets, int& which, bool, bool)
{
    // Lines whose first byte starts no target are passed over without a
    // closer look.
    bool starts[256] = {};
    std::size_t longest = 0;
    for (const std::string& target : targets) {
        if (!target.empty())
            starts[static_cast<unsigned char>(target[0])] = true;
        longest = std::max(longest, target.size());
    }
    // One byte more than the longest target shows whether a line ends there.
    const std::size_t lookahead = longest + 1;
    bool wholeLine[8] = {};
    for (std::size_t i = 0; i < targets.size() && i < 8; ++i)
        wholeLine[i] = IsWholeLineTarget(targets[i]);

    // When every target starts with one character, the search jumps from one
    // occurrence of it to the next instead of walking line by line.
    char common = targets.empty() || targets[0].empty() ? '\0' : targets[0][0];
    for (const std::string& target : targets)
        if (target.empty() || target[0] != common)
            common = '\0';
    if (IsBlank(common))
        common = '\0';

    for (;;) {
        std::size_t held = Available(lookahead);
        if (held == 0)
            return -1;

        if (common != '\0' && JumpToCandidate(common, lookahead))
            held = Available(lookahead);
        if (held == 0)
            return -1;

        // Pass over lines within the window while enough bytes follow each
        // line start to judge it.
        const char* p = Here();
        const char* const end = m_Data + (m_End - m_Start);
        const bool windowReachesEnd = m_DataEnd >= 0 && m_End == m_DataEnd;
        for (;;) {
            const char* first = p;
            if (m_SkipLeadingBlanks)
                while (first != end && IsBlank(*first))
                    ++first;
            if (first == end || starts[static_cast<unsigned char>(*first)])
                break;
            const char* eol = FindLineEnd(first, end);
            if (!eol || end - eol < 2)
                break; // the line end is not safely inside the window
            const char* next = eol + 1;
            if (*eol == '\r' && *next == '\n')
                ++next;
            p = next;
            if (p == end || (!windowReachesEnd && end - p < static_cast<std::ptrdiff_t>(lookahead)))
                break;
        }
        m_Position = m_Start + (p - m_Data);
        held = Available(lookahead);
        if (held == 0)
            return -1;

        const bool blankStart = m_SkipLeadingBlanks && IsBlank(*Here());
        if (blankStart || starts[static_cast<unsigned char>(*Here())]) {
            if (m_SkipLeadingBlanks) {
                while (held > 0 && IsBlank(*Here())) {
                    ++m_Position;
                    held = Available(lookahead);
                }
                if (held == 0)
                    return -1;
            }
            for (std::size_t i = 0; i < targets.size() && held > 0; ++i) {
                if (MatchesHere(targets[i], i < 8 ? wholeLine[i] : IsWholeLineTarget(targets[i]), held)) {
                    which = static_cast<int>(i);
                    return m_Position;
                }
                held = Available(lookahead);
            }
            if (held == 0)
                return -1;
            if (!SkipLine())
                return -1;
        } else if (p != end) {
            // The fast pass stopped short of a judgeable line start.
            if (!SkipLine())
                return -1;
        }
    }
}

bool IndexingParser::JumpToCandidate(char first, std::size_t lookahead)
{
    // The read position is a line start. Find the next occurrence of first
    // that begins a line (after blanks, when they are skipped) and move to
    // that line's start; or, with none in the window, to the start of the
    // window's last line, so the next window goes on from a line start.
    const char* const from = Here();
    const char* const end = m_Data + (m_End - m_Start);
    const char* p = from;
    while (const void* hit = std::memchr(p, first, static_cast<std::size_t>(end - p))) {
        const char* at = static_cast<const char*>(hit);
        const char* lineStart = at;
        if (m_SkipLeadingBlanks)
            while (lineStart != from && IsBlank(lineStart[-1]))
                --lineStart;
        if (lineStart == from || lineStart[-1] == '\n' || lineStart[-1] == '\r') {
            // A CR LF pair: the line starts after the LF.
            m_Position = m_Start + (lineStart - m_Data);
            return true;
        }
        p = at + 1;
    }
    // No candidate here: go to the last line start in the window that leaves
    // enough bytes behind it to judge a marker there.
    const char* last = end;
    while (last != from && last[-1] != '\n' && last[-1] != '\r')
        --last;
    if (last == from)
        return false; // one long line: let the line walk handle it
    if (last[-1] == '\r' && last != end && *last == '\n')
        ++last;
    (void)lookahead;
    m_Position = m_Start + (last - m_Data);
    return true;
}

int IndexingParser::ByteAt(std::int64_t position)
{
    if (position < m_Start || position >= m_End) {
        Fill(position);
        if (position < m_Start || position >= m_End)
            return -1;
    }
    return static_cast<unsigned char>(m_Data[position - m_Start]);
}

bool IndexingParser::MatchesHere(const std::string& target, bool wholeLine, std::size_t held)
{
    if (target.empty())
        return false;
    const std::size_t needed = target.size() + (wholeLine ? 1 : 0);
    if (held >= needed || (held >= target.size() && m_DataEnd >= 0)) {
        const char* at = Here();
        if (std::memcmp(at, target.data(), target.size()) != 0)
            return false;
        if (!wholeLine || held == target.size() || at[target.size()] == '\n' || at[target.size()] == '\r')
            return true;
        if (!m_TrailingBlanks || !IsBlank(at[target.size()]))
            return false;
        // Blanks may follow the target up to the line end.
        bool matches = true;
        for (std::int64_t k = m_Position + static_cast<std::int64_t>(target.size());; ++k) {
            const int c = ByteAt(k);
            if (c < 0 || c == '\n' || c == '\r')
                break;
            if (c != ' ' && c != '\t') {
                matches = false;
                break;
            }
        }
        if (m_Position < m_Start || m_Position >= m_End)
            Fill(m_Position);
        return matches;
    }
    if (held < target.size() && m_DataEnd >= 0)
        return false;
    // A buffer smaller than the target: compare byte by byte, then put the
    // window back at the read position.
    bool matches = true;
    for (std::size_t k = 0; k < target.size() && matches; ++k)
        matches = ByteAt(m_Position + static_cast<std::int64_t>(k)) == static_cast<unsigned char>(target[k]);
    for (std::int64_t k = m_Position + static_cast<std::int64_t>(target.size()); matches && wholeLine; ++k) {
        const int next = ByteAt(k);
        if (next < 0 || next == '\n' || next == '\r')
            break;
        matches = m_TrailingBlanks && (next == ' ' || next == '\t');
    }
    Fill(m_Position);
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
        const char* to = m_Data + (m_End - m_Start);
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

const char* IndexingParser::Window(std::size_t minimum, std::size_t& size, bool& reachesEnd)
{
    size = Available(minimum > 0 ? minimum : 1);
    if (size == 0) {
        reachesEnd = true;
        return nullptr;
    }
    size = static_cast<std::size_t>(m_End - m_Position);
    reachesEnd = m_DataEnd >= 0 && m_End == m_DataEnd;
    return Here();
}

bool IndexingParser::Peek(char& c)
{
    if (Available(1) == 0)
        return false;
    c = *Here();
    return true;
}

bool IndexingParser::PeekPastBlanks(char& c)
{
    if (Available(1) == 0)
        return false;
    int found = -1;
    for (std::int64_t at = m_Position;; ++at) {
        const int byte = ByteAt(at);
        if (byte < 0 || !IsBlank(static_cast<char>(byte))) {
            found = byte;
            break;
        }
    }
    // A long run of blanks may have moved the window past the read position.
    if (m_Position < m_Start || m_Position >= m_End)
        Fill(m_Position);
    if (found < 0)
        return false;
    c = static_cast<char>(found);
    return true;
}

} // namespace Host
