// The bookmarking sharer against a fake service on 127.0.0.1.
#include "ServiceSharerFixture.h"

#include "webservices/sharers/pinboard/SHKPinboard.h"

#include <gtest/gtest.h>

namespace {

using testkit::ScriptedReply;

class Pinboard : public ServiceSharerFixture
{
protected:
    Pinboard() { startService({"pinboardAPIURL"}); }
};

TEST_F(Pinboard, TheLoginIsCheckedThenTheBookmarkGoesOutWithTheStoredCredentials)
{
    server.route("/v1/posts/get", ScriptedReply::text(200, "<posts/>"));
    server.route("/v1/posts/add", ScriptedReply::text(200, "<result code=\"done\"/>"));
    ReportLines log;
    auto item = urlItem();
    item->setTags("news, c++");
    item->setText("Line one & two");
    auto sharer = SHKSharer::shareItem("SHKPinboard", item);
    ASSERT_TRUE(sharer);
    settle();
    auto login = shownForm(sharer);
    ASSERT_TRUE(login);
    EXPECT_EQ(login->sections()[0].footer, "Create an account at http://pinboard.in");

    // ":" "@" "/" "?" "#" in the credentials stay data: they cannot change the address.
    logIn(login, "bo:b@x", "p/a?ss#1");
    ASSERT_TRUE(waitForRequests(1));
    auto check = server.requests().at(0);
    EXPECT_EQ(check.method, "POST");
    EXPECT_EQ(check.target, "/v1/posts/get");
    EXPECT_EQ(check.body, "");
    EXPECT_EQ(check.header("Authorization"), basicAuthorization("bo:b@x", "p/a?ss#1"));
    EXPECT_EQ(SHK::getAuthValueForKey("username", "SHKPinboard"), "bo:b@x");
    EXPECT_EQ(SHK::getAuthValueForKey("password", "SHKPinboard"), "p/a?ss#1");
    EXPECT_EQ(log.lines, (std::vector<std::string>{"auth 1"}));

    // The share form follows: four rows from the item, the switch off; the user turns it on.
    settle();
    auto form = shownForm(sharer);
    ASSERT_TRUE(form);
    ASSERT_NE(form, login);
    ASSERT_EQ(form->sections()[0].rows.size(), 4u);
    EXPECT_EQ(form->formValues()->stringForKey("shared"), "0");
    ASSERT_TRUE(driver.press("Shared"));
    ASSERT_TRUE(driver.press("Send to Pinboard"));
    ASSERT_TRUE(waitForRequests(2));
    ASSERT_TRUE(waitForLines(log, 3));
    auto add = server.requests().at(1);
    EXPECT_EQ(add.method, "GET");
    EXPECT_EQ(add.target,
              "/v1/posts/add?url=http%3A%2F%2Fexample.com%2Fa%3Fb%3D1%26c%3D2&description=A%20page"
              "&tags=news,%20c%2B%2B&extended=Line%20one%20%26%20two&shared=yes");
    EXPECT_EQ(add.body, "");
    EXPECT_EQ(add.header("Authorization"), basicAuthorization("bo:b@x", "p/a?ss#1"));
    EXPECT_EQ(log.lines, (std::vector<std::string>{"auth 1", "started", "finished"}));
}

TEST_F(Pinboard, ARefusedLoginShowsWhyAndStoresNothing)
{
    struct Row
    {
        int status;
        const char* alert;
    } rows[] = {
        {401, "Login Error: Invalid email or password."},
        {500, "Login Error: The service encountered an error. Please try again later."},
        {403, "Login Error: The service encountered an error. Please try again later."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.status);
        ui::AlertView::clearShownAlerts();
        server.clearRequests();
        server.route("/v1/posts/get", ScriptedReply::text(row.status, "no"));
        ReportLines log;
        auto sharer = SHKSharer::shareItem("SHKPinboard", urlItem());
        settle();
        auto login = shownForm(sharer);
        ASSERT_TRUE(login);
        logIn(login, "bob", "secret");
        ASSERT_TRUE(waitForLines(log, 1));
        EXPECT_EQ(log.lines, (std::vector<std::string>{"auth 0"}));
        EXPECT_EQ(alertTexts(), (std::vector<std::string>{row.alert}));
        EXPECT_TRUE(driver.answerAlert("Close"));
        EXPECT_EQ(SHK::getAuthValueForKey("username", "SHKPinboard"), std::nullopt);
        // The form stays for another try.
        EXPECT_EQ(shownForm(sharer), login);
        ASSERT_TRUE(driver.press("Cancel"));
        settle();
    }
}

TEST_F(Pinboard, TheBookmarkReplyDecidesBetweenFinishReloginAndTheSaveError)
{
    struct Row
    {
        int status;
        std::vector<std::string> lines;
        bool relogin;
    } rows[] = {
        {200, {"started", "finished"}, false},
        {201, {"started", "finished"}, false},
        {401, {"started", "failed: Could not authenticate you. Please relogin."}, true},
        {500, {"started", "failed: There was an error saving to Pinboard"}, false},
        {404, {"started", "failed: There was an error saving to Pinboard"}, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.status);
        ui::AlertView::clearShownAlerts();
        SHK::setAuthValue("bob", "username", "SHKPinboard");
        SHK::setAuthValue("pw/1", "password", "SHKPinboard");
        server.clearRequests();
        server.route("/v1/posts/add", ScriptedReply::text(row.status, "reply"));
        ReportLines log;
        auto sharer = SHKPinboard::create();
        sharer->setItem(urlItem("http://example.com/", "T"));
        sharer->setShouldAutoShare(true);
        sharer->share();
        ASSERT_TRUE(waitForLines(log, 2));
        EXPECT_EQ(log.lines, row.lines);
        ASSERT_EQ(server.requestCount(), 1u);
        EXPECT_EQ(server.requests()[0].target,
                  "/v1/posts/add?url=http%3A%2F%2Fexample.com%2F&description=T&tags=&extended=&shared=no");
        // The password's "/" reaches the address escaped; the fake sees it decoded in the header.
        EXPECT_EQ(server.requests()[0].header("Authorization"), basicAuthorization("bob", "pw/1"));
        settle();
        if (row.relogin) {
            EXPECT_EQ(sharer->pendingAction(), SHKAwaitResend);
            auto login = shownForm(sharer);
            ASSERT_TRUE(login);
            // A new login resends the same bookmark.
            server.route("/v1/posts/get", ScriptedReply::text(200, "ok"));
            server.route("/v1/posts/add", ScriptedReply::text(200, "ok"));
            logIn(login, "carol", "new");
            ASSERT_TRUE(waitForRequests(3));
            ASSERT_TRUE(waitForLines(log, 5));
            EXPECT_EQ(server.requests()[2].path, "/v1/posts/add");
            EXPECT_EQ(server.requests()[2].header("Authorization"), basicAuthorization("carol", "new"));
            EXPECT_EQ(log.lines.back(), "finished");
        }
        sharer->setShouldAutoShare(false);
        SHK::currentHelper()->hideCurrentViewControllerAnimated(false);
        settle();
    }
}

} // namespace
