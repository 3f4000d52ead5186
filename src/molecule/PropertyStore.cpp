#include "molecule/PropertyStore.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace VorlatImportExport {

namespace {

// Values are kept in blocks of this size (huge pages where there are).
const std::size_t BlockSize = std::size_t(2) << 20;
const char* const IndexName = "Index";

} // namespace

PropertyStore::PropertyStore() = default;

PropertyStore::~PropertyStore() = default;

std::uint32_t PropertyStore::Intern(std::string_view name, bool& added)
{
    added = false;
    const std::size_t k = m_Current.size();
    if (k < m_Previous.size() && m_Names[m_Previous[k]] == name)
        return m_Previous[k];
    const std::string key(name);
    const auto found = m_NameNumbers.find(key);
    if (found != m_NameNumbers.end())
        return found->second;
    const std::uint32_t number = static_cast<std::uint32_t>(m_Names.size());
    m_Names.push_back(key);
    m_NameNumbers.emplace(key, number);
    m_LastRecord.push_back(0);
    if (key == IndexName)
        m_IndexName = number;
    added = true;
    return number;
}

std::uint32_t PropertyStore::FindName(const std::string& name) const
{
    const auto found = m_NameNumbers.find(name);
    return found != m_NameNumbers.end() ? found->second : NoName;
}

void PropertyStore::BeginRecord()
{
    if (m_RecordFirstItem.empty())
        m_RecordFirstItem.push_back(0);
    m_Current.clear();
    m_Building = true;
}

bool PropertyStore::AddItem(std::uint32_t name, std::string_view value)
{
    const std::uint32_t record = static_cast<std::uint32_t>(GetRecordCount());
    if (name >= m_LastRecord.size() || m_LastRecord[name] == record + 1)
        return false;
    m_LastRecord[name] = record + 1;
    m_Current.push_back(name);
    if (name == m_IndexName) {
        char digits[16];
        const auto written = std::to_chars(digits, digits + sizeof digits, record);
        if (value == std::string_view(digits, static_cast<std::size_t>(written.ptr - digits)))
            return true; // the record's own number: not stored
    }
    if (m_Blocks.empty() || m_Blocks.back().size - m_Blocks.back().used < value.size()) {
        const std::size_t size = value.size() > BlockSize ? value.size() : BlockSize;
        m_Blocks.push_back(Block{Host::AllocateLarge(size), size, 0});
        m_BlockFirstItem.push_back(static_cast<std::uint32_t>(m_ItemCount));
    }
    Block& block = m_Blocks.back();
    if (!value.empty())
        std::memcpy(block.bytes.get() + block.used, value.data(), value.size());
    block.used += value.size();
    PushItem(Item{name, static_cast<std::uint32_t>(block.used)});
    return true;
}

namespace {

template <class Item>
std::unique_ptr<Item[], Host::LargeMemoryFree> NewItemPage(std::size_t count)
{
    Host::LargeBlock bytes = Host::AllocateLarge(count * sizeof(Item));
    const Host::LargeMemoryFree free = bytes.get_deleter();
    return std::unique_ptr<Item[], Host::LargeMemoryFree>(reinterpret_cast<Item*>(bytes.release()), free);
}

} // namespace

void PropertyStore::AddItemSlots()
{
    const std::size_t used = m_ItemCount & (ItemPageSize - 1);
    if (used == 0) {
        m_ItemPages.push_back(NewItemPage<Item>(ItemPageSize));
    } else {
        auto page = NewItemPage<Item>(ItemPageSize);
        std::memcpy(page.get(), m_ItemPages.back().get(), used * sizeof(Item));
        m_ItemPages.back() = std::move(page);
    }
    m_ItemSlots = m_ItemPages.size() * ItemPageSize;
}

std::size_t PropertyStore::EndRecord()
{
    m_RecordFirstItem.push_back(static_cast<std::uint32_t>(m_ItemCount));
    m_Previous.swap(m_Current);
    m_Building = false;
    return m_Previous.size();
}

void PropertyStore::AppendRecord(const std::map<std::string, std::string>& items)
{
    BeginRecord();
    for (const auto& [name, value] : items) {
        bool added = false;
        AddItem(Intern(name, added), value);
    }
    EndRecord();
}

std::string_view PropertyStore::ValueOf(std::size_t item) const
{
    // The block that holds the item's value, and where the value starts.
    const auto after = std::upper_bound(m_BlockFirstItem.begin(), m_BlockFirstItem.end(),
                                        static_cast<std::uint32_t>(item));
    const std::size_t block = static_cast<std::size_t>(after - m_BlockFirstItem.begin()) - 1;
    const std::uint32_t start = item == m_BlockFirstItem[block] ? 0 : ItemAt(item - 1).end;
    return std::string_view(m_Blocks[block].bytes.get() + start, ItemAt(item).end - start);
}

bool PropertyStore::Get(std::size_t record, std::uint32_t name, std::string_view& value) const
{
    if (record >= GetRecordCount() || name == NoName)
        return false;
    if (!m_Changed.empty()) {
        const auto changed = m_Changed.find({record, name});
        if (changed != m_Changed.end()) {
            value = changed->second;
            return true;
        }
    }
    for (std::uint32_t i = m_RecordFirstItem[record]; i < m_RecordFirstItem[record + 1]; ++i)
        if (ItemAt(i).name == name) {
            value = ValueOf(i);
            return true;
        }
    if (name == m_IndexName) {
        // Not stored: the record's own number.
        static thread_local std::string number;
        number = std::to_string(record);
        value = number;
        return true;
    }
    return false;
}

bool PropertyStore::Get(std::size_t record, const std::string& name, std::string& value) const
{
    std::string_view found;
    if (!Get(record, FindName(name), found))
        return false;
    value.assign(found.data(), found.size());
    return true;
}

void PropertyStore::Set(std::size_t record, const std::string& name, const std::string& value)
{
    if (record >= GetRecordCount())
        return;
    bool added = false;
    m_Changed[{record, Intern(name, added)}] = value;
}

void PropertyStore::Clear()
{
    m_Names.clear();
    m_NameNumbers.clear();
    m_LastRecord.clear();
    m_IndexName = NoName;
    m_ItemPages.clear();
    m_ItemCount = m_ItemSlots = 0;
    m_RecordFirstItem.clear();
    m_Blocks.clear();
    m_BlockFirstItem.clear();
    m_Previous.clear();
    m_Current.clear();
    m_Changed.clear();
}

void PropertyStore::Compact()
{
    m_RecordFirstItem.shrink_to_fit();
    // Nor is the last page of items.
    const std::size_t lastPage = m_ItemCount & (ItemPageSize - 1);
    if (lastPage > 0 && m_ItemSlots > m_ItemCount) {
        auto page = NewItemPage<Item>(lastPage);
        std::memcpy(page.get(), m_ItemPages.back().get(), lastPage * sizeof(Item));
        m_ItemPages.back() = std::move(page);
        m_ItemSlots = m_ItemCount;
    }
    // The last block is rarely full: keep only what it holds.
    if (!m_Blocks.empty() && m_Blocks.back().used < m_Blocks.back().size) {
        Block& last = m_Blocks.back();
        Host::LargeBlock bytes = Host::AllocateLarge(last.used > 0 ? last.used : 1);
        std::memcpy(bytes.get(), last.bytes.get(), last.used);
        last.bytes = std::move(bytes);
        last.size = last.used;
    }
}

std::size_t PropertyStore::MemoryUsage() const
{
    std::size_t bytes = m_ItemSlots * sizeof(Item) +
                        m_RecordFirstItem.capacity() * sizeof(std::uint32_t) +
                        m_Blocks.capacity() * sizeof(Block) + m_BlockFirstItem.capacity() * sizeof(std::uint32_t) +
                        m_LastRecord.capacity() * sizeof(std::uint32_t);
    for (const Block& block : m_Blocks)
        bytes += block.size;
    for (const std::string& name : m_Names)
        bytes += 2 * (sizeof(std::string) + name.capacity()) + 4 * sizeof(void*);
    for (const auto& [key, value] : m_Changed)
        bytes += sizeof(key) + sizeof(std::string) + value.capacity() + 4 * sizeof(void*);
    return bytes;
}

} // namespace VorlatImportExport
