#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "host/LargeMemory.h"
#include "index/HeldArray.h"

namespace VorlatImportExport {

class SavedIndexReader;
class SavedIndexWriter;

// The data items of many records, held compactly: each distinct name once,
// the values one after the other in large blocks, and per item only where
// its value ends (4 bytes). The names of a record's items, in order, are its
// shape: records of one file mostly share a few shapes, each held once, and
// a record keeps the number of its shape and where its items start (8 bytes
// a record). A record's "Index" item is not stored when it is the record's
// own number, as the index scan gives it. Behaves as one ordered
// name-to-value map per record.
//
// Records are built one at a time: BeginRecord, AddItem for each item (the
// first value of a name stays), EndRecord. Records can also be built apart,
// on another thread, as a Segment with names of its own, and then taken
// whole (AppendSegment): nothing is copied but the names.
class PropertyStore {
public:
    static constexpr std::uint32_t NoName = 0xFFFFFFFFu;

    // Records built apart from a store. Their name numbers are the
    // segment's own (Intern). A segment does not know where its records
    // will stand: a record's own number as "Index" and "Molecule-" with its
    // number counted from 1 as "Name" are marked as given (AddOwnIndex,
    // AddOwnName), not stored.
    class Segment {
    public:
        Segment();
        ~Segment();
        Segment(Segment&&) noexcept;
        Segment& operator=(Segment&&) noexcept;

        std::uint32_t Intern(std::string_view name, bool& added);
        void BeginRecord();
        // False when the record has an item of that name already.
        bool AddItem(std::uint32_t name, std::string_view value);
        // Marks "Index" as given (its own number) for the record.
        void AddOwnIndex(std::uint32_t indexName) { AddOwn(indexName); }
        // Marks "Name" as given ("Molecule-" and its number) for the record.
        void AddOwnName(std::uint32_t nameName) { AddOwn(nameName); }
        // Ends the record; returns how many items it holds, "Index" included.
        std::size_t EndRecord();
        std::size_t GetRecordCount() const { return m_RecordFirstItem.empty() ? 0 : m_RecordFirstItem.size() - 1; }
        const std::vector<std::string>& Names() const { return m_Names; }
        // Empties it, keeping its lists' room for the next records.
        void Clear();
        // Gives back the room reserved for growth once every record is in.
        void Compact();

    private:
        friend class PropertyStore;
        struct Block {
            Host::LargeBlock bytes;
            std::size_t size;
            std::size_t used;
        };
        // Items are where their values end in their blocks. They live in
        // pages of a fixed count, so that the list never moves while it
        // grows.
        static constexpr unsigned ItemPageBits = 19;
        static constexpr std::size_t ItemPageSize = std::size_t(1) << ItemPageBits;

        std::uint32_t EndOf(std::size_t i) const { return m_ItemPages[i >> ItemPageBits][i & (ItemPageSize - 1)]; }
        void PushItem(std::uint32_t end)
        {
            if (m_ItemCount == m_ItemSlots)
                AddItemSlots();
            m_ItemPages[m_ItemCount >> ItemPageBits][m_ItemCount & (ItemPageSize - 1)] = end;
            ++m_ItemCount;
        }
        // A new page, or the last page back to its full size after Compact.
        void AddItemSlots();
        std::string_view ValueOf(std::size_t item) const;
        // The value of a local name in the segment's record; false when none.
        bool Find(std::size_t record, std::uint32_t name, std::string_view& value) const;
        static constexpr std::size_t NoOwnIndex = ~std::size_t(0);
        // ownIndex: the number "Index" must be to go unstored (NoOwnIndex:
        // stored whatever it is).
        bool Add(std::uint32_t name, std::string_view value, std::size_t ownIndex);
        // The item counts for the record, its value not stored.
        void AddOwn(std::uint32_t name);
        std::size_t MemoryUsage() const;

        // Names of the segment's own (empty when it uses the store's).
        std::vector<std::string> m_Names;
        std::unordered_map<std::string, std::uint32_t> m_NameNumbers;
        std::uint32_t m_IndexName = NoName;
        std::uint32_t m_NameName = NoName;
        // Per name, 1 + the last record that added it: finds repeated names.
        std::vector<std::uint32_t> m_LastRecord;
        std::vector<std::unique_ptr<std::uint32_t[], Host::LargeMemoryFree>> m_ItemPages;
        std::size_t m_ItemCount = 0;
        std::size_t m_ItemSlots = 0;
        // Where each record's items start, and one entry past the last record.
        HeldArray<std::uint32_t> m_RecordFirstItem;
        // Each record's shape, the names of its stored items in order: the
        // shapes' names one after the other, where each shape starts (and
        // one entry past the last), and the shape of each record.
        std::vector<std::uint32_t> m_ShapeNames;
        std::vector<std::uint32_t> m_ShapeStart;
        HeldArray<std::uint32_t> m_RecordShape;
        // The names of the record being built whose values are stored; the
        // shapes by a hash of their names while records are added.
        std::vector<std::uint32_t> m_Stored;
        std::unordered_multimap<std::uint64_t, std::uint32_t> m_ShapeNumbers;
        // The number of a shape of names, made when it is new.
        std::uint32_t ShapeOf(const std::vector<std::uint32_t>& names);
        std::vector<Block> m_Blocks;
        // The first item whose value lies in each block.
        std::vector<std::uint32_t> m_BlockFirstItem;
        // The names of the previous record, in order: records of one file
        // tend to list the same names in the same order, which spares most
        // lookups.
        std::vector<std::uint32_t> m_Previous;
        std::vector<std::uint32_t> m_Current;

        // Once in a store: where its records start there, and the segment's
        // number of each of the store's names (NoName where it has none);
        // empty for records built in the store itself, which use its names.
        std::size_t m_FirstRecord = 0;
        std::vector<std::uint32_t> m_FromStore;
        bool m_OwnNames = false;
        // Loaded from a saved index: its items and values are read where
        // they lie there, and no record is added to it.
        bool m_Borrowed = false;
    };

    PropertyStore();
    ~PropertyStore();
    PropertyStore(const PropertyStore&) = delete;
    PropertyStore& operator=(const PropertyStore&) = delete;

    // The number of a name, made when the name is new (added is then true).
    std::uint32_t Intern(std::string_view name, bool& added);
    // The number of a name, or NoName when no record has it.
    std::uint32_t FindName(const std::string& name) const;

    void BeginRecord();
    // False when the record has an item of that name already.
    bool AddItem(std::uint32_t name, std::string_view value);
    // Ends the record; returns how many items it holds, "Index" included.
    std::size_t EndRecord();
    // Appends a whole record from a map of its items.
    void AppendRecord(const std::map<std::string, std::string>& items);
    // Appends the segment's records after the store's; the segment is left
    // empty. Names new to the store are made in the segment's order, and
    // newName is called with each.
    template <class NewName>
    void AppendSegment(Segment& segment, NewName newName)
    {
        for (const std::string& name : segment.m_Names) {
            bool added = false;
            const std::uint32_t number = Intern(name, added);
            if (added)
                newName(name, number);
        }
        TakeSegment(segment);
    }

    std::size_t GetRecordCount() const { return m_RecordCount; }

    // The record's value of the name; false when it has none. The view stays
    // valid until the next call that changes the store, or the next Get.
    bool Get(std::size_t record, std::uint32_t name, std::string_view& value) const;
    bool Get(std::size_t record, const std::string& name, std::string& value) const;
    // Sets (or adds) an item of a record.
    void Set(std::size_t record, const std::string& name, const std::string& value);

    void Clear();
    // Gives back the room reserved for growth once every record is in.
    void Compact();
    // Bytes held: blocks, item and record lists, names, changed items.
    std::size_t MemoryUsage() const;

    // Adds the store's names and records, as they are held, to a saved index
    // as sections tagged from firstTag on; the blocks and item lists are not
    // copied, so the store must not change until the writer has written.
    // Items changed with Set are not saved.
    void SaveTo(SavedIndexWriter& writer, std::uint32_t firstTag) const;
    // The store SaveTo saved, its item lists and values read where they lie
    // in the saved index (which they keep open); every count, name, value
    // end and record's first item is checked first. False, and the store
    // left empty, when the sections are not such a store.
    bool LoadFrom(const SavedIndexReader& reader, std::uint32_t firstTag);

private:
    void TakeSegment(Segment& segment);
    // Finds the store's number of each of the segment's own names; false
    // when one is not the store's.
    bool LinkNames(Segment& segment) const;
    // The segment records are built into in the store itself.
    Segment& Open();
    const Segment& SegmentOf(std::size_t record) const;

    std::vector<std::string> m_Names;
    std::unordered_map<std::string, std::uint32_t> m_NameNumbers;
    std::uint32_t m_IndexName = NoName;
    std::uint32_t m_NameName = NoName;
    std::vector<Segment> m_Segments;
    std::size_t m_RecordCount = 0;
    bool m_Building = false;
    // Items set after the scan, by (record, name).
    std::map<std::pair<std::size_t, std::uint32_t>, std::string> m_Changed;
    // The saved index that loaded segments read from.
    std::shared_ptr<const void> m_Keep;
};

} // namespace VorlatImportExport
