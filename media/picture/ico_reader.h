// Icon files (.ico): a directory of images, each a DIB with its AND mask or
// a whole PNG file. The picture is the best one: the largest, then the
// deepest.
#pragma once

#include "media/picture/rgba_image.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace picture {

struct IconEntry {
    uint32_t width = 0; // as the directory gives them, 0 read as 256
    uint32_t height = 0;
    uint32_t bitCount = 0; // 0 when the directory leaves it out
    uint32_t offset = 0;
    uint32_t size = 0;
};

// The directory. Throws EReadError "Stream read error" for a file shorter
// than its 6-byte header, EInvalidGraphic "Icon image is not valid" for a
// type other than 0 or 1, no entries, or a directory cut short.
std::vector<IconEntry> readIconDirectory(std::string_view bytes);

// Decodes the best image. Failures as readIconDirectory's, plus "Icon image
// is not valid" for a broken DIB image, the PNG reader's errors for a broken
// PNG image, and EOutOfMemory above `maxPixels` pixels.
RgbaImage readIcon(std::string_view bytes);
RgbaImage readIcon(std::string_view bytes, uint64_t maxPixels);

} // namespace picture
