#include "sharing/oauth/OAAsynchronousDataFetcher.h"
#include "sharing/oauth/OADataFetcher.h"

#include "foundation/RunLoop.h"
#include "testing/LoopbackServer.h"

#include <gtest/gtest.h>

namespace {

using testkit::LoopbackServer;
using testkit::ScriptedReply;

// What the delegate heard; it outlives the delegate, which the fetcher lets go of after its report.
struct Reports
{
    int finishes = 0;
    int failures = 0;
    bool didSucceed = false;
    bool ticketHadData = false;
    bool hadResponse = false;
    std::string body;
    ns::Ref<ns::Error> error;
    int count() const { return finishes + failures; }
};

class Delegate : public ns::Object
{
public:
    explicit Delegate(std::shared_ptr<Reports> reports) : m_reports(std::move(reports)) {}

    void finished(OAServiceTicket& ticket, const ns::Ref<ns::Data>& data)
    {
        ++m_reports->finishes;
        note(ticket);
        m_reports->body = std::string(data->view());
    }
    void failed(OAServiceTicket& ticket, const ns::Ref<ns::Error>& error)
    {
        ++m_reports->failures;
        note(ticket);
        m_reports->error = error;
    }

private:
    void note(OAServiceTicket& ticket)
    {
        m_reports->didSucceed = ticket.didSucceed();
        m_reports->ticketHadData = ticket.data() != nullptr;
        m_reports->hadResponse = ticket.response() != nullptr;
    }
    std::shared_ptr<Reports> m_reports;
};

struct Fetch
{
    std::shared_ptr<Reports> reports = std::make_shared<Reports>();
    ns::Weak<Delegate> delegate;
    ns::Ref<OAAsynchronousDataFetcher> fetcher;

    explicit Fetch(const std::string& url)
    {
        auto request = std::make_shared<OAMutableURLRequest>(ns::URL::withString(url),
                                                             std::make_shared<OAConsumer>("ck", "cs"),
                                                             nullptr, std::nullopt, nullptr, "N", "1");
        auto strong = std::make_shared<Delegate>(reports);
        delegate = strong;
        fetcher = OAAsynchronousDataFetcher::asynchronousFetcherWithRequest(
            request, strong, OAFinishSelector(&Delegate::finished), OAFailSelector(&Delegate::failed));
    }
    bool run()
    {
        return ns::RunLoop::current().runUntil([&] { return reports->count() > 0; }, 10);
    }
};

} // namespace

TEST(OAAsynchronousDataFetcher, SucceedsBelowFourHundred)
{
    LoopbackServer server;
    server.route("/ok", ScriptedReply::text(399, "fine"));
    server.route("/refused", ScriptedReply::text(400, "bad signature"));
    ASSERT_TRUE(server.start());
    struct Row
    {
        const char* path;
        bool didSucceed;
        const char* body;
    };
    for (const Row& row : {Row{"/ok", true, "fine"}, Row{"/refused", false, "bad signature"}}) {
        SCOPED_TRACE(row.path);
        Fetch fetch(server.url(row.path));
        fetch.fetcher->start();
        ASSERT_TRUE(fetch.run());
        EXPECT_EQ(fetch.reports->finishes, 1);
        EXPECT_EQ(fetch.reports->failures, 0);
        EXPECT_EQ(fetch.reports->didSucceed, row.didSucceed);
        EXPECT_EQ(fetch.reports->body, row.body);
        EXPECT_FALSE(fetch.reports->ticketHadData);
        EXPECT_TRUE(fetch.reports->hadResponse);
        EXPECT_TRUE(fetch.delegate.expired());
        // Signed at start.
        auto sent = server.lastRequest();
        ASSERT_TRUE(sent);
        EXPECT_EQ(sent->header("Authorization")->rfind("OAuth realm=\"\", oauth_consumer_key=\"ck\"", 0), 0u);
        EXPECT_TRUE(fetch.fetcher->request()->didPrepare());
    }
}

TEST(OAAsynchronousDataFetcher, ReportsOnlyTheBodyAfterTheLastHead)
{
    LoopbackServer server;
    auto redirect = ScriptedReply::redirect("/new");
    redirect.body = "stale body of the redirect";
    server.route("/old", redirect);
    server.route("/new", ScriptedReply::text(200, "fresh"));
    ASSERT_TRUE(server.start());
    Fetch fetch(server.url("/old"));
    fetch.fetcher->start();
    ASSERT_TRUE(fetch.run());
    EXPECT_EQ(fetch.reports->finishes, 1);
    EXPECT_EQ(fetch.reports->body, "fresh");
    EXPECT_EQ(fetch.fetcher->response()->statusCode(), 200);
}

TEST(OAAsynchronousDataFetcher, CancelReportsNothing)
{
    LoopbackServer server;
    server.route("/slow", ScriptedReply::stalled());
    server.route("/ok", ScriptedReply::text(200, "done"));
    ASSERT_TRUE(server.start());
    Fetch cancelled(server.url("/slow"));
    cancelled.fetcher->start();
    cancelled.fetcher->cancel();
    // A later fetch on the same loop finishing shows the loop ran past the cancelled one.
    Fetch later(server.url("/ok"));
    later.fetcher->start();
    ASSERT_TRUE(later.run());
    EXPECT_EQ(cancelled.reports->count(), 0);
    EXPECT_EQ(later.reports->finishes, 1);
    server.stop();
}

// Without a connection the failure comes at once, from inside start: with no error when there is no
// request at all, with a "bad URL" error (and nothing signed) when its address was refused or taken away.
TEST(OAAsynchronousDataFetcher, FailsAtOnceWithoutAConnection)
{
    struct Row
    {
        const char* name;
        const char* url;
        bool takeAddressAway;
        bool dropRequest;
        std::optional<long> errorCode;
    };
    const Row rows[] = {
        {"no request", "http://127.0.0.1/never", false, true, std::nullopt},
        {"address refused", "http://127.0.0.1/never%zz", false, false, ns::URLErrorBadURL},
        {"address taken away", "http://127.0.0.1/never", true, false, ns::URLErrorBadURL},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Fetch fetch(row.url);
        auto request = fetch.fetcher->request();
        if (row.takeAddressAway)
            request->setURL(nullptr);
        if (row.dropRequest)
            fetch.fetcher = OAAsynchronousDataFetcher::asynchronousFetcherWithRequest(
                nullptr, fetch.delegate.lock(), OAFinishSelector(&Delegate::finished),
                OAFailSelector(&Delegate::failed));
        fetch.fetcher->start();
        EXPECT_EQ(fetch.reports->failures, 1);
        EXPECT_EQ(fetch.reports->finishes, 0);
        EXPECT_EQ(fetch.reports->error ? std::optional<long>(fetch.reports->error->code()) : std::nullopt,
                  row.errorCode);
        EXPECT_FALSE(fetch.reports->didSucceed);
        EXPECT_FALSE(fetch.reports->hadResponse);
        EXPECT_TRUE(fetch.delegate.expired());
        EXPECT_FALSE(fetch.fetcher->connection());
        if (!row.dropRequest) {
            EXPECT_FALSE(request->valueForHTTPHeaderField("Authorization"));
        }
    }
}

TEST(OAAsynchronousDataFetcher, FailsWithTheConnectionsError)
{
    int port = 0;
    {
        LoopbackServer closed;
        ASSERT_TRUE(closed.start());
        port = closed.port();
    }
    Fetch fetch("http://127.0.0.1:" + std::to_string(port) + "/gone");
    fetch.fetcher->start();
    ASSERT_TRUE(fetch.run());
    EXPECT_EQ(fetch.reports->failures, 1);
    EXPECT_EQ(fetch.reports->finishes, 0);
    ASSERT_TRUE(fetch.reports->error);
    EXPECT_FALSE(fetch.reports->didSucceed);
    EXPECT_TRUE(fetch.delegate.expired());
}

TEST(OADataFetcher, BlocksUntilTheReply)
{
    LoopbackServer server;
    server.route("/t", ScriptedReply::text(401, "no"));
    ASSERT_TRUE(server.start());
    auto reports = std::make_shared<Reports>();
    auto delegate = std::make_shared<Delegate>(reports);
    auto request = std::make_shared<OAMutableURLRequest>(ns::URL::withString(server.url("/t")),
                                                         std::make_shared<OAConsumer>("ck", "cs"), nullptr,
                                                         std::nullopt, nullptr, "N", "1");
    OADataFetcher().fetchDataWithRequest(request, delegate, OAFinishSelector(&Delegate::finished),
                                         OAFailSelector(&Delegate::failed));
    EXPECT_EQ(reports->finishes, 1);
    EXPECT_FALSE(reports->didSucceed);
    EXPECT_EQ(reports->body, "no");
    EXPECT_TRUE(server.lastRequest()->header("Authorization"));
}

TEST(OADataFetcher, RefusesARequestWithoutAnAddress)
{
    auto reports = std::make_shared<Reports>();
    auto delegate = std::make_shared<Delegate>(reports);
    auto request = std::make_shared<OAMutableURLRequest>(ns::URL::withString("http://127.0.0.1/t%zz"),
                                                         std::make_shared<OAConsumer>("ck", "cs"), nullptr,
                                                         std::nullopt, nullptr, "N", "1");
    OADataFetcher().fetchDataWithRequest(request, delegate, OAFinishSelector(&Delegate::finished),
                                         OAFailSelector(&Delegate::failed));
    EXPECT_EQ(reports->failures, 1);
    ASSERT_TRUE(reports->error);
    EXPECT_EQ(reports->error->code(), ns::URLErrorBadURL);
    EXPECT_FALSE(request->valueForHTTPHeaderField("Authorization"));
}

TEST(OAAsynchronousDataFetcher, RunsWhileOnlyItsConnectionHoldsIt)
{
    LoopbackServer server;
    server.route("/ok", ScriptedReply::text(200, "kept"));
    ASSERT_TRUE(server.start());
    Fetch fetch(server.url("/ok"));
    fetch.fetcher->start();
    fetch.fetcher = nullptr;
    ASSERT_TRUE(fetch.run());
    EXPECT_EQ(fetch.reports->finishes, 1);
    EXPECT_EQ(fetch.reports->body, "kept");
    EXPECT_TRUE(fetch.delegate.expired());
}
