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
    // Plain notation from 1e-6 up to 1e21, an exponent outside.
    const struct {
        double value;
        const wchar_t* text;
    } doubles[] = {
        {100000, L"100000"},       {0.0005, L"0.0005"},       {123.25, L"123.25"},
        {-8.87759e-05, L"-0.0000887759"}, {1e-6, L"0.000001"}, {1.5e-7, L"1.5e-7"},
        {1e21, L"1e+21"},          {1e20, L"100000000000000000000"}, {123456789012.0, L"123456789012"},
        {9007199254740992.0, L"9007199254740992"}, {1.7976931348623157e308, L"1.7976931348623157e+308"},
        {5e-324, L"5e-324"},       {-1e50, L"-1e+50"},
    };
    for (const auto& c : doubles)
        EXPECT_EQ(CfxFormat::FormatNumber(c.value), c.text);
    EXPECT_EQ(CfxFormat::FormatNumber(1e20f), L"100000000000000000000");
    EXPECT_EQ(CfxFormat::FormatNumber(100000.0f), L"100000");
    EXPECT_EQ(CfxFormat::FormatNumber(0.0005f), L"0.0005");
    EXPECT_EQ(CfxFormat::FormatNumber(-34.8187f), L"-34.8187");
    EXPECT_EQ(CfxFormat::FormatNumber(1e-7f), L"1e-7");
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
    for (int i = 0; i < 20000; ++i) {
        const std::uint64_t bits = (static_cast<std::uint64_t>(random()) << 32) | random();
        double d;
        std::memcpy(&d, &bits, sizeof d);
        if (!std::isfinite(d))
            continue;
        const std::string text = Host::ToSString(CfxFormat::FormatNumber(d));
        double back = 0;
        std::from_chars(text.data(), text.data() + text.size(), back);
        ASSERT_EQ(back, d) << text;
    }
}
