// JPEG through libjpeg from memory: the header alone (read at load) and the
// full decode to RGBA (done on the first draw).
#pragma once

#include "base/exception.h"
#include "media/picture/rgba_image.h"

#include <cstdint>
#include <string_view>

QUELMAR_EXCEPTION(EJPEG, base::Exception);

namespace picture {

struct JpegHeader {
    int32_t width = 0;
    int32_t height = 0;
    bool grayscale = false;
    bool progressive = false;
};

// Empty data gives an empty header. A decoder failure raises EJPEG "JPEG
// error #%d" with libjpeg's message code; a picture whose pixels would not
// fit the memory ceiling raises EOutOfMemory before anything is allocated.
JpegHeader readJpegHeader(std::string_view data);
RgbaImage decodeJpeg(std::string_view data);

} // namespace picture
