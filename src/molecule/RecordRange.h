#pragma once

// What the index scan of a molecule file finds in one range of the file:
// the records' offsets and held items, kept apart until the range is taken
// into the index in file order.
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "index/ScanWindow.h"
#include "molecule/PropertyStore.h"

namespace VorlatImportExport {

struct RecordScanLimits {
    std::int64_t start = 0; // where a record starts
    // Records that start here or later are left alone.
    std::int64_t stopBefore = INT64_MAX;
    // How many records from start on are held.
    std::int64_t heldRecords = INT64_MAX;
    // Whether a record before start was not held.
    bool othersBegun = false;
};

struct RecordScanOutcome {
    std::int64_t records = 0;
    // Where the first record left alone starts; -1 when the data ended.
    std::int64_t next = -1;
    // The records are malformed: the file cannot be indexed.
    bool failed = false;
    // No byte at the start.
    bool empty = false;
    // Mol2: a section of formal charges was met.
    bool formalCharges = false;
};

struct RecordRange {
    // Empties it for the next scan, keeping the room of its lists.
    void Clear()
    {
        offsets.clear();
        items.Clear();
        maxColumns = 0;
        lateNames.clear();
        outcome = RecordScanOutcome();
    }

    std::int64_t begin = 0;
    std::int64_t end = 0;
    // Where its first record starts as the range sees it; -1: none starts in it.
    std::int64_t start = -1;
    bool held = false;
    RecordScanOutcome outcome;
    std::vector<std::int64_t> offsets;
    PropertyStore::Segment items;
    int maxColumns = 0;
    // Item names of a record that is not held, in the order met: they become
    // columns after the segment's names.
    std::vector<std::string> lateNames;
    std::unique_ptr<ScanWindow> window;
};

// Thrown by a range's scan that the pass no longer wants.
struct RangeStopped {
};

// What the index scans' sinks share: a range's records go to its offsets,
// held items to its segment, and each held record's count of columns (its
// items, and "Structure" unless an item has that name) to the range's
// widest. report, given on the caller's thread only, hears how far the scan
// has read after each record (and may throw to stop it).
class RangeSinkBase {
public:
    RangeSinkBase(RecordRange& range, std::atomic<bool>& stop, const std::function<void(std::int64_t)>* report)
        : m_Range(range), m_Stop(stop), m_Report(report)
    {
    }

    std::uint32_t NameNumber(std::string_view name)
    {
        bool added = false;
        const std::uint32_t number = m_Range.items.Intern(name, added);
        if (added && name == "Structure")
            m_StructureItem = number;
        return number;
    }
    void Item(std::uint32_t name, std::string_view value)
    {
        if (m_Range.items.AddItem(name, value) && name == m_StructureItem)
            m_HeldStructure = true;
    }

protected:
    void BeginHeldRecord()
    {
        m_Range.items.BeginRecord();
        m_HeldStructure = false;
    }
    // The held record's "Name" (an empty one stands for the record's
    // number, which the segment gives once it is in the index) and its own
    // number as "Index".
    void HoldNameAndIndex(std::string_view name)
    {
        if (m_NameItem == PropertyStore::NoName) {
            m_NameItem = NameNumber("Name");
            m_IndexItem = NameNumber("Index");
        }
        if (name.empty())
            m_Range.items.AddOwnName(m_NameItem);
        else
            Item(m_NameItem, name);
        m_Range.items.AddOwnIndex(m_IndexItem);
    }
    // A record that counts; throws RangeStopped once the pass stops.
    void EndRecord(std::int64_t start, bool held, std::int64_t scanned)
    {
        if (m_Stop)
            throw RangeStopped();
        m_Range.offsets.push_back(start);
        if (held) {
            const int columns = static_cast<int>(m_Range.items.EndRecord()) + (m_HeldStructure ? 0 : 1);
            m_Range.maxColumns = std::max(m_Range.maxColumns, columns);
        }
        if (m_Report)
            (*m_Report)(scanned);
    }

    RecordRange& m_Range;

private:
    std::atomic<bool>& m_Stop;
    const std::function<void(std::int64_t)>* m_Report;
    std::uint32_t m_NameItem = PropertyStore::NoName;
    std::uint32_t m_IndexItem = PropertyStore::NoName;
    std::uint32_t m_StructureItem = PropertyStore::NoName;
    bool m_HeldStructure = false;
};

} // namespace VorlatImportExport
