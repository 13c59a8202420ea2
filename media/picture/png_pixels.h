// The PNG reader's last stage: reconstructed rows of any colour type and bit
// depth become RGBA8 pixels. 16-bit samples keep their high byte, grey is
// spread over red, green and blue, and no gamma is applied.
#pragma once

#include "media/picture/png_chunks.h"

#include <cstddef>
#include <cstdint>

namespace picture {

// Writes the `width` pixels of the reconstructed row `raw` to `out`, each
// pixel `step` pixels after the one before (1, or an interlace pass's
// column spacing).
void convertPngRow(const PngHeader& header, const PngColours& colours, const uint8_t* raw, uint32_t width,
                   uint8_t* out, size_t step);

} // namespace picture
