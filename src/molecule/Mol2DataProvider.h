#pragma once

#include "molecule/SDDataProvider.h"

namespace Chem {
class ImportTripos;
}

namespace VorlatImportExport {

// A Tripos Mol2 file as a read-only table: one row per molecule record
// ("@<TRIPOS>MOLECULE"), the columns "Structure", "Name", "Index", then one
// per property block name ("@<ZENTROVA>MOL_PROPERTY"). The SD provider with
// its indexing, record copying and parsing replaced; cells, caches and
// offsets behave as there.
class VORLAT_EXPORT Mol2DataProvider : public SDDataProvider {
public:
    // Throws Host::OrvixException "Invalid Sybyl MOL2 format." for a file
    // without a molecule or with a broken property block, "Unknown error
    // reading SYBYL Mol2 file." when it cannot be indexed otherwise, and
    // Host::CancellationException when the monitor reports cancellation.
    Mol2DataProvider(std::istream& fileStream, boost::shared_ptr<Host::InputStream> inputStream,
                     Host::IProgressMonitor& monitor);
    // The same, with a saved index (as the SD provider's).
    Mol2DataProvider(std::istream& fileStream, boost::shared_ptr<Host::InputStream> inputStream,
                     Host::IProgressMonitor& monitor, const SavedIndexOptions& savedIndex);
    ~Mol2DataProvider() override;
    Mol2DataProvider(const Mol2DataProvider&) = delete;
    Mol2DataProvider& operator=(const Mol2DataProvider&) = delete;

    bool Initialize(Host::IProgressMonitor& monitor) override;
    // A new record parsed from the file (the caller owns it and its
    // document); null for a record outside the table or at the file's end.
    virtual SDMoleculeInfo* ReadMolecule(int record) const;

protected:
    bool ConstructIndexMap(Host::IProgressMonitor& monitor) override;
    bool GetImporter() override;
    // Copies the record at the file's read position up to the next line that
    // is the molecule marker with blanks around it; lines end in CR LF.
    bool LoadMolecule(std::string& record) const override;
    SDMoleculeInfo* WrapMolecule(std::string& record, bool onlyProperties) const override;
    SDMoleculeInfo* WrapMolecule(std::string& record) const override;

    std::int64_t GuessRecordStart(ScanWindow& window, std::int64_t begin, std::int64_t end) const override;
    RecordScanOutcome ScanRecords(RecordRange& range, const RecordScanLimits& limits, std::atomic<bool>& stop,
                                  const std::function<void(std::int64_t)>* report) const override;
    void TakeRange(RecordRange& range) override;

    std::uint32_t SavedIndexKind() const override;
    std::int64_t SavedFormatFlags() const override;
    bool LoadFormatFlags(std::int64_t flags) override;

private:
    void ReleaseImporters();

    Chem::ImportTripos* m_triposImporter = nullptr;
    // Whether a section of formal charges was met by the index pass.
    bool m_formalChargesRecorded = false;
};

} // namespace VorlatImportExport
