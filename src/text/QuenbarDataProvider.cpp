#include "text/QuenbarDataProvider.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "host/CfxFormat.h"
#include "host/Exception.h"
#include "host/StringConversion.h"
#include "host/RandomAccess.h"
#include "text/RecordStarts.h"
#include "text/TextRecords.h"

namespace VorlatImportExport {

namespace {

const char Tab = '\t';
const std::size_t IndexBlockSize = 1 << 20;

} // namespace

QuenbarDataProvider::QuenbarDataProvider(std::istream& stream) : m_Stream(stream) { ConstructIndexMap(); }

QuenbarDataProvider::QuenbarDataProvider(std::istream& stream, const SavedIndexOptions& savedIndex)
    : m_Stream(stream), m_SavedIndex(savedIndex)
{
    ConstructIndexMap();
}

QuenbarDataProvider::QuenbarDataProvider(const QuenbarDataProvider& other)
    : TableDataProviderBase(other),
      m_RecordCount(other.m_RecordCount),
      m_ColumnCount(other.m_ColumnCount),
      m_LineCount(other.m_LineCount),
      m_HeaderCount(other.m_HeaderCount),
      m_Stream(other.m_Stream),
      m_FirstHeader(other.m_FirstHeader),
      m_SecondHeader(other.m_SecondHeader),
      m_RecordOffsets(other.m_RecordOffsets),
      m_EndOffset(other.m_EndOffset),
      m_SavedIndex(other.m_SavedIndex),
      m_IndexLoaded(other.m_IndexLoaded)
{
}

QuenbarDataProvider::~QuenbarDataProvider() = default;

void QuenbarDataProvider::ParseLine(const std::string& line, std::vector<std::string>& tokens, char delimiter)
{
    tokens.clear();
    std::size_t start = 0;
    while (start <= line.size()) {
        const void* hit = std::memchr(line.data() + start, delimiter, line.size() - start);
        const std::size_t end = hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - line.data()) : line.size();
        if (end > start)
            tokens.emplace_back(line, start, end - start);
        start = end + 1;
    }
}

void QuenbarDataProvider::ResetFile()
{
    m_Stream.clear();
    m_Stream.seekg(0, std::ios::beg);
}

bool QuenbarDataProvider::InitDataProvider()
{
    StreamExceptionsOff noExceptions(m_Stream);
    // Cell reads moved the stream: the table starts at byte 0, where the
    // first pass left it.
    ResetFile();
    ConstructIndexMap();
    return true;
}

namespace {

// The sections of a Quenbar provider's saved index.
enum QuenbarSection : std::uint32_t { FirstHeaderSection = 1, SecondHeaderSection, OffsetsSection, EndSection };
const std::uint32_t QuenbarIndexKind = 2;
const char* const QuenbarIndexKey = "quenbar";

} // namespace

void QuenbarDataProvider::ConstructIndexMap()
{
    // From scratch: a second pass replaces what the first found.
    m_RecordCount = m_ColumnCount = m_LineCount = m_HeaderCount = 0;
    m_RecordOffsets.clear();
    m_SplitRow = -1;
    m_IndexLoaded = false;

    StreamExceptionsOff noExceptions(m_Stream);
    Host::RequireRandomAccess(m_Stream, "QuenbarDataProvider", __LINE__);
    // A saved index of this very file spares the pass; one is written after
    // the pass when the file did not change meanwhile.
    FileFingerprint fingerprint;
    const bool saving = m_SavedIndex.Enabled() && FileFingerprint::Of(m_SavedIndex.file, fingerprint);
    if (saving && LoadSavedIndex(fingerprint)) {
        ResetFile();
        return;
    }
    IndexFromFile();
    FileFingerprint after;
    if (saving && FileFingerprint::Of(m_SavedIndex.file, after) && after == fingerprint)
        SaveIndex(fingerprint);
}

bool QuenbarDataProvider::LoadSavedIndex(const FileFingerprint& fingerprint)
{
    SavedIndexReader saved;
    if (!saved.Load(m_SavedIndex.path, QuenbarIndexKind, fingerprint, QuenbarIndexKey))
        return false;
    std::vector<std::string> first, second;
    RecordOffsets offsets;
    std::int64_t end = 0;
    const char* bytes = nullptr;
    std::size_t size = 0;
    if (!saved.Texts(FirstHeaderSection, first) || !saved.Texts(SecondHeaderSection, second) ||
        !saved.Section(OffsetsSection, bytes, size) || !offsets.LoadFrom(bytes, size, saved.Keep()) || !saved.Number(EndSection, end) ||
        end < 0 || end > fingerprint.size || !offsets.InOrderWithin(0, end))
        return false;
    m_FirstHeader.swap(first);
    m_SecondHeader.swap(second);
    m_RecordOffsets.swap(offsets);
    m_EndOffset = end;
    SetCounts();
    m_IndexLoaded = true;
    return true;
}

void QuenbarDataProvider::SaveIndex(const FileFingerprint& fingerprint) const
{
    SavedIndexWriter writer(QuenbarIndexKind, fingerprint, QuenbarIndexKey);
    writer.AddTexts(FirstHeaderSection, m_FirstHeader);
    writer.AddTexts(SecondHeaderSection, m_SecondHeader);
    std::string offsets;
    m_RecordOffsets.SaveTo(offsets);
    writer.Add(OffsetsSection, offsets);
    writer.AddNumber(EndSection, m_EndOffset);
    // A saved index that cannot be written is no failure of the table.
    writer.WriteTo(m_SavedIndex.path);
}

void QuenbarDataProvider::SetCounts()
{
    m_ColumnCount = static_cast<int>(m_FirstHeader.size());
    m_HeaderCount = 2;
    m_RecordCount = m_RecordOffsets.size() > static_cast<std::size_t>(INT_MAX)
                        ? INT_MAX
                        : static_cast<int>(m_RecordOffsets.size());
    m_LineCount = m_RecordCount + m_HeaderCount;
}

void QuenbarDataProvider::IndexFromFile()
{
    SkipByteOrderMark(m_Stream, static_cast<std::streamoff>(m_Stream.tellg()));
    // Every line is a record of the scan, the two header lines first; lines
    // end in LF, CR LF or a lone CR.
    RecordScan scan;
    scan.blockSize = IndexBlockSize;
    scan.quotes = false;
    m_EndOffset = FindRecordStarts(m_Stream, scan, m_RecordOffsets);
    // A read error is no end of the file: a table cut short there must not
    // pass for the whole file.
    if (m_Stream.bad()) {
        m_RecordOffsets.clear();
        ResetFile();
        throw Host::OrvixException("QuenbarDataProvider", __LINE__, L"Unable to read file.");
    }

    std::string line;
    ReadLineAt(0, line);
    ParseLine(line, m_FirstHeader, Tab);
    ReadLineAt(1, line);
    ParseLine(line, m_SecondHeader, Tab);
    m_RecordOffsets.DropFront(2);
    SetCounts();
    ResetFile();
}

bool QuenbarDataProvider::ReadLineAt(std::size_t index, std::string& line)
{
    line.clear();
    if (index >= m_RecordOffsets.size())
        return false;
    const std::int64_t end = index + 1 < m_RecordOffsets.size() ? m_RecordOffsets[index + 1] : m_EndOffset;
    const bool read = ReadRecordBytes(m_Stream, m_RecordOffsets[index], end, line);
    // The line end (the CR of CR LF too) is no part of the last token.
    RemoveLineEnd(line);
    return read;
}

int QuenbarDataProvider::GetRowCount() const { return m_RecordCount; }

int QuenbarDataProvider::GetColumnCount() const { return m_ColumnCount; }

std::wstring QuenbarDataProvider::GetRowTitle(int row) { return Host::CfxFormat(L"%1") << row + 1; }

std::wstring QuenbarDataProvider::GetColumnTitle(int column)
{
    if (column < 0 || static_cast<std::size_t>(column) >= m_SecondHeader.size())
        return std::wstring();
    return Host::CfxFormat(L"%1") << Host::ToWString(m_SecondHeader[static_cast<std::size_t>(column)]);
}

boost::any QuenbarDataProvider::GetCellData(int row, int column)
{
    if (row < 0 || row >= m_RecordCount || column < 0)
        return std::wstring();
    if (row != m_SplitRow) {
        StreamExceptionsOff noExceptions(m_Stream);
        std::string line;
        const bool read = ReadLineAt(static_cast<std::size_t>(row), line);
        ParseLine(line, m_SplitTokens, Tab);
        m_SplitRow = read ? row : -1;
    }
    if (static_cast<std::size_t>(column) >= m_SplitTokens.size())
        return std::wstring();
    return Host::ToWString(m_SplitTokens[static_cast<std::size_t>(column)]);
}

bool QuenbarDataProvider::SetCellData(int, int, const boost::any&) { return false; }

} // namespace VorlatImportExport
