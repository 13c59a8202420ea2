// libpng as the independent reference for our PNG reader, in tests and the
// benchmark only: writing fixtures with chosen filters and interlacing, and
// decoding any PNG to RGBA8 (palette and low depths expanded, tRNS as alpha,
// 16-bit samples by their high byte, grey spread to RGB, no gamma).
#pragma once

#include <png.h>

#include <cstdint>
#include <cstring>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace libpngref {

struct Picture {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t> rgba;
};

struct Encoding {
    uint32_t width = 0;
    uint32_t height = 0;
    int bitDepth = 8;
    int colourType = PNG_COLOR_TYPE_RGBA;
    bool interlaced = false;
    int filters = PNG_ALL_FILTERS; // PNG_FILTER_NONE ... PNG_FILTER_PAETH, or a mix
    std::vector<png_color> palette;
    std::vector<uint8_t> paletteAlpha; // tRNS of a palette picture
    bool hasKey = false;
    png_color_16 key{}; // tRNS of a grey or RGB picture
};

namespace detail {

inline void append(png_structp png, png_bytep data, png_size_t length)
{
    static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), length);
}

struct Source {
    const std::string* file;
    size_t position;
};

inline void take(png_structp png, png_bytep data, png_size_t length)
{
    auto* s = static_cast<Source*>(png_get_io_ptr(png));
    if (s->file->size() - s->position < length)
        png_error(png, "read past end");
    std::memcpy(data, s->file->data() + s->position, length);
    s->position += length;
}

// Only well-formed files go to libpng here, so a failure is the test's own
// bug; stopping beats unwinding a C++ exception through libpng's frames.
[[noreturn]] inline void fail(png_structp, png_const_charp message)
{
    std::fprintf(stderr, "libpng: %s\n", message);
    std::abort();
}

} // namespace detail

// `rows` holds each row's packed samples, big-endian at 16 bits.
inline std::string encode(const Encoding& e, const std::vector<std::vector<uint8_t>>& rows)
{
    std::string file;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, detail::fail, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &file, detail::append, nullptr);
    png_set_IHDR(png, info, e.width, e.height, e.bitDepth, e.colourType,
                 e.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, e.filters);
    if (!e.palette.empty())
        png_set_PLTE(png, info, e.palette.data(), static_cast<int>(e.palette.size()));
    if (!e.paletteAlpha.empty())
        png_set_tRNS(png, info, e.paletteAlpha.data(), static_cast<int>(e.paletteAlpha.size()), nullptr);
    if (e.hasKey)
        png_set_tRNS(png, info, nullptr, 0, &e.key);
    png_write_info(png, info);
    std::vector<png_bytep> pointers;
    for (const auto& row : rows)
        pointers.push_back(const_cast<png_bytep>(row.data()));
    png_write_image(png, pointers.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return file;
}

inline Picture decode(const std::string& file)
{
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, detail::fail, nullptr);
    png_infop info = png_create_info_struct(png);
    detail::Source source{&file, 0};
    png_set_read_fn(png, &source, detail::take);
    png_read_info(png, info);
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    Picture p;
    p.width = png_get_image_width(png, info);
    p.height = png_get_image_height(png, info);
    p.rgba.resize(size_t{p.width} * p.height * 4);
    std::vector<png_bytep> rows(p.height);
    for (uint32_t y = 0; y < p.height; ++y)
        rows[y] = &p.rgba[size_t{y} * p.width * 4];
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return p;
}

} // namespace libpngref
