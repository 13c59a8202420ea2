// Console output plus, at the end, each measured benchmark's time as a ratio
// of its baseline measured in the same run, against its target. The target
// is judged on processor time: these machines are shared, and the wall clock
// of a single-threaded task mostly measures the neighbours. Where a program
// asks for repetitions, they are interleaved at random with the baseline's
// and the medians are compared, so that a slow spell of the machine falls on
// both sides alike.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <string_view>
#include <vector>

struct RatioTarget {
    std::string measured;
    std::string baseline;
    double atMost; // 0: report only
};

class RatioReporter : public benchmark::ConsoleReporter {
public:
    explicit RatioReporter(std::vector<RatioTarget> targets) : targets_(std::move(targets)) {}

    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) {
            if (r.error_occurred)
                continue;
            const Times t{r.GetAdjustedRealTime(), r.GetAdjustedCPUTime()};
            if (r.run_type == Run::RT_Aggregate) {
                if (r.aggregate_name == "median")
                    medians_[r.run_name.str()] = t;
            } else {
                times_[r.benchmark_name()] = t;
            }
        }
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        for (const auto& [name, median] : medians_)
            times_[name] = median;
        for (const RatioTarget& t : targets_) {
            const auto m = times_.find(t.measured);
            const auto b = times_.find(t.baseline);
            if (m == times_.end() || b == times_.end() || b->second.cpu <= 0 || b->second.real <= 0)
                continue;
            const double ratio = m->second.cpu / b->second.cpu;
            std::printf("ratio %s / %s = %.3f (%sprocessor time; wall clock %.3f)", t.measured.c_str(),
                        t.baseline.c_str(), ratio, medians_.count(t.measured) ? "medians of " : "",
                        m->second.real / b->second.real);
            if (t.atMost > 0)
                std::printf("  (target <= %.2f: %s)", t.atMost, ratio <= t.atMost ? "met" : "MISSED");
            std::printf("\n");
        }
    }

private:
    std::vector<RatioTarget> targets_;
    struct Times {
        double real = 0;
        double cpu = 0;
    };
    std::map<std::string, Times> times_;
    std::map<std::string, Times> medians_;
};

// Runs the registered benchmarks into `reporter`; `repetitions` above one
// (unless the command line sets its own) repeats every benchmark that many
// times, interleaved at random, and reports only the aggregates.
inline int runInterleaved(int argc, char** argv, benchmark::BenchmarkReporter& reporter, int repetitions)
{
    std::vector<char*> args(argv, argv + argc);
    std::string repeat = "--benchmark_repetitions=" + std::to_string(repetitions);
    std::string interleave = "--benchmark_enable_random_interleaving=true";
    std::string aggregates = "--benchmark_display_aggregates_only=true";
    const bool ownRepetitions = std::any_of(argv, argv + argc, [](const char* a) {
        return std::string_view(a).starts_with("--benchmark_repetitions");
    });
    if (repetitions > 1 && !ownRepetitions) {
        for (std::string* extra : {&repeat, &interleave, &aggregates})
            args.push_back(extra->data());
    }
    int count = static_cast<int>(args.size());
    args.push_back(nullptr);
    benchmark::Initialize(&count, args.data());
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}

// Runs the registered benchmarks with the ratios reported at the end,
// comparing medians where there are repetitions.
inline int runWithRatios(int argc, char** argv, std::vector<RatioTarget> targets, int repetitions = 1)
{
    RatioReporter reporter(std::move(targets));
    return runInterleaved(argc, argv, reporter, repetitions);
}
