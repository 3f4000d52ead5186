#include <locale.h>
#include <string>

#include <gtest/gtest.h>

#include "validation/DataValidator.h"

using VorlatImportExport::DataValidator;
using VorlatImportExport::UnboundedFloatDataValidator;
using VorlatImportExport::UnboundedIntegerDataValidator;

namespace {

const DataValidator::ValidationState I = DataValidator::Invalid;
const DataValidator::ValidationState M = DataValidator::Intermediate;
const DataValidator::ValidationState A = DataValidator::Acceptable;

struct Case {
    const char* text;
    DataValidator::ValidationState state;
    bool tooBig;
};

void Check(const DataValidator& validator, std::initializer_list<Case> cases)
{
    for (const Case& c : cases) {
        EXPECT_EQ(validator.GetValidationState(c.text), c.state) << '"' << c.text << '"';
        EXPECT_EQ(validator.GetErrorMessage(c.text), c.tooBig ? "The number is too big." : "")
            << '"' << c.text << '"';
    }
}

} // namespace

TEST(UnboundedIntegerDataValidator, JudgesTypedText)
{
    UnboundedIntegerDataValidator validator;
    Check(validator, {
                         {"", M, false},
                         {"   ", M, false},
                         {" \t", M, false},
                         {"-", M, false},
                         {"+", M, false},
                         {"12", A, false},
                         {"-12", A, false},
                         {" 12", A, false},
                         {"12 ", I, false},
                         {"1.5", I, false},
                         {"--1", I, false},
                         {"- 1", I, false},
                         {"1-", I, false},
                         {"abc", I, false},
                         {"123456789", A, false},
                         {"1234567890", I, true},
                         {"  12345678", I, true}, // ten characters, a small number
                     });
    for (char c : std::string("0123456789+-\b"))
        EXPECT_TRUE(validator.AllowCharacter(static_cast<unsigned char>(c))) << c;
    for (char c : std::string(" .eE,x\t"))
        EXPECT_FALSE(validator.AllowCharacter(static_cast<unsigned char>(c))) << c;
}

TEST(UnboundedFloatDataValidator, JudgesTypedText)
{
    UnboundedFloatDataValidator validator;
    Check(validator, {
                         {"", M, false},
                         {"  ", M, false},
                         {".", M, false},
                         {"-", M, false},
                         {".5", A, false},
                         {"5.", A, false},
                         {"-.", A, false},
                         {"1e", M, false},
                         {"1e+", M, false},
                         {"1e5", A, false},
                         {"1e+5", A, false},
                         {"1.5E-3", A, false},
                         {" 2.5", A, false},
                         {"-e5", A, false}, // a sign or a point may stand for the digits
                         {".e5", A, false},
                         {"e5", I, false},
                         {"1e5.", I, false},
                         {"1..2", I, false},
                         {"1e5e", I, false},
                         {"+-1", I, false},
                         {"1 ", I, false},
                         {"1,5", I, false},
                         {"4e38", I, true},
                         {"-4e38", A, false},
                         {"3.4e38", A, false},
                         {"3.41e38", I, true},
                         {"1e999", I, true},
                         {"1e-999", A, false},
                     });
    // 38 characters are judged by value, 39 are too big whatever the value.
    const std::string small38 = "0." + std::string(35, '0') + "1";
    const std::string small39 = "0." + std::string(36, '0') + "1";
    ASSERT_EQ(small38.size(), 38u);
    EXPECT_EQ(validator.GetValidationState(small38.c_str()), A);
    EXPECT_EQ(validator.GetValidationState(small39.c_str()), I);
    EXPECT_EQ(validator.GetErrorMessage(small39.c_str()), "The number is too big.");

    for (char c : std::string("0123456789+-.eE\b"))
        EXPECT_TRUE(validator.AllowCharacter(static_cast<unsigned char>(c))) << c;
    for (char c : std::string(" ,x\t"))
        EXPECT_FALSE(validator.AllowCharacter(static_cast<unsigned char>(c))) << c;
}

TEST(UnboundedFloatDataValidator, RangeIgnoresTheUsersDecimalComma)
{
    locale_t comma = static_cast<locale_t>(0);
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"})
        if ((comma = newlocale(LC_ALL_MASK, name, static_cast<locale_t>(0))) != static_cast<locale_t>(0))
            break;
    if (comma == static_cast<locale_t>(0))
        GTEST_SKIP() << "no locale with a decimal comma is installed";
    const locale_t before = uselocale(comma);

    // Read under the user's comma, "4.5e38" would be 4 and pass.
    UnboundedFloatDataValidator validator;
    EXPECT_EQ(validator.GetValidationState("4.5e38"), DataValidator::Invalid);
    EXPECT_EQ(validator.GetErrorMessage("4.5e38"), "The number is too big.");
    EXPECT_EQ(validator.GetValidationState("3.5e40"), DataValidator::Invalid);
    EXPECT_EQ(validator.GetValidationState("1.5"), DataValidator::Acceptable);

    uselocale(before);
    freelocale(comma);
}
