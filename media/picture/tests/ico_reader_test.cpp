// The icon reader: the directory's failures, the choice of image, PNG
// entries, and the AND mask against an image's own alpha.
#include "media/picture/ico_reader.h"

#include "base/errors.h"
#include "media/picture/png_errors.h"
#include "media/picture/tests/bmp_builder.h"
#include "media/picture/tests/png_builder.h"
#include "media/picture/tests/reader_checks.h"

#include <gtest/gtest.h>

#include <typeinfo>

namespace {

using namespace bmptest;
using picture::readIcon;
using Pixels = std::vector<uint8_t>;

struct Entry {
    uint32_t width, height, bitCount;
    std::string data;
};

std::string icon(const std::vector<Entry>& entries, uint32_t type = 1)
{
    std::string file = le16(0) + le16(type) + le16(static_cast<uint32_t>(entries.size()));
    auto offset = static_cast<uint32_t>(6 + 16 * entries.size());
    for (const Entry& e : entries) {
        file += std::string{static_cast<char>(e.width & 0xFF), static_cast<char>(e.height & 0xFF), 0, 0};
        file += le16(1) + le16(e.bitCount) + le32(static_cast<uint32_t>(e.data.size())) + le32(offset);
        offset += static_cast<uint32_t>(e.data.size());
    }
    for (const Entry& e : entries)
        file += e.data;
    return file;
}

// A square DIB image filled with one colour (0x00RRGGBB, or with alpha in the
// top byte at 32 bits), its stored height doubled, and `maskRows` AND-mask
// rows (bottom row first), each of four bytes.
std::string square(int32_t side, uint32_t bits, uint32_t colour, const std::string& maskRows)
{
    Dib d;
    d.width = side, d.height = side * 2, d.bits = bits;
    const size_t pixelBytes = bits / 8;
    std::string row;
    for (int32_t x = 0; x < side; ++x)
        row += le32(colour).substr(0, pixelBytes);
    row.resize((row.size() + 3) / 4 * 4, '\0');
    for (int32_t y = 0; y < side; ++y)
        d.pixels += row;
    d.pixels += maskRows;
    return dib(d);
}

std::string noMask(int32_t side)
{
    return std::string(static_cast<size_t>(side) * 4, '\0');
}

const std::string kInvalid = "Icon image is not valid";

TEST(IcoReader, EachFaultGivesItsClassAndMessage)
{
    const std::string good = icon({{2, 2, 24, square(2, 24, 0xFF0000, noMask(2))}});
    std::string outside = good;
    outside.replace(18, 4, le32(5000)); // the image's offset
    Dib twoPlanes;
    twoPlanes.planes = 2, twoPlanes.height = 2;
    const std::vector<picturetest::Failure> cases = {
        {"empty file", "", typeid(EReadError), "Stream read error"},
        {"five bytes", good.substr(0, 5), typeid(EReadError), "Stream read error"},
        {"type 2 (a cursor)", icon({{2, 2, 24, square(2, 24, 0, noMask(2))}}, 2), typeid(EInvalidGraphic), kInvalid},
        {"no entries", icon({}), typeid(EInvalidGraphic), kInvalid},
        {"directory cut short", good.substr(0, 14), typeid(EInvalidGraphic), kInvalid},
        {"image outside the file", outside, typeid(EInvalidGraphic), kInvalid},
        {"image with two planes", icon({{1, 1, 24, dib(twoPlanes)}}), typeid(EInvalidGraphic), kInvalid},
        {"PNG image cut short", icon({{1, 1, 32, pngtest::kSignature}}), typeid(EQMPNGUnexpectedEnd),
         "This \"Portable Network Graphics\" image is invalid because the decoder found an unexpected end of the "
         "file."},
    };
    picturetest::expectFailures([](const std::string& file) { return readIcon(file); }, cases);
}

TEST(IcoReader, TakesTheLargestThenTheDeepestImage)
{
    const std::string file = icon({{1, 1, 32, square(1, 32, 0xFF0000FF, noMask(1))},
                                   {2, 2, 24, square(2, 24, 0x00FF00, noMask(2))},
                                   {2, 2, 32, square(2, 32, 0xFFFF0000, noMask(2))},
                                   {2, 2, 8, square(2, 8, 0, noMask(2))}});
    const picture::RgbaImage image = readIcon(file);
    ASSERT_EQ(image.width, 2);
    EXPECT_EQ(image.pixels, (Pixels{255, 0, 0, 255, 255, 0, 0, 255, 255, 0, 0, 255, 255, 0, 0, 255}));
    const auto entries = picture::readIconDirectory(file);
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[1].width, 2u);
    EXPECT_EQ(entries[1].bitCount, 24u);
}

TEST(IcoReader, MaskClearsPixelsUnlessTheImageHasAlpha)
{
    // Mask rows bottom first: the bottom right and top left pixels are clear.
    const std::string mask = std::string("\x40\0\0\0\x80\0\0\0", 8);
    const Pixels masked = {0, 0, 255, 0, 0, 0, 255, 255, 0, 0, 255, 255, 0, 0, 255, 0};
    EXPECT_EQ(readIcon(icon({{2, 2, 24, square(2, 24, 0x0000FF, mask)}})).pixels, masked);
    // 32 bits with no alpha at all: the mask decides, the rest is opaque.
    EXPECT_EQ(readIcon(icon({{2, 2, 32, square(2, 32, 0x000000FF, mask)}})).pixels, masked);
    // 32 bits with alpha: the mask is ignored.
    const Pixels alpha = {0, 0, 255, 0x80, 0, 0, 255, 0x80, 0, 0, 255, 0x80, 0, 0, 255, 0x80};
    EXPECT_EQ(readIcon(icon({{2, 2, 32, square(2, 32, 0x800000FF, mask)}})).pixels, alpha);
}

TEST(IcoReader, PngImageAndAnImageHeaderLargerThanItsData)
{
    using namespace pngtest;
    const std::string png = pngtest::png({ihdr(2, 1, 8, 0), idat(tinyGreyRows()), iend()});
    const picture::RgbaImage fromPng = readIcon(icon({{2, 1, 32, png}}));
    EXPECT_EQ(fromPng.pixels, (Pixels{0x10, 0x10, 0x10, 255, 0xF0, 0xF0, 0xF0, 255}));
    // The image header claims 65535 x 65535; the directory's 2 x 2 is what
    // the data holds.
    std::string bomb = square(2, 24, 0x00FF00, noMask(2));
    bomb.replace(4, 8, le32(65535) + le32(65535 * 2));
    const picture::RgbaImage fromDirectory = readIcon(icon({{2, 2, 24, bomb}}));
    EXPECT_EQ(fromDirectory.width, 2);
    EXPECT_EQ(fromDirectory.height, 2);
}

TEST(IcoReader, ImageCutAfterItsLastPixelHasNoMask)
{
    const std::string cut = square(1, 24, 0x102030, "").substr(0, 40 + 3);
    EXPECT_EQ(readIcon(icon({{1, 1, 24, cut}})).pixels, (Pixels{0x10, 0x20, 0x30, 255}));
}

TEST(IcoReader, DamagedFilesFailCleanly)
{
    using namespace pngtest;
    const std::string file = icon({{2, 2, 24, square(2, 24, 0x123456, std::string("\x40\0\0\0\x80\0\0\0", 8))},
                                   {2, 1, 32, png({ihdr(2, 1, 8, 0), idat(tinyGreyRows()), iend()})}});
    picturetest::expectDamageFailsCleanly([](const std::string& bytes) { return readIcon(bytes, 1 << 16); }, file);
}

} // namespace
