// Signature, chunk walk and the descriptive chunks of a PNG file.
#include "media/picture/png_chunks.h"

#include "media/picture/png_errors.h"

#include <cstring>

namespace picture {

namespace {

constexpr std::string_view kSignature("\x89PNG\r\n\x1a\n", 8);
constexpr size_t kHeaderLength = 13;
constexpr uint32_t kLargestSide = 65535;

uint32_t readBig32(const char* p)
{
    const auto* u = reinterpret_cast<const uint8_t*>(p);
    return static_cast<uint32_t>(u[0]) << 24 | static_cast<uint32_t>(u[1]) << 16
         | static_cast<uint32_t>(u[2]) << 8 | u[3];
}

bool validBitDepth(PngColourType type, uint8_t depth)
{
    switch (type) {
    case PngColourType::Grey: return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case PngColourType::Palette: return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    case PngColourType::Rgb:
    case PngColourType::GreyAlpha:
    case PngColourType::Rgba: return depth == 8 || depth == 16;
    }
    return false;
}

bool knownColourType(uint8_t type)
{
    return type == 0 || type == 2 || type == 3 || type == 4 || type == 6;
}

} // namespace

PngChunkWalker::PngChunkWalker(std::string_view bytes) : bytes_(bytes)
{
    if (bytes.substr(0, kSignature.size()) != kSignature)
        throw EQMPNGInvalidFileHeader();
    position_ = kSignature.size();
}

PngChunk PngChunkWalker::next()
{
    // Length and type, the data, then the checksum (read past, not verified).
    const size_t left = bytes_.size() - position_;
    if (left < 8)
        throw EQMPNGUnexpectedEnd();
    const uint32_t length = readBig32(bytes_.data() + position_);
    if (length > left - 8 || left - 8 - length < 4)
        throw EQMPNGUnexpectedEnd();
    PngChunk chunk;
    chunk.type = readBig32(bytes_.data() + position_ + 4);
    chunk.data = bytes_.substr(position_ + 8, length);
    position_ += 12 + size_t{length};
    return chunk;
}

uint32_t PngHeader::channels() const
{
    switch (colourType) {
    case PngColourType::Grey:
    case PngColourType::Palette: return 1;
    case PngColourType::GreyAlpha: return 2;
    case PngColourType::Rgb: return 3;
    case PngColourType::Rgba: return 4;
    }
    return 1;
}

PngHeader parsePngHeader(const PngChunk& chunk)
{
    if (chunk.type != pngChunkType("IHDR"))
        throw EQMPNGIHDRNotFirst();
    if (chunk.data.size() < kHeaderLength)
        throw EQMPNGInvalidIHDR();
    const char* d = chunk.data.data();
    PngHeader header;
    header.width = readBig32(d);
    header.height = readBig32(d + 4);
    if (header.width > kLargestSide || header.height > kLargestSide)
        throw EQMPNGSizeExceeds();
    const auto depth = static_cast<uint8_t>(d[8]);
    const auto type = static_cast<uint8_t>(d[9]);
    if (header.width == 0 || header.height == 0 || !knownColourType(type)
        || !validBitDepth(static_cast<PngColourType>(type), depth))
        throw EQMPNGInvalidIHDR();
    header.bitDepth = depth;
    header.colourType = static_cast<PngColourType>(type);
    if (d[10] != 0)
        throw EQMPNGUnknownCompression();
    if (d[11] != 0) // the filter method; only the adaptive method 0 exists
        throw EQMPNGInvalidIHDR();
    if (d[12] != 0 && d[12] != 1)
        throw EQMPNGUnknownInterlace();
    header.interlaced = d[12] == 1;
    return header;
}

PngColours::PngColours()
{
    // Indices past the palette's end show opaque black rather than garbage.
    for (size_t i = 0; i < 256; ++i)
        palette[i * 4 + 3] = 255;
}

void readPngPalette(std::string_view data, PngColours& colours)
{
    if (data.size() % 3 != 0 || data.size() > 256 * 3)
        throw EQMPNGInvalidPalette();
    for (size_t i = 0; i < data.size() / 3; ++i)
        std::memcpy(&colours.palette[i * 4], data.data() + i * 3, 3);
    colours.hasPalette = !data.empty();
}

void readPngTransparency(std::string_view data, const PngHeader& header, PngColours& colours)
{
    if (data.size() > 256)
        throw EQMPNGInvalidPalette();
    const auto* u = reinterpret_cast<const uint8_t*>(data.data());
    const uint32_t mask = header.bitDepth == 16 ? 0xFFFF : (1u << header.bitDepth) - 1;
    switch (header.colourType) {
    case PngColourType::Palette:
        for (size_t i = 0; i < data.size(); ++i)
            colours.palette[i * 4 + 3] = u[i];
        break;
    case PngColourType::Grey:
    case PngColourType::Rgb: {
        const size_t samples = header.colourType == PngColourType::Grey ? 1 : 3;
        if (data.size() < samples * 2)
            break;
        for (size_t i = 0; i < samples; ++i)
            colours.key[i] = static_cast<uint16_t>((uint32_t{u[i * 2]} << 8 | u[i * 2 + 1]) & mask);
        colours.hasKey = true;
        break;
    }
    default: break; // pictures with an alpha channel have no use for it
    }
}

} // namespace picture
