// UTF-8 <-> UTF-16 conversion for the core, which keeps text as UTF-16 and
// talks to files, paths and messages in UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace base {

// Appends the UTF-8 form of one code point.
inline void appendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Lone surrogates become U+FFFD, so the output is always valid UTF-8.
inline std::string utf16ToUtf8(std::u16string_view in)
{
    std::string out;
    out.reserve(in.size());
    for (size_t i = 0; i < in.size(); ++i) {
        char32_t c = in[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < in.size() && in[i + 1] >= 0xDC00 && in[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (in[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        appendUtf8(out, c);
    }
    return out;
}

// Decodes one UTF-8 sequence at `i`; returns the code point and advances `i`,
// or returns U+FFFD and advances one byte for an ill-formed sequence.
// `valid` is cleared on an ill-formed sequence.
inline char32_t decodeUtf8At(std::string_view in, size_t& i, bool& valid)
{
    const auto b0 = static_cast<unsigned char>(in[i]);
    int extra = 0;
    char32_t cp = 0;
    char32_t min = 0;
    if (b0 < 0x80) {
        ++i;
        return b0;
    } else if ((b0 & 0xE0) == 0xC0) {
        extra = 1, cp = b0 & 0x1F, min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        extra = 2, cp = b0 & 0x0F, min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        extra = 3, cp = b0 & 0x07, min = 0x10000;
    } else {
        valid = false;
        ++i;
        return 0xFFFD;
    }
    if (i + static_cast<size_t>(extra) >= in.size()) {
        valid = false;
        ++i;
        return 0xFFFD;
    }
    for (int k = 1; k <= extra; ++k) {
        const auto b = static_cast<unsigned char>(in[i + static_cast<size_t>(k)]);
        if ((b & 0xC0) != 0x80) {
            valid = false;
            ++i;
            return 0xFFFD;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        valid = false;
        ++i;
        return 0xFFFD;
    }
    i += static_cast<size_t>(extra) + 1;
    return cp;
}

inline void appendUtf16(std::u16string& out, char32_t cp)
{
    if (cp >= 0x10000) {
        cp -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (cp >> 10));
        out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
        out += static_cast<char16_t>(cp);
    }
}

inline std::u16string utf8ToUtf16(std::string_view in)
{
    std::u16string out;
    out.reserve(in.size());
    bool valid = true;
    for (size_t i = 0; i < in.size();)
        appendUtf16(out, decodeUtf8At(in, i, valid));
    return out;
}

inline bool isValidUtf8(std::string_view in)
{
    bool valid = true;
    for (size_t i = 0; i < in.size() && valid;)
        decodeUtf8At(in, i, valid);
    return valid;
}

} // namespace base
