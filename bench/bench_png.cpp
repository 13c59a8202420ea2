// Our PNG reader on a 3840 x 2160 RGBA photograph-like picture, against
// libpng decoding the same file to RGBA8 and against a bare zlib inflate of
// its image data, the floor under any PNG reader. Each iteration times the
// three back to back, so a busy machine slows all of them alike; the ratios
// are the counters "vs_libpng" (target <= 1.0) and "vs_inflate" (<= 1.3).
#include "media/picture/png_reader.h"
#include "media/picture/tests/libpng_reference.h"

#include <benchmark/benchmark.h>
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

constexpr size_t kWidth = 3840;
constexpr size_t kHeight = 2160;

// Smooth light and shade with sensor-like noise and a soft alpha vignette:
// rows that compress about as well as a real photograph's.
std::vector<uint8_t> photoPixels()
{
    std::vector<uint8_t> px(kWidth * kHeight * 4);
    uint32_t seed = 12345;
    auto noise = [&seed] {
        seed ^= seed << 13, seed ^= seed >> 17, seed ^= seed << 5;
        return static_cast<int>(seed % 9) - 4;
    };
    for (size_t y = 0; y < kHeight; ++y) {
        for (size_t x = 0; x < kWidth; ++x) {
            const double u = static_cast<double>(x) / 640.0, v = static_cast<double>(y) / 540.0;
            const double light = 0.5 + 0.25 * std::sin(u * 1.7 + v * 0.9) + 0.2 * std::cos(u * 0.6 - v * 2.3);
            uint8_t* p = &px[(y * kWidth + x) * 4];
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

// Written by libpng with its default compression level and filter choice.
std::string encodePhoto()
{
    const std::vector<uint8_t> px = photoPixels();
    std::vector<std::vector<uint8_t>> rows;
    for (size_t y = 0; y < kHeight; ++y)
        rows.emplace_back(px.begin() + static_cast<std::ptrdiff_t>(y * kWidth * 4),
                          px.begin() + static_cast<std::ptrdiff_t>((y + 1) * kWidth * 4));
    libpngref::Encoding e;
    e.width = static_cast<uint32_t>(kWidth), e.height = static_cast<uint32_t>(kHeight);
    return libpngref::encode(e, rows);
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
    std::vector<uint8_t> inflated(kHeight * (1 + kWidth * 4));
    if (picture::readPng(file).pixels != libpngref::decode(file).rgba) {
        state.SkipWithError("our pixels differ from libpng's");
        return;
    }
    std::vector<double> ours, libpng, inflate;
    for (auto _ : state) {
        ours.push_back(seconds([&] { benchmark::DoNotOptimize(picture::readPng(file)); }));
        libpng.push_back(seconds([&] { benchmark::DoNotOptimize(libpngref::decode(file).rgba); }));
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
