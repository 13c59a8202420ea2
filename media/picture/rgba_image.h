// The one decoded-picture type every reader produces: 8-bit RGBA, rows top
// to bottom, straight (not premultiplied) alpha.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace picture {

struct RgbaImage {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> pixels; // width * height * 4 bytes

    bool empty() const { return width <= 0 || height <= 0; }
    uint8_t* row(int32_t y) { return pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(width) * 4; }
    const uint8_t* row(int32_t y) const { return pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(width) * 4; }
};

// Pixels above this count are refused before allocating (512 MiB of RGBA).
inline constexpr uint64_t kMaxPixels = (512ull << 20) / 4;

} // namespace picture
