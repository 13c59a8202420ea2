// Builds bitmap files and packed DIBs field by field inside a test, for the
// BMP and icon readers' fixtures.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace bmptest {

inline std::string le16(uint32_t v)
{
    return {static_cast<char>(v), static_cast<char>(v >> 8)};
}

inline std::string le32(uint32_t v)
{
    return le16(v & 0xFFFF) + le16(v >> 16);
}

struct Dib {
    uint32_t headerSize = 40; // 12 for the core form
    int32_t width = 1;
    int32_t height = 1; // negative: top-down
    uint32_t planes = 1;
    uint32_t bits = 24;
    uint32_t compression = 0;
    uint32_t coloursUsed = 0;
    std::vector<uint32_t> masks; // inside the header from 52 bytes, else after it
    std::vector<uint32_t> palette; // 0x00RRGGBB
    std::string pixels; // rows as stored, padding included
};

inline std::string dib(const Dib& d)
{
    std::string h = le32(d.headerSize);
    if (d.headerSize == 12) {
        h += le16(static_cast<uint32_t>(d.width)) + le16(static_cast<uint32_t>(d.height)) + le16(d.planes) + le16(d.bits);
    } else {
        h += le32(static_cast<uint32_t>(d.width)) + le32(static_cast<uint32_t>(d.height)) + le16(d.planes) + le16(d.bits)
           + le32(d.compression) + le32(0) + le32(2835) + le32(2835) + le32(d.coloursUsed) + le32(0);
        if (d.headerSize >= 52)
            for (uint32_t m : d.masks)
                h += le32(m);
        h.resize(d.headerSize, '\0');
        if (d.headerSize < 52)
            for (uint32_t m : d.masks)
                h += le32(m);
    }
    for (uint32_t c : d.palette) {
        h += std::string{static_cast<char>(c), static_cast<char>(c >> 8), static_cast<char>(c >> 16)};
        if (d.headerSize != 12)
            h += '\0';
    }
    return h + d.pixels;
}

// The file header in front: signature, the file's size and the pixels' offset.
inline std::string bmp(const Dib& d)
{
    const std::string body = dib(d);
    const auto size = static_cast<uint32_t>(14 + body.size());
    return "BM" + le32(size) + le32(0) + le32(size - static_cast<uint32_t>(d.pixels.size())) + body;
}

} // namespace bmptest
