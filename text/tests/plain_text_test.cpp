// Plain-text decoding: the byte-order marks, the ANSI code page, line breaks,
// and characters that must never be split.
#include "text/plain_text.h"

#include "test_support.h"
#include "text/code_page.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace text {
namespace {

using testing::joinedText;

std::string decoded(std::string_view bytes, uint32_t codePage = 1252)
{
    auto d = readPlainText(bytes, codePage);
    EXPECT_TRUE(d.has_value());
    return d ? joinedText(*d) : std::string();
}

struct EncodingCase {
    const char* name;
    std::string bytes;
    uint32_t codePage;
    const char* text;
};

TEST(PlainText, Encodings)
{
    const EncodingCase cases[] = {
        {"utf16le mark", std::string("\xFF\xFE" "A\0\x1F\x04", 6), 1252, "A\xD0\x9F"},
        {"utf16be mark", std::string("\xFE\xFF\0A\x04\x1F", 6), 1252, "A\xD0\x9F"},
        {"utf16le surrogates", std::string("\xFF\xFE\x3D\xD8\x00\xDE", 6), 1252, "\xF0\x9F\x98\x80"},
        {"utf16 odd last byte", std::string("\xFF\xFE" "A\0B", 5), 1252, "A\xEF\xBF\xBD"},
        {"utf16 mark only", "\xFF\xFE", 1252, ""},
        {"utf8 mark", "\xEF\xBB\xBFZ\xC3\xA9", 1252, "Z\xC3\xA9"},
        {"second mark is text", "\xEF\xBB\xBF\xEF\xBB\xBFx", 1252, "\xEF\xBB\xBFx"},
        {"utf8 without mark", "caf\xC3\xA9", 1251, "caf\xC3\xA9"},
        {"ansi 1252", "caf\xE9 \x80", 1252, "caf\xC3\xA9 \xE2\x82\xAC"},
        {"ansi 1251", "\xCF\xF0\xE8", 1251, "\xD0\x9F\xD1\x80\xD0\xB8"},
        {"ansi 932", "\x82\xA0\x83\x41", 932, "\xE3\x81\x82\xE3\x82\xA2"},
        {"ansi 932 bad trail", "\x82\x0A", 932, "\xEF\xBF\xBD|"},
        {"ansi 932 cut lead", "a\x82", 932, "a\xEF\xBF\xBD"},
        {"undefined byte kept", "\x81", 1252, "\xC2\x81"},
        {"empty", "", 1252, ""},
    };
    for (const EncodingCase& c : cases)
        EXPECT_EQ(decoded(c.bytes, c.codePage), c.text) << c.name;
}

TEST(PlainText, EveryLineEndIsOneParagraphBreak)
{
    const struct {
        std::string bytes;
        const char* text;
    } cases[] = {
        {"a\r\nb\r\nc", "a|b|c"}, {"a\nb\nc", "a|b|c"}, {"a\rb\rc", "a|b|c"},
        {"a\n\rb", "a||b"}, {"a\r\r\nb", "a||b"}, {"a\r\n", "a|"}, {"\n", "|"},
        {std::string("\xFF\xFE" "a\0\r\0\n\0b\0", 10), "a|b"},
        {std::string("\xFE\xFF\0a\0\r\0b", 8), "a|b"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(decoded(c.bytes), c.text) << c.bytes;
}

TEST(PlainText, RunsCarryTheUnsetFormat)
{
    const Document d = *readPlainText("one\ntwo\n\nthree", 1252);
    ASSERT_EQ(d.paragraphs.size(), 4u);
    for (const Paragraph& p : d.paragraphs) {
        EXPECT_EQ(p.format, ParagraphFormat{});
        if (p.text.empty()) {
            EXPECT_TRUE(p.runs.empty());
        } else {
            ASSERT_EQ(p.runs.size(), 1u);
            EXPECT_EQ(p.runs[0].length, p.text.size());
            EXPECT_EQ(p.runs[0].format, CharFormat{});
        }
    }
    EXPECT_TRUE(d.fonts.empty());
}

TEST(PlainText, CharactersNeverSplitWhereverTheyLie)
{
    // A four-byte, a three-byte and a two-byte character at every offset of
    // a longer text, in UTF-8 with and without the mark and in UTF-16.
    const std::string chars[] = {"\xF0\x9F\x98\x80", "\xE4\xB8\xAD", "\xD0\xAF"};
    for (const std::string& c : chars) {
        for (size_t at = 0; at < 70000; at += at < 64 ? 1 : 4093) {
            const std::string text = std::string(at, 'x') + c + "\ny";
            EXPECT_EQ(decoded(text), text.substr(0, at + c.size()) + "|y");
            EXPECT_EQ(decoded("\xEF\xBB\xBF" + text), text.substr(0, at + c.size()) + "|y");
            std::string utf16 = "\xFF\xFE";
            for (const char16_t u : base::utf8ToUtf16(text)) {
                utf16 += static_cast<char>(u & 0xFF);
                utf16 += static_cast<char>(u >> 8);
            }
            ASSERT_EQ(decoded(utf16), text.substr(0, at + c.size()) + "|y") << at;
        }
    }
}

TEST(PlainText, AnsiCodePageComesFromTheLocale)
{
    const struct {
        const char* lcAll;
        const char* lang;
        uint32_t codePage;
    } cases[] = {
        {"", "ru_RU.UTF-8", 1251}, {"", "uk_UA", 1251}, {"", "pl_PL.UTF-8", 1250}, {"", "ja_JP.UTF-8", 932},
        {"", "zh_CN.UTF-8", 936}, {"", "zh_TW.UTF-8", 950}, {"", "ko_KR.UTF-8", 949}, {"", "el_GR", 1253},
        {"", "tr_TR", 1254}, {"", "he_IL", 1255}, {"", "ar_EG", 1256}, {"", "lt_LT", 1257},
        {"", "vi_VN", 1258}, {"", "th_TH", 874}, {"", "sr_RS@latin", 1250}, {"", "sr_RS", 1251},
        {"", "en_US.UTF-8", 1252}, {"", "de_DE", 1252}, {"", "C", 1252}, {"", "", 1252},
        {"el_GR.UTF-8", "ru_RU.UTF-8", 1253},
    };
    const char* saved = std::getenv("LANG");
    const std::string savedLang = saved ? saved : "";
    const char* savedAll = std::getenv("LC_ALL");
    const std::string savedLcAll = savedAll ? savedAll : "";
    ::unsetenv("LC_CTYPE");
    for (const auto& c : cases) {
        ::setenv("LC_ALL", c.lcAll, 1);
        ::setenv("LANG", c.lang, 1);
        EXPECT_EQ(systemAnsiCodePage(), c.codePage) << c.lcAll << " " << c.lang;
    }
    ::setenv("LC_ALL", "ru_RU.UTF-8", 1);
    EXPECT_EQ(joinedText(*readPlainText("\xCF\xF0")), "\xD0\x9F\xD1\x80");
    saved ? ::setenv("LANG", savedLang.c_str(), 1) : ::unsetenv("LANG");
    savedAll ? ::setenv("LC_ALL", savedLcAll.c_str(), 1) : ::unsetenv("LC_ALL");
}

} // namespace
} // namespace text
