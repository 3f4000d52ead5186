// The text helpers: CSV field splitting and SD data item headers.
#include <string>
#include <vector>

#include "chem/CsvUtilities.h"
#include "chem/MolUtilities.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> fields{"kept"};
    Chem::CsvUtilities::GetFields(text, fields);
    if (fields.empty() || fields.front() != "kept")
        __builtin_trap();
    // Joined again with commas, unquoted fields give back the line.
    const std::size_t newline = text.find('\n');
    std::string name, value;
    const std::string header = text.substr(0, newline);
    const std::string rest = newline == std::string::npos ? std::string() : text.substr(newline + 1);
    if (Chem::ExtractPropertyDataItem(header, rest, name, value) && (name.empty() || value != rest))
        __builtin_trap();
    return 0;
}
