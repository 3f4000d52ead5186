#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <istream>
#include <map>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include <boost/shared_ptr.hpp>

#include "host/IProgressMonitor.h"
#include "host/InputStream.h"
#include "host/TableDataProviderBase.h"
#include "index/RecordOffsets.h"
#include "index/SavedIndex.h"
#include "molecule/MoleculeCache.h"
#include "molecule/PropertyStore.h"

namespace Chem {
class ImportMOL;
}

namespace VorlatImportExport {

class ByteSource;
class ScanWindow;
class SDMoleculeInfo;
struct RecordRange;
struct RecordScanLimits;
struct RecordScanOutcome;

// An MDL SD file as a read-only table: one row per record; the columns
// "Structure" (the parsed molecule), "Name", "Index" (1-based row number),
// then one per data item name of the scanned records.
//
// The constructor indexes the file once: where each record starts, the data
// item names, and the data items of the leading records (1046527 by default),
// which are then answered from memory. Other cells come from parsing the
// record; the last 1000 parsed records are kept, first in first out. A
// structure cell's ChemDoc* stays valid while its record is kept (with a
// cache size of 0: until the next cell read).
//
// The caller owns both streams of the file and keeps them open for the
// provider's life; a provider is used from one thread at a time.
class VORLAT_EXPORT SDDataProvider : public Host::TableDataProviderBase {
public:
    // Throws Host::OrvixException when the file cannot be indexed, and
    // Host::CancellationException when the monitor reports cancellation.
    SDDataProvider(std::istream& fileStream, boost::shared_ptr<Host::InputStream> inputStream,
                   Host::IProgressMonitor& monitor);
    // The same, with a saved index: loaded instead of indexing when it is of
    // this file, unchanged, made with the same options (the property cache
    // size, the sorting of property names); written after indexing
    // otherwise (see SavedIndexOptions).
    SDDataProvider(std::istream& fileStream, boost::shared_ptr<Host::InputStream> inputStream,
                   Host::IProgressMonitor& monitor, const SavedIndexOptions& savedIndex);
    ~SDDataProvider() override;
    SDDataProvider(const SDDataProvider&) = delete;
    SDDataProvider& operator=(const SDDataProvider&) = delete;

    int GetRowCount() const override;
    int GetColumnCount() const override;
    Host::ChemistryCell IsChemistryCell(int row, int column) override;
    boost::any GetCellData(int row, int column) override;
    bool SetCellData(int row, int column, const boost::any& value) override;
    std::wstring GetRowTitle(int row) override;
    std::wstring GetColumnTitle(int column) override;
    const std::type_info& GetCellDataTypeId(int row, int column) const override;

    // Indexes the file from scratch (everything found before is dropped).
    virtual bool Initialize(Host::IProgressMonitor& monitor);
    // Empties the cache of parsed records and sets how many it keeps.
    virtual void SetCacheSize(int size);
    // How many leading records have their data items held; applies to the
    // next indexing.
    virtual void SetPropertyCacheSize(int size);
    virtual int GetPropertyCacheSize() const;
    virtual std::istream& GetInputFileStream() const;
    virtual boost::shared_ptr<Host::InputStream> GetInputStream();
    // Where the row's record starts; -1 for a row outside the table.
    virtual std::int64_t GetMoleculeOffset(int row);
    // The row's record size in bytes; -1 for a row outside the table.
    virtual std::int64_t GetMoleculeSize(int row);

    // The held data item of a row (false when none is held).
    virtual bool GetMolProperty(int row, const std::string& name, std::string& value) const;
    // Sets a held data item of a row within the held records.
    virtual void SetMolProperty(int row, const std::string& name, const std::string& value);

    // Bytes held for the data items of the leading records.
    std::size_t GetHeldPropertyBytes() const;
    // Whether the last indexing loaded the saved index instead of scanning.
    bool IndexWasLoaded() const { return m_indexLoaded; }

    // A data item's text as a cell value: spaces around it ignored, then
    // typed as a CSV field is (TableDataUtil::SStringToBoostAny).
    static boost::any TypePropertyValue(const std::string& text);

protected:
    // Sets up the provider without indexing: a derived provider calls its
    // own Initialize.
    SDDataProvider(std::istream& fileStream, boost::shared_ptr<Host::InputStream> inputStream,
                   Host::IProgressMonitor& monitor, bool deferred);

    virtual void SeekToRecord(int row) const;
    virtual bool ConstructIndexMap(Host::IProgressMonitor& monitor);
    virtual bool FinishIndexMap(int count);
    virtual void ResetFile() const;
    virtual bool GetImporter();
    // A new record, parsed from the file's read position; the caller owns it
    // and its document. Null when nothing could be read.
    virtual SDMoleculeInfo* GetMolecule(bool onlyProperties) const;
    virtual SDMoleculeInfo* GetMolecule() const;
    // Copies the record at the file's read position, up to and including its
    // "$$$$" line (blanks after "$$$$" allowed), byte for byte. False at the
    // end of the file.
    virtual bool LoadMolecule(std::string& record) const;
    virtual SDMoleculeInfo* WrapMolecule(std::string& record, bool onlyProperties) const;
    virtual SDMoleculeInfo* WrapMolecule(std::string& record) const;
    virtual bool GetPropertyNames(SDMoleculeInfo* record);
    virtual std::int64_t SetRecordOffset(std::int64_t position);
    virtual void RandomizeOffsets();
    virtual void AddPropertyNameToSet(const std::string& name, bool direct);
    virtual bool IsValidMolecule(SDMoleculeInfo* record) const;
    virtual void AppendMolPropertyMap(std::map<std::string, std::string>& properties);

    // Empties everything an indexing builds.
    void ResetIndex();
    // The saved index's kind and what the format adds to it (the Mol2
    // provider's formal-charge finding); LoadFormatFlags is false for flags
    // the format never saves.
    virtual std::uint32_t SavedIndexKind() const;
    virtual std::int64_t SavedFormatFlags() const { return 0; }
    virtual bool LoadFormatFlags(std::int64_t flags) { return flags == 0; }
    // Readies progress reports for a scan of the input stream from its start.
    void StartProgress();
    // Reports the scan's progress now and then (position: how far the scan
    // has read); throws when cancelled.
    void ReportProgress(Host::IProgressMonitor& monitor, std::int64_t position);
    void EnsureMoleculeName(SDMoleculeInfo* record, int row) const;
    static std::string MakeMoleculeName(const std::string& line, int record);

    int m_numRecords = 0;
    int m_numColumns = 0;
    boost::shared_ptr<Host::InputStream> m_inputStream;
    std::istream& m_fileStream;
    bool m_sortProperties = false;
    MoleculeCache m_moleculeCache;
    Chem::ImportMOL* m_importer = nullptr;
    std::vector<std::string> m_columnNames;
    RecordOffsets m_recordOffsets;
    std::vector<std::string> m_propertyNames;
    PropertyStore m_molPropertyMaps;
    int m_maxRecordColumns = 0;
    int m_propertyCacheSize = 1046527;

    // The index pass's steps that depend on the format; the first two run
    // on any thread and touch nothing but the range. Where the first record
    // in [begin, end) starts as the bytes from about begin on tell (-1: none
    // starts there).
    virtual std::int64_t GuessRecordStart(ScanWindow& window, std::int64_t begin, std::int64_t end) const;
    // Scans records into the range; report (given on the caller's thread
    // only) hears how far the scan has read after each record. Stops by
    // throwing RangeStopped once stop is set.
    virtual RecordScanOutcome ScanRecords(RecordRange& range, const RecordScanLimits& limits,
                                          std::atomic<bool>& stop,
                                          const std::function<void(std::int64_t)>* report) const;
    // Takes a range's records, items and columns into the index.
    virtual void TakeRange(RecordRange& range);

    // Scans records into a range on the caller's thread, reporting progress,
    // and takes them into the index.
    RecordScanOutcome ScanRange(RecordRange& range, const RecordScanLimits& limits, Host::IProgressMonitor& monitor);
    // The index pass on several threads, range by range, from the first
    // record's start on; false when the file cannot be indexed.
    bool IndexInRanges(Host::IProgressMonitor& monitor, ByteSource& source, std::int64_t length, int threads,
                       std::int64_t rangeSize, std::int64_t firstStart);
    // The records the last index pass counted.
    std::int64_t IndexedRecords() const { return m_indexedRecords; }

    SavedIndexOptions m_savedIndex;

private:
    // The options that shape the index, as a saved index records them.
    std::string SavedIndexKey() const;
    bool LoadSavedIndex(const std::string& key, const FileFingerprint& fingerprint);
    void SaveIndex(const std::string& key, const FileFingerprint& fingerprint) const;

    bool m_indexLoaded = false;
    // The held-item name number of each column (NoName where none).
    std::vector<std::uint32_t> m_columnNameNumbers;
    // The names in m_propertyNames, for a quick test of membership.
    std::unordered_set<std::string> m_propertyNameSet;
    std::int64_t m_streamLength = -1;
    // The size of the record SeekToRecord went to, for the next copy's
    // first read; 0 when unknown.
    mutable std::int64_t m_recordSizeHint = 0;
    // The text of the record being parsed, its room kept from record to
    // record: a large allocation per record makes the allocator tidy up
    // what the parsed molecules freed, each time.
    mutable std::string m_recordText;
    std::int64_t m_nextProgressAt = 0;
    // Records the last index pass counted.
    std::int64_t m_indexedRecords = 0;
};

} // namespace VorlatImportExport
