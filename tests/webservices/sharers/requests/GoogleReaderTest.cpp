// The feed-reader sharer against a fake service on 127.0.0.1: sign-in, then per share a token and an edit.
#include "ServiceSharerFixture.h"

#include "foundation/Dictionary.h"
#include "foundation/UserDefaults.h"
#include "sharing/core/SHKFormFieldSettings.h"
#include "webservices/sharers/googlereader/SHKGoogleReader.h"

#include <gtest/gtest.h>

namespace {

using testkit::ScriptedReply;

class GoogleReader : public ServiceSharerFixture
{
protected:
    GoogleReader()
    {
        startService({"googleReaderURL", "googleReaderSecureURL"});
        configure("appName", ns::String::make("Velmo & Co"));
        configure("appURL", ns::String::make("http://velmo.example/"));
        server.route("/reader/api/0/token", ScriptedReply::text(200, "tok/1"));
        server.route("/reader/api/0/item/edit", ScriptedReply::text(200, "OK"));
    }

    // A new sharer of the page, sent at once with the stored login.
    ns::Ref<SHKGoogleReader> sendPage()
    {
        auto sharer = SHKGoogleReader::create();
        sharer->setItem(urlItem());
        sharer->tryToSend();
        return sharer;
    }
};

TEST_F(GoogleReader, AFirstShareSignsInThenFetchesTheTokenAndPostsWithTheSession)
{
    server.route("/accounts/ClientLogin", ScriptedReply::text(200, "SID=s1\nLSID=l=2\nAuth=A.b-c\n"));
    SHK::setAuthValue("me@example.com", "email", "SHKGoogleReader");
    SHK::setAuthValue("p&ss", "password", "SHKGoogleReader");
    ReportLines log;
    auto item = urlItem("http://example.com/a", "A page");
    item->setText("Look & see");
    item->setCustomValue(ns::String::make("1"), "share");
    auto sharer = SHKGoogleReader::create();
    sharer->setItem(item);
    EXPECT_TRUE(sharer->tryToSend());
    // No report until the token request starts; the sign-in that resumed the share reports after it.
    EXPECT_EQ(log.lines, std::vector<std::string>{});
    ASSERT_TRUE(waitForRequests(3));
    ASSERT_TRUE(waitForLines(log, 3));
    EXPECT_EQ(log.lines, (std::vector<std::string>{"started", "auth 1", "finished"}));
    auto requests = server.requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].method, "POST");
    EXPECT_EQ(requests[0].target, "/accounts/ClientLogin");
    EXPECT_EQ(requests[0].body,
              "service=reader&source=ShareCore-Velmo%20%26%20Co-0.2.1&Email=me%40example.com"
              "&Passwd=p%26ss&accountType=GOOGLE");
    // The line with two "=" is no pair.
    ASSERT_TRUE(sharer->session());
    EXPECT_EQ(sharer->session()->count(), 2u);
    EXPECT_EQ(requests[1].method, "GET");
    EXPECT_EQ(requests[1].target.rfind("/reader/api/0/token?ck=", 0), 0u);
    EXPECT_EQ(requests[1].header("Cookie"), "SID=s1; Auth=A.b-c");
    EXPECT_EQ(requests[1].header("Authorization"), "GoogleLogin auth=A.b-c");
    EXPECT_EQ(requests[2].method, "POST");
    EXPECT_EQ(requests[2].target, "/reader/api/0/item/edit");
    EXPECT_EQ(requests[2].header("Cookie"), "SID=s1; Auth=A.b-c");
    EXPECT_EQ(requests[2].header("Authorization"), "GoogleLogin auth=A.b-c");
    EXPECT_EQ(requests[2].body,
              "T=tok/1&linkify=false&snippet=Look%20%26%20see&srcTitle=Velmo%20%26%20Co"
              "&srcUrl=http://velmo.example/&title=A%20page&url=http%3A%2F%2Fexample.com%2Fa"
              "&share=true");
}

TEST_F(GoogleReader, TheSessionOfEitherLineEndAndThePasswordAsTypedReachTheNextRequests)
{
    struct Row
    {
        const char* name;
        const char* reply;
        const char* password;
        const char* passwd;
    } rows[] = {
        {"CR LF", "SID=s1\r\nAuth=A1\r\n", "pw", "pw"},
        {"LF", "SID=s1\nAuth=A1\n", "pw", "pw"},
        {"CR LF, no last line end", "SID=s1\r\nAuth=A1", "pw", "pw"},
        {"an entity in the password", "SID=s1\nAuth=A1\n", "p&amp;w", "p%26amp;w"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        server.clearRequests();
        server.route("/accounts/ClientLogin", ScriptedReply::text(200, row.reply));
        SHK::setAuthValue("me", "email", "SHKGoogleReader");
        SHK::setAuthValue(row.password, "password", "SHKGoogleReader");
        ReportLines log;
        auto sharer = sendPage();
        ASSERT_TRUE(waitForLines(log, 3));
        EXPECT_EQ(log.lines, (std::vector<std::string>{"started", "auth 1", "finished"}));
        auto requests = server.requests();
        ASSERT_EQ(requests.size(), 3u);
        std::string passwd = "&Passwd=";
        passwd += row.passwd;
        passwd += "&";
        EXPECT_NE(requests[0].body.find(passwd), std::string::npos) << requests[0].body;
        for (std::size_t i = 1; i < 3; ++i) {
            EXPECT_EQ(requests[i].header("Cookie"), "SID=s1; Auth=A1");
            EXPECT_EQ(requests[i].header("Authorization"), "GoogleLogin auth=A1");
        }
        settle();
    }
}

TEST_F(GoogleReader, TheTokenCarriesTheTimeInWholeSeconds)
{
    server.route("/accounts/ClientLogin", ScriptedReply::text(200, "Auth=x"));
    SHK::setAuthValue("me", "email", "SHKGoogleReader");
    ReportLines log;
    auto sharer = sendPage();
    ASSERT_TRUE(waitForLines(log, 3));
    ASSERT_EQ(server.requestCount(), 3u);
    std::string target = server.requests()[1].target;
    std::string seconds = target.substr(target.find('=') + 1);
    ASSERT_FALSE(seconds.empty());
    EXPECT_EQ(seconds.find_first_not_of("0123456789"), std::string::npos) << target;
    // The share went out without the "Public" switch: the empty text.
    EXPECT_EQ(server.requests()[2].body.substr(server.requests()[2].body.rfind('&')), "&share=");
}

TEST_F(GoogleReader, TheSignInReplyDecidesTheMessage)
{
    struct Row
    {
        const char* reply;
        const char* alert;
    } rows[] = {
        {"Error=BadAuthentication\n", "Login Error: Incorrect username and password"},
        {"Error=CaptchaRequired\nUrl=http://x/y\n", "Login Error: CaptchaRequired"},
        {"SID=1\n", "Login Error: There was an error logging into Google Reader"},
        {"Auth=a=b\n", "Login Error: There was an error logging into Google Reader"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.reply);
        ui::AlertView::clearShownAlerts();
        server.clearRequests();
        server.route("/accounts/ClientLogin", ScriptedReply::text(403, row.reply));
        ReportLines log;
        auto sharer = SHKSharer::shareItem("SHKGoogleReader", urlItem());
        settle();
        auto login = shownForm(sharer);
        ASSERT_TRUE(login);
        logIn(login, "me@example.com", "pw");
        ASSERT_TRUE(waitForLines(log, 1));
        EXPECT_EQ(log.lines, (std::vector<std::string>{"auth 0"}));
        EXPECT_EQ(alertTexts(), (std::vector<std::string>{row.alert}));
        EXPECT_TRUE(driver.answerAlert("Close"));
        EXPECT_EQ(shownForm(sharer), login);
        EXPECT_EQ(SHK::getAuthValueForKey("email", "SHKGoogleReader"), std::nullopt);
        settle();
        SHK::currentHelper()->hideCurrentViewControllerAnimated(false);
        settle();
    }
}

TEST_F(GoogleReader, TheLoginFormSignsInAndTheShareFormKeepsThePublicChoice)
{
    server.route("/accounts/ClientLogin", ScriptedReply::text(200, "Auth=t0k"));
    ReportLines log;
    auto sharer = SHKSharer::shareItem("SHKGoogleReader", urlItem());
    settle();
    auto login = shownForm(sharer);
    ASSERT_TRUE(login);
    ASSERT_EQ(login->sections()[0].rows.size(), 2u);
    EXPECT_EQ(login->sections()[0].rows[0]->key(), "email");
    EXPECT_EQ(login->sections()[0].footer, "Create a free account at Google.com/reader");
    logIn(login, "me@example.com", "pw");
    ASSERT_TRUE(waitForLines(log, 1));
    EXPECT_EQ(SHK::getAuthValueForKey("email", "SHKGoogleReader"), "me@example.com");
    settle();
    auto form = shownForm(sharer);
    ASSERT_TRUE(form);
    ASSERT_NE(form, login);
    ASSERT_TRUE(driver.press("Public"));
    ASSERT_TRUE(driver.press("Send to Google Reader"));
    ASSERT_TRUE(waitForLines(log, 3));
    EXPECT_EQ(log.lines, (std::vector<std::string>{"auth 1", "started", "finished"}));
    EXPECT_TRUE(ns::UserDefaults::standard()->boolForKey("SHKGoogleReader_isPublic"));
    // One sign-in only: the session of the login serves the share.
    EXPECT_EQ(server.requestCount(), 3u);
    EXPECT_NE(server.requests()[2].body.find("&share=true"), std::string::npos);
}

TEST_F(GoogleReader, ARefusedSessionIsForgottenAndTheShareResumesAfterANewSignIn)
{
    struct Row
    {
        const char* name;
        const char* refusedPath;
        std::size_t requestsBeforeRelogin;
    } rows[] = {
        {"token refused", "/reader/api/0/token", 2},
        {"edit refused", "/reader/api/0/item/edit", 3},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        server.clearRequests();
        server.route("/reader/api/0/token", ScriptedReply::text(200, "tok"));
        server.route("/reader/api/0/item/edit", ScriptedReply::text(200, "OK"));
        server.route("/accounts/ClientLogin", ScriptedReply::text(200, "Auth=old"));
        server.route(row.refusedPath, ScriptedReply::text(401, "expired"));
        SHK::setAuthValue("me", "email", "SHKGoogleReader");
        SHK::setAuthValue("pw", "password", "SHKGoogleReader");
        ReportLines log;
        auto sharer = sendPage();
        ASSERT_TRUE(waitForLines(log, 3));
        EXPECT_EQ(log.lines,
                  (std::vector<std::string>{"started", "auth 1",
                                            "failed: Could not authenticate you. Please relogin."}));
        EXPECT_EQ(server.requestCount(), row.requestsBeforeRelogin);
        EXPECT_EQ(sharer->session(), nullptr);
        EXPECT_EQ(sharer->pendingAction(), SHKAwaitResend);
        settle();
        auto login = shownForm(sharer);
        ASSERT_TRUE(login);

        server.route("/reader/api/0/token", ScriptedReply::text(200, "tok"));
        server.route("/reader/api/0/item/edit", ScriptedReply::text(200, "OK"));
        server.route("/accounts/ClientLogin", ScriptedReply::text(200, "Auth=new"));
        logIn(login, "me", "pw2");
        ASSERT_TRUE(waitForLines(log, 6));
        EXPECT_EQ(log.lines.back(), "finished");
        auto requests = server.requests();
        ASSERT_EQ(requests.size(), row.requestsBeforeRelogin + 3);
        EXPECT_EQ(requests.back().path, "/reader/api/0/item/edit");
        EXPECT_EQ(requests.back().header("Authorization"), "GoogleLogin auth=new");
        SHK::currentHelper()->hideCurrentViewControllerAnimated(false);
        settle();
    }
}

TEST_F(GoogleReader, ABadSignInWhileAResendWaitsAsksForTheLoginAgain)
{
    server.route("/accounts/ClientLogin", ScriptedReply::text(403, "Error=BadAuthentication"));
    SHK::setAuthValue("me", "email", "SHKGoogleReader");
    ReportLines log;
    auto sharer = sendPage();
    ASSERT_TRUE(waitForLines(log, 1));
    EXPECT_EQ(log.lines, (std::vector<std::string>{"failed: Could not authenticate you. Please relogin."}));
    EXPECT_TRUE(alertTexts().empty());
    EXPECT_EQ(sharer->pendingAction(), SHKAwaitResend);
    settle();
    EXPECT_TRUE(shownForm(sharer));
}

TEST_F(GoogleReader, OtherTokenAndEditFailuresReportTheServiceText)
{
    struct Row
    {
        const char* path;
        ScriptedReply reply;
        const char* line;
    } rows[] = {
        {"/reader/api/0/token", ScriptedReply::text(500, "x").header("X-Error", "Busy %@"),
         "failed: Busy %@"},
        {"/reader/api/0/token", ScriptedReply::text(500, "x"),
         "failed: The service encountered an error. Please try again later."},
        {"/reader/api/0/item/edit", ScriptedReply::text(400, "x").header("X-Error", "Bad item"),
         "failed: Bad item"},
        {"/reader/api/0/item/edit", ScriptedReply::text(400, "x"),
         "failed: The service encountered an error. Please try again later."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        server.route("/reader/api/0/token", ScriptedReply::text(200, "tok"));
        server.route("/reader/api/0/item/edit", ScriptedReply::text(200, "OK"));
        server.route("/accounts/ClientLogin", ScriptedReply::text(200, "Auth=a"));
        server.route(row.path, row.reply);
        SHK::setAuthValue("me", "email", "SHKGoogleReader");
        ReportLines log;
        auto sharer = sendPage();
        ASSERT_TRUE(waitForLines(log, 3));
        EXPECT_EQ(log.lines, (std::vector<std::string>{"started", "auth 1", row.line}));
        settle();
    }
}

} // namespace
