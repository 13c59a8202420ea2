// The settings loader's thirteen reads, each its own look-up through one
// TIniFile, against one read of the whole file, timed side by side in each
// iteration; "ratio" is their quotient. "ratio_parsing_each" shows the same
// reads when every look-up must read and parse the file again.
#include "base/file.h"
#include "settings/ini_file.h"
#include "settings/profile_service.h"
#include "settings/setting_keys.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <unistd.h>

namespace {

using settings::Setting;

// The loader's order, which is not the write order.
constexpr Setting kLoaderOrder[] = {
    Setting::AreaWidth, Setting::AreaHeight, Setting::FontColor, Setting::FontName, Setting::FontSize,
    Setting::LoadLastFile, Setting::LastWorkingFilePath, Setting::BackgroundPicturePath, Setting::BackgroundColor,
    Setting::SoundFilePath, Setting::SoundVolume, Setting::SoundEnabled, Setting::BackgroundPictureVisible,
};

void readLikeTheLoader(const std::string& path, bool parseEach)
{
    settings::TIniFile ini(path);
    for (const Setting s : kLoaderOrder) {
        if (parseEach)
            settings::flushProfile(path);
        switch (settings::settingKey(s).form) {
        case settings::ValueForm::Integer:
        case settings::ValueForm::Colour: benchmark::DoNotOptimize(settings::readNumber(ini, s)); break;
        case settings::ValueForm::Boolean: benchmark::DoNotOptimize(settings::readFlag(ini, s)); break;
        case settings::ValueForm::String: benchmark::DoNotOptimize(settings::readText(ini, s)); break;
        }
    }
}

double seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

void BM_LoaderReadsAgainstOneFileRead(benchmark::State& state)
{
    const auto dir = std::filesystem::temp_directory_path() / ("bench-settings-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string path = settings::settingsFilePath(dir.string());
    {
        settings::TIniFile ini(path);
        settings::writeSettings(ini, settings::SettingValues());
    }
    std::chrono::steady_clock::duration loader{}, parsingEach{}, fileRead{};
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        readLikeTheLoader(path, false);
        const auto t1 = std::chrono::steady_clock::now();
        readLikeTheLoader(path, true);
        const auto t2 = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(base::readFile(path));
        const auto t3 = std::chrono::steady_clock::now();
        loader += t1 - t0;
        parsingEach += t2 - t1;
        fileRead += t3 - t2;
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["loader_us"] = seconds(loader) / n * 1e6;
    state.counters["file_read_us"] = seconds(fileRead) / n * 1e6;
    state.counters["ratio"] = seconds(loader) / seconds(fileRead);
    state.counters["ratio_parsing_each"] = seconds(parsingEach) / seconds(fileRead);
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_LoaderReadsAgainstOneFileRead)->Repetitions(3)->ReportAggregatesOnly(false);

} // namespace

BENCHMARK_MAIN();
