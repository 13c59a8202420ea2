// Undoes the five PNG row filters (None, Sub, Up, Average, Paeth).
#pragma once

#include <cstddef>
#include <cstdint>

namespace picture {

enum class PngFilter : uint8_t { None = 0, Sub = 1, Up = 2, Average = 3, Paeth = 4 };

// Reconstructs one row: `in` holds the `length` filtered bytes (without the
// filter byte), `prev` the reconstructed row above (all zeros for a pass's
// first row), `out` receives the reconstructed bytes. `out` must not overlap
// `in` or `prev`. `pixelBytes` is the filter's byte distance: the bytes of a
// whole pixel, at least 1. Returns false for an unknown filter type.
bool unfilterRow(uint8_t filter, const uint8_t* in, const uint8_t* prev, uint8_t* out, size_t length,
                 size_t pixelBytes);

} // namespace picture
