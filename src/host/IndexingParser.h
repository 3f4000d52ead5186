#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <boost/shared_ptr.hpp>

#include "host/BaseStreamBuffer.h"
#include "host/Export.h"

namespace Host {

// Scans a stream line by line for marker lines, for the index passes of the
// molecule providers. Lines end in LF, CR LF or a lone CR. Markers are found
// only at the start of a line (after blanks, when SetSkipLeadingBlanks is
// on), never inside other text. Positions are byte offsets in the stream.
class VORLAT_EXPORT IndexingParser {
public:
    explicit IndexingParser(boost::shared_ptr<BaseStreamBuffer> buffer);
    ~IndexingParser();

    // Finds, from the read position on, the first line that begins with one
    // of the targets (the first target in the list wins when several do).
    // Returns the match's offset, sets which to the target's index and leaves
    // the read position at the match. A search made while the read position
    // stands at a match finds that match. Returns -1 when no line matches.
    // The two flags are accepted for the callers' sake and change nothing.
    std::int64_t FindFirstString(const std::vector<std::string>& targets, int& which, bool, bool);
    std::int64_t FindString(const std::string& target, bool first, bool second);

    // Reads a line, without its line end, and leaves the read position at the
    // start of the next line. With skipCurrentLine, the rest of the current
    // line is passed over first. Returns the offset where the line read
    // began, or -1 at the end of the data.
    std::int64_t ReadLine(std::string& line, bool skipCurrentLine, bool);

    // The byte at the read position, not consumed; false at the end.
    bool Peek(char& c);
    // The first byte from the read position on that is no space or tab (a
    // line end counts), not consumed; false when the data ends first.
    bool PeekPastBlanks(char& c);
    std::int64_t GetPosition() const { return m_Position; }

    // Direct access for scanners that parse many short lines: the bytes from
    // the read position to the end of the buffer's window, at least
    // minimum of them unless the data ends first (then reachesEnd is true).
    // Returns null at the end of the data.
    const char* Window(std::size_t minimum, std::size_t& size, bool& reachesEnd);
    // Moves the read position forward by count bytes within the window; the
    // caller leaves it at a line start.
    void Advance(std::size_t count) { m_Position += static_cast<std::int64_t>(count); }

    // Targets that match only a whole line (the line is the target and
    // nothing else, or, with trailingBlanks, the target and spaces or tabs),
    // rather than the start of one.
    void SetWholeLineTargets(const std::vector<std::string>& targets, bool trailingBlanks = false)
    {
        m_WholeLineTargets = targets;
        m_TrailingBlanks = trailingBlanks;
    }
    // Lets a marker stand after spaces and tabs at the start of its line.
    void SetSkipLeadingBlanks(bool skip) { m_SkipLeadingBlanks = skip; }

private:
    // Makes up to count bytes from the read position available; returns how
    // many are.
    std::size_t Available(std::size_t count);
    const char* Here() const { return m_Data + (m_Position - m_Start); }
    // Moves the buffer's window to start at from and notes what it holds.
    void Fill(std::int64_t from);
    void Refresh();
    // The first LF or CR in [from, to) of the buffer, or null.
    const char* FindLineEnd(const char* from, const char* to);
    // Moves the read position to the next line that may start with first,
    // or towards the window's end; false when it cannot move.
    bool JumpToCandidate(char first, std::size_t lookahead);
    // Moves past the next line end; false when the data ends first.
    bool SkipLine();
    // Moves past the line end at the read position (LF, CR LF or CR).
    void PassLineEnd();
    bool IsWholeLineTarget(const std::string& target) const;
    // Whether the line at the read position begins with target (or is
    // target, for whole-line targets); held bytes are in the buffer.
    bool MatchesHere(const std::string& target, bool wholeLine, std::size_t held);
    // The byte at position, moving the window when needed; -1 past the end.
    int ByteAt(std::int64_t position);

    boost::shared_ptr<BaseStreamBuffer> m_Buffer;
    std::int64_t m_Position;
    // The buffer's window, as last filled: m_Data holds the bytes from m_Start
    // up to m_End.
    const char* m_Data = nullptr;
    std::int64_t m_Start = 0;
    std::int64_t m_End = 0;
    std::vector<std::string> m_WholeLineTargets;
    bool m_SkipLeadingBlanks = false;
    bool m_TrailingBlanks = false;
    // Where the next CR is known to be (or none up to m_CrScannedTo), so that
    // files without CR cost one search per buffer for it.
    std::int64_t m_NextCr = -1;
    std::int64_t m_CrScannedTo = 0;
    // The end of the data once a read has met it, else -1.
    std::int64_t m_DataEnd = -1;
};

} // namespace Host
