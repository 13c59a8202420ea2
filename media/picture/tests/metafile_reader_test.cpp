#include "media/picture/metafile_reader.h"

#include "base/errors.h"
#include "media/picture/tests/metafile_builder.h"

#include <gtest/gtest.h>

namespace picture {
namespace {

using namespace picture::testing;

TEST(MetafileReader, RejectsAnythingButTheTwoHeaders)
{
    std::string emfWrongType = emfHeader({.type = 115});
    struct Case {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"empty", ""},
        {"shorter than the placeable header", placeableWmf({}).substr(0, 30)},
        {"wrong key", placeableWmf({.key = 0x9AC6CDD6})},
        {"wrong checksum", placeableWmf({.badChecksum = true})},
        {"zero units per inch", placeableWmf({.inch = 0})},
        {"signature on a record that is not the header", emfWrongType},
        {"a bitmap", "BM\x36\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0\x01\0\0\0\x01\0\0\0\x01\0\x18\0\0\0\0\0\0\0\0\0\0\0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            readMetafile(c.bytes);
            ADD_FAILURE() << "accepted";
        } catch (const EInvalidGraphic& e) {
            EXPECT_STREQ(e.what(), "Metafile is not valid");
        }
    }
}

TEST(MetafileReader, SizesFromTheHeaderAtScreenResolution)
{
    struct Case {
        const char* name;
        std::string bytes;
        int32_t width, height;
    } cases[] = {
        {"placeable inch box", placeableWmf({.right = 1440, .bottom = 720, .inch = 1440}), 96, 48},
        {"placeable offset box", placeableWmf({.left = 100, .top = 100, .right = 700, .bottom = 400, .inch = 600}), 96, 48},
        {"placeable reversed box", placeableWmf({.left = 1440, .right = 0, .bottom = 1440, .inch = 1440}), 96, 96},
        {"enhanced frame", emfHeader({}), 96, 48},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Metafile m = readMetafile(c.bytes);
        EXPECT_EQ(m.width, c.width);
        EXPECT_EQ(m.height, c.height);
    }
}

TEST(MetafileReader, EnhancedFrameIsMappedToReferenceDevicePixels)
{
    // 1000 pixels over 250 mm: 4 pixels a millimetre; the frame is 25.4 x 12.7 mm.
    const Metafile m = readMetafile(emfHeader({}) + emfRecord(14, {0, 0, 0}));
    EXPECT_EQ(m.format, MetafileFormat::Enhanced);
    EXPECT_EQ(m.right - m.left, 102);
    EXPECT_EQ(m.bottom - m.top, 51);
}

TEST(MetafileReader, RecordsEndAtTheEndRecordOrAtTheFirstDamagedOne)
{
    const std::string lineTo = wmfRecord(0x0213, {20, 10});
    const std::string end = wmfRecord(0x0000, {});
    const Metafile wmf = readMetafile(placeableWmf({}) + lineTo + end + lineTo);
    ASSERT_EQ(wmf.records.size(), 2u);
    EXPECT_EQ(wmf.records[0].type, 0x0213u);
    EXPECT_EQ(readI16(wmf.params(wmf.records[0]), 0), 20);
    EXPECT_EQ(readI16(wmf.params(wmf.records[0]), 2), 10);

    std::string oversized = lineTo;
    oversized[0] = 100; // claims 100 words: runs past the end of the file
    EXPECT_EQ(readMetafile(placeableWmf({}) + lineTo + oversized).records.size(), 1u);

    std::string emfShort = emfRecord(27, {5, 6});
    emfShort[4] = 6; // not a multiple of four
    const Metafile emf = readMetafile(emfHeader({}) + emfRecord(27, {5, 6}) + emfShort + emfRecord(14, {0, 0, 0}));
    ASSERT_EQ(emf.records.size(), 2u); // the header itself and the first move
    EXPECT_EQ(emf.records[1].type, 27u);
    EXPECT_EQ(readI32(emf.params(emf.records[1]), 4), 6);
}

TEST(MetafileReader, OutOfRangeFieldReadsGiveZero)
{
    const std::string_view p("\x01\x02\x03", 3);
    EXPECT_EQ(readU16(p, 0), 0x0201);
    EXPECT_EQ(readU16(p, 2), 0);
    EXPECT_EQ(readU32(p, 0), 0u);
    EXPECT_EQ(readU32(p, SIZE_MAX - 1), 0u);
}

} // namespace
} // namespace picture
