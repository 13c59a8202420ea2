// Integer parse: one pass over the text, every digit accumulated in 64 bits
// and checked against its range before the next, so no input overflows.
#include "settings/integer_parse.h"

namespace settings {

namespace {

int hexDigitValue(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

// The hexadecimal prefix's length at the start of `text`, 0 when there is none.
size_t hexPrefixLength(std::u16string_view text)
{
    if (text.empty())
        return 0;
    if (text[0] == u'$' || text[0] == u'x' || text[0] == u'X')
        return 1;
    if (text.size() >= 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X'))
        return 2;
    return 0;
}

// A 32-bit pattern; a "-" negates it modulo 2^32, as a 32-bit register does.
std::optional<int32_t> parseHex(std::u16string_view digits, bool negative)
{
    if (digits.empty())
        return std::nullopt;
    uint64_t pattern = 0;
    for (const char16_t c : digits) {
        const int digit = hexDigitValue(c);
        if (digit < 0)
            return std::nullopt;
        pattern = pattern * 16 + static_cast<uint64_t>(digit);
        if (pattern > 0xFFFFFFFFu)
            return std::nullopt;
    }
    auto bits = static_cast<uint32_t>(pattern);
    if (negative)
        bits = 0u - bits;
    return static_cast<int32_t>(bits);
}

std::optional<int32_t> parseDecimal(std::u16string_view digits, bool negative)
{
    if (digits.empty())
        return std::nullopt;
    const uint64_t limit = negative ? 2147483648u : 2147483647u;
    uint64_t magnitude = 0;
    for (const char16_t c : digits) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        magnitude = magnitude * 10 + static_cast<uint64_t>(c - u'0');
        if (magnitude > limit)
            return std::nullopt;
    }
    const auto value = static_cast<int64_t>(magnitude);
    return static_cast<int32_t>(negative ? -value : value);
}

} // namespace

std::optional<int32_t> parseInteger(std::u16string_view text)
{
    size_t start = 0;
    while (start < text.size() && text[start] == u' ')
        ++start;
    text.remove_prefix(start);
    bool negative = false;
    if (!text.empty() && (text[0] == u'-' || text[0] == u'+')) {
        negative = text[0] == u'-';
        text.remove_prefix(1);
    }
    if (const size_t prefix = hexPrefixLength(text))
        return parseHex(text.substr(prefix), negative);
    return parseDecimal(text, negative);
}

} // namespace settings
