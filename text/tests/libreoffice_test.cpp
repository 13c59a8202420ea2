// What Quelmar saves, opened by LibreOffice: the text it reads from our RTF,
// and the formatting it writes back when it saves that file as RTF itself.
// Skipped where LibreOffice is not installed.
#include "text/document_file.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace text {
namespace {

namespace fs = std::filesystem;
using testing::makeParagraph;

Document composed()
{
    CharFormat bold;
    bold.bold = true;
    CharFormat red;
    red.font = 1, red.sizeHalfPoints = 36, red.hasColor = true, red.color = 0x0000FF, red.italic = true;
    CharFormat marked;
    marked.font = 0, marked.underline = true, marked.strikeOut = true;
    ParagraphFormat centred;
    centred.alignment = Alignment::Center;
    ParagraphFormat indented;
    indented.alignment = Alignment::Right, indented.leftIndent = 720;
    Document d;
    d.fonts = {Font{u"Liberation Sans", 0}, Font{u"DejaVu Serif", 204}};
    d.paragraphs = {
        makeParagraph({{"Plain and ", {}}, {"bold", bold}, {" text {braces} \\", {}}}),
        makeParagraph({{"\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 red", red}}, centred),
        makeParagraph({{"\xE4\xB8\xAD\xE6\x96\x87 and \xF0\x9F\x98\x80 ", {}}, {"marked", marked}}, indented),
        makeParagraph({{"tab\there", {}}}),
    };
    return d;
}

class LibreOffice : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (std::system("command -v soffice >/dev/null 2>&1") != 0)
            GTEST_SKIP() << "LibreOffice (soffice) is not installed";
        folder_ = fs::temp_directory_path() / ("quelmar-lo-test-" + std::to_string(::getpid()));
        fs::create_directories(folder_ / "out");
        saveDocumentFile((folder_ / "saved.rtf").string(), composed());
    }
    void TearDown() override { fs::remove_all(folder_); }

    // Runs soffice with its own profile, so a desktop session does not interfere.
    std::string convert(const std::string& filter)
    {
        const std::string command = "cd '" + folder_.string() + "' && HOME='" + folder_.string() +
                                    "' timeout 120 soffice --headless --norestore --convert-to '" + filter +
                                    "' --outdir out saved.rtf >/dev/null 2>&1";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        const std::string extension = filter.substr(0, filter.find(':'));
        std::ifstream in(folder_ / "out" / ("saved." + extension), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    fs::path folder_;
};

TEST_F(LibreOffice, ReadsTheSameText)
{
    std::string text = convert("txt:Text (encoded):UTF8");
    if (text.starts_with("\xEF\xBB\xBF"))
        text.erase(0, 3);
    EXPECT_EQ(text, "Plain and bold text {braces} \\\n\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 red\n"
                    "\xE4\xB8\xAD\xE6\x96\x87 and \xF0\x9F\x98\x80 marked\ntab\there\n");
}

const CharFormat* formatAt(const Paragraph& p, size_t at)
{
    size_t end = 0;
    for (const text::Run& run : p.runs) {
        end += run.length;
        if (at < end)
            return &run.format;
    }
    return nullptr;
}

TEST_F(LibreOffice, KeepsTheFormatting)
{
    const auto back = readRtf(convert("rtf"));
    ASSERT_TRUE(back.has_value());
    const Document expected = composed();
    ASSERT_GE(back->paragraphs.size(), expected.paragraphs.size());
    for (size_t i = 0; i < expected.paragraphs.size(); ++i) {
        const Paragraph& want = expected.paragraphs[i];
        const Paragraph& got = back->paragraphs[i];
        ASSERT_EQ(got.text, want.text) << i;
        EXPECT_EQ(got.format.alignment, want.format.alignment) << i;
        EXPECT_EQ(got.format.leftIndent, want.format.leftIndent) << i;
        // LibreOffice cuts runs its own way: compare each character's format.
        for (size_t at = 0; at < want.text.size(); ++at) {
            const CharFormat& w = *formatAt(want, at);
            const CharFormat* g = formatAt(got, at);
            ASSERT_NE(g, nullptr);
            EXPECT_EQ((std::array{g->bold, g->italic, g->underline, g->strikeOut, g->hasColor}),
                      (std::array{w.bold, w.italic, w.underline, w.strikeOut, w.hasColor})) << i << ":" << at;
            if (w.hasColor) {
                EXPECT_EQ(g->color, w.color);
            }
            if (w.sizeHalfPoints > 0) {
                EXPECT_EQ(g->sizeHalfPoints, w.sizeHalfPoints);
            }
            if (w.font >= 0) {
                ASSERT_GE(g->font, 0) << i << ":" << at;
                EXPECT_EQ(back->fonts[static_cast<size_t>(g->font)].face, expected.fonts[static_cast<size_t>(w.font)].face);
            }
        }
    }
}

} // namespace
} // namespace text
