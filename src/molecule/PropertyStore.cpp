#include "molecule/PropertyStore.h"

#include "index/IndexOptions.h"
#include "index/SavedIndex.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstring>

namespace VorlatImportExport {

namespace {

// Values are kept in blocks of this size (huge pages where there are).
const std::size_t BlockSize = std::size_t(2) << 20;
const char* const IndexName = "Index";
const char* const NameName = "Name";

template <class Item>
std::unique_ptr<Item[], Host::LargeMemoryFree> NewItemPage(std::size_t count)
{
    Host::LargeBlock bytes = Host::AllocateLarge(count * sizeof(Item));
    const Host::LargeMemoryFree free = bytes.get_deleter();
    return std::unique_ptr<Item[], Host::LargeMemoryFree>(reinterpret_cast<Item*>(bytes.release()), free);
}

// The number of a name in a table of names, made when the name is new
// (added is then true).
std::uint32_t NumberOf(std::vector<std::string>& names, std::unordered_map<std::string, std::uint32_t>& numbers,
                       std::string_view name, bool& added)
{
    std::string key(name);
    const auto found = numbers.find(key);
    added = found == numbers.end();
    if (!added)
        return found->second;
    const std::uint32_t number = static_cast<std::uint32_t>(names.size());
    names.push_back(key);
    numbers.emplace(std::move(key), number);
    return number;
}

// The number of a name in a list of names, or NoName.
std::uint32_t FindLocal(const std::vector<std::string>& names, const char* name)
{
    const auto found = std::find(names.begin(), names.end(), name);
    return found == names.end() ? PropertyStore::NoName : static_cast<std::uint32_t>(found - names.begin());
}

// A view of the decimal text of a number, valid until the next call on the
// thread.
std::string_view NumberText(const char* prefix, std::size_t number)
{
    static thread_local std::string text;
    text = prefix + std::to_string(number);
    return text;
}

} // namespace

// --- Segment ----------------------------------------------------------------

PropertyStore::Segment::Segment() = default;
PropertyStore::Segment::~Segment() = default;
PropertyStore::Segment::Segment(Segment&&) noexcept = default;
PropertyStore::Segment& PropertyStore::Segment::operator=(Segment&&) noexcept = default;

std::uint32_t PropertyStore::Segment::Intern(std::string_view name, bool& added)
{
    m_OwnNames = true;
    added = false;
    const std::size_t k = m_Current.size();
    if (k < m_Previous.size() && m_Names[m_Previous[k]] == name)
        return m_Previous[k];
    const std::uint32_t number = NumberOf(m_Names, m_NameNumbers, name, added);
    if (added && name == IndexName)
        m_IndexName = number;
    if (added && name == NameName)
        m_NameName = number;
    return number;
}

void PropertyStore::Segment::BeginRecord()
{
    if (m_RecordFirstItem.empty())
        m_RecordFirstItem.push_back(0);
    m_Current.clear();
    m_Stored.clear();
}

bool PropertyStore::Segment::Add(std::uint32_t name, std::string_view value, std::size_t ownIndex)
{
    const std::uint32_t record = static_cast<std::uint32_t>(GetRecordCount());
    if (name >= m_LastRecord.size())
        m_LastRecord.resize(static_cast<std::size_t>(name) + 1, 0);
    if (m_LastRecord[name] == record + 1)
        return false;
    m_LastRecord[name] = record + 1;
    m_Current.push_back(name);
    if (name == m_IndexName && ownIndex != NoOwnIndex) {
        char digits[24];
        const auto written = std::to_chars(digits, digits + sizeof digits, ownIndex);
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
    PushItem(static_cast<std::uint32_t>(block.used));
    m_Stored.push_back(name);
    return true;
}

bool PropertyStore::Segment::AddItem(std::uint32_t name, std::string_view value)
{
    // A segment's records have their own numbers only once in a store: an
    // "Index" added here is kept whatever it holds.
    return Add(name, value, NoOwnIndex);
}

void PropertyStore::Segment::AddOwn(std::uint32_t name)
{
    const std::uint32_t record = static_cast<std::uint32_t>(GetRecordCount());
    if (name >= m_LastRecord.size())
        m_LastRecord.resize(static_cast<std::size_t>(name) + 1, 0);
    if (m_LastRecord[name] == record + 1)
        return;
    m_LastRecord[name] = record + 1;
    m_Current.push_back(name);
}

std::uint32_t PropertyStore::Segment::ShapeOf(const std::vector<std::uint32_t>& names)
{
    // Most often the shape of the record before.
    if (!m_RecordShape.empty()) {
        const std::uint32_t last = m_RecordShape.back();
        const std::uint32_t start = m_ShapeStart[last];
        if (m_ShapeStart[last + 1] - start == names.size() &&
            std::equal(names.begin(), names.end(), m_ShapeNames.begin() + start))
            return last;
    }
    // Else found by a hash of its names (no copy of them to look it up).
    const std::uint64_t hash = HashBytes(names.data(), names.size() * sizeof(std::uint32_t));
    const auto candidates = m_ShapeNumbers.equal_range(hash);
    for (auto candidate = candidates.first; candidate != candidates.second; ++candidate) {
        const std::uint32_t start = m_ShapeStart[candidate->second];
        if (m_ShapeStart[candidate->second + 1] - start == names.size() &&
            std::equal(names.begin(), names.end(), m_ShapeNames.begin() + start))
            return candidate->second;
    }
    if (m_ShapeStart.empty())
        m_ShapeStart.push_back(0);
    const std::uint32_t number = static_cast<std::uint32_t>(m_ShapeStart.size() - 1);
    m_ShapeNames.insert(m_ShapeNames.end(), names.begin(), names.end());
    m_ShapeStart.push_back(static_cast<std::uint32_t>(m_ShapeNames.size()));
    m_ShapeNumbers.emplace(hash, number);
    return number;
}

std::size_t PropertyStore::Segment::EndRecord()
{
    m_RecordShape.push_back(ShapeOf(m_Stored));
    m_RecordFirstItem.push_back(static_cast<std::uint32_t>(m_ItemCount));
    m_Previous.swap(m_Current);
    return m_Previous.size();
}

void PropertyStore::Segment::AddItemSlots()
{
    const std::size_t used = m_ItemCount & (ItemPageSize - 1);
    if (used == 0) {
        m_ItemPages.push_back(NewItemPage<std::uint32_t>(ItemPageSize));
    } else {
        auto page = NewItemPage<std::uint32_t>(ItemPageSize);
        std::memcpy(page.get(), m_ItemPages.back().get(), used * sizeof(std::uint32_t));
        m_ItemPages.back() = std::move(page);
    }
    m_ItemSlots = m_ItemPages.size() * ItemPageSize;
}

std::string_view PropertyStore::Segment::ValueOf(std::size_t item) const
{
    // The block that holds the item's value, and where the value starts.
    const auto after = std::upper_bound(m_BlockFirstItem.begin(), m_BlockFirstItem.end(),
                                        static_cast<std::uint32_t>(item));
    const std::size_t block = static_cast<std::size_t>(after - m_BlockFirstItem.begin()) - 1;
    const std::uint32_t start = item == m_BlockFirstItem[block] ? 0 : EndOf(item - 1);
    return std::string_view(m_Blocks[block].bytes.get() + start, EndOf(item) - start);
}

bool PropertyStore::Segment::Find(std::size_t record, std::uint32_t name, std::string_view& value) const
{
    const std::uint32_t shape = m_RecordShape[record];
    const std::uint32_t* names = m_ShapeNames.data() + m_ShapeStart[shape];
    const std::uint32_t count = m_ShapeStart[shape + 1] - m_ShapeStart[shape];
    for (std::uint32_t k = 0; k < count; ++k)
        if (names[k] == name) {
            value = ValueOf(m_RecordFirstItem[record] + k);
            return true;
        }
    return false;
}

void PropertyStore::Segment::Clear()
{
    m_Names.clear();
    m_NameNumbers.clear();
    m_IndexName = m_NameName = NoName;
    m_LastRecord.clear();
    // One page of items is kept for the next records (never one borrowed
    // from a saved index, which is only read).
    if (m_ItemPages.size() > 1 || m_ItemSlots != ItemPageSize || m_Borrowed)
        m_ItemPages.clear();
    m_Borrowed = false;
    m_ItemSlots = m_ItemPages.size() * ItemPageSize;
    m_ItemCount = 0;
    m_RecordFirstItem.clear();
    m_ShapeNames.clear();
    m_ShapeStart.clear();
    m_RecordShape.clear();
    m_Stored.clear();
    m_ShapeNumbers.clear();
    m_Blocks.clear();
    m_BlockFirstItem.clear();
    m_Previous.clear();
    m_Current.clear();
    m_FirstRecord = 0;
    m_FromStore.clear();
    m_OwnNames = false;
}

void PropertyStore::Segment::Compact()
{
    m_RecordFirstItem.shrink_to_fit();
    m_RecordShape.shrink_to_fit();
    m_ShapeNames.shrink_to_fit();
    m_ShapeStart.shrink_to_fit();
    m_Stored = std::vector<std::uint32_t>();
    m_ShapeNumbers = std::unordered_multimap<std::uint64_t, std::uint32_t>();
    m_LastRecord = std::vector<std::uint32_t>();
    m_Previous = std::vector<std::uint32_t>();
    m_Current = std::vector<std::uint32_t>();
    // The last page of items is rarely full: its unused room is given back
    // (or, for a page from the heap, the page copied to its size). Giving
    // back moves nothing, so that a segment's items are not written to fresh
    // memory twice.
    const std::size_t lastPage = m_ItemCount & (ItemPageSize - 1);
    if (lastPage > 0 && m_ItemSlots > m_ItemCount) {
        auto& page = m_ItemPages.back();
        if (!Host::GiveBackUnused(reinterpret_cast<char*>(page.get()), page.get_deleter().size,
                                  lastPage * sizeof(std::uint32_t))) {
            auto copy = NewItemPage<std::uint32_t>(lastPage);
            std::memcpy(copy.get(), page.get(), lastPage * sizeof(std::uint32_t));
            page = std::move(copy);
        }
        m_ItemSlots = m_ItemCount;
    } else if (m_ItemCount == 0) {
        m_ItemPages.clear();
        m_ItemSlots = 0;
    }
    // Nor is the last block.
    if (!m_Blocks.empty() && m_Blocks.back().used < m_Blocks.back().size) {
        Block& last = m_Blocks.back();
        if (!Host::GiveBackUnused(last.bytes.get(), last.bytes.get_deleter().size, last.used)) {
            Host::LargeBlock bytes = Host::AllocateLarge(last.used > 0 ? last.used : 1);
            std::memcpy(bytes.get(), last.bytes.get(), last.used);
            last.bytes = std::move(bytes);
        }
        last.size = last.used;
    }
}

std::size_t PropertyStore::Segment::MemoryUsage() const
{
    std::size_t bytes = m_ItemSlots * sizeof(std::uint32_t) +
                        (m_RecordFirstItem.capacity() + m_RecordShape.capacity() + m_ShapeNames.capacity() +
                         m_ShapeStart.capacity()) * sizeof(std::uint32_t) +
                        m_Blocks.capacity() * sizeof(Block) + m_BlockFirstItem.capacity() * sizeof(std::uint32_t) +
                        m_LastRecord.capacity() * sizeof(std::uint32_t) +
                        m_FromStore.capacity() * sizeof(std::uint32_t);
    for (const Block& block : m_Blocks)
        bytes += block.size;
    for (const std::string& name : m_Names)
        bytes += 2 * (sizeof(std::string) + name.capacity()) + 4 * sizeof(void*);
    return bytes;
}

// --- PropertyStore ------------------------------------------------------------

PropertyStore::PropertyStore() = default;

PropertyStore::~PropertyStore() = default;

PropertyStore::Segment& PropertyStore::Open()
{
    if (m_Segments.empty() || m_Segments.back().m_OwnNames || !m_Segments.back().m_FromStore.empty() ||
        m_Segments.back().m_Borrowed) {
        m_Segments.emplace_back();
        m_Segments.back().m_FirstRecord = m_RecordCount;
        m_Segments.back().m_IndexName = m_IndexName;
    }
    return m_Segments.back();
}

std::uint32_t PropertyStore::Intern(std::string_view name, bool& added)
{
    added = false;
    if (m_Building) {
        const Segment& open = m_Segments.back();
        const std::size_t k = open.m_Current.size();
        if (k < open.m_Previous.size() && open.m_Previous[k] < m_Names.size() && m_Names[open.m_Previous[k]] == name)
            return open.m_Previous[k];
    }
    const std::uint32_t number = NumberOf(m_Names, m_NameNumbers, name, added);
    if (added && name == IndexName) {
        m_IndexName = number;
        if (!m_Segments.empty() && !m_Segments.back().m_OwnNames)
            m_Segments.back().m_IndexName = number;
    }
    if (added && name == NameName)
        m_NameName = number;
    return number;
}

std::uint32_t PropertyStore::FindName(const std::string& name) const
{
    const auto found = m_NameNumbers.find(name);
    return found != m_NameNumbers.end() ? found->second : NoName;
}

void PropertyStore::BeginRecord()
{
    Open().BeginRecord();
    m_Building = true;
}

bool PropertyStore::AddItem(std::uint32_t name, std::string_view value)
{
    if (name >= m_Names.size())
        return false;
    Segment& open = Open();
    if (open.m_RecordFirstItem.empty())
        open.BeginRecord();
    return open.Add(name, value, m_RecordCount);
}

std::size_t PropertyStore::EndRecord()
{
    Segment& open = Open();
    if (open.m_RecordFirstItem.empty())
        open.BeginRecord();
    const std::size_t items = open.EndRecord();
    ++m_RecordCount;
    m_Building = false;
    return items;
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

void PropertyStore::TakeSegment(Segment& segment)
{
    const std::size_t records = segment.GetRecordCount();
    if (records == 0) {
        segment.Clear();
        return;
    }
    segment.Compact();
    segment.m_FirstRecord = m_RecordCount;
    LinkNames(segment); // the store has every name: AppendSegment made them
    segment.m_NameNumbers.clear();
    m_Segments.push_back(std::move(segment));
    m_RecordCount += records;
    segment.Clear();
}

bool PropertyStore::LinkNames(Segment& segment) const
{
    segment.m_FromStore.assign(m_Names.size(), NoName);
    for (std::uint32_t local = 0; local < segment.m_Names.size(); ++local) {
        const std::uint32_t number = FindName(segment.m_Names[local]);
        if (number == NoName)
            return false;
        segment.m_FromStore[number] = local;
    }
    return true;
}

const PropertyStore::Segment& PropertyStore::SegmentOf(std::size_t record) const
{
    if (m_Segments.size() == 1)
        return m_Segments.front();
    const auto after = std::upper_bound(m_Segments.begin(), m_Segments.end(), record,
                                        [](std::size_t r, const Segment& s) { return r < s.m_FirstRecord; });
    return *(after - 1);
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
    const Segment& segment = SegmentOf(record);
    const std::size_t local = record - segment.m_FirstRecord;
    if (!segment.m_OwnNames) {
        if (segment.Find(local, name, value))
            return true;
    } else if (name < segment.m_FromStore.size() && segment.m_FromStore[name] != NoName) {
        if (segment.Find(local, segment.m_FromStore[name], value))
            return true;
        if (name == m_NameName && local < segment.GetRecordCount()) {
            // Not stored: "Molecule-" and the record's number.
            value = NumberText("Molecule-", record + 1);
            return true;
        }
    }
    if (name == m_IndexName) {
        // Not stored: the record's own number.
        value = NumberText("", record);
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
    m_IndexName = m_NameName = NoName;
    m_Segments.clear();
    m_RecordCount = 0;
    m_Building = false;
    m_Changed.clear();
    m_Keep.reset();
}

void PropertyStore::Compact()
{
    for (Segment& segment : m_Segments)
        if (!segment.m_OwnNames)
            segment.Compact();
}

std::size_t PropertyStore::MemoryUsage() const
{
    std::size_t bytes = m_Segments.capacity() * sizeof(Segment);
    for (const Segment& segment : m_Segments)
        bytes += segment.MemoryUsage();
    for (const std::string& name : m_Names)
        bytes += 2 * (sizeof(std::string) + name.capacity()) + 4 * sizeof(void*);
    for (const auto& [key, value] : m_Changed)
        bytes += sizeof(key) + sizeof(std::string) + value.capacity() + 4 * sizeof(void*);
    return bytes;
}

// --- saved index ------------------------------------------------------------

namespace {

// A store's sections: its counts and names, then per segment from
// SegmentTags on, SegmentStride tags each.
enum StoreSection : std::uint32_t { StoreCounts = 0, StoreNames = 1 };
enum SegmentSection : std::uint32_t {
    SegmentCounts = 0,
    SegmentNames,
    SegmentRecordFirstItems,
    SegmentBlockFirstItems,
    SegmentBlockSizes,
    SegmentItems,
    SegmentValues,
    SegmentShapeNames,
    SegmentShapeStarts,
    SegmentRecordShapes
};
const std::uint32_t SegmentTags = 16;
const std::uint32_t SegmentStride = 16;

struct SavedSegmentCounts {
    std::uint64_t firstRecord;
    std::uint64_t ownNames;
    std::uint64_t items;
    std::uint64_t records;
    std::uint64_t blocks;
    std::uint64_t shapes;
};

// A section read as a list of numbers where it lies.
template <class T>
struct SavedArray {
    const T* data = nullptr;
    std::size_t count = 0;
    const T& operator[](std::size_t i) const { return data[i]; }
};

template <class T>
bool ArrayOf(const SavedIndexReader& reader, std::uint32_t tag, SavedArray<T>& array)
{
    const char* bytes = nullptr;
    std::size_t size = 0;
    if (!reader.Section(tag, bytes, size) || size % sizeof(T) != 0 ||
        reinterpret_cast<std::uintptr_t>(bytes) % alignof(T) != 0)
        return false;
    array.data = reinterpret_cast<const T*>(bytes);
    array.count = size / sizeof(T);
    return true;
}

// Names each once, with their numbers.
bool NamesOf(const std::vector<std::string>& names, std::unordered_map<std::string, std::uint32_t>& numbers)
{
    numbers.clear();
    if (names.size() >= PropertyStore::NoName)
        return false;
    for (std::uint32_t k = 0; k < names.size(); ++k)
        if (!numbers.emplace(names[k], k).second)
            return false;
    return true;
}

// Whether a list of starts begins at 0, never decreases, and ends at last
// (an empty list: last is 0).
bool StartsInOrder(const std::uint32_t* starts, std::size_t count, std::uint64_t last)
{
    if (count == 0)
        return last == 0;
    std::uint32_t decreases = starts[0] != 0;
    for (std::size_t i = 1; i < count; ++i)
        decreases |= static_cast<std::uint32_t>(starts[i] < starts[i - 1]);
    return decreases == 0 && starts[count - 1] == last;
}

} // namespace

void PropertyStore::SaveTo(SavedIndexWriter& writer, std::uint32_t firstTag) const
{
    const std::uint64_t counts[2] = {m_RecordCount, m_Segments.size()};
    writer.Add(firstTag + StoreCounts, counts, sizeof counts);
    writer.AddTexts(firstTag + StoreNames, m_Names);
    std::uint32_t tag = firstTag + SegmentTags;
    const auto view = [&writer](std::uint32_t at, const std::uint32_t* data, std::size_t count) {
        writer.AddView(at, data, count * sizeof(std::uint32_t));
    };
    for (const Segment& segment : m_Segments) {
        const SavedSegmentCounts segmentCounts{segment.m_FirstRecord,
                                               segment.m_OwnNames ? 1u : 0u,
                                               segment.m_ItemCount,
                                               segment.GetRecordCount(),
                                               segment.m_Blocks.size(),
                                               segment.m_ShapeStart.empty() ? 0 : segment.m_ShapeStart.size() - 1};
        writer.Add(tag + SegmentCounts, &segmentCounts, sizeof segmentCounts);
        writer.AddTexts(tag + SegmentNames, segment.m_OwnNames ? segment.m_Names : std::vector<std::string>());
        view(tag + SegmentRecordFirstItems, segment.m_RecordFirstItem.data(), segment.m_RecordFirstItem.size());
        view(tag + SegmentBlockFirstItems, segment.m_BlockFirstItem.data(), segment.m_BlockFirstItem.size());
        std::vector<std::uint64_t> sizes;
        for (const Segment::Block& block : segment.m_Blocks)
            sizes.push_back(block.used);
        writer.Add(tag + SegmentBlockSizes, sizes.data(), sizes.size() * sizeof(std::uint64_t));
        writer.AddView(tag + SegmentItems, nullptr, 0);
        for (std::size_t page = 0; page * Segment::ItemPageSize < segment.m_ItemCount; ++page)
            writer.AddMore(segment.m_ItemPages[page].get(),
                           std::min(Segment::ItemPageSize, segment.m_ItemCount - page * Segment::ItemPageSize) *
                               sizeof(std::uint32_t));
        writer.AddView(tag + SegmentValues, nullptr, 0);
        for (const Segment::Block& block : segment.m_Blocks)
            writer.AddMore(block.bytes.get(), block.used);
        view(tag + SegmentShapeNames, segment.m_ShapeNames.data(), segment.m_ShapeNames.size());
        view(tag + SegmentShapeStarts, segment.m_ShapeStart.data(), segment.m_ShapeStart.size());
        view(tag + SegmentRecordShapes, segment.m_RecordShape.data(), segment.m_RecordShape.size());
        tag += SegmentStride;
    }
}

bool PropertyStore::LoadFrom(const SavedIndexReader& reader, std::uint32_t firstTag)
{
    Clear();
    SavedArray<std::uint64_t> counts;
    std::vector<std::string> names;
    if (!ArrayOf(reader, firstTag + StoreCounts, counts) || counts.count != 2 ||
        !reader.Texts(firstTag + StoreNames, names) || !NamesOf(names, m_NameNumbers) ||
        counts[1] > (0xFFFFFFFFull - firstTag - SegmentTags) / SegmentStride) {
        Clear();
        return false;
    }
    m_Names.swap(names);
    m_IndexName = FindName(IndexName);
    m_NameName = FindName(NameName);
    m_Keep = reader.Keep();
    const std::size_t segments = static_cast<std::size_t>(counts[1]);
    std::uint32_t tag = firstTag + SegmentTags;
    std::uint64_t records = 0;
    // The checks of every item and record, done on several threads once the
    // segments' counts hold together.
    struct Run {
        const std::uint32_t* ends;
        std::size_t first, end;
        std::uint64_t size;
    };
    std::vector<Run> blocks;
    struct Records {
        const std::uint32_t* firstItems;
        const std::uint32_t* shapes;
        const std::uint32_t* shapeStarts;
        std::size_t first, end;
        std::uint32_t shapeCount;
    };
    std::vector<Records> recordRuns;
    for (std::size_t k = 0; k < segments; ++k, tag += SegmentStride) {
        SavedArray<SavedSegmentCounts> one;
        Segment segment;
        SavedArray<std::uint32_t> recordFirst, blockFirst, ends, shapeNames, shapeStarts, recordShapes;
        SavedArray<std::uint64_t> blockSizes;
        const char* values = nullptr;
        std::size_t valueBytes = 0;
        bool ok = ArrayOf(reader, tag + SegmentCounts, one) && one.count == 1 && one[0].firstRecord == records &&
                  one[0].ownNames <= 1 && reader.Texts(tag + SegmentNames, segment.m_Names) &&
                  ArrayOf(reader, tag + SegmentRecordFirstItems, recordFirst) &&
                  ArrayOf(reader, tag + SegmentBlockFirstItems, blockFirst) &&
                  ArrayOf(reader, tag + SegmentBlockSizes, blockSizes) && ArrayOf(reader, tag + SegmentItems, ends) &&
                  reader.Section(tag + SegmentValues, values, valueBytes) &&
                  ArrayOf(reader, tag + SegmentShapeNames, shapeNames) &&
                  ArrayOf(reader, tag + SegmentShapeStarts, shapeStarts) &&
                  ArrayOf(reader, tag + SegmentRecordShapes, recordShapes);
        const SavedSegmentCounts* segmentCounts = one.data;
        const std::size_t recordEntries = recordFirst.count, blockEntries = blockFirst.count,
                          sizeEntries = blockSizes.count, itemCount = ends.count, shapeNameCount = shapeNames.count,
                          shapeStartCount = shapeStarts.count, recordShapeCount = recordShapes.count;
        const std::uint64_t segmentRecords = ok ? segmentCounts->records : 0;
        ok = ok && itemCount == segmentCounts->items && itemCount < NoName && blockEntries == segmentCounts->blocks &&
             sizeEntries == blockEntries && segmentRecords <= counts[0] - records &&
             (segmentRecords == 0 ? recordEntries <= 1 : recordEntries == segmentRecords + 1) &&
             recordShapeCount == segmentRecords && (itemCount == 0 || blockEntries > 0) &&
             segmentCounts->shapes < NoName &&
             shapeStartCount == (segmentCounts->shapes == 0 ? 0 : segmentCounts->shapes + 1) &&
             StartsInOrder(shapeStarts.data, shapeStartCount, shapeNameCount) &&
             StartsInOrder(recordFirst.data, recordEntries, itemCount) && (segmentRecords == 0 || shapeStartCount > 0);
        // Names: a segment's own are each the store's too; others have none.
        if (ok && segmentCounts->ownNames) {
            ok = NamesOf(segment.m_Names, segment.m_NameNumbers) && LinkNames(segment);
            segment.m_NameNumbers.clear();
        } else if (ok) {
            ok = segment.m_Names.empty();
        }
        // The shapes' names are the segment's.
        const std::uint64_t nameCount = ok && segmentCounts->ownNames ? segment.m_Names.size() : m_Names.size();
        for (std::size_t i = 0; ok && i < shapeNameCount; ++i)
            ok = shapeNames[i] < nameCount;
        // Blocks' first items in order from 0, their sizes the values' bytes.
        ok = ok && (blockEntries == 0 || StartsInOrder(blockFirst.data, blockEntries, blockFirst[blockEntries - 1])) &&
             (blockEntries == 0 || blockFirst[blockEntries - 1] <= itemCount);
        std::uint64_t total = 0;
        for (std::size_t b = 0; ok && b < blockEntries; ++b) {
            ok = blockSizes[b] <= valueBytes - total;
            total += ok ? blockSizes[b] : 0;
        }
        ok = ok && total == valueBytes;
        if (!ok) {
            Clear();
            return false;
        }
        for (std::size_t b = 0; b < blockEntries; ++b)
            blocks.push_back({ends.data, blockFirst[b], b + 1 < blockEntries ? blockFirst[b + 1] : itemCount, blockSizes[b]});
        const std::size_t run = 1 << 16;
        for (std::size_t r = 0; r < segmentRecords; r += run)
            recordRuns.push_back({recordFirst.data, recordShapes.data, shapeStarts.data, r,
                                  static_cast<std::size_t>(std::min<std::uint64_t>(r + run, segmentRecords)),
                                  static_cast<std::uint32_t>(segmentCounts->shapes)});
        segment.m_OwnNames = segmentCounts->ownNames != 0;
        segment.m_Borrowed = true;
        segment.m_FirstRecord = static_cast<std::size_t>(records);
        segment.m_IndexName = segment.m_OwnNames ? FindLocal(segment.m_Names, IndexName) : m_IndexName;
        segment.m_NameName = segment.m_OwnNames ? FindLocal(segment.m_Names, NameName) : m_NameName;
        segment.m_RecordFirstItem.Borrow(recordFirst.data, recordEntries, m_Keep);
        segment.m_RecordShape.Borrow(recordShapes.data, recordShapeCount, m_Keep);
        segment.m_ShapeNames.assign(shapeNames.data, shapeNames.data + shapeNameCount);
        segment.m_ShapeStart.assign(shapeStarts.data, shapeStarts.data + shapeStartCount);
        segment.m_BlockFirstItem.assign(blockFirst.data, blockFirst.data + blockEntries);
        // The saved bytes are only read: the pages and blocks point into
        // them without owning them.
        segment.m_ItemCount = segment.m_ItemSlots = itemCount;
        for (std::size_t page = 0; page * Segment::ItemPageSize < itemCount; ++page)
            segment.m_ItemPages.emplace_back(const_cast<std::uint32_t*>(ends.data + page * Segment::ItemPageSize),
                                             Host::LargeMemoryFree{0, true});
        std::size_t at = 0;
        for (std::size_t b = 0; b < blockEntries; ++b) {
            const std::size_t size = static_cast<std::size_t>(blockSizes[b]);
            segment.m_Blocks.push_back(
                Segment::Block{Host::LargeBlock(const_cast<char*>(values + at), Host::LargeMemoryFree{0, true}), size, size});
            at += size;
        }
        records += segmentRecords;
        m_Segments.push_back(std::move(segment));
    }
    // Every value ends in its block, after the one before it; every record
    // has a shape of as many names as it has items.
    std::atomic<bool> wrong{records != counts[0]};
    ForEachOnThreads(blocks.size() + recordRuns.size(), [&](std::size_t k) {
        if (k < blocks.size()) {
            const Run& block = blocks[k];
            if (block.first == block.end)
                return;
            std::uint32_t decreases = 0;
            for (std::size_t i = block.first + 1; i < block.end; ++i)
                decreases |= static_cast<std::uint32_t>(block.ends[i] < block.ends[i - 1]);
            if (decreases != 0 || block.ends[block.end - 1] > block.size)
                wrong = true;
            return;
        }
        const Records& run = recordRuns[k - blocks.size()];
        std::uint32_t bad = 0;
        for (std::size_t r = run.first; r < run.end; ++r) {
            const std::uint32_t shape = run.shapes[r];
            if (shape >= run.shapeCount) {
                bad = 1;
                break;
            }
            bad |= static_cast<std::uint32_t>(run.shapeStarts[shape + 1] - run.shapeStarts[shape] !=
                                              run.firstItems[r + 1] - run.firstItems[r]);
        }
        if (bad != 0)
            wrong = true;
    });
    if (wrong) {
        Clear();
        return false;
    }
    m_RecordCount = static_cast<std::size_t>(records);
    return true;
}

} // namespace VorlatImportExport
