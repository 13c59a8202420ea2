// The bitmap reader: its failures, each stored layout against pixels
// written out by hand, ImageMagick's encodings decoded by both readers, and
// damaged files that must fail cleanly.
#include "media/picture/bmp_reader.h"

#include "base/errors.h"
#include "media/picture/tests/bmp_builder.h"
#include "media/picture/tests/reader_checks.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <typeinfo>

namespace {

using namespace bmptest;
using picture::readBmp;
using Pixels = std::vector<uint8_t>;

const std::string kInvalid = "Bitmap image is not valid";

// A 2 x 2 24-bit picture, bottom row first: blue, green / red, white.
Dib rgb24()
{
    Dib d;
    d.width = 2, d.height = 2;
    d.pixels = std::string("\xFF\0\0\0\xFF\0\0\0", 8) + std::string("\0\0\xFF\xFF\xFF\xFF\0\0", 8);
    return d;
}

std::vector<picturetest::Failure> failures()
{
    const std::string good = bmp(rgb24());
    auto with = [](auto change) {
        Dib d = rgb24();
        change(d);
        return bmp(d);
    };
    std::string bigSize = good;
    bigSize[2] = '\x7F';
    std::string cutPixels = good.substr(0, good.size() - 6);
    cutPixels.replace(2, 4, le32(static_cast<uint32_t>(cutPixels.size())));
    return {
        {"ten bytes", good.substr(0, 10), typeid(EReadError), "Stream read error"},
        {"info header cut short", good.substr(0, 30), typeid(EReadError), "Stream read error"},
        {"signature BA", "BA" + good.substr(2), typeid(EInvalidGraphic), kInvalid},
        {"two planes", with([](Dib& d) { d.planes = 2; }), typeid(EInvalidGraphic), kInvalid},
        {"header of 20 bytes", with([](Dib& d) { d.headerSize = 8; }), typeid(EInvalidGraphic), kInvalid},
        {"3 bits a pixel", with([](Dib& d) { d.bits = 3; }), typeid(EInvalidGraphic), kInvalid},
        {"JPEG compression", with([](Dib& d) { d.compression = 4; }), typeid(EInvalidGraphic), kInvalid},
        {"RLE8 at 24 bits", with([](Dib& d) { d.compression = 1; }), typeid(EInvalidGraphic), kInvalid},
        {"width 0", with([](Dib& d) { d.width = 0; }), typeid(EInvalidGraphic), kInvalid},
        {"negative width", with([](Dib& d) { d.width = -2; }), typeid(EInvalidGraphic), kInvalid},
        {"declares more bytes than it holds", bigSize, typeid(EInvalidGraphic), kInvalid},
        {"rows cut short", cutPixels, typeid(EInvalidGraphic), kInvalid},
        {"colour table beyond the file", with([](Dib& d) { d.bits = 8, d.coloursUsed = 100000; }),
         typeid(EInvalidGraphic), kInvalid},
        {"30000 x 30000 RLE8", with([](Dib& d) {
             d.width = d.height = 30000, d.bits = 8, d.compression = 1, d.pixels = std::string("\0\1", 2);
         }),
         typeid(EOutOfMemory), "Out of memory"},
    };
}

TEST(BmpReader, EachFaultGivesItsClassAndMessage)
{
    picturetest::expectFailures([](const std::string& file) { return readBmp(file); }, failures());
}

TEST(BmpReader, EmptyFileIsAnEmptyPicture)
{
    EXPECT_TRUE(readBmp("").empty());
}

struct Layout {
    const char* what;
    Dib dib;
    Pixels expected; // 2 x 2, top row first
};

constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF;

std::vector<Layout> layouts()
{
    const Pixels rgbw = {255, 0, 0, 255, 255, 255, 255, 255, 0, 0, 255, 255, 0, 255, 0, 255};
    Dib core = rgb24();
    core.headerSize = 12, core.bits = 8, core.palette = {kBlue, kGreen, kRed, 0xFFFFFF};
    core.pixels = std::string("\0\1\0\0\2\3\0\0", 8);
    Dib pal1 = core;
    pal1.headerSize = 40, pal1.bits = 1, pal1.palette = {kRed, kGreen};
    pal1.pixels = std::string("\x40\0\0\0\x80\0\0\0", 8); // bottom: red green; top: green red
    Dib pal4 = core;
    pal4.headerSize = 40, pal4.bits = 4, pal4.coloursUsed = 3, pal4.palette = {kBlue, kGreen, kRed};
    pal4.pixels = std::string("\x01\0\0\0\x25\0\0\0", 8); // index 5 lies past the table: black
    Dib topDown = rgb24();
    topDown.height = -2;
    Dib rgb555 = rgb24();
    rgb555.bits = 16, rgb555.pixels = le16(0x001F) + le16(0x03E0) + le16(0x7C00) + le16(0x7FFF);
    Dib rgb565 = rgb555;
    rgb565.compression = 3, rgb565.masks = {0xF800, 0x07E0, 0x001F};
    rgb565.pixels = le16(0x001F) + le16(0x07E0) + le16(0xF800) + le16(0xFFFF);
    Dib rgb32 = rgb24();
    rgb32.bits = 32, rgb32.pixels = le32(kBlue) + le32(kGreen) + le32(kRed) + le32(0x00FFFFFF);
    Dib alpha32 = rgb32;
    alpha32.headerSize = 124, alpha32.compression = 3, alpha32.masks = {0xFF0000, 0xFF00, 0xFF, 0xFF000000};
    alpha32.pixels = le32(0x800000FF) + le32(kGreen) + le32(0xFFFF0000) + le32(0x00FFFFFF);
    Dib rle8 = core;
    rle8.headerSize = 40, rle8.compression = 1;
    // bottom row: runs of one index 0 and one index 1, end of line; top row:
    // a literal run of three, clipped at the edge, padded; end of bitmap.
    rle8.pixels = std::string("\1\0\1\1\0\0\0\3\2\3\1\0\0\1", 14);
    Dib rle4 = rle8;
    rle4.bits = 4, rle4.compression = 2;
    // bottom row: a run of two alternating 0,1; end of line; a jump to x 1;
    // index 3 there; end of bitmap: the top left pixel stays black.
    rle4.pixels = std::string("\2\x01\0\0\0\2\1\0\1\x30\0\1", 12);
    return {
        {"core header, 8 bits", core, {255, 0, 0, 255, 255, 255, 255, 255, 0, 0, 255, 255, 0, 255, 0, 255}},
        {"1 bit", pal1, {0, 255, 0, 255, 255, 0, 0, 255, 255, 0, 0, 255, 0, 255, 0, 255}},
        {"4 bits, index past the table", pal4, {255, 0, 0, 255, 0, 0, 0, 255, 0, 0, 255, 255, 0, 255, 0, 255}},
        {"24 bits", rgb24(), rgbw},
        {"24 bits top-down", topDown, {0, 0, 255, 255, 0, 255, 0, 255, 255, 0, 0, 255, 255, 255, 255, 255}},
        {"16 bits 5-5-5", rgb555, rgbw},
        {"16 bits 5-6-5 masks", rgb565, rgbw},
        {"32 bits, fourth byte ignored", rgb32, rgbw},
        {"32 bits with an alpha mask", alpha32, {255, 0, 0, 255, 255, 255, 255, 0, 0, 0, 255, 128, 0, 255, 0, 0}},
        {"RLE8", rle8, {255, 0, 0, 255, 255, 255, 255, 255, 0, 0, 255, 255, 0, 255, 0, 255}},
        {"RLE4 with a jump", rle4, {0, 0, 0, 255, 255, 255, 255, 255, 0, 0, 255, 255, 0, 255, 0, 255}},
    };
}

TEST(BmpReader, EachStoredLayoutGivesItsPixels)
{
    for (const Layout& l : layouts()) {
        SCOPED_TRACE(l.what);
        const picture::RgbaImage image = readBmp(bmp(l.dib));
        ASSERT_EQ(image.width, 2);
        ASSERT_EQ(image.height, 2);
        EXPECT_EQ(image.pixels, l.expected);
    }
}

TEST(BmpReader, PackedDibWithoutFileHeader)
{
    const picture::RgbaImage image = picture::readDib(dib(rgb24()));
    EXPECT_EQ(image.pixels, layouts()[3].expected);
}

TEST(BmpReader, DamagedFilesFailCleanly)
{
    for (const Layout& l : layouts()) {
        SCOPED_TRACE(l.what);
        picturetest::expectDamageFailsCleanly([](const std::string& bytes) { return readBmp(bytes, 1 << 16); },
                                              bmp(l.dib));
    }
}

// ImageMagick writes a generated picture in each of its bitmap forms; both
// readers decode the result and must agree within one step of rounding.
// (Its 4-bit ARGB4444 form is left out: it reads 4-bit fields by shifting,
// so full intensity comes back as 240.)
class ImageMagickBitmaps : public testing::Test {
protected:
    void SetUp() override
    {
        if (std::system("convert -version >/dev/null 2>&1") != 0)
            GTEST_SKIP() << "ImageMagick is not installed";
        dir_ = std::filesystem::temp_directory_path() / ("bmp_reader_test_" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir_);
        std::ofstream ppm(dir_ / "source.ppm", std::ios::binary);
        ppm << "P6\n61 37\n255\n";
        for (int y = 0; y < 37; ++y)
            for (int x = 0; x < 61; ++x)
                ppm << static_cast<char>(x * 4) << static_cast<char>(y * 7) << static_cast<char>((x * y) % 256);
    }
    void TearDown() override
    {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }

    std::string run(const std::string& command)
    {
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        return {};
    }

    static std::string read(const std::filesystem::path& p)
    {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    std::filesystem::path dir_;
};

TEST_F(ImageMagickBitmaps, BothReadersAgree)
{
    const char* forms[] = {"BMP3:", "-type Palette -compress None BMP3:", "-type Palette -compress RLE BMP3:",
                           "-colors 16 BMP3:", "-type Bilevel BMP3:", "-colors 200 BMP2:",
                           "-define bmp:subtype=RGB565 BMP:",
                           "-alpha set -channel A -fx 'i/w' BMP:"};
    const std::string source = (dir_ / "source.ppm").string();
    for (const char* form : forms) {
        SCOPED_TRACE(form);
        const std::string file = (dir_ / "picture.bmp").string(), raw = (dir_ / "picture.rgba").string();
        run("convert " + source + " " + form + file + " 2>/dev/null");
        run("convert " + file + " -depth 8 RGBA:" + raw);
        const picture::RgbaImage ours = readBmp(read(file));
        const std::string expected = read(raw);
        ASSERT_EQ(ours.width, 61);
        ASSERT_EQ(ours.height, 37);
        ASSERT_EQ(ours.pixels.size(), expected.size());
        size_t off = 0;
        for (size_t i = 0; i < expected.size(); ++i)
            off += std::abs(ours.pixels[i] - static_cast<uint8_t>(expected[i])) > 1;
        EXPECT_EQ(off, 0u);
    }
}

} // namespace
