#include "kit/Comparisons.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>

namespace benchkit {

namespace {

// The median of one benchmark's repetitions (or its single run when it is not repeated).
struct Median
{
    double seconds = 0;                   // CPU time per iteration: the machine is shared
    std::optional<double> bytesPerSecond; // when the benchmark counts the bytes it handles
    bool failed = false;
};

class MedianReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const auto& run : runs) {
            bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
            bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.error_occurred) {
                m_medians[run.run_name.str()].failed = true;
                continue;
            }
            if (!single && !median)
                continue;
            Median& figure = m_medians[run.run_name.str()];
            figure.seconds = run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
            auto bytes = run.counters.find("bytes_per_second");
            if (bytes != run.counters.end())
                figure.bytesPerSecond = bytes->second.value;
        }
        ConsoleReporter::ReportRuns(runs);
    }

    const Median* find(const std::string& name) const
    {
        auto found = m_medians.find(name);
        return found == m_medians.end() ? nullptr : &found->second;
    }
    bool anyFailed() const
    {
        for (const auto& [name, figure] : m_medians)
            if (figure.failed)
                return true;
        return false;
    }

private:
    std::map<std::string, Median> m_medians;
};

std::string duration(double seconds)
{
    const char* unit = "s";
    double value = seconds;
    if (seconds < 1e-6) {
        value = seconds * 1e9;
        unit = "ns";
    } else if (seconds < 1e-3) {
        value = seconds * 1e6;
        unit = "us";
    } else if (seconds < 1) {
        value = seconds * 1e3;
        unit = "ms";
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.1f %s", value, unit);
    return text;
}

// Throughput where both sides count bytes (the same bytes), time per operation otherwise.
std::string figure(const Median& median, bool asRate)
{
    if (!asRate)
        return duration(median.seconds);
    double rate = *median.bytesPerSecond;
    char text[32];
    if (rate >= 1e10)
        std::snprintf(text, sizeof text, "%.1f GB/s", rate / 1e9);
    else
        std::snprintf(text, sizeof text, "%.1f MB/s", rate / 1e6);
    return text;
}

} // namespace

int runComparisons(int argc, char** argv, const std::vector<Comparison>& comparisons)
{
    // The defaults first, so that the same flags given on the command line win. Many short repetitions:
    // a shared machine slows down for stretches, and short turns let both sides meet each stretch.
    std::vector<std::string> defaults = {
        "--benchmark_repetitions=45", "--benchmark_enable_random_interleaving=true",
        "--benchmark_report_aggregates_only=true", "--benchmark_min_time=0.05"};
    std::vector<char*> arguments = {argv[0]};
    for (auto& flag : defaults)
        arguments.push_back(flag.data());
    for (int i = 1; i < argc; ++i)
        arguments.push_back(argv[i]);
    int count = static_cast<int>(arguments.size());
    arguments.push_back(nullptr);
    benchmark::Initialize(&count, arguments.data());
    if (benchmark::ReportUnrecognizedArguments(count, arguments.data()))
        return 1;

    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    std::size_t width = 10;
    for (const auto& comparison : comparisons)
        width = std::max(width, comparison.name.size());
    std::printf(
        "\nours / peer: the peer's median time over ours (a ratio of speeds), so above 1 means ours is "
        "faster\n");
    std::printf("%-*s  %14s  %14s  %11s\n", int(width), "comparison", "ours median", "peer median",
                "ours / peer");
    for (const auto& comparison : comparisons) {
        const Median* ours = reporter.find(comparison.ours);
        const Median* peer = reporter.find(comparison.peer);
        if (!ours || !peer)
            continue; // filtered out of this run
        if (ours->failed || peer->failed || ours->seconds <= 0 || peer->seconds <= 0) {
            std::printf("%-*s  %14s  %14s  %11s\n", int(width), comparison.name.c_str(),
                        ours->failed ? "failed" : "-", peer->failed ? "failed" : "-", "-");
            continue;
        }
        bool asRate = ours->bytesPerSecond && peer->bytesPerSecond;
        std::printf("%-*s  %14s  %14s  %11.2f\n", int(width), comparison.name.c_str(),
                    figure(*ours, asRate).c_str(), figure(*peer, asRate).c_str(),
                    peer->seconds / ours->seconds);
    }
    std::fflush(stdout);
    benchmark::Shutdown();
    return reporter.anyFailed() ? 1 : 0;
}

} // namespace benchkit
