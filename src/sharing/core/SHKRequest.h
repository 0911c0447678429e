#pragma once

#include "foundation/Data.h"
#include "foundation/URLConnection.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

namespace ns {
class Dictionary;
class MutableDictionary;
class URL;
} // namespace ns

class SHKRequest;

// The operation a finished request calls on its delegate, with the request. A delegate of another class
// does not answer it, and neither does an empty selector.
using SHKRequestSelector = std::function<bool(ns::Object& delegate, SHKRequest& request)>;

// A selector from a member function of the delegate's class.
template <class T> SHKRequestSelector SHKRequestFinishSelector(void (T::*member)(SHKRequest&))
{
    return [member](ns::Object& delegate, SHKRequest& request) {
        auto* target = dynamic_cast<T*>(&delegate);
        if (!target)
            return false;
        (target->*member)(request);
        return true;
    };
}

// The framework's one-shot asynchronous HTTP request: a URL, an optional body text already encoded by the
// caller, a method and header fields go out; the finish selector is called once on the delegate, on the
// run loop of the thread that started it, and the delegate is let go. The status, the response's header
// fields and the body are then read from the request. Every property reads and writes whole.
class SHKRequest : public ns::Object, public ns::URLConnectionDelegate
{
public:
    static constexpr ns::TimeInterval Timeout = 90;

    // Stores the values and, with autostart, starts before returning. Without a method the request is a
    // GET; the method is sent as given whether or not there is a body.
    static ns::Ref<SHKRequest> create(ns::Ref<ns::URL> url, std::optional<std::string> params,
                                      ns::Id delegate, SHKRequestSelector isFinishedSelector,
                                      std::optional<std::string> method, bool autostart);

    // Sends the request. A subclass may override it and call it. A request that cannot go out (no URL)
    // finishes unsuccessfully on a later turn of the run loop, as a failed connection would.
    virtual void start();

    // The body as UTF-8 text; nothing when it is not valid UTF-8. Made once, on first request.
    std::optional<std::string> getResult();

    ns::Ref<ns::URL> url() const;
    void setURL(ns::Ref<ns::URL> url);
    std::optional<std::string> params() const;
    void setParams(std::optional<std::string> params);
    std::optional<std::string> method() const;
    void setMethod(std::optional<std::string> method);
    // Header fields to send, text to text; set before start. They replace every field of the request.
    ns::Ref<ns::Dictionary> headerFields() const;
    void setHeaderFields(ns::Ref<ns::Dictionary> fields);
    ns::Id delegate() const;
    void setDelegate(ns::Id delegate);
    SHKRequestSelector isFinishedSelector() const;
    void setIsFinishedSelector(SHKRequestSelector selector);

    ns::Ref<ns::URLConnection> connection() const;
    // The last response received; nothing when no server answered.
    ns::Ref<ns::HTTPURLResponse> response() const;
    // A mutable copy of the last response's header fields, names as received (the response itself looks
    // them up without regard to case).
    ns::Ref<ns::MutableDictionary> headers() const;
    // The body received so far (since the last response).
    ns::Ref<ns::Data> data() const;
    // The status code of the last response, 0 without one.
    int statusCode() const;
    bool success() const { return m_success.load(); }

    void connectionDidReceiveResponse(ns::URLConnection&, const ns::Ref<ns::URLResponse>& response) override;
    void connectionDidReceiveData(ns::URLConnection&, const ns::Ref<ns::Data>& data) override;
    void connectionDidFailWithError(ns::URLConnection&, const ns::Ref<ns::Error>& error) override;
    void connectionDidFinishLoading(ns::URLConnection&) override;

    std::string className() const override { return "SHKRequest"; }
    // "method: …\nurl: …\nparams: …\nresponse: STATUS (TEXT)\ndata: BODY".
    std::string description() const override;

protected:
    SHKRequest(ns::Ref<ns::URL> url, std::optional<std::string> params, std::optional<std::string> method,
               ns::Id delegate, SHKRequestSelector isFinishedSelector);
    friend ns::Factory<SHKRequest>;

    // Calls the finish selector once and lets the delegate go.
    void finish();

private:
    mutable std::mutex m_mutex;
    ns::Ref<ns::URL> m_url;
    std::optional<std::string> m_params;
    std::optional<std::string> m_method;
    ns::Ref<ns::Dictionary> m_headerFields;
    ns::Id m_delegate;
    SHKRequestSelector m_isFinishedSelector;
    ns::Ref<ns::URLConnection> m_connection;
    ns::Ref<ns::HTTPURLResponse> m_response;
    mutable ns::Ref<ns::MutableDictionary> m_headers;
    std::vector<uint8_t> m_data;
    std::optional<std::optional<std::string>> m_result;
    std::atomic<bool> m_success{false};
    bool m_finished = false;
    bool m_failed = false; // the connection failed, even after a response
};
