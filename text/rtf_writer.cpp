// The RTF writer. Formats are written as differences from the previous run,
// with \plain when a property must return to its unset value, so a run of
// unchanged formatting costs nothing but its text.
#include "text/rtf_writer.h"

#include <array>
#include <charconv>
#include <cstring>
#include <memory>

namespace text {

namespace {

// The output buffer: appends without the zero-filling and bookkeeping of a
// growing std::string, copied into one at the end.
class Output {
public:
    void reserve(size_t more)
    {
        if (static_cast<size_t>(end_ - next_) >= more)
            return;
        const size_t used = static_cast<size_t>(next_ - data_.get());
        const size_t capacity = std::max(2 * (used + more), size_t{4096});
        auto bigger = std::make_unique_for_overwrite<char[]>(capacity);
        if (used > 0)
            std::memcpy(bigger.get(), data_.get(), used);
        data_ = std::move(bigger);
        next_ = data_.get() + used;
        end_ = data_.get() + capacity;
    }
    Output& operator+=(char c)
    {
        reserve(1);
        *next_++ = c;
        return *this;
    }
    Output& operator+=(std::string_view text)
    {
        reserve(text.size());
        std::memcpy(next_, text.data(), text.size());
        next_ += text.size();
        return *this;
    }
    // Room for `count` bytes the caller writes through the pointer, then
    // hands back to commit().
    char* claim(size_t count)
    {
        reserve(count);
        return next_;
    }
    void commit(char* end) { next_ = end; }
    std::string take() const { return std::string(data_.get(), static_cast<size_t>(next_ - data_.get())); }

private:
    std::unique_ptr<char[]> data_;
    char* next_ = nullptr;
    char* end_ = nullptr;
};

// Characters written as themselves.
constexpr std::array<bool, 128> kPlainAscii = [] {
    std::array<bool, 128> table{};
    for (int c = 0x20; c < 0x80; ++c)
        table[static_cast<size_t>(c)] = c != '\\' && c != '{' && c != '}';
    return table;
}();

class RtfWriter {
public:
    explicit RtfWriter(const Document& document) : document_(document) {}
    std::string write();

private:
    void header();
    void fontTable();
    void colorTable();
    void paragraphFormat(const ParagraphFormat& format);
    void paragraph(const Paragraph& p);
    void charFormat(CharFormat format);
    void text(std::u16string_view text);
    void faceName(std::u16string_view face);
    void picture(const Picture& picture);
    void word(std::string_view name, int64_t value);
    void hexData(std::string_view data);
    size_t colorIndex(const CharFormat& format);

    const Document& document_;
    Output out_;
    std::vector<uint32_t> colors_; // table index - 1
    CharFormat chars_;
    ParagraphFormat paragraph_;
    bool first_ = true;
};

std::string RtfWriter::write()
{
    size_t estimate = 256;
    for (const Paragraph& p : document_.paragraphs)
        estimate += p.text.size() + p.runs.size() * 8 + 8;
    out_.reserve(estimate + estimate / 4);
    for (const Paragraph& p : document_.paragraphs) {
        for (const Run& run : p.runs) {
            if (run.format.hasColor)
                colorIndex(run.format);
        }
    }
    header();
    for (const Paragraph& p : document_.paragraphs)
        paragraph(p);
    out_ += '}';
    return out_.take();
}

void RtfWriter::header()
{
    out_ += "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1";
    fontTable();
    colorTable();
    out_ += '\n';
}

void RtfWriter::fontTable()
{
    out_ += "{\\fonttbl";
    for (size_t i = 0; i < document_.fonts.size(); ++i) {
        const Font& font = document_.fonts[i];
        out_ += "{";
        word("f", static_cast<int64_t>(i));
        out_ += "\\fnil";
        word("fcharset", font.charset);
        out_ += ' ';
        faceName(font.face);
        out_ += ";}";
    }
    out_ += "}";
}

void RtfWriter::colorTable()
{
    if (colors_.empty())
        return;
    out_ += "{\\colortbl;";
    for (const uint32_t color : colors_) {
        word("red", color & 0xFF);
        word("green", (color >> 8) & 0xFF);
        word("blue", (color >> 16) & 0xFF);
        out_ += ';';
    }
    out_ += "}";
}

size_t RtfWriter::colorIndex(const CharFormat& format)
{
    const uint32_t color = format.color & 0xFFFFFF;
    for (size_t i = colors_.size(); i-- > 0;) {
        if (colors_[i] == color)
            return i + 1;
    }
    colors_.push_back(color);
    return colors_.size();
}

void RtfWriter::word(std::string_view name, int64_t value)
{
    out_ += '\\';
    out_ += name;
    char* digits = out_.claim(24);
    out_.commit(std::to_chars(digits, digits + 24, value).ptr);
}

void RtfWriter::paragraphFormat(const ParagraphFormat& format)
{
    if (!first_ && format == paragraph_)
        return;
    first_ = false;
    paragraph_ = format;
    out_ += "\\pard";
    switch (format.alignment) {
    case Alignment::Left: break;
    case Alignment::Center: out_ += "\\qc"; break;
    case Alignment::Right: out_ += "\\qr"; break;
    case Alignment::Justify: out_ += "\\qj"; break;
    }
    const std::pair<std::string_view, int32_t> lengths[] = {
        {"li", format.leftIndent}, {"ri", format.rightIndent}, {"fi", format.firstLineIndent},
        {"sb", format.spaceBefore}, {"sa", format.spaceAfter},
    };
    for (const auto& [name, value] : lengths) {
        if (value != 0)
            word(name, value);
    }
    if (format.lineSpacing != 0 || format.lineSpacingMultiple) {
        word("sl", format.lineSpacing);
        word("slmult", format.lineSpacingMultiple ? 1 : 0);
    }
    out_ += ' ';
}

void RtfWriter::paragraph(const Paragraph& p)
{
    paragraphFormat(p.format);
    const std::u16string_view all = p.text;
    size_t offset = 0;
    for (const Run& run : p.runs) {
        const size_t length = std::min<size_t>(run.length, all.size() - offset);
        if (length == 0)
            continue;
        charFormat(run.format);
        const bool isPicture = run.picture >= 0 && static_cast<size_t>(run.picture) < document_.pictures.size();
        if (isPicture)
            picture(document_.pictures[static_cast<size_t>(run.picture)]);
        else
            text(all.substr(offset, length));
        offset += length;
    }
    if (offset < all.size())
        text(all.substr(offset));
    out_ += "\\par\n";
}

void RtfWriter::charFormat(CharFormat format)
{
    if (format.font >= 0 && static_cast<size_t>(format.font) >= document_.fonts.size())
        format.font = CharFormat::kDefaultFont;
    if (!format.hasColor)
        format.color = 0;
    if (format == chars_)
        return;
    const CharFormat& was = chars_;
    // RTF can switch a property off, but only \plain brings back "unset".
    const bool plain = (was.font >= 0 && format.font < 0) || (was.sizeHalfPoints > 0 && format.sizeHalfPoints <= 0) ||
                       (was.bold && !format.bold) || (was.italic && !format.italic) ||
                       (was.underline && !format.underline) || (was.strikeOut && !format.strikeOut);
    const CharFormat base = plain ? CharFormat{} : was;
    if (plain)
        out_ += "\\plain";
    if (format.font != base.font)
        word("f", format.font);
    if (format.sizeHalfPoints != base.sizeHalfPoints && format.sizeHalfPoints > 0)
        word("fs", format.sizeHalfPoints);
    if (format.hasColor != base.hasColor || format.color != base.color)
        word("cf", format.hasColor ? static_cast<int64_t>(colorIndex(format)) : 0);
    if (format.bold && !base.bold)
        out_ += "\\b";
    if (format.italic && !base.italic)
        out_ += "\\i";
    if (format.underline && !base.underline)
        out_ += "\\ul";
    if (format.strikeOut && !base.strikeOut)
        out_ += "\\strike";
    out_ += ' ';
    chars_ = format;
}

void RtfWriter::text(std::u16string_view text)
{
    size_t i = 0;
    while (i < text.size()) {
        size_t end = i;
        while (end < text.size() && text[end] < 0x80 && kPlainAscii[text[end]])
            ++end;
        if (end > i) {
            char* target = out_.claim(end - i);
            for (size_t k = i; k < end; ++k)
                *target++ = static_cast<char>(text[k]);
            out_.commit(target);
            i = end;
            continue;
        }
        const char16_t c = text[i++];
        switch (c) {
        case u'\\': out_ += "\\\\"; break;
        case u'{': out_ += "\\{"; break;
        case u'}': out_ += "\\}"; break;
        case u'\t': out_ += "\\tab "; break;
        case u'\u2028': out_ += "\\line "; break;
        default:
            // RTF writes \uN as a signed 16-bit number.
            word("u", static_cast<int16_t>(c));
            out_ += '?';
            break;
        }
    }
}

// A ';' would end the name early, a \tab would be lost: everything but
// letters, digits and plain punctuation goes as \uN.
void RtfWriter::faceName(std::u16string_view face)
{
    for (const char16_t c : face) {
        if (c < 0x80 && kPlainAscii[c] && c != u';') {
            out_ += static_cast<char>(c);
        } else {
            word("u", static_cast<int16_t>(c));
            out_ += '?';
        }
    }
}

void RtfWriter::picture(const Picture& picture)
{
    if (!picture.source.empty()) {
        out_ += picture.source;
        return;
    }
    if (picture.kind == Picture::Kind::Other || picture.data.empty())
        return;
    out_ += picture.kind == Picture::Kind::Png ? "{\\pict\\pngblip" : "{\\pict\\jpegblip";
    word("picw", picture.width);
    word("pich", picture.height);
    if (picture.widthGoal > 0)
        word("picwgoal", picture.widthGoal);
    if (picture.heightGoal > 0)
        word("pichgoal", picture.heightGoal);
    if (picture.scaleX != 100)
        word("picscalex", picture.scaleX);
    if (picture.scaleY != 100)
        word("picscaley", picture.scaleY);
    out_ += '\n';
    hexData(picture.data);
    out_ += '}';
}

void RtfWriter::hexData(std::string_view data)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    for (size_t i = 0; i < data.size(); ++i) {
        const auto b = static_cast<unsigned char>(data[i]);
        out_ += kDigits[b >> 4];
        out_ += kDigits[b & 15];
        if (i % 64 == 63)
            out_ += '\n';
    }
}

} // namespace

std::string writeRtf(const Document& document)
{
    return RtfWriter(document).write();
}

} // namespace text
