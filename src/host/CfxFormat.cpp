#include "host/CfxFormat.h"

#include <charconv>

namespace Host {

namespace {

template <typename T>
std::wstring ShortestText(T value)
{
    char buffer[64];
    const std::to_chars_result result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::wstring(buffer, result.ptr);
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

std::wstring CfxFormat::FormatNumber(int value) { return ShortestText(value); }

std::wstring CfxFormat::FormatNumber(float value) { return ShortestText(value); }

std::wstring CfxFormat::FormatNumber(double value) { return ShortestText(value); }

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
