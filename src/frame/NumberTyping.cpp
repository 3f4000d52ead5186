#include "frame/NumberTyping.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <system_error>

#include "chem/StringUtils.h"

namespace VorlatImportExport {

namespace {

constexpr double TwoTo24 = 16777216.0;
constexpr unsigned long long TwoTo53 = 9007199254740992ULL;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsIntegerText(std::string_view text)
{
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    if (i == text.size())
        return false;
    for (; i < text.size(); ++i)
        if (!IsDigit(text[i]))
            return false;
    return true;
}

// An integer text that int cannot hold: a double while exact, else nothing.
bool TypeLongInteger(std::string_view text, boost::any& value)
{
    const bool negative = text[0] == '-';
    std::size_t i = (text[0] == '+' || text[0] == '-') ? 1 : 0;
    while (i + 1 < text.size() && text[i] == '0')
        ++i;
    unsigned long long magnitude = 0;
    const std::from_chars_result result = std::from_chars(text.data() + i, text.data() + text.size(), magnitude);
    if (result.ec != std::errc() || magnitude > TwoTo53)
        return false;
    const double exact = static_cast<double>(magnitude);
    value = negative ? -exact : exact;
    return true;
}

} // namespace

bool TypeNumberText(std::string_view text, boost::any& value)
{
    if (text.empty())
        return false;
    if (IsIntegerText(text)) {
        int integer = 0;
        if (Chem::StringUtils::StringToInteger(std::string(text), integer)) {
            value = integer;
            return true;
        }
        return TypeLongInteger(text, value);
    }
    if (!Chem::StringUtils::IsDecimalNumberText(text))
        return false;
    // from_chars takes no leading '+'.
    const char* first = text.data() + (text[0] == '+' ? 1 : 0);
    const char* last = text.data() + text.size();
    double number = 0;
    const std::from_chars_result result = std::from_chars(first, last, number, std::chars_format::general);
    if (result.ec != std::errc() || result.ptr != last)
        return false;
    const double magnitude = std::fabs(number);
    if (magnitude >= TwoTo24 || (magnitude != 0 && magnitude < std::numeric_limits<float>::min())) {
        value = number;
        return true;
    }
    // Read as float from the text itself, not from the double, so the value
    // is the float nearest to what the file holds.
    float single = 0;
    const std::from_chars_result asFloat = std::from_chars(first, last, single, std::chars_format::general);
    if (asFloat.ec != std::errc() || asFloat.ptr != last)
        return false;
    value = single;
    return true;
}

} // namespace VorlatImportExport
