// The PNG reader in stages: chunks -> inflate -> unfilter -> de-interlace ->
// RGBA. The chunks before the image data describe it; the image is decoded
// as soon as its run of IDAT chunks is complete, and the walk then goes on to
// IEND, so a file cut short after its image still fails.
#include "media/picture/png_reader.h"

#include "base/checked.h"
#include "base/errors.h"
#include "media/picture/png_chunks.h"
#include "media/picture/png_pixels.h"
#include "media/picture/png_row_stream.h"
#include "media/picture/png_unfilter.h"

#include <new>
#include <optional>
#include <span>
#include <utility>
#include <vector>

namespace picture {

namespace {

// Deflate cannot expand data more than 1032 times (a 258-byte match in two
// bits), so image data shorter than this share of the rows cannot hold them.
constexpr uint64_t kDeflateMaxRatio = 1032;

struct Pass {
    uint32_t x0, y0, dx, dy;
};
constexpr Pass kAdam7[] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                           {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
constexpr Pass kWhole[] = {{0, 0, 1, 1}};

uint32_t passExtent(uint32_t size, uint32_t start, uint32_t spacing)
{
    return size > start ? (size - start + spacing - 1) / spacing : 0;
}

// Bytes of one reconstructed row; widths are at most 65535 and pixels at
// most 64 bits, so this cannot overflow.
size_t rowBytes(const PngHeader& h, uint32_t width)
{
    return (size_t{width} * h.bitsPerPixel() + 7) / 8;
}

std::span<const Pass> passesOf(const PngHeader& h)
{
    return h.interlaced ? std::span<const Pass>(kAdam7) : std::span<const Pass>(kWhole);
}

// Inflated size of the image data: each row of each pass with its filter byte.
uint64_t inflatedSize(const PngHeader& h)
{
    uint64_t total = 0;
    for (const Pass& p : passesOf(h)) {
        const uint32_t w = passExtent(h.width, p.x0, p.dx);
        const uint32_t rows = passExtent(h.height, p.y0, p.dy);
        if (w > 0)
            total += uint64_t{rows} * (1 + rowBytes(h, w));
    }
    return total;
}

void checkLimits(const PngHeader& h, const PngColours& colours, const std::vector<std::string_view>& chunks,
                 uint64_t maxPixels)
{
    if (h.colourType == PngColourType::Palette && !colours.hasPalette)
        throw EQMPNGInvalidPalette();
    const auto pixels = base::checkedMul<uint64_t>(h.width, h.height);
    if (!pixels || *pixels > kMaxPixels || *pixels > maxPixels)
        throw EOutOfMemory(base::kOutOfMemory);
    uint64_t compressed = 0;
    for (std::string_view chunk : chunks)
        compressed += chunk.size();
    if (inflatedSize(h) > compressed * kDeflateMaxRatio + 1024)
        throw EQMPNGMissingMultipleIDAT();
}

void throwBadFilter()
{
    throw EQMPNGZLIBError("invalid row filter type");
}

class ImageDecoder {
public:
    ImageDecoder(const PngHeader& header, const PngColours& colours, RgbaImage& image, PngRowStream& stream)
        : h_(header), colours_(colours), image_(image), stream_(stream)
    {
    }

    void decode()
    {
        for (const Pass& pass : passesOf(h_))
            decodePass(pass);
        stream_.finish();
    }

private:
    // RGBA8 without interlace is the photograph's layout: rows unfilter
    // straight into the picture, the row above serving as `prev`.
    bool direct() const
    {
        return !h_.interlaced && h_.colourType == PngColourType::Rgba && h_.bitDepth == 8;
    }

    void decodePass(const Pass& pass)
    {
        const uint32_t width = passExtent(h_.width, pass.x0, pass.dx);
        const uint32_t rows = passExtent(h_.height, pass.y0, pass.dy);
        if (width == 0 || rows == 0)
            return;
        const size_t length = rowBytes(h_, width);
        std::vector<uint8_t> prev(length, 0);
        std::vector<uint8_t> cur(length);
        for (uint32_t j = 0; j < rows; ++j) {
            const uint8_t* in = stream_.next(length + 1);
            const int32_t y = static_cast<int32_t>(pass.y0 + j * pass.dy);
            uint8_t* out = image_.row(y) + size_t{pass.x0} * 4;
            if (direct()) {
                const uint8_t* above = j == 0 ? prev.data() : image_.row(y - 1);
                if (!unfilterRow(in[0], in + 1, above, out, length, h_.filterDistance()))
                    throwBadFilter();
                continue;
            }
            if (!unfilterRow(in[0], in + 1, prev.data(), cur.data(), length, h_.filterDistance()))
                throwBadFilter();
            convertPngRow(h_, colours_, cur.data(), width, out, pass.dx);
            std::swap(prev, cur);
        }
    }

    const PngHeader& h_;
    const PngColours& colours_;
    RgbaImage& image_;
    PngRowStream& stream_;
};

RgbaImage decodeImage(const PngHeader& h, const PngColours& colours, const std::vector<std::string_view>& chunks,
                      uint64_t maxPixels)
{
    checkLimits(h, colours, chunks, maxPixels);
    RgbaImage image;
    try {
        image.pixels.resize(size_t{h.width} * h.height * 4);
    } catch (const std::bad_alloc&) {
        throw EOutOfMemory(base::kOutOfMemory);
    }
    image.width = static_cast<int32_t>(h.width);
    image.height = static_cast<int32_t>(h.height);
    PngRowStream stream(chunks, rowBytes(h, h.width) + 1);
    ImageDecoder(h, colours, image, stream).decode();
    return image;
}

} // namespace

RgbaImage readPng(std::string_view bytes)
{
    return readPng(bytes, kMaxPixels);
}

RgbaImage readPng(std::string_view bytes, uint64_t maxPixels)
{
    PngChunkWalker walker(bytes);
    const PngHeader header = parsePngHeader(walker.next());
    PngColours colours;
    std::optional<RgbaImage> image;
    PngChunk chunk = walker.next();
    for (;;) {
        if (chunk.type == pngChunkType("IEND"))
            break;
        if (chunk.type == pngChunkType("IDAT") && !image) {
            std::vector<std::string_view> data;
            for (; chunk.type == pngChunkType("IDAT"); chunk = walker.next())
                data.push_back(chunk.data);
            image = decodeImage(header, colours, data, maxPixels);
            continue; // `chunk` is the one after the run
        }
        if (!image && chunk.type == pngChunkType("PLTE"))
            readPngPalette(chunk.data, colours);
        else if (!image && chunk.type == pngChunkType("tRNS"))
            readPngTransparency(chunk.data, header, colours);
        chunk = walker.next();
    }
    if (!image)
        throw EQMPNGNoImageData();
    return std::move(*image);
}

} // namespace picture
