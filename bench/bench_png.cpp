// Our PNG reader on a 3840 x 2160 RGBA photograph-like picture, against
// libpng decoding the same file to RGBA8 and against a bare zlib inflate of
// its image data, the floor under any PNG reader. Each iteration times the
// three back to back, so a busy machine slows all of them alike; the ratios
// are the counters "vs_libpng" (target <= 1.0) and "vs_inflate" (<= 1.3).
#include "media/picture/png_reader.h"

#include <benchmark/benchmark.h>
#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 3840;
constexpr int kHeight = 2160;

// Smooth light and shade with sensor-like noise and a soft alpha vignette:
// rows that compress about as well as a real photograph's.
std::vector<uint8_t> photoPixels()
{
    std::vector<uint8_t> px(size_t{kWidth} * kHeight * 4);
    uint32_t seed = 12345;
    auto noise = [&seed] {
        seed ^= seed << 13, seed ^= seed >> 17, seed ^= seed << 5;
        return static_cast<int>(seed % 9) - 4;
    };
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const double u = x / 640.0, v = y / 540.0;
            const double light = 0.5 + 0.25 * std::sin(u * 1.7 + v * 0.9) + 0.2 * std::cos(u * 0.6 - v * 2.3);
            uint8_t* p = &px[(static_cast<size_t>(y) * kWidth + static_cast<size_t>(x)) * 4];
            const int base[3] = {static_cast<int>(light * 230), static_cast<int>(light * 190 + 20 * std::sin(v * 3)),
                                 static_cast<int>(light * 150 + 40 * std::cos(u))};
            for (int c = 0; c < 3; ++c)
                p[c] = static_cast<uint8_t>(std::clamp(base[c] + noise(), 0, 255));
            const double edge = std::min({u, v, 6.0 - u, 4.0 - v});
            p[3] = static_cast<uint8_t>(std::clamp(edge * 400.0, 0.0, 255.0));
        }
    }
    return px;
}

void appendBytes(png_structp png, png_bytep data, png_size_t length)
{
    auto* out = static_cast<std::string*>(png_get_io_ptr(png));
    out->append(reinterpret_cast<const char*>(data), length);
}

// Written by libpng with its default compression level and filter choice.
std::string encodePhoto()
{
    const std::vector<uint8_t> px = photoPixels();
    std::string file;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &file, appendBytes, nullptr);
    png_set_IHDR(png, info, kWidth, kHeight, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < kHeight; ++y)
        png_write_row(png, &px[size_t{static_cast<size_t>(y)} * kWidth * 4]);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return file;
}

struct MemoryReader {
    const std::string* file;
    size_t position;
};

void readBytes(png_structp png, png_bytep data, png_size_t length)
{
    auto* r = static_cast<MemoryReader*>(png_get_io_ptr(png));
    if (r->file->size() - r->position < length)
        png_error(png, "read past end");
    std::memcpy(data, r->file->data() + r->position, length);
    r->position += length;
}

// libpng's decode of any PNG to RGBA8, as a program would set it up.
std::vector<uint8_t> libpngDecode(const std::string& file)
{
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    MemoryReader reader{&file, 0};
    png_set_read_fn(png, &reader, readBytes);
    png_read_info(png, info);
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    png_read_update_info(png, info);
    const png_uint_32 w = png_get_image_width(png, info), h = png_get_image_height(png, info);
    std::vector<uint8_t> px(size_t{w} * h * 4);
    std::vector<png_bytep> rows(h);
    for (png_uint_32 y = 0; y < h; ++y)
        rows[y] = &px[size_t{y} * w * 4];
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return px;
}

std::string imageData(const std::string& file)
{
    std::string data;
    for (size_t at = 8; at + 12 <= file.size();) {
        const auto* u = reinterpret_cast<const uint8_t*>(file.data() + at);
        const size_t length = size_t{u[0]} << 24 | size_t{u[1]} << 16 | size_t{u[2]} << 8 | u[3];
        if (std::memcmp(u + 4, "IDAT", 4) == 0)
            data.append(file, at + 8, length);
        at += 12 + length;
    }
    return data;
}

// The whole stream in one call into a buffer allocated once: nothing but
// inflate and its check value.
void bareInflate(const std::string& data, std::vector<uint8_t>& out)
{
    uLongf size = static_cast<uLongf>(out.size());
    if (uncompress(out.data(), &size, reinterpret_cast<const Bytef*>(data.data()), static_cast<uLong>(data.size()))
        != Z_OK)
        throw std::runtime_error("inflate failed");
}

template <typename F>
double seconds(F&& f)
{
    const auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_PngPhoto(benchmark::State& state)
{
    static const std::string file = encodePhoto();
    static const std::string data = imageData(file);
    std::vector<uint8_t> inflated(size_t{kHeight} * (1 + kWidth * 4));
    if (picture::readPng(file).pixels != libpngDecode(file)) {
        state.SkipWithError("our pixels differ from libpng's");
        return;
    }
    std::vector<double> ours, libpng, inflate;
    for (auto _ : state) {
        ours.push_back(seconds([&] { benchmark::DoNotOptimize(picture::readPng(file)); }));
        libpng.push_back(seconds([&] { benchmark::DoNotOptimize(libpngDecode(file)); }));
        inflate.push_back(seconds([&] { bareInflate(data, inflated); }));
        state.SetIterationTime(ours.back());
    }
    // Medians: one slow round from a neighbour's build does not move them.
    auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    const double o = median(ours), l = median(libpng), z = median(inflate);
    state.counters["ours_ms"] = o * 1e3;
    state.counters["libpng_ms"] = l * 1e3;
    state.counters["inflate_ms"] = z * 1e3;
    state.counters["vs_libpng"] = o / l;
    state.counters["vs_inflate"] = o / z;
    state.counters["file_MB"] = static_cast<double>(file.size()) / 1e6;
    std::printf("ours %.1f ms, libpng %.1f ms, bare inflate %.1f ms: vs_libpng %.3f (target <= 1.0), "
                "vs_inflate %.3f (target <= 1.3)\n",
                o * 1e3, l * 1e3, z * 1e3, o / l, o / z);
}

} // namespace

BENCHMARK(BM_PngPhoto)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(15);

BENCHMARK_MAIN();
