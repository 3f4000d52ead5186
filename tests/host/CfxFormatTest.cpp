#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "host/CfxFormat.h"
#include "host/StringConversion.h"

using Host::CfxFormat;

TEST(CfxFormat, FillsPlaceholdersInOrder)
{
    EXPECT_EQ(std::wstring(CfxFormat(L"%1") << 42), L"42");
    EXPECT_EQ(std::wstring(CfxFormat(L"%1-%2") << std::wstring(L"Molecule") << 3), L"Molecule-3");
    EXPECT_EQ(std::wstring(CfxFormat(L"-%1") << -7), L"--7");
    EXPECT_EQ(std::wstring(CfxFormat(L"%2/%1") << 1 << 2), L"2/1");
    // A placeholder without a value, and a percent sign without a digit, stay.
    EXPECT_EQ(std::wstring(CfxFormat(L"%1 %2 100%") << 5), L"5 %2 100%");
    EXPECT_EQ(std::wstring(CfxFormat(L"")), L"");
}

TEST(CfxFormat, WritesShortestRoundTripNumbers)
{
    EXPECT_EQ(CfxFormat::FormatNumber(0.1f), L"0.1");
    EXPECT_EQ(CfxFormat::FormatNumber(1.5f), L"1.5");
    EXPECT_EQ(CfxFormat::FormatNumber(2.0f), L"2");
    EXPECT_EQ(CfxFormat::FormatNumber(0.1), L"0.1");
    EXPECT_EQ(CfxFormat::FormatNumber(-0.0), L"-0");
    EXPECT_EQ(CfxFormat::FormatNumber(1e20f), L"1e+20");
    EXPECT_EQ(CfxFormat::FormatNumber(std::numeric_limits<int>::min()), L"-2147483648");

    // Any value reads back unchanged from its text.
    std::mt19937 random(11);
    for (int i = 0; i < 20000; ++i) {
        const std::uint32_t bits = static_cast<std::uint32_t>(random());
        float f;
        std::memcpy(&f, &bits, sizeof f);
        if (!std::isfinite(f))
            continue;
        const std::string text = Host::ToSString(CfxFormat::FormatNumber(f));
        float back = 0;
        std::from_chars(text.data(), text.data() + text.size(), back);
        ASSERT_EQ(back, f) << text;
    }
}
