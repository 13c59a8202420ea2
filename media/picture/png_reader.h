// Our own PNG reader on zlib: every colour type and bit depth, both
// interlace methods, into one RGBA8 picture.
#pragma once

#include "media/picture/png_errors.h"
#include "media/picture/rgba_image.h"

#include <cstdint>
#include <string_view>

namespace picture {

// Decodes a whole PNG file held in memory. Throws the EQMPNG... classes of
// png_errors.h, or EOutOfMemory for a picture above kMaxPixels. Chunk
// checksums are not verified; the zlib stream's own check value is.
RgbaImage readPng(std::string_view bytes);

// The same with a lower ceiling on the pixel count (fuzzing, icon images).
RgbaImage readPng(std::string_view bytes, uint64_t maxPixels);

} // namespace picture
