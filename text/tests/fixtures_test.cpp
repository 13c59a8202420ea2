// Files written by other programs (LibreOffice and pandoc converting
// documents composed for these tests, and a file in the form a Windows
// editor writes with \ansicpg1251), each beside the text it must give.
#include "text/document_file.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <fstream>

namespace text {
namespace {

std::string fileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// One line per paragraph; a line break inside one ends the line, pictures
// have no text, as `quelmar-doc text` prints it.
std::string lines(const Document& d)
{
    std::string out;
    for (const Paragraph& p : d.paragraphs) {
        std::u16string text;
        for (const char16_t c : p.text) {
            if (c == u'\u2028')
                text += u'\n';
            else if (c != u'\uFFFC')
                text += c;
        }
        out += base::utf16ToUtf8(text) + "\n";
    }
    return out;
}

class Fixture : public ::testing::TestWithParam<const char*> {};

TEST_P(Fixture, GivesItsText)
{
    const std::string base = std::string("data/") + GetParam();
    EXPECT_EQ(lines(loadDocumentFile(base + ".rtf")), fileText(base + ".txt"));
}

INSTANTIATE_TEST_SUITE_P(Files, Fixture,
                         ::testing::Values("lo_cyrillic", "lo_cjk", "lo_emoji", "lo_formatting", "lo_picture",
                                           "lo_table_list", "pandoc_cyrillic", "pandoc_cjk", "pandoc_emoji",
                                           "pandoc_lists", "pandoc_table", "word_ansicpg1251"));

const Run& runAt(const Paragraph& p, std::u16string_view text)
{
    size_t offset = 0;
    const size_t at = p.text.find(text);
    for (const Run& run : p.runs) {
        if (at < offset + run.length)
            return run;
        offset += run.length;
    }
    static const Run none;
    ADD_FAILURE() << "no run holds the text";
    return none;
}

TEST(FixtureFormatting, WordProcessorFormattingIsRead)
{
    const Document d = loadDocumentFile("data/lo_formatting.rtf");
    ASSERT_EQ(d.paragraphs.size(), 4u);
    EXPECT_EQ(d.paragraphs[0].format.alignment, Alignment::Center);
    EXPECT_EQ(d.paragraphs[1].format.alignment, Alignment::Right);
    EXPECT_EQ(d.paragraphs[2].format.alignment, Alignment::Justify);
    EXPECT_EQ(d.paragraphs[3].format.leftIndent, 1440);
    const text::Run& red = runAt(d.paragraphs[0], u"Centred");
    EXPECT_TRUE(red.format.hasColor);
    EXPECT_EQ(red.format.color, 0x0000C0u);
    EXPECT_EQ(d.fonts.at(static_cast<size_t>(red.format.font)).face, u"Georgia");
    EXPECT_TRUE(runAt(d.paragraphs[1], u"Right bold").format.bold);
    EXPECT_TRUE(runAt(d.paragraphs[1], u"italic").format.italic);
    EXPECT_TRUE(runAt(d.paragraphs[1], u"underlined").format.underline);
    EXPECT_TRUE(runAt(d.paragraphs[1], u"struck").format.strikeOut);
    const text::Run& mono = runAt(d.paragraphs[3], u"big mono");
    EXPECT_EQ(mono.format.sizeHalfPoints, 36);
    EXPECT_EQ(d.fonts.at(static_cast<size_t>(mono.format.font)).face, u"Courier New");
}

TEST(FixtureFormatting, PictureIsKeptAndDecoded)
{
    const Document d = loadDocumentFile("data/lo_picture.rtf");
    ASSERT_EQ(d.pictures.size(), 1u); // the \nonshppict copy is skipped
    EXPECT_EQ(d.pictures[0].kind, Picture::Kind::Png);
    EXPECT_TRUE(d.pictures[0].data.starts_with("\x89PNG\r\n\x1a\n"));
    EXPECT_EQ(d.pictures[0].width, 4);
    EXPECT_EQ(d.pictures[0].height, 3);
    EXPECT_NE(d.paragraphs.at(0).text.find(u'\uFFFC'), std::u16string::npos);
}

TEST(FixtureFormatting, CodePageTextKeepsItsFormatting)
{
    const Document d = loadDocumentFile("data/word_ansicpg1251.rtf");
    const text::Run& bold = runAt(d.paragraphs.at(0), u"\u043C\u0438\u0440");
    EXPECT_TRUE(bold.format.bold);
    EXPECT_EQ(bold.format.color, 0xFF0000u);
    EXPECT_EQ(d.paragraphs.at(1).format.alignment, Alignment::Center);
    EXPECT_EQ(d.fonts.at(1), (Font{u"Arial", 0}));
}

} // namespace
} // namespace text
