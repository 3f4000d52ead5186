#pragma once

#include <istream>

#include "host/Export.h"

namespace Host {

// Throws OrvixException (source, line) "The file cannot be read at random
// positions: ..." when the stream cannot tell and seek its position (a pipe,
// a FIFO, a terminal), since every reader goes back to records it indexed.
// Leaves the stream where it was.
VORLAT_EXPORT void RequireRandomAccess(std::istream& stream, const char* source, int line);

class InputStream;
// The same for the stream objects the molecule index scans read through.
VORLAT_EXPORT void RequireRandomAccess(InputStream& stream, const char* source, int line);

} // namespace Host
