#include "Render.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cwchar>
#include <map>
#include <sys/ioctl.h>
#include <unistd.h>

#include <nlohmann/json.hpp>

#include "host/CfxFormat.h"
#include "host/StringConversion.h"
#include "host/TableDataProviderUtilities.h"
#include "TableFile.h"

namespace vorlat {

namespace {

// Widths are measured on this many rows; later rows are cut to fit.
const std::size_t MeasuredRows = 1000;
// No column grows wider than this many cells before the terminal is
// considered (with a width of 0, no limit at all).
const int MaxColumnWidth = 40;
// Columns shrink no further than this when the terminal is narrow.
const int MinColumnWidth = 6;
const char* const Gap = "  ";
const int GapWidth = 2;

// Text safe for a terminal cell: every character takes its place.
std::wstring Displayable(const std::wstring& text)
{
    std::wstring out;
    out.reserve(text.size());
    for (wchar_t c : text) {
        const auto code = static_cast<unsigned long>(c);
        if (code >= 0xD800 && code <= 0xDFFF)
            out += L'\uFFFD'; // a byte that is not UTF-8
        else if (code < 0x20)
            out += static_cast<wchar_t>(0x2400 + code); // control pictures
        else if (code == 0x7F)
            out += L'\u2421';
        else
            out += c;
    }
    return out;
}

int CharWidth(wchar_t c)
{
    const int w = ::wcwidth(c);
    return w < 0 ? 1 : w;
}

int DisplayWidth(const std::wstring& text)
{
    int width = 0;
    for (wchar_t c : text)
        width += CharWidth(c);
    return width;
}

// text cut to at most width cells, an ellipsis marking the cut; used tells
// how many cells the result takes.
std::wstring Fit(const std::wstring& text, int width, int& used)
{
    used = DisplayWidth(text);
    if (used <= width)
        return text;
    std::wstring out;
    used = 0;
    for (wchar_t c : text) {
        const int w = CharWidth(c);
        if (used + w > width - 1)
            break;
        out += c;
        used += w;
    }
    out += L'\u2026';
    ++used;
    return out;
}

std::string Pad(const std::wstring& text, int width, bool right)
{
    int used = 0;
    std::wstring fitted = Fit(text, width, used);
    const std::wstring padding(static_cast<std::size_t>(std::max(0, width - used)), L' ');
    return Host::ToSString(right ? padding + fitted : fitted + padding);
}

} // namespace

int TerminalWidth(int fallback)
{
    winsize size{};
    if (isatty(STDOUT_FILENO) && ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    if (const char* columns = std::getenv("COLUMNS")) {
        const int value = std::atoi(columns);
        if (value > 0)
            return value;
    }
    return fallback;
}

void RenderText(std::ostream& out, const TableSlice& slice, int width, const std::string& caption)
{
    Host::ITableDataProvider& table = slice.table;
    const std::size_t columnCount = slice.columns.size();
    const std::size_t measured = std::min(slice.rows.size(), MeasuredRows);

    // Column 0 of the layout holds the row titles.
    std::vector<std::wstring> titles(1);
    std::vector<int> widths(1, 0);
    std::vector<bool> numeric(1, true);
    for (int column : slice.columns) {
        titles.push_back(Displayable(table.GetColumnTitle(column)));
        widths.push_back(DisplayWidth(titles.back()));
        numeric.push_back(true);
    }
    std::vector<bool> seenValue(columnCount + 1, false);
    for (std::size_t i = 0; i < measured; ++i) {
        const int row = slice.rows[i];
        widths[0] = std::max(widths[0], DisplayWidth(Displayable(slice.RowTitle(i))));
        for (std::size_t j = 0; j < columnCount; ++j) {
            const boost::any value = table.GetCellData(row, slice.columns[j]);
            const std::wstring text = Displayable(CellText(value));
            widths[j + 1] = std::max(widths[j + 1], DisplayWidth(text));
            if (!text.empty()) {
                seenValue[j + 1] = true;
                if (!Host::TableDataProviderUtilities::IsNumeric(value))
                    numeric[j + 1] = false;
            }
        }
    }
    for (std::size_t j = 1; j <= columnCount; ++j) {
        widths[j] = std::max(widths[j], 1);
        if (width > 0)
            widths[j] = std::min(widths[j], MaxColumnWidth);
        numeric[j] = numeric[j] && seenValue[j];
    }

    // Shrink the widest columns until the line fits; drop the columns on the
    // right that still do not.
    const auto total = [&](std::size_t n) {
        int sum = 0;
        for (std::size_t j = 0; j < n; ++j)
            sum += widths[j] + (j ? GapWidth : 0);
        return sum;
    };
    std::size_t shown = columnCount + 1;
    if (width > 0) {
        while (total(shown) > width) {
            auto widest = std::max_element(widths.begin() + 1, widths.begin() + static_cast<long>(shown));
            if (widest == widths.begin() + static_cast<long>(shown) || *widest <= MinColumnWidth)
                break;
            --*widest;
        }
        while (shown > 2 && total(shown) > width)
            --shown;
    }

    if (!caption.empty())
        out << caption << '\n';
    std::string line;
    for (std::size_t j = 0; j < shown; ++j) {
        line += (j ? Gap : "") + Pad(titles[j], widths[j], numeric[j] && j > 0);
    }
    out << line.erase(line.find_last_not_of(' ') + 1) << '\n';
    line.clear();
    for (std::size_t j = 0; j < shown; ++j)
        line += (j ? Gap : "") + std::string(static_cast<std::size_t>(widths[j]), '-');
    out << line << '\n';

    for (std::size_t i = 0; i < slice.rows.size(); ++i) {
        const int row = slice.rows[i];
        line = Pad(Displayable(slice.RowTitle(i)), widths[0], true);
        for (std::size_t j = 1; j < shown; ++j) {
            const std::wstring text = Displayable(CellText(table.GetCellData(row, slice.columns[j - 1])));
            line += Gap + Pad(text, widths[j], numeric[j]);
        }
        out << line.erase(line.find_last_not_of(' ') + 1) << '\n';
    }
    if (shown < columnCount + 1)
        out << "(" << columnCount + 1 - shown
            << " more columns not shown: choose columns with --columns, or use --format csv)\n";
}

namespace {

void WriteCsvField(std::ostream& out, const std::string& field)
{
    if (field.find_first_of(",\"\r\n") == std::string::npos) {
        out << field;
        return;
    }
    out << '"';
    for (char c : field) {
        if (c == '"')
            out << '"';
        out << c;
    }
    out << '"';
}

} // namespace

void TableSlice::RowReached(std::size_t i) const
{
    if (!progress || i % 256 != 0)
        return;
    progress->SetProgress(static_cast<double>(i) / static_cast<double>(rows.size()));
    if (progress->IsCancelled())
        throw UserError("writing was cancelled");
}

void RenderCsv(std::ostream& out, const TableSlice& slice)
{
    for (std::size_t j = 0; j < slice.columns.size(); ++j) {
        if (j)
            out << ',';
        WriteCsvField(out, Host::ToSString(slice.table.GetColumnTitle(slice.columns[j])));
    }
    out << '\n';
    for (std::size_t i = 0; i < slice.rows.size(); ++i) {
        slice.RowReached(i);
        const int row = slice.rows[i];
        for (std::size_t j = 0; j < slice.columns.size(); ++j) {
            if (j)
                out << ',';
            WriteCsvField(out, Host::ToSString(CellText(slice.table.GetCellData(row, slice.columns[j]))));
        }
        out << '\n';
    }
}

namespace {

nlohmann::ordered_json JsonValue(const boost::any& value)
{
    const std::type_info& type = value.type();
    if (type == typeid(int))
        return boost::any_cast<int>(value);
    if (type == typeid(float) || type == typeid(double)) {
        // Through the shortest text, so a float 0.1 prints as 0.1 and not as
        // the double nearest to it.
        const std::string text = Host::ToSString(CellText(value));
        double number = 0;
        const auto result = std::from_chars(text.data(), text.data() + text.size(), number);
        if (result.ec != std::errc() || !std::isfinite(number))
            return text;
        // Whole numbers (long IDs held as double) as JSON integers: 123456789012,
        // not 123456789012.0.
        if (std::fabs(number) <= 9007199254740992.0 && std::trunc(number) == number)
            return static_cast<std::int64_t>(number);
        return number;
    }
    if (value.empty())
        return nullptr;
    return Host::ToSString(CellText(value));
}

} // namespace

void RenderJson(std::ostream& out, const TableSlice& slice)
{
    std::vector<std::string> keys;
    std::map<std::string, int> seen;
    for (int column : slice.columns) {
        std::string key = Host::ToSString(slice.table.GetColumnTitle(column));
        const int count = ++seen[key];
        if (count > 1)
            key += " (" + std::to_string(count) + ")";
        keys.push_back(key);
    }
    out << '[';
    bool first = true;
    for (std::size_t i = 0; i < slice.rows.size(); ++i) {
        slice.RowReached(i);
        const int row = slice.rows[i];
        nlohmann::ordered_json object = nlohmann::ordered_json::object();
        for (std::size_t j = 0; j < slice.columns.size(); ++j)
            object[keys[j]] = JsonValue(slice.table.GetCellData(row, slice.columns[j]));
        out << (first ? "\n" : ",\n") << object.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
        first = false;
    }
    out << (first ? "]\n" : "\n]\n");
}

} // namespace vorlat
