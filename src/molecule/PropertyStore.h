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

namespace VorlatImportExport {

// The data items of many records, held compactly: each distinct name once,
// the values of a record one after the other in large blocks, and per item
// only a name number and where its value ends. A record's "Index" item is not
// stored when it is the record's own number, as the index scan gives it.
// Behaves as one ordered name-to-value map per record.
class PropertyStore {
public:
    static const std::uint32_t NoName = 0xFFFFFFFFu;

    PropertyStore();
    ~PropertyStore();
    PropertyStore(const PropertyStore&) = delete;
    PropertyStore& operator=(const PropertyStore&) = delete;

    // Appends the next record's items.
    void AppendRecord(const std::map<std::string, std::string>& items);
    std::size_t GetRecordCount() const { return m_Records.size(); }

    // The number of a name, or NoName when no record has it.
    std::uint32_t FindName(const std::string& name) const;
    // The record's value of the name; false when it has none. The view stays
    // valid until the next Get or Set.
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
        std::uint32_t end; // where the value ends, from the record's first value byte
    };
    struct Record {
        std::uint32_t block;
        std::uint32_t offset; // of the first value byte in the block
        std::uint32_t firstItem;
        std::uint32_t itemCount;
    };
    struct Block {
        std::unique_ptr<char[]> bytes;
        std::size_t size;
        std::size_t used;
    };

    std::uint32_t NameNumber(const std::string& name);
    char* Allocate(std::size_t bytes, std::uint32_t& block, std::uint32_t& offset);

    std::vector<std::string> m_Names;
    std::unordered_map<std::string, std::uint32_t> m_NameNumbers;
    std::uint32_t m_IndexName = NoName;
    std::vector<Item> m_Items;
    std::vector<Record> m_Records;
    std::vector<Block> m_Blocks;
    // Items set after the scan, by (record, name).
    std::map<std::pair<std::size_t, std::uint32_t>, std::string> m_Changed;
};

} // namespace VorlatImportExport
