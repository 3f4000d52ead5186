#include "text/CsvDataProvider.h"

#include <climits>

#include "chem/CsvUtilities.h"
#include "frame/TableDataUtil.h"
#include "host/CfxFormat.h"
#include "host/Exception.h"
#include "host/StringConversion.h"
#include "host/RandomAccess.h"
#include "text/RecordStarts.h"
#include "text/TextRecords.h"

namespace VorlatImportExport {

namespace {

// White space in the "C" classification; bytes from 0x80 up never are.
bool IsCSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

} // namespace

CsvDataProvider::CsvDataProvider(std::istream& stream) : CsvDataProvider(stream, DefaultIndexBlockSize) {}

CsvDataProvider::CsvDataProvider(std::istream& stream, std::size_t indexBlockSize) : m_Stream(stream)
{
    ConstructIndexMap(indexBlockSize == 0 ? 1 : indexBlockSize);
}

CsvDataProvider::CsvDataProvider(const CsvDataProvider& other)
    : TableDataProviderBase(other),
      m_Stream(other.m_Stream),
      m_ColumnTitles(other.m_ColumnTitles),
      m_RecordOffsets(other.m_RecordOffsets),
      m_EndOffset(other.m_EndOffset)
{
}

CsvDataProvider::~CsvDataProvider() = default;

void CsvDataProvider::TrimRecordEnd(std::string& record)
{
    // Blanks and the line end go from the record's end only: a quoted field
    // keeps the line breaks and blanks inside it.
    std::size_t end = record.size();
    while (end > 0 && IsCSpace(record[end - 1]))
        --end;
    record.resize(end);
}

void CsvDataProvider::ConstructIndexMap(std::size_t blockSize)
{
    StreamExceptionsOff noExceptions(m_Stream);
    Host::RequireRandomAccess(m_Stream, "CsvDataProvider", __LINE__);
    SkipByteOrderMark(m_Stream, static_cast<std::streamoff>(m_Stream.tellg()));

    // The header is the first record: a quoted title may hold a line break.
    RecordScan scan;
    scan.blockSize = blockSize;
    m_EndOffset = FindRecordStarts(m_Stream, scan, m_RecordOffsets);
    // A read error is no end of the file: a table cut short there must not
    // pass for the whole file.
    if (m_Stream.bad())
        throw Host::OrvixException("CsvDataProvider", __LINE__, L"Unable to read file.");
    m_Stream.clear();

    m_ColumnTitles.emplace_back("Index");
    if (!m_RecordOffsets.empty()) {
        std::string header;
        ReadRecordBytes(m_Stream, m_RecordOffsets[0], RecordEnd(0), header);
        TrimRecordEnd(header);
        Chem::CsvUtilities::GetFields(header, m_ColumnTitles);
        m_RecordOffsets.DropFront(1);
    }
    m_Stream.clear();
}

std::int64_t CsvDataProvider::RecordEnd(std::size_t index) const
{
    return index + 1 < m_RecordOffsets.size() ? m_RecordOffsets[index + 1] : m_EndOffset;
}

int CsvDataProvider::GetRowCount() const
{
    return m_RecordOffsets.size() > static_cast<std::size_t>(INT_MAX) ? INT_MAX
                                                                      : static_cast<int>(m_RecordOffsets.size());
}

std::size_t CsvDataProvider::GetIndexMemoryUsage() const { return m_RecordOffsets.MemoryUsage(); }

int CsvDataProvider::GetColumnCount() const { return static_cast<int>(m_ColumnTitles.size()); }

const std::vector<std::string>& CsvDataProvider::SplitRecord(int row)
{
    if (row == m_SplitRow)
        return m_SplitFields;
    StreamExceptionsOff noExceptions(m_Stream);
    const std::size_t index = static_cast<std::size_t>(row);
    const bool read = ReadRecordBytes(m_Stream, m_RecordOffsets[index], RecordEnd(index), m_Line);
    m_SplitFields.clear();
    m_SplitFields.push_back(std::to_string(row + 1));
    if (read) {
        TrimRecordEnd(m_Line);
        Chem::CsvUtilities::GetFields(m_Line, m_SplitFields);
    }
    // A failed read (the file shrank, the stream broke) is not kept, so the
    // next read tries again.
    m_SplitRow = read ? row : -1;
    return m_SplitFields;
}

boost::any CsvDataProvider::GetCellData(int row, int column)
{
    if (row < 0 || row >= GetRowCount() || column < 0)
        return boost::any();
    if (column == 0)
        return row + 1;
    const std::vector<std::string>& fields = SplitRecord(row);
    // The line could not be read (the file shrank or broke): no value.
    if (m_SplitRow != row)
        return boost::any();
    if (static_cast<std::size_t>(column) < fields.size())
        return TableDataUtil::SStringToBoostAny(fields[static_cast<std::size_t>(column)]);
    return std::wstring();
}

bool CsvDataProvider::SetCellData(int, int, const boost::any&) { return false; }

std::wstring CsvDataProvider::GetRowTitle(int row) { return Host::CfxFormat(L"%1") << row + 1; }

std::wstring CsvDataProvider::GetColumnTitle(int column)
{
    if (column < 0 || column >= GetColumnCount())
        return std::wstring();
    return Host::ToWString(m_ColumnTitles[static_cast<std::size_t>(column)]);
}

void CsvDataProvider::GetColumnTitles(std::vector<std::string>& titles)
{
    const int count = GetColumnCount();
    titles.reserve(titles.size() + static_cast<std::size_t>(count));
    for (int column = 0; column < count; ++column)
        titles.push_back(Host::ToSString(GetColumnTitle(column)));
}

void CsvDataProvider::GetRowValues(int row, std::vector<std::string>& values)
{
    const int count = GetColumnCount();
    values.reserve(values.size() + static_cast<std::size_t>(count));
    for (int column = 0; column < count; ++column)
        values.push_back(Host::ToSString(TableDataUtil::BoostAny2WString(GetCellData(row, column))));
}

} // namespace VorlatImportExport
