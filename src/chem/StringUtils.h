#pragma once

#include <string>
#include <string_view>

#include "host/Export.h"

namespace Chem {
namespace StringUtils {

// True when the whole text is an integer: an optional sign and decimal
// digits, nothing else (no blanks, no hex), within the range of int. value
// is set only on success.
VORLAT_EXPORT bool StringToInteger(const std::string& text, int& value);

// True when the whole text is a decimal number: an optional sign, digits with
// an optional decimal point (at least one digit), and an optional exponent
// ("e" or "E", optional sign, digits). No blanks, no hex, no "inf" or "nan";
// a value beyond the range of float, or so small that it would round to zero,
// is refused. Independent of the locale. value is set only on success.
VORLAT_EXPORT bool StringToReal(const std::string& text, float& value);

// True when the whole text follows StringToReal's grammar, whatever its
// magnitude.
bool IsDecimalNumberText(std::string_view text);

} // namespace StringUtils
} // namespace Chem
