#include "notes/transport/THTTPClient.h"

#include "foundation/Data.h"
#include "foundation/Error.h"
#include "foundation/Format.h"
#include "foundation/URL.h"
#include "foundation/URLConnection.h"
#include "foundation/URLRequest.h"
#include "foundation/URLResponse.h"

#include <thrift/transport/TTransportException.h>

#include <algorithm>
#include <cstring>

using apache::thrift::transport::TTransportException;

std::shared_ptr<THTTPClient> THTTPClient::initWithURL(ns::Ref<ns::URL> url)
{
    return std::make_shared<THTTPClient>(std::move(url));
}

THTTPClient::THTTPClient(ns::Ref<ns::URL> url)
    : m_url(std::move(url)), m_timeout(ns::URLRequestDefaultTimeout)
{
}

uint32_t THTTPClient::read(uint8_t* buffer, uint32_t length)
{
    auto count = static_cast<uint32_t>(std::min<std::size_t>(length, remaining()));
    if (count > 0) {
        std::memcpy(buffer, m_reply.data() + m_replyOffset, count);
        m_replyOffset += count;
    }
    return count;
}

// A call's request is mostly small; the first write makes room for such a request at once.
constexpr std::size_t FirstRequestRoom = 16 * 1024;

void THTTPClient::write(const uint8_t* buffer, uint32_t length)
{
    if (m_request.capacity() == 0)
        m_request.reserve(std::max<std::size_t>(FirstRequestRoom, length));
    m_request.insert(m_request.end(), buffer, buffer + length);
}

void THTTPClient::reserve(std::size_t bytes)
{
    m_request.reserve(m_request.size() + bytes);
}

const uint8_t* THTTPClient::borrow(uint8_t*, uint32_t* length)
{
    std::size_t left = remaining();
    if (*length > left)
        throw TTransportException(TTransportException::END_OF_FILE, "No more data to read.");
    *length = static_cast<uint32_t>(std::min<std::size_t>(left, UINT32_MAX));
    return m_reply.data() + m_replyOffset;
}

void THTTPClient::consume(uint32_t length)
{
    if (length > remaining())
        throw TTransportException(TTransportException::BAD_ARGS, "consume did not follow a borrow.");
    m_replyOffset += length;
}

void THTTPClient::takeReply(ns::Ref<ns::Data> body)
{
    if (body)
        m_reply.assign(body->bytes().begin(), body->bytes().end());
    else
        m_reply.clear();
    m_replyOffset = 0;
}

void THTTPClient::flush()
{
    // The request's bytes go whatever happens, and so does the last reply: nothing is read from a reply
    // to an earlier request.
    auto body = ns::Data::make(std::move(m_request));
    m_request = {};
    m_reply.clear();
    m_replyOffset = 0;
    resetConsumedMessageSize();

    auto request = ns::MutableURLRequest::requestWithURL(
        m_url, ns::URLRequestCachePolicy::ReloadIgnoringLocalCacheData, m_timeout);
    request->setHTTPMethod("POST");
    request->setValue(std::string(ContentType), "Content-Type");
    request->setValue(std::string(ContentType), "Accept");
    request->setValue(std::string(UserAgent), "User-Agent");
    request->setHTTPBody(std::move(body));

    ns::Ref<ns::URLResponse> response;
    ns::Ref<ns::Error> error;
    bool replied = m_url && ns::URLConnection::sendSynchronousRequest(request, &response, &error, m_reply);
    if (!replied) {
        m_reply.clear();
        throw TTransportException(TTransportException::UNKNOWN, "Could not make HTTP request");
    }
    auto http = ns::cast<ns::HTTPURLResponse>(response);
    if (!http) {
        m_reply.clear();
        throw TTransportException(
            TTransportException::UNKNOWN,
            ns::format("Unexpected NSURLResponse type: %@", response ? response->className() : "(null)"));
    }
    if (http->statusCode() != 200) {
        m_reply.clear();
        throw TTransportException(TTransportException::UNKNOWN,
                                  ns::format("Bad response from HTTP server: %d", http->statusCode()));
    }
}
