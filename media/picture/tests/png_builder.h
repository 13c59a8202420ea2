// Assembles PNG files from chunks inside a test, with correct checksums
// unless asked otherwise, so each fixture shows exactly the fault it tests.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace pngtest {

inline const std::string kSignature("\x89PNG\r\n\x1a\n", 8);

inline std::string be32(uint32_t v)
{
    return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8), static_cast<char>(v)};
}

inline std::string chunk(std::string_view type, std::string_view data, bool goodCrc = true)
{
    std::string body = std::string(type) + std::string(data);
    uint32_t crc = static_cast<uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size())));
    if (!goodCrc)
        crc ^= 0xDEADBEEF;
    return be32(static_cast<uint32_t>(data.size())) + body + be32(crc);
}

inline std::string ihdrData(uint32_t width, uint32_t height, uint8_t depth, uint8_t colourType, uint8_t interlace = 0,
                            uint8_t compression = 0, uint8_t filter = 0)
{
    return be32(width) + be32(height)
         + std::string{static_cast<char>(depth), static_cast<char>(colourType), static_cast<char>(compression),
                       static_cast<char>(filter), static_cast<char>(interlace)};
}

inline std::string ihdr(uint32_t width, uint32_t height, uint8_t depth, uint8_t colourType, uint8_t interlace = 0)
{
    return chunk("IHDR", ihdrData(width, height, depth, colourType, interlace));
}

inline std::string deflate(std::string_view raw)
{
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    std::string out(size, '\0');
    compress(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(raw.data()),
             static_cast<uLong>(raw.size()));
    out.resize(size);
    return out;
}

inline std::string idat(std::string_view rawRows)
{
    return chunk("IDAT", deflate(rawRows));
}

inline std::string iend()
{
    return chunk("IEND", "");
}

inline std::string png(std::initializer_list<std::string> chunks)
{
    std::string file = kSignature;
    for (const std::string& c : chunks)
        file += c;
    return file;
}

// A 2 x 1 grey picture (filter None, samples 0x10 and 0xF0): the smallest
// valid file, the base of most failure fixtures.
inline std::string tinyGreyRows()
{
    return std::string("\0\x10\xF0", 3);
}

} // namespace pngtest
