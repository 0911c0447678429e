#pragma once

#include "foundation/Date.h"
#include "foundation/Object.h"

#include <thrift/transport/TVirtualTransport.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace ns {
class Data;
class URL;
} // namespace ns

// The note service's transport: HTTP POST through the platform's URL loading. What the protocol writes
// collects in a buffer; each flush sends the bytes written since the last one as the body of one
// synchronous request, and the reply's body becomes what is read next. A failed request raises a
// transport exception: "Could not make HTTP request" when no reply came (no connection, a timeout, a
// certificate that does not verify), "Unexpected NSURLResponse type: %@" for a reply that is not HTTP's and
// "Bad response from HTTP server: %d" for a status other than 200. Calls block: use it off the main
// thread.
class THTTPClient : public apache::thrift::transport::TVirtualTransport<THTTPClient>
{
public:
    // Made from the address alone; nothing makes every flush fail with the first text.
    static std::shared_ptr<THTTPClient> initWithURL(ns::Ref<ns::URL> url);
    explicit THTTPClient(ns::Ref<ns::URL> url);

    static constexpr const char* ContentType = "application/x-thrift";
    static constexpr const char* UserAgent = "Cocoa/THTTPClient";

    const ns::Ref<ns::URL>& URL() const { return m_url; }
    // The longest wait for the service's next byte; the platform's default unless set.
    ns::TimeInterval timeoutInterval() const { return m_timeout; }
    void setTimeoutInterval(ns::TimeInterval timeout) { m_timeout = timeout; }

    bool isOpen() const override { return true; }
    void open() override {}
    void close() override {}

    uint32_t read(uint8_t* buffer, uint32_t length);
    void write(const uint8_t* buffer, uint32_t length);
    // Room for that many more bytes of the request, made at once, for a caller that knows what it writes.
    void reserve(std::size_t bytes);
    void flush() override;
    // The reply is whole in memory: a borrow longer than what is left can never be met, so it ends the
    // reading at once instead of leaving the reader to make room for bytes that will never come.
    const uint8_t* borrow(uint8_t* buffer, uint32_t* length);
    void consume(uint32_t length);

    // Makes the bytes the reply that reading starts on, as a flush leaves it: for checking the reading of
    // replies without a server.
    void takeReply(ns::Ref<ns::Data> body);

private:
    std::size_t remaining() const { return m_reply.size() - m_replyOffset; }

    ns::Ref<ns::URL> m_url;
    ns::TimeInterval m_timeout;
    std::vector<uint8_t> m_request;
    // The reply's body as the URL loading collected it, lent to the reader in place.
    std::vector<uint8_t> m_reply;
    std::size_t m_replyOffset = 0;
};
