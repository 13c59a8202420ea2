// The PNG reader: one fixture per failure with its exact message, pixels
// against libpng over every colour type, depth, filter and interlace, and
// damaged files that must fail cleanly.
#include "media/picture/png_reader.h"

#include "base/errors.h"
#include "media/picture/tests/png_builder.h"
#include "media/picture/tests/reader_checks.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <typeinfo>
#include <vector>

#if QUELMAR_HAVE_LIBPNG
#include "media/picture/tests/libpng_reference.h"
#endif

namespace {

using namespace pngtest;
using picture::readPng;

const std::string kRows = tinyGreyRows();
const std::string kHead = kSignature + ihdr(2, 1, 8, 0);

std::string rgbaIhdr(uint32_t w, uint32_t h)
{
    return ihdr(w, h, 8, 6);
}

// The stream of a 2 x 2 grey picture cut in two, for split-IDAT fixtures.
std::string splitStream(size_t part)
{
    return deflate(std::string("\0\x01\x02\0\x03\x04", 6)).substr(0, part);
}
std::string splitStreamRest(size_t part)
{
    return deflate(std::string("\0\x01\x02\0\x03\x04", 6)).substr(part);
}

const std::string kBadHeader = "The file being readed is not a valid \"Portable Network Graphics\" image because it "
                               "contains an invalid header. This file may be corruped, try obtaining it again.";
const std::string kEnd =
    "This \"Portable Network Graphics\" image is invalid because the decoder found an unexpected end of the file.";
const std::string kNotFirst = "This \"Portable Network Graphics\" image is not supported or it might be invalid.\r\n"
                              "(IHDR chunk is not the first)";
const std::string kBadIhdr = "The \"Portable Network Graphics\" image could not be loaded because one of its main "
                             "piece of data (ihdr) might be corrupted";
const std::string kSize = "This \"Portable Network Graphics\" image is not supported because either it's width or "
                          "height exceeds the maximum size, which is 65535 pixels length.";
const std::string kPalette = "The \"Portable Network Graphics\" image contains an invalid palette.";
const std::string kMissing = "This \"Portable Network Graphics\" image is invalid because it has missing image parts.";
const std::string kZlib = "Could not decompress the image because it contains invalid compressed data.\r\n Description: ";

std::vector<picturetest::Failure> failures()
{
    const std::string tail = idat(kRows) + iend();
    return {
        {"empty file", "", typeid(EQMPNGInvalidFileHeader), kBadHeader},
        {"signature through a text-mode copy", std::string("\x89PNG\n\x1a\n", 7) + ihdr(2, 1, 8, 0) + tail,
         typeid(EQMPNGInvalidFileHeader), kBadHeader},
        {"signature only", kSignature, typeid(EQMPNGUnexpectedEnd), kEnd},
        {"chunk cut inside its data", kSignature + ihdr(2, 1, 8, 0).substr(0, 15), typeid(EQMPNGUnexpectedEnd), kEnd},
        {"length beyond the file", kHead + be32(0x7FFFFFFF) + "IDAT", typeid(EQMPNGUnexpectedEnd), kEnd},
        {"no IEND after the image", kHead + idat(kRows), typeid(EQMPNGUnexpectedEnd), kEnd},
        {"gAMA before IHDR", kSignature + chunk("gAMA", be32(45455)) + ihdr(2, 1, 8, 0) + tail,
         typeid(EQMPNGIHDRNotFirst), kNotFirst},
        {"IHDR of 12 bytes", kSignature + chunk("IHDR", ihdrData(2, 1, 8, 0).substr(0, 12)) + tail,
         typeid(EQMPNGInvalidIHDR), kBadIhdr},
        {"width 65536", kSignature + ihdr(65536, 1, 8, 0) + tail, typeid(EQMPNGSizeExceeds), kSize},
        {"height 65536", kSignature + ihdr(2, 65536, 8, 0) + tail, typeid(EQMPNGSizeExceeds), kSize},
        {"width 0", kSignature + ihdr(0, 1, 8, 0) + tail, typeid(EQMPNGInvalidIHDR), kBadIhdr},
        {"colour type 1", kSignature + ihdr(2, 1, 8, 1) + tail, typeid(EQMPNGInvalidIHDR), kBadIhdr},
        {"RGB at 4 bits", kSignature + ihdr(2, 1, 4, 2) + tail, typeid(EQMPNGInvalidIHDR), kBadIhdr},
        {"filter method 1", kSignature + chunk("IHDR", ihdrData(2, 1, 8, 0, 0, 0, 1)) + tail,
         typeid(EQMPNGInvalidIHDR), kBadIhdr},
        {"compression method 1", kSignature + chunk("IHDR", ihdrData(2, 1, 8, 0, 0, 1)) + tail,
         typeid(EQMPNGUnknownCompression),
         "This \"Portable Network Graphics\" image is encoded with an unknown compression scheme which could not be "
         "decoded."},
        {"interlace method 2", kSignature + ihdr(2, 1, 8, 0, 2) + tail, typeid(EQMPNGUnknownInterlace),
         "This \"Portable Network Graphics\" image uses an unknown interlace scheme which could not be decoded."},
        {"PLTE of 7 bytes", kHead + chunk("PLTE", std::string(7, '\1')) + tail, typeid(EQMPNGInvalidPalette),
         kPalette},
        {"PLTE of 257 entries", kHead + chunk("PLTE", std::string(257 * 3, '\1')) + tail,
         typeid(EQMPNGInvalidPalette), kPalette},
        {"tRNS of 257 bytes", kSignature + ihdr(2, 1, 8, 3) + chunk("PLTE", "abc") + chunk("tRNS", std::string(257, 'x'))
                                  + tail,
         typeid(EQMPNGInvalidPalette), kPalette},
        {"palette picture without PLTE", kSignature + ihdr(2, 1, 8, 3) + tail, typeid(EQMPNGInvalidPalette), kPalette},
        {"image data broken by a tEXt chunk",
         kSignature + ihdr(2, 2, 8, 0) + chunk("IDAT", splitStream(5)) + chunk("tEXt", "a\0b") + chunk("IDAT", splitStreamRest(5))
             + iend(),
         typeid(EQMPNGMissingMultipleIDAT), kMissing},
        {"stream ends before the last row", kSignature + ihdr(2, 2, 8, 0) + tail, typeid(EQMPNGMissingMultipleIDAT),
         kMissing},
        {"4000 x 4000 from 12 bytes of data", kSignature + rgbaIhdr(4000, 4000) + tail,
         typeid(EQMPNGMissingMultipleIDAT), kMissing},
        {"IDAT that is not zlib", kHead + chunk("IDAT", "not a zlib stream") + iend(), typeid(EQMPNGZLIBError),
         kZlib + "incorrect header check"},
        {"wrong zlib check value", kHead + chunk("IDAT", deflate(kRows).substr(0, deflate(kRows).size() - 1) + "?") + iend(),
         typeid(EQMPNGZLIBError), kZlib + "incorrect data check"},
        {"row filter 5", kHead + idat(std::string("\x05\x10\xF0", 3)) + iend(), typeid(EQMPNGZLIBError),
         kZlib + "invalid row filter type"},
        {"IEND without IDAT", kHead + iend(), typeid(EQMPNGNoImageData),
         "This \"Portable Network Graphics\" image contains no data."},
        {"65535 x 65535 pixels", kSignature + rgbaIhdr(65535, 65535) + tail, typeid(EOutOfMemory), "Out of memory"},
    };
}

TEST(PngReader, EachFaultGivesItsClassAndMessage)
{
    picturetest::expectFailures([](const std::string& file) { return readPng(file); }, failures());
}

TEST(PngReader, ChecksumsCHRMAndSplitImageDataAreNoObstacle)
{
    const std::string stream = deflate(std::string("\0\x01\x02\0\x03\x04", 6));
    const std::string file = kSignature + chunk("IHDR", ihdrData(2, 2, 8, 0), false)
                           + chunk("cHRM", std::string(32, '\7'), false) + chunk("IDAT", stream.substr(0, 3), false)
                           + chunk("IDAT", "") + chunk("IDAT", stream.substr(3)) + chunk("tEXt", "k\0v")
                           + chunk("IDAT", "trailing run, ignored") + chunk("IEND", "", false);
    const picture::RgbaImage image = readPng(file);
    ASSERT_EQ(image.width, 2);
    ASSERT_EQ(image.height, 2);
    const std::vector<uint8_t> expected = {1, 1, 1, 255, 2, 2, 2, 255, 3, 3, 3, 255, 4, 4, 4, 255};
    EXPECT_EQ(image.pixels, expected);
}

TEST(PngReader, TransparentKeyAndPaletteAlpha)
{
    // Grey 16-bit key 0x1234: only the exact sample is clear, not 0x1235.
    const std::string grey16 = kSignature + ihdr(2, 1, 16, 0) + chunk("tRNS", std::string("\x12\x34", 2))
                             + idat(std::string("\0\x12\x34\x12\x35", 5)) + iend();
    EXPECT_EQ(readPng(grey16).pixels, (std::vector<uint8_t>{0x12, 0x12, 0x12, 0, 0x12, 0x12, 0x12, 255}));
    // Index 1 lies past a one-entry palette: opaque black; index 0 takes tRNS.
    const std::string palette = kSignature + ihdr(2, 1, 8, 3) + chunk("PLTE", "\x10\x20\x30")
                              + chunk("tRNS", std::string("\x80", 1)) + idat(std::string("\0\0\1", 3)) + iend();
    EXPECT_EQ(readPng(palette).pixels, (std::vector<uint8_t>{0x10, 0x20, 0x30, 0x80, 0, 0, 0, 255}));
}

// A small interlaced palette file with transparency, damaged every way.
TEST(PngReader, DamagedFilesFailCleanly)
{
    std::string rows;
    for (int y = 0; y < 5; ++y)
        rows += std::string(1, static_cast<char>(y % 5)) + "\x12\x34\x56";
    const std::string file = kSignature + ihdr(5, 5, 4, 3, 1) + chunk("PLTE", std::string(48, '\x40'))
                           + chunk("tRNS", "\x01\x02") + idat(rows) + iend();
    picturetest::expectDamageFailsCleanly([](const std::string& bytes) { return readPng(bytes, 1 << 16); }, file);
}

#if QUELMAR_HAVE_LIBPNG

struct Layout {
    int colourType;
    int bitDepth;
};

constexpr Layout kLayouts[] = {{0, 1}, {0, 2}, {0, 4}, {0, 8}, {0, 16}, {2, 8}, {2, 16}, {3, 1},
                               {3, 2}, {3, 4}, {3, 8}, {4, 8}, {4, 16}, {6, 8}, {6, 16}};
constexpr int kFilters[] = {PNG_FILTER_NONE, PNG_FILTER_SUB, PNG_FILTER_UP, PNG_FILTER_AVG, PNG_FILTER_PAETH,
                            PNG_ALL_FILTERS};

// Random samples, with a transparent key where the layout takes one; every
// fifth pixel is the key, every fifth but one differs from it in one bit.
std::string randomPicture(const Layout& l, bool interlaced, int filters, uint32_t w, uint32_t h, std::mt19937& rng)
{
    libpngref::Encoding e;
    e.width = w, e.height = h, e.bitDepth = l.bitDepth, e.colourType = l.colourType;
    e.interlaced = interlaced, e.filters = filters;
    const unsigned channels = l.colourType == 0 || l.colourType == 3 ? 1 : l.colourType == 4 ? 2 : l.colourType == 2 ? 3 : 4;
    const auto depth = static_cast<unsigned>(l.bitDepth);
    const size_t rowBytes = (size_t{w} * channels * depth + 7) / 8;
    std::vector<std::vector<uint8_t>> rows(h, std::vector<uint8_t>(rowBytes));
    for (auto& row : rows)
        for (auto& b : row)
            b = static_cast<uint8_t>(rng());
    if (l.colourType == 3) {
        for (int i = 0; i < (1 << l.bitDepth); ++i)
            e.palette.push_back({static_cast<uint8_t>(rng()), static_cast<uint8_t>(rng()), static_cast<uint8_t>(rng())});
        for (int i = 0; i < (1 << l.bitDepth) / 2 + 1; ++i)
            e.paletteAlpha.push_back(static_cast<uint8_t>(rng()));
    }
    if ((l.colourType == 0 || l.colourType == 2) && l.bitDepth >= 8) {
        const size_t pixelBytes = channels * depth / 8;
        e.hasKey = true;
        std::vector<uint8_t> key(rows[0].begin(), rows[0].begin() + static_cast<std::ptrdiff_t>(pixelBytes));
        auto sample = [&](size_t c) -> uint16_t {
            return l.bitDepth == 16 ? static_cast<uint16_t>(key[c * 2] << 8 | key[c * 2 + 1]) : key[c];
        };
        e.key.gray = sample(0);
        if (channels == 3)
            e.key.red = sample(0), e.key.green = sample(1), e.key.blue = sample(2);
        for (auto& row : rows)
            for (size_t x = 0; x + pixelBytes <= row.size(); x += pixelBytes) {
                if (x / pixelBytes % 5 == 0)
                    std::copy(key.begin(), key.end(), row.begin() + static_cast<std::ptrdiff_t>(x));
                if (x / pixelBytes % 5 == 1) {
                    std::copy(key.begin(), key.end(), row.begin() + static_cast<std::ptrdiff_t>(x));
                    row[x + pixelBytes - 1] ^= 1;
                }
            }
    }
    return libpngref::encode(e, rows);
}

TEST(PngReader, PixelsMatchLibpngForEveryLayoutFilterAndInterlace)
{
    std::mt19937 rng(7);
    const uint32_t sizes[][2] = {{1, 1}, {37, 23}, {9, 2}};
    for (const Layout& l : kLayouts)
        for (bool interlaced : {false, true})
            for (int filters : kFilters)
                for (const auto& size : sizes) {
                    const std::string file = randomPicture(l, interlaced, filters, size[0], size[1], rng);
                    SCOPED_TRACE(testing::Message() << "type " << l.colourType << " depth " << l.bitDepth
                                                    << " interlaced " << interlaced << " filters " << filters
                                                    << " size " << size[0] << "x" << size[1]);
                    const libpngref::Picture expected = libpngref::decode(file);
                    const picture::RgbaImage ours = readPng(file);
                    ASSERT_EQ(ours.width, static_cast<int32_t>(expected.width));
                    ASSERT_EQ(ours.height, static_cast<int32_t>(expected.height));
                    ASSERT_EQ(ours.pixels, expected.rgba);
                }
}

#endif

} // namespace
