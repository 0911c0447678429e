#include "sharing/core/SHKRequest.h"

#include "foundation/Dictionary.h"
#include "foundation/Format.h"
#include "foundation/RunLoop.h"
#include "foundation/Text.h"
#include "foundation/URL.h"
#include "foundation/URLRequest.h"

SHKRequest::SHKRequest(ns::Ref<ns::URL> url, std::optional<std::string> params,
                       std::optional<std::string> method, ns::Id delegate,
                       SHKRequestSelector isFinishedSelector)
    : m_url(std::move(url)), m_params(std::move(params)), m_method(std::move(method)),
      m_delegate(std::move(delegate)), m_isFinishedSelector(std::move(isFinishedSelector))
{
}

ns::Ref<SHKRequest> SHKRequest::create(ns::Ref<ns::URL> url, std::optional<std::string> params,
                                       ns::Id delegate, SHKRequestSelector isFinishedSelector,
                                       std::optional<std::string> method, bool autostart)
{
    auto request = ns::Factory<SHKRequest>::make(std::move(url), std::move(params), std::move(method),
                                                 std::move(delegate), std::move(isFinishedSelector));
    if (autostart)
        request->start();
    return request;
}

void SHKRequest::start()
{
    ns::Ref<ns::MutableURLRequest> request;
    {
        std::lock_guard lock(m_mutex);
        m_data.clear();
        m_result.reset();
        m_response = nullptr;
        m_headers = nullptr;
        m_finished = false;
        m_success = false;
        request = ns::MutableURLRequest::requestWithURL(
            m_url, ns::URLRequestCachePolicy::ReloadIgnoringLocalAndRemoteCacheData, Timeout);
        if (m_headerFields)
            request->setAllHTTPHeaderFields(m_headerFields.get());
        // The method goes out as given: a POST without a body is still a POST.
        if (m_method && !m_method->empty())
            request->setHTTPMethod(*m_method);
        if (m_params)
            request->setHTTPBody(ns::Data::withString(*m_params));
    }
    ns::Ref<ns::URLConnection> connection;
    if (request->URL())
        connection = ns::URLConnection::connectionWithRequest(request, self<SHKRequest>());
    {
        std::lock_guard lock(m_mutex);
        m_connection = connection;
    }
    if (connection)
        return;
    // Nothing could go out: tell the delegate as a failed connection would, after the caller has kept
    // the request.
    ns::RunLoop::current().post([self = self<SHKRequest>()] { self->finish(); });
}

std::optional<std::string> SHKRequest::getResult()
{
    std::lock_guard lock(m_mutex);
    if (!m_result) {
        std::string_view bytes(reinterpret_cast<const char*>(m_data.data()), m_data.size());
        if (ns::isValidUtf8(bytes))
            m_result = std::optional<std::string>(std::string(bytes));
        else
            m_result = std::optional<std::string>();
    }
    return *m_result;
}

ns::Ref<ns::URL> SHKRequest::url() const
{
    std::lock_guard lock(m_mutex);
    return m_url;
}

void SHKRequest::setURL(ns::Ref<ns::URL> url)
{
    std::lock_guard lock(m_mutex);
    m_url = std::move(url);
}

std::optional<std::string> SHKRequest::params() const
{
    std::lock_guard lock(m_mutex);
    return m_params;
}

void SHKRequest::setParams(std::optional<std::string> params)
{
    std::lock_guard lock(m_mutex);
    m_params = std::move(params);
}

std::optional<std::string> SHKRequest::method() const
{
    std::lock_guard lock(m_mutex);
    return m_method;
}

void SHKRequest::setMethod(std::optional<std::string> method)
{
    std::lock_guard lock(m_mutex);
    m_method = std::move(method);
}

ns::Ref<ns::Dictionary> SHKRequest::headerFields() const
{
    std::lock_guard lock(m_mutex);
    return m_headerFields;
}

void SHKRequest::setHeaderFields(ns::Ref<ns::Dictionary> fields)
{
    std::lock_guard lock(m_mutex);
    m_headerFields = std::move(fields);
}

ns::Id SHKRequest::delegate() const
{
    std::lock_guard lock(m_mutex);
    return m_delegate;
}

void SHKRequest::setDelegate(ns::Id delegate)
{
    std::lock_guard lock(m_mutex);
    m_delegate = std::move(delegate);
}

SHKRequestSelector SHKRequest::isFinishedSelector() const
{
    std::lock_guard lock(m_mutex);
    return m_isFinishedSelector;
}

void SHKRequest::setIsFinishedSelector(SHKRequestSelector selector)
{
    std::lock_guard lock(m_mutex);
    m_isFinishedSelector = std::move(selector);
}

ns::Ref<ns::URLConnection> SHKRequest::connection() const
{
    std::lock_guard lock(m_mutex);
    return m_connection;
}

ns::Ref<ns::HTTPURLResponse> SHKRequest::response() const
{
    std::lock_guard lock(m_mutex);
    return m_response;
}

ns::Ref<ns::MutableDictionary> SHKRequest::headers() const
{
    std::lock_guard lock(m_mutex);
    if (!m_headers && m_response)
        m_headers = m_response->allHeaderFields()->mutableCopy();
    return m_headers;
}

ns::Ref<ns::Data> SHKRequest::data() const
{
    std::lock_guard lock(m_mutex);
    return ns::Data::make(m_data);
}

int SHKRequest::statusCode() const
{
    std::lock_guard lock(m_mutex);
    return m_response ? m_response->statusCode() : 0;
}

void SHKRequest::connectionDidReceiveResponse(ns::URLConnection&, const ns::Ref<ns::URLResponse>& response)
{
    std::lock_guard lock(m_mutex);
    m_response = ns::cast<ns::HTTPURLResponse>(response);
    m_headers = nullptr; // copied from the response when first asked for
    // A body that came before a redirect's final response is not the answer.
    m_data.clear();
    m_result.reset();
}

void SHKRequest::connectionDidReceiveData(ns::URLConnection&, const ns::Ref<ns::Data>& data)
{
    if (!data)
        return;
    std::lock_guard lock(m_mutex);
    m_data.insert(m_data.end(), data->bytes().begin(), data->bytes().end());
    m_result.reset();
}

void SHKRequest::connectionDidFailWithError(ns::URLConnection&, const ns::Ref<ns::Error>&)
{
    {
        std::lock_guard lock(m_mutex);
        m_failed = true;
    }
    finish();
}

void SHKRequest::connectionDidFinishLoading(ns::URLConnection&)
{
    finish();
}

void SHKRequest::finish()
{
    ns::Id delegate;
    SHKRequestSelector selector;
    {
        std::lock_guard lock(m_mutex);
        if (m_finished)
            return;
        m_finished = true;
        int status = m_response ? m_response->statusCode() : 0;
        // A reply cut short, too large or too slow is no success, whatever its head said.
        m_success = !m_failed && (status == 200 || status == 201);
        // Taken out first, so that the delegate may let go of this request inside the call.
        delegate = std::move(m_delegate);
        m_delegate = nullptr;
        selector = m_isFinishedSelector;
    }
    auto keepAlive = self<SHKRequest>();
    if (delegate && selector)
        selector(*delegate, *this);
}

std::string SHKRequest::description() const
{
    std::lock_guard lock(m_mutex);
    int status = m_response ? m_response->statusCode() : 0;
    std::string_view bytes(reinterpret_cast<const char*>(m_data.data()), m_data.size());
    std::optional<std::string> body;
    if (ns::isValidUtf8(bytes))
        body = std::string(bytes);
    return ns::format("method: %@\nurl: %@\nparams: %@\nresponse: %i (%@)\ndata: %@", m_method,
                      m_url ? std::optional<std::string>(m_url->absoluteString()) : std::nullopt, m_params,
                      status, ns::HTTPURLResponse::localizedStringForStatusCode(status), body);
}
