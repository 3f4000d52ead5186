#include "text/QuenbarDataProvider.h"

#include <climits>
#include <cstring>

#include "host/CfxFormat.h"
#include "host/Exception.h"
#include "host/StringConversion.h"
#include "text/LineStarts.h"

namespace VorlatImportExport {

namespace {

const char Tab = '\t';
const std::size_t IndexBlockSize = 1 << 20;

} // namespace

QuenbarDataProvider::QuenbarDataProvider(std::istream& stream) : m_Stream(stream) { ConstructIndexMap(); }

QuenbarDataProvider::QuenbarDataProvider(const QuenbarDataProvider& other)
    : TableDataProviderBase(other),
      m_RecordCount(other.m_RecordCount),
      m_ColumnCount(other.m_ColumnCount),
      m_LineCount(other.m_LineCount),
      m_HeaderCount(other.m_HeaderCount),
      m_Stream(other.m_Stream),
      m_FirstHeader(other.m_FirstHeader),
      m_SecondHeader(other.m_SecondHeader),
      m_RecordOffsets(other.m_RecordOffsets)
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
    // Cell reads moved the stream: the table starts at byte 0, where the
    // first pass left it.
    ResetFile();
    ConstructIndexMap();
    return true;
}

void QuenbarDataProvider::ConstructIndexMap()
{
    // From scratch: a second pass replaces what the first found.
    m_RecordCount = m_ColumnCount = m_LineCount = m_HeaderCount = 0;
    m_RecordOffsets.clear();
    m_SplitRow = -1;

    std::string line;
    std::getline(m_Stream, line);
    ParseLine(line, m_FirstHeader, Tab);
    m_ColumnCount = static_cast<int>(m_FirstHeader.size());
    ++m_HeaderCount;
    std::getline(m_Stream, line);
    ParseLine(line, m_SecondHeader, Tab);
    ++m_HeaderCount;

    // Every line after the headers is a record.
    FindLineStarts(m_Stream, IndexBlockSize, m_RecordOffsets);
    // A read error is no end of the file: a table cut short there must not
    // pass for the whole file.
    if (m_Stream.bad()) {
        ResetFile();
        throw Host::OrvixException("QuenbarDataProvider", __LINE__, L"Unable to read file.");
    }
    m_RecordCount = m_RecordOffsets.size() > static_cast<std::size_t>(INT_MAX)
                        ? INT_MAX
                        : static_cast<int>(m_RecordOffsets.size());
    m_LineCount = m_RecordCount + m_HeaderCount;
    ResetFile();
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

void QuenbarDataProvider::SeekToRecord(int row)
{
    ResetFile();
    m_Stream.seekg(static_cast<std::streamoff>(m_RecordOffsets[static_cast<std::size_t>(row)]), std::ios::beg);
}

boost::any QuenbarDataProvider::GetCellData(int row, int column)
{
    if (row < 0 || row >= m_RecordCount || column < 0)
        return std::wstring();
    if (row != m_SplitRow) {
        SeekToRecord(row);
        std::string line;
        const bool read = static_cast<bool>(std::getline(m_Stream, line));
        ParseLine(line, m_SplitTokens, Tab);
        m_SplitRow = read ? row : -1;
    }
    if (static_cast<std::size_t>(column) >= m_SplitTokens.size())
        return std::wstring();
    return Host::ToWString(m_SplitTokens[static_cast<std::size_t>(column)]);
}

bool QuenbarDataProvider::SetCellData(int, int, const boost::any&) { return false; }

} // namespace VorlatImportExport
