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

} // namespace VorlatTest
