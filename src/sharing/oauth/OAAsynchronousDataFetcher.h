#pragma once

#include "foundation/URLConnection.h"
#include "sharing/oauth/OADataFetcherSelectors.h"

#include <memory>

// Signs an OAuth request, sends it on the current thread's run loop and reports exactly once: finish
// (with the body; a status of 400 or more is a finish that did not succeed) or fail. After its report it
// no longer holds its delegate. A cancelled fetch reports nothing.
class OAAsynchronousDataFetcher : public ns::Object, public ns::URLConnectionDelegate
{
public:
    OAAsynchronousDataFetcher(ns::Ref<OAMutableURLRequest> request, ns::Id delegate,
                              OADidFinishSelector didFinishSelector, OADidFailSelector didFailSelector);
    static ns::Ref<OAAsynchronousDataFetcher>
    asynchronousFetcherWithRequest(ns::Ref<OAMutableURLRequest> request, ns::Id delegate,
                                   OADidFinishSelector didFinishSelector, OADidFailSelector didFailSelector);

    void start();
    void cancel();

    const ns::Ref<OAMutableURLRequest>& request() const { return m_request; }
    const ns::Ref<ns::HTTPURLResponse>& response() const { return m_response; }
    const ns::Ref<ns::URLConnection>& connection() const { return m_connection; }
    const ns::Id& delegate() const { return m_delegate; }

    void connectionDidReceiveResponse(ns::URLConnection&, const ns::Ref<ns::URLResponse>& response) override;
    void connectionDidReceiveData(ns::URLConnection&, const ns::Ref<ns::Data>& data) override;
    void connectionDidFailWithError(ns::URLConnection&, const ns::Ref<ns::Error>& error) override;
    void connectionDidFinishLoading(ns::URLConnection&) override;

    std::string className() const override { return "OAAsynchronousDataFetcher"; }

private:
    void reportFailure(const ns::Ref<ns::Error>& error);

    ns::Ref<OAMutableURLRequest> m_request;
    ns::Ref<ns::HTTPURLResponse> m_response;
    ns::Ref<ns::URLConnection> m_connection;
    std::unique_ptr<std::vector<uint8_t>> m_responseData;
    ns::Id m_delegate;
    OADidFinishSelector m_didFinishSelector;
    OADidFailSelector m_didFailSelector;
};
