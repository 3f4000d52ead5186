#include "CommandLine.h"

#include <algorithm>
#include <cctype>
#include <iostream>

#include "Selection.h"
#include "frame/TableDataUtil.h"
#include "host/StringConversion.h"

namespace vorlat {

void AddOpenOptions(CLI::App* command, OpenOptions& open)
{
    command->add_option("--type", open.type, "The file's type, whatever its name")
        ->check(CLI::IsMember({"csv", "quenbar", "sd", "sdf", "mol2"}));
    command->add_option("--separator", open.separator,
                        "CSV: the byte between fields: , ; tab or | (default: found from the first lines)");
    command->add_flag("--no-titles", open.noTitles,
                      "CSV: the first line is a row, and the columns are titled Column 1, Column 2, ...");
    command->add_option("--comment", open.comment,
                        "CSV: pass over the lines before the titles that begin with this text (such as #)");
    command->add_flag("--extra-columns", open.extraColumns,
                      "CSV: fields beyond the titles get columns of their own (reads the file once more)");
    command->add_flag("--no-cache", open.noCache,
                      "Index the file afresh, without the saved index in the cache folder and without saving one");
}

void AddViewOptions(CLI::App* command, std::vector<std::string>& columns, std::string& format, int& width)
{
    command->add_option("--columns", columns, "Columns to show, by title or 0-based number: id,name or 1,3")
        ->delimiter(',');
    command->add_option("--format", format, "text (aligned columns), csv or json")
        ->check(CLI::IsMember({"text", "csv", "json"}));
    command->add_option("--width", width,
                        "Width of the text table in characters (default: the terminal's; 0: no limit at all)");
}

std::size_t EditDistance(const std::string& a, const std::string& b)
{
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

void AddFileOptions(CLI::App* command, std::string& file, OpenOptions& open)
{
    command->add_option("FILE", file, "The file to open")->required();
    AddOpenOptions(command, open);
}

std::string ClosestOption(const CLI::App& command, const std::string& typed)
{
    if (typed.size() < 3 || typed.compare(0, 2, "--") != 0)
        return std::string();
    const std::string word = typed.substr(0, typed.find('='));
    std::string best;
    std::size_t bestDistance = 3;
    for (const CLI::Option* option : command.get_options()) {
        for (const std::string& name : option->get_lnames()) {
            const std::size_t d = EditDistance(word, "--" + name);
            if (d < bestDistance) {
                bestDistance = d;
                best = "--" + name;
            }
        }
    }
    return best;
}

void Print(const TableSlice& slice, const std::string& format, int width, const std::string& caption)
{
    if (format == "csv")
        RenderCsv(std::cout, slice);
    else if (format == "json")
        RenderJson(std::cout, slice);
    else
        RenderText(std::cout, slice, width >= 0 ? width : TerminalWidth(120), caption);
    std::cout.flush();
    if (!std::cout)
        throw UserError("could not write the output");
}

int FindSmilesColumn(Host::ITableDataProvider& table)
{
    int found = -1;
    for (int column = 0; column < table.GetColumnCount(); ++column) {
        std::string title = Host::ToSString(table.GetColumnTitle(column));
        for (char& c : title)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (title == "smiles")
            return column;
        if (found < 0 && title.find("smiles") != std::string::npos)
            found = column;
    }
    return found;
}

int SmilesColumn(Host::ITableDataProvider& table, const std::string& named)
{
    if (!named.empty())
        return OneColumn(named, table);
    const int found = FindSmilesColumn(table);
    if (found < 0)
        throw UserError("no column of SMILES found (a title such as SMILES or canonical_smiles); name it with "
                        "--smiles-column");
    return found;
}

void HideRepeatedIndex(TableSlice& slice)
{
    int index = -1;
    for (const int column : slice.columns)
        if (slice.table.GetColumnTitle(column) == L"Index")
            index = column;
    bool repeats = index >= 0 && !slice.rows.empty();
    for (std::size_t i = 0; repeats && i < slice.rows.size(); ++i)
        repeats = CellText(slice.table.GetCellData(slice.rows[i], index)) == slice.RowTitle(i);
    if (repeats)
        slice.columns.erase(std::remove(slice.columns.begin(), slice.columns.end(), index), slice.columns.end());
}

std::vector<std::string> Split(const std::string& text)
{
    std::vector<std::string> parts(1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == ',')
            parts.back() += text[++i];
        else if (text[i] == ',')
            parts.emplace_back();
        else
            parts.back() += text[i];
    }
    return parts;
}

std::wstring AsCellText(const std::string& typed)
{
    return VorlatImportExport::TableDataUtil::BoostAny2WString(
        VorlatImportExport::TableDataUtil::SStringToBoostAny(typed));
}

std::vector<std::wstring> AsCellTexts(const std::vector<std::string>& texts)
{
    std::vector<std::wstring> wide;
    for (const std::string& text : texts)
        wide.push_back(AsCellText(text));
    return wide;
}

int OneColumn(const std::string& name, Host::ITableDataProvider& table)
{
    return ResolveColumns({name}, table).front();
}

} // namespace vorlat
