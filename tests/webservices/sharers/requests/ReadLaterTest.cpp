// The two read-later sharers against fake services on 127.0.0.1.
#include "ServiceSharerFixture.h"

#include "webservices/sharers/instapaper/SHKInstapaper.h"
#include "webservices/sharers/readitlater/SHKReadItLater.h"

#include <gtest/gtest.h>

namespace {

using testkit::ScriptedReply;

class ReadLater : public ServiceSharerFixture
{
protected:
    ReadLater()
    {
        startService({"instapaperURL", "readItLaterURL"});
        configure("readItLaterKey", ns::String::make("K&1"));
    }

    // Shares the item with the sharer of the class at once, with stored credentials, and waits for the
    // start and the end of the send.
    ns::Ref<SHKSharer> shareAtOnce(const std::string& sharerClass, const ns::Ref<SHKItem>& item,
                                   ReportLines& log)
    {
        SHK::setAuthValue("bo b", "username", sharerClass);
        SHK::setAuthValue("p&w", "password", sharerClass);
        auto sharer = SHKSharer::sharerWithId(sharerClass);
        sharer->setItem(item);
        sharer->setShouldAutoShare(true);
        sharer->share();
        EXPECT_TRUE(waitForLines(log, 2));
        return sharer;
    }
};

TEST_F(ReadLater, TheLoginsAreCheckedWithOnePostAndTheirRefusalsExplained)
{
    struct Row
    {
        const char* sharer;
        const char* path;
        const char* sharePath;
        ScriptedReply reply;
        const char* password;
        const char* body;
        std::vector<std::string> lines;
        std::optional<std::string> alert;
    } rows[] = {
        // Neither has a share form: the share goes out as soon as the login is saved.
        {"SHKInstapaper",
         "/api/authenticate",
         "/api/add",
         ScriptedReply::text(200, "ok"),
         "p w",
         "username=a%26b&password=p%20w",
         {"started", "auth 1", "finished"},
         std::nullopt},
        // A password is sent as typed: an entity in it is no ampersand.
        {"SHKInstapaper",
         "/api/authenticate",
         "/api/add",
         ScriptedReply::text(200, "ok"),
         "p&amp;w",
         "username=a%26b&password=p%26amp;w",
         {"started", "auth 1", "finished"},
         std::nullopt},
        {"SHKInstapaper",
         "/api/authenticate",
         "/api/add",
         ScriptedReply::text(403, "no"),
         "p w",
         "username=a%26b&password=p%20w",
         {"auth 0"},
         "Login Error: Sorry, Instapaper did not accept your credentials. Please try again."},
        {"SHKInstapaper",
         "/api/authenticate",
         "/api/add",
         ScriptedReply::text(500, "no"),
         "p w",
         "username=a%26b&password=p%20w",
         {"auth 0"},
         "Login Error: Sorry, Instapaper encountered an error. Please try again."},
        {"SHKReadItLater",
         "/v2/auth",
         "/v2/send",
         ScriptedReply::text(200, "ok"),
         "p w",
         "apikey=K&1&username=a%26b&password=p%20w",
         {"started", "auth 1", "finished"},
         std::nullopt},
        {"SHKReadItLater",
         "/v2/auth",
         "/v2/send",
         ScriptedReply::text(200, "ok"),
         "p&amp;w",
         "apikey=K&1&username=a%26b&password=p%26amp;w",
         {"started", "auth 1", "finished"},
         std::nullopt},
        {"SHKReadItLater",
         "/v2/auth",
         "/v2/send",
         ScriptedReply::text(401, "no").header("X-Error", "User %@ was not found"),
         "p w",
         "apikey=K&1&username=a%26b&password=p%20w",
         {"auth 0"},
         "Login Error: User %@ was not found"},
        {"SHKReadItLater",
         "/v2/auth",
         "/v2/send",
         ScriptedReply::text(503, "no"),
         "p w",
         "apikey=K&1&username=a%26b&password=p%20w",
         {"auth 0"},
         "Login Error: (none)"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.sharer) + " " + std::to_string(row.reply.status) + " " + row.password);
        ui::AlertView::clearShownAlerts();
        server.clearRequests();
        server.route(row.path, row.reply);
        server.route(row.sharePath, ScriptedReply::text(200, ""));
        ReportLines log;
        auto sharer = SHKSharer::shareItem(row.sharer, urlItem());
        settle();
        auto login = shownForm(sharer);
        ASSERT_TRUE(login);
        logIn(login, "a&b", row.password);
        ASSERT_TRUE(waitForLines(log, row.lines.size()));
        EXPECT_EQ(log.lines, row.lines);
        // One check; a share that went on after it is the second request, with the same credentials.
        bool shared = row.lines.back() == "finished";
        ASSERT_EQ(server.requestCount(), shared ? 2u : 1u);
        EXPECT_EQ(server.requests()[0].method, "POST");
        EXPECT_EQ(server.requests()[0].path, row.path);
        EXPECT_EQ(server.requests()[0].body, row.body);
        if (shared) {
            EXPECT_EQ(server.requests()[1].path, row.sharePath);
            std::string credentials = row.body;
            credentials = credentials.substr(credentials.find("username="));
            EXPECT_NE(server.requests()[1].body.find(credentials), std::string::npos)
                << server.requests()[1].body;
        }
        EXPECT_EQ(SHK::getAuthValueForKey("username", row.sharer),
                  row.alert ? std::nullopt : std::optional<std::string>("a&b"));
        EXPECT_EQ(SHK::getAuthValueForKey("password", row.sharer),
                  row.alert ? std::nullopt : std::optional<std::string>(row.password));
        if (row.alert) {
            EXPECT_EQ(alertTexts(), (std::vector<std::string>{*row.alert}));
            EXPECT_TRUE(driver.answerAlert("Close"));
        }
        settle();
        SHK::currentHelper()->hideCurrentViewControllerAnimated(false);
        settle();
        SHK::removeAuthValueForKey("username", row.sharer);
        SHK::removeAuthValueForKey("password", row.sharer);
    }
}

TEST_F(ReadLater, TheShareReplyDecidesBetweenFinishReloginAndTheErrorText)
{
    struct Row
    {
        const char* sharer;
        const char* path;
        ScriptedReply reply;
        std::vector<std::string> lines;
        bool relogin;
    } rows[] = {
        {"SHKInstapaper", "/api/add", ScriptedReply::text(201, ""), {"started", "finished"}, false},
        {"SHKInstapaper",
         "/api/add",
         ScriptedReply::text(403, ""),
         {"started", "failed: Could not authenticate you. Please relogin."},
         true},
        {"SHKInstapaper",
         "/api/add",
         ScriptedReply::text(500, ""),
         {"started", "failed: The service encountered an error. Please try again later."},
         false},
        {"SHKInstapaper",
         "/api/add",
         ScriptedReply::text(401, ""),
         {"started", "failed: There was a problem saving to Instapaper."},
         false},
        {"SHKReadItLater", "/v2/send", ScriptedReply::text(200, ""), {"started", "finished"}, false},
        {"SHKReadItLater",
         "/v2/send",
         ScriptedReply::text(401, ""),
         {"started", "failed: Could not authenticate you. Please relogin."},
         true},
        {"SHKReadItLater",
         "/v2/send",
         ScriptedReply::text(403, "").header("X-Error", "Rate %@ limit %d"),
         {"started", "failed: Rate %@ limit %d"},
         false},
        {"SHKReadItLater",
         "/v2/send",
         ScriptedReply::text(500, "").header("X-Error", "Down"),
         {"started", "failed: Down"},
         false},
        // Without the service's words the sharer says what failed.
        {"SHKReadItLater",
         "/v2/send",
         ScriptedReply::text(500, ""),
         {"started", "failed: There was an error saving to Read It Later"},
         false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.sharer) + " " + std::to_string(row.reply.status));
        ui::AlertView::clearShownAlerts();
        server.clearRequests();
        server.route(row.path, row.reply);
        ReportLines log;
        auto sharer = shareAtOnce(row.sharer, urlItem(), log);
        EXPECT_EQ(log.lines, row.lines);
        ASSERT_EQ(server.requestCount(), 1u);
        EXPECT_EQ(server.requests()[0].method, "POST");
        EXPECT_EQ(server.requests()[0].path, row.path);
        settle();
        EXPECT_EQ(sharer->pendingAction(), row.relogin ? SHKAwaitResend : SHKAwaitNothing);
        EXPECT_EQ(bool(shownForm(sharer)), row.relogin);
        sharer->setShouldAutoShare(false);
        SHK::currentHelper()->hideCurrentViewControllerAnimated(false);
        settle();
    }
}

TEST_F(ReadLater, TheShareBodiesCarryTheItemAndTheCredentials)
{
    server.route("/api/add", ScriptedReply::text(200, ""));
    server.route("/v2/send", ScriptedReply::text(200, ""));
    struct Row
    {
        const char* name;
        const char* sharer;
        std::optional<std::string> title;
        std::optional<std::string> text;
        std::optional<std::string> tags;
        const char* body;
    } rows[] = {
        {"instapaper, no text", "SHKInstapaper", "A page", std::nullopt, std::nullopt,
         "url=http%3A%2F%2Fexample.com%2Fa&title=A%20page&selection=&username=bo%20b&password=p%26w"},
        {"instapaper, HTML text", "SHKInstapaper", "A", "<p>One</p>\n<b>two</b>", std::nullopt,
         "url=http%3A%2F%2Fexample.com%2Fa&title=A&selection=One%20%0A%20two&username=bo%20b&password=p%"
         "26w"},
        {"read it later, no tags", "SHKReadItLater", "A page", std::nullopt, std::nullopt,
         "apikey=K&1&username=bo%20b&password=p%26w&new=%7B%220%22%3A%7B%22url%22%3A%22http%3A%2F%2F"
         "example.com%2Fa%22%2C%22title%22%3A%22A%20page%22%7D%7D"},
        {"read it later, quotes and tags", "SHKReadItLater", "Say \"hi\"\\", std::nullopt, "x\",y",
         "apikey=K&1&username=bo%20b&password=p%26w&new=%7B%220%22%3A%7B%22url%22%3A%22http%3A%2F%2F"
         "example.com%2Fa%22%2C%22title%22%3A%22Say%20%26quot%3Bhi%26quot%3B%5C%5C%22%7D%7D"
         "&update_tags=%7B%220%22%3A%7B%22url%22%3A%22http%3A%2F%2Fexample.com%2Fa%22%2C%22tags%22%"
         "3A"
         "%22x%5C%22%2Cy%22%7D%7D"},
        {"read it later, empty tags", "SHKReadItLater", "T", std::nullopt, "",
         "apikey=K&1&username=bo%20b&password=p%26w&new=%7B%220%22%3A%7B%22url%22%3A%22http%3A%2F%2F"
         "example.com%2Fa%22%2C%22title%22%3A%22T%22%7D%7D"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        server.clearRequests();
        ReportLines log;
        auto item = urlItem("http://example.com/a", row.title);
        item->setText(row.text);
        item->setTags(row.tags);
        auto sharer = shareAtOnce(row.sharer, item, log);
        EXPECT_EQ(log.lines, (std::vector<std::string>{"started", "finished"}));
        ASSERT_EQ(server.requestCount(), 1u);
        EXPECT_EQ(server.requests()[0].body, row.body);
        sharer->setShouldAutoShare(false);
        settle();
    }
}

} // namespace
