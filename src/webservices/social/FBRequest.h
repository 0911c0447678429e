#pragma once

#include "foundation/Data.h"
#include "foundation/Dictionary.h"
#include "foundation/Error.h"
#include "foundation/URLConnection.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

class FBRequest;

// The domain of every error the social network's client makes.
inline constexpr const char* FBErrorDomain = "facebookErrDomain";
// The code of an answer that is "false", an "error" object, or one with "error_msg" or "error_reason".
inline constexpr long FBGenericErrorCode = 10000;

// What a request tells. Every operation is optional: a delegate answers those it lists in respondsTo.
class FBRequestDelegate
{
public:
    enum class Operation {
        RequestLoading,
        DidReceiveResponse,
        DidFailWithError,
        DidLoad,
        DidLoadRawResponse
    };

    virtual ~FBRequestDelegate() = default;
    virtual bool respondsTo(Operation) const { return false; }

    virtual void requestLoading(FBRequest&) {}
    // request:didReceiveResponse:
    virtual void requestDidReceiveResponse(FBRequest&, const ns::Ref<ns::URLResponse>&) {}
    // request:didFailWithError:
    virtual void requestDidFailWithError(FBRequest&, const ns::Ref<ns::Error>&) {}
    // request:didLoad: with the parsed answer (a dictionary or an array).
    virtual void requestDidLoad(FBRequest&, const ns::Id&) {}
    // request:didLoadRawResponse:
    virtual void requestDidLoadRawResponse(FBRequest&, const ns::Ref<ns::Data>&) {}
};

// One call of the social network's API, Graph ("<graph>/me/feed") or REST ("<rest>/method/<name>"): the
// parameters go into the query, and a POST sends them again as a multipart body with the files; the
// answer is read as JSON and an API error becomes an error of "facebookErrDomain". An answer with an HTTP
// error status or one that is not JSON fails too.
class FBRequest : public ns::Object, public ns::URLConnectionDelegate
{
public:
    enum State : unsigned { NotStarted = 0, Loading = 1, Complete = 2, Failed = 3 };

    static constexpr const char* Boundary = "3i2ndDfv2rTHiSisAbouNdArYfORhtTPEefj3q2f";
    static constexpr const char* UserAgent = "FacebookConnect";
    static constexpr ns::TimeInterval Timeout = 180;

    // getRequestWithParams:httpMethod:delegate:requestURL:
    static ns::Ref<FBRequest> getRequestWithParams(ns::Ref<ns::MutableDictionary> params,
                                                   std::string httpMethod,
                                                   ns::Weak<FBRequestDelegate> delegate, std::string url);
    // serializeURL:params:httpMethod: the address with the text parameters as its query ("&" after an
    // existing query); images and data are left out.
    static std::string serializeURL(const std::string& baseURL, const ns::Dictionary* params,
                                    const std::string& httpMethod = "GET");
    ~FBRequest() override;

    ns::Ref<FBRequestDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(ns::Weak<FBRequestDelegate> delegate) { m_delegate = std::move(delegate); }
    const std::string& url() const { return m_url; }
    const std::string& httpMethod() const { return m_httpMethod; }
    const ns::Ref<ns::MutableDictionary>& params() const { return m_params; }
    const ns::Ref<ns::URLConnection>& connection() const { return m_connection; }
    // The bytes received so far, or nothing before a response and after the end.
    const std::optional<std::vector<uint8_t>>& responseText() const { return m_responseText; }
    unsigned state() const { return m_state; }
    // Every change goes through here, so that the observers of the state see it.
    void setState(unsigned state);
    const ns::Ref<ns::Error>& error() const { return m_error; }

    // Observers of the state, told after each change; the key removes them.
    using StateObserver = std::function<void(FBRequest& request, unsigned state)>;
    void addStateObserver(const void* key, StateObserver observer);
    void removeStateObserver(const void* key);

    // Opens the connection; the delegate hears requestLoading first.
    void connect();
    bool loading() const { return m_connection != nullptr; }

    // The multipart body of a POST (generatePostBody).
    ns::Ref<ns::Data> generatePostBody() const;
    // The answer table: a result, an error, or (for text that is not JSON) neither.
    static ns::Id parseJsonResponse(const ns::Data& data, ns::Ref<ns::Error>* error);
    static ns::Ref<ns::Error> formError(long code, ns::Ref<ns::Dictionary> userInfo);

    // The connection's reports.
    void connectionDidReceiveResponse(ns::URLConnection&, const ns::Ref<ns::URLResponse>& response) override;
    void connectionDidReceiveData(ns::URLConnection&, const ns::Ref<ns::Data>& data) override;
    void connectionDidFailWithError(ns::URLConnection&, const ns::Ref<ns::Error>& error) override;
    void connectionDidFinishLoading(ns::URLConnection&) override;

    std::string className() const override { return "FBRequest"; }

protected:
    FBRequest(ns::Ref<ns::MutableDictionary> params, std::string httpMethod,
              ns::Weak<FBRequestDelegate> delegate, std::string url);
    friend ns::Factory<FBRequest>;

private:
    bool delegateAnswers(FBRequestDelegate::Operation operation, ns::Ref<FBRequestDelegate>& delegate) const;
    void handleResponseData(const ns::Ref<ns::Data>& data);
    void failWithError(const ns::Ref<ns::Error>& error);

    ns::Weak<FBRequestDelegate> m_delegate;
    std::string m_url;
    std::string m_httpMethod;
    ns::Ref<ns::MutableDictionary> m_params;
    ns::Ref<ns::URLConnection> m_connection;
    std::optional<std::vector<uint8_t>> m_responseText;
    unsigned m_state = NotStarted;
    ns::Ref<ns::Error> m_error;
    std::optional<int> m_statusCode; // of the last HTTP response
    std::vector<std::pair<const void*, StateObserver>> m_stateObservers;
};
