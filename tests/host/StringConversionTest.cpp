#include <random>
#include <string>

#include <gtest/gtest.h>

#include "host/StringConversion.h"

using Host::ToSString;
using Host::ToWString;

TEST(StringConversion, DecodesValidUtf8)
{
    EXPECT_EQ(ToWString("abc"), L"abc");
    EXPECT_EQ(ToWString("\xC3\xA9"), L"\u00E9");
    EXPECT_EQ(ToWString("\xE2\x82\xAC"), L"\u20AC");
    EXPECT_EQ(ToWString("\xF0\x9F\x98\x80"), std::wstring(1, static_cast<wchar_t>(0x1F600)));
    EXPECT_EQ(ToWString(std::string("a\0b", 3)), std::wstring(L"a\0b", 3));
    EXPECT_EQ(ToSString(L"\u00E9\u20AC"), "\xC3\xA9\xE2\x82\xAC");
}

TEST(StringConversion, KeepsEveryInvalidByteAsEscape)
{
    struct Case {
        std::string bytes;
        std::wstring wide;
    };
    const Case cases[] = {
        {"\x80", L"\xDC80"},                                   // stray continuation byte
        {"\xC0\x80", L"\xDCC0\xDC80"},                         // overlong NUL
        {"\xED\xA0\x80", L"\xDCED\xDCA0\xDC80"},               // encoded surrogate
        {"\xE2\x82", L"\xDCE2\xDC82"},                         // cut sequence at the end
        {"\xE2\x82x", L"\xDCE2\xDC82x"},                       // cut sequence before ASCII
        {"\xF4\x90\x80\x80", L"\xDCF4\xDC90\xDC80\xDC80"},     // above U+10FFFF
        {"\xFF" "a\xC3\xA9", L"\xDCFF" L"a\u00E9"},            // invalid byte beside valid text
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ToWString(c.bytes), c.wide) << c.bytes;
        EXPECT_EQ(ToSString(c.wide), c.bytes) << c.bytes;
    }
}

TEST(StringConversion, RoundTripsArbitraryBytes)
{
    // Every byte pair, then random strings biased towards UTF-8 lead bytes.
    for (int a = 0; a < 256; ++a)
        for (int b = 0; b < 256; ++b) {
            const std::string s{static_cast<char>(a), static_cast<char>(b)};
            ASSERT_EQ(ToSString(ToWString(s)), s) << a << ' ' << b;
        }
    std::mt19937 random(7);
    const unsigned char pool[] = {0x00, 0x41, 0x7F, 0x80, 0xBF, 0xC2, 0xDF, 0xE0, 0xED, 0xEF, 0xF0, 0xF4, 0xF5, 0xFF};
    for (int i = 0; i < 20000; ++i) {
        std::string s(random() % 12, '\0');
        for (char& c : s)
            c = static_cast<char>(random() % 2 ? pool[random() % sizeof pool] : random() % 256);
        ASSERT_EQ(ToSString(ToWString(s)), s);
    }
}

TEST(StringConversion, WideTextWithoutUtf8FormBecomesReplacement)
{
    EXPECT_EQ(ToSString(std::wstring(1, static_cast<wchar_t>(0xD800))), "\xEF\xBF\xBD");
    EXPECT_EQ(ToSString(std::wstring(1, static_cast<wchar_t>(0xDC41))), "\xEF\xBF\xBD");
    EXPECT_EQ(ToSString(std::wstring(1, static_cast<wchar_t>(0x110000))), "\xEF\xBF\xBD");
}
