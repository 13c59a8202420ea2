// RLE8 and RLE4 bitmaps: pairs of (count, value) with escapes for end of
// line, end of bitmap, a jump and literal runs. Runs that reach past the
// right edge are clipped rather than wrapped, and the data may stop early:
// whatever was not painted stays as the caller prepared it.
#include "media/picture/bmp_dib.h"

#include <cstring>

namespace picture {

namespace {

class RlePainter {
public:
    RlePainter(const DibHeader& header, RgbaImage& image) : header_(header), image_(image) {}

    bool done() const { return row_ >= image_.height; }
    void endOfLine() { x_ = 0, ++row_; }
    void jump(uint8_t dx, uint8_t dy) { x_ += dx, row_ += dy; }

    void put(uint32_t index)
    {
        if (x_ < image_.width && !done()) {
            const int32_t y = image_.height - 1 - static_cast<int32_t>(row_);
            std::memcpy(image_.row(y) + x_ * 4, &header_.palette[(index & 0xFF) * 4], 4);
        }
        ++x_;
    }

private:
    const DibHeader& header_;
    RgbaImage& image_;
    int64_t x_ = 0;
    int64_t row_ = 0;
};

// A literal run of `count` pixels, padded to an even number of bytes.
// Returns the bytes it used, or 0 when the data ends inside it.
size_t literalRun(const uint8_t* d, size_t left, uint8_t count, bool nibbles, RlePainter& painter)
{
    const size_t bytes = nibbles ? (count + 1u) / 2 : count;
    const size_t padded = bytes + (bytes & 1);
    if (padded > left)
        return 0;
    for (uint32_t i = 0; i < count; ++i)
        painter.put(nibbles ? (d[i / 2] >> (i % 2 == 0 ? 4 : 0)) & 0x0F : d[i]);
    return padded;
}

} // namespace

void decodeDibRle(const DibHeader& header, std::string_view bits, RgbaImage& image)
{
    const bool nibbles = header.compression == DibCompression::Rle4;
    const auto* d = reinterpret_cast<const uint8_t*>(bits.data());
    const size_t size = bits.size();
    RlePainter painter(header, image);
    size_t i = 0;
    while (i + 2 <= size && !painter.done()) {
        const uint8_t count = d[i], value = d[i + 1];
        i += 2;
        if (count > 0) {
            for (uint32_t k = 0; k < count; ++k)
                painter.put(nibbles ? (k % 2 == 0 ? value >> 4 : value & 0x0F) : value);
        } else if (value == 0) {
            painter.endOfLine();
        } else if (value == 1) {
            return;
        } else if (value == 2) {
            if (i + 2 > size)
                return;
            painter.jump(d[i], d[i + 1]);
            i += 2;
        } else {
            const size_t used = literalRun(d + i, size - i, value, nibbles, painter);
            if (used == 0)
                return;
            i += used;
        }
    }
}

} // namespace picture
