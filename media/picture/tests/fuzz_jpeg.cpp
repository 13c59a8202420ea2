// Fuzz target for the JPEG reader: the header alone, then the full decode
// when the picture is small enough to decode quickly.
#include "base/exception.h"
#include "media/picture/jpeg_reader.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    try {
        const picture::JpegHeader header = picture::readJpegHeader(bytes);
        if (static_cast<uint64_t>(header.width) * static_cast<uint64_t>(header.height) <= (uint64_t{1} << 22))
            picture::decodeJpeg(bytes);
    } catch (const base::Exception&) {
    }
    return 0;
}
