#include "sharing/oauth/OAAsynchronousDataFetcher.h"

OAAsynchronousDataFetcher::OAAsynchronousDataFetcher(ns::Ref<OAMutableURLRequest> request, ns::Id delegate,
                                                     OADidFinishSelector didFinishSelector,
                                                     OADidFailSelector didFailSelector)
    : m_request(std::move(request)), m_delegate(std::move(delegate)),
      m_didFinishSelector(std::move(didFinishSelector)), m_didFailSelector(std::move(didFailSelector))
{
}

ns::Ref<OAAsynchronousDataFetcher> OAAsynchronousDataFetcher::asynchronousFetcherWithRequest(
    ns::Ref<OAMutableURLRequest> request, ns::Id delegate, OADidFinishSelector didFinishSelector,
    OADidFailSelector didFailSelector)
{
    return std::make_shared<OAAsynchronousDataFetcher>(
        std::move(request), std::move(delegate), std::move(didFinishSelector), std::move(didFailSelector));
}

void OAAsynchronousDataFetcher::start()
{
    ns::Ref<ns::Error> refused;
    if (m_request && !m_request->prepare(&refused)) {
        if (m_connection)
            m_connection->cancel();
        m_connection = nullptr;
        reportFailure(refused);
        return;
    }
    if (m_connection)
        m_connection->cancel();
    m_connection = nullptr;
    m_response = nullptr;
    m_responseData.reset();
    if (m_request)
        m_connection = ns::URLConnection::connectionWithRequest(m_request, self<OAAsynchronousDataFetcher>());
    if (m_connection) {
        m_responseData = std::make_unique<std::vector<uint8_t>>();
        return;
    }
    reportFailure(nullptr);
}

void OAAsynchronousDataFetcher::cancel()
{
    if (m_connection)
        m_connection->cancel();
    m_connection = nullptr;
}

void OAAsynchronousDataFetcher::connectionDidReceiveResponse(ns::URLConnection&,
                                                             const ns::Ref<ns::URLResponse>& response)
{
    m_response = ns::cast<ns::HTTPURLResponse>(response);
    if (m_responseData)
        m_responseData->clear();
}

void OAAsynchronousDataFetcher::connectionDidReceiveData(ns::URLConnection&, const ns::Ref<ns::Data>& data)
{
    if (m_responseData && data)
        m_responseData->insert(m_responseData->end(), data->bytes().begin(), data->bytes().end());
}

void OAAsynchronousDataFetcher::connectionDidFailWithError(ns::URLConnection&,
                                                           const ns::Ref<ns::Error>& error)
{
    reportFailure(error);
}

void OAAsynchronousDataFetcher::connectionDidFinishLoading(ns::URLConnection&)
{
    // Taken first, so that the delegate may let go of this fetcher, or of itself, inside the report.
    ns::Id delegate = std::move(m_delegate);
    m_delegate = nullptr;
    OADidFinishSelector selector = std::move(m_didFinishSelector);
    m_didFinishSelector = nullptr;
    m_didFailSelector = nullptr;
    auto keepAlive = self<OAAsynchronousDataFetcher>();
    bool didSucceed = m_response && m_response->statusCode() < 400;
    auto body = ns::Data::make(m_responseData ? std::move(*m_responseData) : std::vector<uint8_t>());
    m_responseData.reset();
    auto ticket = std::make_shared<OAServiceTicket>(m_request, m_response, didSucceed);
    if (delegate && selector)
        selector(*delegate, *ticket, body);
}

void OAAsynchronousDataFetcher::reportFailure(const ns::Ref<ns::Error>& error)
{
    ns::Id delegate = std::move(m_delegate);
    m_delegate = nullptr;
    OADidFailSelector selector = std::move(m_didFailSelector);
    m_didFailSelector = nullptr;
    m_didFinishSelector = nullptr;
    auto keepAlive = self<OAAsynchronousDataFetcher>();
    m_responseData.reset();
    auto ticket = std::make_shared<OAServiceTicket>(m_request, m_response, false);
    if (delegate && selector)
        selector(*delegate, *ticket, error);
}
