#include "settings/integer_parse.h"

#include "base/utf.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

struct ParseCase {
    std::u16string_view text;
    std::optional<int32_t> value; // nullopt: unparsable, the caller's default
};

constexpr ParseCase kParseCases[] = {
    {u"0x2BC", 700}, {u"0X2bc", 700}, {u"$2bc", 700}, {u"x2BC", 700},
    {u"+5", 5}, {u"-20", -20}, {u"$FFFFFFFF", -1}, {u"0", 0}, {u"00012", 12},
    {u"-2147483648", INT32_MIN}, {u"2147483647", INT32_MAX},
    {u"2147483648", std::nullopt}, {u"-2147483649", std::nullopt}, {u"99999999999999999999", std::nullopt},
    {u"$80000000", INT32_MIN}, {u"$000000000001", 1}, {u"0x100000000", std::nullopt},
    {u"-$1", -1}, {u"-0xFFFFFFFF", 1}, {u"-$80000000", INT32_MIN},
    {u" 7", 7}, {u"   -0x10", -16}, {u"7 ", std::nullopt}, {u"\t7", std::nullopt},
    {u"- 5", std::nullopt}, {u"+-5", std::nullopt}, {u"--5", std::nullopt}, {u"0x-5", std::nullopt},
    {u"", std::nullopt}, {u"   ", std::nullopt}, {u"700px", std::nullopt}, {u"7.5", std::nullopt},
    {u"$", std::nullopt}, {u"-", std::nullopt}, {u"0x", std::nullopt}, {u"$$1", std::nullopt},
    {u"0xG", std::nullopt}, {u"\uFF17", std::nullopt},
};

TEST(IntegerParse, StoredTexts)
{
    for (const ParseCase& c : kParseCases) {
        SCOPED_TRACE("\"" + base::utf16ToUtf8(c.text) + "\"");
        EXPECT_EQ(settings::parseInteger(c.text), c.value);
    }
}

} // namespace
