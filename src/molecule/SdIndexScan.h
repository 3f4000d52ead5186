#pragma once

// The index scan of SD files: where each record starts and, for the leading
// records, their names and data items. It walks a ScanWindow from a record
// start, so that it can index a whole file or one range of it.
//
// The rules, lines ending in LF, CR LF or a lone CR:
// - A record ends after its end line: "$$$$" and nothing after it but spaces
//   or tabs. The next record starts on the following line.
// - A held record (one whose items are kept) takes its first line as its
//   name, whatever it holds. After it, each line beginning with ">" is a
//   data item's header and the lines after the header up to an empty line
//   are its value; a value line that is an end line makes the file
//   unreadable. A held record counts only when a marker follows its name
//   line: an item header, an end line, or a line beginning with "M  END".
// - Any other record is searched from its first line for an end line or a
//   line beginning with "M  END" (for the first of them, also ">", which
//   then counts as "M  END"); once "M  END" is met, only for the end line.
//   It counts when either is found; a record that runs to the end of the
//   data after "M  END" ends there. When no record is held at all, a marker
//   on the file's very first byte leaves the file without records (it is
//   then one record as a whole, as a file without any marker is).
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "chem/MolUtilities.h"
#include "index/LineMasks.h"
#include "index/ScanWindow.h"
#include "molecule/RecordRange.h"

namespace VorlatImportExport {

namespace SdScan {

// A data item's value keeps this many lines; "\n..." marks the rest.
constexpr int HeldValueLines = 11;

inline bool IsEndLine(const char* p, const char* lineEnd)
{
    const std::size_t size = static_cast<std::size_t>(lineEnd - p);
    if (size < 4 || std::memcmp(p, "$$$$", 4) != 0)
        return false;
    for (const char* q = p + 4; q != lineEnd; ++q)
        if (*q != ' ' && *q != '\t')
            return false;
    return true;
}

using Limits = RecordScanLimits;
using Outcome = RecordScanOutcome;

// Remembers the item headers of the last held record by their place in it,
// with the name number each gave: records of one file mostly repeat the same
// headers in the same order, and a repeated header needs no parsing.
struct HeaderMemory {
    std::vector<std::string> headers;
    std::vector<std::uint32_t> numbers;
};

// Scans records from limits.start. The sink is told:
//   void HeldRecord(std::string_view nameLine)  a held record begins (its
//       first marker is met: it counts);
//   std::uint32_t NameNumber(std::string_view name)  the number of an item
//       name, for the sink's own use (NoName: leave the item out);
//   void Item(std::uint32_t name, std::string_view value)  an item of it;
//   void Record(std::int64_t start, bool held, std::int64_t scanned)  a
//       record counts (scanned: how far the scan has read); may throw to stop.
template <class Sink>
class Scanner {
public:
    static constexpr std::uint32_t NoName = 0xFFFFFFFFu;

    Scanner(ScanWindow& window, Sink& sink) : m_Window(window), m_Sink(sink) {}

    Outcome Scan(const Limits& limits)
    {
        Outcome outcome;
        m_Window.Start(limits.start);
        const char* p = m_Window.Begin();
        std::int64_t start = limits.start;
        for (;;) {
            if (p == m_Window.End() && !m_Window.More(p)) {
                // The data ends at a record start.
                outcome.empty = start == limits.start;
                return outcome;
            }
            if (start >= limits.stopBefore) {
                outcome.next = start;
                return outcome;
            }
            const bool held = outcome.records < limits.heldRecords;
            const char* next = nullptr;
            const bool first = !held && outcome.records == limits.heldRecords && !limits.othersBegun;
            const Step step = held ? HeldRecord(p, next) : OtherRecord(p, next, first, first && start == 0);
            if (step == Step::Failed) {
                outcome.failed = true;
                return outcome;
            }
            if (step == Step::NoRecord)
                return outcome;
            ++outcome.records;
            m_Sink.Record(start, held, m_Window.Offset(next));
            if (step == Step::DataEnds)
                return outcome;
            p = next;
            start = m_Window.Offset(p);
        }
    }

private:
    enum class Step { Next, DataEnds, NoRecord, Failed };

    // The end line at p (a line start), if it is one: next is then the line
    // after it. p may move.
    bool EndLineAt(const char*& p, const char*& next)
    {
        const char* lineEnd = nullptr;
        m_Window.Line(p, lineEnd, next);
        return IsEndLine(p, lineEnd);
    }

    Step HeldRecord(const char*& p, const char*& next)
    {
        const char* lineEnd = nullptr;
        if (!m_Window.Line(p, lineEnd, next))
            return Step::NoRecord;
        m_Name.assign(p, static_cast<std::size_t>(lineEnd - p));
        const std::int64_t afterName = m_Window.Offset(next);
        p = next;
        bool begun = false;
        bool lineStart = true;
        m_Position = 0;
        for (;;) {
            const char* marker = nullptr;
            // After an item the next line is mostly the next header or the
            // end line: no search for those.
            if (lineStart && p != m_Window.End() && (*p == '>' || *p == '$')) {
                marker = p;
            } else {
                MarkerResume resume;
                marker = FindMarkerLine(p, m_Window.End(), lineStart, m_Window.AtEnd(), '>', '$', '$', resume);
                if (!marker) {
                    p = resume.at;
                    lineStart = resume.startsLine;
                    if (!m_Window.More(p)) {
                        if (p != m_Window.End())
                            continue; // a CR left for the end of the data
                        if (!begun && !MarkerAfterName(afterName))
                            return Step::NoRecord;
                        if (!begun)
                            m_Sink.HeldRecord(m_Name);
                        next = m_Window.End();
                        return Step::DataEnds;
                    }
                    continue;
                }
            }
            p = marker;
            if (*p == '$') {
                if (EndLineAt(p, next)) {
                    if (!begun)
                        m_Sink.HeldRecord(m_Name);
                    return Step::Next;
                }
                ++p;
                lineStart = false;
                continue;
            }
            if (!begun) {
                m_Sink.HeldRecord(m_Name);
                begun = true;
            }
            if (!ReadItem(p))
                return Step::Failed;
            lineStart = true;
        }
    }

    // Whether a line after the name line, up to the end of the data,
    // begins with "M  END" (for a held record that meets no other marker).
    bool MarkerAfterName(std::int64_t afterName)
    {
        m_Window.Start(afterName);
        const char* p = m_Window.Begin();
        bool lineStart = true;
        for (;;) {
            MarkerResume resume;
            const char* marker = FindMarkerLine(p, m_Window.End(), lineStart, m_Window.AtEnd(), 'M', 'M', 'M', resume);
            if (marker) {
                p = marker;
                if (m_Window.Ensure(p, 6) == 6 && std::memcmp(p, "M  END", 6) == 0)
                    return true;
                ++p;
                lineStart = false;
                continue;
            }
            p = resume.at;
            lineStart = resume.startsLine;
            if (!m_Window.More(p) && p == m_Window.End())
                return false;
        }
    }

    // first: the first record that is not held, which also takes a line
    // beginning with ">" for "M  END"; fileStart: that record starts the
    // file, where a marker on the first byte leaves the file without records.
    Step OtherRecord(const char*& p, const char*& next, bool first, bool fileStart)
    {
        bool structureEnded = false; // "M  END" met
        bool lineStart = true;
        for (;;) {
            MarkerResume resume;
            const char m = structureEnded ? '$' : 'M';
            const char* marker = FindMarkerLine(p, m_Window.End(), lineStart, m_Window.AtEnd(), '$', m,
                                                first && !structureEnded ? '>' : m, resume);
            if (!marker) {
                p = resume.at;
                lineStart = resume.startsLine;
                if (!m_Window.More(p) && p == m_Window.End()) {
                    if (!structureEnded)
                        return Step::NoRecord;
                    next = p;
                    return Step::DataEnds;
                }
                continue;
            }
            p = marker;
            const bool atFileStart = fileStart && m_Window.Offset(p) == 0;
            if (*p == '$') {
                if (EndLineAt(p, next))
                    return atFileStart ? Step::NoRecord : Step::Next;
            } else if (*p == '>' || (m_Window.Ensure(p, 6) == 6 && std::memcmp(p, "M  END", 6) == 0)) {
                if (atFileStart)
                    return Step::NoRecord;
                structureEnded = true;
            }
            ++p;
            lineStart = false;
        }
    }

    // The name number of the header [p, lineEnd), the k-th of its record.
    std::uint32_t HeaderNumber(const char* p, const char* lineEnd)
    {
        const std::size_t size = static_cast<std::size_t>(lineEnd - p);
        const std::size_t k = m_Position++;
        if (k < m_Headers.headers.size()) {
            const std::string& known = m_Headers.headers[k];
            if (known.size() == size && std::memcmp(known.data(), p, size) == 0)
                return m_Headers.numbers[k];
        } else {
            m_Headers.headers.resize(k + 1);
            m_Headers.numbers.resize(k + 1);
        }
        std::string_view name;
        const std::uint32_t number = Chem::ExtractPropertyName(std::string_view(p, size), name)
                                         ? m_Sink.NameNumber(name)
                                         : NoName;
        m_Headers.headers[k].assign(p, size);
        m_Headers.numbers[k] = number;
        return number;
    }

    // Reads the item whose header line starts at p, and moves p past the
    // empty line after its value (or to the end of the data). False when
    // the value runs into an end line.
    bool ReadItem(const char*& p)
    {
        const char* const end = m_Window.End();
        // Most items lie whole in the window: read in place.
        const char* headerEnd = FindLineEndByte(p, end);
        if (headerEnd != end && (*headerEnd == '\n' || headerEnd + 1 != end)) {
            const char* q = headerEnd + (*headerEnd == '\r' && headerEnd[1] == '\n' ? 2 : 1);
            int lines = 0;
            const char* first = nullptr;
            const char* firstEnd = nullptr;
            for (;;) {
                if (q == end)
                    break; // the window ends: read the item line by line
                if (*q == '\n' || *q == '\r') {
                    // The empty line: the item is whole.
                    if (*q == '\r' && q + 1 == end)
                        break;
                    const char* after = q + (*q == '\r' && q[1] == '\n' ? 2 : 1);
                    const std::uint32_t number = HeaderNumber(p, headerEnd);
                    if (number != NoName) {
                        if (lines <= 1)
                            m_Sink.Item(number, lines == 0 ? std::string_view()
                                                           : std::string_view(first, static_cast<std::size_t>(
                                                                                         firstEnd - first)));
                        else
                            m_Sink.Item(number, m_Value);
                    }
                    p = after;
                    return true;
                }
                const char* lineEnd = FindLineEndByte(q, end);
                if (lineEnd == end || (*lineEnd == '\r' && lineEnd + 1 == end))
                    break;
                if (*q == '$' && IsEndLine(q, lineEnd))
                    return false;
                ++lines;
                if (lines == 1) {
                    first = q;
                    firstEnd = lineEnd;
                } else if (lines <= HeldValueLines) {
                    if (lines == 2)
                        m_Value.assign(first, static_cast<std::size_t>(firstEnd - first));
                    m_Value += '\n';
                    m_Value.append(q, static_cast<std::size_t>(lineEnd - q));
                } else if (lines == HeldValueLines + 1) {
                    m_Value += "\n...";
                }
                q = lineEnd + (*lineEnd == '\r' && lineEnd[1] == '\n' ? 2 : 1);
            }
        }
        return ReadItemByLines(p);
    }

    // The same, line by line, for an item that does not lie whole in the
    // window: the window keeps only the line at hand.
    bool ReadItemByLines(const char*& p)
    {
        const char* lineEnd = nullptr;
        const char* next = nullptr;
        m_Window.Line(p, lineEnd, next);
        m_Header.assign(p, static_cast<std::size_t>(lineEnd - p));
        p = next;
        std::string value;
        int lines = 0;
        while (m_Window.Line(p, lineEnd, next)) {
            if (lineEnd == p) {
                p = next;
                break;
            }
            if (IsEndLine(p, lineEnd))
                return false;
            ++lines;
            if (lines <= HeldValueLines) {
                if (lines > 1)
                    value += '\n';
                value.append(p, static_cast<std::size_t>(lineEnd - p));
            } else if (lines == HeldValueLines + 1) {
                value += "\n...";
            }
            p = next;
        }
        const std::uint32_t number = HeaderNumber(m_Header.data(), m_Header.data() + m_Header.size());
        if (number != NoName)
            m_Sink.Item(number, value);
        return true;
    }

    ScanWindow& m_Window;
    Sink& m_Sink;
    std::string m_Name;
    std::string m_Header;
    std::string m_Value;
    HeaderMemory m_Headers;
    std::size_t m_Position = 0; // the item's place in its record
};

} // namespace SdScan

} // namespace VorlatImportExport
