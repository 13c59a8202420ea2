// The RTF writer: exact bytes of a small document, and model -> RTF -> model
// round trips over the formatting it can carry and characters of every plane.
#include "text/rtf_writer.h"

#include "test_support.h"
#include "text/rtf_reader.h"

#include <gtest/gtest.h>

namespace text {
namespace {

using testing::makeParagraph;

Document roundTrip(const Document& document)
{
    auto back = readRtf(writeRtf(document));
    EXPECT_TRUE(back.has_value());
    return back ? *back : Document{};
}

TEST(RtfWriter, TwoParagraphDocumentBytes)
{
    CharFormat bold;
    bold.bold = true;
    CharFormat red;
    red.font = 0, red.sizeHalfPoints = 28, red.hasColor = true, red.color = 0x0000FF;
    ParagraphFormat centred;
    centred.alignment = Alignment::Center, centred.spaceAfter = 120;
    Document d;
    d.fonts = {Font{u"Calibri", 204}};
    d.paragraphs = {makeParagraph({{"Hi {", bold}, {"\\ \xD0\xAF\tx", {}}}), makeParagraph({{"red", red}}, centred)};
    EXPECT_EQ(writeRtf(d), "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1{\\fonttbl{\\f0\\fnil\\fcharset204 Calibri;}}"
                           "{\\colortbl;\\red255\\green0\\blue0;}\n"
                           "\\pard \\b Hi \\{\\plain \\\\ \\u1071?\\tab x\\par\n"
                           "\\pard\\qc\\sa120 \\f0\\fs28\\cf1 red\\par\n}");
}

TEST(RtfWriter, EmptyDocumentIsOneEmptyParagraph)
{
    const std::string rtf = writeRtf(Document{});
    EXPECT_EQ(rtf, "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1{\\fonttbl}\n\\pard \\par\n}");
    EXPECT_EQ(roundTrip(Document{}), Document{});
}

// Each row is one paragraph; the whole table also goes through as one document.
struct FormatCase {
    const char* name;
    CharFormat format;
    ParagraphFormat paragraph;
};

CharFormat chars(int32_t font, int32_t size, bool hasColor, uint32_t color, bool b, bool i, bool u, bool s)
{
    CharFormat f;
    f.font = font, f.sizeHalfPoints = size, f.hasColor = hasColor, f.color = color;
    f.bold = b, f.italic = i, f.underline = u, f.strikeOut = s;
    return f;
}

ParagraphFormat paragraph(Alignment a, int32_t li, int32_t ri, int32_t fi, int32_t sb, int32_t sa, int32_t sl, bool multiple)
{
    ParagraphFormat p;
    p.alignment = a, p.leftIndent = li, p.rightIndent = ri, p.firstLineIndent = fi;
    p.spaceBefore = sb, p.spaceAfter = sa, p.lineSpacing = sl, p.lineSpacingMultiple = multiple;
    return p;
}

const FormatCase kFormats[] = {
    {"Unset", chars(-1, 0, false, 0, false, false, false, false), {}},
    {"AllOn", chars(1, 48, true, 0x123456, true, true, true, true), paragraph(Alignment::Justify, 1440, 720, -360, 240, 120, 360, true)},
    {"BoldOnly", chars(-1, 0, false, 0, true, false, false, false), paragraph(Alignment::Center, 0, 0, 0, 0, 0, 0, false)},
    {"ItalicUnderline", chars(0, 0, false, 0, false, true, true, false), paragraph(Alignment::Right, 0, 0, 0, 0, 0, -280, false)},
    {"StrikeColoured", chars(-1, 0, true, 0xFFFFFF, false, false, false, true), paragraph(Alignment::Left, 0, 0, 0, 0, 0, 300, false)},
    {"BlackIsNotAutomatic", chars(-1, 0, true, 0x000000, false, false, false, false), {}},
    {"SizeWithoutFont", chars(-1, 21, false, 0, false, false, false, false), paragraph(Alignment::Left, -200, 0, 200, 0, 0, 0, false)},
    {"FontWithoutSize", chars(1, 0, true, 0x00FF00, true, false, false, false), {}},
};

Document formatDocument()
{
    Document d;
    d.fonts = {Font{u"Arial", 0}, Font{u"Times New Roman", 204}};
    d.paragraphs.clear();
    for (const FormatCase& c : kFormats) {
        Paragraph p = makeParagraph({{"x", {}}, {c.name, c.format}, {"y", chars(0, 20, false, 0, true, false, false, false)}},
                                    c.paragraph);
        d.paragraphs.push_back(p);
    }
    return d;
}

TEST(RtfWriter, FormattingRoundTrips)
{
    const Document d = formatDocument();
    const Document back = roundTrip(d);
    ASSERT_EQ(back.paragraphs.size(), d.paragraphs.size());
    EXPECT_EQ(back.fonts, d.fonts);
    for (size_t i = 0; i < d.paragraphs.size(); ++i)
        EXPECT_EQ(back.paragraphs[i], d.paragraphs[i]) << kFormats[i].name;
}

TEST(RtfWriter, FormattingRoundTripsInEveryOrder)
{
    // Every pair of formats in both orders, so each change between two
    // formats is written once as a difference.
    Document d;
    d.fonts = {Font{u"Arial", 0}, Font{u"Times New Roman", 204}};
    d.paragraphs.clear();
    for (const FormatCase& a : kFormats) {
        for (const FormatCase& b : kFormats) {
            if (&a != &b)
                d.paragraphs.push_back(makeParagraph({{"a", a.format}, {"b", b.format}}));
        }
    }
    EXPECT_EQ(roundTrip(d), d);
}

TEST(RtfWriter, CharactersOfEveryPlaneRoundTrip)
{
    const char* texts[] = {
        "plain ASCII ~!@#$%^&*()_+`-=[]|;':\",./<>?",
        "braces {and} back\\slash",
        "Latin-1 \xC3\xA9\xC3\xB1\xC3\x9F \xC2\xA0nbsp \xC2\xAD",
        "Cyrillic \xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82",
        "CJK \xE4\xB8\xAD\xE6\x96\x87 \xE3\x81\x82 \xED\x95\x9C",
        "top of the BMP \xEF\xBF\xBD \xEF\xBF\xBC \xEE\x80\x80",
        "emoji \xF0\x9F\x98\x80 plane 2 \xF0\xA0\x80\x80 plane 15 \xF3\xB0\x80\x80 last \xF4\x8F\xBF\xBD",
        "controls \x01\x0B\x1F tab\tline\xE2\x80\xA8" "end",
    };
    Document d;
    d.paragraphs.clear();
    for (const char* t : texts)
        d.paragraphs.push_back(makeParagraph({{t, {}}}));
    d.paragraphs.push_back(Paragraph{});
    const std::string rtf = writeRtf(d);
    for (const char c : rtf)
        ASSERT_TRUE(static_cast<unsigned char>(c) < 0x80) << "the file is plain ASCII";
    EXPECT_EQ(roundTrip(d), d);
}

TEST(RtfWriter, PicturesWrittenBackUnchanged)
{
    const std::string group = "{\\pict\\pngblip\\picw1\\pich1 89504e47}";
    const Document d = *readRtf("{\\rtf1 a" + group + "b{\\pict\\wmetafile8\\bin2 \x01\x02}}");
    const std::string rtf = writeRtf(d);
    EXPECT_NE(rtf.find("a" + group + "b"), std::string::npos);
    EXPECT_NE(rtf.find("{\\pict\\wmetafile8\\bin2 \x01\x02}"), std::string::npos);
    EXPECT_EQ(roundTrip(d), d);
}

TEST(RtfWriter, PictureWithoutSourceIsWrittenFromItsData)
{
    Document d;
    Picture p;
    p.kind = Picture::Kind::Jpeg;
    p.data = "\xFF\xD8\xFF";
    p.width = 4, p.height = 3, p.widthGoal = 60, p.heightGoal = 45;
    d.pictures = {p};
    d.paragraphs[0].text.assign(1, u'\uFFFC');
    d.paragraphs[0].runs = {text::Run{1, {}, 0}};
    const Document back = roundTrip(d);
    ASSERT_EQ(back.pictures.size(), 1u);
    EXPECT_EQ(back.pictures[0].kind, Picture::Kind::Jpeg);
    EXPECT_EQ(back.pictures[0].data, p.data);
    EXPECT_EQ((std::array{back.pictures[0].width, back.pictures[0].heightGoal}), (std::array{4, 45}));
    EXPECT_EQ(back.paragraphs, d.paragraphs);
}

TEST(RtfWriter, FaceNamesWithSpecialCharactersRoundTrip)
{
    Document d;
    d.fonts = {Font{u"A;B {c} \u044F", 1}};
    d.paragraphs = {makeParagraph({{"x", chars(0, 0, false, 0, false, false, false, false)}})};
    EXPECT_EQ(roundTrip(d), d);
}

// Plain text goes out eight characters at a time: a character that must be
// escaped, at every place in runs of every length around that width.
TEST(RtfWriter, EscapesAtEveryPlaceInARun)
{
    const char16_t specials[] = {u'\\', u'{', u'}', u'\t', u'\u2028', 0x1F, 0x7F, 0x80, 0x416, 0xFFFD, 0xD83D};
    Document d;
    d.paragraphs.clear();
    for (size_t length = 1; length <= 19; ++length) {
        for (size_t at = 0; at < length; ++at) {
            for (const char16_t special : specials) {
                std::u16string text(length, u'a');
                text[at] = special;
                if (special == 0xD83D) // a surrogate pair, split by no boundary
                    text.insert(at + 1, 1, char16_t(0xDE00));
                Paragraph& p = d.paragraphs.emplace_back();
                p.text = text;
                p.runs = {text::Run{static_cast<uint32_t>(text.size()), {}, text::Run::kNoPicture}};
            }
        }
    }
    EXPECT_EQ(roundTrip(d), d);
}

// The stream writer told each format's name must write what it writes when
// it works every change out: over every pair of formats, back again, with a
// picture and unnamed text between, and names beyond the ones it remembers.
TEST(RtfStreamWriter, NamedFormatsWriteTheSameBytes)
{
    const std::vector<Font> fonts = {Font{u"Arial", 0}, Font{u"Times New Roman", 204}};
    Picture picture;
    picture.source = "{\\pict\\pngblip 00}";
    const auto write = [&](bool named) {
        RtfStreamWriter writer(fonts, 0);
        const auto id = [named](size_t i, uint32_t offset = 0) {
            return named ? static_cast<uint32_t>(i) + offset : RtfStreamWriter::kUnnamedFormat;
        };
        for (size_t a = 0; a < std::size(kFormats); ++a) {
            for (size_t b = 0; b < std::size(kFormats); ++b) {
                writer.beginParagraph(kFormats[a].paragraph);
                writer.text(u"a", kFormats[a].format, id(a));
                writer.text(u"b", kFormats[b].format, id(b));
                writer.text(u"a", kFormats[a].format, id(a));
                // Another name for the same format, and one too large to remember.
                writer.text(u"c", kFormats[b].format, id(b, 100));
                writer.text(u"d", kFormats[a].format, id(a, 1000));
                writer.picture(picture, kFormats[b].format);
                writer.text(u"e", kFormats[b].format, id(b));
                writer.text(u"f", kFormats[a].format);
                writer.text(u"g", kFormats[a].format, id(a));
                writer.endParagraph();
            }
        }
        return std::string(writer.finish().bytes());
    };
    const std::string plain = write(false);
    EXPECT_EQ(write(true), plain);
    EXPECT_TRUE(readRtf(plain).has_value());
}

// Between formats far apart (a high font and colour number, \plain first)
// the control words outgrow what is kept of a transition; they are written
// whole each time, named or not.
TEST(RtfStreamWriter, LongTransitionsBetweenNamedFormats)
{
    std::vector<Font> fonts;
    for (int i = 0; i < 400; ++i)
        fonts.push_back(Font{u"Face " + base::utf8ToUtf16(std::to_string(i)), 0});
    const auto write = [&fonts](bool named) {
        RtfStreamWriter writer(fonts, 0);
        writer.beginParagraph({});
        for (int pass = 0; pass < 2; ++pass) {
            for (uint32_t i = 0; i < 200; ++i) {
                const auto font = static_cast<int32_t>(399 - i);
                const CharFormat f = chars(font, 1638, true, 0x10000u + i, true, true, true, i % 2 == 0);
                writer.text(u"w", f, named ? i : RtfStreamWriter::kUnnamedFormat);
            }
        }
        writer.endParagraph();
        return std::string(writer.finish().bytes());
    };
    const std::string plain = write(false);
    EXPECT_NE(plain.find("\\plain\\f298\\fs1638\\cf102\\b\\i\\ul w"), std::string::npos);
    EXPECT_EQ(write(true), plain);
}

// The font table is written last and put in front of the body: a table
// longer than the room kept for it still comes out whole.
TEST(RtfStreamWriter, LongFontTableComesOutWhole)
{
    Document d;
    d.paragraphs.clear();
    for (int i = 0; i < 400; ++i) {
        d.fonts.push_back(Font{u"A face with a rather long name, number " + base::utf8ToUtf16(std::to_string(i)), 0});
        d.paragraphs.push_back(makeParagraph({{"x", chars(i, 24, true, static_cast<uint32_t>(i), false, false, false, false)}}));
    }
    EXPECT_EQ(roundTrip(d), d);
}

} // namespace
} // namespace text
