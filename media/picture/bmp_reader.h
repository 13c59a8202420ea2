// Bitmap files (.bmp): the 14-byte file header in front of a DIB.
#pragma once

#include "media/picture/rgba_image.h"

#include <cstdint>
#include <string_view>

namespace picture {

// An empty input gives an empty picture. Throws EReadError "Stream read
// error" when a header is cut short, EInvalidGraphic "Bitmap image is not
// valid" for anything else a bitmap cannot be, EOutOfMemory "Out of memory"
// above `maxPixels` pixels.
RgbaImage readBmp(std::string_view bytes);
RgbaImage readBmp(std::string_view bytes, uint64_t maxPixels);

// A packed DIB without the file header (bitmap header, colour table, pixels),
// as clipboards and metafile records carry it; failures as readBmp's.
RgbaImage readDib(std::string_view bytes, uint64_t maxPixels = kMaxPixels);

} // namespace picture
