#include "chem/CsvUtilities.h"

#include <cstring>

namespace Chem {
namespace CsvUtilities {

void GetFields(const std::string& line, std::vector<std::string>& fields)
{
    if (line.empty())
        return;
    const char* p = line.data();
    const char* const end = p + line.size();
    for (;;) {
        std::string field;
        if (p != end && *p == '"') {
            ++p;
            for (;;) {
                const void* q = std::memchr(p, '"', static_cast<std::size_t>(end - p));
                if (!q) {
                    // Unterminated: the rest of the line belongs to the field.
                    field.append(p, end);
                    p = end;
                    break;
                }
                const char* quote = static_cast<const char*>(q);
                field.append(p, quote);
                p = quote + 1;
                if (p != end && *p == '"') {
                    field += '"';
                    ++p;
                    continue;
                }
                break;
            }
        }
        // Unquoted text, or what follows a closing quote, up to the comma.
        const void* c = std::memchr(p, ',', static_cast<std::size_t>(end - p));
        const char* comma = c ? static_cast<const char*>(c) : end;
        field.append(p, comma);
        fields.push_back(std::move(field));
        if (comma == end)
            return;
        p = comma + 1;
    }
}

} // namespace CsvUtilities
} // namespace Chem
