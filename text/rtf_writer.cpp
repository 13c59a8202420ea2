// The RTF writer. Formats are written as differences from the previous run,
// with \plain when a property must return to its unset value, so a run of
// unchanged formatting costs nothing but its text. The body is written first
// and the header (font and colour tables) put before it at the end, so that
// a source can be written in one pass.
#include "text/rtf_writer.h"

#include "text/rtf_output.h"

#include <array>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace text {

namespace {

// Characters written as themselves.
constexpr std::array<bool, 128> kPlainAscii = [] {
    std::array<bool, 128> table{};
    for (int c = 0x20; c < 0x80; ++c)
        table[static_cast<size_t>(c)] = c != '\\' && c != '{' && c != '}';
    return table;
}();

bool isPlainAscii(char16_t c) { return c < 0x80 && kPlainAscii[c]; }

// Copies the plain ASCII units from the start of `units` to `target` as
// bytes and says how many there were; eight at a time, since a novel is
// mostly such text between short runs of formatting. It may write past
// those, but never past `count` bytes.
size_t copyPlainAscii(const char16_t* units, size_t count, char* target)
{
    size_t i = 0;
#if defined(__SSE2__)
    const auto eight = [units, target](size_t at) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(units + at));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(target + at), _mm_packus_epi16(v, v));
        // Signed compares: units from 0x8000 up are negative and fail the first.
        const __m128i inRange = _mm_and_si128(_mm_cmpgt_epi16(v, _mm_set1_epi16(0x1F)),
                                              _mm_cmplt_epi16(v, _mm_set1_epi16(0x80)));
        const __m128i special = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(v, _mm_set1_epi16('\\')),
                                                          _mm_cmpeq_epi16(v, _mm_set1_epi16('{'))),
                                             _mm_cmpeq_epi16(v, _mm_set1_epi16('}')));
        const auto other = static_cast<unsigned>(_mm_movemask_epi8(_mm_andnot_si128(special, inRange))) ^ 0xFFFFu;
        return other ? at + static_cast<size_t>(__builtin_ctz(other)) / 2 : at + 8;
    };
    if (count >= 8) {
        for (; i + 8 <= count; i += 8) {
            if (const size_t end = eight(i); end != i + 8)
                return end;
        }
        // The last few units, read as the last eight: those before i are
        // known plain and written again unchanged.
        return i == count ? count : eight(count - 8);
    }
#endif
    for (; i < count && isPlainAscii(units[i]); ++i)
        target[i] = static_cast<char>(units[i]);
    return i;
}

} // namespace

class RtfStreamWriter::Body {
public:
    // Room before the body for the header, written last: enough for a
    // hundred faces and colours.
    static constexpr size_t kHeaderRoom = 8192;

    Body(const std::vector<Font>& fonts, size_t sizeHint) : fonts_(fonts), out_(kHeaderRoom) { out_.reserve(sizeHint); }

    void paragraphFormat(const ParagraphFormat& format);
    CharFormat normalized(CharFormat format) const;
    void charFormat(const CharFormat& requested);
    void namedCharFormat(const CharFormat& format, uint32_t id);
    void text(std::u16string_view text);
    void picture(const Picture& picture);
    void endParagraph() { out_ += "\\par\n"; }
    RtfFile finish();

private:
    void fontTable(RtfOutput& out) const;
    void colorTable(RtfOutput& out) const;
    void faceName(RtfOutput& out, std::u16string_view face) const;
    void hexData(std::string_view data);
    size_t colorIndex(uint32_t color);

    const std::vector<Font>& fonts_;
    RtfOutput out_;
    std::vector<uint32_t> colors_; // table index - 1
    CharFormat chars_;
    // While a named format is current, named_ is its name and chars_ is
    // brought up to date only when an unnamed one follows. The control words
    // from one named format to another are kept as met: a table by (from,
    // to) of their place in transitionBytes_, plus one (0: not met). Each
    // fills a slot of its own, copied whole: one wide copy, not a loop.
    static constexpr uint32_t kMaxNamed = 256;
    struct Transition {
        char bytes[31];
        uint8_t size;
    };
    uint32_t named_ = kUnnamedFormat;
    std::vector<CharFormat> namedFormats_;
    std::vector<uint32_t> transitions_;
    std::vector<Transition> transitionBytes_;
    ParagraphFormat paragraph_;
    bool first_ = true;
};

RtfFile RtfStreamWriter::Body::finish()
{
    RtfOutput header;
    header += "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1";
    fontTable(header);
    colorTable(header);
    header += '\n';
    out_ += '}';
    if (out_.prepend(header.view()))
        return std::move(out_).release();
    // More faces than the room kept for them: one copy of the body.
    RtfOutput whole;
    whole += header.view();
    whole += out_.view();
    return std::move(whole).release();
}

void RtfStreamWriter::Body::fontTable(RtfOutput& out) const
{
    out += "{\\fonttbl";
    for (size_t i = 0; i < fonts_.size(); ++i) {
        const Font& font = fonts_[i];
        out += "{";
        out.word("f", static_cast<int64_t>(i));
        out += "\\fnil";
        out.word("fcharset", font.charset);
        out += ' ';
        faceName(out, font.face);
        out += ";}";
    }
    out += "}";
}

void RtfStreamWriter::Body::colorTable(RtfOutput& out) const
{
    if (colors_.empty())
        return;
    out += "{\\colortbl;";
    for (const uint32_t color : colors_) {
        out.word("red", color & 0xFF);
        out.word("green", (color >> 8) & 0xFF);
        out.word("blue", (color >> 16) & 0xFF);
        out += ';';
    }
    out += "}";
}

size_t RtfStreamWriter::Body::colorIndex(uint32_t color)
{
    color &= 0xFFFFFF;
    for (size_t i = colors_.size(); i-- > 0;) {
        if (colors_[i] == color)
            return i + 1;
    }
    colors_.push_back(color);
    return colors_.size();
}

void RtfStreamWriter::Body::paragraphFormat(const ParagraphFormat& format)
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
            out_.word(name, value);
    }
    if (format.lineSpacing != 0 || format.lineSpacingMultiple) {
        out_.word("sl", format.lineSpacing);
        out_.word("slmult", format.lineSpacingMultiple ? 1 : 0);
    }
    out_ += ' ';
}

// A font the table does not hold is the default one; no colour is colour 0.
CharFormat RtfStreamWriter::Body::normalized(CharFormat format) const
{
    if (format.font >= 0 && static_cast<size_t>(format.font) >= fonts_.size())
        format.font = CharFormat::kDefaultFont;
    if (!format.hasColor)
        format.color = 0;
    return format;
}

void RtfStreamWriter::Body::charFormat(const CharFormat& requested)
{
    if (named_ != kUnnamedFormat)
        chars_ = namedFormats_[named_];
    named_ = kUnnamedFormat;
    const CharFormat format = normalized(requested);
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
        out_.word("f", format.font);
    if (format.sizeHalfPoints != base.sizeHalfPoints && format.sizeHalfPoints > 0)
        out_.word("fs", format.sizeHalfPoints);
    if (format.hasColor != base.hasColor || format.color != base.color)
        out_.word("cf", format.hasColor ? static_cast<int64_t>(colorIndex(format.color)) : 0);
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

void RtfStreamWriter::Body::namedCharFormat(const CharFormat& format, uint32_t id)
{
    if (id == named_)
        return;
    if (id >= kMaxNamed) {
        charFormat(format);
        return;
    }
    if (transitions_.empty()) {
        transitions_.resize(kMaxNamed * kMaxNamed);
        namedFormats_.resize(kMaxNamed);
    }
    uint32_t* known = named_ == kUnnamedFormat ? nullptr : &transitions_[named_ * kMaxNamed + id];
    if (known && *known != 0) {
        const Transition& t = transitionBytes_[*known - 1];
        char* target = out_.claim(sizeof t);
        std::memcpy(target, &t, sizeof t);
        out_.commit(target + t.size);
    } else {
        const size_t before = out_.view().size();
        charFormat(format);
        const std::string_view written = out_.view().substr(before);
        if (known && written.size() <= sizeof(Transition::bytes)) {
            Transition& t = transitionBytes_.emplace_back();
            std::memcpy(t.bytes, written.data(), written.size());
            t.size = static_cast<uint8_t>(written.size());
            *known = static_cast<uint32_t>(transitionBytes_.size());
        }
        namedFormats_[id] = chars_;
    }
    named_ = id;
}

void RtfStreamWriter::Body::text(std::u16string_view text)
{
    size_t i = 0;
    while (i < text.size()) {
        char* target = out_.claim(text.size() - i);
        const size_t plain = copyPlainAscii(text.data() + i, text.size() - i, target);
        out_.commit(target + plain);
        i += plain;
        if (i == text.size())
            break;
        const char16_t c = text[i++];
        switch (c) {
        case u'\\': out_ += "\\\\"; break;
        case u'{': out_ += "\\{"; break;
        case u'}': out_ += "\\}"; break;
        case u'\t': out_ += "\\tab "; break;
        case u'\u2028': out_ += "\\line "; break;
        default:
            out_.unicode(c);
            break;
        }
    }
}

// A ';' would end the name early, a \tab would be lost: everything but
// letters, digits and plain punctuation goes as \uN.
void RtfStreamWriter::Body::faceName(RtfOutput& out, std::u16string_view face) const
{
    for (const char16_t c : face) {
        if (isPlainAscii(c) && c != u';') {
            out += static_cast<char>(c);
        } else {
            out.word("u", static_cast<int16_t>(c));
            out += '?';
        }
    }
}

void RtfStreamWriter::Body::picture(const Picture& picture)
{
    if (!picture.source.empty()) {
        out_ += picture.source;
        return;
    }
    if (picture.kind == Picture::Kind::Other || picture.data.empty())
        return;
    out_ += picture.kind == Picture::Kind::Png ? "{\\pict\\pngblip" : "{\\pict\\jpegblip";
    out_.word("picw", picture.width);
    out_.word("pich", picture.height);
    if (picture.widthGoal > 0)
        out_.word("picwgoal", picture.widthGoal);
    if (picture.heightGoal > 0)
        out_.word("pichgoal", picture.heightGoal);
    if (picture.scaleX != 100)
        out_.word("picscalex", picture.scaleX);
    if (picture.scaleY != 100)
        out_.word("picscaley", picture.scaleY);
    out_ += '\n';
    hexData(picture.data);
    out_ += '}';
}

void RtfStreamWriter::Body::hexData(std::string_view data)
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

RtfStreamWriter::RtfStreamWriter(const std::vector<Font>& fonts, size_t sizeHint)
    : body_(std::make_unique<Body>(fonts, sizeHint)) {}

RtfStreamWriter::~RtfStreamWriter() = default;

void RtfStreamWriter::beginParagraph(const ParagraphFormat& format) { body_->paragraphFormat(format); }

void RtfStreamWriter::text(std::u16string_view text, const CharFormat& format, uint32_t formatId)
{
    if (text.empty())
        return;
    if (formatId == kUnnamedFormat)
        body_->charFormat(format);
    else
        body_->namedCharFormat(format, formatId);
    body_->text(text);
}

void RtfStreamWriter::picture(const Picture& picture, const CharFormat& format)
{
    body_->charFormat(format);
    body_->picture(picture);
}

void RtfStreamWriter::endParagraph() { body_->endParagraph(); }

RtfFile RtfStreamWriter::finish() { return body_->finish(); }

RtfFile writeRtfFile(const Document& document)
{
    size_t estimate = 256;
    for (const Paragraph& p : document.paragraphs)
        estimate += p.text.size() + p.runs.size() * 8 + 8;
    RtfStreamWriter writer(document.fonts, estimate + estimate / 4);
    for (const Paragraph& p : document.paragraphs) {
        writer.beginParagraph(p.format);
        const std::u16string_view all = p.text;
        size_t offset = 0;
        for (const Run& run : p.runs) {
            const size_t length = std::min<size_t>(run.length, all.size() - offset);
            if (length == 0)
                continue;
            if (run.picture >= 0 && static_cast<size_t>(run.picture) < document.pictures.size())
                writer.picture(document.pictures[static_cast<size_t>(run.picture)], run.format);
            else
                writer.text(all.substr(offset, length), run.format);
            offset += length;
        }
        // Text the runs do not cover keeps the last run's format; a
        // paragraph without runs is in the default one, as the text area shows it.
        if (offset < all.size())
            writer.text(all.substr(offset), p.runs.empty() ? CharFormat{} : p.runs.back().format);
        writer.endParagraph();
    }
    return writer.finish();
}

std::string writeRtf(const Document& document)
{
    return std::string(writeRtfFile(document).bytes());
}

} // namespace text
