#pragma once

#include <exception>
#include <string>

#include "host/Export.h"

namespace Host {

// Base of the failures the library throws. what() gives the message as UTF-8.
class VORLAT_EXPORT Exception : public std::exception {
public:
    explicit Exception(const std::wstring& message);
    ~Exception() override;

    const char* what() const noexcept override;
    const std::wstring& GetWideMessage() const { return m_Message; }

private:
    std::wstring m_Message;
    std::string m_What;
};

// The user cancelled long work through the progress monitor.
class VORLAT_EXPORT CancellationException : public Exception {
public:
    CancellationException();
    ~CancellationException() override;
};

// A file could not be read. Carries where in the library the failure was
// found (source file name, line) and a message for the user.
class VORLAT_EXPORT OrvixException : public Exception {
public:
    OrvixException(const std::string& sourceFile, int line, const std::wstring& message);
    ~OrvixException() override;

    const std::string& GetSourceFile() const { return m_SourceFile; }
    int GetLine() const { return m_Line; }

private:
    std::string m_SourceFile;
    int m_Line;
};

} // namespace Host
