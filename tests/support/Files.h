#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

#include <gtest/gtest.h>

namespace VorlatTest {

// A file's bytes, as they are.
inline std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The text with each LF replaced by lineEnd.
inline std::string WithLineEnds(const std::string& text, const std::string& lineEnd)
{
    std::string converted;
    for (const char c : text)
        converted += c == '\n' ? lineEnd : std::string(1, c);
    return converted;
}

// A folder of the test's own under the test temporary folder, emptied at
// the start and removed at the end.
struct TempFolder {
    explicit TempFolder(const std::string& prefix)
        : path(std::filesystem::path(testing::TempDir()) / (prefix + std::to_string(::getpid())))
    {
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
    }
    ~TempFolder() { std::filesystem::remove_all(path); }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    // Writes the bytes to a file of the folder; its path.
    std::string Write(const std::string& name, const std::string& bytes) const
    {
        std::ofstream((path / name).string(), std::ios::binary) << bytes;
        return (path / name).string();
    }
    std::filesystem::path path;
};

} // namespace VorlatTest
