#pragma once

// The index scan of Tripos Mol2 files: where each record starts and, for the
// leading records, their names and property blocks. It walks a ScanWindow
// from a record start, so that it can index a whole file or one range of it.
//
// The rules, lines ending in LF, CR LF or a lone CR, blanks being spaces and
// tabs:
// - A marker line is one whose first byte after blanks is "@". A record
//   starts at the "@" of a line that is "@<TRIPOS>MOLECULE" with nothing
//   else but blanks, and runs to the next record's start or the end of the
//   data. The line after that marker line is the record's name (trimmed; an
//   empty name stands for "Molecule-" and the record's number from 1).
// - From the line after the name on, marker lines are looked for. Held
//   records, and the first record that is not held, also read property
//   blocks: a line beginning with "@<ZENTROVA>MOL_PROPERTY", then the name
//   line and one more line (neither may be empty, nor missing), then value
//   lines up to an empty line (taken with the block), a marker line (left
//   for the search) or the end of the data; value lines beginning with "#"
//   are passed over, and 11 lines are kept ("\n..." marks the rest). A
//   block's lines are not looked at for markers. In later records blocks
//   are not read: their lines are searched as any others.
// - A line beginning with "@<TRIPOS>UNITY_ATOM_ATTR" says that the file's
//   writer records formal charges.
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "index/ScanWindow.h"
#include "molecule/RecordRange.h"

namespace VorlatImportExport {

namespace Mol2Scan {

// A property value keeps this many lines; "\n..." marks the rest.
constexpr int HeldValueLines = 11;

inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }

enum class Marker { None, Molecule, Property, FormalCharges };

// The marker of the line whose "@" is at p and whose end is at lineEnd.
// properties: whether property blocks are read.
inline Marker MarkerAt(const char* p, const char* lineEnd, bool properties)
{
    static const char molecule[] = "@<TRIPOS>MOLECULE";
    static const char property[] = "@<ZENTROVA>MOL_PROPERTY";
    static const char charges[] = "@<TRIPOS>UNITY_ATOM_ATTR";
    const std::size_t size = static_cast<std::size_t>(lineEnd - p);
    if (size >= sizeof molecule - 1 && std::memcmp(p, molecule, sizeof molecule - 1) == 0) {
        for (const char* q = p + sizeof molecule - 1; q != lineEnd; ++q)
            if (!IsBlank(*q))
                return Marker::None;
        return Marker::Molecule;
    }
    if (properties && size >= sizeof property - 1 && std::memcmp(p, property, sizeof property - 1) == 0)
        return Marker::Property;
    if (size >= sizeof charges - 1 && std::memcmp(p, charges, sizeof charges - 1) == 0)
        return Marker::FormalCharges;
    return Marker::None;
}

// From the line start p on, the first "@" that begins its line after
// blanks; null at the end of the data. p moves with the search (to the end
// of the data when there is none); the window keeps the "@"'s line.
inline const char* NextMarkerLine(ScanWindow& window, const char*& p)
{
    bool blanksSoFar = true; // the bytes of the line before p are blanks
    for (;;) {
        const char* const end = window.End();
        while (p != end) {
            const void* found = std::memchr(p, '@', static_cast<std::size_t>(end - p));
            const char* at = static_cast<const char*>(found);
            const char* q = found ? at : end;
            while (q != p && IsBlank(q[-1]))
                --q;
            const bool lineOfBlanks = q == p ? blanksSoFar : q[-1] == '\n' || q[-1] == '\r';
            if (!found) {
                blanksSoFar = lineOfBlanks;
                p = end;
                break;
            }
            if (lineOfBlanks) {
                // Keep the line from its "@" on: the caller reads it whole.
                p = at;
                return at;
            }
            p = at + 1;
            blanksSoFar = false;
        }
        if (!window.More(p))
            return nullptr;
    }
}

// The first record start in [from, end) as far as the lines from the first
// line start at or after from tell; -1 when none is found there.
inline std::int64_t FirstRecordStart(ScanWindow& window, std::int64_t from, std::int64_t end)
{
    window.Start(from > 0 ? from - 1 : 0);
    const char* p = window.Begin();
    const char* lineEnd = nullptr;
    const char* next = nullptr;
    if (from > 0) {
        // The byte before from shows whether a line starts at from.
        if (window.Ensure(p, 1) == 0)
            return -1;
        if (*p == '\n' || *p == '\r') {
            const bool cr = *p == '\r';
            ++p;
            if (cr && window.Ensure(p, 1) == 1 && *p == '\n')
                ++p;
        } else {
            if (!window.Line(p, lineEnd, next))
                return -1;
            p = next;
        }
    }
    for (;;) {
        const char* at = NextMarkerLine(window, p);
        if (!at || window.Offset(at) >= end)
            return -1;
        window.Line(at, lineEnd, next);
        if (MarkerAt(at, lineEnd, false) == Marker::Molecule)
            return window.Offset(at);
        p = next;
    }
}

// Scans records from limits.start (the "@" of a record's marker line). The
// sink is told:
//   void HeldRecord()  a held record begins;
//   std::uint32_t NameNumber(std::string_view name)  the number of a block
//       name, for the sink's own use;
//   void Item(std::uint32_t name, std::string_view value)  a block of it;
//   void LateName(std::string_view name)  the name of a block of a record
//       that is not held;
//   void Record(std::int64_t start, bool held, std::string_view nameLine,
//       std::int64_t scanned)  the record ends (scanned: how far the scan
//       has read); may throw to stop.
template <class Sink>
class Scanner {
public:
    Scanner(ScanWindow& window, Sink& sink) : m_Window(window), m_Sink(sink) {}

    RecordScanOutcome Scan(const RecordScanLimits& limits)
    {
        RecordScanOutcome outcome;
        m_Window.Start(limits.start);
        const char* p = m_Window.Begin();
        if (m_Window.Ensure(p, 1) == 0) {
            outcome.empty = true;
            return outcome;
        }
        const char* lineEnd = nullptr;
        const char* next = nullptr;
        for (;;) {
            const std::int64_t start = m_Window.Offset(p);
            if (start >= limits.stopBefore) {
                outcome.next = start;
                return outcome;
            }
            const bool held = outcome.records < limits.heldRecords;
            const bool blocks = held || (outcome.records == limits.heldRecords && !limits.othersBegun);
            if (held)
                m_Sink.HeldRecord();
            // The marker line, then the name line.
            m_Window.Line(p, lineEnd, next);
            p = next;
            m_NameLine.clear();
            if (m_Window.Line(p, lineEnd, next)) {
                m_NameLine.assign(p, static_cast<std::size_t>(lineEnd - p));
                p = next;
            }
            bool dataEnds = false;
            for (;;) {
                const char* at = NextMarkerLine(m_Window, p);
                if (!at) {
                    dataEnds = true;
                    break;
                }
                m_Window.Line(at, lineEnd, next);
                const Marker marker = MarkerAt(at, lineEnd, blocks);
                if (marker == Marker::Molecule) {
                    p = at;
                    break;
                }
                if (marker == Marker::Property) {
                    p = at;
                    if (!ReadBlock(p, held)) {
                        outcome.failed = true;
                        return outcome;
                    }
                    continue;
                }
                if (marker == Marker::FormalCharges)
                    outcome.formalCharges = true;
                p = next;
            }
            ++outcome.records;
            m_Sink.Record(start, held, m_NameLine, m_Window.Offset(p));
            if (dataEnds)
                return outcome;
        }
    }

private:
    // Reads the property block whose marker line's "@" is at p and moves p
    // past it. False when the block is malformed.
    bool ReadBlock(const char*& p, bool held)
    {
        const char* lineEnd = nullptr;
        const char* next = nullptr;
        m_Window.Line(p, lineEnd, next);
        p = next;
        if (!m_Window.Line(p, lineEnd, next))
            return false;
        m_BlockName.assign(p, static_cast<std::size_t>(lineEnd - p));
        p = next;
        if (!m_Window.Line(p, lineEnd, next))
            return false;
        const bool secondEmpty = lineEnd == p;
        p = next;
        m_Value.clear();
        int taken = 0;
        while (m_Window.Line(p, lineEnd, next)) {
            const char* first = p;
            while (first != lineEnd && IsBlank(*first))
                ++first;
            if (first != lineEnd && *first == '@')
                break;
            const std::string_view line(p, static_cast<std::size_t>(lineEnd - p));
            p = next;
            if (line.empty())
                break;
            if (line[0] == '#')
                continue;
            ++taken;
            if (taken <= HeldValueLines) {
                if (taken > 1)
                    m_Value += '\n';
                m_Value.append(line.data(), line.size());
            } else if (taken == HeldValueLines + 1) {
                m_Value += "\n...";
            }
        }
        if (m_BlockName.empty() || secondEmpty)
            return false;
        if (held)
            m_Sink.Item(m_Sink.NameNumber(m_BlockName), m_Value);
        else
            m_Sink.LateName(m_BlockName);
        return true;
    }

    ScanWindow& m_Window;
    Sink& m_Sink;
    std::string m_NameLine;
    std::string m_BlockName;
    std::string m_Value;
};

} // namespace Mol2Scan

} // namespace VorlatImportExport
