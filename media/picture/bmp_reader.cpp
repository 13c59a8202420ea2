// Bitmap files: the file header's signature, declared size and pixel offset,
// then the DIB that follows it.
#include "media/picture/bmp_reader.h"

#include "base/errors.h"
#include "media/picture/bmp_dib.h"

namespace picture {

namespace {

constexpr const char* kInvalidBitmap = "Bitmap image is not valid";
constexpr size_t kFileHeader = 14;

uint32_t le32(std::string_view d, size_t at)
{
    const auto* u = reinterpret_cast<const uint8_t*>(d.data() + at);
    return static_cast<uint32_t>(u[0]) | static_cast<uint32_t>(u[1]) << 8 | static_cast<uint32_t>(u[2]) << 16
         | static_cast<uint32_t>(u[3]) << 24;
}

} // namespace

RgbaImage readBmp(std::string_view bytes)
{
    return readBmp(bytes, kMaxPixels);
}

RgbaImage readBmp(std::string_view bytes, uint64_t maxPixels)
{
    if (bytes.empty())
        return {};
    if (bytes.size() < kFileHeader)
        throw EReadError(base::kStreamReadError);
    const DibContext context{kInvalidBitmap, maxPixels};
    if (bytes[0] != 'B' || bytes[1] != 'M')
        throw EInvalidGraphic(kInvalidBitmap);
    const std::string_view dib = bytes.substr(kFileHeader);
    const uint32_t offset = le32(bytes, 10);
    const size_t pixelStart = offset >= kFileHeader ? offset - kFileHeader : 0;
    const DibHeader header = readDibHeader(dib, context, pixelStart);
    // A file that declares more bytes than it holds has lost its end.
    if (le32(bytes, 2) > bytes.size())
        throw EInvalidGraphic(kInvalidBitmap);
    // An offset inside the headers is wrong; the pixels then follow the table.
    const size_t bits = pixelStart >= header.colourTableStart ? pixelStart : header.colourTableEnd;
    if (bits > dib.size())
        throw EInvalidGraphic(kInvalidBitmap);
    return decodeDibPixels(header, dib.substr(bits), context);
}

RgbaImage readDib(std::string_view bytes, uint64_t maxPixels)
{
    const DibContext context{kInvalidBitmap, maxPixels};
    const DibHeader header = readDibHeader(bytes, context);
    if (header.colourTableEnd > bytes.size())
        throw EInvalidGraphic(kInvalidBitmap);
    return decodeDibPixels(header, bytes.substr(header.colourTableEnd), context);
}

} // namespace picture
