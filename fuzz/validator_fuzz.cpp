// Both validators against plain reference checks of what they accept.
#include <cstring>
#include <string>

#include "chem/StringUtils.h"
#include "validation/DataValidator.h"

namespace {

std::string WithoutLeadingBlanks(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    return first == std::string::npos ? std::string() : text.substr(first);
}

// [+-]? digits? (. digits?)? ([eE] [+-]? digits)?, with at least a sign, a
// digit or a point before any exponent: the float validator's grammar.
bool FloatShape(const std::string& text)
{
    std::size_t i = 0;
    const std::size_t n = text.size();
    bool lead = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        ++i;
        lead = true;
    }
    while (i < n && text[i] >= '0' && text[i] <= '9') {
        ++i;
        lead = true;
    }
    if (i < n && text[i] == '.') {
        ++i;
        lead = true;
        while (i < n && text[i] >= '0' && text[i] <= '9')
            ++i;
    }
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < n && (text[i] == '+' || text[i] == '-'))
            ++i;
        const std::size_t digits = i;
        while (i < n && text[i] >= '0' && text[i] <= '9')
            ++i;
        if (i == digits)
            return false;
    }
    return lead && i == n;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), strnlen(reinterpret_cast<const char*>(data), size));
    const VorlatImportExport::UnboundedIntegerDataValidator integers;
    const VorlatImportExport::UnboundedFloatDataValidator reals;
    const auto integerState = integers.GetValidationState(text.c_str());
    const auto realState = reals.GetValidationState(text.c_str());
    integers.GetErrorMessage(text.c_str());
    reals.GetErrorMessage(text.c_str());
    for (unsigned char c : text) {
        integers.AllowCharacter(c);
        reals.AllowCharacter(c);
    }

    int integer = 0;
    if (integerState == VorlatImportExport::DataValidator::Acceptable &&
        !Chem::StringUtils::StringToInteger(WithoutLeadingBlanks(text), integer))
        __builtin_trap();
    if (realState == VorlatImportExport::DataValidator::Acceptable &&
        (text.size() >= 39 || !FloatShape(WithoutLeadingBlanks(text))))
        __builtin_trap();
    // Whatever the integer validator accepts, the float validator accepts.
    if (integerState == VorlatImportExport::DataValidator::Acceptable &&
        realState != VorlatImportExport::DataValidator::Acceptable)
        __builtin_trap();
    return 0;
}
