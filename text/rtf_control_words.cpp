// The control word table and its look-up.
#include "text/rtf_control_words.h"

#include "text/document.h"

#include <algorithm>
#include <array>
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
static_assert(isSorted(), "keep the control word table sorted, so a reader finds a word at a glance");

// Words are looked up once per token, so through a hash table built at
// compile time: open addressing, a slot per word at most a few steps away.
constexpr size_t kSlots = 1024;

constexpr size_t hashName(std::string_view name)
{
    size_t h = name.size();
    for (const char c : name)
        h = h * 131 + static_cast<unsigned char>(c);
    return h & (kSlots - 1);
}

constexpr std::array<int16_t, kSlots> kTable = [] {
    std::array<int16_t, kSlots> table{};
    table.fill(-1);
    for (size_t i = 0; i < std::size(kWords); ++i) {
        size_t slot = hashName(kWords[i].name);
        while (table[slot] >= 0)
            slot = (slot + 1) & (kSlots - 1);
        table[slot] = static_cast<int16_t>(i);
    }
    return table;
}();

} // namespace

const RtfControlWord* findControlWord(std::string_view name)
{
    if (name.size() > 32)
        return nullptr; // longer than any word the format defines
    for (size_t slot = hashName(name);; slot = (slot + 1) & (kSlots - 1)) {
        const int16_t index = kTable[slot];
        if (index < 0)
            return nullptr;
        const RtfControlWord& word = kWords[static_cast<size_t>(index)];
        if (word.name.size() == name.size() && std::equal(name.begin(), name.end(), word.name.begin()))
            return &word;
    }
}

} // namespace text
