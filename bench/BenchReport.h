#pragma once
// The closing summary of a benchmark program: every benchmark runs as several repetitions, the console
// shows them as usual, and at the end each measured figure is set against its baseline of the same run:
// the two medians, their ratio and whether the ratio meets the target.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace bench {

// Nanoseconds per unit of Google Benchmark's time units.
inline double NsPerUnit(benchmark::TimeUnit unit) {
    switch (unit) {
    case benchmark::kNanosecond:
        return 1.0;
    case benchmark::kMicrosecond:
        return 1e3;
    case benchmark::kMillisecond:
        return 1e6;
    case benchmark::kSecond:
        return 1e9;
    }
    return 1.0;
}

// Prints like the console reporter and keeps, per benchmark, the median real time and the counters.
class MedianReporter : public benchmark::ConsoleReporter {
public:
    struct Result {
        double MedianNs = 0;
        std::map<std::string, double> Counters;
        bool Failed = false;
    };

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            // The registered name alone: repetitions and the time type would otherwise join it.
            const std::string name = run.run_name.function_name;
            Result& r = Results[name];
            if (run.error_occurred) {
                r.Failed = true;
                Errors.push_back(name + ": " + run.error_message);
                continue;
            }
            // A single repetition reports no aggregates; its one run is its median.
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
            if (median || single) {
                r.MedianNs = run.GetAdjustedRealTime() * NsPerUnit(run.time_unit);
                for (const auto& [key, counter] : run.counters)
                    r.Counters[key] = counter.value;
            }
        }
    }

    std::map<std::string, Result> Results;
    std::vector<std::string> Errors;
};

// Collects the comparison lines and prints them as one table; the exit status tells whether all targets
// were met, so that a script can tell a regression from a pass.
class Summary {
public:
    explicit Summary(const MedianReporter& reporter) : Reporter(reporter) {}

    // measured / baseline must be at most `maxRatio`.
    void Ratio(const std::string& label, const std::string& measured, const std::string& baseline,
               double maxRatio) {
        const auto* m = Find(measured);
        const auto* b = Find(baseline);
        if (!m || !b || b->MedianNs <= 0) {
            Missing(label);
            return;
        }
        const double ratio = m->MedianNs / b->MedianNs;
        const bool met = ratio <= maxRatio;
        AllMet = AllMet && met;
        char line[512];
        std::snprintf(
            line, sizeof line, "%-34s median %10.3f ms  baseline %10.3f ms  ratio %6.2f  target <= %.2f  %s",
            label.c_str(), m->MedianNs / 1e6, b->MedianNs / 1e6, ratio, maxRatio, met ? "MET" : "MISSED");
        Lines.push_back(line);
    }

    // A counter of one benchmark (in microseconds) must be at most `maxUs`. With a baseline benchmark, its
    // figure of the same counter is shown beside it.
    void Limit(const std::string& label, const std::string& benchmark, const std::string& counter,
               double maxUs, const std::string& baseline = {}) {
        const auto* r = Find(benchmark);
        if (!r || !r->Counters.count(counter)) {
            Missing(label);
            return;
        }
        const double v = r->Counters.at(counter);
        const bool met = v <= maxUs;
        AllMet = AllMet && met;
        char besides[96] = "";
        if (!baseline.empty()) {
            const auto* b = Find(baseline);
            if (b && b->Counters.count(counter))
                std::snprintf(besides, sizeof besides, "  baseline %s %.1f us", baseline.c_str(),
                              b->Counters.at(counter));
            else
                std::snprintf(besides, sizeof besides, "  baseline %s: no result", baseline.c_str());
        }
        char line[512];
        std::snprintf(line, sizeof line, "%-34s %10.1f us%s  target <= %.0f us  %s", label.c_str(), v,
                      besides, maxUs, met ? "MET" : "MISSED");
        Lines.push_back(line);
    }

    // A ratio shown for comparison only, without a target.
    void Info(const std::string& label, const std::string& measured, const std::string& baseline) {
        const auto* m = Find(measured);
        const auto* b = Find(baseline);
        if (!m || !b || b->MedianNs <= 0)
            return;
        char line[512];
        std::snprintf(line, sizeof line,
                      "%-34s median %10.3f ms  baseline %10.3f ms  ratio %6.2f  (no target)", label.c_str(),
                      m->MedianNs / 1e6, b->MedianNs / 1e6, m->MedianNs / b->MedianNs);
        Lines.push_back(line);
    }

    // Prints the table; returns 0 when every target was met, 1 otherwise.
    int Print() const {
        std::printf("\n== summary\n");
        for (const std::string& e : Reporter.Errors)
            std::printf("ERROR %s\n", e.c_str());
        for (const std::string& l : Lines)
            std::printf("%s\n", l.c_str());
        std::fflush(stdout);
        return AllMet && Reporter.Errors.empty() ? 0 : 1;
    }

private:
    const MedianReporter::Result* Find(const std::string& name) const {
        auto it = Reporter.Results.find(name);
        if (it == Reporter.Results.end() || it->second.Failed)
            return nullptr;
        return &it->second;
    }
    void Missing(const std::string& label) {
        AllMet = false;
        Lines.push_back(label + ": no result (benchmark filtered out or failed)");
    }

    const MedianReporter& Reporter;
    std::vector<std::string> Lines;
    bool AllMet = true;
};

// The main of a benchmark program: runs the registered benchmarks (five repetitions each unless the command
// line says otherwise, aggregates only), then lets `summarize` set the figures against their baselines.
template <typename Summarize> int RunBenchmarks(int argc, char** argv, Summarize summarize) {
    std::vector<char*> args;
    args.push_back(argv[0]);
    std::string reps = "--benchmark_repetitions=5";
    std::string aggregates = "--benchmark_report_aggregates_only=true";
    args.push_back(reps.data());
    args.push_back(aggregates.data());
    // Later flags win: the caller's own choices come after the defaults.
    for (int i = 1; i < argc; ++i)
        args.push_back(argv[i]);
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data()))
        return 2;
    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    Summary summary(reporter);
    summarize(summary);
    return summary.Print();
}

} // namespace bench
