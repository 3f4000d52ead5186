#include "text/CsvDataProvider.h"

#include <climits>

#include "chem/CsvUtilities.h"
#include "frame/TableDataUtil.h"
#include "host/CfxFormat.h"
#include "host/Exception.h"
#include "host/StringConversion.h"
#include "text/LineStarts.h"

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
      m_RecordOffsets(other.m_RecordOffsets)
{
}

CsvDataProvider::~CsvDataProvider() = default;

std::istream& CsvDataProvider::ReadLine(std::string& line)
{
    std::getline(m_Stream, line);
    std::size_t end = line.size();
    while (end > 0 && IsCSpace(line[end - 1]))
        --end;
    line.resize(end);
    return m_Stream;
}

void CsvDataProvider::ConstructIndexMap(std::size_t blockSize)
{
    std::string header;
    const bool headerRead = static_cast<bool>(ReadLine(header));
    m_ColumnTitles.emplace_back("Index");
    Chem::CsvUtilities::GetFields(header, m_ColumnTitles);

    if (headerRead)
        FindLineStarts(m_Stream, blockSize, m_RecordOffsets);
    // A read error is no end of the file: a table cut short there must not
    // pass for the whole file.
    if (m_Stream.bad())
        throw Host::OrvixException("CsvDataProvider", __LINE__, L"Unable to read file.");
    m_Stream.clear();
}

int CsvDataProvider::GetRowCount() const
{
    return m_RecordOffsets.size() > static_cast<std::size_t>(INT_MAX) ? INT_MAX
                                                                      : static_cast<int>(m_RecordOffsets.size());
}

int CsvDataProvider::GetColumnCount() const { return static_cast<int>(m_ColumnTitles.size()); }

void CsvDataProvider::SeekToRecord(int row)
{
    m_Stream.clear();
    const std::streamoff offset = static_cast<std::streamoff>(m_RecordOffsets[static_cast<std::size_t>(row)]);
    // Reading rows in order finds the stream already there: a seek would
    // throw away the stream's buffer and read it again.
    if (static_cast<std::streamoff>(m_Stream.tellg()) == offset)
        return;
    m_Stream.clear();
    m_Stream.seekg(offset, std::ios::beg);
}

const std::vector<std::string>& CsvDataProvider::SplitRecord(int row)
{
    if (row == m_SplitRow)
        return m_SplitFields;
    SeekToRecord(row);
    const bool read = static_cast<bool>(ReadLine(m_Line));
    m_SplitFields.clear();
    m_SplitFields.push_back(std::to_string(row + 1));
    if (read)
        Chem::CsvUtilities::GetFields(m_Line, m_SplitFields);
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
