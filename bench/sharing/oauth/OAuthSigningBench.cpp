// Signing rate of our OAuth requests against liboauth's, over the same requests: a GET with a query and
// a form POST, each with a token, a fresh nonce and timestamp and HMAC-SHA1.
#include "sharing/oauth/OAMutableURLRequest.h"
#include "sharing/oauth/OAParameterAdditions.h"

#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <map>

// oauth.h uses size_t without declaring it.
#include <oauth.h>

namespace {

constexpr const char* getURL = "http://api.example.com/1/statuses/home_timeline.json?count=20&since_id=12345&"
                               "include_entities=true&page=3";
constexpr const char* postURL = "http://api.example.com/1/statuses/update.json";
constexpr const char* postBody =
    "status=Hello%20Ladies%20%2B%20Gentlemen%2C%20a%20signed%20OAuth%20request%21&"
    "include_entities=true&in_reply_to_status_id=2101";

const auto consumer =
    std::make_shared<OAConsumer>("xvz1evFS4wEEPTGEFPHBog", "kAcSOqF21Fu85e7zjz7ZN2U4ZRhfV3WpwPAoE3Z7kBw");
const auto token = std::make_shared<OAToken>("370773112-GmHxMAgYyLbNEtIKZeRNFsMKPR9EyMZeS9weJAEb",
                                             "LswwdoUaIvS8ltyTt5jkRh4J50vUPVVHtR2YPi5kE");

void OursGet(benchmark::State& state)
{
    auto url = ns::URL::withString(getURL);
    for (auto _ : state) {
        auto request = std::make_shared<OAMutableURLRequest>(url, consumer, token, std::nullopt, nullptr);
        request->prepare();
        benchmark::DoNotOptimize(request->signature().data());
    }
}

void LiboauthGet(benchmark::State& state)
{
    for (auto _ : state) {
        char* signedURL =
            oauth_sign_url2(getURL, nullptr, OA_HMAC, "GET", consumer->key().c_str(),
                            consumer->secret().c_str(), token->key()->c_str(), token->secret()->c_str());
        benchmark::DoNotOptimize(signedURL);
        std::free(signedURL);
    }
}

void OursPost(benchmark::State& state)
{
    auto url = ns::URL::withString(postURL);
    auto body = ns::Data::withString(postBody);
    for (auto _ : state) {
        auto request = std::make_shared<OAMutableURLRequest>(url, consumer, token, std::nullopt, nullptr);
        request->setHTTPMethod("POST");
        request->setHTTPBody(body);
        request->setValue(std::string("application/x-www-form-urlencoded"), "Content-Type");
        request->prepare();
        benchmark::DoNotOptimize(request->signature().data());
    }
}

void LiboauthPost(benchmark::State& state)
{
    std::string full = std::string(postURL) + "?" + postBody;
    for (auto _ : state) {
        char* postArgs = nullptr;
        char* signedURL =
            oauth_sign_url2(full.c_str(), &postArgs, OA_HMAC, "POST", consumer->key().c_str(),
                            consumer->secret().c_str(), token->key()->c_str(), token->secret()->c_str());
        benchmark::DoNotOptimize(postArgs);
        std::free(signedURL);
        std::free(postArgs);
    }
}

BENCHMARK(OursGet);
BENCHMARK(LiboauthGet);
BENCHMARK(OursPost);
BENCHMARK(LiboauthPost);

class RatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const auto& run : runs)
            if (run.run_type == Run::RT_Iteration)
                m_times[run.benchmark_name()] = run.GetAdjustedCPUTime(); // CPU time: the machine is shared
        ConsoleReporter::ReportRuns(runs);
    }
    double time(const std::string& name) const
    {
        auto found = m_times.find(name);
        return found == m_times.end() ? 0 : found->second;
    }

private:
    std::map<std::string, double> m_times;
};

void printRatio(const RatioReporter& reporter, const char* what, const char* ours, const char* theirs)
{
    double a = reporter.time(ours);
    double b = reporter.time(theirs);
    if (a > 0 && b > 0)
        std::printf("%s: signing rate ours / liboauth: %.2f (time per request %.2f of liboauth's)\n", what,
                    b / a, a / b);
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    printRatio(reporter, "GET with query", "OursGet", "LiboauthGet");
    printRatio(reporter, "form POST", "OursPost", "LiboauthPost");
    benchmark::Shutdown();
    return 0;
}
