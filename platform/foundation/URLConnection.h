#pragma once

#include "foundation/Data.h"
#include "foundation/Object.h"
#include "foundation/URLRequest.h"
#include "foundation/URLResponse.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace ns {

class Error;
class RunLoop;
class URLConnection;
class URLLoader;

inline constexpr const char* URLErrorDomain = "NSURLErrorDomain";
inline constexpr const char* URLErrorFailingURLStringErrorKey = "NSErrorFailingURLStringKey";
inline constexpr const char* URLErrorFailingURLErrorKey = "NSErrorFailingURLKey";

// The platform's URL-loading error codes.
enum URLErrorCode : long {
    URLErrorUnknown = -1,
    URLErrorCancelled = -999,
    URLErrorBadURL = -1000,
    URLErrorTimedOut = -1001,
    URLErrorUnsupportedURL = -1002,
    URLErrorCannotFindHost = -1003,
    URLErrorCannotConnectToHost = -1004,
    URLErrorNetworkConnectionLost = -1005,
    URLErrorHTTPTooManyRedirects = -1007,
    URLErrorRedirectRefused = -1010,
    URLErrorNotConnectedToInternet = -1009,
    URLErrorBadServerResponse = -1011,
    URLErrorSecureConnectionFailed = -1200,
    URLErrorDataLengthExceedsMaximum = -1103,
    URLErrorServerCertificateUntrusted = -1202,
};

// What a connection tells, on the run loop of the thread that started it. Every operation is optional.
// After a response (again after each redirect) the data starts anew; then exactly one of failure or
// finish, unless the connection is cancelled, which reports nothing.
class URLConnectionDelegate
{
public:
    virtual ~URLConnectionDelegate() = default;

    // Before following a redirect: the request to send next (possibly changed), or nothing to stop there,
    // in which case the load finishes with the redirect's response and no data.
    virtual Ref<URLRequest> connectionWillSendRequest(URLConnection&, const Ref<URLRequest>& request,
                                                      const Ref<URLResponse>& /*redirectResponse*/)
    {
        return request;
    }
    virtual void connectionDidReceiveResponse(URLConnection&, const Ref<URLResponse>&) {}
    virtual void connectionDidReceiveData(URLConnection&, const Ref<Data>&) {}
    virtual void connectionDidFailWithError(URLConnection&, const Ref<Error>&) {}
    virtual void connectionDidFinishLoading(URLConnection&) {}
};

// One load of a URL over HTTP or HTTPS. It keeps itself and its delegate until its last report or cancel.
// Certificates are verified, the whole load ends within the request's timeout (on the clock, so a test
// moves it), a reply's body is bounded by the request's maximum, the shared cookie store's cookies are
// sent and the response's kept, a user and password in the URL become basic authentication, and a body
// without a content type is sent as a form. A redirect is refused (URLErrorRedirectRefused) when it would
// take an https request to http or a body to another origin; a request with a body always goes out on a
// connection of its own, so that it is never sent a second time behind its caller's back.
class URLConnection : public Object
{
public:
    // Starts at once; nothing when there is no request or no URL.
    static Ref<URLConnection> connectionWithRequest(const Ref<URLRequest>& request,
                                                    Ref<URLConnectionDelegate> delegate);
    static Ref<URLConnection> make(const Ref<URLRequest>& request, Ref<URLConnectionDelegate> delegate,
                                   bool startImmediately);

    // Loads on this thread's loop until done: the body (nothing on failure), the response and the error.
    // It runs on a loop of its own, so nothing else of the caller's loop runs meanwhile.
    // Without following redirects, the response is the first redirect's (and the body empty).
    static Ref<Data> sendSynchronousRequest(const Ref<URLRequest>& request, Ref<URLResponse>* response,
                                            Ref<Error>* error, bool followRedirects = true);
    // The same, with the body written straight into `body` as it arrives, which is made room for once
    // from the reply's Content-Length: no copy per chunk, for large replies. False on failure.
    static bool sendSynchronousRequest(const Ref<URLRequest>& request, Ref<URLResponse>* response,
                                       Ref<Error>* error, std::vector<uint8_t>& body);

    // On the run loop of the calling thread; a second call does nothing.
    void start();
    // Stops the load; the delegate hears nothing more and is let go.
    void cancel();

    Ref<URLRequest> originalRequest() const { return m_original; }
    Ref<URLRequest> currentRequest() const { return m_current; }
    bool isFinished() const;

    std::string className() const override { return "NSURLConnection"; }

    static constexpr int MaximumRedirects = 16;

    ~URLConnection() override;

protected:
    URLConnection(Ref<URLRequest> request, Ref<URLConnectionDelegate> delegate);
    friend Factory<URLConnection>;

private:
    friend class URLLoader;
    struct Transfer;
    enum class State { Idle, Running, Done };

    void startOn(const Ref<URLLoader>& loader);
    bool beginHop(Ref<Error>* error);
    void deliverPending();
    void complete(long curlResult);
    void fail(Ref<Error> error);
    void timeOut();
    void finish();
    void end();
    Ref<Error> makeError(long code) const;

    Ref<URLRequest> m_original;
    Ref<MutableURLRequest> m_current;
    Ref<URLResponse> m_lastResponse; // told the delegate last; a redirect's, when asked to follow it
    Ref<URLConnectionDelegate> m_delegate;
    Ref<URLConnection> m_keepAlive;
    std::weak_ptr<URLLoader> m_loader;
    std::unique_ptr<Transfer> m_transfer;
    State m_state = State::Idle;
    int m_redirects = 0;
    std::vector<uint8_t>* m_replySink = nullptr; // where the body goes instead of the delegate, when set
};

} // namespace ns
