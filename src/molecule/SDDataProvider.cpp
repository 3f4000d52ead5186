#include "molecule/SDDataProvider.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <thread>

#include "chem/Atom.h"
#include "chem/ChemDoc.h"
#include "chem/CTextArchiveParser.h"
#include "chem/ImportMOL.h"
#include "chem/Importer.h"
#include "chem/Molecule.h"
#include "chem/MolUtilities.h"
#include "chem/StringUtils.h"
#include "frame/TableDataUtil.h"
#include "host/CfxFormat.h"
#include "host/Exception.h"
#include "host/GzipFile.h"
#include "host/RandomAccess.h"
#include "host/StringConversion.h"
#include "index/ByteSource.h"
#include "index/IndexOptions.h"
#include "index/LineMasks.h"
#include "index/RangePass.h"
#include "index/ScanWindow.h"
#include "host/Structure.h"
#include "molecule/SDImportOptions.h"
#include "molecule/SDMoleculeInfo.h"
#include "molecule/SdIndexScan.h"

namespace VorlatImportExport {

namespace {

const char* const ImportTitle = "Korvane Import";
// Bytes the index scan reads at a time.
const std::size_t ScanWindowSize = 1 << 20;
const int DefaultCacheSize = 1000;
const std::string RecordEnd = "$$$$";

// The scan reports progress at most this often (in bytes read).
const std::int64_t ProgressStep = 4 << 20;
// A record is copied in one read of its size in the index up to this size;
// beyond it, the rest comes in blocks.
const std::int64_t MaxFirstRead = 1 << 20;

// The line that ends a record: "$$$$", and nothing after it but spaces or
// tabs (as other toolkits write and accept it). The line end is not part of
// the line.
bool IsRecordEndLine(std::string_view line)
{
    return !line.empty() && line[0] == '$' && line.substr(0, RecordEnd.size()) == RecordEnd &&
           line.find_first_not_of(" \t", RecordEnd.size()) == std::string_view::npos;
}

std::string TrimSpaces(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

} // namespace

SDDataProvider::SDDataProvider(std::istream& fileStream, boost::shared_ptr<Host::InputStream> inputStream,
                               Host::IProgressMonitor& monitor)
    : SDDataProvider(fileStream, std::move(inputStream), monitor, SavedIndexOptions())
{
}

SDDataProvider::SDDataProvider(std::istream& fileStream, boost::shared_ptr<Host::InputStream> inputStream,
                               Host::IProgressMonitor& monitor, const SavedIndexOptions& savedIndex)
    : SDDataProvider(fileStream, std::move(inputStream), monitor, true)
{
    m_savedIndex = savedIndex;
    // Records are read back at their offsets: a pipe would index as records
    // without structures. Refused before anything is read.
    Host::RequireRandomAccess(fileStream, "SDDataProvider", __LINE__);
    if (m_inputStream)
        Host::RequireRandomAccess(*m_inputStream, "SDDataProvider", __LINE__);
    // A constructor that throws runs no destructor: the importer goes here.
    bool indexed = false;
    try {
        indexed = Initialize(monitor);
    } catch (...) {
        delete m_importer;
        m_importer = nullptr;
        throw;
    }
    if (!indexed) {
        delete m_importer;
        m_importer = nullptr;
        throw Host::OrvixException("SDDataProvider", 402,
                                   L"Unable to process file.\nPlease check the file and try again.");
    }
}

SDDataProvider::SDDataProvider(std::istream& fileStream, boost::shared_ptr<Host::InputStream> inputStream,
                               Host::IProgressMonitor&, bool)
    : m_inputStream(std::move(inputStream)), m_fileStream(fileStream)
{
}

SDDataProvider::~SDDataProvider()
{
    delete m_importer;
    m_importer = nullptr;
    m_moleculeCache.SetCapacity(0);
}

// --- indexing ---------------------------------------------------------------

void SDDataProvider::ResetIndex()
{
    m_numRecords = 0;
    m_numColumns = 0;
    m_columnNames.clear();
    m_recordOffsets.clear();
    m_propertyNames.clear();
    m_propertyNameSet.clear();
    m_molPropertyMaps.Clear();
    m_maxRecordColumns = 0;
    m_columnNameNumbers.clear();
    m_moleculeCache.SetCapacity(0);
}

bool SDDataProvider::Initialize(Host::IProgressMonitor& monitor)
{
    ResetIndex();
    m_indexLoaded = false;
    if (!GetImporter())
        return false;
    m_sortProperties = SDImportOptions::GetSortPropertiesOnImport();
    SetCacheSize(DefaultCacheSize);
    // A saved index of this very file, made with these options, spares the
    // pass; one is written after the pass when the file did not change
    // meanwhile.
    FileFingerprint fingerprint;
    const bool saving = m_savedIndex.Enabled() && FileFingerprint::Of(m_savedIndex.file, fingerprint);
    const std::string key = SavedIndexKey();
    if (saving && LoadSavedIndex(key, fingerprint)) {
        m_indexLoaded = true;
        return true;
    }
    if (!ConstructIndexMap(monitor))
        return false;
    FileFingerprint after;
    if (saving && FileFingerprint::Of(m_savedIndex.file, after) && after == fingerprint)
        SaveIndex(key, fingerprint);
    return true;
}

// --- saved index --------------------------------------------------------------

namespace {

// The sections of an SD or Mol2 provider's saved index; the held items'
// store takes the tags from StoreTags on.
enum SdSection : std::uint32_t { ColumnsSection = 1, OffsetsSection, CountsSection };
const std::uint32_t StoreTags = 0x100;

struct SavedCounts {
    std::int64_t records;
    std::int64_t maxRecordColumns;
    std::int64_t formatFlags;
};

} // namespace

std::uint32_t SDDataProvider::SavedIndexKind() const { return 3; }

std::string SDDataProvider::SavedIndexKey() const
{
    return "molecules held=" + std::to_string(m_propertyCacheSize) + " sort=" + (m_sortProperties ? "1" : "0");
}

bool SDDataProvider::LoadSavedIndex(const std::string& key, const FileFingerprint& fingerprint)
{
    SavedIndexReader saved;
    if (!saved.Load(m_savedIndex.path, SavedIndexKind(), fingerprint, key))
        return false;
    std::vector<std::string> columns;
    RecordOffsets offsets;
    SavedCounts counts{};
    const char* bytes = nullptr;
    std::size_t size = 0;
    bool ok = saved.Texts(ColumnsSection, columns) && columns.size() >= 3 && columns.size() <= INT_MAX &&
              columns[0] == "Structure" && columns[1] == "Name" && columns[2] == "Index" &&
              saved.Section(CountsSection, bytes, size) && size == sizeof counts;
    if (ok)
        std::memcpy(&counts, bytes, sizeof counts);
    ok = ok && counts.records >= 1 && counts.records <= INT_MAX && counts.maxRecordColumns >= 0 &&
         counts.maxRecordColumns <= INT_MAX && saved.Section(OffsetsSection, bytes, size) &&
         offsets.LoadFrom(bytes, size, saved.Keep()) && offsets.size() == static_cast<std::size_t>(counts.records) &&
         offsets.InOrderWithin(0, fingerprint.size) && m_molPropertyMaps.LoadFrom(saved, StoreTags) &&
         m_molPropertyMaps.GetRecordCount() <= static_cast<std::size_t>(counts.records) &&
         LoadFormatFlags(counts.formatFlags);
    // Property names each once.
    std::unordered_set<std::string> names;
    if (ok)
        names.insert(columns.begin() + 3, columns.end());
    if (!ok || names.size() != columns.size() - 3) {
        m_molPropertyMaps.Clear();
        LoadFormatFlags(0);
        return false;
    }
    m_columnNames.swap(columns);
    m_propertyNames.assign(m_columnNames.begin() + 3, m_columnNames.end());
    m_propertyNameSet.swap(names);
    m_recordOffsets.swap(offsets);
    m_numRecords = static_cast<int>(counts.records);
    m_numColumns = static_cast<int>(m_columnNames.size());
    m_maxRecordColumns = static_cast<int>(counts.maxRecordColumns);
    for (const std::string& column : m_columnNames)
        m_columnNameNumbers.push_back(m_molPropertyMaps.FindName(column));
    return true;
}

void SDDataProvider::SaveIndex(const std::string& key, const FileFingerprint& fingerprint) const
{
    try {
        SavedIndexWriter writer(SavedIndexKind(), fingerprint, key);
        writer.AddTexts(ColumnsSection, m_columnNames);
        std::string offsets;
        m_recordOffsets.SaveTo(offsets);
        writer.AddView(OffsetsSection, offsets.data(), offsets.size());
        const SavedCounts counts{m_numRecords, m_maxRecordColumns, SavedFormatFlags()};
        writer.Add(CountsSection, &counts, sizeof counts);
        m_molPropertyMaps.SaveTo(writer, StoreTags);
        // A saved index that cannot be written is no failure of the table.
        writer.WriteTo(m_savedIndex.path);
    } catch (const std::exception&) {
        // No memory for the sections: no saved index either.
    }
}

bool SDDataProvider::GetImporter()
{
    delete m_importer;
    m_importer = new Chem::ImportMOL;
    return m_importer != nullptr;
}

std::string SDDataProvider::MakeMoleculeName(const std::string& line, int record)
{
    return line.empty() ? "Molecule-" + std::to_string(record + 1) : line;
}

void SDDataProvider::StartProgress()
{
    m_streamLength = m_inputStream ? m_inputStream->GetLength() : -1;
    m_nextProgressAt = 0;
}

void SDDataProvider::ReportProgress(Host::IProgressMonitor& monitor, std::int64_t position)
{
    if (position >= m_nextProgressAt) {
        if (m_streamLength > 0) {
            monitor.SetProgress(static_cast<double>(position) / static_cast<double>(m_streamLength));
        } else if (const auto* gzip = dynamic_cast<const Host::GzipInputStream*>(m_inputStream.get())) {
            // A compressed file's length is known only at its end: how far
            // through the compressed bytes the scan is tells instead.
            const double fraction = gzip->GetCompressedFraction();
            if (fraction >= 0)
                monitor.SetProgress(fraction);
        }
        m_nextProgressAt = position + ProgressStep;
    }
    if (monitor.IsCancelled())
        throw Host::CancellationException();
}

namespace {

// Lines before a range's first byte that its search for its first record
// looks at: an end line that started that far back is missed, and the
// range is then read again on the caller's thread.
const std::int64_t RangeLookBack = 64 << 10;


// An SD scan's findings go to its range, each held record's name and
// number first.
class RangeSink : public RangeSinkBase {
public:
    using RangeSinkBase::RangeSinkBase;

    void HeldRecord(std::string_view nameLine)
    {
        BeginHeldRecord();
        HoldNameAndIndex(nameLine);
    }
    void Record(std::int64_t start, bool held, std::int64_t scanned) { EndRecord(start, held, scanned); }
};

// Where the first record that starts in [begin, end) starts, as far as the
// bytes from a little before begin tell: the line after the first end line
// that ends at or after begin. -1 when no record starts there.
std::int64_t FirstRecordStart(ScanWindow& window, std::int64_t begin, std::int64_t end)
{
    window.Start(std::max<std::int64_t>(begin - RangeLookBack, 0));
    const char* p = window.Begin();
    bool lineStart = window.Offset(p) == 0;
    for (;;) {
        const char* stop = window.End();
        if (window.Offset(stop) > end)
            stop -= window.Offset(stop) - end;
        MarkerResume resume;
        // A line that starts at end or later is of no interest: the search
        // may take a CR before it as the end of the data.
        const bool atEnd = window.AtEnd() || stop != window.End();
        const char* marker = p < stop ? FindMarkerLine(p, stop, lineStart, atEnd, '$', '$', '$', resume) : nullptr;
        if (!marker && p >= stop)
            resume.at = p, resume.startsLine = lineStart;
        if (marker) {
            const char* lineEnd = nullptr;
            const char* next = nullptr;
            p = marker;
            window.Line(p, lineEnd, next);
            if (SdScan::IsEndLine(p, lineEnd) && window.Offset(next) >= begin) {
                // No byte after the end line: no record starts there.
                if (next == window.End() && window.AtEnd())
                    return -1;
                return window.Offset(next) < end ? window.Offset(next) : -1;
            }
            ++p;
            lineStart = false;
            continue;
        }
        p = resume.at;
        lineStart = resume.startsLine;
        if (window.Offset(p) >= end)
            return -1;
        if (!window.More(p) && p == window.End())
            return -1;
    }
}

} // namespace

bool SDDataProvider::ConstructIndexMap(Host::IProgressMonitor& monitor)
{
    StartProgress();
    monitor.SetTitle(Host::ToWString(ImportTitle));
    monitor.Begin();
    monitor.SetTask(Host::ToWString(ImportTitle), 0);
    m_columnNames = {"Structure", "Name", "Index"};

    // Offsets count from the start of the file, where the scan begins.
    InputStreamSource source(m_inputStream);
    const std::int64_t length = m_inputStream ? m_inputStream->GetLength() : -1;
    const int threads = IndexOptions::ThreadsToUse();
    const std::int64_t rangeSize = IndexOptions::RangeSizeFor(length, threads);
    bool indexed = false;
    if (threads > 1 && length >= 2 * rangeSize) {
        indexed = IndexInRanges(monitor, source, length, threads, rangeSize, 0);
    } else {
        RecordRange whole;
        whole.window.reset(new ScanWindow(source, ScanWindowSize));
        RecordScanLimits limits;
        limits.heldRecords = std::max(m_propertyCacheSize, 0);
        const RecordScanOutcome outcome = ScanRange(whole, limits, monitor);
        // An empty file is no SD file; a held item that runs into a
        // record's end line makes the file unreadable.
        indexed = !outcome.empty && !outcome.failed;
        m_indexedRecords = outcome.records;
    }
    monitor.SetProgress(1.0);
    monitor.End();
    // A read error is no end of the file: the index would be cut short.
    if (!indexed || source.HasReadError())
        return false;
    return FinishIndexMap(static_cast<int>(std::min<std::int64_t>(m_indexedRecords, INT_MAX)));
}

RecordScanOutcome SDDataProvider::ScanRange(RecordRange& range, const RecordScanLimits& limits,
                                            Host::IProgressMonitor& monitor)
{
    std::atomic<bool> stop{false};
    const std::function<void(std::int64_t)> report = [this, &monitor](std::int64_t scanned) {
        ReportProgress(monitor, scanned);
    };
    range.outcome = ScanRecords(range, limits, stop, &report);
    TakeRange(range);
    return range.outcome;
}

std::int64_t SDDataProvider::GuessRecordStart(ScanWindow& window, std::int64_t begin, std::int64_t end) const
{
    return FirstRecordStart(window, begin, end);
}

RecordScanOutcome SDDataProvider::ScanRecords(RecordRange& range, const RecordScanLimits& limits,
                                              std::atomic<bool>& stop,
                                              const std::function<void(std::int64_t)>* report) const
{
    RangeSink sink(range, stop, report);
    SdScan::Scanner<RangeSink> scanner(*range.window, sink);
    return scanner.Scan(limits);
}

void SDDataProvider::TakeRange(RecordRange& range)
{
    for (const std::int64_t offset : range.offsets)
        SetRecordOffset(offset);
    m_molPropertyMaps.AppendSegment(range.items,
                                    [this](const std::string& name, std::uint32_t) { AddPropertyNameToSet(name, false); });
    for (const std::string& name : range.lateNames)
        AddPropertyNameToSet(name, false);
    m_maxRecordColumns = std::max(m_maxRecordColumns, range.maxColumns);
}

bool SDDataProvider::IndexInRanges(Host::IProgressMonitor& monitor, ByteSource& source, std::int64_t length,
                                   int threads, std::int64_t rangeSize, std::int64_t firstStart)
{
    const RangeCuts cuts(0, length, rangeSize, threads);
    const std::int64_t held = std::max(m_propertyCacheSize, 0);
    // Windows no larger than a range and the bytes looked at before it
    // need (they grow when a line or item does).
    const std::size_t windowSize =
        static_cast<std::size_t>(std::min<std::int64_t>(ScanWindowSize, 2 * rangeSize + RangeLookBack));
    std::vector<RecordRange> slots(RangePass::SlotCount(threads));
    std::atomic<bool> stop{false};
    std::atomic<std::int64_t> mergedRecords{0};
    const std::thread::id caller = std::this_thread::get_id();
    const std::function<void()> poll = [&monitor] {
        if (monitor.IsCancelled())
            throw Host::CancellationException();
    };
    const std::function<void(std::int64_t)> check = [&poll](std::int64_t) { poll(); };

    const RangePass::Work scan = [&](std::int64_t number, std::size_t slot) {
        RecordRange& range = slots[slot];
        range.begin = cuts.Begin(number);
        range.end = cuts.End(number);
        range.Clear();
        if (!range.window)
            range.window.reset(new ScanWindow(source, windowSize));
        range.start = number == 0 ? firstStart : GuessRecordStart(*range.window, range.begin, range.end);
        if (range.start < 0)
            return;
        // Whether its records are held is known for the first range only;
        // the others guess from the records merged so far, and a wrong guess
        // is read again when the range is merged.
        RecordScanLimits limits;
        limits.start = range.start;
        limits.stopBefore = range.end;
        range.held = number == 0 ? held > 0 : mergedRecords.load() < held;
        limits.heldRecords = number == 0 ? held : range.held ? INT64_MAX : 0;
        limits.othersBegun = number != 0;
        range.outcome = ScanRecords(range, limits, stop, std::this_thread::get_id() == caller ? &check : nullptr);
        // Here rather than in the merge, which one thread does for all.
        range.items.Compact();
    };

    // The merge's state: where the next record starts (-1: the data ended),
    // the records so far, and whether the file turned out unreadable.
    std::int64_t next = firstStart;
    std::int64_t records = 0;
    bool failed = false;
    RecordRange again;
    again.window.reset(new ScanWindow(source, windowSize));
    const RangePass::Work merge = [&](std::int64_t number, std::size_t slot) {
        RecordRange& range = slots[slot];
        if (next < 0 || next >= range.end)
            return;
        bool taken = range.start == next;
        if (taken && number > 0)
            taken = range.held ? records + range.outcome.records + (range.outcome.failed ? 1 : 0) <= held
                               : records > held;
        RecordScanOutcome outcome;
        if (taken) {
            outcome = range.outcome;
            TakeRange(range);
        } else {
            // The range began elsewhere than its records do, or guessed
            // wrong whether they are held: read it here, as one thread would.
            RecordScanLimits limits;
            limits.start = next;
            limits.stopBefore = range.end;
            limits.heldRecords = std::max<std::int64_t>(held - records, 0);
            limits.othersBegun = records > held;
            again.Clear();
            outcome = ScanRange(again, limits, monitor);
        }
        if (number == 0 && outcome.empty)
            failed = true;
        records += outcome.records;
        mergedRecords = records;
        failed = failed || outcome.failed;
        next = outcome.next;
        if (failed)
            throw RangeStopped();
        ReportProgress(monitor, next < 0 ? length : next);
    };

    try {
        RangePass::Run(cuts.Count(), threads, scan, merge, poll, stop);
    } catch (const RangeStopped&) {
        return false;
    }
    m_indexedRecords = records;
    return true;
}

bool SDDataProvider::FinishIndexMap(int count)
{
    if (!m_propertyNames.empty()) {
        if (m_sortProperties)
            std::sort(m_propertyNames.begin(), m_propertyNames.end());
        m_columnNames.insert(m_columnNames.end(), m_propertyNames.begin(), m_propertyNames.end());
    }
    if (count == 0) {
        SetRecordOffset(0);
        count = 1;
    }
    m_numRecords = count;
    m_numColumns = static_cast<int>(m_columnNames.size());
    m_recordOffsets.shrink_to_fit();
    m_molPropertyMaps.Compact();
    m_columnNameNumbers.clear();
    for (const std::string& column : m_columnNames)
        m_columnNameNumbers.push_back(m_molPropertyMaps.FindName(column));
    return true;
}

std::int64_t SDDataProvider::SetRecordOffset(std::int64_t position)
{
    m_recordOffsets.push_back(position);
    return 0;
}

void SDDataProvider::RandomizeOffsets()
{
    // Fisher-Yates driven by rand, as a random shuffle is. Rows then no
    // longer follow the file, and GetMoleculeSize, the distance to the next
    // row's record, is no record size.
    m_recordOffsets.Shuffle();
}

void SDDataProvider::AddPropertyNameToSet(const std::string& name, bool direct)
{
    if (direct) {
        if (m_propertyNameSet.insert(name).second)
            m_propertyNames.push_back(name);
        return;
    }
    if (name == "Name" || name == "Structure" || name == "Index")
        return;
    AddPropertyNameToSet(name, true);
}

bool SDDataProvider::GetPropertyNames(SDMoleculeInfo* record)
{
    if (!record)
        return false;
    const int count = record->GetNumProperties();
    for (int i = 0; i < count; ++i)
        AddPropertyNameToSet(record->GetPropertyName(i), false);
    return true;
}

void SDDataProvider::AppendMolPropertyMap(std::map<std::string, std::string>& properties)
{
    const int columns = static_cast<int>(properties.size()) + (properties.count("Structure") ? 0 : 1);
    m_maxRecordColumns = std::max(m_maxRecordColumns, columns);
    m_molPropertyMaps.AppendRecord(properties);
    properties.clear();
}

bool SDDataProvider::GetMolProperty(int row, const std::string& name, std::string& value) const
{
    if (row < 0)
        return false;
    return m_molPropertyMaps.Get(static_cast<std::size_t>(row), name, value);
}

void SDDataProvider::SetMolProperty(int row, const std::string& name, const std::string& value)
{
    if (row < 0 || name.empty())
        return;
    m_molPropertyMaps.Set(static_cast<std::size_t>(row), name, value);
}

void SDDataProvider::SetPropertyCacheSize(int size) { m_propertyCacheSize = size; }

int SDDataProvider::GetPropertyCacheSize() const { return m_propertyCacheSize; }

std::istream& SDDataProvider::GetInputFileStream() const { return m_fileStream; }

boost::shared_ptr<Host::InputStream> SDDataProvider::GetInputStream() { return m_inputStream; }

std::int64_t SDDataProvider::GetMoleculeOffset(int row)
{
    if (row < 0 || static_cast<std::size_t>(row) >= m_recordOffsets.size())
        return -1;
    return m_recordOffsets[static_cast<std::size_t>(row)];
}

std::int64_t SDDataProvider::GetMoleculeSize(int row)
{
    if (row < 0 || static_cast<std::size_t>(row) >= m_recordOffsets.size())
        return -1;
    const std::size_t i = static_cast<std::size_t>(row);
    if (i + 1 < m_recordOffsets.size())
        return m_recordOffsets[i + 1] - m_recordOffsets[i];
    const std::int64_t length = m_inputStream ? m_inputStream->GetLength() : -1;
    return length < 0 ? -1 : length - m_recordOffsets[i];
}

void SDDataProvider::ResetFile() const
{
    m_fileStream.clear();
    m_fileStream.seekg(0, std::ios::beg);
}

void SDDataProvider::SeekToRecord(int row) const
{
    ResetFile();
    const std::size_t i = static_cast<std::size_t>(row);
    m_fileStream.seekg(static_cast<std::streamoff>(m_recordOffsets[i]), std::ios::beg);
    // The record's size as the index has it: the next record's offset less
    // this one's (none for the last record).
    m_recordSizeHint = i + 1 < m_recordOffsets.size() ? m_recordOffsets[i + 1] - m_recordOffsets[i] : 0;
}

// --- reading records --------------------------------------------------------

bool SDDataProvider::LoadMolecule(std::string& record) const
{
    // The record's size in the index, when SeekToRecord went to it just
    // before; for this read only.
    const std::int64_t sizeHint = m_recordSizeHint;
    m_recordSizeHint = 0;
    std::streambuf* buffer = m_fileStream.rdbuf();
    if (!buffer || !m_fileStream.good() || buffer->sgetc() == std::char_traits<char>::eof())
        return false;
    // Raw lines, kept byte for byte: a line ends after LF, after CR LF, or
    // after a CR followed by anything else. The copy ends after the first
    // line that is "$$$$" (blanks after it allowed) without its line end.
    // Bytes are read in blocks and what was read past that line is given
    // back to the stream. The first block is the record's size in the index
    // when there is one (up to a limit): a record then usually comes in one
    // read with nothing to give back; its end line still decides where it
    // ends (the file may have changed since it was indexed).
    const std::size_t chunk = 4096;
    const std::size_t firstChunk =
        sizeHint > 0 ? static_cast<std::size_t>(std::min<std::int64_t>(sizeHint, MaxFirstRead)) : chunk;
    std::size_t lineStart = record.size();
    std::size_t scanned = record.size();
    for (std::size_t want = firstChunk;; want = chunk) {
        const std::size_t before = record.size();
        record.resize(before + want);
        const std::streamsize got = buffer->sgetn(&record[before], static_cast<std::streamsize>(want));
        record.resize(before + static_cast<std::size_t>(got > 0 ? got : 0));
        if (got <= 0) {
            m_fileStream.setstate(std::ios::eofbit);
            return true;
        }
        std::size_t recordEnd = std::string::npos;
        if (!std::memchr(record.data() + scanned, '\r', record.size() - scanned)) {
            // No CR in the block: lines end at LF only.
            const char* const data = record.data();
            while (const void* found = std::memchr(data + scanned, '\n', record.size() - scanned)) {
                const std::size_t i = static_cast<std::size_t>(static_cast<const char*>(found) - data);
                if (IsRecordEndLine(std::string_view(data + lineStart, i - lineStart))) {
                    recordEnd = i + 1;
                    break;
                }
                lineStart = scanned = i + 1;
            }
        } else {
            for (std::size_t i = scanned; i < record.size(); ++i) {
                const char c = record[i];
                if (c != '\n' && c != '\r')
                    continue;
                std::size_t lineEnd = i + 1;
                if (c == '\r') {
                    if (lineEnd == record.size()) {
                        // A CR at the end of what was read: an LF may follow.
                        if (buffer->sgetc() == '\n')
                            record += static_cast<char>(buffer->sbumpc());
                    }
                    if (lineEnd < record.size() && record[lineEnd] == '\n')
                        ++lineEnd;
                }
                if (IsRecordEndLine(std::string_view(record.data() + lineStart, i - lineStart))) {
                    recordEnd = lineEnd;
                    break;
                }
                lineStart = lineEnd;
                i = lineEnd - 1;
            }
        }
        if (recordEnd != std::string::npos) {
            const std::size_t excess = record.size() - recordEnd;
            record.resize(recordEnd);
            if (excess > 0)
                buffer->pubseekoff(-static_cast<std::streamoff>(excess), std::ios::cur, std::ios::in);
            return true;
        }
        scanned = record.size();
    }
}

SDMoleculeInfo* SDDataProvider::WrapMolecule(std::string& record, bool onlyProperties) const
{
    Chem::CTextArchiveParser parser(record);
    Chem::ChemDoc* document = new Chem::ChemDoc;
    if (m_importer) {
        m_importer->SetOnlyPropertiesFlag(onlyProperties);
        if (!m_importer->ImportNextMolecule(parser, document->GetTreeRoot(), nullptr)) {
            delete document;
            document = new Chem::ChemDoc;
            // A structure the toolkit refuses leaves the record its name and
            // data items, in a molecule without atoms: the same as a read for
            // the items only gives, so the row's cells do not change when its
            // structure is read.
            if (!onlyProperties) {
                m_importer->SetOnlyPropertiesFlag(true);
                if (!m_importer->ImportNextMolecule(parser, document->GetTreeRoot(), nullptr)) {
                    delete document;
                    document = new Chem::ChemDoc;
                }
            }
        }
    }

    const bool convert = Chem::Importer::GetConvert2DMoleculesTo3D();
    Chem::DescendentIterator molecules(document->GetTreeRoot(), Chem::Molecule::classType, false, false);
    while (Chem::Object* object = molecules.GetNext()) {
        Chem::Molecule* molecule = static_cast<Chem::Molecule*>(object);
        if (!molecule->HasObjectsOfClass(Chem::Bond::classType)) {
            Chem::Atom::ConstructBonds(molecule);
            continue;
        }
        if (convert && !molecule->HasProperty("3DMol")) {
            bool flat = true;
            Chem::DescendentIterator atoms(molecule, Chem::Atom3d::classType, false, false);
            while (Chem::Object* atom = atoms.GetNext()) {
                double x = 0, y = 0, z = 0;
                static_cast<Chem::Atom3d*>(atom)->GetPosition(x, y, z);
                if (z != 0.0) {
                    flat = false;
                    break;
                }
            }
            if (flat) {
                Chem::Clean2dTo3d cleaner;
                cleaner.SetApplyTo(molecule);
                cleaner.Clean();
            }
        }
    }

    SDMoleculeInfo* info = new SDMoleculeInfo;
    info->AddPropertyNames(m_propertyNames);
    info->SetChemDoc(document);
    return info;
}

SDMoleculeInfo* SDDataProvider::WrapMolecule(std::string& record) const { return WrapMolecule(record, false); }

SDMoleculeInfo* SDDataProvider::GetMolecule(bool onlyProperties) const
{
    m_recordText.clear();
    if (!LoadMolecule(m_recordText))
        return nullptr;
    return WrapMolecule(m_recordText, onlyProperties);
}

SDMoleculeInfo* SDDataProvider::GetMolecule() const { return GetMolecule(false); }

bool SDDataProvider::IsValidMolecule(SDMoleculeInfo* record) const
{
    if (!record || !record->GetChemDoc() || !record->GetChemDoc()->GetTreeRoot())
        return false;
    Chem::DescendentIterator molecules(record->GetChemDoc()->GetTreeRoot(), Chem::Molecule::classType, false, false);
    molecules.Reset();
    const Chem::Molecule* molecule = static_cast<const Chem::Molecule*>(molecules.GetNext());
    return molecule && molecule->GetMeasure() > 0;
}

void SDDataProvider::EnsureMoleculeName(SDMoleculeInfo* record, int row) const
{
    if (record && record->GetMoleculeName().empty())
        record->SetMoleculeName("Molecule-" + std::to_string(row + 1));
}

// --- the table --------------------------------------------------------------

int SDDataProvider::GetRowCount() const { return m_numRecords; }

int SDDataProvider::GetColumnCount() const { return m_numColumns; }

Host::ChemistryCell SDDataProvider::IsChemistryCell(int, int column)
{
    return column == 0 ? Host::IsChemistry : Host::NotChemistry;
}

bool SDDataProvider::SetCellData(int, int, const boost::any&) { return false; }

std::wstring SDDataProvider::GetRowTitle(int row) { return Host::CfxFormat(L"%1") << row + 1; }

std::wstring SDDataProvider::GetColumnTitle(int column)
{
    if (column < 0 || column >= static_cast<int>(m_columnNames.size()))
        return std::wstring();
    return Host::CfxFormat(L"%1") << Host::ToWString(m_columnNames[static_cast<std::size_t>(column)]);
}

boost::any SDDataProvider::TypePropertyValue(const std::string& text)
{
    // The same rule as a parsed record's values and CSV fields, without
    // rounding: a held item shows the value its parsed record shows.
    return TableDataUtil::SStringToBoostAny(TrimSpaces(text));
}

boost::any SDDataProvider::GetCellData(int row, int column)
{
    if (row < 0 || row >= m_numRecords || column < 0)
        return boost::any();
    if (column == 2)
        return row + 1;

    // A record whose data items are held answers every cell but its
    // structure from them, whether or not the record was parsed since: so a
    // cell shows one value whatever was read before it (a parsed record
    // holds a long value whole, the index its first lines). An item the
    // record lacks is empty, without parsing the record to find that out.
    const std::size_t column_ = static_cast<std::size_t>(column);
    if (column != 0 && static_cast<std::size_t>(row) < m_molPropertyMaps.GetRecordCount() &&
        column_ < m_columnNames.size()) {
        std::string_view text;
        if (m_molPropertyMaps.Get(static_cast<std::size_t>(row), m_columnNameNumbers[column_], text))
            return TypePropertyValue(std::string(text));
        return boost::any();
    }

    bool full = false;
    SDMoleculeInfo* record = m_moleculeCache.Find(row, &full);
    if (!record) {
        SeekToRecord(row);
        full = column == 0;
        record = GetMolecule(!full);
        if (!record)
            return boost::any();
        EnsureMoleculeName(record, row);
        m_moleculeCache.Insert(row, record, false, full);
    }

    switch (column) {
    case 0:
        // A record parsed for its items only is parsed once more, with its
        // structure. One parsed with it is not parsed again while cached,
        // whatever it holds (no atoms, or a structure the toolkit refused):
        // the document handed out for it stays valid.
        if (!full) {
            SeekToRecord(row);
            SDMoleculeInfo* parsed = GetMolecule(false);
            if (!parsed)
                return boost::any();
            EnsureMoleculeName(parsed, row);
            m_moleculeCache.Insert(row, parsed, true, true);
            record = parsed;
        }
        return record->GetChemDoc();
    case 1:
        // Typed as a held name is, so the column follows one rule.
        return TypePropertyValue(record->GetMoleculeName());
    default: {
        if (column_ >= m_columnNames.size())
            return boost::any();
        const std::string& name = m_columnNames[column_];
        const int count = record->GetNumProperties();
        for (int i = 0; i < count; ++i)
            if (record->GetPropertyName(i) == name) {
                // The record lists every column's name; one its molecule
                // lacks is a missing item, empty as a held one is, not an
                // empty text.
                const Chem::Molecule* molecule = record->GetMolecule();
                if (molecule && !molecule->HasProperty(name))
                    return boost::any();
                return record->GetPropertyValue(i);
            }
        return boost::any();
    }
    }
}

const std::type_info& SDDataProvider::GetCellDataTypeId(int row, int column) const
{
    if (row >= 0 && column >= 0 && static_cast<std::size_t>(row) < m_molPropertyMaps.GetRecordCount() &&
        static_cast<std::size_t>(column) < m_columnNames.size()) {
        if (column == 0) {
            if (!m_moleculeCache.Find(row))
                return typeid(Host::Structure);
        } else if (column == 2) {
            return typeid(int);
        } else {
            std::string_view text;
            if (m_molPropertyMaps.Get(static_cast<std::size_t>(row),
                                      m_columnNameNumbers[static_cast<std::size_t>(column)], text))
                return TypePropertyValue(std::string(text)).type();
            return typeid(void);
        }
    }
    return TableDataProviderBase::GetCellDataTypeId(row, column);
}

std::size_t SDDataProvider::GetHeldPropertyBytes() const { return m_molPropertyMaps.MemoryUsage(); }

void SDDataProvider::SetCacheSize(int size) { m_moleculeCache.SetCapacity(size); }

} // namespace VorlatImportExport
