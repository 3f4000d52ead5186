#include <string>

#include <gtest/gtest.h>

#include "chem/StringUtils.h"

using Chem::StringUtils::StringToInteger;
using Chem::StringUtils::StringToReal;

TEST(StringUtils, StringToIntegerAcceptsWholeTextOnly)
{
    struct Case {
        const char* text;
        bool accepted;
        int value;
    };
    const Case cases[] = {
        {"0", true, 0},          {"42", true, 42},
        {"-42", true, -42},      {"+42", true, 42},
        {"007", true, 7},        {"2147483647", true, 2147483647},
        {"-2147483648", true, -2147483647 - 1},
        {"2147483648", false, 0}, {"-2147483649", false, 0},
        {"", false, 0},          {"+", false, 0},
        {"-", false, 0},         {"+-1", false, 0},
        {"--1", false, 0},       {" 1", false, 0},
        {"1 ", false, 0},        {"1 2", false, 0},
        {"0x1A", false, 0},      {"1.0", false, 0},
        {"1e3", false, 0},       {"\t1", false, 0},
    };
    for (const Case& c : cases) {
        int value = -99;
        EXPECT_EQ(StringToInteger(c.text, value), c.accepted) << '"' << c.text << '"';
        EXPECT_EQ(value, c.accepted ? c.value : -99) << '"' << c.text << '"';
    }
    int value = -99;
    EXPECT_FALSE(StringToInteger(std::string("1\0", 2), value));
}

TEST(StringUtils, StringToRealAcceptsDecimalNumbersOnly)
{
    struct Case {
        const char* text;
        bool accepted;
        float value;
    };
    const Case cases[] = {
        {"1.5", true, 1.5f},      {"-1.5", true, -1.5f},    {"+1.5", true, 1.5f},
        {".5", true, 0.5f},       {"5.", true, 5.0f},       {"1e3", true, 1000.0f},
        {"1E-3", true, 0.001f},   {"-2.5e+2", true, -250.0f}, {"3.4e38", true, 3.4e38f},
        {"1e-40", true, 1e-40f},  {"0", true, 0.0f},
        {"4e38", false, 0},       {"1e-50", false, 0},      {".", false, 0},
        {"", false, 0},           {"e5", false, 0},         {"1e", false, 0},
        {"1e+", false, 0},        {"1.5.2", false, 0},      {"inf", false, 0},
        {"nan", false, 0},        {"-infinity", false, 0},  {"0x1p3", false, 0},
        {" 1.5", false, 0},       {"1.5 ", false, 0},       {"1,5", false, 0},
        {"+-1", false, 0},        {"1.5f", false, 0},
    };
    for (const Case& c : cases) {
        float value = -99;
        EXPECT_EQ(StringToReal(c.text, value), c.accepted) << '"' << c.text << '"';
        EXPECT_EQ(value, c.accepted ? c.value : -99.0f) << '"' << c.text << '"';
    }
}
