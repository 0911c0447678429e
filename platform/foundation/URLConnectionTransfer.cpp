#include "foundation/URLConnectionTransfer.h"

#include "foundation/Ascii.h"
#include "foundation/Dictionary.h"
#include "foundation/HTTPCookieStorage.h"
#include "foundation/String.h"
#include "foundation/Text.h"
#include "foundation/TrustedCertificates.h"
#include "foundation/URL.h"

#include <algorithm>
#include <cstdlib>

namespace ns {

namespace {

using CurlURL = CHandle<CURLU, curl_url_cleanup>;

std::optional<std::string> urlPart(CURLU* url, CURLUPart part, unsigned flags = 0)
{
    char* value = nullptr;
    if (curl_url_get(url, part, &value, flags) != CURLUE_OK || !value)
        return std::nullopt;
    CHandle<char, curl_free> holder(value);
    return std::string(value);
}

} // namespace

// MARK: The address

long readHopAddress(const Ref<URL>& url, URLHopAddress& address)
{
    if (!url)
        return URLErrorBadURL;
    const std::string& text = url->absoluteString();
    if (!url->scheme())
        return URLErrorUnsupportedURL;
    std::string scheme = toLowerAscii(*url->scheme());
    if (scheme != "http" && scheme != "https")
        return URLErrorUnsupportedURL;
    // Requests mostly go where the one before went: the last address read on this thread, by its text.
    // It is a pure function of the text, so a hit answers as the parse would.
    thread_local struct
    {
        std::string text;
        URLHopAddress address;
    } last;
    if (!text.empty() && text == last.text) {
        address = last.address;
        return 0;
    }
    CurlURL parsed(curl_url());
    if (!parsed || text.find_first_of(std::string_view("\0\r\n", 3)) != std::string::npos ||
        curl_url_set(parsed.get(), CURLUPART_URL, text.c_str(), 0) != CURLUE_OK)
        return URLErrorBadURL;
    // Credentials leave the address and go in the Authorization field, percent-decoded. An address
    // without an "@" has none.
    std::optional<std::string> user;
    std::optional<std::string> password;
    if (text.find('@') != std::string::npos) {
        user = urlPart(parsed.get(), CURLUPART_USER, CURLU_URLDECODE);
        password = urlPart(parsed.get(), CURLUPART_PASSWORD, CURLU_URLDECODE);
        curl_url_set(parsed.get(), CURLUPART_USER, nullptr, 0);
        curl_url_set(parsed.get(), CURLUPART_PASSWORD, nullptr, 0);
    }
    auto wireURL = urlPart(parsed.get(), CURLUPART_URL);
    auto host = urlPart(parsed.get(), CURLUPART_HOST);
    if (!wireURL || !host || host->empty())
        return URLErrorBadURL;
    address.scheme = std::move(scheme);
    address.wireURL = std::move(*wireURL);
    address.host = std::move(*host);
    address.path = urlPart(parsed.get(), CURLUPART_PATH).value_or("/");
    address.user = std::move(user);
    address.password = std::move(password);
    // Not kept: credentials, and addresses too long to be worth copying.
    if (!address.user && !address.password && text.size() <= 2048) {
        last.text = text;
        last.address = address;
    }
    return 0;
}

// MARK: Setting up the handle

void URLConnection::Transfer::setOptions(const std::string& wireURL)
{
    CURL* handle = easy.get();
    curl_easy_setopt(handle, CURLOPT_URL, wireURL.c_str());
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION,
                     0L); // redirects are ours: cookies and reports between hops
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, 2L);
    // Authorities the device was told to trust as well: the system's bundle and those, verified alike.
    if (auto trusted = TrustedCertificates::bundle()) {
        curl_blob blob{const_cast<char*>(trusted->data()), trusted->size(), CURL_BLOB_COPY};
        curl_easy_setopt(handle, CURLOPT_CAINFO_BLOB, &blob);
    }
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(timeout * 1000));
    // The codings whose decoders need no large window of their own, so that memory follows the bound.
    curl_easy_setopt(handle, CURLOPT_ACCEPT_ENCODING, "deflate, gzip");
    curl_easy_setopt(handle, CURLOPT_USERAGENT, "Velmo/1.0");
    curl_easy_setopt(handle, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, errorBuffer);
    curl_easy_setopt(handle, CURLOPT_HEADERFUNCTION, &Transfer::onHeader);
    curl_easy_setopt(handle, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &Transfer::onData);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, &Transfer::onProgress);
    curl_easy_setopt(handle, CURLOPT_XFERINFODATA, this);
    curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
    // The loopback never goes through a proxy, whatever the environment says.
    std::string noProxy = "localhost,127.0.0.1,::1";
    for (const char* name : {"no_proxy", "NO_PROXY"})
        if (const char* value = std::getenv(name); value && *value)
            noProxy += std::string(",") + value;
    curl_easy_setopt(handle, CURLOPT_NOPROXY, noProxy.c_str()); // copied by libcurl
}

bool URLConnection::Transfer::setMethodAndBody(const MutableURLRequest& request)
{
    CURL* handle = easy.get();
    const std::string& method = request.HTTPMethod();
    if (method == "GET") {
        curl_easy_setopt(handle, CURLOPT_HTTPGET, 1L);
        return false;
    }
    if (method == "HEAD") {
        curl_easy_setopt(handle, CURLOPT_NOBODY, 1L);
        return false;
    }
    if (method == "POST")
        curl_easy_setopt(handle, CURLOPT_POST, 1L);
    else
        curl_easy_setopt(handle, CURLOPT_CUSTOMREQUEST, method.c_str());
    Ref<Data> requestBody = request.HTTPBody();
    body = requestBody ? requestBody : Data::make({});
    static const char empty = 0;
    const char* bytes = body->length() ? reinterpret_cast<const char*>(body->data()) : &empty;
    curl_easy_setopt(handle, CURLOPT_POSTFIELDS, bytes);
    curl_easy_setopt(handle, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body->length()));
    bool sendsBody = body->length() > 0 || method == "POST";
    // libcurl resends a request on a fresh connection when a kept one closes unanswered; a body (a
    // bookmark, a payment) must not arrive twice, so it never rides a kept connection.
    if (sendsBody)
        curl_easy_setopt(handle, CURLOPT_FRESH_CONNECT, 1L);
    return sendsBody;
}

void URLConnection::Transfer::setHeaderFields(const MutableURLRequest& request, const URLHopAddress& address,
                                              bool sendsBody)
{
    CHandle<curl_slist, curl_slist_free_all> list;
    auto append = [&](const std::string& line) {
        if (curl_slist* grown = curl_slist_append(list.get(), line.c_str())) {
            (void)list.release(); // the same list, or a new one when it was empty
            list.reset(grown);
        }
    };
    bool haveContentType = false, haveCookie = false, haveAuthorization = false;
    for (const auto& [name, value] : request.headerFields()) {
        haveContentType = haveContentType || equalsIgnoringAsciiCase(name, "Content-Type");
        haveCookie = haveCookie || equalsIgnoringAsciiCase(name, "Cookie");
        haveAuthorization = haveAuthorization || equalsIgnoringAsciiCase(name, "Authorization");
        // libcurl sends "Name;" as a field with an empty value and drops "Name:".
        append(value.empty() ? name + ";" : name + ": " + value);
    }
    Ref<Data> requestBody = request.HTTPBody();
    if (sendsBody && requestBody && requestBody->length() > 0 && !haveContentType)
        append("Content-Type: application/x-www-form-urlencoded");
    append("Expect:"); // no 100-continue round trip
    if (handleCookies && !haveCookie) {
        auto cookies =
            HTTPCookieStorage::shared().cookiesFor(address.host, address.path, address.scheme == "https");
        auto fields = HTTPCookieStorage::requestHeaderFieldsWithCookies(cookies);
        if (auto cookie = fields->stringForKey("Cookie"))
            append("Cookie: " + *cookie);
    }
    CURL* handle = easy.get();
    curl_easy_setopt(handle, CURLOPT_HTTPHEADER, list.get());
    headers = std::move(list);
    if (address.user && !haveAuthorization) {
        curl_easy_setopt(handle, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC));
        curl_easy_setopt(handle, CURLOPT_USERNAME, address.user->c_str());
        curl_easy_setopt(handle, CURLOPT_PASSWORD, address.password.value_or("").c_str());
    }
}

// MARK: Callbacks

size_t URLConnection::Transfer::onHeader(char* bytes, size_t size, size_t count, void* context)
{
    auto* transfer = static_cast<Transfer*>(context);
    size_t length = size * count;
    transfer->touch();
    if (transfer->headDone)
        return length; // trailers after a chunked body
    auto state = transfer->parser.addLine(std::string_view(bytes, length));
    if (state == HTTPResponseHeadParser::State::Failed) {
        transfer->ownFailure = URLErrorBadServerResponse;
        return 0;
    }
    if (state != HTTPResponseHeadParser::State::Complete)
        return length;
    if (transfer->parser.isInterim()) {
        transfer->parser.reset();
        return length;
    }
    transfer->headDone = true;
    int status = transfer->parser.statusCode();
    auto response = ns::make<HTTPURLResponse>(transfer->url, status, transfer->parser.fields());
    // Stored before anyone hears of the response, so that the next request (a redirect) carries them.
    if (transfer->handleCookies)
        HTTPCookieStorage::shared().setCookiesFromResponse(*response);
    bool redirect = status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
    transfer->redirecting = redirect && response->valueForHTTPHeaderField("Location").has_value();
    transfer->pending.push_back(Event{response, {}});
    if (transfer->replySink && !transfer->redirecting) {
        // Room for the whole body at once; a length beyond the bound is only believed as the bytes come.
        transfer->replySink->clear();
        int64_t expected = response->expectedContentLength();
        if (expected > 0)
            transfer->replySink->reserve(
                std::min(static_cast<std::size_t>(expected), transfer->maximumLength));
    }
    return length;
}

size_t URLConnection::Transfer::onData(char* bytes, size_t size, size_t count, void* context)
{
    auto* transfer = static_cast<Transfer*>(context);
    size_t length = size * count;
    transfer->touch();
    // Counted as decoded, so that a small compressed reply cannot grow without end.
    transfer->received += length;
    if (transfer->received > transfer->maximumLength) {
        transfer->ownFailure = URLErrorDataLengthExceedsMaximum;
        return 0;
    }
    if (transfer->redirecting || length == 0)
        return length; // a redirect's own body is nobody's data
    if (transfer->replySink) {
        transfer->replySink->insert(transfer->replySink->end(), bytes, bytes + length);
        return length;
    }
    if (transfer->pending.empty() || transfer->pending.back().response)
        transfer->pending.push_back(Event{});
    auto& data = transfer->pending.back().data;
    data.insert(data.end(), bytes, bytes + length);
    return length;
}

int URLConnection::Transfer::onProgress(void* context, curl_off_t, curl_off_t, curl_off_t,
                                        curl_off_t uploadedNow)
{
    auto* transfer = static_cast<Transfer*>(context);
    if (uploadedNow != transfer->uploaded) {
        transfer->uploaded = uploadedNow;
        transfer->touch();
    }
    return 0;
}

} // namespace ns
