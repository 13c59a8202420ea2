// The control word table, kept sorted by name for a binary search.
#include "text/rtf_control_words.h"

#include "text/document.h"

#include <algorithm>
#include <iterator>

namespace text {

namespace {

using A = RtfAction;
constexpr uint32_t kPng = static_cast<uint32_t>(Picture::Kind::Png);
constexpr uint32_t kJpeg = static_cast<uint32_t>(Picture::Kind::Jpeg);
constexpr uint32_t kLeft = static_cast<uint32_t>(Alignment::Left);
constexpr uint32_t kCenter = static_cast<uint32_t>(Alignment::Center);
constexpr uint32_t kRight = static_cast<uint32_t>(Alignment::Right);
constexpr uint32_t kJustify = static_cast<uint32_t>(Alignment::Justify);

// Destinations the model cannot hold are skipped with everything in them:
// headers, footers, footnotes, comments, field instructions, document
// information, style and list definitions, and the fallback copies that
// writers add for readers without shapes or nested tables.
constexpr RtfControlWord kWords[] = {
    {"aftncn", A::Skip}, {"aftnsep", A::Skip}, {"aftnsepc", A::Skip},
    {"annotation", A::Skip}, {"ansi", A::CodePageAnsi}, {"ansicpg", A::AnsiCodePage}, {"atnauthor", A::Skip}, {"atndate", A::Skip}, {"atnicn", A::Skip},
    {"atnid", A::Skip}, {"atnparent", A::Skip}, {"atnref", A::Skip}, {"atntime", A::Skip},
    {"atrfend", A::Skip}, {"atrfstart", A::Skip},
    {"b", A::Bold}, {"bin", A::Binary}, {"bkmkend", A::Skip}, {"bkmkstart", A::Skip},
    {"blue", A::Blue}, {"bullet", A::Character, 0x2022},
    {"cell", A::Cell}, {"cf", A::Color}, {"colortbl", A::ColorTable}, {"column", A::SectionBreak},
    {"comment", A::Skip}, {"cpg", A::FontCodePage},
    {"do", A::Skip}, {"emdash", A::Character, 0x2014}, {"emspace", A::Character, 0x2003},
    {"endash", A::Character, 0x2013}, {"enspace", A::Character, 0x2002},
    {"f", A::Font}, {"fcharset", A::FontCharset}, {"fi", A::FirstIndent}, {"fldinst", A::Skip},
    {"fonttbl", A::FontTable}, {"footer", A::Skip}, {"footerf", A::Skip}, {"footerl", A::Skip},
    {"footerr", A::Skip}, {"footnote", A::Skip}, {"fs", A::FontSize},
    {"ftncn", A::Skip}, {"ftnsep", A::Skip}, {"ftnsepc", A::Skip},
    {"green", A::Green},
    {"header", A::Skip}, {"headerf", A::Skip}, {"headerl", A::Skip}, {"headerr", A::Skip},
    {"i", A::Italic}, {"info", A::Skip},
    {"jpegblip", A::PictureKind, kJpeg},
    {"ldblquote", A::Character, 0x201C}, {"li", A::LeftIndent}, {"lin", A::LeftIndent},
    {"line", A::LineBreak}, {"listoverridetable", A::Skip}, {"listtable", A::Skip},
    {"listtext", A::ReadGroup}, {"lquote", A::Character, 0x2018}, {"ltrmark", A::Character, 0x200E},
    {"mac", A::CodePageMac}, {"mmathPr", A::Skip},
    {"nestcell", A::Cell}, {"nestrow", A::Row}, {"nonesttables", A::Skip}, {"nonshppict", A::Skip},
    {"objalias", A::Skip}, {"objclass", A::Skip}, {"objdata", A::Skip}, {"objname", A::Skip},
    {"objsect", A::Skip}, {"objtime", A::Skip},
    {"page", A::SectionBreak}, {"par", A::Paragraph}, {"pard", A::ParagraphDefault},
    {"pc", A::CodePagePc}, {"pca", A::CodePagePca},
    {"pich", A::PictureHeight}, {"pichgoal", A::PictureHeightGoal},
    {"picscalex", A::PictureScaleX}, {"picscaley", A::PictureScaleY},
    {"pict", A::Picture}, {"picw", A::PictureWidth}, {"picwgoal", A::PictureWidthGoal},
    {"plain", A::Plain}, {"pn", A::Skip}, {"pngblip", A::PictureKind, kPng}, {"pntext", A::ReadGroup},
    {"private", A::Skip},
    {"qc", A::Align, kCenter}, {"qd", A::Align, kJustify}, {"qj", A::Align, kJustify},
    {"ql", A::Align, kLeft}, {"qmspace", A::Character, 0x2005}, {"qr", A::Align, kRight},
    {"rdblquote", A::Character, 0x201D}, {"red", A::Red}, {"ri", A::RightIndent},
    {"rin", A::RightIndent}, {"row", A::Row}, {"rquote", A::Character, 0x2019},
    {"rtlmark", A::Character, 0x200F}, {"rxe", A::Skip},
    {"sa", A::SpaceAfter}, {"sb", A::SpaceBefore}, {"sect", A::SectionBreak},
    {"shppict", A::ReadGroup}, {"sl", A::LineSpacing}, {"slmult", A::LineMultiple},
    {"strike", A::Strike}, {"striked", A::Strike}, {"stylesheet", A::Skip},
    {"tab", A::Character, 0x0009}, {"tc", A::Skip}, {"template", A::Skip}, {"txe", A::Skip},
    {"u", A::Unicode}, {"uc", A::UnicodeSkip}, {"ud", A::ReadGroup},
    {"ul", A::Underline}, {"uld", A::Underline}, {"uldash", A::Underline},
    {"uldashd", A::Underline}, {"uldashdd", A::Underline}, {"uldb", A::Underline},
    {"ulhair", A::Underline}, {"ulhwave", A::Underline}, {"ulldash", A::Underline},
    {"ulnone", A::UnderlineNone}, {"ulth", A::Underline}, {"ulthd", A::Underline},
    {"ulthdash", A::Underline}, {"ulthdashd", A::Underline}, {"ulthdashdd", A::Underline},
    {"ulthldash", A::Underline}, {"ululdbwave", A::Underline}, {"ulw", A::Underline},
    {"ulwave", A::Underline}, {"upr", A::Upr},
    {"xe", A::Skip},
    {"zwj", A::Character, 0x200D}, {"zwnj", A::Character, 0x200C},
};

constexpr bool isSorted()
{
    for (size_t i = 1; i < std::size(kWords); ++i) {
        if (!(kWords[i - 1].name < kWords[i].name))
            return false;
    }
    return true;
}
static_assert(isSorted(), "the control word table must stay sorted for the binary search");

} // namespace

const RtfControlWord* findControlWord(std::string_view name)
{
    const auto* end = std::end(kWords);
    const auto* it = std::lower_bound(std::begin(kWords), end, name,
                                      [](const RtfControlWord& word, std::string_view key) { return word.name < key; });
    return it != end && it->name == name ? it : nullptr;
}

} // namespace text
