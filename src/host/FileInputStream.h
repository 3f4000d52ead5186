#pragma once

#include <atomic>
#include <string>

#include "host/InputStream.h"

namespace Host {

// An InputStream over a file opened by name, read with plain system reads
// (no second buffer between the file and the caller).
class VORLAT_EXPORT FileInputStream : public InputStream {
public:
    explicit FileInputStream(const std::string& path);
    ~FileInputStream() override;
    FileInputStream(const FileInputStream&) = delete;
    FileInputStream& operator=(const FileInputStream&) = delete;

    // False when the file could not be opened; errno tells why.
    bool IsOpen() const { return m_Descriptor >= 0; }

    std::size_t Read(char* buffer, std::size_t size) override;
    bool Seek(std::int64_t position) override;
    std::int64_t GetPosition() override;
    std::int64_t GetLength() override;
    bool HasReadError() const override { return m_ReadError.load(); }
    bool CanReadAt() const override { return m_Descriptor >= 0; }
    std::size_t ReadAt(std::int64_t position, char* buffer, std::size_t size) override;

private:
    int m_Descriptor = -1;
    std::atomic<bool> m_ReadError{false};
};

} // namespace Host
