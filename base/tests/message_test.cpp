#include "base/checked.h"
#include "base/message.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

TEST(FormatMessage, FillsPlaceholdersInOrder)
{
    EXPECT_EQ(base::formatMessage("Cannot open file \"%s\". %s", "/a/b.txt", "No such file or directory"),
              "Cannot open file \"/a/b.txt\". No such file or directory");
    EXPECT_EQ(base::formatMessage("JPEG error #%d", 42), "JPEG error #42");
    EXPECT_EQ(base::formatMessage("''%s'' is not a valid integer value", ""), "'''' is not a valid integer value");
    EXPECT_EQ(base::formatMessage("100%% %s", "x"), "100% x");
    EXPECT_EQ(base::formatMessage("left %s", "a", "b"), "left a");
    EXPECT_EQ(base::formatMessage("(.%s)"), "(.%s)");
}

TEST(Checked, ReportsOverflowInsteadOfWrapping)
{
    EXPECT_EQ(base::checkedMul<uint32_t>(65536, 65535), uint32_t{65536} * 65535);
    EXPECT_FALSE(base::checkedMul<uint32_t>(65536, 65536));
    EXPECT_FALSE(base::checkedMul<size_t>(std::numeric_limits<size_t>::max() / 2, 2, 2));
    EXPECT_FALSE(base::checkedAdd<int32_t>(std::numeric_limits<int32_t>::max(), 1));
}
