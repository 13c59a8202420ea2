#include "media/picture/jpeg_reader.h"

#include "base/errors.h"
#include "media/picture/tests/jpeg_builder.h"

#include <gtest/gtest.h>

namespace picture {
namespace {

using testing::buildJpeg;
using testing::buildUniformJpeg;
using testing::findMarker;
using testing::JpegSpec;

void expectPixel(const RgbaImage& image, int x, int y, std::array<int, 4> rgba, int tolerance)
{
    const uint8_t* p = image.row(y) + x * 4;
    for (int c = 0; c < 4; ++c)
        EXPECT_NEAR(p[c], rgba[static_cast<size_t>(c)], tolerance) << "channel " << c << " at " << x << "," << y;
}

struct ColourCase {
    const char* name;
    JpegSpec recipe;
    std::vector<uint8_t> stored;
    std::array<int, 4> expected;
};

TEST(JpegReader, DecodesEveryColourLayoutToRgba)
{
    const ColourCase cases[] = {
        {"rgb", {}, {200, 40, 90}, {200, 40, 90, 255}},
        {"progressive rgb", {.progressive = true}, {10, 120, 240}, {10, 120, 240, 255}},
        {"gray", {.space = JCS_GRAYSCALE}, {77}, {77, 77, 77, 255}},
        {"progressive gray", {.space = JCS_GRAYSCALE, .progressive = true}, {180}, {180, 180, 180, 255}},
        // Adobe writes CMYK inverted; without its marker the values are plain.
        {"adobe cmyk", {.space = JCS_CMYK, .adobeMarker = true}, {255, 0, 255, 255}, {255, 0, 255, 255}},
        {"plain cmyk", {.space = JCS_CMYK, .adobeMarker = false}, {0, 255, 0, 0}, {255, 0, 255, 255}},
    };
    for (const ColourCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string file = buildUniformJpeg(c.recipe, c.stored);
        const JpegHeader header = readJpegHeader(file);
        EXPECT_EQ(header.width, 8);
        EXPECT_EQ(header.height, 8);
        EXPECT_EQ(header.grayscale, c.recipe.space == JCS_GRAYSCALE);
        EXPECT_EQ(header.progressive, c.recipe.progressive);
        const RgbaImage image = decodeJpeg(file);
        ASSERT_EQ(image.width, 8);
        ASSERT_EQ(image.height, 8);
        expectPixel(image, 0, 0, c.expected, 3);
        expectPixel(image, 7, 7, c.expected, 3);
    }
}

TEST(JpegReader, KeepsRowOrderAndSize)
{
    // A 3 x 17 picture (not a multiple of the block size), top half red.
    JpegSpec recipe{.width = 3, .height = 17};
    std::vector<uint8_t> samples;
    for (int y = 0; y < 17; ++y)
        for (int x = 0; x < 3; ++x)
            samples.insert(samples.end(), {static_cast<uint8_t>(y < 8 ? 255 : 0), 0, static_cast<uint8_t>(y < 8 ? 0 : 255)});
    const RgbaImage image = decodeJpeg(buildJpeg(recipe, samples));
    ASSERT_EQ(image.width, 3);
    ASSERT_EQ(image.height, 17);
    expectPixel(image, 1, 0, {255, 0, 0, 255}, 40);
    expectPixel(image, 1, 16, {0, 0, 255, 255}, 40);
}

TEST(JpegReader, EmptyDataIsAnEmptyPicture)
{
    EXPECT_EQ(readJpegHeader("").width, 0);
    EXPECT_TRUE(decodeJpeg("").empty());
}

std::string withSosTable(std::string file, uint8_t table)
{
    // SOS: marker, length, component count, then (id, tables) per component.
    const size_t sos = findMarker(file, 0xDA);
    file[sos + 6] = static_cast<char>(table);
    return file;
}

std::string withSize(std::string file, uint16_t width, uint16_t height)
{
    const size_t sof = findMarker(file, 0xC0);
    file[sof + 5] = static_cast<char>(height >> 8);
    file[sof + 6] = static_cast<char>(height & 0xFF);
    file[sof + 7] = static_cast<char>(width >> 8);
    file[sof + 8] = static_cast<char>(width & 0xFF);
    return file;
}

TEST(JpegReader, FailuresCarryTheDecoderCodeAtTheRightStage)
{
    const std::string good = buildUniformJpeg({}, {1, 2, 3});
    struct Case {
        const char* name;
        std::string file;
        bool headerFails;
        const char* message;
    } cases[] = {
        {"not a JPEG", "GIF89a....", true, "JPEG error #53"},
        {"ends inside the header", good.substr(0, 40), true, "JPEG error #51"},
        {"undefined Huffman table in the scan", withSosTable(good, 0x33), false, "JPEG error #50"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.headerFails) {
            try {
                readJpegHeader(c.file);
                ADD_FAILURE() << "header accepted";
            } catch (const EJPEG& e) {
                EXPECT_STREQ(e.what(), c.message);
            }
        } else {
            EXPECT_NO_THROW(readJpegHeader(c.file));
        }
        try {
            decodeJpeg(c.file);
            ADD_FAILURE() << "decode accepted";
        } catch (const EJPEG& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
    }
}

TEST(JpegReader, TruncatedImageDataDecodesWithoutError)
{
    // libjpeg only warns about a premature end; warnings are not failures.
    const std::string good = buildUniformJpeg({.width = 64, .height = 64}, {30, 60, 90});
    const std::string cut = good.substr(0, findMarker(good, 0xDA) + 20);
    const RgbaImage image = decodeJpeg(cut);
    EXPECT_EQ(image.width, 64);
    EXPECT_EQ(image.height, 64);
}

TEST(JpegReader, RefusesPicturesAboveTheMemoryCeilingBeforeDecoding)
{
    const std::string huge = withSize(buildUniformJpeg({}, {1, 2, 3}), 60000, 60000);
    for (auto read : {+[](const std::string& f) { readJpegHeader(f); }, +[](const std::string& f) { decodeJpeg(f); }}) {
        try {
            read(huge);
            ADD_FAILURE() << "accepted";
        } catch (const EOutOfMemory& e) {
            EXPECT_STREQ(e.what(), "Out of memory");
        }
    }
}

} // namespace
} // namespace picture
