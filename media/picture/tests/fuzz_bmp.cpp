// Fuzz target for the bitmap reader. Bad input is one of our exceptions;
// anything else escapes and crashes, and so does a picture whose pixel
// buffer does not match its size, an internal fault.
#include "base/exception.h"
#include "media/picture/bmp_reader.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    try {
        // A low pixel ceiling keeps each run fast; larger pictures take the
        // same paths, only longer.
        const picture::RgbaImage image = picture::readBmp(bytes, uint64_t{1} << 22);
        if (image.pixels.size() != static_cast<size_t>(image.width) * static_cast<size_t>(image.height) * 4)
            __builtin_trap();
    } catch (const base::Exception&) {
    }
    return 0;
}
