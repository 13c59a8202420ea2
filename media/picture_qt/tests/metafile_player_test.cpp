// The metafile player: where records land in the target (the placeable box
// or the frame mapped onto it, window and viewport changes), the objects
// they draw with, and embedded bitmaps the right way up.
#include "media/picture_qt/metafile_player.h"

#include "media/picture/tests/metafile_builder.h"

#include <gtest/gtest.h>

namespace picture_qt {
namespace {

using namespace picture::testing;

std::string emfRecord32(uint32_t type, std::initializer_list<int32_t> params) { return emfRecord(type, params); }

// Red solid brush and no pen, selected; WMF objects take slots 0 and 1.
std::string wmfRedBrushNoPen()
{
    std::string r = wmfRecord(0x02FC, {0, 0xFF, 0, 0}); // style, colour low and high word, hatch
    r += wmfRecord(0x02FA, {5, 0, 0, 0, 0});           // null pen
    return r + wmfRecord(0x012D, {0}) + wmfRecord(0x012D, {1});
}

std::string emfRedBrushNoPen()
{
    return emfRecord32(39, {1, 0, 0x0000FF, 0}) + emfRecord32(37, {1}) + emfRecord32(37, {int32_t(0x80000008)});
}

// A 2 x 2 24-bit packed bitmap, stored bottom row first: top row red,
// blue; bottom row green, white.
std::string packedDib()
{
    std::string d;
    for (uint32_t v : {40u, 2u, 2u})
        put32(d, v);
    put16(d, 1);
    put16(d, 24);
    for (int i = 0; i < 6; ++i)
        put32(d, 0);
    d += std::string("\0\xFF\0" "\xFF\xFF\xFF" "\0\0", 8); // bottom: green, white
    d += std::string("\0\0\xFF" "\xFF\0\0" "\0\0", 8);     // top: red, blue
    return d;
}

std::string emfStretchDib()
{
    // bounds, destination x y, source x y w h, offsets and sizes of the
    // info and bits, usage, raster operation, destination w h; then the bitmap
    const std::string dib = packedDib();
    std::string r = emfRecord32(81, {0, 0, 0, 0, 0, 0, 0, 0, 2, 2, 80, 40, 120, 16, 0, 0xCC0020, 102, 51});
    r += dib;
    r[4] = static_cast<char>(r.size()); // record size includes the bitmap
    return r;
}

struct Probe {
    int x, y;
    QRgb colour;
};

struct PlayCase {
    const char* name;
    std::string file;
    std::vector<Probe> probes;
};

TEST(MetafilePlayer, DrawsRecordsWhereTheHeaderMapsThem)
{
    const QRgb red = qRgb(255, 0, 0), white = qRgb(255, 255, 255);
    const PlayCase cases[] = {
        {"placeable box onto the target",
         placeableWmf({.right = 100, .bottom = 50, .inch = 96}) + wmfRedBrushNoPen() + wmfRecord(0x041B, {50, 100, 0, 50}),
         {{30, 10, red}, {10, 10, white}}},
        {"window moved and sized by the records",
         placeableWmf({.right = 100, .bottom = 50, .inch = 96}) + wmfRecord(0x020B, {100, 100}) + wmfRecord(0x020C, {50, 100})
             + wmfRedBrushNoPen() + wmfRecord(0x041B, {150, 150, 100, 100}),
         {{10, 10, red}, {30, 10, white}}},
        {"enhanced frame onto the target", emfHeader({}) + emfRedBrushNoPen() + emfRecord32(43, {0, 0, 51, 51}),
         {{10, 10, red}, {30, 10, white}}},
        {"anisotropic window and viewport",
         emfHeader({}) + emfRecord32(17, {8}) + emfRecord32(9, {2, 1}) + emfRecord32(11, {102, 51}) + emfRedBrushNoPen()
             + emfRecord32(43, {1, 0, 2, 1}),
         {{30, 10, red}, {10, 10, white}}},
        {"saved state comes back", emfHeader({}) + emfRecord32(33, {}) + emfRedBrushNoPen() + emfRecord32(34, {-1})
             + emfRecord32(37, {int32_t(0x80000008)}) + emfRecord32(43, {0, 0, 102, 51}),
         {{20, 10, white}}},
        {"bitmap right way up", emfHeader({}) + emfStretchDib(),
         {{5, 5, red}, {35, 5, qRgb(0, 0, 255)}, {5, 15, qRgb(0, 255, 0)}, {35, 15, white}}},
    };
    for (const PlayCase& c : cases) {
        SCOPED_TRACE(c.name);
        const picture::Metafile metafile = picture::readMetafile(c.file);
        QImage target(40, 20, QImage::Format_RGB32);
        target.fill(Qt::white);
        QPainter painter(&target);
        playMetafile(metafile, painter, QRectF(target.rect()));
        painter.end();
        for (const Probe& p : c.probes)
            EXPECT_EQ(target.pixel(p.x, p.y), p.colour) << p.x << "," << p.y;
    }
}

} // namespace
} // namespace picture_qt
