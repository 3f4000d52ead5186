#include "host/CfxFormat.h"

#include <charconv>
#include <string>

namespace Host {

namespace {

std::wstring IntegerText(int value)
{
    char buffer[16];
    const std::to_chars_result result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::wstring(buffer, result.ptr);
}

// The shortest digits that read back to the same value, laid out as a person
// types a number: plain notation for magnitudes from 1e-6 up to 1e21
// ("100000", "0.0005", "123.25"), an exponent only outside that range
// ("1e+21", "1.5e-7"). "nan", "inf" and "-0" as written by to_chars.
template <typename T>
std::wstring NumberText(T value)
{
    char buffer[64];
    const std::to_chars_result result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
    const std::string scientific(buffer, result.ptr);
    const std::size_t e = scientific.find('e');
    if (e == std::string::npos) // nan, inf
        return std::wstring(scientific.begin(), scientific.end());

    std::string sign;
    std::string digits;
    for (std::size_t i = 0; i < e; ++i) {
        const char c = scientific[i];
        if (c == '-')
            sign = "-";
        else if (c != '.')
            digits += c;
    }
    const int exponent = std::stoi(scientific.substr(e + 1));
    // n: where the decimal point falls after the digits' first digit.
    const int n = exponent + 1;
    const int k = static_cast<int>(digits.size());
    std::string text;
    if (k <= n && n <= 21) {
        text = digits + std::string(static_cast<std::size_t>(n - k), '0');
    } else if (0 < n && n <= 21) {
        text = digits.substr(0, static_cast<std::size_t>(n)) + "." + digits.substr(static_cast<std::size_t>(n));
    } else if (-6 < n && n <= 0) {
        text = "0." + std::string(static_cast<std::size_t>(-n), '0') + digits;
    } else {
        text = digits.substr(0, 1);
        if (k > 1)
            text += "." + digits.substr(1);
        text += exponent < 0 ? "e-" : "e+";
        text += std::to_string(exponent < 0 ? -exponent : exponent);
    }
    text = sign + text;
    return std::wstring(text.begin(), text.end());
}

} // namespace

CfxFormat::CfxFormat(const std::wstring& pattern) : m_Pattern(pattern) {}

CfxFormat& CfxFormat::operator<<(const std::wstring& value)
{
    m_Arguments.push_back(value);
    return *this;
}

CfxFormat& CfxFormat::operator<<(const wchar_t* value)
{
    m_Arguments.emplace_back(value ? value : L"");
    return *this;
}

CfxFormat& CfxFormat::operator<<(int value)
{
    m_Arguments.push_back(FormatNumber(value));
    return *this;
}

CfxFormat& CfxFormat::operator<<(float value)
{
    m_Arguments.push_back(FormatNumber(value));
    return *this;
}

CfxFormat& CfxFormat::operator<<(double value)
{
    m_Arguments.push_back(FormatNumber(value));
    return *this;
}

std::wstring CfxFormat::FormatNumber(int value) { return IntegerText(value); }

std::wstring CfxFormat::FormatNumber(float value) { return NumberText(value); }

std::wstring CfxFormat::FormatNumber(double value) { return NumberText(value); }

std::wstring CfxFormat::ToString() const
{
    std::wstring out;
    out.reserve(m_Pattern.size() + 16);
    for (std::size_t i = 0; i < m_Pattern.size(); ++i) {
        const wchar_t c = m_Pattern[i];
        if (c == L'%' && i + 1 < m_Pattern.size() && m_Pattern[i + 1] >= L'1' && m_Pattern[i + 1] <= L'9') {
            const std::size_t index = static_cast<std::size_t>(m_Pattern[i + 1] - L'1');
            if (index < m_Arguments.size()) {
                out += m_Arguments[index];
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

} // namespace Host
