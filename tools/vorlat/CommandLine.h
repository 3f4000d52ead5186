#pragma once

// What the subcommands share: how a command line names a file, rows,
// columns and values, how tables are printed, and the subcommands
// themselves, one file each (a new subcommand is one new file and one line
// in main.cpp).
#include <functional>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "Render.h"
#include "TableFile.h"
#include "host/ITableDataProvider.h"

namespace vorlat {

// A subcommand: its place in the command line, and what it does once the
// line is parsed (the exit status; UserError for what the user can mend).
struct Command {
    CLI::App* app;
    std::function<int()> run;
};

Command AddShowCommand(CLI::App& app);
Command AddInfoCommand(CLI::App& app);
Command AddQueryCommand(CLI::App& app);
Command AddGroupCommand(CLI::App& app);
Command AddExportCommand(CLI::App& app);
Command AddFilterCommand(CLI::App& app);

// The options that say how to open FILE, for every subcommand.
void AddOpenOptions(CLI::App* command, OpenOptions& open);
// The required FILE and the options that say how to open it.
void AddFileOptions(CLI::App* command, std::string& file, OpenOptions& open);
// --columns, --format and --width of the subcommands that print tables.
void AddViewOptions(CLI::App* command, std::vector<std::string>& columns, std::string& format, int& width);
// How many letters must be added, dropped or changed to make b of a.
std::size_t EditDistance(const std::string& a, const std::string& b);
// The option of the command closest to a mistyped one ("--row" for
// "--rows"): at most two letters added, dropped or changed; "" when none is.
std::string ClosestOption(const CLI::App& command, const std::string& typed);

// Prints a table slice in the chosen format (text, csv, json) on standard
// output.
void Print(const TableSlice& slice, const std::string& format, int width, const std::string& caption);
// The column of SMILES texts of a table without structures: the one titled
// SMILES (in any case), else the first whose title has it; -1 when none.
int FindSmilesColumn(Host::ITableDataProvider& table);
// The same, or the column named; UserError when there is none.
int SmilesColumn(Host::ITableDataProvider& table, const std::string& named);
// Leaves out of the slice an "Index" column that only repeats the row
// titles beside it (for the text view; the data formats keep it).
void HideRepeatedIndex(TableSlice& slice);
// A comma list; "\\," is a comma inside a text.
std::vector<std::string> Split(const std::string& text);
// A value the user typed, read as a cell is and written back as a cell's
// text: "2.0" finds a cell that holds 2, "1e5" one that holds 100000.
std::wstring AsCellText(const std::string& typed);
std::vector<std::wstring> AsCellTexts(const std::vector<std::string>& texts);
// The column a title or number names; UserError when none does.
int OneColumn(const std::string& name, Host::ITableDataProvider& table);

} // namespace vorlat
