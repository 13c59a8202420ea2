// The rule by which a stored text becomes a 32-bit signed number: what
// ReadNumber (and so ReadFlag) applies to the text it reads.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace settings {

// Leading spaces (the space character only), one optional "-" or "+", then
// either decimal digits whose signed value fits in 32 bits, or "$", "x",
// "X", "0x" or "0X" and hexadecimal digits forming a 32-bit pattern read as
// signed ("$FFFFFFFF" is -1) and negated, wrapping, by "-". Anything else
// (a trailing space, a second sign, a unit, no digits) is unparsable:
// nullopt, and the caller takes its default.
std::optional<int32_t> parseInteger(std::u16string_view text);

} // namespace settings
