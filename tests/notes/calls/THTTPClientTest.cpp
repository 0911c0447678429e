// The note service's transport against servers on 127.0.0.1: what one flush sends, what it reads back, and
// the text of each failure.

#include "notes/transport/THTTPClient.h"

#include "foundation/URL.h"
#include "testing/ClosedPort.h"
#include "testing/LoopbackServer.h"

#include <thrift/transport/TTransportException.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using apache::thrift::transport::TTransportException;
using testkit::ClosedPort;
using testkit::LoopbackServer;
using testkit::ScriptedReply;

namespace {

void write(THTTPClient& transport, const std::string& bytes)
{
    transport.write(reinterpret_cast<const uint8_t*>(bytes.data()), static_cast<uint32_t>(bytes.size()));
}

std::string readAll(THTTPClient& transport)
{
    std::string out;
    uint8_t buffer[3];
    while (uint32_t got = transport.read(buffer, sizeof buffer))
        out.append(reinterpret_cast<char*>(buffer), got);
    return out;
}

std::shared_ptr<THTTPClient> clientFor(const std::string& url)
{
    return THTTPClient::initWithURL(ns::URL::withString(url));
}

// The failure's text, or "" when the flush went through.
std::string flushFailure(THTTPClient& transport)
{
    try {
        transport.flush();
    } catch (const TTransportException& exception) {
        return exception.what();
    }
    return "";
}

} // namespace

TEST(THTTPClient, FlushPostsWhatWasWrittenAndReadsTheReply)
{
    LoopbackServer server;
    server.route("/store", ScriptedReply::text(200, std::string("re\0ply", 6)));
    ASSERT_TRUE(server.start());
    auto transport = clientFor(server.url("/store"));

    write(*transport, std::string("he\0", 3));
    write(*transport, "llo");
    transport->flush();

    auto request = server.lastRequest();
    ASSERT_TRUE(request);
    EXPECT_EQ(request->method, "POST");
    EXPECT_EQ(request->body, std::string("he\0llo", 6));
    EXPECT_EQ(request->header("Content-Type"), "application/x-thrift");
    EXPECT_EQ(request->header("Accept"), "application/x-thrift");
    EXPECT_EQ(request->header("User-Agent"), "Cocoa/THTTPClient");
    EXPECT_EQ(readAll(*transport), std::string("re\0ply", 6));

    // The next flush sends only what came after the last one, and its reply replaces the first.
    server.route("/store", ScriptedReply::text(200, "second"));
    write(*transport, "again");
    transport->flush();
    EXPECT_EQ(server.requestCount(), 2u);
    EXPECT_EQ(server.lastRequest()->body, "again");
    EXPECT_EQ(readAll(*transport), "second");
}

TEST(THTTPClient, EachFailureHasItsOwnTextAndLeavesNothingToRead)
{
    struct Row
    {
        const char* name;
        std::function<std::string(LoopbackServer& plain, LoopbackServer& tls, const ClosedPort& closed)> url;
        double timeout;
        std::string failure;
    };
    const std::string fixtures = std::string(VELMO_FIXTURES) + "/network/tls/";
    const Row rows[] = {
        {"status 500",
         [](LoopbackServer& plain, LoopbackServer&, const ClosedPort&) {
             plain.route("/store", ScriptedReply::text(500, "broken"));
             return plain.url("/store");
         },
         5, "Bad response from HTTP server: 500"},
        {"status 201: only 200 carries a reply",
         [](LoopbackServer& plain, LoopbackServer&, const ClosedPort&) {
             plain.route("/store", ScriptedReply::text(201, "created"));
             return plain.url("/store");
         },
         5, "Bad response from HTTP server: 201"},
        {"status 204",
         [](LoopbackServer& plain, LoopbackServer&, const ClosedPort&) {
             plain.route("/store", ScriptedReply::text(204, ""));
             return plain.url("/store");
         },
         5, "Bad response from HTTP server: 204"},
        {"status 404",
         [](LoopbackServer& plain, LoopbackServer&, const ClosedPort&) { return plain.url("/nowhere"); }, 5,
         "Bad response from HTTP server: 404"},
        {"connection refused",
         [](LoopbackServer&, LoopbackServer&, const ClosedPort& closed) {
             return "http://127.0.0.1:" + std::to_string(closed.port()) + "/store";
         },
         5, "Could not make HTTP request"},
        {"certificate that does not verify",
         [](LoopbackServer&, LoopbackServer& tls, const ClosedPort&) {
             tls.route("/store", ScriptedReply::text(200, "reply"));
             return tls.url("/store");
         },
         5, "Could not make HTTP request"},
        {"no reply within the timeout",
         [](LoopbackServer& plain, LoopbackServer&, const ClosedPort&) {
             plain.route("/store", ScriptedReply::stalled());
             return plain.url("/store");
         },
         0.3, "Could not make HTTP request"},
        {"not an address", [](LoopbackServer&, LoopbackServer&, const ClosedPort&) { return std::string(); },
         5, "Could not make HTTP request"},
        {"not HTTP",
         [](LoopbackServer&, LoopbackServer&, const ClosedPort&) { return std::string("ftp://127.0.0.1/x"); },
         5, "Could not make HTTP request"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        LoopbackServer plain;
        LoopbackServer tls;
        ClosedPort closed;
        ASSERT_TRUE(plain.start());
        ASSERT_TRUE(tls.startTLS(fixtures + "certificate.pem", fixtures + "key.pem"));
        ASSERT_NE(closed.port(), 0);
        auto transport = clientFor(row.url(plain, tls, closed));
        transport->setTimeoutInterval(row.timeout);
        write(*transport, "request");
        EXPECT_EQ(flushFailure(*transport), row.failure);
        EXPECT_EQ(readAll(*transport), "");
    }
}

TEST(THTTPClient, AFailedFlushDropsTheEarlierReply)
{
    LoopbackServer server;
    server.route("/store", ScriptedReply::text(200, "earlier reply"));
    ASSERT_TRUE(server.start());
    auto transport = clientFor(server.url("/store"));
    transport->flush();

    server.route("/store", ScriptedReply::text(503, "busy"));
    write(*transport, "lost");
    EXPECT_EQ(flushFailure(*transport), "Bad response from HTTP server: 503");
    EXPECT_EQ(readAll(*transport), "");

    // Nor is what the failed request carried sent again.
    server.route("/store", ScriptedReply::text(200, "ok"));
    write(*transport, "new");
    transport->flush();
    EXPECT_EQ(server.lastRequest()->body, "new");
}

TEST(THTTPClient, BorrowingPastTheEndOfTheReplyEndsTheReading)
{
    LoopbackServer server;
    server.route("/store", ScriptedReply::text(200, "abcdef"));
    ASSERT_TRUE(server.start());
    auto transport = clientFor(server.url("/store"));
    transport->flush();

    uint32_t length = 4;
    const uint8_t* borrowed = transport->borrow(nullptr, &length);
    ASSERT_NE(borrowed, nullptr);
    EXPECT_EQ(length, 6u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(borrowed), 4), "abcd");
    transport->consume(4);

    length = 3;
    try {
        transport->borrow(nullptr, &length);
        ADD_FAILURE() << "borrowed more than the reply holds";
    } catch (const TTransportException& exception) {
        EXPECT_EQ(exception.getType(), TTransportException::END_OF_FILE);
    }
    EXPECT_THROW(transport->consume(3), TTransportException);
    EXPECT_EQ(readAll(*transport), "ef");
}
