#include "molecule/PropertyStore.h"

#include <cstring>

namespace VorlatImportExport {

namespace {

const std::size_t BlockSize = 1 << 20;
const char* const IndexName = "Index";

} // namespace

PropertyStore::PropertyStore() = default;

PropertyStore::~PropertyStore() = default;

std::uint32_t PropertyStore::NameNumber(const std::string& name)
{
    const auto found = m_NameNumbers.find(name);
    if (found != m_NameNumbers.end())
        return found->second;
    const std::uint32_t number = static_cast<std::uint32_t>(m_Names.size());
    m_Names.push_back(name);
    m_NameNumbers.emplace(name, number);
    if (name == IndexName)
        m_IndexName = number;
    return number;
}

std::uint32_t PropertyStore::FindName(const std::string& name) const
{
    const auto found = m_NameNumbers.find(name);
    return found != m_NameNumbers.end() ? found->second : NoName;
}

char* PropertyStore::Allocate(std::size_t bytes, std::uint32_t& block, std::uint32_t& offset)
{
    if (m_Blocks.empty() || m_Blocks.back().size - m_Blocks.back().used < bytes) {
        const std::size_t size = bytes > BlockSize ? bytes : BlockSize;
        m_Blocks.push_back(Block{std::unique_ptr<char[]>(new char[size]), size, 0});
    }
    Block& last = m_Blocks.back();
    block = static_cast<std::uint32_t>(m_Blocks.size() - 1);
    offset = static_cast<std::uint32_t>(last.used);
    char* at = last.bytes.get() + last.used;
    last.used += bytes;
    return at;
}

void PropertyStore::AppendRecord(const std::map<std::string, std::string>& items)
{
    const std::string ownIndex = std::to_string(m_Records.size());
    std::size_t bytes = 0;
    for (const auto& [name, value] : items)
        bytes += value.size();

    Record record{0, 0, static_cast<std::uint32_t>(m_Items.size()), 0};
    char* at = Allocate(bytes, record.block, record.offset);
    std::uint32_t end = 0;
    for (const auto& [name, value] : items) {
        if (name == IndexName && value == ownIndex) {
            NameNumber(name);
            continue;
        }
        std::memcpy(at + end, value.data(), value.size());
        end += static_cast<std::uint32_t>(value.size());
        m_Items.push_back(Item{NameNumber(name), end});
        ++record.itemCount;
    }
    // Room taken for a skipped "Index" value is given back.
    m_Blocks[record.block].used = record.offset + end;
    m_Records.push_back(record);
}

bool PropertyStore::Get(std::size_t recordNumber, std::uint32_t name, std::string_view& value) const
{
    if (recordNumber >= m_Records.size() || name == NoName)
        return false;
    if (!m_Changed.empty()) {
        const auto changed = m_Changed.find({recordNumber, name});
        if (changed != m_Changed.end()) {
            value = changed->second;
            return true;
        }
    }
    const Record& record = m_Records[recordNumber];
    const char* bytes = m_Blocks.empty() ? nullptr : m_Blocks[record.block].bytes.get() + record.offset;
    std::uint32_t start = 0;
    for (std::uint32_t i = 0; i < record.itemCount; ++i) {
        const Item& item = m_Items[record.firstItem + i];
        if (item.name == name) {
            value = std::string_view(bytes + start, item.end - start);
            return true;
        }
        start = item.end;
    }
    if (name == m_IndexName) {
        // Not stored: the record's own number.
        static thread_local std::string number;
        number = std::to_string(recordNumber);
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
    if (record >= m_Records.size())
        return;
    m_Changed[{record, NameNumber(name)}] = value;
}

void PropertyStore::Clear()
{
    m_Names.clear();
    m_NameNumbers.clear();
    m_IndexName = NoName;
    m_Items.clear();
    m_Records.clear();
    m_Blocks.clear();
    m_Changed.clear();
}

void PropertyStore::Compact()
{
    m_Items.shrink_to_fit();
    m_Records.shrink_to_fit();
    // The last block is rarely full: keep only what it holds.
    if (!m_Blocks.empty() && m_Blocks.back().used < m_Blocks.back().size) {
        Block& last = m_Blocks.back();
        std::unique_ptr<char[]> bytes(new char[last.used > 0 ? last.used : 1]);
        std::memcpy(bytes.get(), last.bytes.get(), last.used);
        last.bytes = std::move(bytes);
        last.size = last.used;
    }
}

std::size_t PropertyStore::MemoryUsage() const
{
    std::size_t bytes = m_Items.capacity() * sizeof(Item) + m_Records.capacity() * sizeof(Record) +
                        m_Blocks.capacity() * sizeof(Block);
    for (const Block& block : m_Blocks)
        bytes += block.size;
    for (const std::string& name : m_Names)
        bytes += sizeof(std::string) + name.capacity() + 2 * sizeof(void*) + sizeof(std::uint32_t);
    for (const auto& [key, value] : m_Changed)
        bytes += sizeof(key) + sizeof(std::string) + value.capacity() + 4 * sizeof(void*);
    return bytes;
}

} // namespace VorlatImportExport
