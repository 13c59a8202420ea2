// The writing window's start-up waits for MediaPlayer1.Open of the ambient
// sound: measured for a 30-second and a 30-minute mp3 (the open must not
// grow with the file), each beside reading the first 64 KiB of the same
// file, the least any open has to do. The files are made once in /tmp.
#include "media/sound/media_player.h"
#include "platform/fakes/sound_fixtures.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFileInfo>

#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

const QString kShort = QStringLiteral("/tmp/quelmar-bench-30s.mp3");
const QString kLong = QStringLiteral("/tmp/quelmar-bench-30min.mp3");

bool ensureTone(const QString& path, int ms)
{
    // 64 kbit/s: 8 bytes per millisecond; a shorter file is a broken run.
    if (QFileInfo(path).size() >= qint64(ms) * 8 * 9 / 10)
        return true;
    return platform::writeToneMp3(path, ms);
}

double seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

void readHead(const QString& path)
{
    static std::vector<char> buffer(64 * 1024);
    const int fd = ::open(path.toLocal8Bit().constData(), O_RDONLY);
    if (fd < 0)
        return;
    benchmark::DoNotOptimize(::read(fd, buffer.data(), buffer.size()));
    ::close(fd);
}

double timeOpen(sound::TMediaPlayer& player)
{
    const auto start = Clock::now();
    player.Open();
    const double t = seconds(Clock::now() - start);
    player.Close();
    return t;
}

double timeRead(const QString& path)
{
    const auto start = Clock::now();
    readHead(path);
    return seconds(Clock::now() - start);
}

// Iteration time is the open alone; the read runs beside it each time.
void openBesideRead(benchmark::State& state, const QString& path)
{
    sound::TMediaPlayer player;
    player.FileName = path;
    double opens = 0;
    double reads = 0;
    for (auto _ : state) {
        const double t = timeOpen(player);
        state.SetIterationTime(t);
        opens += t;
        reads += timeRead(path);
    }
    state.counters["read_us"] = benchmark::Counter(reads * 1e6 / double(state.iterations()));
    state.counters["open_vs_read"] = benchmark::Counter(opens / reads);
}

void BM_Open30s(benchmark::State& state) { openBesideRead(state, kShort); }
void BM_Open30min(benchmark::State& state) { openBesideRead(state, kLong); }

// Both lengths in turn in one loop, so machine noise hits them alike.
void BM_OpenLongAgainstShort(benchmark::State& state)
{
    sound::TMediaPlayer shortPlayer;
    shortPlayer.FileName = kShort;
    sound::TMediaPlayer longPlayer;
    longPlayer.FileName = kLong;
    double shortTotal = 0;
    double longTotal = 0;
    for (auto _ : state) {
        const double s = timeOpen(shortPlayer);
        const double l = timeOpen(longPlayer);
        state.SetIterationTime(s + l);
        shortTotal += s;
        longTotal += l;
    }
    state.counters["long_vs_short"] = benchmark::Counter(longTotal / shortTotal);
    state.counters["target_at_most"] = benchmark::Counter(1.2);
}

BENCHMARK(BM_Open30s)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Open30min)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenLongAgainstShort)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (!ensureTone(kShort, 30 * 1000) || !ensureTone(kLong, 30 * 60 * 1000)) {
        std::fprintf(stderr, "cannot make the mp3 files (is lamemp3enc installed?)\n");
        return 1;
    }
    // The first open in a process loads the decoders; start-up pays it once.
    sound::TMediaPlayer warmUp;
    warmUp.FileName = kShort;
    warmUp.Open();
    warmUp.Close();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
