#include "molecule/MoleculeCache.h"

#include "chem/ChemDoc.h"
#include "molecule/SDMoleculeInfo.h"

namespace VorlatImportExport {

MoleculeCache::MoleculeCache() = default;

MoleculeCache::~MoleculeCache() { Clear(); }

void MoleculeCache::Delete(SDMoleculeInfo* record)
{
    if (!record)
        return;
    delete record->GetChemDoc();
    delete record;
}

void MoleculeCache::Clear()
{
    for (auto& [row, entry] : m_cachedRecords)
        Delete(entry.record);
    m_cachedRecords.clear();
    m_rowOrder = std::queue<int>();
    Delete(m_lastUncached);
    m_lastUncached = nullptr;
}

SDMoleculeInfo* MoleculeCache::Find(int row, bool* full) const
{
    const auto found = m_cachedRecords.find(row);
    if (found == m_cachedRecords.end())
        return nullptr;
    if (full)
        *full = found->second.full;
    return found->second.record;
}

void MoleculeCache::Insert(int row, SDMoleculeInfo* record, bool replace, bool full)
{
    if (m_capacity <= 0) {
        if (record != m_lastUncached) {
            Delete(m_lastUncached);
            m_lastUncached = record;
        }
        return;
    }
    const auto found = m_cachedRecords.find(row);
    if (found == m_cachedRecords.end()) {
        m_rowOrder.push(row);
        m_cachedRecords.emplace(row, Entry{record, full});
        if (m_cachedRecords.size() > static_cast<std::size_t>(m_capacity)) {
            const int oldest = m_rowOrder.front();
            m_rowOrder.pop();
            const auto evicted = m_cachedRecords.find(oldest);
            Delete(evicted->second.record);
            m_cachedRecords.erase(evicted);
        }
        return;
    }
    if (replace && found->second.record != record) {
        Delete(found->second.record);
        found->second = Entry{record, full};
    }
}

void MoleculeCache::SetCapacity(int capacity)
{
    Clear();
    m_capacity = capacity;
}

} // namespace VorlatImportExport
