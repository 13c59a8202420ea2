// A pull tokenizer for RTF: group start and end, control words with their
// optional signed parameter, control symbols, \'hh bytes, runs of text and
// \bin data. It never reads past the input and never allocates.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace text {

struct RtfToken {
    enum class Kind : uint8_t { GroupStart, GroupEnd, ControlWord, ControlSymbol, HexByte, Text, End };

    Kind kind = Kind::End;
    std::string_view text;  // the word's name, or the run of text
    int32_t parameter = 0;  // clamped into 32 bits
    bool hasParameter = false;
    bool highBytes = false; // the text holds bytes above 0x7F
    char symbol = 0;        // the character after the backslash
    uint8_t byte = 0;       // the value of \'hh
    size_t offset = 0;      // where the token begins in the input
};

// The value of a hex digit, or -1.
constexpr int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

class RtfTokenizer {
public:
    explicit RtfTokenizer(std::string_view input) : input_(input) {}

    RtfToken next();
    // The \bin data after a \binN word: at most `length` bytes, fewer when
    // the input ends first.
    std::string_view takeBinary(int64_t length);
    // Skips up to `count` bytes of plain text (the fallback after \uN) when
    // plain text comes next; returns how many it skipped.
    int32_t skipText(int32_t count);
    size_t position() const { return pos_; }

private:
    RtfToken readControl(size_t start);
    RtfToken readWord(size_t start);

    std::string_view input_;
    size_t pos_ = 0;
};

} // namespace text
