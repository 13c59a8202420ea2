// The document model shared by the RTF reader and writer, the plain-text
// decoding and the text area: paragraphs of text, each cut into runs of one
// character format. Plain data with no toolkit types, so it can be fuzzed,
// benchmarked and used by the command-line tool.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace text {

// A face and its character set, as a font table entry holds them.
struct Font {
    std::u16string face;
    uint8_t charset = 1; // 1: the default character set
    bool operator==(const Font&) const = default;
};

// Fields left at their "unset" value take the text area's default character
// format (the font the settings choose): plain text carries no format.
struct CharFormat {
    static constexpr int32_t kDefaultFont = -1;

    int32_t font = kDefaultFont; // index into Document::fonts
    int32_t sizeHalfPoints = 0;  // 0: the default size
    uint32_t color = 0;          // 0x00BBGGRR, red in the low byte
    bool hasColor = false;       // false: automatic (the window-text colour)
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    bool operator==(const CharFormat&) const = default;
};

enum class Alignment : uint8_t { Left, Center, Right, Justify };

// Lengths in twips (1/20 point), as the file format counts them.
struct ParagraphFormat {
    Alignment alignment = Alignment::Left;
    int32_t leftIndent = 0;
    int32_t rightIndent = 0;
    int32_t firstLineIndent = 0;
    int32_t spaceBefore = 0;
    int32_t spaceAfter = 0;
    // 0: single spacing. Positive: at least this much; negative: exactly
    // its magnitude. With lineSpacingMultiple, a multiple of single spacing
    // in 240ths (360 is one and a half lines).
    int32_t lineSpacing = 0;
    bool lineSpacingMultiple = false;
    bool operator==(const ParagraphFormat&) const = default;
};

// An inline picture: kept as the file's own group so that saving writes it
// back unchanged; PNG and JPEG ones are also decoded for display.
struct Picture {
    enum class Kind : uint8_t { Png, Jpeg, Other };
    std::string source;      // the whole {\pict ...} group as it stood in the file
    Kind kind = Kind::Other;
    std::string data;        // the picture's bytes (hex or \bin decoded)
    int32_t width = 0;       // \picw, \pich: the picture's own size
    int32_t height = 0;
    int32_t widthGoal = 0;   // \picwgoal, \pichgoal: shown size in twips (0: unset)
    int32_t heightGoal = 0;
    int32_t scaleX = 100;    // \picscalex, \picscaley: percent
    int32_t scaleY = 100;
    bool operator==(const Picture&) const = default;
};

// A run covers `length` UTF-16 units of its paragraph's text. A picture run
// covers exactly one unit, U+FFFC, and names its picture.
struct Run {
    static constexpr int32_t kNoPicture = -1;

    uint32_t length = 0;
    CharFormat format;
    int32_t picture = kNoPicture; // index into Document::pictures
    bool operator==(const Run&) const = default;
};

// The text holds no paragraph break; a line break inside a paragraph is
// U+2028 and a tab U+0009. Runs cover the text exactly, in order.
struct Paragraph {
    std::u16string text;
    std::vector<Run> runs;
    ParagraphFormat format;
    bool operator==(const Paragraph&) const = default;
};

// Never empty: an empty document is one empty paragraph.
struct Document {
    std::vector<Paragraph> paragraphs{Paragraph{}};
    std::vector<Font> fonts;
    std::vector<Picture> pictures;
    bool operator==(const Document&) const = default;
};

} // namespace text
