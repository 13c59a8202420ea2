// Builds small JPEG files in memory with libjpeg's encoder, so tests can
// make exactly the picture a case needs (gray, progressive, CMYK with or
// without the Adobe marker) and then damage it at a known marker.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>

#include <cstdint>
#include <string>
#include <vector>

namespace picture::testing {

struct JpegSpec {
    int width = 8;
    int height = 8;
    J_COLOR_SPACE space = JCS_RGB; // JCS_RGB, JCS_GRAYSCALE or JCS_CMYK
    bool progressive = false;
    bool adobeMarker = true;       // only for JCS_CMYK
    int quality = 100;
};

// `samples` holds width * height * components bytes, row by row.
inline std::string buildJpeg(const JpegSpec& recipe, const std::vector<uint8_t>& samples)
{
    jpeg_compress_struct cinfo;
    jpeg_error_mgr error;
    cinfo.err = jpeg_std_error(&error);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(recipe.width);
    cinfo.image_height = static_cast<JDIMENSION>(recipe.height);
    cinfo.in_color_space = recipe.space;
    cinfo.input_components = recipe.space == JCS_GRAYSCALE ? 1 : recipe.space == JCS_CMYK ? 4 : 3;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, recipe.quality, TRUE);
    if (recipe.space == JCS_CMYK) {
        jpeg_set_colorspace(&cinfo, JCS_CMYK);
        cinfo.write_Adobe_marker = recipe.adobeMarker ? TRUE : FALSE;
    }
    if (recipe.progressive)
        jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    const size_t stride = static_cast<size_t>(recipe.width) * static_cast<size_t>(cinfo.input_components);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<uint8_t*>(samples.data()) + cinfo.next_scanline * stride;
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::string out(reinterpret_cast<const char*>(buffer), size);
    std::free(buffer);
    return out;
}

// One colour over the whole picture.
inline std::string buildUniformJpeg(JpegSpec recipe, std::vector<uint8_t> pixel)
{
    std::vector<uint8_t> samples;
    for (int i = 0; i < recipe.width * recipe.height; ++i)
        samples.insert(samples.end(), pixel.begin(), pixel.end());
    return buildJpeg(recipe, samples);
}

// Offset of the first marker 0xFF `code` after the start of image.
inline size_t findMarker(const std::string& jpeg, uint8_t code)
{
    for (size_t i = 2; i + 1 < jpeg.size(); ++i) {
        if (static_cast<uint8_t>(jpeg[i]) == 0xFF && static_cast<uint8_t>(jpeg[i + 1]) == code)
            return i;
    }
    return std::string::npos;
}

} // namespace picture::testing
