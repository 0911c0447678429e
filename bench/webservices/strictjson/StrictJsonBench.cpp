// Parsing (and writing) the JSON corpus with the strict codec, beside the other codec of this tree and
// nlohmann-json, in one run; a summary of MB/s and ratios follows Google Benchmark's own table.
#include "webservices/strictjson/StrictJsonParser.h"
#include "webservices/strictjson/StrictJsonWriter.h"

#if __has_include("webservices/jk/JSONDecoder.h")
#include "webservices/jk/JSONDecoder.h"
#define VELMO_BENCH_JSON_DECODER 1
#endif

#include <benchmark/benchmark.h>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const char* const corpusFiles[] = {"twitter.json", "citm_catalog.json", "canada.json"};

const std::string& corpus(const std::string& name)
{
    static std::map<std::string, std::string> texts;
    auto found = texts.find(name);
    if (found != texts.end())
        return found->second;
    std::ifstream in(fs::path(VELMO_BENCH_DATA) / name, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return texts[name] = out.str();
}

void parseStrict(benchmark::State& state, std::string name)
{
    const std::string& text = corpus(name);
    StrictJsonParser parser;
    for (auto _ : state) {
        ns::Id value = parser.objectWithString(text);
        if (!value)
            state.SkipWithError("parse failed");
        benchmark::DoNotOptimize(value);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

#ifdef VELMO_BENCH_JSON_DECODER
void parseDecoder(benchmark::State& state, std::string name)
{
    const std::string& text = corpus(name);
    auto decoder = JSONDecoder::decoder();
    for (auto _ : state) {
        ns::Id value = decoder->objectWithUTF8String(text.data(), text.size());
        if (!value)
            state.SkipWithError("parse failed");
        benchmark::DoNotOptimize(value);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
#endif

void parseNlohmann(benchmark::State& state, std::string name)
{
    const std::string& text = corpus(name);
    for (auto _ : state) {
        auto value = nlohmann::json::parse(text);
        benchmark::DoNotOptimize(value);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

// Writing counts the bytes of the input text, so the rates compare with each other.
void writeStrict(benchmark::State& state, std::string name)
{
    const std::string& text = corpus(name);
    ns::Id value = StrictJsonParser().objectWithString(text);
    StrictJsonWriter writer;
    for (auto _ : state) {
        auto json = writer.stringWithObject(value);
        if (!json)
            state.SkipWithError("write failed");
        benchmark::DoNotOptimize(json);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

void writeNlohmann(benchmark::State& state, std::string name)
{
    const std::string& text = corpus(name);
    auto value = nlohmann::json::parse(text);
    for (auto _ : state) {
        auto json = value.dump();
        benchmark::DoNotOptimize(json);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

// Keeps each run's rate for the summary, and prints the usual table too.
class SummaryReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const auto& run : runs) {
            auto found = run.counters.find("bytes_per_second");
            if (run.error_occurred || found == run.counters.end() || run.run_type != Run::RT_Iteration)
                continue;
            m_rates[run.benchmark_name()] = found->second.value / 1e6;
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void printSummary() const
    {
        std::printf("\n%-28s %12s %12s %12s %10s %10s\n", "corpus file", "strict MB/s", "codec A MB/s",
                    "nlohmann MB/s", "A/strict", "nl/strict");
        for (const char* name : corpusFiles) {
            double strict = rate("parse/strict/", name);
            double decoder = rate("parse/JSONDecoder/", name);
            double nlohmann = rate("parse/nlohmann/", name);
            std::printf("%-28s %12.1f %12s %12.1f %10s %10s\n", (std::string("parse ") + name).c_str(),
                        strict, figure(decoder).c_str(), nlohmann, ratio(decoder, strict).c_str(),
                        ratio(nlohmann, strict).c_str());
        }
        for (const char* name : corpusFiles) {
            double strict = rate("write/strict/", name);
            double nlohmann = rate("write/nlohmann/", name);
            std::printf("%-28s %12.1f %12s %12.1f %10s %10s\n", (std::string("write ") + name).c_str(),
                        strict, "-", nlohmann, "-", ratio(nlohmann, strict).c_str());
        }
#ifndef VELMO_BENCH_JSON_DECODER
        std::printf("(codec A's decoder was not in this build)\n");
#endif
    }

private:
    double rate(const std::string& prefix, const char* name) const
    {
        auto found = m_rates.find(prefix + name);
        return found == m_rates.end() ? 0 : found->second;
    }
    static std::string figure(double value)
    {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%.1f", value);
        return value > 0 ? buffer : "-";
    }
    static std::string ratio(double value, double base)
    {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%.2fx", value / base);
        return value > 0 && base > 0 ? buffer : "-";
    }

    std::map<std::string, double> m_rates;
};

} // namespace

int main(int argc, char** argv)
{
    for (const char* name : corpusFiles) {
        benchmark::RegisterBenchmark((std::string("parse/strict/") + name).c_str(), parseStrict, name);
#ifdef VELMO_BENCH_JSON_DECODER
        benchmark::RegisterBenchmark((std::string("parse/JSONDecoder/") + name).c_str(), parseDecoder, name);
#endif
        benchmark::RegisterBenchmark((std::string("parse/nlohmann/") + name).c_str(), parseNlohmann, name);
    }
    for (const char* name : corpusFiles) {
        benchmark::RegisterBenchmark((std::string("write/strict/") + name).c_str(), writeStrict, name);
        benchmark::RegisterBenchmark((std::string("write/nlohmann/") + name).c_str(), writeNlohmann, name);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printSummary();
    benchmark::Shutdown();
    return 0;
}
