#pragma once

// Lines and fields of a record's text, as views into it, for the molecule
// readers.

#include <string>
#include <string_view>
#include <vector>

namespace Chem {
namespace detail {

// The text's lines, without line ends (LF, CR LF, lone CR).
inline std::vector<std::string_view> SplitLines(const std::string& text)
{
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    const std::size_t n = text.size();
    while (start < n) {
        std::size_t end = start;
        while (end < n && text[end] != '\n' && text[end] != '\r')
            ++end;
        lines.emplace_back(text.data() + start, end - start);
        if (end < n && text[end] == '\r' && end + 1 < n && text[end + 1] == '\n')
            ++end;
        start = end + 1;
    }
    return lines;
}

// The line without blanks (spaces, tabs, line ends) at either end.
inline std::string_view Trimmed(std::string_view line)
{
    const std::size_t first = line.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return std::string_view();
    return line.substr(first, line.find_last_not_of(" \t\r\n") - first + 1);
}

} // namespace detail
} // namespace Chem
