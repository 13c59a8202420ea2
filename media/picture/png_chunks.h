// The first stage of the PNG reader: the signature, the chunk walk and the
// chunks that describe the picture (IHDR, PLTE, tRNS).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace picture {

constexpr uint32_t pngChunkType(const char (&name)[5])
{
    return static_cast<uint32_t>(static_cast<uint8_t>(name[0])) << 24
         | static_cast<uint32_t>(static_cast<uint8_t>(name[1])) << 16
         | static_cast<uint32_t>(static_cast<uint8_t>(name[2])) << 8 | static_cast<uint8_t>(name[3]);
}

struct PngChunk {
    uint32_t type = 0;
    std::string_view data;
};

// Walks the chunks of a file held in memory. A chunk is returned only when
// it is whole (length, type, data and checksum); checksums are not checked.
class PngChunkWalker {
public:
    // Throws EQMPNGInvalidFileHeader unless `bytes` starts with the signature.
    explicit PngChunkWalker(std::string_view bytes);

    // Throws EQMPNGUnexpectedEnd where the file stops before a whole chunk.
    PngChunk next();

private:
    std::string_view bytes_;
    size_t position_ = 0;
};

enum class PngColourType : uint8_t { Grey = 0, Rgb = 2, Palette = 3, GreyAlpha = 4, Rgba = 6 };

struct PngHeader {
    uint32_t width = 0;
    uint32_t height = 0;
    uint8_t bitDepth = 0;
    PngColourType colourType = PngColourType::Grey;
    bool interlaced = false;

    uint32_t channels() const;
    uint32_t bitsPerPixel() const { return channels() * bitDepth; }
    // The filters' byte distance: a whole pixel, at least one byte.
    size_t filterDistance() const { return bitsPerPixel() < 8 ? 1 : bitsPerPixel() / 8; }
};

// Checks the IHDR chunk in the order the errors are reported.
PngHeader parsePngHeader(const PngChunk& chunk);

// The colours that turn samples into RGBA: the palette (as RGBA, alpha from
// tRNS) and the transparent colour key of grey and RGB pictures.
struct PngColours {
    std::array<uint8_t, 256 * 4> palette{};
    bool hasPalette = false;
    bool hasKey = false;
    uint16_t key[3] = {0, 0, 0}; // grey in key[0]; masked to the bit depth

    PngColours();
};

// Throws EQMPNGInvalidPalette for a PLTE or tRNS of a size no picture has.
void readPngPalette(std::string_view data, PngColours& colours);
void readPngTransparency(std::string_view data, const PngHeader& header, PngColours& colours);

} // namespace picture
