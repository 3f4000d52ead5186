#include "molecule/Mol2DataProvider.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <functional>

#include "chem/ChemDoc.h"
#include "chem/CTextArchiveParser.h"
#include "chem/ImportMOL.h"
#include "chem/ImportTripos.h"
#include "chem/MolUtilities.h"
#include "host/Exception.h"
#include "host/RandomAccess.h"
#include "index/ByteSource.h"
#include "index/IndexOptions.h"
#include "index/ScanWindow.h"
#include "molecule/Mol2IndexScan.h"
#include "molecule/RecordRange.h"
#include "molecule/SDMoleculeInfo.h"

namespace VorlatImportExport {

namespace {

const char* const MoleculeMarker = "@<TRIPOS>MOLECULE";
// Bytes the index scan reads at a time.
const std::size_t ScanWindowSize = 1 << 20;

// A Mol2 scan's findings go to its range, each held record's name and
// number after its blocks (a block of either name wins).
class Mol2RangeSink : public RangeSinkBase {
public:
    using RangeSinkBase::RangeSinkBase;

    void HeldRecord() { BeginHeldRecord(); }
    void LateName(std::string_view name) { m_Range.lateNames.emplace_back(name); }
    void Record(std::int64_t start, bool held, std::string_view nameLine, std::int64_t scanned)
    {
        if (held) {
            // The name line without the blanks around it.
            const std::size_t first = nameLine.find_first_not_of(" \t");
            HoldNameAndIndex(first == std::string_view::npos
                                 ? std::string_view()
                                 : nameLine.substr(first, nameLine.find_last_not_of(" \t") - first + 1));
        }
        EndRecord(start, held, scanned);
    }
};

[[noreturn]] void Refuse(int line)
{
    throw Host::OrvixException("Mol2DataProvider", line, L"Invalid Sybyl MOL2 format.");
}

} // namespace

Mol2DataProvider::Mol2DataProvider(std::istream& fileStream, boost::shared_ptr<Host::InputStream> inputStream,
                                   Host::IProgressMonitor& monitor)
    : Mol2DataProvider(fileStream, std::move(inputStream), monitor, SavedIndexOptions())
{
}

Mol2DataProvider::Mol2DataProvider(std::istream& fileStream, boost::shared_ptr<Host::InputStream> inputStream,
                                   Host::IProgressMonitor& monitor, const SavedIndexOptions& savedIndex)
    : SDDataProvider(fileStream, std::move(inputStream), monitor, false)
{
    m_savedIndex = savedIndex;
    // Records are read back at their offsets: a pipe is refused before
    // anything is read.
    Host::RequireRandomAccess(fileStream, "Mol2DataProvider", __LINE__);
    if (m_inputStream)
        Host::RequireRandomAccess(*m_inputStream, "Mol2DataProvider", __LINE__);
    // A constructor that throws runs no destructor: the importers go here.
    bool indexed = false;
    try {
        indexed = GetImporter() && SDDataProvider::Initialize(monitor);
    } catch (...) {
        ReleaseImporters();
        throw;
    }
    if (!indexed) {
        ReleaseImporters();
        throw Host::OrvixException("Mol2DataProvider", __LINE__, L"Unknown error reading SYBYL Mol2 file.");
    }
}

void Mol2DataProvider::ReleaseImporters()
{
    delete m_triposImporter;
    m_triposImporter = nullptr;
    delete m_importer;
    m_importer = nullptr;
}

Mol2DataProvider::~Mol2DataProvider() { ReleaseImporters(); }

bool Mol2DataProvider::Initialize(Host::IProgressMonitor& monitor)
{
    if (!GetImporter())
        return false;
    return SDDataProvider::Initialize(monitor);
}

bool Mol2DataProvider::GetImporter()
{
    delete m_triposImporter;
    m_triposImporter = new Chem::ImportTripos;
    return m_triposImporter != nullptr;
}

bool Mol2DataProvider::ConstructIndexMap(Host::IProgressMonitor& monitor)
{
    StartProgress();
    monitor.SetTitle(std::wstring());
    monitor.Begin();
    monitor.SetTask(std::wstring(), 0);
    m_columnNames = {"Structure", "Name", "Index"};
    m_formalChargesRecorded = false;

    InputStreamSource source(m_inputStream);
    const std::int64_t length = m_inputStream ? m_inputStream->GetLength() : -1;
    // The first record starts at the first marker, whatever the property
    // cache size: text before it belongs to no record.
    RecordRange whole;
    whole.window.reset(new ScanWindow(source, ScanWindowSize));
    const std::int64_t first = Mol2Scan::FirstRecordStart(*whole.window, 0, INT64_MAX);
    bool malformed = first < 0;
    std::int64_t records = 0;
    if (!malformed) {
        const int threads = IndexOptions::ThreadsToUse();
        const std::int64_t rangeSize = IndexOptions::RangeSizeFor(length, threads);
        if (threads > 1 && length >= 2 * rangeSize) {
            malformed = !IndexInRanges(monitor, source, length, threads, rangeSize, first);
            records = IndexedRecords();
        } else {
            RecordScanLimits limits;
            limits.start = first;
            limits.heldRecords = std::max(GetPropertyCacheSize(), 0);
            const RecordScanOutcome outcome = ScanRange(whole, limits, monitor);
            malformed = outcome.failed;
            records = outcome.records;
        }
    }
    monitor.SetProgress(1.0);
    monitor.End();
    // A file that could not be read is no malformed file, and a read error
    // is no end of the file: the index would be cut short.
    if (source.HasReadError())
        return false;
    if (malformed)
        Refuse(__LINE__);
    if (m_triposImporter)
        m_triposImporter->SetFormalChargesRecorded(m_formalChargesRecorded);
    return FinishIndexMap(static_cast<int>(std::min<std::int64_t>(records, INT_MAX)));
}

std::int64_t Mol2DataProvider::GuessRecordStart(ScanWindow& window, std::int64_t begin, std::int64_t end) const
{
    return Mol2Scan::FirstRecordStart(window, begin, end);
}

RecordScanOutcome Mol2DataProvider::ScanRecords(RecordRange& range, const RecordScanLimits& limits,
                                                std::atomic<bool>& stop,
                                                const std::function<void(std::int64_t)>* report) const
{
    Mol2RangeSink sink(range, stop, report);
    Mol2Scan::Scanner<Mol2RangeSink> scanner(*range.window, sink);
    return scanner.Scan(limits);
}

void Mol2DataProvider::TakeRange(RecordRange& range)
{
    SDDataProvider::TakeRange(range);
    // Whether the file's writer records formal charges: then it records
    // every one, and a record without any is neutral whatever its atom types
    // suggest. One such section answers for the file.
    m_formalChargesRecorded = m_formalChargesRecorded || range.outcome.formalCharges;
}

std::uint32_t Mol2DataProvider::SavedIndexKind() const { return 4; }

std::int64_t Mol2DataProvider::SavedFormatFlags() const { return m_formalChargesRecorded ? 1 : 0; }

bool Mol2DataProvider::LoadFormatFlags(std::int64_t flags)
{
    if (flags != 0 && flags != 1)
        return false;
    m_formalChargesRecorded = flags == 1;
    if (m_triposImporter)
        m_triposImporter->SetFormalChargesRecorded(m_formalChargesRecorded);
    return true;
}

bool Mol2DataProvider::LoadMolecule(std::string& record) const
{
    std::istream& stream = GetInputFileStream();
    if (!stream.good() || stream.peek() == std::char_traits<char>::eof())
        return false;
    int markers = 0;
    while (!stream.fail()) {
        const std::string line = Chem::GetLine(stream, false);
        if (stream.fail() && line.empty())
            break;
        if (Chem::RemoveSpaces(line, true, true) == MoleculeMarker) {
            if (markers > 0)
                break;
            ++markers;
        }
        record += line;
        record += "\r\n";
    }
    return true;
}

SDMoleculeInfo* Mol2DataProvider::WrapMolecule(std::string& record, bool) const
{
    Chem::CTextArchiveParser parser(record);
    Host::NullProgressMonitor monitor;
    Chem::ChemDoc* document = new Chem::ChemDoc;
    if (!m_triposImporter || !m_triposImporter->Import(parser, document->GetTreeRoot(), monitor)) {
        delete document;
        document = new Chem::ChemDoc;
    }
    SDMoleculeInfo* info = new SDMoleculeInfo;
    info->SetChemDoc(document);
    return info;
}

SDMoleculeInfo* Mol2DataProvider::WrapMolecule(std::string& record) const { return WrapMolecule(record, false); }

SDMoleculeInfo* Mol2DataProvider::ReadMolecule(int record) const
{
    if (record < 0 || record >= GetRowCount())
        return nullptr;
    SeekToRecord(record);
    return GetMolecule();
}

} // namespace VorlatImportExport
