#include "text/CsvDataProvider.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <memory>
#include <stdexcept>

#include "chem/CsvUtilities.h"
#include "frame/TableDataUtil.h"
#include "host/CfxFormat.h"
#include "host/Exception.h"
#include "host/StringConversion.h"
#include "host/RandomAccess.h"
#include "index/ByteSource.h"
#include "index/IndexOptions.h"
#include "index/RangePass.h"
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

CsvDataProvider::CsvDataProvider(std::istream& stream, boost::shared_ptr<Host::InputStream> input,
                                 std::size_t indexBlockSize)
    : m_Stream(stream), m_Input(std::move(input))
{
    ConstructIndexMap(indexBlockSize == 0 ? 1 : indexBlockSize);
}

CsvDataProvider::CsvDataProvider(std::istream& stream, const CsvOptions& options,
                                 boost::shared_ptr<Host::InputStream> input, std::size_t indexBlockSize)
    : m_Stream(stream), m_Input(std::move(input)), m_Options(options)
{
    if (m_Options.separator != 0 && !CsvOptions::IsSeparator(m_Options.separator))
        throw std::invalid_argument("CsvDataProvider: the separator must be ',', ';', a tab or '|' (or 0 to find it)");
    ConstructIndexMap(indexBlockSize == 0 ? 1 : indexBlockSize);
}

CsvDataProvider::CsvDataProvider(const CsvDataProvider& other)
    : TableDataProviderBase(other),
      m_Stream(other.m_Stream),
      m_Input(other.m_Input),
      m_Options(other.m_Options),
      m_ColumnTitles(other.m_ColumnTitles),
      m_RecordOffsets(other.m_RecordOffsets),
      m_EndOffset(other.m_EndOffset)
{
}

CsvDataProvider::~CsvDataProvider() = default;

std::size_t CsvDataProvider::TrimmedSize(const char* record, std::size_t size, char separator)
{
    // Blanks and the line end go from the record's end only: a quoted field
    // keeps the line breaks and blanks inside it.
    while (size > 0 && IsCSpace(record[size - 1]) && record[size - 1] != separator)
        --size;
    return size;
}

void CsvDataProvider::TrimRecordEnd(std::string& record) const
{
    record.resize(TrimmedSize(record.data(), record.size(), m_Options.separator));
}

std::int64_t CsvDataProvider::SkipCommentLines(ByteSource& source, std::int64_t start, const std::string& prefix) const
{
    if (prefix.empty())
        return start;
    std::string head(prefix.size(), '\0');
    char block[4096];
    for (;;) {
        if (source.ReadAt(start, head.data(), head.size()) != head.size() || head != prefix)
            return start;
        // A comment line: on to the byte after its line end.
        std::int64_t at = start + static_cast<std::int64_t>(prefix.size());
        for (;;) {
            const std::size_t n = source.ReadAt(at, block, sizeof block);
            if (n == 0)
                return at;
            std::size_t i = 0;
            while (i < n && block[i] != '\n' && block[i] != '\r')
                ++i;
            at += static_cast<std::int64_t>(i);
            if (i == n)
                continue;
            char pair[2] = {0, 0};
            at += source.ReadAt(at, pair, 2) == 2 && pair[0] == '\r' && pair[1] == '\n' ? 2 : 1;
            break;
        }
        start = at;
    }
}

std::size_t CsvDataProvider::MostFields(ByteSource& source) const
{
    // The records one after the other, read in large blocks; a record
    // larger than a block is read on its own.
    const std::size_t blockSize = std::size_t(4) << 20;
    const ReadBuffer block(blockSize);
    std::int64_t blockStart = 0;
    std::size_t blockBytes = 0;
    std::string large;
    std::size_t most = 0;
    for (std::size_t i = 0; i < m_RecordOffsets.size(); ++i) {
        const std::int64_t from = m_RecordOffsets[i];
        const std::int64_t to = RecordEnd(i);
        const std::size_t size = static_cast<std::size_t>(to - from);
        const char* record = nullptr;
        if (size > blockSize) {
            large.resize(size);
            large.resize(source.ReadAt(from, large.data(), size));
            record = large.data();
        } else {
            if (from < blockStart || to > blockStart + static_cast<std::int64_t>(blockBytes)) {
                blockStart = from;
                blockBytes = source.ReadAt(from, block.data(), blockSize);
            }
            record = block.data() + (from - blockStart);
        }
        const std::size_t available =
            record == large.data() ? large.size()
                                   : std::min(size, blockBytes - static_cast<std::size_t>(from - blockStart));
        most = std::max(most, Chem::CsvUtilities::CountFields(
                                  record, TrimmedSize(record, available, m_Options.separator), m_Options.separator));
    }
    return most;
}

namespace {

// The sections of a CSV provider's saved index.
enum CsvSection : std::uint32_t { TitlesSection = 1, OffsetsSection, EndSection, SeparatorSection };
const std::uint32_t CsvIndexKind = 1;

} // namespace

std::string CsvDataProvider::SavedIndexKey(std::size_t blockSize) const
{
    return std::string("csv separator=") + std::to_string(static_cast<int>(m_Options.separator)) +
           " titles=" + (m_Options.titles ? "1" : "0") + " extra=" + (m_Options.extraColumns ? "1" : "0") +
           " block=" + std::to_string(blockSize) + " comment=" + m_Options.commentPrefix;
}

bool CsvDataProvider::LoadSavedIndex(const std::string& key, const FileFingerprint& fingerprint)
{
    SavedIndexReader saved;
    if (!saved.Load(m_Options.savedIndex.path, CsvIndexKind, fingerprint, key))
        return false;
    std::vector<std::string> titles;
    RecordOffsets offsets;
    std::int64_t end = 0;
    std::int64_t separator = 0;
    const char* bytes = nullptr;
    std::size_t size = 0;
    if (!saved.Texts(TitlesSection, titles) || titles.empty() || titles[0] != "Index" ||
        !saved.Section(OffsetsSection, bytes, size) || !offsets.LoadFrom(bytes, size, saved.Keep()) ||
        !saved.Number(EndSection, end) || end < 0 || end > fingerprint.size || !saved.Number(SeparatorSection, separator) ||
        !CsvOptions::IsSeparator(static_cast<char>(separator)) ||
        (m_Options.separator != 0 && separator != m_Options.separator) || !offsets.InOrderWithin(0, end))
        return false;
    m_ColumnTitles.swap(titles);
    m_RecordOffsets.swap(offsets);
    m_EndOffset = end;
    m_Options.separator = static_cast<char>(separator);
    m_IndexLoaded = true;
    return true;
}

void CsvDataProvider::SaveIndex(const std::string& key, const FileFingerprint& fingerprint) const
{
    SavedIndexWriter writer(CsvIndexKind, fingerprint, key);
    writer.AddTexts(TitlesSection, m_ColumnTitles);
    std::string offsets;
    m_RecordOffsets.SaveTo(offsets);
    writer.Add(OffsetsSection, offsets);
    writer.AddNumber(EndSection, m_EndOffset);
    writer.AddNumber(SeparatorSection, m_Options.separator);
    // A saved index that cannot be written is no failure of the table.
    writer.WriteTo(m_Options.savedIndex.path);
}

void CsvDataProvider::ConstructIndexMap(std::size_t blockSize)
{
    StreamExceptionsOff noExceptions(m_Stream);
    Host::RequireRandomAccess(m_Stream, "CsvDataProvider", __LINE__);
    // A saved index of this very file, made with these options, spares the
    // pass; one is written after the pass when the file did not change
    // meanwhile.
    FileFingerprint fingerprint;
    const bool saving = m_Options.savedIndex.Enabled() && FileFingerprint::Of(m_Options.savedIndex.file, fingerprint);
    // The options as given (a separator still to find is 0).
    const std::string key = SavedIndexKey(blockSize);
    if (saving && LoadSavedIndex(key, fingerprint)) {
        m_Stream.clear();
        return;
    }
    IndexFromFile(blockSize);
    FileFingerprint after;
    if (saving && FileFingerprint::Of(m_Options.savedIndex.file, after) && after == fingerprint)
        SaveIndex(key, fingerprint);
}

void CsvDataProvider::IndexFromFile(std::size_t blockSize)
{
    const std::int64_t bomEnd = SkipByteOrderMark(m_Stream, static_cast<std::streamoff>(m_Stream.tellg()));
    std::int64_t length = -1;
    if (m_Stream.seekg(0, std::ios::end))
        length = static_cast<std::streamoff>(m_Stream.tellg());
    m_Stream.clear();
    IStreamSource heads(m_Stream);
    std::int64_t start = SkipCommentLines(heads, bomEnd, m_Options.commentPrefix);
    if (m_Options.separator == 0) {
        std::string head(64 << 10, '\0');
        head.resize(heads.ReadAt(start, head.data(), head.size()));
        m_Options.separator = CsvOptions::DetectSeparator(head);
        if (m_Options.separator == 0)
            m_Options.separator = ',';
    }
    m_Stream.clear();
    m_Stream.seekg(static_cast<std::streamoff>(start), std::ios::beg);

    // The header is the first record: a quoted title may hold a line break.
    RecordScan scan;
    scan.blockSize = blockSize;
    scan.separator = m_Options.separator;
    const int threads = IndexOptions::ThreadsToUse();
    // Ranges end where blocks end, so that each range decides on long
    // quoted fields as one scan through the file would.
    const std::int64_t block = static_cast<std::int64_t>(blockSize);
    // A range holds 8 bytes a row until it is merged: ranges of 4 MiB keep
    // that memory, fresh in every pass, small (with ranges of 32 MiB, two
    // threads' passes over 500 MB took 10-15 % longer).
    const std::int64_t rangeSize =
        (IndexOptions::RangeSizeFor(length - start, threads, std::int64_t(4) << 20) + block - 1) / block * block;
    bool readError = false;
    if (threads > 1 && length - start >= 2 * rangeSize) {
        std::unique_ptr<ByteSource> source;
        if (m_Input && m_Input->CanReadAt())
            source.reset(new InputStreamSource(m_Input));
        else
            source.reset(new IStreamSource(m_Stream));
        m_EndOffset = IndexInRanges(*source, scan, start, length, threads, rangeSize);
        readError = source->HasReadError();
    } else {
        m_EndOffset = FindRecordStarts(m_Stream, scan, m_RecordOffsets);
        readError = m_Stream.bad();
    }
    // A read error is no end of the file: a table cut short there must not
    // pass for the whole file.
    if (readError)
        throw Host::OrvixException("CsvDataProvider", __LINE__, L"Unable to read file.");
    m_Stream.clear();

    m_ColumnTitles.emplace_back("Index");
    if (!m_RecordOffsets.empty()) {
        std::string header;
        ReadRecordBytes(m_Stream, m_RecordOffsets[0], RecordEnd(0), header);
        TrimRecordEnd(header);
        if (m_Options.titles) {
            Chem::CsvUtilities::GetFields(header, m_ColumnTitles, m_Options.separator);
            m_RecordOffsets.DropFront(1);
        } else {
            // Without titles, the first row tells how many columns there are.
            const std::size_t fields =
                Chem::CsvUtilities::CountFields(header.data(), header.size(), m_Options.separator);
            for (std::size_t k = 1; k <= fields; ++k)
                m_ColumnTitles.push_back("Column " + std::to_string(k));
        }
    }
    m_Stream.clear();
    if (m_Options.extraColumns) {
        IStreamSource records(m_Stream);
        const std::size_t most = MostFields(records);
        if (records.HasReadError())
            throw Host::OrvixException("CsvDataProvider", __LINE__, L"Unable to read file.");
        for (std::size_t k = m_ColumnTitles.size(); k <= most; ++k)
            m_ColumnTitles.push_back("Column " + std::to_string(k));
        m_Stream.clear();
    }
}

namespace {

// What a range's scan found, until it is merged.
struct CsvRange {
    std::int64_t begin = 0;
    ScanState initial;
    // Where the quoted field the range guessed it starts in closes; -1
    // when it guessed none, or the field runs on too far to tell.
    std::int64_t closedAt = -1;
    ScanState final;
    std::int64_t reached = 0;
    // Plain: the merge encodes them in one go.
    std::vector<std::int64_t> offsets;
};

// Bytes looked at to guess the state a range starts in.
const std::size_t GuessBytes = 64 << 10;

// The state a scan through the file likely has at begin: inside a quoted
// field when the quotes from begin to the next line end are odd in number
// (a field's own quotes come in pairs, doubled or around it; one that
// closes a field opened before begin has no partner), else outside one.
// closedAt: where that field closes (-1: not seen).
ScanState GuessState(ByteSource& source, std::int64_t begin, std::int64_t origin, bool tableStart,
                     std::int64_t& closedAt)
{
    ScanState state;
    state.origin = origin;
    closedAt = -1;
    if (tableStart)
        return state;
    const ReadBuffer buffer(GuessBytes + 1);
    char* const bytes = buffer.data();
    const std::size_t n = source.ReadAt(begin - 1, bytes, GuessBytes + 1);
    if (n == 0)
        return state;
    const char before = bytes[0];
    std::size_t quotes = 0;
    for (std::size_t i = 1; i < n && bytes[i] != '\n' && bytes[i] != '\r'; ++i)
        quotes += bytes[i] == '"';
    state.previous = before;
    if (quotes % 2 == 0) {
        state.crPending = before == '\r';
        state.recordStartsHere = before == '\n';
        return state;
    }
    state.inQuotes = true;
    state.recordStartsHere = false;
    state.quoteOpenedAt = begin - 1; // not known: the merge checks closedAt instead
    for (std::size_t i = 1; i < n; ++i) {
        if (bytes[i] != '"')
            continue;
        if (i + 1 < n && bytes[i + 1] == '"') {
            ++i;
            continue;
        }
        if (i + 1 < n)
            closedAt = begin - 1 + static_cast<std::int64_t>(i);
        break;
    }
    return state;
}

} // namespace

std::int64_t CsvDataProvider::IndexInRanges(ByteSource& source, const RecordScan& scan, std::int64_t start,
                                            std::int64_t length, int threads, std::int64_t rangeSize)
{
    const RangeCuts cuts(start, length, rangeSize, threads, static_cast<std::int64_t>(scan.blockSize));
    const std::int64_t ranges = cuts.Count();
    std::vector<CsvRange> slots(RangePass::SlotCount(threads));
    std::atomic<bool> stop{false};
    // The last range reads on to the end of the data, wherever that is now.
    const auto rangeEnd = [&](std::int64_t number) {
        return number + 1 == ranges ? INT64_MAX : cuts.End(number);
    };
    const RangePass::Work scanRange = [&](std::int64_t number, std::size_t slot) {
        CsvRange& range = slots[slot];
        range.begin = cuts.Begin(number);
        range.offsets.clear();
        // Room for rows of 32 bytes and more made at once: a list grown
        // step by step copies itself and touches twice the memory, which
        // costs a good part of the scan where fresh memory is slow to come
        // by. Room never written costs address space only.
        range.offsets.reserve(static_cast<std::size_t>((cuts.End(number) - range.begin) / 32));
        range.initial = GuessState(source, range.begin, start, number == 0, range.closedAt);
        range.final = range.initial;
        PlainSink sink(range.offsets);
        range.reached = ScanRecordStarts(source, scan, range.begin, rangeEnd(number), range.final, sink);
    };

    // Where the scan has come to and its state there, as one pass through
    // the file would have them.
    std::int64_t reached = start;
    ScanState state;
    state.origin = start;
    const RangePass::Work merge = [&](std::int64_t number, std::size_t slot) {
        CsvRange& range = slots[slot];
        if (reached != range.begin)
            return; // the data ended before the range
        // A guess of a quoted field holds if the field closes before it
        // could turn into a stray quote.
        bool guessed = state.ReadsOnAs(range.initial);
        if (guessed && state.inQuotes)
            guessed = range.closedAt >= 0 && range.closedAt - state.quoteOpenedAt <= scan.maxQuotedBytes;
        if (guessed) {
            m_RecordOffsets.Append(range.offsets.data(), range.offsets.size());
            state = range.final;
            reached = range.reached;
        } else {
            // Inside a quoted field, or after a stray quote: read the range
            // here, from the state it really starts in.
            OffsetsSink sink(m_RecordOffsets);
            reached = ScanRecordStarts(source, scan, reached, rangeEnd(number), state, sink);
        }
    };
    RangePass::Run(ranges, threads, scanRange, merge, [] {}, stop);
    m_RecordOffsets.shrink_to_fit();
    return reached;
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
        Chem::CsvUtilities::GetFields(m_Line, m_SplitFields, m_Options.separator);
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
    for (int column = 0; column < count; ++column)
        titles.push_back(Host::ToSString(GetColumnTitle(column)));
}

void CsvDataProvider::GetRowValues(int row, std::vector<std::string>& values)
{
    const int count = GetColumnCount();
    // No exact reserve: a caller that gathers many rows in one list would
    // have it copied whole for every row.
    for (int column = 0; column < count; ++column)
        values.push_back(Host::ToSString(TableDataUtil::BoostAny2WString(GetCellData(row, column))));
}

} // namespace VorlatImportExport
