#include "base/utf.h"

#include <gtest/gtest.h>

TEST(Utf, RoundTripsEveryPlane)
{
    const std::u16string text = u"A\u00e9\u0416\u4e2d\U0001F600\U0010FFFF";
    EXPECT_EQ(base::utf8ToUtf16(base::utf16ToUtf8(text)), text);
    EXPECT_EQ(base::utf16ToUtf8(u"\U0001F600"), "\xF0\x9F\x98\x80");
}

TEST(Utf, IllFormedInputBecomesReplacementCharacters)
{
    struct Case {
        const char* bytes;
        std::u16string text;
    } cases[] = {
        {"\xC3", u"\uFFFD"},                 // truncated at the end
        {"\xC0\xAF", u"\uFFFD\uFFFD"},       // overlong
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"}, // encoded surrogate
        {"a\xFF" "b", u"a\uFFFDb"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(base::utf8ToUtf16(c.bytes), c.text) << c.bytes;
        EXPECT_FALSE(base::isValidUtf8(c.bytes));
    }
    EXPECT_EQ(base::utf16ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
    EXPECT_TRUE(base::isValidUtf8("plain \xD0\x96"));
}
