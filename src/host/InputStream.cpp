#include "host/InputStream.h"

namespace Host {

InputStream::~InputStream() = default;

bool InputStream::HasReadError() const { return false; }

} // namespace Host
