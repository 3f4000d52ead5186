#include "molecule/Mol2DataProvider.h"

#include <algorithm>

#include "chem/ChemDoc.h"
#include "chem/CTextArchiveParser.h"
#include "chem/ImportMOL.h"
#include "chem/ImportTripos.h"
#include "chem/MolUtilities.h"
#include "host/Exception.h"
#include "host/RandomAccess.h"
#include "host/IndexingParser.h"
#include "host/SimpleStreamBuffer.h"
#include "molecule/SDMoleculeInfo.h"
#include "index/LineMasks.h"

namespace VorlatImportExport {

namespace {

const char* const MoleculeMarker = "@<TRIPOS>MOLECULE";
const char* const PropertyMarker = "@<ZENTROVA>MOL_PROPERTY";
// The section in which a writer records formal charges.
const char* const FormalChargesMarker = "@<TRIPOS>UNITY_ATOM_ATTR";
const std::size_t ScanBufferSize = 8191;
// A property value keeps this many lines; "\n..." marks the rest.
const int HeldValueLines = 11;

enum class BlockRead { Done, Failed, NotInWindow };

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Reads the property block whose marker line starts at p, if it lies whole
// in [p, end) (or the data ends there, when reachesEnd), as
// ReadPropertyBlock does. consumed is where the next line starts.
BlockRead ReadBlockInWindow(const char* p, const char* end, bool reachesEnd, std::string_view& name,
                            std::string_view& value, std::string& text, std::size_t& consumed)
{
    const char* q = p;
    // The next line from q: false when it is not whole in the window.
    const auto line = [&](std::string_view& out, bool& atEnd) {
        atEnd = q == end;
        if (atEnd)
            return reachesEnd;
        const char* eol = FindLineEndByte(q, end);
        if (eol == end) {
            if (!reachesEnd)
                return false;
            out = std::string_view(q, static_cast<std::size_t>(end - q));
            q = end;
            return true;
        }
        out = std::string_view(q, static_cast<std::size_t>(eol - q));
        q = eol + 1;
        if (*eol == '\r') {
            if (q == end)
                return reachesEnd;
            if (*q == '\n')
                ++q;
        }
        return true;
    };
    std::string_view marker, second, current;
    bool atEnd = false;
    if (!line(marker, atEnd) || !line(name, atEnd))
        return BlockRead::NotInWindow;
    if (atEnd)
        return BlockRead::Failed;
    if (!line(second, atEnd))
        return BlockRead::NotInWindow;
    if (atEnd)
        return BlockRead::Failed;
    int taken = 0;
    for (;;) {
        if (q == end && reachesEnd)
            break;
        // A line that begins with "@", blanks before it allowed, ends the
        // value: the scan takes such a line for a marker.
        const char* first = q;
        while (first != end && IsBlank(*first))
            ++first;
        if (first == end && !reachesEnd)
            return BlockRead::NotInWindow;
        if (first != end && *first == '@')
            break;
        if (!line(current, atEnd))
            return BlockRead::NotInWindow;
        if (current.empty())
            break;
        if (current[0] == '#')
            continue;
        ++taken;
        if (taken == 1) {
            value = current;
        } else if (taken <= HeldValueLines) {
            if (taken == 2)
                text.assign(value.data(), value.size());
            text += '\n';
            text.append(current.data(), current.size());
        } else if (taken == HeldValueLines + 1) {
            text += "\n...";
        }
    }
    if (taken == 0)
        value = std::string_view();
    else if (taken > 1)
        value = text;
    if (name.empty() || second.empty())
        return BlockRead::Failed;
    consumed = static_cast<std::size_t>(q - p);
    return BlockRead::Done;
}

[[noreturn]] void Refuse(int line)
{
    throw Host::OrvixException("Mol2DataProvider", line, L"Invalid Sybyl MOL2 format.");
}

} // namespace

Mol2DataProvider::Mol2DataProvider(std::istream& fileStream, boost::shared_ptr<Host::InputStream> inputStream,
                                   Host::IProgressMonitor& monitor)
    : SDDataProvider(fileStream, std::move(inputStream), monitor, false)
{
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

bool Mol2DataProvider::ReadPropertyBlock(Host::IndexingParser& parser, std::string& name, std::string& value)
{
    std::string first, second, line, text;
    if (parser.ReadLine(first, true, true) < 0 || parser.ReadLine(second, false, true) < 0)
        return false;
    int taken = 0;
    char next = 0;
    // A line that begins with "@", blanks before it allowed, ends the value.
    while (parser.Peek(next) && !(parser.PeekPastBlanks(next) && next == '@')) {
        if (parser.ReadLine(line, false, true) < 0 || line.empty())
            break;
        if (line[0] == '#')
            continue;
        ++taken;
        if (taken <= HeldValueLines) {
            if (taken > 1)
                text += '\n';
            text += line;
        } else if (taken == HeldValueLines + 1) {
            text += "\n...";
        }
    }
    if (first.empty() || second.empty())
        return false;
    name = first;
    value = text;
    return true;
}

bool Mol2DataProvider::ConstructIndexMap(Host::IProgressMonitor& monitor)
{
    StartProgress();
    if (m_inputStream)
        m_inputStream->Seek(0);
    boost::shared_ptr<Host::BaseStreamBuffer> buffer(new Host::SimpleStreamBuffer(m_inputStream, ScanBufferSize));
    Host::IndexingParser parser(buffer);
    // Markers stand on lines of their own, blanks around them allowed: the
    // same lines end a record when it is read back.
    parser.SetSkipLeadingBlanks(true);
    parser.SetWholeLineTargets({MoleculeMarker}, true);
    std::vector<std::string> markers{MoleculeMarker, PropertyMarker, FormalChargesMarker};
    std::string nameLine;
    // Whether the file's writer records formal charges: then it records
    // every one, and a record without any is neutral whatever its atom types
    // suggest. One such section answers for the file.
    bool formalChargesRecorded = false;

    monitor.SetTitle(std::wstring());
    monitor.Begin();
    monitor.SetTask(std::wstring(), 0);
    m_columnNames = {"Structure", "Name", "Index"};

    // The first record starts at the first marker, whatever the property
    // cache size: text before it belongs to no record.
    std::int64_t recordStart = parser.FindString(MoleculeMarker, true, false);
    if (recordStart < 0) {
        monitor.End();
        // A file that could not be read is no malformed file.
        if (m_inputStream && m_inputStream->HasReadError())
            return false;
        Refuse(__LINE__);
    }
    parser.ReadLine(nameLine, true, true);

    // Held records go straight into the compact store: their property
    // blocks first (the first block of a name wins), then "Name" and
    // "Index" unless a block gave them.
    int count = 0;
    int which = -1;
    std::string name, value, text;
    const auto endRecord = [&]() {
        HoldItem("Name", Chem::FixMoleculeName(nameLine, count));
        HoldItem("Index", Chem::GenerateMoleculeIndex(count));
        EndHeldRecord();
    };
    if (GetPropertyCacheSize() > 0)
        BeginHeldItems();
    for (std::int64_t found; (found = parser.FindFirstString(markers, which, true, false)) >= 0;) {
        ReportProgress(monitor, found);
        if (markers[which] == FormalChargesMarker) {
            formalChargesRecorded = true;
            markers.erase(markers.begin() + which);
            continue;
        }
        if (markers[which] == PropertyMarker) {
            const bool held = count < GetPropertyCacheSize();
            std::size_t size = 0;
            bool reachesEnd = false;
            const char* at = parser.Window(512, size, reachesEnd);
            std::string_view blockName, blockValue;
            std::size_t consumed = 0;
            const BlockRead read = at ? ReadBlockInWindow(at, at + size, reachesEnd, blockName, blockValue, text,
                                                          consumed)
                                      : BlockRead::NotInWindow;
            if (read == BlockRead::Failed) {
                monitor.End();
                Refuse(__LINE__);
            }
            if (read == BlockRead::Done) {
                parser.Advance(consumed);
            } else {
                if (!ReadPropertyBlock(parser, name, value)) {
                    monitor.End();
                    Refuse(__LINE__);
                }
                blockName = name;
                blockValue = value;
            }
            if (held)
                HoldItem(blockName, blockValue);
            else
                AddPropertyNameToSet(std::string(blockName), false);
            continue;
        }
        if (count < GetPropertyCacheSize()) {
            endRecord();
        } else {
            const auto property = std::find(markers.begin(), markers.end(), PropertyMarker);
            if (property != markers.end())
                markers.erase(property);
        }
        SetRecordOffset(recordStart);
        ++count;
        recordStart = found;
        parser.ReadLine(nameLine, true, true);
        if (count < GetPropertyCacheSize())
            BeginHeldItems();
    }
    if (count < GetPropertyCacheSize())
        endRecord();
    SetRecordOffset(recordStart);
    if (m_triposImporter)
        m_triposImporter->SetFormalChargesRecorded(formalChargesRecorded);
    monitor.SetProgress(1.0);
    monitor.End();
    // A read error is no end of the file: the index would be cut short.
    if (m_inputStream && m_inputStream->HasReadError())
        return false;
    return FinishIndexMap(count + 1);
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
