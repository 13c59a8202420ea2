// Windows metafiles (placeable WMF) and enhanced metafiles (EMF): the header
// checks, the picture's size and the list of drawing records the player
// replays. Records are only located here; their meaning is the player's.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace picture {

enum class MetafileFormat { Windows, Enhanced };

struct MetafileRecord {
    uint32_t type = 0;   // WMF function number or EMF record type
    uint32_t offset = 0; // of the parameters within Metafile::bytes
    uint32_t size = 0;   // parameter bytes after the record header
};

struct Metafile {
    MetafileFormat format = MetafileFormat::Windows;
    int32_t width = 0;  // pixels at 96 dots per inch
    int32_t height = 0;
    // The rectangle the picture covers, in the units its records use at the
    // start: logical units for WMF (the placeable bounding box), device
    // pixels for EMF (the frame converted through the reference device).
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    std::string bytes;
    std::vector<MetafileRecord> records;

    std::string_view params(const MetafileRecord& record) const
    {
        return std::string_view(bytes).substr(record.offset, record.size);
    }
};

// EInvalidGraphic "Metafile is not valid" unless the data starts with an
// enhanced-metafile header or a placeable header with its key and checksum.
// Records are read up to the end-of-file record; a damaged record ends the
// list, so a truncated file shows what it holds.
Metafile readMetafile(std::string data);

// Bitmaps inside metafile records (and ".dib" files) are packed: info
// header, colour table and bits without the 14-byte file header. These put
// one in front so the bitmap reader can take them; the packed form finds
// where the bits start from the info header. Empty when no header fits.
std::string bitmapFileFromDib(std::string_view info, std::string_view bits);
std::string bitmapFileFromPackedDib(std::string_view dib);

// Little-endian readers over record parameters; out-of-range reads give 0,
// so a short record draws nothing sensible but reads nothing outside.
inline uint32_t readU32(std::string_view p, size_t at)
{
    if (at + 4 > p.size() || at + 4 < at)
        return 0;
    const auto* b = reinterpret_cast<const unsigned char*>(p.data() + at);
    return uint32_t{b[0]} | (uint32_t{b[1]} << 8) | (uint32_t{b[2]} << 16) | (uint32_t{b[3]} << 24);
}
inline int32_t readI32(std::string_view p, size_t at) { return static_cast<int32_t>(readU32(p, at)); }
inline uint16_t readU16(std::string_view p, size_t at)
{
    if (at + 2 > p.size() || at + 2 < at)
        return 0;
    const auto* b = reinterpret_cast<const unsigned char*>(p.data() + at);
    return static_cast<uint16_t>(b[0] | (b[1] << 8));
}
inline int16_t readI16(std::string_view p, size_t at) { return static_cast<int16_t>(readU16(p, at)); }

} // namespace picture
