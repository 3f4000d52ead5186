#include "analysis/GroupKeys.h"

#include <algorithm>
#include <functional>
#include <type_traits>

namespace VorlatImportExport {

namespace {

// A code unit as the unsigned number it is, whatever its storage type.
template <class Unit>
std::uint32_t Code(Unit unit)
{
    return static_cast<std::make_unsigned_t<Unit>>(unit);
}

// Code unit order of two texts whose units may be stored in different widths.
template <class A, class B>
int CompareUnits(const A* a, std::size_t aSize, const B* b, std::size_t bSize)
{
    const std::size_t n = std::min(aSize, bSize);
    for (std::size_t i = 0; i < n; ++i)
        if (Code(a[i]) != Code(b[i]))
            return Code(a[i]) < Code(b[i]) ? -1 : 1;
    return aSize < bSize ? -1 : (aSize > bSize ? 1 : 0);
}

std::size_t Hash(std::wstring_view text) { return std::hash<std::wstring_view>()(text); }

// Bytes a unit needs to hold every unit of the texts: 1, 2 or 4.
unsigned UnitBytes(std::wstring_view texts)
{
    std::uint32_t largest = 0;
    for (const wchar_t unit : texts)
        largest = std::max(largest, Code(unit));
    return largest <= 0xFF ? 1 : (largest <= 0xFFFF ? 2 : 4);
}

} // namespace

std::uint32_t GroupKeys::Numbering::Number(std::wstring_view text)
{
    // Linear probing, at most half full.
    if (2 * (Size() + 1) > m_Slots.size())
        Grow();
    const std::size_t mask = m_Slots.size() - 1;
    for (std::size_t at = Hash(text) & mask;; at = (at + 1) & mask) {
        std::uint32_t& slot = m_Slots[at];
        if (slot == 0) {
            m_Pool.append(text);
            m_Ends.push_back(m_Pool.size());
            slot = static_cast<std::uint32_t>(Size());
            return slot - 1;
        }
        if (Text(slot - 1) == text)
            return slot - 1;
    }
}

void GroupKeys::Numbering::Grow()
{
    m_Slots.assign(std::max<std::size_t>(64, 2 * m_Slots.size()), 0);
    const std::size_t mask = m_Slots.size() - 1;
    for (std::size_t number = 0; number < Size(); ++number) {
        std::size_t at = Hash(Text(number)) & mask;
        while (m_Slots[at] != 0)
            at = (at + 1) & mask;
        m_Slots[at] = static_cast<std::uint32_t>(number + 1);
    }
}

std::vector<std::uint32_t> GroupKeys::Numbering::SortedOrder() const
{
    // Each text's first units, packed most significant first into two
    // words (zeros after its end, which order before every unit), decide
    // most comparisons without reaching into the pool; texts with equal
    // prefixes are compared whole.
    struct Entry {
        std::uint64_t high, low;
        std::uint32_t number;
    };
    const unsigned bits = 8 * UnitBytes(m_Pool);
    const std::size_t perWord = 64 / bits;
    std::vector<Entry> entries(Size());
    for (std::size_t number = 0; number < Size(); ++number) {
        const std::wstring_view text = Text(number);
        Entry& entry = entries[number];
        entry = Entry{0, 0, static_cast<std::uint32_t>(number)};
        for (std::size_t i = 0; i < 2 * perWord; ++i) {
            std::uint64_t& word = i < perWord ? entry.high : entry.low;
            word = (word << bits) | (i < text.size() ? Code(text[i]) : 0u);
        }
    }
    std::sort(entries.begin(), entries.end(), [this](const Entry& a, const Entry& b) {
        if (a.high != b.high || a.low != b.low)
            return a.high != b.high ? a.high < b.high : a.low < b.low;
        const std::wstring_view x = Text(a.number);
        const std::wstring_view y = Text(b.number);
        return CompareUnits(x.data(), x.size(), y.data(), y.size()) < 0;
    });
    std::vector<std::uint32_t> order(Size());
    for (std::size_t at = 0; at < order.size(); ++at)
        order[at] = entries[at].number;
    return order;
}

GroupKeys::GroupKeys(const Numbering& numbering, const std::vector<std::uint32_t>& order)
{
    const auto pack = [&](auto units) {
        using Unit = typename decltype(units)::value_type;
        units.reserve(numbering.Pool().size());
        m_Ends.reserve(order.size());
        for (const std::uint32_t number : order) {
            for (const wchar_t unit : numbering.Text(number))
                units.push_back(static_cast<Unit>(Code(unit)));
            m_Ends.push_back(units.size());
        }
        m_Units = std::move(units);
    };
    switch (UnitBytes(numbering.Pool())) {
    case 1:
        pack(std::vector<std::uint8_t>());
        break;
    case 2:
        pack(std::vector<std::uint16_t>());
        break;
    default:
        pack(std::vector<std::uint32_t>());
    }
}

std::size_t GroupKeys::Find(std::wstring_view text) const
{
    return std::visit(
        [&](const auto& units) {
            // Binary search over the positions.
            std::size_t low = 0, high = Size();
            while (low < high) {
                const std::size_t middle = low + (high - low) / 2;
                const std::size_t start = Start(middle);
                const int order =
                    CompareUnits(units.data() + start, m_Ends[middle] - start, text.data(), text.size());
                if (order == 0)
                    return middle;
                if (order < 0)
                    low = middle + 1;
                else
                    high = middle;
            }
            return npos;
        },
        m_Units);
}

} // namespace VorlatImportExport
