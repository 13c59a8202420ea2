// The RTF tokenizer. Line breaks in the file carry no meaning and are
// dropped here; every other byte reaches the reader.
#include "text/rtf_tokenizer.h"

#include <array>

namespace text {

namespace {

// Bytes that end a run of text.
constexpr std::array<bool, 256> kStopsText = [] {
    std::array<bool, 256> table{};
    table['\\'] = table['{'] = table['}'] = table['\r'] = table['\n'] = true;
    return table;
}();

constexpr std::array<bool, 256> kLetters = [] {
    std::array<bool, 256> table{};
    for (int c = 'a'; c <= 'z'; ++c)
        table[static_cast<size_t>(c)] = table[static_cast<size_t>(c - 'a' + 'A')] = true;
    return table;
}();

bool isLetter(char c) { return kLetters[static_cast<unsigned char>(c)]; }
bool isDigit(char c) { return static_cast<unsigned>(c - '0') < 10; }

} // namespace

RtfToken RtfTokenizer::next()
{
    while (pos_ < input_.size() && (input_[pos_] == '\r' || input_[pos_] == '\n'))
        ++pos_;
    RtfToken token;
    token.offset = pos_;
    if (pos_ >= input_.size())
        return token;
    const char c = input_[pos_];
    if (c == '{' || c == '}') {
        token.kind = c == '{' ? RtfToken::Kind::GroupStart : RtfToken::Kind::GroupEnd;
        ++pos_;
        return token;
    }
    if (c == '\\')
        return readControl(pos_);
    const size_t start = pos_;
    unsigned high = 0;
    while (pos_ < input_.size() && !kStopsText[static_cast<unsigned char>(input_[pos_])])
        high |= static_cast<unsigned char>(input_[pos_++]);
    token.highBytes = (high & 0x80) != 0;
    token.kind = RtfToken::Kind::Text;
    token.text = input_.substr(start, pos_ - start);
    return token;
}

RtfToken RtfTokenizer::readControl(size_t start)
{
    RtfToken token;
    token.offset = start;
    pos_ = start + 1;
    if (pos_ >= input_.size())
        return token; // a backslash at the very end
    const char c = input_[pos_];
    if (isLetter(c))
        return readWord(start);
    ++pos_;
    if (c == '\'' && pos_ + 1 < input_.size()) {
        const int high = hexDigit(input_[pos_]);
        const int low = hexDigit(input_[pos_ + 1]);
        if (high >= 0 && low >= 0) {
            pos_ += 2;
            token.kind = RtfToken::Kind::HexByte;
            token.byte = static_cast<uint8_t>(high * 16 + low);
            return token;
        }
    }
    token.kind = RtfToken::Kind::ControlSymbol;
    token.symbol = c;
    return token;
}

RtfToken RtfTokenizer::readWord(size_t start)
{
    RtfToken token;
    token.kind = RtfToken::Kind::ControlWord;
    token.offset = start;
    const size_t nameStart = pos_;
    while (pos_ < input_.size() && isLetter(input_[pos_]))
        ++pos_;
    token.text = input_.substr(nameStart, pos_ - nameStart);
    const bool negative = pos_ + 1 < input_.size() && input_[pos_] == '-' && isDigit(input_[pos_ + 1]);
    if (negative)
        ++pos_;
    int64_t value = 0;
    while (pos_ < input_.size() && isDigit(input_[pos_])) {
        token.hasParameter = true;
        if (value < 0x80000000LL)
            value = value * 10 + (input_[pos_] - '0');
        ++pos_;
    }
    if (negative)
        value = -value;
    if (value > INT32_MAX)
        value = INT32_MAX;
    if (value < INT32_MIN)
        value = INT32_MIN;
    token.parameter = static_cast<int32_t>(value);
    if (pos_ < input_.size() && input_[pos_] == ' ')
        ++pos_;
    return token;
}

int32_t RtfTokenizer::skipText(int32_t count)
{
    int32_t skipped = 0;
    while (skipped < count && pos_ < input_.size() && !kStopsText[static_cast<unsigned char>(input_[pos_])]) {
        ++pos_;
        ++skipped;
    }
    return skipped;
}

std::string_view RtfTokenizer::takeBinary(int64_t length)
{
    if (length <= 0)
        return {};
    const size_t left = input_.size() - pos_;
    const size_t count = static_cast<uint64_t>(length) < left ? static_cast<size_t>(length) : left;
    const std::string_view data = input_.substr(pos_, count);
    pos_ += count;
    return data;
}

} // namespace text
