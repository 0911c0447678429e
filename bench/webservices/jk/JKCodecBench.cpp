// Decoding and encoding the three classic corpus files against RapidJSON (DOM), nlohmann-json and simdjson,
// all in the same run; prints the memory a decoded twitter.json holds, then ours / peer for each step.

#include "foundation/String.h"
#include "kit/Comparisons.h"
#include "webservices/jk/JKSerializer.h"
#include "webservices/jk/JSONDecoder.h"

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <nlohmann/json.hpp>
#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>
#include <simdjson.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <new>
#include <sstream>
#include <string>
#include <vector>

// Every allocation of the program is counted, so that the memory a decoded tree holds can be compared.
namespace {
std::atomic<std::size_t> g_current{0};
std::atomic<std::size_t> g_peak{0};
std::atomic<bool> g_counting{false}; // only while a footprint is measured, so timings are undisturbed

void* counted(std::size_t bytes)
{
    void* block = std::malloc(bytes ? bytes : 1);
    if (!block)
        throw std::bad_alloc();
    if (!g_counting.load(std::memory_order_relaxed))
        return block;
    std::size_t now =
        g_current.fetch_add(malloc_usable_size(block), std::memory_order_relaxed) + malloc_usable_size(block);
    std::size_t peak = g_peak.load(std::memory_order_relaxed);
    while (now > peak && !g_peak.compare_exchange_weak(peak, now, std::memory_order_relaxed)) {
    }
    return block;
}

void uncounted(void* block)
{
    if (!block)
        return;
    if (g_counting.load(std::memory_order_relaxed))
        g_current.fetch_sub(malloc_usable_size(block), std::memory_order_relaxed);
    std::free(block);
}
} // namespace

void* operator new(std::size_t bytes)
{
    return counted(bytes);
}
void* operator new[](std::size_t bytes)
{
    return counted(bytes);
}
void* operator new(std::size_t bytes, const std::nothrow_t&) noexcept
{
    try {
        return counted(bytes);
    } catch (...) {
        return nullptr;
    }
}
void operator delete(void* block) noexcept
{
    uncounted(block);
}
void operator delete[](void* block) noexcept
{
    uncounted(block);
}
void operator delete(void* block, std::size_t) noexcept
{
    uncounted(block);
}
void operator delete[](void* block, std::size_t) noexcept
{
    uncounted(block);
}

namespace {

struct Corpus
{
    std::string name;
    std::string text;
    simdjson::padded_string padded;
};

std::vector<Corpus>& corpora()
{
    static std::vector<Corpus> files = [] {
        std::vector<Corpus> loaded;
        for (const char* name : {"twitter.json", "citm_catalog.json", "canada.json"}) {
            std::ifstream in(std::string(VELMO_BENCH_DATA) + "/" + name, std::ios::binary);
            std::stringstream contents;
            contents << in.rdbuf();
            Corpus corpus;
            corpus.name = name;
            corpus.text = contents.str();
            corpus.padded = simdjson::padded_string(corpus.text);
            if (corpus.text.empty()) {
                std::fprintf(stderr, "cannot read %s\n", name);
                std::exit(1);
            }
            loaded.push_back(std::move(corpus));
        }
        return loaded;
    }();
    return files;
}

ns::Id decodeJK(const std::string& text)
{
    JSONDecoder decoder;
    return decoder.objectWithUTF8String(text.data(), text.size());
}

void decodeJKFresh(benchmark::State& state, const Corpus* corpus)
{
    for (auto _ : state) {
        ns::Id result = decodeJK(corpus->text);
        if (!result)
            state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(result.get());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(corpus->text.size()));
}

void decodeJKReused(benchmark::State& state, const Corpus* corpus)
{
    JSONDecoder decoder;
    for (auto _ : state) {
        ns::Id result = decoder.objectWithUTF8String(corpus->text.data(), corpus->text.size());
        benchmark::DoNotOptimize(result.get());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(corpus->text.size()));
}

void decodeRapid(benchmark::State& state, const Corpus* corpus)
{
    for (auto _ : state) {
        rapidjson::Document document;
        document.Parse(corpus->text.data(), corpus->text.size());
        if (document.HasParseError())
            state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(&document);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(corpus->text.size()));
}

void decodeNlohmann(benchmark::State& state, const Corpus* corpus)
{
    for (auto _ : state) {
        auto document = nlohmann::json::parse(corpus->text);
        benchmark::DoNotOptimize(&document);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(corpus->text.size()));
}

void decodeSimdjson(benchmark::State& state, const Corpus* corpus)
{
    simdjson::dom::parser parser;
    for (auto _ : state) {
        simdjson::dom::element element;
        if (parser.parse(corpus->padded).get(element))
            state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(&element);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(corpus->text.size()));
}

void encodeJK(benchmark::State& state, const Corpus* corpus)
{
    ns::Id decoded = decodeJK(corpus->text);
    for (auto _ : state) {
        ns::Id text =
            JKSerializer::serializeObject(decoded, 0, JKEncodeOptionAsString, {}, nullptr, {}, nullptr);
        if (!text)
            state.SkipWithError("encode failed");
        benchmark::DoNotOptimize(text.get());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(corpus->text.size()));
}

void encodeRapid(benchmark::State& state, const Corpus* corpus)
{
    rapidjson::Document document;
    document.Parse(corpus->text.data(), corpus->text.size());
    for (auto _ : state) {
        rapidjson::StringBuffer buffer;
        rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
        document.Accept(writer);
        benchmark::DoNotOptimize(buffer.GetString());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(corpus->text.size()));
}

void encodeNlohmann(benchmark::State& state, const Corpus* corpus)
{
    auto document = nlohmann::json::parse(corpus->text);
    for (auto _ : state) {
        std::string text = document.dump();
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(corpus->text.size()));
}

void encodeSimdjson(benchmark::State& state, const Corpus* corpus)
{
    simdjson::dom::parser parser;
    simdjson::dom::element element = parser.parse(corpus->padded);
    for (auto _ : state) {
        std::string text = simdjson::minify(element);
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(corpus->text.size()));
}

struct Footprint
{
    std::size_t held;
    std::size_t peak;
};

// The memory the general allocator has handed out and not taken back (operator new, malloc, mmap).
std::size_t inUse()
{
    struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// What the decoded tree holds once the parse is over, and the peak of operator new during the parse.
template <class Decode> Footprint footprint(const Decode& decode)
{
    std::size_t base = inUse();
    g_current.store(0);
    g_peak.store(0);
    g_counting.store(true);
    auto tree = decode();
    g_counting.store(false);
    Footprint figure{inUse() - base, g_peak.load()};
    benchmark::DoNotOptimize(&tree);
    return figure;
}

void printFootprints()
{
    const Corpus& twitter = corpora()[0];
    // The first decode of the process, so the pooled blocks it holds are all its own.
    Footprint jk = footprint([&] { return decodeJK(twitter.text); });
    Footprint nlohmann = footprint([&] { return nlohmann::json::parse(twitter.text); });
    Footprint rapid = footprint([&] {
        auto document = std::make_unique<rapidjson::Document>();
        document->Parse(twitter.text.data(), twitter.text.size());
        return document;
    });
    std::printf(
        "Memory of a decoded twitter.json (%zu bytes of text): held after the parse / peak of operator "
        "new during it\n",
        twitter.text.size());
    std::printf("  jk        %8.2f MB / %8.2f MB\n", jk.held / 1e6, jk.peak / 1e6);
    std::printf("  nlohmann  %8.2f MB / %8.2f MB\n", nlohmann.held / 1e6, nlohmann.peak / 1e6);
    std::printf("  rapidjson %8.2f MB / (its own allocator)\n\n", rapid.held / 1e6);
}

} // namespace

int main(int argc, char** argv)
{
    printFootprints();

    struct Peer
    {
        const char* name;
        void (*function)(benchmark::State&, const Corpus*);
    };
    const Peer decoders[] = {{"jk", decodeJKFresh},
                             {"jk-reused-decoder", decodeJKReused},
                             {"rapidjson", decodeRapid},
                             {"nlohmann", decodeNlohmann},
                             {"simdjson", decodeSimdjson}};
    const Peer encoders[] = {{"jk", encodeJK},
                             {"rapidjson", encodeRapid},
                             {"nlohmann", encodeNlohmann},
                             {"simdjson", encodeSimdjson}};
    for (const auto& corpus : corpora()) {
        for (const auto& peer : decoders)
            benchmark::RegisterBenchmark(("decode/" + corpus.name + "/" + peer.name).c_str(), peer.function,
                                         &corpus);
        for (const auto& peer : encoders)
            benchmark::RegisterBenchmark(("encode/" + corpus.name + "/" + peer.name).c_str(), peer.function,
                                         &corpus);
    }

    // Each comparison does the same work on both sides: a fresh decoder against a fresh document (RapidJSON,
    // nlohmann-json), a reused decoder against simdjson's reused parser.
    std::vector<benchkit::Comparison> comparisons;
    for (const auto& corpus : corpora()) {
        std::string decode = "decode/" + corpus.name + "/";
        std::string encode = "encode/" + corpus.name + "/";
        for (const char* peer : {"rapidjson", "nlohmann"})
            comparisons.push_back({"decode " + corpus.name + ", vs " + peer, decode + "jk", decode + peer});
        comparisons.push_back({"decode " + corpus.name + " (reused decoder), vs simdjson",
                               decode + "jk-reused-decoder", decode + "simdjson"});
        for (const char* peer : {"rapidjson", "nlohmann", "simdjson"})
            comparisons.push_back({"encode " + corpus.name + ", vs " + peer, encode + "jk", encode + peer});
    }
    return benchkit::runComparisons(argc, argv, comparisons);
}
