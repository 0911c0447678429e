// Signing rate of our OAuth requests against liboauth's, over the same requests: a GET with a query and
// a form POST, each with a token, a fresh nonce and timestamp and HMAC-SHA1.
#include "kit/Comparisons.h"
#include "sharing/oauth/OAMutableURLRequest.h"
#include "sharing/oauth/OAParameterAdditions.h"

#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>

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

// Inside the loop each side starts from the address (and the body) as text, with the credentials in the form
// it takes them: it parses the address, makes a nonce and a timestamp, signs, and holds the signed request.
void OursGet(benchmark::State& state)
{
    for (auto _ : state) {
        auto request = std::make_shared<OAMutableURLRequest>(ns::URL::withString(getURL), consumer, token,
                                                             std::nullopt, nullptr);
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
    for (auto _ : state) {
        auto request = std::make_shared<OAMutableURLRequest>(ns::URL::withString(postURL), consumer, token,
                                                             std::nullopt, nullptr);
        request->setHTTPMethod("POST");
        request->setHTTPBody(ns::Data::withString(postBody));
        request->setValue(std::string("application/x-www-form-urlencoded"), "Content-Type");
        request->prepare();
        benchmark::DoNotOptimize(request->signature().data());
    }
}

// liboauth takes a form's fields as the address's query and splits them back out.
void LiboauthPost(benchmark::State& state)
{
    for (auto _ : state) {
        std::string full = std::string(postURL) + "?" + postBody;
        char* postArgs = nullptr;
        char* signedURL =
            oauth_sign_url2(full.c_str(), &postArgs, OA_HMAC, "POST", consumer->key().c_str(),
                            consumer->secret().c_str(), token->key()->c_str(), token->secret()->c_str());
        benchmark::DoNotOptimize(postArgs);
        std::free(signedURL);
        std::free(postArgs);
    }
}

BENCHMARK(OursGet)->Name("sign/GET/ours");
BENCHMARK(LiboauthGet)->Name("sign/GET/liboauth");
BENCHMARK(OursPost)->Name("sign/POST/ours");
BENCHMARK(LiboauthPost)->Name("sign/POST/liboauth");

} // namespace

int main(int argc, char** argv)
{
    return benchkit::runComparisons(
        argc, argv,
        {{"sign a GET with a query, vs liboauth", "sign/GET/ours", "sign/GET/liboauth"},
         {"sign a form POST, vs liboauth", "sign/POST/ours", "sign/POST/liboauth"}});
}
