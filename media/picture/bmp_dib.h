// The device-independent bitmap shared by bitmap files and icons: the bitmap
// header (core, info and its later versions), the colour masks, the colour
// table and the pixels, uncompressed or RLE. Bitmap files put a 14-byte file
// header in front; icons store a DIB of twice the height, the AND mask below.
#pragma once

#include "media/picture/rgba_image.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace picture {

// How a caller wants failures told: bitmaps and icons each have their own
// "not valid" message, and fuzzing lowers the pixel ceiling.
struct DibContext {
    const char* invalidMessage;
    uint64_t maxPixels = kMaxPixels;
    bool icon = false; // 32-bit icons carry alpha in the fourth byte
};

enum class DibCompression : uint32_t { Rgb = 0, Rle8 = 1, Rle4 = 2, BitFields = 3, AlphaBitFields = 6 };

struct DibHeader {
    uint32_t headerSize = 0;
    int32_t width = 0;
    int32_t height = 0; // the rows stored; icons pass half the declared height
    bool bottomUp = true;
    uint16_t bitCount = 0;
    DibCompression compression = DibCompression::Rgb;
    uint32_t masks[4] = {0, 0, 0, 0}; // red, green, blue, alpha
    std::array<uint8_t, 256 * 4> palette{}; // RGBA, opaque black past its end
    size_t colourTableStart = 0; // after the header and any masks behind it
    size_t colourTableEnd = 0; // the first byte after the colour table
};

// Reads the header, masks and colour table of the DIB at the start of `dib`.
// `paletteLimit`, when not zero, is the offset where the pixels begin: the
// colour table stops there. Throws EReadError for a header cut short and
// EInvalidGraphic with the context's message for a header no bitmap has.
DibHeader readDibHeader(std::string_view dib, const DibContext& context, size_t paletteLimit = 0);

// The icon's stored height is the image's and its mask's together.
void halveDibHeight(DibHeader& header);

// Decodes the pixels in `bits` as the header describes; a declared size the
// data cannot hold is refused before anything is allocated.
RgbaImage decodeDibPixels(const DibHeader& header, std::string_view bits, const DibContext& context);

// Rows of an uncompressed DIB: padded to four bytes.
uint64_t dibRowStride(uint64_t width, uint32_t bitCount);

// RLE8 and RLE4 (bmp_rle.cpp): fills `image`, already black, row by row.
void decodeDibRle(const DibHeader& header, std::string_view bits, RgbaImage& image);

} // namespace picture
