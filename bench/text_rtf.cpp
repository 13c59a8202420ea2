// The RTF reader and writer on the generated novel, in MB/s of RTF and as a
// fraction of the memory limit: a memchr-and-memcpy pass over the same bytes
// (find each backslash, copy what lies between), timed in the same run.
// Times are the thread's CPU time, so a busy machine skews both alike.
#include "novel.h"
#include "text/rtf_reader.h"
#include "text/rtf_writer.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <ctime>

namespace {

double cpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

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
        const double start = cpuSeconds();
        benchmark::DoNotOptimize(memoryPass(bytes, out));
        benchmark::ClobberMemory();
        best = std::min(best, cpuSeconds() - start);
    }
    return static_cast<double>(bytes.size()) / 1e6 / best;
}

// `best` is the fastest single pass, the figure least disturbed by other
// work on the machine; the baseline is a best pass as well.
void report(benchmark::State& state, size_t bytes, double seconds, double best, double target)
{
    const double rate = static_cast<double>(bytes) / 1e6 / best;
    const double mean = static_cast<double>(bytes) * static_cast<double>(state.iterations()) / 1e6 / seconds;
    const double baseline = memoryPassRate(novelRtf());
    state.SetBytesProcessed(static_cast<int64_t>(bytes) * state.iterations());
    state.counters["MB/s"] = rate;
    state.counters["mean_MB/s"] = mean;
    state.counters["target_MB/s"] = target;
    state.counters["memory_pass_MB/s"] = baseline;
    state.counters["fraction_of_memory_pass"] = rate / baseline;
}

void BM_RtfRead(benchmark::State& state)
{
    const std::string& rtf = novelRtf();
    double seconds = 0;
    double best = 1e9;
    for (auto _ : state) {
        const double start = cpuSeconds();
        auto document = text::readRtf(rtf);
        benchmark::DoNotOptimize(document);
        const double pass = cpuSeconds() - start;
        seconds += pass;
        best = std::min(best, pass);
    }
    report(state, rtf.size(), seconds, best, 150);
}

void BM_RtfWrite(benchmark::State& state)
{
    const text::Document& document = novelDocument();
    size_t bytes = 0;
    double seconds = 0;
    double best = 1e9;
    for (auto _ : state) {
        const double start = cpuSeconds();
        std::string rtf = text::writeRtf(document);
        const double pass = cpuSeconds() - start;
        seconds += pass;
        best = std::min(best, pass);
        bytes = rtf.size();
        benchmark::DoNotOptimize(rtf);
    }
    report(state, bytes, seconds, best, 300);
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

BENCHMARK(BM_RtfRead)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_RtfWrite)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_MemoryPass)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
