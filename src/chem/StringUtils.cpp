#include "chem/StringUtils.h"

#include <charconv>
#include <system_error>

namespace Chem {
namespace StringUtils {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Skips one leading '+', which from_chars does not take; a '-' stays, since
// from_chars reads it. Returns the start of the text for from_chars.
const char* SkipPlus(const char* first, const char* last)
{
    if (first != last && *first == '+')
        ++first;
    return first;
}

// [+-]? (digits [. digits?] | . digits) ([eE] [+-]? digits)?
bool IsDecimalNumber(const char* p, const char* last)
{
    if (p != last && (*p == '+' || *p == '-'))
        ++p;
    bool digits = false;
    while (p != last && IsDigit(*p)) {
        ++p;
        digits = true;
    }
    if (p != last && *p == '.') {
        ++p;
        while (p != last && IsDigit(*p)) {
            ++p;
            digits = true;
        }
    }
    if (!digits)
        return false;
    if (p != last && (*p == 'e' || *p == 'E')) {
        ++p;
        if (p != last && (*p == '+' || *p == '-'))
            ++p;
        if (p == last || !IsDigit(*p))
            return false;
        while (p != last && IsDigit(*p))
            ++p;
    }
    return p == last;
}

} // namespace

bool IsDecimalNumberText(std::string_view text) { return IsDecimalNumber(text.data(), text.data() + text.size()); }

bool StringToInteger(const std::string& text, int& value)
{
    const char* first = text.data();
    const char* last = first + text.size();
    const char* p = first;
    if (p != last && (*p == '+' || *p == '-'))
        ++p;
    if (p == last)
        return false;
    for (const char* q = p; q != last; ++q)
        if (!IsDigit(*q))
            return false;
    int parsed = 0;
    const std::from_chars_result result = std::from_chars(SkipPlus(first, last), last, parsed);
    if (result.ec != std::errc() || result.ptr != last)
        return false;
    value = parsed;
    return true;
}

bool StringToReal(const std::string& text, float& value)
{
    const char* first = text.data();
    const char* last = first + text.size();
    if (!IsDecimalNumber(first, last))
        return false;
    float parsed = 0;
    const std::from_chars_result result =
        std::from_chars(SkipPlus(first, last), last, parsed, std::chars_format::general);
    if (result.ec != std::errc() || result.ptr != last)
        return false;
    value = parsed;
    return true;
}

} // namespace StringUtils
} // namespace Chem
