#include "validation/DataValidator.h"

#include <charconv>
#include <cstdlib>
#include <cstring>
#include <system_error>

#include "host/CfxLocalizationEnabler.h"

namespace VorlatImportExport {

namespace {

const char* const TooBigMessage = "The number is too big.";

// The longest integer text accepted: nine digits always fit in an int.
const std::size_t MaxIntegerLength = 9;
// A float text this long is refused whatever its value.
const std::size_t MinOutOfRangeFloatLength = 39;
const double LargestFloat = 3.4e38;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsSign(char c) { return c == '+' || c == '-'; }
bool IsExponent(char c) { return c == 'e' || c == 'E'; }

std::size_t Length(const char* text) { return text ? std::strlen(text) : 0; }

// The value of the longest number at the start of text, read as atof reads
// it under "C" conventions (leading white space skipped; 0 when no number
// starts there), without depending on the user's locale.
double LeadingValue(const char* text)
{
    const char* p = text;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
        ++p;
    const char* last = p + std::strlen(p);
    const char* start = p;
    if (*start == '+') {
        ++start;
        if (*start == '-' || *start == '+')
            return 0;
    }
    double value = 0;
    const std::from_chars_result result = std::from_chars(start, last, value, std::chars_format::general);
    if (result.ec == std::errc::invalid_argument)
        return 0;
    if (result.ec == std::errc::result_out_of_range) {
        // Overflow or underflow: atof itself tells which, read under "C".
        Host::CfxLocalizationEnabler numericConventions(0, "C");
        return std::atof(p);
    }
    return value;
}

} // namespace

DataValidator::~DataValidator() = default;

std::string DataValidator::GetErrorMessage(const char*) const { return std::string(); }

// --- integers ---------------------------------------------------------------

UnboundedIntegerDataValidator::~UnboundedIntegerDataValidator() = default;

bool UnboundedIntegerDataValidator::AllowCharacter(unsigned int c) const
{
    return c == 8 || c == '+' || c == '-' || (c >= '0' && c <= '9');
}

DataValidator::ValidationState UnboundedIntegerDataValidator::GetValidationState(const char* text) const
{
    if (Length(text) > MaxIntegerLength)
        return Invalid;
    const std::string copy = text ? text : "";
    ValidationState result = Intermediate;
    int phase = 0;
    for (std::size_t i = 0; i < copy.size();) {
        const char c = copy[i];
        if (phase == 0) {
            if (IsBlank(c)) {
                ++i;
            } else if (IsSign(c)) {
                result = Intermediate;
                phase = 1;
                ++i;
            } else if (IsDigit(c)) {
                result = Acceptable;
                phase = 1; // the digit is read again in phase 1
            } else {
                return Invalid;
            }
        } else {
            if (!IsDigit(c))
                return Invalid;
            result = Acceptable;
            ++i;
        }
    }
    return result;
}

std::string UnboundedIntegerDataValidator::GetErrorMessage(const char* text) const
{
    return Length(text) > MaxIntegerLength ? TooBigMessage : std::string();
}

// --- floats -----------------------------------------------------------------

UnboundedFloatDataValidator::~UnboundedFloatDataValidator() = default;

bool UnboundedFloatDataValidator::AllowCharacter(unsigned int c) const
{
    return c == 8 || c == '+' || c == '-' || c == '.' || (c >= '0' && c <= '9') || c == 'E' || c == 'e';
}

bool UnboundedFloatDataValidator::ValueOutOfRange(const char* text) const
{
    if (Length(text) >= MinOutOfRangeFloatLength)
        return true;
    // Read under "C" conventions: with a comma as decimal separator, "4.5e38"
    // would otherwise read as 4 and pass.
    return LeadingValue(text ? text : "") > LargestFloat;
}

DataValidator::ValidationState UnboundedFloatDataValidator::GetValidationState(const char* text) const
{
    if (ValueOutOfRange(text))
        return Invalid;
    const std::string copy = text ? text : "";
    ValidationState result = Intermediate;
    // 0 start, 1 integer part, 2 fraction, 3 after the exponent letter, 4 exponent
    int phase = 0;
    for (std::size_t i = 0; i < copy.size();) {
        const char c = copy[i];
        switch (phase) {
        case 0:
            if (IsBlank(c)) {
                ++i;
            } else if (IsSign(c)) {
                result = Intermediate;
                phase = 1;
                ++i;
            } else if (c == '.') {
                result = Intermediate;
                phase = 2;
                ++i;
            } else if (IsDigit(c)) {
                phase = 1; // read again in phase 1
            } else {
                return Invalid;
            }
            break;
        case 1:
            if (IsDigit(c)) {
                result = Acceptable;
            } else if (c == '.') {
                result = Acceptable;
                phase = 2;
            } else if (IsExponent(c)) {
                result = Intermediate;
                phase = 3;
            } else {
                return Invalid;
            }
            ++i;
            break;
        case 2:
            if (IsDigit(c)) {
                result = Acceptable;
            } else if (IsExponent(c)) {
                result = Intermediate;
                phase = 3;
            } else {
                return Invalid;
            }
            ++i;
            break;
        case 3:
            if (IsSign(c)) {
                result = Intermediate;
                phase = 4;
                ++i;
            } else if (IsDigit(c)) {
                phase = 4; // read again in phase 4
            } else {
                return Invalid;
            }
            break;
        default:
            if (!IsDigit(c))
                return Invalid;
            result = Acceptable;
            ++i;
            break;
        }
    }
    return result;
}

std::string UnboundedFloatDataValidator::GetErrorMessage(const char* text) const
{
    return ValueOutOfRange(text) ? TooBigMessage : std::string();
}

} // namespace VorlatImportExport
