#pragma once

#include "foundation/CHandle.h"
#include "foundation/Data.h"
#include "foundation/URLConnection.h"
#include "foundation/URLRequest.h"
#include "foundation/URLResponse.h"

#include <curl/curl.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace ns {

class URL;

// Where one hop goes: the address sent on the wire, without credentials, and what the header fields need.
struct URLHopAddress
{
    std::string scheme; // lower case: "http" or "https"
    std::string wireURL;
    std::string host;
    std::string path;
    std::optional<std::string> user;
    std::optional<std::string> password;
};

// The address of a hop to `url`, or the error code that refuses it.
long readHopAddress(const Ref<URL>& url, URLHopAddress& address);

// One hop of a connection: the easy handle and what it has received but not yet told.
struct URLConnection::Transfer
{
    struct Event
    {
        Ref<URLResponse> response;
        std::vector<uint8_t> data;
    };

    CHandle<CURL, curl_easy_cleanup> easy;
    CHandle<curl_slist, curl_slist_free_all> headers;
    Ref<ns::URL> url;
    Ref<Data> body;
    bool handleCookies = true;
    std::size_t maximumLength = URLRequestDefaultMaximumResponseLength;
    std::size_t received = 0; // the hop's body bytes, decoded
    HTTPResponseHeadParser parser;
    bool headDone = false;
    bool redirecting = false;
    long ownFailure = 0; // a failure found by us rather than by libcurl
    std::vector<Event> pending;
    std::vector<uint8_t>* replySink = nullptr; // when set, the data goes here rather than into events
    // The longest wait for the next byte, in real time: the load's own deadline is on the clock, which a
    // test may hold still.
    TimeInterval timeout = URLRequestDefaultTimeout;
    std::chrono::steady_clock::time_point deadline;
    curl_off_t uploaded = 0;
    char errorBuffer[CURL_ERROR_SIZE] = {};

    void touch()
    {
        deadline = std::chrono::steady_clock::now() +
                   std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                       std::chrono::duration<double>(timeout));
    }

    // The handle's options for `wireURL`: callbacks, verification, timeouts, no proxy for the loopback.
    void setOptions(const std::string& wireURL);
    // The request's method and body; whether a body is sent.
    bool setMethodAndBody(const MutableURLRequest& request);
    // The request's header fields, a form's content type, the stored cookies and basic authentication.
    void setHeaderFields(const MutableURLRequest& request, const URLHopAddress& address, bool sendsBody);

    static size_t onHeader(char* bytes, size_t size, size_t count, void* context);
    static size_t onData(char* bytes, size_t size, size_t count, void* context);
    static int onProgress(void* context, curl_off_t, curl_off_t, curl_off_t, curl_off_t uploadedNow);
};

} // namespace ns
