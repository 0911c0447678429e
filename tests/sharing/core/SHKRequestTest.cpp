// The framework's one-shot HTTP request against servers on 127.0.0.1.
#include "sharing/core/SHKRequest.h"

#include "foundation/Dictionary.h"
#include "foundation/RunLoop.h"
#include "foundation/String.h"
#include "foundation/URL.h"
#include "testing/ClosedPort.h"
#include "testing/LoopbackServer.h"
#include "testing/RawServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

using testkit::LoopbackServer;
using testkit::ScriptedReply;

// A delegate that answers the finish selector and remembers what it saw.
class Finisher : public ns::Object
{
public:
    void requestFinished(SHKRequest& request)
    {
        ++calls;
        if (tally)
            ++*tally;
        success = request.success();
        status = request.statusCode();
        result = request.getResult();
        thread = std::this_thread::get_id();
    }

    int calls = 0;
    std::shared_ptr<int> tally; // outlives the delegate
    bool success = false;
    int status = -1;
    std::optional<std::string> result;
    std::thread::id thread;
};

// A delegate of another class, which does not answer the selector.
class Bystander : public ns::Object
{
};

bool runUntilFinished(const ns::Ref<SHKRequest>& request)
{
    return ns::RunLoop::current().runUntil([&] { return !request->delegate(); }, 10);
}

ns::Ref<SHKRequest> send(const std::string& url, std::optional<std::string> params,
                         std::optional<std::string> method, const ns::Id& delegate,
                         ns::Ref<ns::Dictionary> headers = nullptr)
{
    auto request =
        SHKRequest::create(ns::URL::withString(url), std::move(params), delegate,
                           SHKRequestFinishSelector(&Finisher::requestFinished), std::move(method), false);
    request->setHeaderFields(std::move(headers));
    request->start();
    return request;
}

class SHKRequestTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(server.start()); }

    LoopbackServer server;
};

TEST_F(SHKRequestTest, OnlyTwoHundredAndTwoHundredOneSucceed)
{
    server.route("/moved", ScriptedReply::redirect("/gone"));
    server.route("/gone", ScriptedReply::text(404, "not here"));
    struct Row
    {
        const char* name;
        const char* path;
        ScriptedReply reply;
        bool success;
        int status;
        std::optional<std::string> result;
    } rows[] = {
        {"ok", "/ok", ScriptedReply::text(200, "fine"), true, 200, "fine"},
        {"created", "/created", ScriptedReply::text(201, "made"), true, 201, "made"},
        {"no content", "/empty", ScriptedReply::text(204, ""), false, 204, ""},
        {"redirect to a missing page", "/moved", {}, false, 404, "not here"},
        {"server error", "/broken", ScriptedReply::text(500, "oops"), false, 500, "oops"},
        {"unauthorised", "/denied", ScriptedReply::text(401, "who?"), false, 401, "who?"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        if (std::string(row.path) != "/moved")
            server.route(row.path, row.reply);
        auto finisher = std::make_shared<Finisher>();
        auto request = send(server.url(row.path), std::nullopt, std::nullopt, finisher);
        ASSERT_TRUE(runUntilFinished(request));
        EXPECT_EQ(finisher->calls, 1);
        EXPECT_EQ(finisher->success, row.success);
        EXPECT_EQ(finisher->status, row.status);
        EXPECT_EQ(finisher->result, row.result);
        EXPECT_EQ(finisher->thread, std::this_thread::get_id());
        EXPECT_EQ(request->success(), row.success);
    }
}

TEST_F(SHKRequestTest, ACreatedReplyCutShortIsNoSuccess)
{
    testkit::RawServer raw;
    ASSERT_TRUE(raw.start([](testkit::RawConnection& connection) {
        if (!connection.readRequest())
            return;
        connection.send("HTTP/1.1 201 Created\r\nContent-Length: 1000\r\n\r\n1234567");
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        connection.reset();
    }));
    auto finisher = std::make_shared<Finisher>();
    auto request = send(raw.url("/api/add"), std::string("url=x"), std::string("POST"), finisher);
    ASSERT_TRUE(runUntilFinished(request));
    EXPECT_EQ(finisher->calls, 1);
    EXPECT_EQ(finisher->status, 201);
    EXPECT_FALSE(finisher->success);
}

TEST_F(SHKRequestTest, TheBodyMethodAndHeadersGoOutAsGiven)
{
    server.route("/in", ScriptedReply::text(200, "ok"));
    struct Row
    {
        const char* name;
        std::optional<std::string> params;
        std::optional<std::string> method;
        ns::Ref<ns::Dictionary> headers;
        const char* sentMethod;
        std::string sentBody;
        std::optional<std::string> contentLength;
        std::optional<std::string> contentType;
    } rows[] = {
        {"form body", "a=1&b=%C3%A9", "POST", nullptr, "POST", "a=1&b=%C3%A9", "12",
         "application/x-www-form-urlencoded"},
        // The length is the UTF-8 byte count, not the count of characters.
        {"text outside ASCII", "title=caf\xC3\xA9 \xE2\x82\xAC", "POST", nullptr, "POST",
         "title=caf\xC3\xA9 \xE2\x82\xAC", "15", "application/x-www-form-urlencoded"},
        {"no body, no method", std::nullopt, std::nullopt, nullptr, "GET", "", std::nullopt, std::nullopt},
        {"GET without body", std::nullopt, "GET", nullptr, "GET", "", std::nullopt, std::nullopt},
        // A POST without a body is still a POST.
        {"POST without body", std::nullopt, "POST", nullptr, "POST", "", "0",
         "application/x-www-form-urlencoded"},
        {"header fields sent", "x=y", "POST",
         ns::Dictionary::withStrings({{"Cookie", ns::String::make("SID=abc; Auth=def")},
                                      {"Authorization", ns::String::make("GoogleLogin auth=def")},
                                      {"Content-Type", ns::String::make("text/plain")}}),
         "POST", "x=y", "3", "text/plain"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        server.clearRequests();
        auto finisher = std::make_shared<Finisher>();
        auto request = send(server.url("/in"), row.params, row.method, finisher, row.headers);
        ASSERT_TRUE(runUntilFinished(request));
        ASSERT_EQ(server.requestCount(), 1u);
        auto seen = *server.lastRequest();
        EXPECT_EQ(seen.method, row.sentMethod);
        EXPECT_EQ(seen.body, row.sentBody);
        EXPECT_EQ(seen.header("Content-Length"), row.contentLength);
        EXPECT_EQ(seen.header("Content-Type"), row.contentType);
        if (row.headers) {
            EXPECT_EQ(seen.header("Cookie"), "SID=abc; Auth=def");
            EXPECT_EQ(seen.header("Authorization"), "GoogleLogin auth=def");
        }
        auto sent = request->connection()->originalRequest();
        EXPECT_EQ(sent->timeoutInterval(), 90);
        EXPECT_EQ(sent->cachePolicy(), ns::URLRequestCachePolicy::ReloadIgnoringLocalAndRemoteCacheData);
    }
}

TEST_F(SHKRequestTest, TheDelegateIsKeptUntilTheFinishCallAndThenLetGo)
{
    server.route("/x", ScriptedReply::text(200, "done"));
    struct Row
    {
        const char* name;
        std::function<ns::Id()> delegate;
        int calls;
    } rows[] = {
        {"answers the selector", [] { return std::make_shared<Finisher>(); }, 1},
        {"does not answer it", [] { return std::make_shared<Bystander>(); }, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ns::Id delegate = row.delegate();
        auto tally = std::make_shared<int>(0);
        if (auto finisher = ns::cast<Finisher>(delegate))
            finisher->tally = tally;
        ns::Weak<ns::Object> watch = delegate;
        auto request = send(server.url("/x"), std::nullopt, std::nullopt, delegate);
        delegate = nullptr; // the request alone keeps it now
        ASSERT_FALSE(watch.expired());
        ASSERT_TRUE(runUntilFinished(request));
        EXPECT_EQ(*tally, row.calls);
        EXPECT_TRUE(watch.expired());
        EXPECT_TRUE(request->success());
    }
}

TEST_F(SHKRequestTest, ABodyThatIsNotUTF8HasNoResultButKeepsItsBytes)
{
    std::string bytes = "caf\xE9\xFF\x00z";
    bytes.push_back('\0');
    server.route("/latin", ScriptedReply::text(200, bytes));
    auto finisher = std::make_shared<Finisher>();
    auto request = send(server.url("/latin"), std::nullopt, std::nullopt, finisher);
    ASSERT_TRUE(runUntilFinished(request));
    EXPECT_TRUE(request->success());
    EXPECT_EQ(request->getResult(), std::nullopt);
    EXPECT_EQ(request->data()->view(), bytes);
}

TEST_F(SHKRequestTest, ResponseHeadersAreKeptAsAMutableCopy)
{
    server.route("/h", ScriptedReply::text(403, "no").header("X-Error", "Bad \"key\" %@"));
    auto finisher = std::make_shared<Finisher>();
    auto request = send(server.url("/h"), std::nullopt, std::nullopt, finisher);
    ASSERT_TRUE(runUntilFinished(request));
    ASSERT_TRUE(request->headers());
    EXPECT_EQ(request->headers()->stringForKey("X-Error"), "Bad \"key\" %@");
    EXPECT_EQ(request->response()->valueForHTTPHeaderField("x-error"), "Bad \"key\" %@");
    request->headers()->setObject(ns::String::make("mine"), "X-Mine");
    EXPECT_EQ(request->headers()->stringForKey("X-Mine"), "mine");
}

TEST_F(SHKRequestTest, ARequestThatCannotGoOutFinishesUnsuccessfullyOnALaterTurn)
{
    testkit::ClosedPort closed;
    struct Row
    {
        const char* name;
        std::string url;
    } rows[] = {
        {"refused connection", "http://127.0.0.1:" + std::to_string(closed.port()) + "/"},
        {"no address", ""},
        {"not HTTP", "ftp://127.0.0.1/file"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto finisher = std::make_shared<Finisher>();
        auto request = send(row.url, "a=b", "POST", finisher);
        EXPECT_EQ(finisher->calls, 0) << "nothing is reported inside start";
        ASSERT_TRUE(runUntilFinished(request));
        EXPECT_EQ(finisher->calls, 1);
        EXPECT_FALSE(finisher->success);
        EXPECT_EQ(finisher->status, 0);
        EXPECT_FALSE(request->response());
    }
}

TEST_F(SHKRequestTest, AutostartSendsAtOnceAndWithoutItNothingGoesOut)
{
    server.route("/a", ScriptedReply::text(200, "a"));
    auto finisher = std::make_shared<Finisher>();
    auto waiting = SHKRequest::create(ns::URL::withString(server.url("/a")), std::nullopt, finisher,
                                      SHKRequestFinishSelector(&Finisher::requestFinished), "GET", false);
    EXPECT_EQ(server.requestCount(), 0u);
    EXPECT_FALSE(waiting->connection());

    auto started = SHKRequest::create(ns::URL::withString(server.url("/a")), std::nullopt, finisher,
                                      SHKRequestFinishSelector(&Finisher::requestFinished), "GET", true);
    EXPECT_TRUE(started->connection());
    ASSERT_TRUE(runUntilFinished(started));
    EXPECT_EQ(finisher->calls, 1);
    EXPECT_EQ(server.requestCount(), 1u);
}

TEST_F(SHKRequestTest, TheDescriptionTellsMethodAddressBodyStatusAndReply)
{
    server.route("/d", ScriptedReply::text(404, "missing"));
    auto finisher = std::make_shared<Finisher>();
    auto request = send(server.url("/d"), "q=1", "POST", finisher);
    ASSERT_TRUE(runUntilFinished(request));
    EXPECT_EQ(request->description(), "method: POST\nurl: " + server.url("/d") +
                                          "\nparams: q=1\nresponse: 404 (not found)\ndata: missing");
}

} // namespace
