// Parsing and writing the JSON corpus with the strict codec, beside RapidJSON, nlohmann-json and the other
// codec of this tree, in one run; ours / peer for each step follows Google Benchmark's own table.
#include "kit/Comparisons.h"
#include "webservices/jk/JSONDecoder.h"
#include "webservices/strictjson/StrictJsonParser.h"
#include "webservices/strictjson/StrictJsonWriter.h"

#include <benchmark/benchmark.h>
#include <nlohmann/json.hpp>
#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

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

void parseRapid(benchmark::State& state, std::string name)
{
    const std::string& text = corpus(name);
    for (auto _ : state) {
        rapidjson::Document document;
        document.Parse(text.data(), text.size());
        if (document.HasParseError())
            state.SkipWithError("parse failed");
        benchmark::DoNotOptimize(&document);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

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

void writeRapid(benchmark::State& state, std::string name)
{
    const std::string& text = corpus(name);
    rapidjson::Document document;
    document.Parse(text.data(), text.size());
    for (auto _ : state) {
        rapidjson::StringBuffer buffer;
        rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
        document.Accept(writer);
        benchmark::DoNotOptimize(buffer.GetString());
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

} // namespace

int main(int argc, char** argv)
{
    using Step = void (*)(benchmark::State&, std::string);
    const std::pair<const char*, Step> parsers[] = {{"strict", parseStrict},
                                                    {"rapidjson", parseRapid},
                                                    {"nlohmann", parseNlohmann},
                                                    {"jk", parseDecoder}};
    const std::pair<const char*, Step> writers[] = {
        {"strict", writeStrict}, {"rapidjson", writeRapid}, {"nlohmann", writeNlohmann}};
    std::vector<benchkit::Comparison> comparisons;
    for (std::string name : corpusFiles) {
        for (const auto& [who, step] : parsers)
            benchmark::RegisterBenchmark(("parse/" + name + "/" + who).c_str(), step, name);
        for (const auto& [who, step] : writers)
            benchmark::RegisterBenchmark(("write/" + name + "/" + who).c_str(), step, name);
        for (const char* peer : {"rapidjson", "nlohmann", "jk"})
            comparisons.push_back({"parse " + name + ", vs " + peer, "parse/" + name + "/strict",
                                   "parse/" + name + "/" + peer});
        for (const char* peer : {"rapidjson", "nlohmann"})
            comparisons.push_back({"write " + name + ", vs " + peer, "write/" + name + "/strict",
                                   "write/" + name + "/" + peer});
    }
    return benchkit::runComparisons(argc, argv, comparisons);
}
