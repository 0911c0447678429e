// The Diigo bookmarking sharer against a fake service on 127.0.0.1.
#include "ServiceSharerFixture.h"

#include "webservices/sharers/diigo/SHKDiigo.h"

#include <gtest/gtest.h>

namespace {

using testkit::ScriptedReply;

class Diigo : public ServiceSharerFixture
{
protected:
    Diigo()
    {
        startService({"diigoAPIURL"});
        configure("diigoKey", ns::String::make("k3y"));
    }
};

TEST_F(Diigo, TheLoginIsCheckedWithOneBookmarkAndItsRefusalIsExplained)
{
    struct Row
    {
        int status;
        std::vector<std::string> lines;
        std::optional<std::string> alert;
        std::optional<std::string> stored;
    } rows[] = {
        {200, {"auth 1"}, std::nullopt, "a b"},
        {401,
         {"auth 0"},
         "Login Error: Sorry, Diigo did not accept your credentials. Please try again.",
         std::nullopt},
        {500, {"auth 0"}, "Login Error: Sorry, Diigo encountered an error. Please try again.", std::nullopt},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.status);
        ui::AlertView::clearShownAlerts();
        // Any stored credential counts as signed in: forget both.
        SHK::removeAuthValueForKey("username", "SHKDiigo");
        SHK::removeAuthValueForKey("password", "SHKDiigo");
        server.clearRequests();
        server.route("/api/v2/bookmarks", ScriptedReply::text(row.status, "[]"));
        ReportLines log;
        auto sharer = SHKSharer::shareItem("SHKDiigo", urlItem());
        settle();
        auto login = shownForm(sharer);
        ASSERT_TRUE(login);
        EXPECT_EQ(login->sections()[0].footer, "Create an account at http://www.diigo.com");
        logIn(login, "a b", "x@y:z");
        ASSERT_TRUE(waitForLines(log, 1));
        EXPECT_EQ(log.lines, row.lines);
        ASSERT_EQ(server.requestCount(), 1u);
        auto check = server.requests()[0];
        EXPECT_EQ(check.method, "GET");
        EXPECT_EQ(check.target, "/api/v2/bookmarks?key=k3y&count=1&user=a%20b");
        EXPECT_EQ(check.header("Authorization"), basicAuthorization("a b", "x@y:z"));
        EXPECT_EQ(SHK::getAuthValueForKey("username", "SHKDiigo"), row.stored);
        if (row.alert) {
            EXPECT_EQ(alertTexts(), (std::vector<std::string>{*row.alert}));
            EXPECT_TRUE(driver.answerAlert("Close"));
            EXPECT_EQ(shownForm(sharer), login);
        }
        settle();
        SHK::currentHelper()->hideCurrentViewControllerAnimated(false);
        settle();
    }
}

TEST_F(Diigo, TheBookmarkReplyDecidesBetweenFinishReloginAndTheSaveError)
{
    struct Row
    {
        const char* name;
        ScriptedReply reply;
        std::vector<std::string> lines;
        bool relogin;
    } rows[] = {
        {"saved",
         ScriptedReply::text(200, "{\"message\":\"added 1 bookmark\"}"),
         {"started", "finished"},
         false},
        {"created", ScriptedReply::text(201, "bookmark"), {"started", "finished"}, false},
        {"empty body", ScriptedReply::text(200, ""), {"started", "finished"}, false},
        {"success without the word",
         ScriptedReply::text(200, "{\"message\":\"ok\"}"),
         {"started", "failed: There was an error saving to Diigo"},
         false},
        {"refused",
         ScriptedReply::text(401, "no"),
         {"started", "failed: Could not authenticate you. Please relogin."},
         true},
        {"server error",
         ScriptedReply::text(500, "bookmark"),
         {"started", "failed: There was an error saving to Diigo"},
         false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ui::AlertView::clearShownAlerts();
        SHK::setAuthValue("bob", "username", "SHKDiigo");
        SHK::setAuthValue("a/b", "password", "SHKDiigo");
        server.clearRequests();
        server.route("/api/v2/bookmarks", row.reply);
        ReportLines log;
        auto item = urlItem("http://example.com/x%20y", "Say \"hi\" & go");
        item->setTags("a,b");
        item->setText("100% sure");
        auto sharer = SHKDiigo::create();
        sharer->setItem(item);
        sharer->setShouldAutoShare(true);
        sharer->share();
        ASSERT_TRUE(waitForLines(log, 2));
        EXPECT_EQ(log.lines, row.lines);
        ASSERT_EQ(server.requestCount(), 1u);
        auto add = server.requests()[0];
        EXPECT_EQ(add.method, "POST");
        EXPECT_EQ(add.target, "/api/v2/bookmarks");
        EXPECT_EQ(add.body, "key=k3y&url=http%3A%2F%2Fexample.com%2Fx%2520y&title=Say%20%22hi%22%20%26%20go"
                            "&tags=a,b&desc=100%25%20sure&shared=no");
        EXPECT_EQ(add.header("Authorization"), basicAuthorization("bob", "a/b"));
        settle();
        if (row.relogin) {
            EXPECT_EQ(sharer->pendingAction(), SHKAwaitResend);
            EXPECT_TRUE(shownForm(sharer));
        }
        sharer->setShouldAutoShare(false);
        SHK::currentHelper()->hideCurrentViewControllerAnimated(false);
        settle();
    }
}

} // namespace
