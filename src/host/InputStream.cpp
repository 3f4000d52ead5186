#include "host/InputStream.h"

namespace Host {

InputStream::~InputStream() = default;

bool InputStream::HasReadError() const { return false; }

bool InputStream::CanReadAt() const { return false; }

std::size_t InputStream::ReadAt(std::int64_t, char*, std::size_t) { return 0; }

} // namespace Host
