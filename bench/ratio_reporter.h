// Console output plus, at the end, each measured benchmark's time as a ratio
// of its baseline measured in the same run, against its target. The target
// is judged on processor time: these machines are shared, and the wall clock
// of a single-threaded task mostly measures the neighbours.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
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
        for (const Run& r : runs)
            if (!r.error_occurred)
                times_[r.benchmark_name()] = {r.GetAdjustedRealTime(), r.GetAdjustedCPUTime()};
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        for (const RatioTarget& t : targets_) {
            const auto m = times_.find(t.measured);
            const auto b = times_.find(t.baseline);
            if (m == times_.end() || b == times_.end() || b->second.cpu <= 0 || b->second.real <= 0)
                continue;
            const double ratio = m->second.cpu / b->second.cpu;
            std::printf("ratio %s / %s = %.3f (processor time; wall clock %.3f)", t.measured.c_str(),
                        t.baseline.c_str(), ratio, m->second.real / b->second.real);
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
};

// Runs the registered benchmarks with the ratios reported at the end.
inline int runWithRatios(int& argc, char** argv, std::vector<RatioTarget> targets)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter(std::move(targets));
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
