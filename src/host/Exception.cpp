#include "host/Exception.h"

#include "host/StringConversion.h"

namespace Host {

Exception::Exception(const std::wstring& message) : m_Message(message), m_What(ToSString(message)) {}

Exception::~Exception() = default;

const char* Exception::what() const noexcept { return m_What.c_str(); }

CancellationException::CancellationException() : Exception(L"The operation was cancelled.") {}

CancellationException::~CancellationException() = default;

OrvixException::OrvixException(const std::string& sourceFile, int line, const std::wstring& message)
    : Exception(message), m_SourceFile(sourceFile), m_Line(line)
{
}

OrvixException::~OrvixException() = default;

} // namespace Host
