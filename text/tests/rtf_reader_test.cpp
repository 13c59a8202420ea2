// The RTF reader: what text and formatting it gets from small files, what it
// skips, and that broken files end cleanly.
#include "text/rtf_reader.h"

#include "test_support.h"

#include <gtest/gtest.h>

namespace text {
namespace {

using testing::joinedText;

Document read(std::string_view rtf)
{
    auto document = readRtf(rtf);
    EXPECT_TRUE(document.has_value()) << rtf;
    return document ? *document : Document{};
}

TEST(RtfReader, ReportsFailureForBytesThatDoNotBeginAsRtf)
{
    for (const char* bytes : {"", "Hello", " {\\rtf1 a}", "\xEF\xBB\xBF{\\rtf1 a}", "{\\rt", "{\\RTF1 a}", "\\rtf1 a"})
        EXPECT_FALSE(readRtf(bytes).has_value()) << bytes;
    EXPECT_TRUE(readRtf("{\\rtf").has_value());
}

struct TextCase {
    const char* name;
    const char* rtf;
    const char* text; // paragraphs joined by '|'
};

class RtfText : public ::testing::TestWithParam<TextCase> {};

TEST_P(RtfText, Reads)
{
    EXPECT_EQ(joinedText(read(GetParam().rtf)), GetParam().text) << GetParam().rtf;
}

const TextCase kTextCases[] = {
    {"FinalParEndsTheLastParagraph", R"({\rtf1 one\par two\par})", "one|two"},
    {"TextAfterTheLastPar", R"({\rtf1 one\par two})", "one|two"},
    {"EmptyParagraphsKept", R"({\rtf1 a\par\par b\par\par})", "a||b|"},
    {"EmptyDocument", R"({\rtf1})", ""},
    {"LineBreaksInTheFileMeanNothing", "{\\rtf1 a\r\nb\nc\rd}", "abcd"},
    {"BackslashNewlineIsPar", "{\\rtf1 a\\\nb}", "a|b"},
    {"DelimiterSpaceConsumed", R"({\rtf1\b  two spaces\b0 x})", " two spacesx"},
    {"EscapedSymbols", R"({\rtf1 \\ \{ \}})", "\\ { }"},
    {"SpecialCharacters",
     R"({\rtf1 \emdash\endash\bullet\lquote\rquote\ldblquote\rdblquote\~\-\_\tab\line})",
     "\u2014\u2013\u2022\u2018\u2019\u201C\u201D\u00A0\u00AD\u2011\t\u2028"},
    {"UnknownWordsIgnoredTheirTextKept", R"({\rtf1 {\madeup7 kept} \alsounknown text})", "kept text"},
    {"IgnorableUnknownDestinationSkipped", R"({\rtf1 a{\*\madeup {nested} skipped}b})", "ab"},
    {"SkippedDestinations",
     R"({\rtf1{\info{\title T}}{\stylesheet{\s0 Normal;}}{\header H}{\footer F})"
     R"(a{\footnote note}{\*\annotation c}b})",
     "ab"},
    {"FieldResultKeptInstructionSkipped",
     R"({\rtf1 see {\field{\*\fldinst HYPERLINK "http://x"}{\fldrslt{\ul link}}} now})", "see link now"},
    {"FieldInstructionWithoutStar", R"({\rtf1 {\field{\fldinst PAGE}{\fldrslt 3}}})", "3"},
    {"ListTextKept", R"({\rtf1{\listtext 1.\tab}First\par{\pntext \bullet\tab}Second\par})",
     "1.\tFirst|\u2022\tSecond"},
    {"ListDefinitionsSkipped", R"({\rtf1{\*\listtable{\list{\leveltext \'01\u8226 ;}}}{\*\pn{\pntxta .}}x})", "x"},
    {"TableCellsOneParagraphEach",
     R"({\rtf1\trowd\cellx1000\cellx2000 \intbl A\cell B\cell\row\trowd\intbl \cell D\cell\row after\par})",
     "A|B||D|after"},
    {"NestedTableCells", R"({\rtf1\intbl x\nestcell{\*\nesttableprops\nestrow}y\cell\row})", "x|y"},
    {"PageBreakEndsAParagraphUnderWay", R"({\rtf1 a\page b\par\page c})", "a|b|c"},
    {"UnicodeWithDefaultFallback", R"({\rtf1 \u1087?\u1088?})", "\u043F\u0440"},
    {"UnicodeNegativeValue", R"({\rtf1 \u-4064?})", "\uF020"},
    {"UnicodeSurrogatePair", R"({\rtf1 \u-10179?\u-8704?})", "\U0001F600"},
    {"UnicodeSkipCountFromUc", R"({\rtf1\uc2 \u12354\'82\'a0 x})", "\u3042 x"},
    {"UnicodeSkipZero", R"({\rtf1\uc0 \u233 e})", "\u00E9e"},
    {"UnicodeSkipIsGroupScoped", R"({\rtf1 {\uc0 \u233}\u233 e})", "\u00E9\u00E9"},
    {"FallbackEndsAtAControlWord", R"({\rtf1 \u8226\tab x})", "\u2022\tx"},
    {"HexInDocumentCodePage", R"({\rtf1\ansi\ansicpg1251 \'cf\'f0\'e8})", "\u041F\u0440\u0438"},
    {"HexDefaultsToWindows1252", R"({\rtf1 \'e9\'80\'81})", "\u00E9\u20AC\u0081"},
    {"HexInFontCharset",
     R"({\rtf1\ansi{\fonttbl{\f0\fcharset0 Arial;}{\f1\fcharset204 Arial Cyr;}}\f1\'e0\f0\'e0})", "\u0430\u00E0"},
    {"HexInFontCodePage", R"({\rtf1{\fonttbl{\f0\cpg1253 Greek;}}\f0\'e1})", "\u03B1"},
    {"DoubleByteCodePage", "{\\rtf1\\ansi\\ansicpg932 \\'82\\'a0\\'83\\'41\\'82\x9f}", "\u3042\u30A2\u3041"},
    {"DoubleByteLeadCutByGroup", R"({\rtf1\ansicpg932 {\'82}x})", "\uFFFDx"},
    {"RawHighBytesInCodePage", "{\\rtf1\\ansicpg1251 \xcf\xf0}", "\u041F\u0440"},
    {"UprTakesTheUnicodeForm", R"({\rtf1 {\upr{ansi text}{\*\ud{unicode \u1087?}}}})", "unicode \u043F"},
    {"BinDataSkippedEvenWithBraces", "{\\rtf1 a\\bin3 }{\\b}", "ab"},
    {"BinLongerThanTheFile", "{\\rtf1 a\\bin999999999 xyz", "a"},
    {"BinInsideSkippedGroup", "{\\rtf1 {\\*\\x \\bin1 }}b}", "b"},
    {"UnbalancedBracesAtEndAccepted", R"({\rtf1 a{\b b{\i c)", "abc"},
    // Fuzz findings (tests/regress): a \* without its word must not make a
    // later group skipped; a picture's inner groups are its data, not tables.
    {"StarMarksOnlyTheNextWord", R"({\rtf1 {\pict\pngblip{\*00}}\u1087?{\*}\u1088?})", "\uFFFC\u043F\u0440"},
    {"PictureHoldingTables", R"({\rtf1 a{\pict{\fonttbl{\f0 Inner;}}\ansicpg1251 00}\'cf})", "a\uFFFC\u00CF"},
    {"TextAfterTheClosingBraceIgnored", R"({\rtf1 a}b{c})", "a"},
    {"TrailingBackslash", "{\\rtf1 a\\", "a"},
    {"HugeParameterClamped", R"({\rtf1\fs99999999999999999999 x\li-99999999999 y})", "xy"},
};
INSTANTIATE_TEST_SUITE_P(Cases, RtfText, ::testing::ValuesIn(kTextCases),
                         [](const ::testing::TestParamInfo<TextCase>& c) { return std::string(c.param.name); });

TEST(RtfReader, DeepNestingIsBoundedAndTheRestStillRead)
{
    std::string rtf = "{\\rtf1 a";
    for (int i = 0; i < 100000; ++i)
        rtf += "{x";
    for (int i = 0; i < 100000; ++i)
        rtf += "}";
    rtf += "b}";
    const std::string text = joinedText(read(rtf));
    EXPECT_EQ(text.front(), 'a');
    EXPECT_EQ(text.back(), 'b');
    EXPECT_LT(text.size(), kMaxGroupDepth + 2); // groups past the bound are skipped
}

TEST(RtfReader, CharacterFormatting)
{
    const Document d = read(R"({\rtf1{\fonttbl{\f0\fswiss\fcharset0 Arial;}{\f3\froman\fcharset204 Times New Roman;}})"
                            R"({\colortbl;\red255\green0\blue0;\red0\green128\blue255;})"
                            R"(\f3\fs28\cf2\b\i\ul\strike A\b0\i0\ulnone\strike0 B\plain C{\uldb\striked1 D}\ul0 E)"
                            R"(\cf0 F\cf9 G\f0 H\f7 I})");
    ASSERT_EQ(d.fonts.size(), 2u);
    EXPECT_EQ(d.fonts[1], (Font{u"Times New Roman", 204}));
    EXPECT_EQ(d.fonts[0], (Font{u"Arial", 0}));
    const auto& runs = d.paragraphs.at(0).runs;
    ASSERT_EQ(runs.size(), 7u);
    CharFormat a;
    a.font = 1, a.sizeHalfPoints = 28, a.color = 0xFF8000, a.hasColor = true;
    a.bold = a.italic = a.underline = a.strikeOut = true;
    CharFormat b = a;
    b.bold = b.italic = b.underline = b.strikeOut = false;
    CharFormat d2;
    d2.underline = d2.strikeOut = true;
    CharFormat h;
    h.font = 0;
    const CharFormat expected[] = {a, b, CharFormat{}, d2, CharFormat{}, h, CharFormat{}};
    const uint32_t lengths[] = {1, 1, 1, 1, 3, 1, 1}; // E, F and G share the plain format
    for (size_t i = 0; i < runs.size(); ++i) {
        EXPECT_EQ(runs[i].format, expected[i]) << "run " << i;
        EXPECT_EQ(runs[i].length, lengths[i]) << "run " << i;
    }
    EXPECT_EQ(joinedText(d), "ABCDEFGHI");
}

TEST(RtfReader, GroupsRestoreFormattingOnClose)
{
    const Document d = read(R"({\rtf1\b a{\b0\i\qc b\par}c\par})");
    ASSERT_EQ(d.paragraphs.size(), 2u);
    EXPECT_EQ(d.paragraphs[0].format.alignment, Alignment::Center);
    EXPECT_EQ(d.paragraphs[1].format.alignment, Alignment::Left);
    const auto& runs = d.paragraphs[0].runs;
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_TRUE(runs[0].format.bold);
    EXPECT_TRUE(runs[1].format.italic && !runs[1].format.bold);
    EXPECT_TRUE(d.paragraphs[1].runs.at(0).format.bold);
}

TEST(RtfReader, ParagraphFormattingBelongsToTheParagraphItEnds)
{
    const Document d = read(R"({\rtf1\pard\qr\li720\ri360\fi-240\sb120\sa60\sl-300\slmult0 one\par)"
                            R"(\pard\qj\sl360\slmult1 two\par\pard three\par\qc\par})");
    ASSERT_EQ(d.paragraphs.size(), 4u);
    ParagraphFormat one;
    one.alignment = Alignment::Right, one.leftIndent = 720, one.rightIndent = 360, one.firstLineIndent = -240;
    one.spaceBefore = 120, one.spaceAfter = 60, one.lineSpacing = -300;
    ParagraphFormat two;
    two.alignment = Alignment::Justify, two.lineSpacing = 360, two.lineSpacingMultiple = true;
    ParagraphFormat four;
    four.alignment = Alignment::Center;
    EXPECT_EQ(d.paragraphs[0].format, one);
    EXPECT_EQ(d.paragraphs[1].format, two);
    EXPECT_EQ(d.paragraphs[2].format, ParagraphFormat{});
    EXPECT_EQ(d.paragraphs[3].format, four);
}

TEST(RtfReader, FontTableForms)
{
    // Entries without their own groups, a face in its own double-byte
    // character set, a \upr face, a number defined twice, noise groups.
    const Document d = read("{\\rtf1{\\fonttbl\\f0\\fnil Plain One;\\f1\\fcharset128 \\'82\\'6c\\'82\\'72 Mincho;"
                            "{\\f2{\\*\\panose 0202}Times{\\*\\falt Alt};}{\\f0 Replaced;}"
                            "{\\upr{\\f4 ansi;}{\\*\\ud{\\f4 \\u1060?ace;}}}}\\f1 x\\f4 y}");
    ASSERT_EQ(d.fonts.size(), 4u);
    EXPECT_EQ(d.fonts[0].face, u"Replaced");
    EXPECT_EQ(d.fonts[1], (Font{u"\uFF2D\uFF33 Mincho", 128}));
    EXPECT_EQ(d.fonts[2].face, u"Times");
    EXPECT_EQ(d.fonts[3].face, u"\u0424ace");
    const auto& runs = d.paragraphs.at(0).runs;
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].format.font, 1);
    EXPECT_EQ(runs[1].format.font, 3);
}

TEST(RtfReader, PicturesKeepTheirGroupAndDecodeTheirData)
{
    const std::string png = R"({\pict{\*\picprop{\sp{\sn x}{\sv 1}}}\pngblip\picw2\pich3\picwgoal40\pichgoal60 89 50)"
                            "\n4e47}";
    const std::string jpeg = "{\\pict\\jpegblip\\picscalex50\\picscaley75\\bin3 \xff}\xd8}";
    const Document d = read("{\\rtf1 a" + png + "{\\*\\shppict" + jpeg + "}{\\nonshppict{\\pict\\wmetafile8 00}}b}");
    ASSERT_EQ(d.pictures.size(), 2u);
    const Picture& p = d.pictures[0];
    EXPECT_EQ(p.source, png);
    EXPECT_EQ(p.kind, Picture::Kind::Png);
    EXPECT_EQ(p.data, "\x89PNG");
    EXPECT_EQ((std::array{p.width, p.height, p.widthGoal, p.heightGoal}), (std::array{2, 3, 40, 60}));
    const Picture& q = d.pictures[1];
    EXPECT_EQ(q.source, jpeg);
    EXPECT_EQ(q.kind, Picture::Kind::Jpeg);
    EXPECT_EQ(q.data, "\xff}\xd8");
    EXPECT_EQ(q.scaleX, 50);
    EXPECT_EQ(q.scaleY, 75);
    const Paragraph& para = d.paragraphs.at(0);
    EXPECT_EQ(para.text, u"a\uFFFC\uFFFCb");
    ASSERT_EQ(para.runs.size(), 4u);
    EXPECT_EQ(para.runs[1].picture, 0);
    EXPECT_EQ(para.runs[2].picture, 1);
    EXPECT_EQ(para.runs[3].picture, Run::kNoPicture);
}

TEST(RtfReader, PictureSourceBeginsAtPict)
{
    // What stands before \pict in its group is body text and formatting.
    const Document d = read(R"({\rtf1 {\b x\pict\pngblip 00}})");
    ASSERT_EQ(d.pictures.size(), 1u);
    EXPECT_EQ(d.pictures[0].source, R"({\pict\pngblip 00})");
    EXPECT_EQ(d.paragraphs.at(0).text, u"x\uFFFC");
    EXPECT_TRUE(d.paragraphs[0].runs.at(1).format.bold);
}

TEST(RtfReader, UnterminatedPictureDropped)
{
    const Document d = read(R"({\rtf1 a{\pict\pngblip\bin99 8950)");
    EXPECT_TRUE(d.pictures.empty());
    EXPECT_EQ(joinedText(d), "a");
}

} // namespace
} // namespace text
