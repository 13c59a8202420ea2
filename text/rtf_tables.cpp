// The RTF reader's font table (\fonttbl: numbers, faces, character sets and
// code pages) and colour table (\colortbl), and the words that refer to them.
#include "text/rtf_reader_state.h"

#include "base/utf.h"

#include <algorithm>

namespace text {

void RtfReader::fontTableWord(RtfAction action, const RtfToken& token)
{
    switch (action) {
    case RtfAction::Font:
        finishFontEntry();
        fontEntry_ = FontEntry{};
        fontEntry_.number = token.parameter;
        fontEntry_.open = true;
        break;
    case RtfAction::FontCharset:
        fontEntry_.font.charset = static_cast<uint8_t>(std::clamp(token.parameter, 0, 255));
        break;
    case RtfAction::FontCodePage:
        if (token.parameter > 0 && token.parameter < 65536)
            fontEntry_.codePage = static_cast<uint32_t>(token.parameter);
        break;
    case RtfAction::Unicode: {
        const int32_t value = token.parameter < 0 ? token.parameter + 65536 : token.parameter;
        fontTableCharacter(value >= 0 && value < 0x10000 ? static_cast<char32_t>(value) : 0xFFFD);
        skipLeft_ = state_.unicodeSkip - tokens_.skipText(state_.unicodeSkip);
        break;
    }
    default:
        break;
    }
}

void RtfReader::fontTableText(std::string_view bytes)
{
    for (const char c : bytes) {
        if (c == ';')
            finishFontEntry();
        else
            fontTableByte(static_cast<uint8_t>(c));
    }
}

// Face names are written in the entry's own character set.
void RtfReader::fontTableByte(uint8_t byte)
{
    if (byte < 0x80 && fontLeadByte_ < 0) {
        fontTableCharacter(byte);
        return;
    }
    uint32_t codePage = fontEntry_.codePage ? fontEntry_.codePage : codePageForCharset(fontEntry_.font.charset);
    CodePageDecoder& d = decoder(codePage ? codePage : ansiCodePage_);
    if (fontLeadByte_ >= 0) {
        fontTableCharacter(d.decodePair(static_cast<uint8_t>(fontLeadByte_), byte));
        fontLeadByte_ = -1;
    } else if (d.isLeadByte(byte)) {
        fontLeadByte_ = byte;
    } else {
        fontTableCharacter(d.decodeByte(byte));
    }
}

void RtfReader::fontTableCharacter(char32_t c)
{
    std::u16string& face = fontEntry_.font.face;
    if (!fontEntry_.open || face.size() >= kMaxFaceLength)
        return;
    base::appendUtf16(face, c);
}

void RtfReader::finishFontEntry()
{
    fontLeadByte_ = -1;
    if (!fontEntry_.open)
        return;
    fontEntry_.open = false;
    std::u16string& face = fontEntry_.font.face;
    while (!face.empty() && face.back() == u' ')
        face.pop_back();
    face.erase(0, std::min(face.find_first_not_of(u' '), face.size()));
    const uint32_t codePage = fontEntry_.codePage ? fontEntry_.codePage : codePageForCharset(fontEntry_.font.charset);
    for (const FontNumber& known : fontNumbers_) {
        if (known.number == fontEntry_.number) {
            // A number defined twice: the later entry wins.
            document_.fonts[static_cast<size_t>(known.index)] = fontEntry_.font;
            fontCodePages_[static_cast<size_t>(known.index)] = codePage;
            return;
        }
    }
    if (document_.fonts.size() >= kMaxTableEntries)
        return;
    fontNumbers_.push_back({fontEntry_.number, static_cast<int32_t>(document_.fonts.size())});
    document_.fonts.push_back(fontEntry_.font);
    fontCodePages_.push_back(codePage);
}

void RtfReader::selectFont(int32_t number)
{
    for (const FontNumber& known : fontNumbers_) {
        if (known.number == number) {
            state_.chars.font = known.index;
            state_.codePage = fontCodePages_[static_cast<size_t>(known.index)];
            return;
        }
    }
    state_.chars.font = CharFormat::kDefaultFont;
    state_.codePage = 0;
}

void RtfReader::colorTableWord(RtfAction action, const RtfToken& token)
{
    const auto component = static_cast<uint32_t>(std::clamp(token.parameter, 0, 255));
    switch (action) {
    case RtfAction::Red: red_ = component; break;
    case RtfAction::Green: green_ = component; break;
    case RtfAction::Blue: blue_ = component; break;
    default: return;
    }
    colorSet_ = true;
}

// Each ';' ends an entry; one without components is the automatic colour.
void RtfReader::colorTableText(std::string_view bytes)
{
    for (const char c : bytes) {
        if (c != ';')
            continue;
        if (colors_.size() < kMaxTableEntries) {
            if (colorSet_)
                colors_.emplace_back(red_ | (green_ << 8) | (blue_ << 16));
            else
                colors_.emplace_back(std::nullopt);
        }
        red_ = green_ = blue_ = 0;
        colorSet_ = false;
    }
}

void RtfReader::selectColor(int32_t index)
{
    CharFormat& chars = state_.chars;
    if (index >= 0 && static_cast<size_t>(index) < colors_.size() && colors_[static_cast<size_t>(index)]) {
        chars.hasColor = true;
        chars.color = *colors_[static_cast<size_t>(index)];
    } else {
        chars.hasColor = false;
        chars.color = 0;
    }
}

} // namespace text
