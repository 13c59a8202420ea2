// Fuzz target for the icon reader.
#include "media/picture/ico_reader.h"
#include "media/picture/tests/fuzz_picture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return picturetest::fuzzPicture(data, size, [](std::string_view bytes) {
        return picture::readIcon(bytes, picturetest::kFuzzPixels);
    });
}
