// Every control word the RTF reader acts on, classed by what it does. Words
// not in the table are ignored; after \* they make their group skipped.
#pragma once

#include <cstdint>
#include <string_view>

namespace text {

enum class RtfAction : uint8_t {
    // Destinations: the word changes what its group's text is.
    FontTable, ColorTable, Picture, Skip, Upr, ReadGroup,
    // Text: a character (the entry's value), a break, a table boundary.
    Character, Paragraph, LineBreak, SectionBreak, Cell, Row, Unicode, Binary,
    // Character formatting.
    Plain, Bold, Italic, Underline, UnderlineNone, Strike, Font, FontSize, Color,
    // Paragraph formatting (alignment: the entry's value).
    ParagraphDefault, Align, LeftIndent, RightIndent, FirstIndent, SpaceBefore, SpaceAfter,
    LineSpacing, LineMultiple,
    // Document and font table.
    CodePageAnsi, CodePageMac, CodePagePc, CodePagePca, AnsiCodePage, UnicodeSkip, FontCharset, FontCodePage,
    // Colour table.
    Red, Green, Blue,
    // Picture properties (kind: the entry's value).
    PictureKind, PictureWidth, PictureHeight, PictureWidthGoal, PictureHeightGoal,
    PictureScaleX, PictureScaleY,
};

struct RtfControlWord {
    std::string_view name;
    RtfAction action;
    uint32_t value = 0;
};

// nullptr for a word the reader does not know.
const RtfControlWord* findControlWord(std::string_view name);

} // namespace text
