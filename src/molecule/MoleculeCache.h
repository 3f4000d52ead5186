#pragma once

#include <map>
#include <queue>

namespace VorlatImportExport {

class SDMoleculeInfo;

// Parsed records by row, owned with their documents, first in first out:
// when more than the capacity are held, the row inserted first goes, whether
// or not it was read since. Removing a record deletes its document, then the
// record.
//
// With a capacity of 0 nothing is kept for later reads, but the last record
// inserted is still owned here and deleted when the next one comes: its
// document stays valid until then.
class MoleculeCache {
public:
    MoleculeCache();
    ~MoleculeCache();
    MoleculeCache(const MoleculeCache&) = delete;
    MoleculeCache& operator=(const MoleculeCache&) = delete;

    // The row's record, or null. full, when given, tells whether the record
    // was parsed with its structure (rather than for its data items only).
    SDMoleculeInfo* Find(int row, bool* full = nullptr) const;
    // Holds the row's record and takes ownership of it; full as for Find.
    // When the row has a record already, it is replaced (and deleted) only
    // when replace is true; otherwise the new record is not taken and stays
    // the caller's.
    void Insert(int row, SDMoleculeInfo* record, bool replace, bool full);
    // Deletes every record and sets the capacity.
    void SetCapacity(int capacity);
    int GetCapacity() const { return m_capacity; }
    int GetCount() const { return static_cast<int>(m_cachedRecords.size()); }

private:
    static void Delete(SDMoleculeInfo* record);
    void Clear();

    struct Entry {
        SDMoleculeInfo* record;
        bool full;
    };

    std::queue<int> m_rowOrder;
    std::map<int, Entry> m_cachedRecords;
    int m_capacity = 0;
    SDMoleculeInfo* m_lastUncached = nullptr;
};

} // namespace VorlatImportExport
