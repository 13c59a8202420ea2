#include "text/rtf_reader.h"
#include <gtest/gtest.h>
TEST(RtfReader, Placeholder) { EXPECT_TRUE(text::readRtf("{\\rtf1 a}")); }
