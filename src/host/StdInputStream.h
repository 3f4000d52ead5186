#pragma once

#include <istream>

#include "host/InputStream.h"

namespace Host {

// An InputStream over a caller's standard stream, which must outlive it.
// Reading moves the standard stream's position and may set its flags.
class VORLAT_EXPORT StdInputStream : public InputStream {
public:
    explicit StdInputStream(std::istream& stream);
    ~StdInputStream() override;

    std::size_t Read(char* buffer, std::size_t size) override;
    bool Seek(std::int64_t position) override;
    std::int64_t GetPosition() override;
    std::int64_t GetLength() override;
    bool HasReadError() const override { return m_ReadError; }

private:
    std::istream& m_Stream;
    bool m_ReadError = false;
};

} // namespace Host
