#include "host/StringConversion.h"

#include <type_traits>

namespace Host {

namespace {

// Length of the valid UTF-8 sequence at text[i], or 0 when the byte there
// does not start one.
std::size_t ValidSequenceLength(const std::string& text, std::size_t i, char32_t& codePoint)
{
    const auto at = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char b0 = at(i);
    const std::size_t left = text.size() - i;
    const auto isCont = [](unsigned char b) { return (b & 0xC0) == 0x80; };

    if (b0 < 0x80) {
        codePoint = b0;
        return 1;
    }
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        if (left < 2 || !isCont(at(i + 1)))
            return 0;
        codePoint = (char32_t(b0 & 0x1F) << 6) | (at(i + 1) & 0x3F);
        return 2;
    }
    if (b0 >= 0xE0 && b0 <= 0xEF) {
        if (left < 3)
            return 0;
        const unsigned char b1 = at(i + 1);
        // E0 needs A0..BF (no overlong forms); ED needs 80..9F (no surrogates).
        const unsigned char lo = b0 == 0xE0 ? 0xA0 : 0x80;
        const unsigned char hi = b0 == 0xED ? 0x9F : 0xBF;
        if (b1 < lo || b1 > hi || !isCont(at(i + 2)))
            return 0;
        codePoint = (char32_t(b0 & 0x0F) << 12) | (char32_t(b1 & 0x3F) << 6) | (at(i + 2) & 0x3F);
        return 3;
    }
    if (b0 >= 0xF0 && b0 <= 0xF4) {
        if (left < 4)
            return 0;
        const unsigned char b1 = at(i + 1);
        // F0 needs 90..BF (no overlong forms); F4 needs 80..8F (nothing above U+10FFFF).
        const unsigned char lo = b0 == 0xF0 ? 0x90 : 0x80;
        const unsigned char hi = b0 == 0xF4 ? 0x8F : 0xBF;
        if (b1 < lo || b1 > hi || !isCont(at(i + 2)) || !isCont(at(i + 3)))
            return 0;
        codePoint = (char32_t(b0 & 0x07) << 18) | (char32_t(b1 & 0x3F) << 12) | (char32_t(at(i + 2) & 0x3F) << 6) |
                    (at(i + 3) & 0x3F);
        return 4;
    }
    return 0;
}

void AppendWide(std::wstring& out, char32_t codePoint)
{
    if constexpr (sizeof(wchar_t) >= 4) {
        out += static_cast<wchar_t>(codePoint);
    } else {
        if (codePoint >= 0x10000) {
            codePoint -= 0x10000;
            out += static_cast<wchar_t>(0xD800 + (codePoint >> 10));
            out += static_cast<wchar_t>(0xDC00 + (codePoint & 0x3FF));
        } else {
            out += static_cast<wchar_t>(codePoint);
        }
    }
}

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

} // namespace

std::wstring ToWString(const std::string& text)
{
    std::wstring out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        char32_t codePoint = 0;
        const std::size_t length = ValidSequenceLength(text, i, codePoint);
        if (length == 0) {
            AppendWide(out, 0xDC00 + static_cast<unsigned char>(text[i]));
            ++i;
        } else {
            AppendWide(out, codePoint);
            i += length;
        }
    }
    return out;
}

std::string ToSString(const std::wstring& text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = static_cast<char32_t>(static_cast<std::make_unsigned_t<wchar_t>>(text[i]));
        if (c >= 0xDC80 && c <= 0xDCFF) {
            out += static_cast<char>(c - 0xDC00);
            continue;
        }
        if constexpr (sizeof(wchar_t) < 4) {
            // A high surrogate followed by a low one is one code point.
            if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) {
                const char32_t low = static_cast<char32_t>(static_cast<std::make_unsigned_t<wchar_t>>(text[i + 1]));
                if (low >= 0xDC00 && low <= 0xDFFF) {
                    AppendUtf8(out, 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00));
                    ++i;
                    continue;
                }
            }
        }
        if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF)
            c = 0xFFFD;
        AppendUtf8(out, c);
    }
    return out;
}

} // namespace Host
