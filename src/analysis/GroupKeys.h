#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace VorlatImportExport {

// The distinct group texts of one grouping column in code unit order (wide
// texts compared unit by unit as unsigned numbers, as
// Host::TableDataProviderUtilities::Compare orders texts). A group is known
// by its position in that order, which is also the order of the analyzer's
// answers for all groups.
//
// The texts lie end to end in one pool, each code unit in 1, 2 or 4 bytes:
// the fewest that hold the largest unit of any text. Identifiers are mostly
// ASCII, so a million of them take a byte a character and an end offset each.
class GroupKeys {
public:
    static constexpr std::size_t npos = static_cast<std::size_t>(-1);

    // Numbers the texts met during an analysis pass in order of first sight:
    // a hash table over a pool of the texts, no node or string per text.
    class Numbering {
    public:
        // The text's number; a new text gets the next one.
        std::uint32_t Number(std::wstring_view text);
        std::size_t Size() const { return m_Ends.size(); }
        std::wstring_view Text(std::size_t number) const
        {
            const std::size_t start = Start(number);
            return std::wstring_view(m_Pool.data() + start, m_Ends[number] - start);
        }
        // Every text once, end to end.
        std::wstring_view Pool() const { return m_Pool; }
        // The numbers in the code unit order of their texts.
        std::vector<std::uint32_t> SortedOrder() const;

    private:
        void Grow();
        std::size_t Start(std::size_t number) const { return number == 0 ? 0 : m_Ends[number - 1]; }

        std::wstring m_Pool;
        std::vector<std::size_t> m_Ends;
        std::vector<std::uint32_t> m_Slots; // number + 1; 0: free
    };

    // The texts of a numbering, in the order of SortedOrder().
    GroupKeys(const Numbering& numbering, const std::vector<std::uint32_t>& order);

    std::size_t Size() const { return m_Ends.size(); }
    // The position of the text, or npos.
    std::size_t Find(std::wstring_view text) const;

private:
    std::size_t Start(std::size_t position) const { return position == 0 ? 0 : m_Ends[position - 1]; }

    std::variant<std::vector<std::uint8_t>, std::vector<std::uint16_t>, std::vector<std::uint32_t>> m_Units;
    std::vector<std::size_t> m_Ends;
};

} // namespace VorlatImportExport
