#pragma once

#include <string>

#include "host/Export.h"

namespace Host {

// Decodes UTF-8 bytes into wide text. A byte that is not part of valid UTF-8
// (stray continuation bytes, overlong forms, encoded surrogates, code points
// above U+10FFFF, cut sequences) becomes the code point U+DC00 + byte, so no
// byte is lost and ToSString gives back the same bytes:
// ToSString(ToWString(s)) == s for every byte string s.
VORLAT_EXPORT std::wstring ToWString(const std::string& text);

// Encodes wide text as UTF-8; U+DC80 to U+DCFF become the single bytes 0x80
// to 0xFF again. Other code units that have no UTF-8 form (other
// surrogates, values above U+10FFFF) become U+FFFD.
VORLAT_EXPORT std::string ToSString(const std::wstring& text);

} // namespace Host
