#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "host/Export.h"

namespace Chem {
namespace CsvUtilities {

// Appends the fields of one comma-separated line to fields, in order, and
// keeps what the list already holds. A field that starts with a double quote
// is quoted: it runs to the closing quote, "" inside it stands for one quote,
// and a comma inside it is text; text between the closing quote and the next
// comma is kept as written. Blanks around fields are kept. A quote that is
// never closed runs to the end of the line. An empty line appends no field;
// "a," appends "a" and an empty field.
VORLAT_EXPORT void GetFields(const std::string& line, std::vector<std::string>& fields);
// The same for a line whose fields another byte separates (';', tab, '|').
VORLAT_EXPORT void GetFields(const std::string& line, std::vector<std::string>& fields, char separator);
// How many fields GetFields would append for the line.
VORLAT_EXPORT std::size_t CountFields(const char* line, std::size_t size, char separator);

} // namespace CsvUtilities
} // namespace Chem
