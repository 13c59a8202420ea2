// Bitmap header, colour table and uncompressed pixels. Every size comes
// from the file, so each is checked against the bytes that are really there
// before a row is touched.
#include "media/picture/bmp_dib.h"

#include "base/checked.h"
#include "base/errors.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>

namespace picture {

namespace {

constexpr uint32_t kCoreHeader = 12;
constexpr uint32_t kOs2Header = 64; // same start as the info form, no masks
constexpr uint32_t kKnownHeader = 124; // later fields are not read

uint32_t le32(std::string_view d, size_t at)
{
    const auto* u = reinterpret_cast<const uint8_t*>(d.data() + at);
    return static_cast<uint32_t>(u[0]) | static_cast<uint32_t>(u[1]) << 8 | static_cast<uint32_t>(u[2]) << 16
         | static_cast<uint32_t>(u[3]) << 24;
}

uint16_t le16(std::string_view d, size_t at)
{
    const auto* u = reinterpret_cast<const uint8_t*>(d.data() + at);
    return static_cast<uint16_t>(u[0] | u[1] << 8);
}

[[noreturn]] void invalid(const DibContext& context)
{
    throw EInvalidGraphic(context.invalidMessage);
}

bool validLayout(uint16_t bits, DibCompression compression)
{
    switch (compression) {
    case DibCompression::Rgb: return bits == 1 || bits == 2 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
    case DibCompression::Rle8: return bits == 8;
    case DibCompression::Rle4: return bits == 4;
    case DibCompression::BitFields:
    case DibCompression::AlphaBitFields: return bits == 16 || bits == 32;
    }
    return false;
}

void setDefaultMasks(DibHeader& h)
{
    if (h.bitCount == 16) {
        h.masks[0] = 0x7C00;
        h.masks[1] = 0x03E0;
        h.masks[2] = 0x001F;
    } else {
        h.masks[0] = 0x00FF0000;
        h.masks[1] = 0x0000FF00;
        h.masks[2] = 0x000000FF;
    }
}

// Masks live inside headers of 52 bytes or more, else just after the header.
size_t readMasks(std::string_view dib, DibHeader& h, const DibContext& context)
{
    const bool bitFields = h.compression == DibCompression::BitFields || h.compression == DibCompression::AlphaBitFields;
    if (!bitFields) {
        setDefaultMasks(h);
        return h.headerSize;
    }
    const size_t count = h.compression == DibCompression::AlphaBitFields ? 4 : 3;
    const bool inside = h.headerSize >= 52 && h.headerSize != kOs2Header;
    const size_t at = inside ? 40 : h.headerSize;
    if (!inside && dib.size() < at + count * 4)
        invalid(context);
    for (size_t i = 0; i < count; ++i)
        h.masks[i] = le32(dib, at + i * 4);
    if (inside && h.headerSize >= 56)
        h.masks[3] = le32(dib, 52);
    return inside ? h.headerSize : at + count * 4;
}

// The table holds `declared` entries, or 2^bits when that is zero; only the
// first 256 can be indexed, and in a bitmap file the pixels may begin first.
void readColourTable(std::string_view dib, DibHeader& h, uint32_t declared, size_t start, size_t limit,
                     const DibContext& context)
{
    const size_t entry = h.headerSize == kCoreHeader ? 3 : 4;
    const uint64_t count = declared != 0 ? declared : h.bitCount <= 8 ? (1u << h.bitCount) : 0;
    if (declared != 0 && start + uint64_t{declared} * entry > dib.size())
        invalid(context);
    h.colourTableStart = start;
    h.colourTableEnd = static_cast<size_t>(start + count * entry);
    uint64_t usable = h.bitCount <= 8 ? std::min<uint64_t>(count, 256) : 0;
    if (limit > start)
        usable = std::min<uint64_t>(usable, (limit - start) / entry);
    usable = std::min<uint64_t>(usable, dib.size() > start ? (dib.size() - start) / entry : 0);
    for (size_t i = 0; i < usable; ++i) {
        const auto* bgr = reinterpret_cast<const uint8_t*>(dib.data() + start + i * entry);
        h.palette[i * 4 + 0] = bgr[2];
        h.palette[i * 4 + 1] = bgr[1];
        h.palette[i * 4 + 2] = bgr[0];
    }
}

void readSizes(std::string_view dib, DibHeader& h, const DibContext& context)
{
    if (h.headerSize == kCoreHeader) {
        h.width = le16(dib, 4);
        h.height = le16(dib, 6);
        return;
    }
    h.width = static_cast<int32_t>(le32(dib, 4));
    const auto height = static_cast<int32_t>(le32(dib, 8));
    if (height == INT32_MIN)
        invalid(context);
    h.bottomUp = height > 0;
    h.height = height < 0 ? -height : height;
}

// A colour mask's position and width; masks need not be 8 bits wide.
struct Channel {
    uint32_t mask = 0;
    uint32_t shift = 0;
    uint32_t bits = 0;

    explicit Channel(uint32_t m) : mask(m)
    {
        if (m == 0)
            return;
        shift = static_cast<uint32_t>(std::countr_zero(m));
        bits = 32 - static_cast<uint32_t>(std::countl_zero(m)) - shift;
    }

    uint8_t expand(uint32_t value, uint8_t absent) const
    {
        if (bits == 0)
            return absent;
        const uint32_t v = (value & mask) >> shift;
        if (bits >= 8)
            return static_cast<uint8_t>(v >> (bits - 8));
        const uint32_t top = (1u << bits) - 1;
        return static_cast<uint8_t>((v * 255 + top / 2) / top);
    }
};

void convertIndexed(const DibHeader& h, const uint8_t* src, uint8_t* out)
{
    const uint32_t bits = h.bitCount;
    for (int32_t x = 0; x < h.width; ++x, out += 4) {
        const uint32_t bit = static_cast<uint32_t>(x) * bits;
        const uint32_t index = (src[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
        std::memcpy(out, &h.palette[index * 4], 4);
    }
}

void convertMasked(const DibHeader& h, const uint8_t* src, uint8_t* out)
{
    const Channel red(h.masks[0]), green(h.masks[1]), blue(h.masks[2]), alpha(h.masks[3]);
    const size_t step = h.bitCount / 8;
    for (int32_t x = 0; x < h.width; ++x, src += step, out += 4) {
        const uint32_t v = step == 2 ? static_cast<uint32_t>(src[0] | src[1] << 8)
                                     : static_cast<uint32_t>(src[0] | src[1] << 8 | src[2] << 16)
                                           | static_cast<uint32_t>(src[3]) << 24;
        out[0] = red.expand(v, 0);
        out[1] = green.expand(v, 0);
        out[2] = blue.expand(v, 0);
        out[3] = alpha.expand(v, 255);
    }
}

void convertRow(const DibHeader& h, const uint8_t* src, uint8_t* out, const DibContext& context)
{
    if (h.bitCount <= 8)
        return convertIndexed(h, src, out);
    if (h.bitCount == 16 || h.compression != DibCompression::Rgb)
        return convertMasked(h, src, out);
    const size_t step = h.bitCount / 8;
    const bool alpha = h.bitCount == 32 && context.icon;
    for (int32_t x = 0; x < h.width; ++x, src += step, out += 4) {
        out[0] = src[2];
        out[1] = src[1];
        out[2] = src[0];
        out[3] = alpha ? src[3] : 255;
    }
}

RgbaImage allocate(const DibHeader& h, const DibContext& context)
{
    const uint64_t pixels = uint64_t{static_cast<uint32_t>(h.width)} * static_cast<uint32_t>(h.height);
    if (pixels > context.maxPixels || pixels > kMaxPixels)
        throw EOutOfMemory(base::kOutOfMemory);
    RgbaImage image;
    try {
        image.pixels.resize(static_cast<size_t>(pixels) * 4);
    } catch (const std::bad_alloc&) {
        throw EOutOfMemory(base::kOutOfMemory);
    }
    image.width = h.width;
    image.height = h.height;
    return image;
}

} // namespace

uint64_t dibRowStride(uint64_t width, uint32_t bitCount)
{
    return (width * bitCount + 31) / 32 * 4;
}

void halveDibHeight(DibHeader& header)
{
    header.height /= 2;
}

RgbaImage decodeDibPixels(const DibHeader& h, std::string_view bits, const DibContext& context)
{
    const bool rle = h.compression == DibCompression::Rle8 || h.compression == DibCompression::Rle4;
    const uint64_t width = static_cast<uint32_t>(h.width);
    const uint64_t stride = dibRowStride(width, h.bitCount);
    if (h.height <= 0)
        invalid(context);
    // The last row's padding may be missing; its pixels may not.
    const auto rows = base::checkedMul<uint64_t>(stride, static_cast<uint64_t>(h.height) - 1);
    if (!rle && (!rows || *rows + (width * h.bitCount + 7) / 8 > bits.size()))
        invalid(context);
    RgbaImage image = allocate(h, context);
    if (rle) {
        for (size_t i = 3; i < image.pixels.size(); i += 4)
            image.pixels[i] = 255; // pixels the runs skip stay opaque black
        decodeDibRle(h, bits, image);
        return image;
    }
    const auto* data = reinterpret_cast<const uint8_t*>(bits.data());
    for (int32_t r = 0; r < h.height; ++r) {
        const int32_t y = h.bottomUp ? h.height - 1 - r : r;
        convertRow(h, data + static_cast<size_t>(r) * stride, image.row(y), context);
    }
    return image;
}

DibHeader readDibHeader(std::string_view dib, const DibContext& context, size_t paletteLimit)
{
    if (dib.size() < 4)
        throw EReadError(base::kStreamReadError);
    DibHeader h;
    h.headerSize = le32(dib, 0);
    if (h.headerSize != kCoreHeader && h.headerSize < 16)
        invalid(context);
    if (dib.size() < h.headerSize)
        throw EReadError(base::kStreamReadError);
    // Fields past a short header's end read as zero.
    char fields[kKnownHeader] = {};
    std::memcpy(fields, dib.data(), h.headerSize < kKnownHeader ? h.headerSize : kKnownHeader);
    const std::string_view f(fields, sizeof fields);
    readSizes(f, h, context);
    const bool core = h.headerSize == kCoreHeader;
    if (le16(f, core ? 8 : 12) != 1)
        invalid(context);
    h.bitCount = le16(f, core ? 10 : 14);
    h.compression = static_cast<DibCompression>(core ? 0 : le32(f, 16));
    if (h.width <= 0 || h.height == 0 || !validLayout(h.bitCount, h.compression))
        invalid(context);
    if (!h.bottomUp && (h.compression == DibCompression::Rle8 || h.compression == DibCompression::Rle4))
        invalid(context); // RLE rows are always stored from the bottom
    for (size_t i = 0; i < 256; ++i)
        h.palette[i * 4 + 3] = 255;
    const size_t tableStart = readMasks(dib, h, context);
    readColourTable(dib, h, core ? 0 : le32(f, 32), tableStart, paletteLimit, context);
    return h;
}

} // namespace picture
