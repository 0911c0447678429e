// A whole form-login share (Instapaper, credentials stored) and the platform's synchronous request alone,
// each against libcurl posting the same body to the same server on 127.0.0.1.
#include "foundation/Data.h"
#include "foundation/NotificationCenter.h"
#include "foundation/RunLoop.h"
#include "foundation/String.h"
#include "foundation/URL.h"
#include "foundation/URLConnection.h"
#include "kit/Comparisons.h"
#include "sharing/core/SHK.h"
#include "sharing/sharer/SHKSharer.h"
#include "sharing/support/SharingDevice.h"
#include "system/Reachability.h"
#include "testing/LoopbackServer.h"
#include "testing/TemporaryHome.h"
#include "webservices/sharers/SHKWebServiceSharers.h"

#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <memory>
#include <string>

namespace {

// The body Instapaper's share sends for the item below, with the stored credentials.
const std::string shareBody = "url=http%3A%2F%2Fexample.com%2Fpage&title=A%20page&selection=&username=bob&"
                              "password=s3cret";

// The tests' device, whose Instapaper is the loopback server.
struct Device : SharingDevice
{
    testkit::TemporaryHome home;
    testkit::LoopbackServer server;

    Device()
    {
        server.start();
        server.route("/api/add", testkit::ScriptedReply::text(201, "201"));
        start();
        configurator->setValueForKey("instapaperURL", ns::String::make(server.baseURL()));
        net::Reachability::setNetworkOn(true);
        registerWebServiceSharers();
        SHK::setAuthValue("bob", "username", "SHKInstapaper");
        SHK::setAuthValue("s3cret", "password", "SHKInstapaper");
        // The user's choice, stored once: the share then goes out without its form.
        SHKSharer::sharerWithId("SHKInstapaper")->setShouldAutoShare(true);
    }
};

Device& device()
{
    static Device shared;
    return shared;
}

// libcurl's plain POST of the body, a handle of its own each time as a one-off request has. It sends the
// request ours sends: the same agent, and compressed replies accepted, which the server then compresses.
bool curlPost(const std::string& url, const std::string& body)
{
    CURL* easy = curl_easy_init();
    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, "deflate, gzip");
    curl_easy_setopt(easy, CURLOPT_USERAGENT, "Velmo/1.0");
    curl_easy_setopt(easy, CURLOPT_POSTFIELDS, body.c_str());
    curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE, static_cast<long>(body.size()));
    std::string reply;
    curl_easy_setopt(
        easy, CURLOPT_WRITEFUNCTION, +[](char* bytes, size_t size, size_t count, void* out) {
            static_cast<std::string*>(out)->append(bytes, size * count);
            return size * count;
        });
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &reply);
    long status = 0;
    bool ok = curl_easy_perform(easy) == CURLE_OK &&
              curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status) == CURLE_OK && status == 201;
    curl_easy_cleanup(easy);
    return ok;
}

void OursShare(benchmark::State& state)
{
    Device& at = device();
    bool finished = false;
    auto& center = ns::NotificationCenter::defaultCenter();
    center.addObserver(&finished, SHKSendDidFinishNotification, nullptr,
                       [&finished](const ns::Notification&) { finished = true; });
    auto item = SHKItem::URL(ns::URL::withString("http://example.com/page"), std::string("A page"));
    for (auto _ : state) {
        finished = false;
        auto sharer = SHKSharer::sharerWithId("SHKInstapaper");
        sharer->setItem(item);
        sharer->share();
        if (!ns::RunLoop::main().runUntil([&] { return finished; }, 10)) {
            state.SkipWithError("the share did not finish");
            break;
        }
    }
    center.removeObserver(&finished);
    (void)at;
}

void OursSynchronousRequest(benchmark::State& state)
{
    Device& at = device();
    auto url = ns::URL::withString(at.server.url("/api/add"));
    for (auto _ : state) {
        auto request = ns::MutableURLRequest::requestWithURL(
            url, ns::URLRequestCachePolicy::ReloadIgnoringLocalAndRemoteCacheData, 90);
        request->setHTTPMethod("POST");
        request->setHTTPBody(ns::Data::withString(shareBody));
        ns::Ref<ns::URLResponse> response;
        ns::Ref<ns::Error> error;
        auto body = ns::URLConnection::sendSynchronousRequest(request, &response, &error);
        auto http = ns::cast<ns::HTTPURLResponse>(response);
        if (!body || !http || http->statusCode() != 201) {
            state.SkipWithError("the request failed");
            break;
        }
    }
}

void CurlPost(benchmark::State& state)
{
    std::string url = device().server.url("/api/add");
    for (auto _ : state) {
        if (!curlPost(url, shareBody)) {
            state.SkipWithError("the POST failed");
            break;
        }
    }
}

BENCHMARK(OursShare)->Name("share/form-login/ours");
BENCHMARK(OursSynchronousRequest)->Name("request/synchronous/ours");
BENCHMARK(CurlPost)->Name("post/libcurl");

} // namespace

int main(int argc, char** argv)
{
    return benchkit::runComparisons(
        argc, argv,
        {{"a whole form-login share, vs a libcurl POST", "share/form-login/ours", "post/libcurl"},
         {"a synchronous POST, vs a libcurl POST", "request/synchronous/ours", "post/libcurl"}});
}
