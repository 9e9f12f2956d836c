// What every benchmark program prints after Google Benchmark's own table: the ratios of real
// times that it promises, each time the median when the runs are repeated.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace bench {

class SummaryReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            const std::string name = run.run_name.function_name;
            if (median || (run.run_type == Run::RT_Iteration && !m_medians[name])) {
                m_times[name] = run.GetAdjustedRealTime();
                m_medians[name] = median;
                for (const auto& [counter, value] : run.counters) {
                    m_counters[name + "/" + counter] = value;
                }
            }
        }
    }

    // The time of benchmark a over that of b, or 0 when either did not run.
    [[nodiscard]] double Ratio(const char* a, const char* b) const {
        const auto ta = m_times.find(a);
        const auto tb = m_times.find(b);
        return ta != m_times.end() && tb != m_times.end() && tb->second > 0
                   ? ta->second / tb->second
                   : 0.0;
    }

    // The real time of a benchmark in its own unit, or 0 when it did not run.
    [[nodiscard]] double Time(const char* name) const {
        const auto t = m_times.find(name);
        return t != m_times.end() ? t->second : 0.0;
    }

    // A counter of benchmark a over the same counter of b, or 0 when either is missing.
    [[nodiscard]] double CounterRatio(const char* a, const char* b, const char* counter) const {
        const auto ca = m_counters.find(std::string(a) + "/" + counter);
        const auto cb = m_counters.find(std::string(b) + "/" + counter);
        return ca != m_counters.end() && cb != m_counters.end() && cb->second > 0
                   ? ca->second / cb->second
                   : 0.0;
    }

    // A counter's value, or 0 when it is missing.
    [[nodiscard]] double CounterOf(const char* name, const char* counter) const {
        const auto c = m_counters.find(std::string(name) + "/" + counter);
        return c != m_counters.end() ? static_cast<double>(c->second) : 0.0;
    }

private:
    std::map<std::string, double> m_times;
    std::map<std::string, double> m_counters;
    std::map<std::string, bool> m_medians;
};

// Runs the benchmarks the command line chooses after prepare has built what they share, then
// lets summarize print its ratios.
inline int RunAndSummarize(int argc, char** argv, const std::function<void()>& prepare,
                           const std::function<void(const SummaryReporter&)>& summarize) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    prepare();
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    std::printf("\n");
    summarize(reporter);
    return 0;
}

}  // namespace bench
