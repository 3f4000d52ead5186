#pragma once

#include <string>
#include <vector>

#include "host/Export.h"

namespace Host {

// Fills a pattern's placeholders %1, %2, ... with the values inserted, in
// order: CfxFormat(L"%1-%2") << 3 << 4 gives "3-4". A placeholder without a
// value stays as written.
//
// Float and double are written with the shortest digits that read back to
// the same value, in plain notation for magnitudes from 1e-6 up to 1e21
// ("0.1", "100000", "0.0005") and with an exponent outside it ("1e+21",
// "1e-7"); "-0", "nan" and "inf" as they are. One value always gives one
// text, and the text is what a person would type.
class VORLAT_EXPORT CfxFormat {
public:
    explicit CfxFormat(const std::wstring& pattern);

    CfxFormat& operator<<(const std::wstring& value);
    CfxFormat& operator<<(const wchar_t* value);
    CfxFormat& operator<<(int value);
    CfxFormat& operator<<(float value);
    CfxFormat& operator<<(double value);

    std::wstring ToString() const;
    operator std::wstring() const { return ToString(); }

    // The text CfxFormat writes for a number, on its own.
    static std::wstring FormatNumber(int value);
    static std::wstring FormatNumber(float value);
    static std::wstring FormatNumber(double value);

private:
    std::wstring m_Pattern;
    std::vector<std::wstring> m_Arguments;
};

} // namespace Host
