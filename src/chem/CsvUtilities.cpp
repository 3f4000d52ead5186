#include "chem/CsvUtilities.h"

#include <cstring>

namespace Chem {
namespace CsvUtilities {

void GetFields(const std::string& line, std::vector<std::string>& fields) { GetFields(line, fields, ','); }

void GetFields(const std::string& line, std::vector<std::string>& fields, char separator)
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
        // Unquoted text, or what follows a closing quote, up to the separator.
        const void* c = std::memchr(p, separator, static_cast<std::size_t>(end - p));
        const char* comma = c ? static_cast<const char*>(c) : end;
        field.append(p, comma);
        fields.push_back(std::move(field));
        if (comma == end)
            return;
        p = comma + 1;
    }
}

std::size_t CountFields(const char* line, std::size_t size, char separator)
{
    if (size == 0)
        return 0;
    const char* p = line;
    const char* const end = p + size;
    std::size_t count = 1;
    for (;;) {
        if (p != end && *p == '"') {
            // A quoted field: up to its closing quote (a doubled one is
            // text), or to the end when it does not close.
            ++p;
            for (;;) {
                const void* q = std::memchr(p, '"', static_cast<std::size_t>(end - p));
                if (!q)
                    return count;
                p = static_cast<const char*>(q) + 1;
                if (p != end && *p == '"') {
                    ++p;
                    continue;
                }
                break;
            }
        }
        const void* c = std::memchr(p, separator, static_cast<std::size_t>(end - p));
        if (!c)
            return count;
        ++count;
        p = static_cast<const char*>(c) + 1;
    }
}

} // namespace CsvUtilities
} // namespace Chem
