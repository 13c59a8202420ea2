// Sample unpacking for every colour type and bit depth. The transparent
// colour key is compared at the file's own bit depth, before 16-bit samples
// lose their low byte, so two colours that differ only there stay apart.
#include "media/picture/png_pixels.h"

#include <cstring>

namespace picture {

namespace {

// The sample at index `i` of a row packed at 1, 2, 4 or 8 bits, first
// sample in the high bits of the first byte.
uint32_t packedSample(const uint8_t* raw, uint32_t i, uint32_t depth)
{
    const uint32_t bit = i * depth;
    const uint32_t shift = 8 - depth - bit % 8;
    return (raw[bit / 8] >> shift) & ((1u << depth) - 1);
}

uint16_t sample16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] << 8 | p[1]);
}

void put(uint8_t* out, uint8_t r, uint8_t g, uint8_t b, uint8_t a)
{
    out[0] = r;
    out[1] = g;
    out[2] = b;
    out[3] = a;
}

void convertGrey(const PngHeader& h, const PngColours& c, const uint8_t* raw, uint32_t width, uint8_t* out,
                 size_t step)
{
    const uint32_t depth = h.bitDepth;
    const uint32_t scale = depth < 8 ? 255 / ((1u << depth) - 1) : 1;
    for (uint32_t x = 0; x < width; ++x, out += step * 4) {
        const uint32_t v = depth == 16 ? sample16(raw + x * 2) : depth == 8 ? raw[x] : packedSample(raw, x, depth);
        const auto grey = static_cast<uint8_t>(depth == 16 ? v >> 8 : v * scale);
        put(out, grey, grey, grey, c.hasKey && v == c.key[0] ? 0 : 255);
    }
}

void convertRgb(const PngHeader& h, const PngColours& c, const uint8_t* raw, uint32_t width, uint8_t* out,
                size_t step)
{
    if (h.bitDepth == 8) {
        for (uint32_t x = 0; x < width; ++x, raw += 3, out += step * 4) {
            const bool clear = c.hasKey && raw[0] == c.key[0] && raw[1] == c.key[1] && raw[2] == c.key[2];
            put(out, raw[0], raw[1], raw[2], clear ? 0 : 255);
        }
        return;
    }
    for (uint32_t x = 0; x < width; ++x, raw += 6, out += step * 4) {
        const bool clear = c.hasKey && sample16(raw) == c.key[0] && sample16(raw + 2) == c.key[1]
                        && sample16(raw + 4) == c.key[2];
        put(out, raw[0], raw[2], raw[4], clear ? 0 : 255);
    }
}

void convertPalette(const PngHeader& h, const PngColours& c, const uint8_t* raw, uint32_t width, uint8_t* out,
                    size_t step)
{
    for (uint32_t x = 0; x < width; ++x, out += step * 4) {
        const uint32_t index = h.bitDepth == 8 ? raw[x] : packedSample(raw, x, h.bitDepth);
        std::memcpy(out, &c.palette[index * 4], 4);
    }
}

void convertGreyAlpha(const PngHeader& h, const uint8_t* raw, uint32_t width, uint8_t* out, size_t step)
{
    const size_t stride = h.bitDepth == 8 ? 2 : 4;
    const size_t alpha = stride / 2;
    for (uint32_t x = 0; x < width; ++x, raw += stride, out += step * 4)
        put(out, raw[0], raw[0], raw[0], raw[alpha]);
}

void convertRgba(const PngHeader& h, const uint8_t* raw, uint32_t width, uint8_t* out, size_t step)
{
    if (h.bitDepth == 8 && step == 1) {
        std::memcpy(out, raw, size_t{width} * 4);
        return;
    }
    const size_t stride = h.bitDepth == 8 ? 4 : 8;
    const size_t sample = stride / 4;
    for (uint32_t x = 0; x < width; ++x, raw += stride, out += step * 4)
        put(out, raw[0], raw[sample], raw[2 * sample], raw[3 * sample]);
}

} // namespace

void convertPngRow(const PngHeader& header, const PngColours& colours, const uint8_t* raw, uint32_t width,
                   uint8_t* out, size_t step)
{
    switch (header.colourType) {
    case PngColourType::Grey: convertGrey(header, colours, raw, width, out, step); break;
    case PngColourType::Rgb: convertRgb(header, colours, raw, width, out, step); break;
    case PngColourType::Palette: convertPalette(header, colours, raw, width, out, step); break;
    case PngColourType::GreyAlpha: convertGreyAlpha(header, raw, width, out, step); break;
    case PngColourType::Rgba: convertRgba(header, raw, width, out, step); break;
    }
}

} // namespace picture
