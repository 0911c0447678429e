#include "foundation/URLConnection.h"

#include "foundation/Ascii.h"
#include "foundation/Dictionary.h"
#include "foundation/Error.h"
#include "foundation/RunLoop.h"
#include "foundation/String.h"
#include "foundation/Text.h"
#include "foundation/URL.h"
#include "foundation/URLConnectionTransfer.h"
#include "foundation/URLLoader.h"

#include <cerrno>
#include <curl/curl.h>
#include <functional>
#include <vector>

namespace ns {
namespace {

// A request that waits forever is never wanted: a missing, negative or absurd timeout gets the default.
TimeInterval boundedTimeout(TimeInterval timeout)
{
    if (!(timeout > 0) || timeout > 3600)
        return URLRequestDefaultTimeout;
    return timeout;
}

std::string describeCode(long code)
{
    switch (code) {
    case URLErrorCancelled:
        return "cancelled";
    case URLErrorBadURL:
        return "bad URL";
    case URLErrorTimedOut:
        return "The request timed out.";
    case URLErrorUnsupportedURL:
        return "unsupported URL";
    case URLErrorCannotFindHost:
        return "A server with the specified hostname could not be found.";
    case URLErrorCannotConnectToHost:
        return "Could not connect to the server.";
    case URLErrorNetworkConnectionLost:
        return "The network connection was lost.";
    case URLErrorHTTPTooManyRedirects:
        return "too many HTTP redirects";
    case URLErrorRedirectRefused:
        return "The server redirected the request to a place it may not be sent.";
    case URLErrorDataLengthExceedsMaximum:
        return "The server's reply is larger than allowed.";
    case URLErrorNotConnectedToInternet:
        return "The Internet connection appears to be offline.";
    case URLErrorBadServerResponse:
        return "bad server response";
    case URLErrorSecureConnectionFailed:
        return "An SSL error has occurred and a secure connection to the server cannot be made.";
    case URLErrorServerCertificateUntrusted:
        return "The certificate for this server is invalid.";
    default:
        return "unknown error";
    }
}

long errorCodeForCurl(CURLcode result, long osErrno)
{
    switch (result) {
    case CURLE_OPERATION_TIMEDOUT:
        return URLErrorTimedOut;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
        return URLErrorCannotFindHost;
    case CURLE_COULDNT_CONNECT:
        if (osErrno == ENETUNREACH || osErrno == ENETDOWN)
            return URLErrorNotConnectedToInternet;
        return URLErrorCannotConnectToHost;
    case CURLE_URL_MALFORMAT:
        return URLErrorBadURL;
    case CURLE_UNSUPPORTED_PROTOCOL:
        return URLErrorUnsupportedURL;
    case CURLE_GOT_NOTHING:
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_PARTIAL_FILE:
        return URLErrorNetworkConnectionLost;
    case CURLE_PEER_FAILED_VERIFICATION:
        return URLErrorServerCertificateUntrusted;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_ENGINE_NOTFOUND:
    case CURLE_SSL_ENGINE_SETFAILED:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_SHUTDOWN_FAILED:
    case CURLE_SSL_CRL_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_USE_SSL_FAILED:
        return URLErrorSecureConnectionFailed;
    case CURLE_TOO_MANY_REDIRECTS:
        return URLErrorHTTPTooManyRedirects;
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_BAD_CONTENT_ENCODING:
    case CURLE_HTTP2:
    case CURLE_HTTP2_STREAM:
    case CURLE_HTTP3:
    case CURLE_RANGE_ERROR:
        return URLErrorBadServerResponse;
    default:
        return URLErrorUnknown;
    }
}

bool sameOrigin(const URL& one, const URL& other)
{
    auto lower = [](const std::optional<std::string>& text) { return toLowerAscii(text.value_or("")); };
    std::string scheme = lower(one.scheme());
    auto port = [&](const URL& url) { return url.port().value_or(scheme == "https" ? 443 : 80); };
    return scheme == lower(other.scheme()) && lower(one.host()) == lower(other.host()) &&
           port(one) == port(other);
}

// Whether a redirect from `from` may send `next`: an https request never goes on in clear text, and a body
// (a password, often) goes again only to the origin it was written for.
bool mayRedirect(const URL& from, const URLRequest& next)
{
    if (!next.URL())
        return true;
    if (toLowerAscii(from.scheme().value_or("")) == "https" &&
        toLowerAscii(next.URL()->scheme().value_or("")) != "https")
        return false;
    auto body = next.HTTPBody();
    return !(body && body->length() > 0) || sameOrigin(from, *next.URL());
}

} // namespace

URLConnection::URLConnection(Ref<URLRequest> request, Ref<URLConnectionDelegate> delegate)
    : m_original(std::move(request)), m_delegate(std::move(delegate))
{
    if (m_original)
        m_current = m_original->mutableCopy();
}

URLConnection::~URLConnection() = default;

Ref<URLConnection> URLConnection::connectionWithRequest(const Ref<URLRequest>& request,
                                                        Ref<URLConnectionDelegate> delegate)
{
    return make(request, std::move(delegate), true);
}

Ref<URLConnection> URLConnection::make(const Ref<URLRequest>& request, Ref<URLConnectionDelegate> delegate,
                                       bool startImmediately)
{
    if (!request || !request->URL())
        return nullptr;
    auto connection = Factory<URLConnection>::make(request, std::move(delegate));
    if (startImmediately)
        connection->start();
    return connection;
}

bool URLConnection::isFinished() const
{
    return m_state == State::Done;
}

void URLConnection::start()
{
    startOn(URLLoader::forCurrentThread());
}

void URLConnection::startOn(const Ref<URLLoader>& loader)
{
    if (m_state != State::Idle || !loader)
        return;
    m_state = State::Running;
    m_loader = loader;
    m_keepAlive = self<URLConnection>();
    // One deadline for the whole load, redirects included: a server that trickles bytes cannot hold it.
    std::weak_ptr<URLConnection> weak = m_keepAlive;
    loader->loop().performAfterDelay(this, "timeOut", boundedTimeout(m_current->timeoutInterval()), [weak] {
        if (auto connection = weak.lock())
            connection->timeOut();
    });
    Ref<Error> error;
    if (!beginHop(&error)) {
        // Failures are told on the loop, never from inside start().
        m_transfer.reset();
        loader->loop().post([self = m_keepAlive, error] {
            if (self->m_state == State::Running)
                self->fail(error);
        });
    }
}

Ref<Error> URLConnection::makeError(long code) const
{
    auto info = MutableDictionary::make();
    info->setObject(String::make(describeCode(code)), LocalizedDescriptionKey);
    if (m_current && m_current->URL()) {
        info->setObject(String::make(m_current->URL()->absoluteString()), URLErrorFailingURLStringErrorKey);
        info->setObject(m_current->URL(), URLErrorFailingURLErrorKey);
    }
    return Error::make(URLErrorDomain, code, info);
}

bool URLConnection::beginHop(Ref<Error>* error)
{
    auto loader = m_loader.lock();
    if (!loader || !loader->isValid()) {
        setError(error, makeError(URLErrorUnknown));
        return false;
    }
    URLHopAddress address;
    if (long code = readHopAddress(m_current->URL(), address)) {
        setError(error, makeError(code));
        return false;
    }
    auto transfer = std::make_unique<Transfer>();
    transfer->easy.reset(curl_easy_init());
    if (!transfer->easy) {
        setError(error, makeError(URLErrorUnknown));
        return false;
    }
    transfer->url = m_current->URL();
    transfer->replySink = m_replySink;
    transfer->timeout = boundedTimeout(m_current->timeoutInterval());
    transfer->handleCookies = m_current->HTTPShouldHandleCookies();
    transfer->maximumLength = m_current->maximumResponseLength();
    transfer->setOptions(address.wireURL);
    bool sendsBody = transfer->setMethodAndBody(*m_current);
    transfer->setHeaderFields(*m_current, address, sendsBody);

    transfer->touch();
    CURL* easy = transfer->easy.get();
    m_transfer = std::move(transfer);
    if (!loader->add(self<URLConnection>(), easy)) {
        setError(error, makeError(URLErrorUnknown));
        return false;
    }
    return true;
}

void URLConnection::deliverPending()
{
    while (m_state == State::Running && m_transfer && !m_transfer->pending.empty()) {
        Transfer::Event event = std::move(m_transfer->pending.front());
        m_transfer->pending.erase(m_transfer->pending.begin());
        auto delegate = m_delegate;
        if (!delegate)
            continue;
        if (event.response) {
            m_lastResponse = event.response;
            delegate->connectionDidReceiveResponse(*this, event.response);
        } else
            delegate->connectionDidReceiveData(*this, Data::make(std::move(event.data)));
    }
}

void URLConnection::complete(long curlResult)
{
    if (m_state != State::Running || !m_transfer)
        return;
    auto keep = self<URLConnection>();
    deliverPending();
    if (m_state != State::Running || !m_transfer)
        return;
    auto loader = m_loader.lock();
    CURL* easy = m_transfer->easy.get();
    long osErrno = 0;
    curl_easy_getinfo(easy, CURLINFO_OS_ERRNO, &osErrno);
    char* redirectTarget = nullptr;
    curl_easy_getinfo(easy, CURLINFO_REDIRECT_URL, &redirectTarget);
    std::string target = redirectTarget ? redirectTarget : "";
    bool redirecting = m_transfer->redirecting;
    long ownFailure = m_transfer->ownFailure;
    bool headDone = m_transfer->headDone;
    int status = m_transfer->parser.statusCode();
    if (loader)
        loader->remove(this, easy);
    auto finished = std::move(m_transfer);

    if (ownFailure) {
        fail(makeError(ownFailure));
        return;
    }
    auto result = static_cast<CURLcode>(curlResult);
    if (result != CURLE_OK) {
        fail(makeError(errorCodeForCurl(result, osErrno)));
        return;
    }
    if (!headDone) {
        fail(makeError(URLErrorBadServerResponse));
        return;
    }
    if (!redirecting || target.empty()) {
        finish();
        return;
    }

    if (++m_redirects > MaximumRedirects) {
        fail(makeError(URLErrorHTTPTooManyRedirects));
        return;
    }
    auto next = ns::URL::withString(target);
    if (!next) {
        fail(makeError(URLErrorBadServerResponse));
        return;
    }
    auto previous = m_current->URL();
    auto proposed = m_current->mutableCopy();
    proposed->setURL(next);
    const std::string method = proposed->HTTPMethod();
    // A 303 asks for a GET; so do 301 and 302 after a POST, as browsers do. 307 and 308 repeat the request.
    if ((status == 303 && method != "HEAD") || ((status == 301 || status == 302) && method == "POST")) {
        proposed->setHTTPMethod("GET");
        proposed->setHTTPBody(nullptr);
        proposed->setValue(std::nullopt, "Content-Type");
        proposed->setValue(std::nullopt, "Content-Length");
    }
    // Credentials stay with the origin they were given for.
    if (!previous || !sameOrigin(*previous, *next))
        proposed->setValue(std::nullopt, "Authorization");
    if (previous && !mayRedirect(*previous, *proposed)) {
        fail(makeError(URLErrorRedirectRefused));
        return;
    }
    Ref<URLRequest> chosen = proposed;
    if (m_delegate) {
        chosen = m_delegate->connectionWillSendRequest(*this, proposed, m_lastResponse);
        if (m_state != State::Running)
            return; // cancelled while asked
    }
    if (!chosen || !chosen->URL()) {
        finish();
        return;
    }
    if (previous && !mayRedirect(*previous, *chosen)) {
        fail(makeError(URLErrorRedirectRefused));
        return;
    }
    m_current = chosen == proposed ? proposed : chosen->mutableCopy();
    Ref<Error> error;
    if (!beginHop(&error))
        fail(error);
}

void URLConnection::fail(Ref<Error> error)
{
    if (m_state != State::Running)
        return;
    auto keep = self<URLConnection>();
    auto delegate = m_delegate;
    end();
    if (delegate)
        delegate->connectionDidFailWithError(*this, error);
}

void URLConnection::timeOut()
{
    if (m_state == State::Running)
        fail(makeError(URLErrorTimedOut));
}

void URLConnection::finish()
{
    if (m_state != State::Running)
        return;
    auto keep = self<URLConnection>();
    auto delegate = m_delegate;
    end();
    if (delegate)
        delegate->connectionDidFinishLoading(*this);
}

void URLConnection::end()
{
    m_state = State::Done;
    auto loader = m_loader.lock();
    if (loader)
        loader->loop().cancelPerforms(this, "timeOut");
    if (m_transfer) {
        if (loader)
            loader->remove(this, m_transfer->easy.get());
        m_transfer.reset();
    }
    m_delegate.reset();
    m_keepAlive.reset();
}

void URLConnection::cancel()
{
    if (m_state == State::Done)
        return;
    auto keep = weak_from_this().lock();
    end();
}

// MARK: Synchronous loading

namespace {

class Collector : public URLConnectionDelegate
{
public:
    explicit Collector(bool followRedirects) : m_followRedirects(followRedirects) {}

    Ref<URLRequest> connectionWillSendRequest(URLConnection&, const Ref<URLRequest>& request,
                                              const Ref<URLResponse>&) override
    {
        return m_followRedirects ? request : nullptr;
    }
    void connectionDidReceiveResponse(URLConnection&, const Ref<URLResponse>& response) override
    {
        m_response = response;
        m_body.clear();
    }
    void connectionDidReceiveData(URLConnection&, const Ref<Data>& data) override
    {
        m_body.insert(m_body.end(), data->bytes().begin(), data->bytes().end());
    }
    void connectionDidFailWithError(URLConnection&, const Ref<Error>& error) override
    {
        m_error = error;
        m_done = true;
    }
    void connectionDidFinishLoading(URLConnection&) override { m_done = true; }

    bool m_followRedirects;
    bool m_done = false;
    Ref<URLResponse> m_response;
    std::vector<uint8_t> m_body;
    Ref<Error> m_error;
};

// The synchronous loads of a thread share one loop and one loader, kept from call to call; a call made
// while another runs (from inside one of its callbacks) gets its own.
struct SynchronousLoading
{
    RunLoop loop;
    Ref<URLLoader> loader = std::make_shared<URLLoader>(loop);
    bool busy = false;
};

} // namespace

namespace {

// Runs the request on a loop of its own until the collector has heard the end; false on failure.
bool runSynchronously(const Ref<URLConnection>& connection, const std::shared_ptr<Collector>& collector,
                      Ref<URLResponse>* response, Ref<Error>* error,
                      const std::function<void(const Ref<URLLoader>&)>& start)
{
    if (response)
        *response = nullptr;
    if (!connection) {
        auto info = MutableDictionary::make();
        info->setObject(String::make(describeCode(URLErrorBadURL)), LocalizedDescriptionKey);
        setError(error, Error::make(URLErrorDomain, URLErrorBadURL, info));
        return false;
    }
    thread_local std::unique_ptr<SynchronousLoading> kept;
    std::unique_ptr<SynchronousLoading> own;
    SynchronousLoading* loading = kept.get();
    if (!loading) {
        kept = std::make_unique<SynchronousLoading>();
        loading = kept.get();
    } else if (loading->busy) {
        own = std::make_unique<SynchronousLoading>();
        loading = own.get();
    }
    loading->busy = true;
    start(loading->loader);
    loading->loop.runUntil([&] { return collector->m_done; });
    loading->busy = false;
    if (response)
        *response = collector->m_response;
    if (collector->m_error) {
        setError(error, collector->m_error);
        return false;
    }
    return true;
}

} // namespace

Ref<Data> URLConnection::sendSynchronousRequest(const Ref<URLRequest>& request, Ref<URLResponse>* response,
                                                Ref<Error>* error, bool followRedirects)
{
    auto collector = std::make_shared<Collector>(followRedirects);
    auto connection = make(request, collector, false);
    if (!runSynchronously(connection, collector, response, error,
                          [&](const Ref<URLLoader>& loader) { connection->startOn(loader); }))
        return nullptr;
    return Data::make(std::move(collector->m_body));
}

bool URLConnection::sendSynchronousRequest(const Ref<URLRequest>& request, Ref<URLResponse>* response,
                                           Ref<Error>* error, std::vector<uint8_t>& body)
{
    body.clear();
    auto collector = std::make_shared<Collector>(true);
    auto connection = make(request, collector, false);
    return runSynchronously(connection, collector, response, error, [&](const Ref<URLLoader>& loader) {
        connection->m_replySink = &body;
        connection->startOn(loader);
    });
}

} // namespace ns
