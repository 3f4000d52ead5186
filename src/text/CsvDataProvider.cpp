#include "text/CsvDataProvider.h"

#include <climits>
#include <cstring>
#include <memory>

#include "chem/CsvUtilities.h"
#include "frame/TableDataUtil.h"
#include "host/CfxFormat.h"
#include "host/Exception.h"
#include "host/StringConversion.h"

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
    if (m_Stream.bad())
        throw Host::OrvixException("CsvDataProvider", __LINE__, L"Unable to read file.");
    m_ColumnTitles.emplace_back("Index");
    Chem::CsvUtilities::GetFields(header, m_ColumnTitles);

    // Every position after the header where a line starts and at least one
    // byte follows is a record: the start of the data, and the byte after
    // each line feed unless the file ends there. This gives the offsets of a
    // line-by-line read, found with block reads and memchr instead.
    const std::streamoff start = headerRead ? static_cast<std::streamoff>(m_Stream.tellg()) : -1;
    // The size of the rest, to reserve room for the offsets once; a stream
    // that cannot tell is read all the same.
    std::streamoff end = -1;
    if (start >= 0) {
        if (m_Stream.seekg(0, std::ios::end))
            end = m_Stream.tellg();
        m_Stream.clear();
        m_Stream.seekg(start, std::ios::beg);
    }
    if (start >= 0) {
        std::unique_ptr<char[]> block(new char[blockSize]);
        std::int64_t base = start;
        bool lineStartsHere = true; // a line starts at base, if a byte is there
        for (;;) {
            m_Stream.read(block.get(), static_cast<std::streamsize>(blockSize));
            const std::size_t n = static_cast<std::size_t>(m_Stream.gcount());
            if (n == 0)
                break;
            if (lineStartsHere)
                m_RecordOffsets.push_back(base);
            const char* const first = block.get();
            const char* const last = first + n;
            const char* p = first;
            lineStartsHere = false;
            while (const void* hit = std::memchr(p, '\n', static_cast<std::size_t>(last - p))) {
                p = static_cast<const char*>(hit) + 1;
                if (p == last) {
                    lineStartsHere = true;
                    break;
                }
                m_RecordOffsets.push_back(base + (p - first));
            }
            if (base == start && end > start && n < static_cast<std::size_t>(end - start))
                ReserveForLines(static_cast<std::size_t>(end - start), n, m_RecordOffsets.size());
            base += static_cast<std::int64_t>(n);
            if (n < blockSize)
                break;
        }
        // A read error is no end of the file: a table cut short there must
        // not pass for the whole file.
        if (m_Stream.bad())
            throw Host::OrvixException("CsvDataProvider", __LINE__, L"Unable to read file.");
        // A first block unlike the rest of the file may have asked for far
        // too much room.
        if (m_RecordOffsets.capacity() / 5 > m_RecordOffsets.size() / 4 + 1024)
            m_RecordOffsets.shrink_to_fit();
    }
    m_Stream.clear();
}

void CsvDataProvider::ReserveForLines(std::size_t bytes, std::size_t sampledBytes, std::size_t sampledLines)
{
    // Room for the lines the first block suggests, and a tenth more, so that
    // the list is not copied over and over while it grows. Reserved room that
    // is never written costs address space only.
    const double perByte = static_cast<double>(sampledLines + 1) / static_cast<double>(sampledBytes);
    const double estimate = perByte * static_cast<double>(bytes) * 1.1 + 16;
    const double most = static_cast<double>(bytes) / 2 + 16;
    m_RecordOffsets.reserve(static_cast<std::size_t>(estimate < most ? estimate : most));
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
