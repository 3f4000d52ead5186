#pragma once

#include <string>

#include "host/Export.h"

namespace VorlatImportExport {

// Judges the text typed into a numeric cell while it is being typed: which
// keystrokes may enter it, whether the text is a complete number, one still
// being typed, or wrong, and which message explains a rejection.
class VORLAT_EXPORT DataValidator {
public:
    enum ValidationState {
        Invalid = 0,      // cannot become a number of this kind
        Intermediate = 1, // may become one (nothing typed yet, only a sign)
        Acceptable = 2,   // a complete number
    };

    DataValidator() = default;
    DataValidator(const DataValidator&) = default;
    DataValidator& operator=(const DataValidator&) = default;

    virtual bool AllowCharacter(unsigned int character) const = 0;
    virtual ValidationState GetValidationState(const char* text) const = 0;
    virtual ~DataValidator();
    // Why the text is rejected; empty when there is nothing to say.
    virtual std::string GetErrorMessage(const char* text) const;
};

// Whole numbers of at most nine characters, optionally signed, after
// optional leading blanks.
class VORLAT_EXPORT UnboundedIntegerDataValidator : public DataValidator {
public:
    bool AllowCharacter(unsigned int character) const override;
    ValidationState GetValidationState(const char* text) const override;
    ~UnboundedIntegerDataValidator() override;
    std::string GetErrorMessage(const char* text) const override;
};

// Decimal numbers with an optional exponent, no larger than 3.4e38.
class VORLAT_EXPORT UnboundedFloatDataValidator : public DataValidator {
public:
    bool AllowCharacter(unsigned int character) const override;
    ValidationState GetValidationState(const char* text) const override;
    ~UnboundedFloatDataValidator() override;
    std::string GetErrorMessage(const char* text) const override;

private:
    bool ValueOutOfRange(const char* text) const;
};

} // namespace VorlatImportExport
