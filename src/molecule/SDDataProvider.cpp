#include "molecule/SDDataProvider.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdlib>
#include <cstring>

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
#include "host/IndexingParser.h"
#include "host/RandomAccess.h"
#include "host/SimpleStreamBuffer.h"
#include "host/StringConversion.h"
#include "host/Structure.h"
#include "molecule/SDImportOptions.h"
#include "molecule/SDMoleculeInfo.h"
#include "molecule/ScanLines.h"

namespace VorlatImportExport {

namespace {

const char* const ImportTitle = "Korvane Import";
const std::size_t ScanBufferSize = 8191;
const int DefaultCacheSize = 1000;
// A data item's value keeps this many lines; "\n..." marks the rest.
const int HeldValueLines = 11;
const std::string RecordEnd = "$$$$";
const char* const StructureEnd = "M  END";

// The scan reports progress at most this often (in bytes read).
const std::int64_t ProgressStep = 4 << 20;
// Data items are read in place from at least this many bytes of the scan's
// window; longer ones line by line.
const std::size_t ItemWindow = 512;
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
    : SDDataProvider(fileStream, std::move(inputStream), monitor, true)
{
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
    m_structureItemName = PropertyStore::NoName;
    m_maxRecordColumns = 0;
    m_columnNameNumbers.clear();
    m_moleculeCache.SetCapacity(0);
}

bool SDDataProvider::Initialize(Host::IProgressMonitor& monitor)
{
    ResetIndex();
    if (!GetImporter())
        return false;
    m_sortProperties = SDImportOptions::GetSortPropertiesOnImport();
    SetCacheSize(DefaultCacheSize);
    return ConstructIndexMap(monitor);
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
    if (position >= m_nextProgressAt && m_streamLength > 0) {
        monitor.SetProgress(static_cast<double>(position) / static_cast<double>(m_streamLength));
        m_nextProgressAt = position + ProgressStep;
    }
    if (monitor.IsCancelled())
        throw Host::CancellationException();
}

bool SDDataProvider::ReadDataItem(Host::IndexingParser& parser, std::string& name, std::string& value)
{
    std::string header;
    if (parser.ReadLine(header, false, true) < 0 || header.empty() || IsRecordEndLine(header))
        return false;
    std::string text;
    std::string line;
    int lines = 0;
    while (parser.ReadLine(line, false, true) > 0 && !line.empty()) {
        // Only the record's end line ends the record; "$$$$" inside a value
        // is text.
        if (IsRecordEndLine(line))
            return false;
        ++lines;
        if (lines <= HeldValueLines) {
            if (lines > 1)
                text += '\n';
            text += line;
        } else if (lines == HeldValueLines + 1) {
            text += "\n...";
        }
    }
    // An item without a name is read past and left out: no column can show
    // it, and a parsed record leaves it out too.
    if (!Chem::ExtractPropertyDataItem(header, text, name, value))
        name.clear();
    return true;
}

namespace {

const char* LineEnd(const char* p, const char* end) { return FindLineEnd(p, end); }

enum class ItemRead { Done, Failed, NotInWindow };

// Reads the data item whose header starts at p, if it lies whole inside
// [p, end) (or the data ends there, when reachesEnd): the header line, the
// value lines up to an empty line, the value as the index holds it (11 lines
// at most, then "\n..."). consumed is where the next line starts.
ItemRead ReadItemInWindow(const char* p, const char* end, bool reachesEnd, std::string_view& header,
                          std::string_view& value, std::string& text, std::size_t& consumed)
{
    const auto nextLine = [&](const char* eol, const char*& after) {
        // False when a CR ends the window, so that a LF may follow unseen.
        after = eol + 1;
        if (*eol == '\r') {
            if (after == end)
                return reachesEnd;
            if (*after == '\n')
                ++after;
        }
        return true;
    };
    const char* eol = LineEnd(p, end);
    const char* q = nullptr;
    if (!eol || !nextLine(eol, q))
        return ItemRead::NotInWindow;
    header = std::string_view(p, static_cast<std::size_t>(eol - p));
    int lines = 0;
    for (;;) {
        if (q == end) {
            if (!reachesEnd)
                return ItemRead::NotInWindow;
            break; // the data ends: so does the value
        }
        eol = LineEnd(q, end);
        const char* after = nullptr;
        if (!eol) {
            if (!reachesEnd)
                return ItemRead::NotInWindow;
            eol = end;
            after = end;
        } else if (!nextLine(eol, after)) {
            return ItemRead::NotInWindow;
        }
        const std::string_view line(q, static_cast<std::size_t>(eol - q));
        q = after;
        if (line.empty())
            break;
        if (IsRecordEndLine(line))
            return ItemRead::Failed;
        ++lines;
        if (lines == 1) {
            value = line; // one line, the common case: no copy
        } else if (lines <= HeldValueLines) {
            if (lines == 2)
                text.assign(value.data(), value.size());
            text += '\n';
            text.append(line.data(), line.size());
        } else if (lines == HeldValueLines + 1) {
            text += "\n...";
        }
    }
    if (lines == 0)
        value = std::string_view();
    else if (lines > 1)
        value = text;
    consumed = static_cast<std::size_t>(q - p);
    return ItemRead::Done;
}

} // namespace

void SDDataProvider::BeginHeldItems()
{
    m_molPropertyMaps.BeginRecord();
    m_heldStructureItem = false;
}

void SDDataProvider::HoldItem(std::string_view name, std::string_view value)
{
    bool added = false;
    const std::uint32_t number = m_molPropertyMaps.Intern(name, added);
    if (added)
        AddPropertyNameToSet(std::string(name), false);
    if (added && name == "Structure")
        m_structureItemName = number;
    if (m_molPropertyMaps.AddItem(number, value) && number == m_structureItemName)
        m_heldStructureItem = true;
}

void SDDataProvider::BeginHeldRecord(const std::string& nameLine, int record)
{
    BeginHeldItems();
    HoldItem("Name", MakeMoleculeName(nameLine, record));
    HoldItem("Index", std::to_string(record));
}

void SDDataProvider::EndHeldRecord()
{
    const int columns = static_cast<int>(m_molPropertyMaps.EndRecord()) + (m_heldStructureItem ? 0 : 1);
    m_maxRecordColumns = std::max(m_maxRecordColumns, columns);
}

bool SDDataProvider::ReadHeldItems(Host::IndexingParser& parser, const std::vector<std::string>& itemTargets)
{
    std::string line, name, value, text;
    for (;;) {
        int which = -1;
        if (parser.FindFirstString(itemTargets, which, true, false) <= 0)
            return true;
        if (which == 0) {
            parser.ReadLine(line, false, true);
            return true;
        }
        // Most items lie whole in the scan's window: read a run of them in
        // place, then let the parser find what follows.
        std::size_t size = 0;
        bool reachesEnd = false;
        const char* const at = parser.Window(ItemWindow, size, reachesEnd);
        const char* p = at;
        const char* const end = at ? at + size : nullptr;
        std::string_view header, itemName, itemValue;
        while (p && p != end && *p == '>') {
            std::size_t consumed = 0;
            const ItemRead read = ReadItemInWindow(p, end, reachesEnd, header, itemValue, text, consumed);
            if (read == ItemRead::Failed)
                return false;
            if (read == ItemRead::NotInWindow)
                break;
            // An item without a name is left out (see ReadDataItem).
            if (Chem::ExtractPropertyName(header, itemName))
                HoldItem(itemName, itemValue);
            p += consumed;
        }
        if (p != at) {
            parser.Advance(static_cast<std::size_t>(p - at));
            continue;
        }
        // An item longer than the window: read it line by line.
        if (!ReadDataItem(parser, name, value))
            return false;
        if (!name.empty())
            HoldItem(name, value);
    }
}

bool SDDataProvider::ConstructIndexMap(Host::IProgressMonitor& monitor)
{
    std::vector<std::string> itemTargets{RecordEnd, ">"};
    std::vector<std::string> recordTargets{RecordEnd, StructureEnd, ">"};

    StartProgress();
    // Offsets count from the start of the file, where every scan begins.
    if (m_inputStream)
        m_inputStream->Seek(0);
    boost::shared_ptr<Host::BaseStreamBuffer> buffer(new Host::SimpleStreamBuffer(m_inputStream, ScanBufferSize));
    Host::IndexingParser parser(buffer);
    // The record end is its own line, blanks after it allowed: a longer line
    // that starts with "$$$$" is text, as it is when records are copied for
    // parsing.
    parser.SetWholeLineTargets({RecordEnd}, true);

    monitor.SetTitle(Host::ToWString(ImportTitle));
    monitor.Begin();
    monitor.SetTask(Host::ToWString(ImportTitle), 0);

    m_columnNames = {"Structure", "Name", "Index"};

    // An empty file is no SD file, whatever the property cache size.
    char first = 0;
    if (!parser.Peek(first)) {
        monitor.End();
        return false;
    }

    // The data items of the leading records go straight into the compact
    // store, record by record, as AppendMolPropertyMap would put them.
    int done = 0;
    std::string line;
    std::int64_t pos = 0;
    if (m_propertyCacheSize > 0) {
        pos = parser.ReadLine(line, false, true);
        if (pos < 0) {
            monitor.End();
            return false;
        }
        BeginHeldRecord(line, 0);
    } else {
        pos = parser.GetPosition();
    }

    bool markersDropped = false;
    int which = -1;
    std::int64_t r = parser.FindFirstString(recordTargets, which, false, false);
    while (r > 0) {
        const bool held = done < m_propertyCacheSize;
        if (!held && !markersDropped) {
            itemTargets = {RecordEnd};
            recordTargets = {RecordEnd, StructureEnd};
            markersDropped = true;
        }
        if (which == 2)
            which = 1;
        if (which == 1) {
            if (held) {
                if (!ReadHeldItems(parser, itemTargets)) {
                    monitor.End();
                    return false;
                }
            } else {
                int which2 = -1;
                if (parser.FindFirstString(itemTargets, which2, true, false) > 0)
                    parser.ReadLine(line, false, true);
            }
        } else if (which == 0) {
            parser.ReadLine(line, false, true);
        }

        ++done;
        SetRecordOffset(pos);
        if (held)
            EndHeldRecord();
        ReportProgress(monitor, parser.GetPosition());

        if (done >= m_propertyCacheSize) {
            pos = parser.GetPosition();
        } else {
            pos = parser.ReadLine(line, false, true);
            if (pos <= 0)
                break;
            BeginHeldRecord(line, done);
        }
        r = parser.FindFirstString(recordTargets, which, false, false);
    }
    monitor.SetProgress(1.0);
    monitor.End();
    // A read error is no end of the file: the index would be cut short.
    if (m_inputStream && m_inputStream->HasReadError())
        return false;
    return FinishIndexMap(done);
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
