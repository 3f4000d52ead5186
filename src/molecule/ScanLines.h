#pragma once

namespace VorlatImportExport {

// The first CR or LF in [p, end), or null. For the short lines of data items
// and property blocks a plain loop beats a library search.
inline const char* FindLineEnd(const char* p, const char* end)
{
    while (p != end && *p != '\n' && *p != '\r')
        ++p;
    return p == end ? nullptr : p;
}

} // namespace VorlatImportExport
