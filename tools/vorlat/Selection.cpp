#include "Selection.h"

#include <charconv>

#include "TableFile.h"
#include "host/StringConversion.h"

namespace vorlat {

namespace {

bool ParseInt(const std::string& text, long long& value)
{
    const char* first = text.data();
    const char* last = first + text.size();
    if (first != last && *first == '+')
        ++first;
    const auto result = std::from_chars(first, last, value);
    return first != last && result.ec == std::errc() && result.ptr == last;
}

std::string Trim(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

} // namespace

std::vector<int> AllRows(int rowCount)
{
    std::vector<int> rows;
    rows.reserve(static_cast<std::size_t>(rowCount > 0 ? rowCount : 0));
    for (int row = 0; row < rowCount; ++row)
        rows.push_back(row);
    return rows;
}

std::vector<int> ParseRowSlice(const std::string& text, int rowCount)
{
    const auto colon = text.find(':');
    const std::string from = Trim(colon == std::string::npos ? text : text.substr(0, colon));
    const std::string to = Trim(colon == std::string::npos ? text : text.substr(colon + 1));
    const auto bad = [&]() {
        return UserError("--rows takes A:B with row numbers as shown (from 1, or negative from the end), not \"" +
                         text + "\"");
    };
    if (colon == std::string::npos && from.empty())
        throw bad();

    // Position n (1-based) or -n (from the end), as a 1-based row.
    const auto position = [&](const std::string& part, long long otherwise) {
        if (part.empty())
            return otherwise;
        long long value = 0;
        if (!ParseInt(part, value) || value == 0)
            throw bad();
        return value > 0 ? value : rowCount + 1 + value;
    };
    long long first = position(from, 1);
    long long last = position(to, rowCount);
    if (first < 1)
        first = 1;
    if (last > rowCount)
        last = rowCount;
    // A slice that names rows the table does not have says so rather than
    // showing nothing.
    if (first > last && rowCount > 0 && (first > rowCount || last < 1))
        throw UserError("--rows " + text + ": the table has " + std::to_string(rowCount) +
                        (rowCount == 1 ? " row" : " rows") + " (1:" + std::to_string(rowCount) + ")");

    std::vector<int> rows;
    for (long long row = first; row <= last; ++row)
        rows.push_back(static_cast<int>(row - 1));
    return rows;
}

std::vector<int> ResolveColumns(const std::vector<std::string>& names, Host::ITableDataProvider& table)
{
    const int count = table.GetColumnCount();
    std::vector<int> columns;
    if (names.empty()) {
        for (int column = 0; column < count; ++column)
            columns.push_back(column);
        return columns;
    }
    for (const std::string& name : names) {
        const std::wstring title = Host::ToWString(name);
        int found = -1;
        for (int column = 0; column < count && found < 0; ++column)
            if (table.GetColumnTitle(column) == title)
                found = column;
        long long number = 0;
        if (found < 0 && ParseInt(name, number) && number >= 0 && number < count)
            found = static_cast<int>(number);
        if (found < 0) {
            std::string known;
            for (int column = 0; column < count; ++column)
                known += (column ? ", " : "") + Host::ToSString(table.GetColumnTitle(column));
            throw UserError("no column \"" + name + "\"; the columns are: " + known);
        }
        columns.push_back(found);
    }
    return columns;
}

} // namespace vorlat
