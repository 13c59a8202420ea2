// The RTF reader and writer on the generated novel, in MB/s of RTF and as a
// fraction of the memory limit: a memchr-and-memcpy pass over the same bytes
// (find each backslash, copy what lies between), timed in the same run.
#include "novel.h"
#include "text/rtf_reader.h"
#include "text/rtf_writer.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>

namespace {

using Clock = std::chrono::steady_clock;

const std::string& novelRtf()
{
    static const std::string rtf = bench::makeNovelRtf();
    return rtf;
}

const text::Document& novelDocument()
{
    static const text::Document document = bench::makeNovelDocument();
    return document;
}

// The least a reader of these bytes must do: look at each of them once and
// move the text between control words.
size_t memoryPass(const std::string& in, std::string& out)
{
    const char* p = in.data();
    const char* end = p + in.size();
    char* target = out.data();
    while (p < end) {
        const char* stop = static_cast<const char*>(std::memchr(p, '\\', static_cast<size_t>(end - p)));
        if (!stop)
            stop = end;
        std::memcpy(target, p, static_cast<size_t>(stop - p));
        target += stop - p;
        p = stop + 1;
    }
    return static_cast<size_t>(target - out.data());
}

// Best of several passes, in MB/s: the baseline for this run.
double memoryPassRate(const std::string& bytes)
{
    std::string out(bytes.size(), '\0');
    double best = 1e9;
    for (int i = 0; i < 30; ++i) {
        const auto start = Clock::now();
        benchmark::DoNotOptimize(memoryPass(bytes, out));
        benchmark::ClobberMemory();
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return static_cast<double>(bytes.size()) / 1e6 / best;
}

void report(benchmark::State& state, size_t bytes, double seconds, double target)
{
    const double rate = static_cast<double>(bytes) * static_cast<double>(state.iterations()) / 1e6 / seconds;
    const double baseline = memoryPassRate(novelRtf());
    state.SetBytesProcessed(static_cast<int64_t>(bytes) * state.iterations());
    state.counters["MB/s"] = rate;
    state.counters["target_MB/s"] = target;
    state.counters["memory_pass_MB/s"] = baseline;
    state.counters["fraction_of_memory_pass"] = rate / baseline;
}

void BM_RtfRead(benchmark::State& state)
{
    const std::string& rtf = novelRtf();
    double seconds = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        auto document = text::readRtf(rtf);
        benchmark::DoNotOptimize(document);
        seconds += std::chrono::duration<double>(Clock::now() - start).count();
    }
    report(state, rtf.size(), seconds, 150);
}

void BM_RtfWrite(benchmark::State& state)
{
    const text::Document& document = novelDocument();
    size_t bytes = 0;
    double seconds = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        std::string rtf = text::writeRtf(document);
        seconds += std::chrono::duration<double>(Clock::now() - start).count();
        bytes = rtf.size();
        benchmark::DoNotOptimize(rtf);
    }
    report(state, bytes, seconds, 300);
}

void BM_MemoryPass(benchmark::State& state)
{
    const std::string& rtf = novelRtf();
    std::string out(rtf.size(), '\0');
    for (auto _ : state)
        benchmark::DoNotOptimize(memoryPass(rtf, out));
    state.SetBytesProcessed(static_cast<int64_t>(rtf.size()) * state.iterations());
}

} // namespace

BENCHMARK(BM_RtfRead)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RtfWrite)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_MemoryPass)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
