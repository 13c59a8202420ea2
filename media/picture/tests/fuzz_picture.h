// The body shared by the picture readers' fuzz targets. Bad input is one of
// our exceptions; anything else escapes and crashes, and so does a picture
// whose pixel buffer does not match its size, an internal fault.
#pragma once

#include "base/exception.h"
#include "media/picture/rgba_image.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace picturetest {

// A low pixel ceiling keeps each run fast; larger pictures take the same
// paths, only longer.
inline constexpr uint64_t kFuzzPixels = uint64_t{1} << 22;

template <typename Read>
int fuzzPicture(const uint8_t* data, size_t size, Read read)
{
    try {
        const picture::RgbaImage image = read(std::string_view(reinterpret_cast<const char*>(data), size));
        if (image.pixels.size() != static_cast<size_t>(image.width) * static_cast<size_t>(image.height) * 4)
            __builtin_trap();
    } catch (const base::Exception&) {
    }
    return 0;
}

} // namespace picturetest
