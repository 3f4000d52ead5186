#pragma once

#include <ios>
#include <sstream>
#include <string>

namespace VorlatTest {

// A stream buffer over text that cannot seek, as a pipe or a FIFO.
class PipeBuffer : public std::stringbuf {
public:
    explicit PipeBuffer(const std::string& text) : std::stringbuf(text) {}

protected:
    pos_type seekoff(off_type, std::ios::seekdir, std::ios::openmode) override { return pos_type(-1); }
    pos_type seekpos(pos_type, std::ios::openmode) override { return pos_type(-1); }
};

} // namespace VorlatTest
