// The integer parse against a reference model built another way: the text
// split by plain string operations, the digits converted by std::from_chars.
#include "settings/integer_parse.h"

#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

namespace {

std::optional<int32_t> referenceParse(std::u16string_view text)
{
    std::string s;
    for (const char16_t c : text) {
        if (c > 0x7F)
            return std::nullopt; // no parsable text holds one
        s += static_cast<char>(c);
    }
    s.erase(0, std::min(s.find_first_not_of(' '), s.size()));
    bool negative = false;
    if (!s.empty() && (s[0] == '-' || s[0] == '+')) {
        negative = s[0] == '-';
        s.erase(0, 1);
    }
    int base = 10;
    for (const std::string_view prefix : {"0x", "0X", "$", "x", "X"}) {
        if (s.starts_with(prefix)) {
            base = 16;
            s.erase(0, prefix.size());
            break;
        }
    }
    uint64_t magnitude = 0;
    const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), magnitude, base);
    if (s.empty() || error != std::errc() || end != s.data() + s.size())
        return std::nullopt;
    if (base == 16) {
        if (magnitude > 0xFFFFFFFFu)
            return std::nullopt;
        const auto bits = static_cast<uint32_t>(magnitude);
        return static_cast<int32_t>(negative ? 0u - bits : bits);
    }
    if (magnitude > (negative ? 2147483648u : 2147483647u))
        return std::nullopt;
    return static_cast<int32_t>(negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude));
}

} // namespace

// A first byte 0xFF makes the rest UTF-16LE units; otherwise each byte is
// one character, which keeps the fuzzer close to the interesting ASCII.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::u16string text;
    if (size > 0 && data[0] == 0xFF) {
        for (size_t i = 1; i + 1 < size; i += 2)
            text += static_cast<char16_t>(data[i] | data[i + 1] << 8);
    } else {
        for (size_t i = 0; i < size; ++i)
            text += static_cast<char16_t>(data[i]);
    }
    if (settings::parseInteger(text) != referenceParse(text))
        std::abort();
    return 0;
}
