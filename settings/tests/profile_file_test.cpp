#include "settings/profile_file.h"

#include <gtest/gtest.h>

namespace {

using settings::ProfileFile;

TEST(ProfileFile, RewriteKeepsPlacesLineBreaksAndUnknownContent)
{
    ProfileFile file = ProfileFile::parse(
        "; written by hand\r\n"
        "[text]\r\n"
        "  areawidth = 640  \r\n"
        "Custom=keep me\r\n"
        "\r\n"
        "; the sound\r\n"
        "[Extra]\r\n"
        "Unknown=1\r\n"
        "[Sound]\r\n"
        "SoundVolume=5");
    file.set("Text", "AreaWidth", "700");
    file.set("Text", "FontName", "Tahoma");
    file.set("Sound", "SoundEnabled", "1");
    file.set("Background", "BackgroundColor", "13429469");
    EXPECT_EQ(file.bytes(),
              "; written by hand\r\n"
              "[text]\r\n"
              "  areawidth = 700\r\n"
              "Custom=keep me\r\n"
              "FontName=Tahoma\r\n"
              "\r\n"
              "; the sound\r\n"
              "[Extra]\r\n"
              "Unknown=1\r\n"
              "[Sound]\r\n"
              "SoundVolume=5\r\n"
              "SoundEnabled=1\r\n"
              "[Background]\r\n"
              "BackgroundColor=13429469\r\n");
}

TEST(ProfileFile, LookUps)
{
    const ProfileFile file = ProfileFile::parse(
        "Orphan=0\n"
        "[Text]\n"
        "AreaWidth=1\n"
        "areawidth=2\n"
        " FontName =  Tahoma Bold \t\n"
        "Quoted=\"  padded \"\n"
        "Half=\"open\n"
        "Empty=\n"
        ";Commented=1\n"
        "#Hashed=1\n"
        "Equals=a=b\n"
        "[Sound]\n"
        "Volume=3\n"
        "[ TEXT ]\n"
        "Later=4\n"
        "[Unclosed\n"
        "Stray=5\r"
        "[]\n"
        "Nameless=6\n");
    const struct {
        const char* section;
        const char* key;
        std::optional<std::string_view> value;
    } cases[] = {
        {"Text", "AreaWidth", "1"}, {"tEXT", "AREAWIDTH", "1"}, {"Text", "FontName", "Tahoma Bold"},
        {"Text", "Quoted", "  padded "}, {"Text", "Half", "\"open"}, {"Text", "Empty", ""},
        {"Text", "Commented", std::nullopt}, {"Text", ";Commented", std::nullopt}, {"Text", "Hashed", std::nullopt},
        {"Text", "Equals", "a=b"}, {"Text", "Volume", std::nullopt}, {"Sound", "Volume", "3"},
        {"Text", "Later", "4"}, {"Sound", "Later", std::nullopt}, {"Text", "Stray", "5"},
        {"", "Nameless", "6"}, {"", "Orphan", std::nullopt}, {"Missing", "AreaWidth", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.section) + "/" + c.key);
        EXPECT_EQ(file.find(c.section, c.key), c.value);
    }
}

// UTF-16 bytes of an ASCII or Latin-1 text, with its byte-order mark.
std::string utf16Bytes(std::u16string_view text, bool bigEndian)
{
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t c : text) {
        const auto high = static_cast<char>(c >> 8), low = static_cast<char>(c & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

TEST(ProfileFile, ByteOrderMarksAreReadAndKept)
{
    const struct {
        std::string before, after;
    } cases[] = {
        {"\xEF\xBB\xBF[Text]\r\nFontName=Gr\xC3\xB6\xC3\x9F" "e\r\n", "\xEF\xBB\xBF[Text]\r\nFontName=\xC3\x86r\xC3\xB8\r\n"},
        {utf16Bytes(u"[Text]\r\nFontName=Gr\u00F6\u00DFe\r\n", false), utf16Bytes(u"[Text]\r\nFontName=\u00C6r\u00F8\r\n", false)},
        {utf16Bytes(u"[Text]\r\nFontName=Gr\u00F6\u00DFe\r\n", true), utf16Bytes(u"[Text]\r\nFontName=\u00C6r\u00F8\r\n", true)},
    };
    for (const auto& c : cases) {
        ProfileFile file = ProfileFile::parse(c.before);
        EXPECT_EQ(file.find("Text", "FontName"), "Gr\xC3\xB6\xC3\x9F" "e");
        file.set("Text", "FontName", "\xC3\x86r\xC3\xB8");
        EXPECT_EQ(file.bytes(), c.after);
    }
}

} // namespace
