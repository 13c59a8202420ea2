// Icons: the directory, the choice of image, and the AND mask that makes a
// DIB image's pixels transparent where it has no alpha of its own.
#include "media/picture/ico_reader.h"

#include "base/errors.h"
#include "media/picture/bmp_dib.h"
#include "media/picture/png_reader.h"

namespace picture {

namespace {

constexpr const char* kInvalidIcon = "Icon image is not valid";
constexpr size_t kHeader = 6;
constexpr size_t kEntry = 16;
constexpr std::string_view kPngSignature("\x89PNG\r\n\x1a\n", 8);

uint32_t le(std::string_view d, size_t at, size_t bytes)
{
    uint32_t v = 0;
    for (size_t i = 0; i < bytes; ++i)
        v |= static_cast<uint32_t>(static_cast<uint8_t>(d[at + i])) << (8 * i);
    return v;
}

std::string_view entryData(std::string_view bytes, const IconEntry& e)
{
    if (e.offset >= bytes.size() || e.size > bytes.size() - e.offset)
        return {};
    return bytes.substr(e.offset, e.size);
}

// The depth the directory gives, else the one the image's own header gives.
uint32_t entryDepth(std::string_view bytes, const IconEntry& e)
{
    if (e.bitCount != 0)
        return e.bitCount;
    const std::string_view data = entryData(bytes, e);
    if (data.substr(0, kPngSignature.size()) == kPngSignature)
        return 32;
    return data.size() >= 16 ? le(data, 14, 2) : 0;
}

const IconEntry* bestEntry(std::string_view bytes, const std::vector<IconEntry>& entries)
{
    const IconEntry* best = nullptr;
    uint64_t bestArea = 0;
    uint32_t bestDepth = 0;
    for (const IconEntry& e : entries) {
        if (entryData(bytes, e).empty())
            continue;
        const uint64_t area = uint64_t{e.width} * e.height;
        const uint32_t depth = entryDepth(bytes, e);
        if (!best || area > bestArea || (area == bestArea && depth > bestDepth)) {
            best = &e;
            bestArea = area;
            bestDepth = depth;
        }
    }
    return best;
}

// Strides stay below 2^33 and halved heights below 2^30: the product fits.
uint64_t uncompressedBytes(const DibHeader& h)
{
    return dibRowStride(static_cast<uint32_t>(h.width), h.bitCount) * static_cast<uint32_t>(h.height);
}

// The mask: one bit a pixel, rows padded to four bytes, stored like the
// image; a set bit is a transparent pixel. A missing mask leaves it opaque.
void applyMask(const DibHeader& h, std::string_view mask, RgbaImage& image)
{
    const uint64_t stride = dibRowStride(static_cast<uint32_t>(h.width), 1);
    if (mask.size() < stride * static_cast<uint32_t>(h.height))
        return;
    for (int32_t r = 0; r < h.height; ++r) {
        const auto* bits = reinterpret_cast<const uint8_t*>(mask.data() + static_cast<size_t>(r) * stride);
        uint8_t* out = image.row(h.bottomUp ? h.height - 1 - r : r);
        for (int32_t x = 0; x < h.width; ++x)
            if (bits[x / 8] & (0x80 >> (x % 8)))
                out[x * 4 + 3] = 0;
    }
}

bool hasAlpha(const RgbaImage& image)
{
    for (size_t i = 3; i < image.pixels.size(); i += 4)
        if (image.pixels[i] != 0)
            return true;
    return false;
}

RgbaImage readDibEntry(std::string_view data, const IconEntry& entry, uint64_t maxPixels)
{
    const DibContext context{kInvalidIcon, maxPixels, true};
    DibHeader h = readDibHeader(data, context);
    halveDibHeight(h);
    if (h.height == 0 || h.colourTableEnd > data.size())
        throw EInvalidGraphic(kInvalidIcon);
    const std::string_view bits = data.substr(h.colourTableEnd);
    // Some writers put a size in the image header its data cannot hold; the
    // directory's size then describes the pixels that are there.
    const bool rle = h.compression == DibCompression::Rle8 || h.compression == DibCompression::Rle4;
    if (!rle && uncompressedBytes(h) > bits.size()) {
        h.width = static_cast<int32_t>(entry.width);
        h.height = static_cast<int32_t>(entry.height);
    }
    RgbaImage image = decodeDibPixels(h, bits, context);
    if (h.bitCount == 32 && hasAlpha(image))
        return image;
    if (h.bitCount == 32)
        for (size_t i = 3; i < image.pixels.size(); i += 4)
            image.pixels[i] = 255;
    // The image's last row may lack its padding, and then there is no mask.
    if (!rle && uncompressedBytes(h) <= bits.size())
        applyMask(h, bits.substr(static_cast<size_t>(uncompressedBytes(h))), image);
    return image;
}

} // namespace

std::vector<IconEntry> readIconDirectory(std::string_view bytes)
{
    if (bytes.size() < kHeader)
        throw EReadError(base::kStreamReadError);
    const uint32_t type = le(bytes, 2, 2);
    const uint32_t count = le(bytes, 4, 2);
    if ((type != 0 && type != 1) || count == 0 || bytes.size() < kHeader + count * kEntry)
        throw EInvalidGraphic(kInvalidIcon);
    std::vector<IconEntry> entries(count);
    for (uint32_t i = 0; i < count; ++i) {
        const size_t at = kHeader + i * kEntry;
        IconEntry& e = entries[i];
        e.width = le(bytes, at, 1) == 0 ? 256 : le(bytes, at, 1);
        e.height = le(bytes, at + 1, 1) == 0 ? 256 : le(bytes, at + 1, 1);
        e.bitCount = le(bytes, at + 6, 2);
        e.size = le(bytes, at + 8, 4);
        e.offset = le(bytes, at + 12, 4);
    }
    return entries;
}

RgbaImage readIcon(std::string_view bytes)
{
    return readIcon(bytes, kMaxPixels);
}

RgbaImage readIcon(std::string_view bytes, uint64_t maxPixels)
{
    const std::vector<IconEntry> entries = readIconDirectory(bytes);
    const IconEntry* best = bestEntry(bytes, entries);
    if (!best)
        throw EInvalidGraphic(kInvalidIcon);
    const std::string_view data = entryData(bytes, *best);
    if (data.substr(0, kPngSignature.size()) == kPngSignature)
        return readPng(data, maxPixels);
    return readDibEntry(data, *best, maxPixels);
}

} // namespace picture
