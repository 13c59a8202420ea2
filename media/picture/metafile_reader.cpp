// Header checks and record walks of both metafile forms.
#include "media/picture/metafile_reader.h"

#include "base/errors.h"

#include <algorithm>
#include <cstdlib>

namespace picture {

namespace {

constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr uint32_t kEmfSignature = 0x464D4520; // " EMF"
constexpr uint32_t kEmfHeaderRecord = 1;
constexpr uint32_t kEmfEndRecord = 14;
constexpr size_t kPlaceableSize = 22;
constexpr size_t kWmfHeaderSize = 18;
constexpr size_t kEmfMinHeaderSize = 88;

[[noreturn]] void invalid() { throw EInvalidGraphic("Metafile is not valid"); }

// a * b / c rounded to nearest and clamped to 32 bits; the factors come
// from 32-bit file fields, so the 64-bit product cannot overflow.
int32_t mulDiv(int64_t a, int64_t b, int64_t c)
{
    const int64_t product = a * b;
    const int64_t rounded = (product >= 0 ? product + c / 2 : product - c / 2) / c;
    return static_cast<int32_t>(std::clamp<int64_t>(rounded, INT32_MIN + 1, INT32_MAX));
}

int32_t pixelExtent(int64_t units, int64_t unitsPerInch) { return std::abs(mulDiv(units, 96, unitsPerInch)); }

bool isEnhanced(std::string_view d)
{
    return d.size() >= kEmfMinHeaderSize && readU32(d, 0) == kEmfHeaderRecord && readU32(d, 40) == kEmfSignature;
}

void readEmfRecords(Metafile& m)
{
    const std::string_view d = m.bytes;
    const uint32_t declared = readU32(d, 48);
    const size_t end = declared >= kEmfMinHeaderSize && declared < d.size() ? declared : d.size();
    size_t at = 0;
    while (at + 8 <= end) {
        const uint32_t type = readU32(d, at);
        const uint32_t size = readU32(d, at + 4);
        if (size < 8 || size % 4 != 0 || size > end - at)
            break;
        m.records.push_back({type, static_cast<uint32_t>(at + 8), size - 8});
        if (type == kEmfEndRecord)
            break;
        at += size;
    }
}

Metafile readEnhanced(std::string data)
{
    Metafile m;
    m.format = MetafileFormat::Enhanced;
    m.bytes = std::move(data);
    const std::string_view d = m.bytes;
    const uint32_t headerSize = readU32(d, 4);
    if (headerSize < kEmfMinHeaderSize || headerSize > d.size())
        invalid();
    // The frame is in hundredths of a millimetre; the reference device's
    // size in pixels and millimetres turns it into the records' units.
    const int64_t frameWidth = int64_t{readI32(d, 32)} - readI32(d, 24);
    const int64_t frameHeight = int64_t{readI32(d, 36)} - readI32(d, 28);
    m.width = pixelExtent(frameWidth, 2540);
    m.height = pixelExtent(frameHeight, 2540);
    const int64_t devX = readI32(d, 72), devY = readI32(d, 76);
    const int64_t mmX = readI32(d, 80), mmY = readI32(d, 84);
    if (devX > 0 && devY > 0 && mmX > 0 && mmY > 0) {
        m.left = mulDiv(readI32(d, 24), devX, mmX * 100);
        m.top = mulDiv(readI32(d, 28), devY, mmY * 100);
        m.right = mulDiv(readI32(d, 32), devX, mmX * 100);
        m.bottom = mulDiv(readI32(d, 36), devY, mmY * 100);
    } else {
        m.left = readI32(d, 8);
        m.top = readI32(d, 12);
        m.right = readI32(d, 16);
        m.bottom = readI32(d, 20);
    }
    readEmfRecords(m);
    return m;
}

bool placeableChecksumMatches(std::string_view d)
{
    uint16_t sum = 0;
    for (size_t i = 0; i < 20; i += 2)
        sum ^= readU16(d, i);
    return sum == readU16(d, 20);
}

void readWmfRecords(Metafile& m)
{
    const std::string_view d = m.bytes;
    size_t at = kPlaceableSize + kWmfHeaderSize;
    while (at + 6 <= d.size()) {
        const uint64_t size = uint64_t{readU32(d, at)} * 2;
        const uint16_t function = readU16(d, at + 4);
        if (size < 6 || size > d.size() - at)
            break;
        m.records.push_back({function, static_cast<uint32_t>(at + 6), static_cast<uint32_t>(size - 6)});
        if (function == 0)
            break;
        at += static_cast<size_t>(size);
    }
}

Metafile readPlaceable(std::string data)
{
    const std::string_view d = data;
    if (d.size() < kPlaceableSize + kWmfHeaderSize || readU32(d, 0) != kPlaceableKey || !placeableChecksumMatches(d))
        invalid();
    const uint16_t inch = readU16(d, 14);
    const uint16_t type = readU16(d, kPlaceableSize);
    const uint16_t headerWords = readU16(d, kPlaceableSize + 2);
    // A zero "units per inch" would divide by zero when sizing.
    if (inch == 0 || (type != 1 && type != 2) || headerWords != 9)
        invalid();
    Metafile m;
    m.format = MetafileFormat::Windows;
    m.left = readI16(d, 6);
    m.top = readI16(d, 8);
    m.right = readI16(d, 10);
    m.bottom = readI16(d, 12);
    m.width = pixelExtent(int64_t{m.right} - m.left, inch);
    m.height = pixelExtent(int64_t{m.bottom} - m.top, inch);
    m.bytes = std::move(data);
    readWmfRecords(m);
    return m;
}

} // namespace

std::string bitmapFileFromDib(std::string_view info, std::string_view bits)
{
    if (info.size() < 12)
        return {};
    std::string file = "BM";
    const auto put32 = [&file](uint64_t v) {
        for (int i = 0; i < 4; ++i)
            file += static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    put32(14 + info.size() + bits.size());
    put32(0);
    put32(14 + info.size());
    file.append(info);
    file.append(bits);
    return file;
}

std::string bitmapFileFromPackedDib(std::string_view dib)
{
    const uint32_t headerSize = readU32(dib, 0);
    if (headerSize < 12 || headerSize > dib.size())
        return {};
    const bool core = headerSize == 12;
    const uint16_t depth = core ? readU16(dib, 10) : readU16(dib, 14);
    uint64_t colours = core ? 0 : readU32(dib, 32);
    if (colours == 0 && depth <= 8)
        colours = uint64_t{1} << depth;
    const uint32_t compression = core ? 0 : readU32(dib, 16);
    // Only the 40-byte header keeps its bit-field masks outside itself.
    const uint64_t masks = headerSize == 40 && (compression == 3 || compression == 6) ? (compression == 3 ? 12 : 16) : 0;
    const uint64_t infoSize = headerSize + masks + colours * (core ? 3 : 4);
    if (infoSize > dib.size())
        return {};
    return bitmapFileFromDib(dib.substr(0, infoSize), dib.substr(infoSize));
}

Metafile readMetafile(std::string data)
{
    if (isEnhanced(data))
        return readEnhanced(std::move(data));
    return readPlaceable(std::move(data));
}

} // namespace picture
