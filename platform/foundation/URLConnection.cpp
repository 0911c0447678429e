#include "foundation/URLConnection.h"

#include "foundation/Ascii.h"
#include "foundation/CHandle.h"
#include "foundation/Dictionary.h"
#include "foundation/Error.h"
#include "foundation/HTTPCookieStorage.h"
#include "foundation/RunLoop.h"
#include "foundation/String.h"
#include "foundation/Text.h"
#include "foundation/URL.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <curl/curl.h>
#include <map>
#include <mutex>
#include <optional>
#include <poll.h>
#include <sys/timerfd.h>
#include <unistd.h>
#include <vector>

namespace ns {

using SteadyClock = std::chrono::steady_clock;

namespace {

void initialiseCurl()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// A request that waits forever is never wanted: a missing, negative or absurd timeout gets the default.
TimeInterval boundedTimeout(TimeInterval timeout)
{
    if (!(timeout > 0) || timeout > 3600)
        return URLRequestDefaultTimeout;
    return timeout;
}

using CurlURL = CHandle<CURLU, curl_url_cleanup>;

std::optional<std::string> urlPart(CURLU* url, CURLUPart part, unsigned flags = 0)
{
    char* value = nullptr;
    if (curl_url_get(url, part, &value, flags) != CURLUE_OK || !value)
        return std::nullopt;
    CHandle<char, curl_free> holder(value);
    return std::string(value);
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

} // namespace

// MARK: URLLoader

// The transfers of one run loop: a libcurl multi handle whose sockets are the loop's sources and whose
// timer, together with each transfer's idle deadline, is a timer descriptor on the loop. Real time, so the
// manual clock of tests never holds back a socket timeout.
class URLLoader
{
public:
    explicit URLLoader(RunLoop& loop);
    ~URLLoader();
    URLLoader(const URLLoader&) = delete;
    URLLoader& operator=(const URLLoader&) = delete;

    static Ref<URLLoader> forCurrentThread();

    RunLoop& loop() { return m_loop; }
    bool isValid() const { return m_multi && m_timerFd >= 0; }
    bool add(const Ref<URLConnection>& connection, CURL* easy);
    void remove(URLConnection* connection, CURL* easy);
    void rearm();

private:
    static int socketCallback(CURL* easy, curl_socket_t socket, int what, void* loader, void* socketData);
    static int timerCallback(CURLM* multi, long timeoutMs, void* loader);
    void onSocket(curl_socket_t socket, short revents);
    void onTimer();
    void afterCurl(std::vector<Ref<URLConnection>> timedOut = {});

    RunLoop& m_loop;
    CHandle<CURLM, curl_multi_cleanup> m_multi;
    int m_timerFd = -1;
    int m_timerSource = 0;
    std::map<curl_socket_t, int> m_sockets;
    std::vector<Ref<URLConnection>> m_active;
    std::optional<SteadyClock::time_point> m_curlDeadline;
};

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
    HTTPResponseHeadParser parser;
    bool headDone = false;
    bool redirecting = false;
    long ownFailure = 0; // a failure found by us rather than by libcurl
    std::vector<Event> pending;
    TimeInterval timeout = URLRequestDefaultTimeout;
    SteadyClock::time_point deadline;
    curl_off_t uploaded = 0;
    char errorBuffer[CURL_ERROR_SIZE] = {};

    void touch()
    {
        deadline = SteadyClock::now() +
                   std::chrono::duration_cast<SteadyClock::duration>(std::chrono::duration<double>(timeout));
    }

    static size_t onHeader(char* bytes, size_t size, size_t count, void* context);
    static size_t onData(char* bytes, size_t size, size_t count, void* context);
    static int onProgress(void* context, curl_off_t, curl_off_t, curl_off_t, curl_off_t uploadedNow);
};

URLLoader::URLLoader(RunLoop& loop) : m_loop(loop)
{
    initialiseCurl();
    m_multi.reset(curl_multi_init());
    m_timerFd = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (!m_multi || m_timerFd < 0)
        return;
    curl_multi_setopt(m_multi.get(), CURLMOPT_SOCKETFUNCTION, &URLLoader::socketCallback);
    curl_multi_setopt(m_multi.get(), CURLMOPT_SOCKETDATA, this);
    curl_multi_setopt(m_multi.get(), CURLMOPT_TIMERFUNCTION, &URLLoader::timerCallback);
    curl_multi_setopt(m_multi.get(), CURLMOPT_TIMERDATA, this);
    m_timerSource = m_loop.addSource(m_timerFd, POLLIN, [this](short) { onTimer(); });
}

URLLoader::~URLLoader()
{
    // Connections still running when their thread ends are dropped without a report.
    auto active = std::move(m_active);
    for (auto& connection : active) {
        if (connection->m_transfer && connection->m_transfer->easy)
            curl_multi_remove_handle(m_multi.get(), connection->m_transfer->easy.get());
        connection->m_state = URLConnection::State::Done;
        connection->m_transfer.reset();
        connection->m_delegate.reset();
        connection->m_keepAlive.reset();
    }
    for (auto& [socket, source] : m_sockets)
        m_loop.removeSource(source);
    if (m_timerSource)
        m_loop.removeSource(m_timerSource);
    m_multi.reset(); // in its place in the order: after the sources, before the timer
    if (m_timerFd >= 0)
        close(m_timerFd);
}

Ref<URLLoader> URLLoader::forCurrentThread()
{
    // The thread's loop is made first so that it is destroyed after the loader, which removes its sources.
    RunLoop& loop = RunLoop::current();
    thread_local Ref<URLLoader> loader;
    if (!loader)
        loader = std::make_shared<URLLoader>(loop);
    return loader;
}

bool URLLoader::add(const Ref<URLConnection>& connection, CURL* easy)
{
    if (!isValid() || curl_multi_add_handle(m_multi.get(), easy) != CURLM_OK)
        return false;
    m_active.push_back(connection);
    rearm();
    return true;
}

void URLLoader::remove(URLConnection* connection, CURL* easy)
{
    if (easy)
        curl_multi_remove_handle(m_multi.get(), easy);
    std::erase_if(m_active,
                  [connection](const Ref<URLConnection>& active) { return active.get() == connection; });
    rearm();
}

int URLLoader::socketCallback(CURL*, curl_socket_t socket, int what, void* context, void*)
{
    auto* self = static_cast<URLLoader*>(context);
    if (auto found = self->m_sockets.find(socket); found != self->m_sockets.end()) {
        self->m_loop.removeSource(found->second);
        self->m_sockets.erase(found);
    }
    if (what == CURL_POLL_REMOVE)
        return 0;
    short events = 0;
    if (what & CURL_POLL_IN)
        events |= POLLIN;
    if (what & CURL_POLL_OUT)
        events |= POLLOUT;
    self->m_sockets[socket] = self->m_loop.addSource(
        socket, events, [self, socket](short revents) { self->onSocket(socket, revents); });
    return 0;
}

int URLLoader::timerCallback(CURLM*, long timeoutMs, void* context)
{
    auto* self = static_cast<URLLoader*>(context);
    if (timeoutMs < 0)
        self->m_curlDeadline.reset();
    else
        self->m_curlDeadline = SteadyClock::now() + std::chrono::milliseconds(timeoutMs);
    self->rearm();
    return 0;
}

void URLLoader::rearm()
{
    if (m_timerFd < 0)
        return;
    std::optional<SteadyClock::time_point> next = m_curlDeadline;
    for (const auto& connection : m_active)
        if (connection->m_transfer && (!next || connection->m_transfer->deadline < *next))
            next = connection->m_transfer->deadline;
    itimerspec spec{};
    if (next) {
        auto since = std::chrono::duration_cast<std::chrono::nanoseconds>(next->time_since_epoch()).count();
        if (since <= 0)
            since = 1; // zero would disarm
        spec.it_value.tv_sec = static_cast<time_t>(since / 1000000000);
        spec.it_value.tv_nsec = static_cast<long>(since % 1000000000);
    }
    timerfd_settime(m_timerFd, next ? TFD_TIMER_ABSTIME : 0, &spec, nullptr);
}

void URLLoader::onSocket(curl_socket_t socket, short revents)
{
    int flags = 0;
    if (revents & (POLLIN | POLLHUP))
        flags |= CURL_CSELECT_IN;
    if (revents & POLLOUT)
        flags |= CURL_CSELECT_OUT;
    if (revents & (POLLERR | POLLNVAL))
        flags |= CURL_CSELECT_ERR;
    int running = 0;
    curl_multi_socket_action(m_multi.get(), socket, flags, &running);
    afterCurl();
}

void URLLoader::onTimer()
{
    uint64_t expirations = 0;
    ssize_t got = read(m_timerFd, &expirations, sizeof expirations);
    (void)got;
    auto now = SteadyClock::now();
    if (m_curlDeadline && *m_curlDeadline <= now) {
        m_curlDeadline.reset();
        int running = 0;
        curl_multi_socket_action(m_multi.get(), CURL_SOCKET_TIMEOUT, 0, &running);
    }
    std::vector<Ref<URLConnection>> timedOut;
    for (const auto& connection : m_active)
        if (connection->m_transfer && connection->m_transfer->deadline <= now)
            timedOut.push_back(connection);
    afterCurl(std::move(timedOut));
}

void URLLoader::afterCurl(std::vector<Ref<URLConnection>> timedOut)
{
    // Reports are made here, outside libcurl's callbacks, so that a delegate may cancel or start loads.
    std::vector<std::pair<Ref<URLConnection>, CURLcode>> done;
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(m_multi.get(), &left)) {
        if (message->msg != CURLMSG_DONE)
            continue;
        for (const auto& connection : m_active)
            if (connection->m_transfer && connection->m_transfer->easy.get() == message->easy_handle)
                done.emplace_back(connection, message->data.result);
    }
    for (auto& connection : timedOut) {
        bool alreadyDone = false;
        for (const auto& [finished, result] : done)
            alreadyDone = alreadyDone || finished == connection;
        if (!alreadyDone)
            done.emplace_back(connection, CURLE_OPERATION_TIMEDOUT);
    }
    auto active = m_active;
    for (const auto& connection : active)
        connection->deliverPending();
    for (const auto& [connection, result] : done)
        connection->complete(result);
    rearm();
}

// MARK: Transfer callbacks

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
    return length;
}

size_t URLConnection::Transfer::onData(char* bytes, size_t size, size_t count, void* context)
{
    auto* transfer = static_cast<Transfer*>(context);
    size_t length = size * count;
    transfer->touch();
    if (transfer->redirecting || length == 0)
        return length; // a redirect's own body is nobody's data
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

// MARK: URLConnection

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
    const Ref<ns::URL>& url = m_current->URL();
    CurlURL parsed(curl_url());
    if (!url || !parsed) {
        setError(error, makeError(URLErrorBadURL));
        return false;
    }
    const std::string& text = url->absoluteString();
    if (!url->scheme()) {
        setError(error, makeError(URLErrorUnsupportedURL));
        return false;
    }
    std::string scheme = toLowerAscii(*url->scheme());
    if (scheme != "http" && scheme != "https") {
        setError(error, makeError(URLErrorUnsupportedURL));
        return false;
    }
    if (text.find_first_of(std::string_view("\0\r\n", 3)) != std::string::npos ||
        curl_url_set(parsed.get(), CURLUPART_URL, text.c_str(), 0) != CURLUE_OK) {
        setError(error, makeError(URLErrorBadURL));
        return false;
    }
    // Credentials leave the address and go in the Authorization field, percent-decoded.
    auto user = urlPart(parsed.get(), CURLUPART_USER, CURLU_URLDECODE);
    auto password = urlPart(parsed.get(), CURLUPART_PASSWORD, CURLU_URLDECODE);
    curl_url_set(parsed.get(), CURLUPART_USER, nullptr, 0);
    curl_url_set(parsed.get(), CURLUPART_PASSWORD, nullptr, 0);
    auto wireURL = urlPart(parsed.get(), CURLUPART_URL);
    auto host = urlPart(parsed.get(), CURLUPART_HOST);
    if (!wireURL || !host || host->empty()) {
        setError(error, makeError(URLErrorBadURL));
        return false;
    }

    auto transfer = std::make_unique<Transfer>();
    transfer->easy.reset(curl_easy_init());
    if (!transfer->easy) {
        setError(error, makeError(URLErrorUnknown));
        return false;
    }
    transfer->url = url;
    transfer->timeout = boundedTimeout(m_current->timeoutInterval());
    transfer->handleCookies = m_current->HTTPShouldHandleCookies();
    CURL* easy = transfer->easy.get();

    curl_easy_setopt(easy, CURLOPT_URL, wireURL->c_str());
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION,
                     0L); // redirects are ours: cookies and reports between hops
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(transfer->timeout * 1000));
    curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, "");
    curl_easy_setopt(easy, CURLOPT_USERAGENT, "Velmo/1.0");
    curl_easy_setopt(easy, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, transfer->errorBuffer);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &Transfer::onHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, transfer.get());
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Transfer::onData);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, transfer.get());
    curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, &Transfer::onProgress);
    curl_easy_setopt(easy, CURLOPT_XFERINFODATA, transfer.get());
    curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
    // The loopback never goes through a proxy, whatever the environment says.
    {
        std::string noProxy = "localhost,127.0.0.1,::1";
        for (const char* name : {"no_proxy", "NO_PROXY"})
            if (const char* value = std::getenv(name); value && *value)
                noProxy += std::string(",") + value;
        curl_easy_setopt(easy, CURLOPT_NOPROXY, noProxy.c_str()); // copied by libcurl
    }

    const std::string& method = m_current->HTTPMethod();
    Ref<Data> body = m_current->HTTPBody();
    bool sendsBody = false;
    if (method == "GET") {
        curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
    } else if (method == "HEAD") {
        curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
    } else {
        if (method == "POST")
            curl_easy_setopt(easy, CURLOPT_POST, 1L);
        else
            curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, method.c_str());
        transfer->body = body ? body : Data::make({});
        static const char empty = 0;
        const char* bytes =
            transfer->body->length() ? reinterpret_cast<const char*>(transfer->body->data()) : &empty;
        curl_easy_setopt(easy, CURLOPT_POSTFIELDS, bytes);
        curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE,
                         static_cast<curl_off_t>(transfer->body->length()));
        sendsBody = transfer->body->length() > 0 || method == "POST";
    }

    CHandle<curl_slist, curl_slist_free_all> list;
    auto append = [&](const std::string& line) {
        if (curl_slist* grown = curl_slist_append(list.get(), line.c_str())) {
            (void)list.release(); // the same list, or a new one when it was empty
            list.reset(grown);
        }
    };
    bool haveContentType = false, haveCookie = false, haveAuthorization = false;
    for (const auto& [name, value] : m_current->headerFields()) {
        haveContentType = haveContentType || equalsIgnoringAsciiCase(name, "Content-Type");
        haveCookie = haveCookie || equalsIgnoringAsciiCase(name, "Cookie");
        haveAuthorization = haveAuthorization || equalsIgnoringAsciiCase(name, "Authorization");
        // libcurl sends "Name;" as a field with an empty value and drops "Name:".
        append(value.empty() ? name + ";" : name + ": " + value);
    }
    if (sendsBody && body && body->length() > 0 && !haveContentType)
        append("Content-Type: application/x-www-form-urlencoded");
    append("Expect:"); // no 100-continue round trip
    if (transfer->handleCookies && !haveCookie) {
        auto path = urlPart(parsed.get(), CURLUPART_PATH).value_or("/");
        auto cookies = HTTPCookieStorage::shared().cookiesFor(*host, path, scheme == "https");
        auto fields = HTTPCookieStorage::requestHeaderFieldsWithCookies(cookies);
        if (auto cookie = fields->stringForKey("Cookie"))
            append("Cookie: " + *cookie);
    }
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, list.get());
    transfer->headers = std::move(list);
    if (user && !haveAuthorization) {
        curl_easy_setopt(easy, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC));
        curl_easy_setopt(easy, CURLOPT_USERNAME, user->c_str());
        curl_easy_setopt(easy, CURLOPT_PASSWORD, password.value_or("").c_str());
    }

    transfer->touch();
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
        if (event.response)
            delegate->connectionDidReceiveResponse(*this, event.response);
        else
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
    m_current->setURL(next);
    const std::string method = m_current->HTTPMethod();
    // A 303 asks for a GET; so do 301 and 302 after a POST, as browsers do. 307 and 308 repeat the request.
    if ((status == 303 && method != "HEAD") || ((status == 301 || status == 302) && method == "POST")) {
        m_current->setHTTPMethod("GET");
        m_current->setHTTPBody(nullptr);
        m_current->setValue(std::nullopt, "Content-Type");
        m_current->setValue(std::nullopt, "Content-Length");
    }
    // Credentials stay with the origin they were given for.
    bool sameOrigin = previous && previous->scheme() == next->scheme() && previous->host() == next->host() &&
                      previous->port() == next->port();
    if (!sameOrigin)
        m_current->setValue(std::nullopt, "Authorization");
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
    if (m_transfer) {
        if (auto loader = m_loader.lock())
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

    bool m_done = false;
    Ref<URLResponse> m_response;
    std::vector<uint8_t> m_body;
    Ref<Error> m_error;
};

} // namespace

Ref<Data> URLConnection::sendSynchronousRequest(const Ref<URLRequest>& request, Ref<URLResponse>* response,
                                                Ref<Error>* error)
{
    if (response)
        *response = nullptr;
    auto collector = std::make_shared<Collector>();
    auto connection = make(request, collector, false);
    if (!connection) {
        auto info = MutableDictionary::make();
        info->setObject(String::make(describeCode(URLErrorBadURL)), LocalizedDescriptionKey);
        setError(error, Error::make(URLErrorDomain, URLErrorBadURL, info));
        return nullptr;
    }
    RunLoop loop;
    auto loader = std::make_shared<URLLoader>(loop);
    connection->startOn(loader);
    loop.runUntil([&] { return collector->m_done; });
    if (response)
        *response = collector->m_response;
    if (collector->m_error) {
        setError(error, collector->m_error);
        return nullptr;
    }
    return Data::make(std::move(collector->m_body));
}

} // namespace ns
