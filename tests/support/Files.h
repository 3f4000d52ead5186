#pragma once

#include <fstream>
#include <sstream>
#include <string>

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

} // namespace VorlatTest
