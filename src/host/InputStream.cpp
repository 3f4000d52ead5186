#include "host/InputStream.h"

namespace Host {

InputStream::~InputStream() = default;

} // namespace Host
