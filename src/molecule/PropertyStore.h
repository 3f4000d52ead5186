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

namespace VorlatImportExport {

// The data items of many records, held compactly: each distinct name once,
// the values one after the other in large blocks, and per item only a name
// number and where its value ends (8 bytes), per record where its items start
// (4 bytes). A record's "Index" item is not stored when it is the record's own
// number, as the index scan gives it. Behaves as one ordered name-to-value
// map per record.
//
// Records are built one at a time: BeginRecord, AddItem for each item (the
// first value of a name stays), EndRecord.
class PropertyStore {
public:
    static const std::uint32_t NoName = 0xFFFFFFFFu;

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

    std::size_t GetRecordCount() const { return m_RecordFirstItem.empty() ? 0 : m_RecordFirstItem.size() - 1; }

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

private:
    struct Item {
        std::uint32_t name;
        std::uint32_t end; // where the value ends in its block
    };
    struct Block {
        Host::LargeBlock bytes;
        std::size_t size;
        std::size_t used;
    };
    // The items live in pages of a fixed count, so that the list never
    // moves while it grows.
    static constexpr unsigned ItemPageBits = 18;
    static constexpr std::size_t ItemPageSize = std::size_t(1) << ItemPageBits;

    std::string_view ValueOf(std::size_t item) const;
    const Item& ItemAt(std::size_t i) const { return m_ItemPages[i >> ItemPageBits][i & (ItemPageSize - 1)]; }
    void PushItem(const Item& item)
    {
        if (m_ItemCount == m_ItemSlots)
            AddItemSlots();
        m_ItemPages[m_ItemCount >> ItemPageBits][m_ItemCount & (ItemPageSize - 1)] = item;
        ++m_ItemCount;
    }
    // A new page, or the last page back to its full size after Compact.
    void AddItemSlots();

    std::vector<std::string> m_Names;
    std::unordered_map<std::string, std::uint32_t> m_NameNumbers;
    // Per name, 1 + the last record that added it: finds repeated names.
    std::vector<std::uint32_t> m_LastRecord;
    std::uint32_t m_IndexName = NoName;
    std::vector<std::unique_ptr<Item[], Host::LargeMemoryFree>> m_ItemPages;
    std::size_t m_ItemCount = 0;
    std::size_t m_ItemSlots = 0;
    // Where each record's items start, and one entry past the last record.
    std::vector<std::uint32_t> m_RecordFirstItem;
    std::vector<Block> m_Blocks;
    // The first item whose value lies in each block.
    std::vector<std::uint32_t> m_BlockFirstItem;
    // The names of the previous record, in order: records of one file tend to
    // list the same names in the same order, which spares most lookups.
    std::vector<std::uint32_t> m_Previous;
    std::vector<std::uint32_t> m_Current;
    bool m_Building = false;
    // Items set after the scan, by (record, name).
    std::map<std::pair<std::size_t, std::uint32_t>, std::string> m_Changed;
};

} // namespace VorlatImportExport
