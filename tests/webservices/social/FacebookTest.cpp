// The social network's session: validity, the sign-in chain, the address the sign-in comes back with, and
// the web dialogs it makes.
#include "SocialFixture.h"

#include "foundation/URLRequest.h"

#include <algorithm>
#include <string>

using namespace social_test;
using testkit::ScriptedReply;

namespace {

class FacebookTest : public SocialFixture
{
protected:
    bool windowHolds(const ns::Ref<ui::View>& view) const
    {
        const auto& subviews = window->subviews();
        return std::find(subviews.begin(), subviews.end(), view) != subviews.end();
    }
};

const std::string Permissions = "scope=publish_stream%2Coffline_access";

TEST_F(FacebookTest, ASessionIsValidOnlyWithATokenThatExpiresLater)
{
    auto session = Facebook::create(AppId, std::nullopt, {});
    EXPECT_FALSE(session->isSessionValid());
    session->setAccessToken(std::string("T"));
    EXPECT_FALSE(session->isSessionValid());
    session->setExpirationDate(ns::Date::now());
    EXPECT_FALSE(session->isSessionValid());
    session->setExpirationDate(ns::Date::withTimeIntervalSinceNow(1));
    EXPECT_TRUE(session->isSessionValid());
    clock.advance(1);
    EXPECT_FALSE(session->isSessionValid());
}

TEST_F(FacebookTest, LogoutForgetsTheTokenAndTheLoginSitesCookies)
{
    setLoginCookie();
    auto delegate = std::make_shared<SessionRecorder>();
    auto session = signedInSession(delegate);
    session->logout();
    EXPECT_FALSE(session->accessToken());
    EXPECT_FALSE(session->expirationDate());
    EXPECT_FALSE(hasLoginCookie());
    EXPECT_EQ(delegate->events, std::vector<std::string>{"logout"});
}

TEST_F(FacebookTest, SigningInTriesTheNetworksApplicationThenTheBrowserThenTheDialog)
{
    std::string common = "client_id=513907246831560&type=user_agent&redirect_uri=";
    std::string appURL =
        cat("fbauth2://authorize?", common, "fbconnect%3A%2F%2Fsuccess&display=touch&sdk=ios&", Permissions,
            "&local_client_id=");
    std::string browserURL =
        cat(server.url("/m/dialog/oauth?"), common,
            "fb513907246831560%3A%2F%2Fauthorize&display=touch&sdk=ios&", Permissions, "&local_client_id=");
    std::string dialogURL =
        cat(server.url("/m/dialog/oauth?"), common, "fbconnect%3A%2F%2Fsuccess&display=touch&sdk=ios&",
            Permissions, "&local_client_id=");
    struct Row
    {
        const char* name;
        bool multitasking;
        std::vector<std::string> openable;
        std::string opened; // "" for none
        bool dialog;
    } rows[] = {
        {"the network's application", true, {"fbauth2", "https", "http"}, appURL, false},
        {"the browser", true, {"https", "http"}, browserURL, false},
        {"no hand-off opens", true, {}, "", true},
        {"a device without multitasking", false, {"fbauth2", "https", "http"}, "", true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto& application = ui::Application::sharedApplication();
        application.reset();
        window = ui::Window::create();
        window->makeKeyAndVisible();
        application.setOpenableSchemes(row.openable);
        ui::Device::currentDevice()->setMultitaskingSupported(row.multitasking);
        auto session = Facebook::create(AppId, std::string(), {});
        session->authorize({"publish_stream", "offline_access"});
        if (row.opened.empty())
            EXPECT_TRUE(application.openedURLs().empty());
        else
            EXPECT_EQ(application.openedURLs(), std::vector<std::string>{row.opened});
        if (row.dialog) {
            auto dialog = ns::cast<FBLoginDialog>(session->loginDialog());
            ASSERT_TRUE(dialog);
            // The dialog inside the application keeps its own address to come back to.
            ASSERT_TRUE(dialog->loadingURL());
            EXPECT_EQ(dialog->loadingURL()->absoluteString(), dialogURL);
            EXPECT_TRUE(windowHolds(dialog));
            EXPECT_TRUE(windowHolds(dialog->modalBackgroundView()));
        } else {
            EXPECT_FALSE(session->loginDialog());
        }
    }
}

TEST_F(FacebookTest, TheLoginDialogSignsInWithTheTokenOfItsSuccessAddress)
{
    ui::Application::sharedApplication().setOpenableSchemes({});
    ui::WebView::setDefaultPageSource([](const ns::URLRequest& request) {
        ui::WebPage page;
        if (request.URLString().find("/dialog/oauth") != std::string::npos)
            page.redirectTo = "fbconnect://success#access_token=ABC%2FD&expires_in=3600";
        return page;
    });
    auto delegate = std::make_shared<SessionRecorder>();
    auto session = Facebook::create(AppId, std::string(), delegate);
    session->authorize({"publish_stream"});
    auto dialog = session->loginDialog();
    ASSERT_TRUE(dialog);
    double start = ns::Date::now()->timeIntervalSince1970();
    settle();
    EXPECT_EQ(delegate->events, std::vector<std::string>{"login"});
    EXPECT_EQ(session->accessToken(), "ABC/D");
    ASSERT_TRUE(session->expirationDate());
    EXPECT_GE(session->expirationDate()->timeIntervalSince1970(), start + 3600);
    EXPECT_LE(session->expirationDate()->timeIntervalSince1970(), start + 3601);
    EXPECT_FALSE(windowHolds(dialog));
    EXPECT_FALSE(windowHolds(dialog->modalBackgroundView()));
}

TEST_F(FacebookTest, TheLoginDialogsCancelAndFailureReportNoSignIn)
{
    struct Row
    {
        const char* name;
        std::optional<std::string> redirect;
        ns::Ref<ns::Error> error;
        std::string event;
    } rows[] = {
        {"cancel", "fbconnect://cancel", nullptr, "not login: cancelled"},
        {"a cancel with an error code", "fbconnect://cancel?error_code=200&error_msg=Denied", nullptr,
         "not login"},
        {"a success without token", "fbconnect://success#expires_in=0", nullptr, "not login: cancelled"},
        {"a failed load", std::nullopt, ns::Error::make(ns::URLErrorDomain, -1009), "not login"},
        {"an interrupted load", std::nullopt, ns::Error::make(ns::URLErrorDomain, -999), ""},
    };
    ui::Application::sharedApplication().setOpenableSchemes({});
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ui::WebView::setDefaultPageSource([&](const ns::URLRequest&) {
            ui::WebPage page;
            page.redirectTo = row.redirect;
            page.error = row.error;
            return page;
        });
        auto delegate = std::make_shared<SessionRecorder>();
        auto session = Facebook::create(AppId, std::string(), delegate);
        session->authorize({});
        settle();
        EXPECT_EQ(delegate->events,
                  row.event.empty() ? std::vector<std::string>{} : std::vector<std::string>{row.event});
        EXPECT_FALSE(session->isSessionValid());
    }
}

TEST_F(FacebookTest, TheSignInComesBackThroughTheApplicationsOwnAddress)
{
    const double now = ns::Date::now()->timeIntervalSince1970();
    const double future = ns::Date::distantFuture()->timeIntervalSince1970();
    struct Row
    {
        const char* name;
        std::string url;
        bool handled;
        std::vector<std::string> events;
        std::optional<std::string> token;
        double expiry; // 0: none
    } rows[] = {
        {"expires_in 0",
         "fb513907246831560://authorize#access_token=T1&expires_in=0",
         true,
         {"login"},
         "T1",
         future},
        {"no expires_in", "fb513907246831560://authorize#access_token=T2", true, {"login"}, "T2", future},
        {"expires_in N",
         "fb513907246831560://authorize#access_token=T3&expires_in=600",
         true,
         {"login"},
         "T3",
         now + 600},
        {"in the query",
         "fb513907246831560://authorize?access_token=T%204&expires_in=60",
         true,
         {"login"},
         "T 4",
         now + 60},
        {"a pair without equals",
         "fb513907246831560://authorize#junk&access_token=T5",
         true,
         {"login"},
         "T5",
         future},
        {"access denied",
         "fb513907246831560://authorize?error=access_denied",
         true,
         {"not login: cancelled"},
         std::nullopt,
         0},
        {"access denied with a code",
         "fb513907246831560://authorize?error=access_denied&error_code=200",
         true,
         {"not login"},
         std::nullopt,
         0},
        {"another error",
         "fb513907246831560://authorize?error=unknown",
         true,
         {"not login"},
         std::nullopt,
         0},
        {"nothing", "fb513907246831560://authorize", true, {"not login: cancelled"}, std::nullopt, 0},
        {"a bad escape",
         "fb513907246831560://authorize#access_token=%FF",
         true,
         {"not login: cancelled"},
         std::nullopt,
         0},
        {"another application", "fb111://authorize#access_token=T", false, {}, std::nullopt, 0},
        {"a web address", "http://example.com/#access_token=T", false, {}, std::nullopt, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto delegate = std::make_shared<SessionRecorder>();
        auto session = Facebook::create(AppId, std::string(), delegate);
        EXPECT_EQ(session->handleOpenURL(ns::URL::withString(row.url)), row.handled);
        EXPECT_EQ(delegate->events, row.events);
        EXPECT_EQ(session->accessToken(), row.token);
        if (row.expiry == 0)
            EXPECT_FALSE(session->expirationDate());
        else
            ASSERT_TRUE(session->expirationDate() &&
                        session->expirationDate()->timeIntervalSince1970() == row.expiry);
    }
}

TEST_F(FacebookTest, ADisabledServiceSignsInAgainAnotherWay)
{
    auto& application = ui::Application::sharedApplication();
    application.setOpenableSchemes({"https", "http"});
    auto delegate = std::make_shared<SessionRecorder>();
    auto session = Facebook::create(AppId, std::string(), delegate);
    EXPECT_TRUE(session->handleOpenURL(
        ns::URL::withString("fb513907246831560://authorize?error=service_disabled_use_browser")));
    ASSERT_EQ(application.openedURLs().size(), 1u);
    EXPECT_EQ(application.openedURLs()[0].rfind(server.url("/m/dialog/oauth?"), 0), 0u);
    EXPECT_FALSE(session->loginDialog());

    EXPECT_TRUE(
        session->handleOpenURL(ns::URL::withString("fb513907246831560://authorize?error=service_disabled")));
    EXPECT_EQ(application.openedURLs().size(), 1u);
    EXPECT_TRUE(session->loginDialog());
    EXPECT_TRUE(delegate->events.empty());
}

TEST_F(FacebookTest, AWebDialogGetsTheSessionsParameters)
{
    auto session = signedInSession();
    auto params = ns::MutableDictionary::make();
    params->setObject(ns::String::make("http://x.test/a b"), "link");
    session->dialog("feed", params, {});
    auto dialog = session->dialog();
    ASSERT_TRUE(dialog);
    EXPECT_FALSE(ns::cast<FBLoginDialog>(dialog));
    EXPECT_EQ(dialog->loadingURL()->absoluteString(),
              server.url("/m/dialog/feed?link=http%3A%2F%2Fx.test%2Fa%20b&display=touch&sdk=2&"
                         "redirect_uri=fbconnect%3A%2F%2Fsuccess&app_id=513907246831560&access_token=TOKEN"));
    EXPECT_TRUE(windowHolds(dialog));

    // The next dialog replaces it; "oauth" makes a login dialog.
    session->dialog("oauth", {});
    EXPECT_TRUE(ns::cast<FBLoginDialog>(session->dialog()));
    EXPECT_EQ(
        session->dialog()->loadingURL()->absoluteString(),
        server.url(
            "/m/dialog/oauth?display=touch&sdk=2&redirect_uri=fbconnect%3A%2F%2Fsuccess&type=user_agent"));
}

} // namespace
