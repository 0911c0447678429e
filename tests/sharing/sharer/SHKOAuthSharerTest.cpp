// The OAuth sign-in end to end against an OAuth 1.0 service on 127.0.0.1 that checks every signature.
#include "sharing/support/FakeOAuthService.h"
#include "sharing/support/FormFixture.h"
#include "sharing/support/OAuthOracle.h"

#include "foundation/Data.h"
#include "foundation/Dictionary.h"
#include "foundation/Error.h"
#include "foundation/HTTPCookieStorage.h"
#include "foundation/RunLoop.h"
#include "foundation/String.h"
#include "foundation/URL.h"
#include "sharing/core/SHK.h"
#include "sharing/oauth/OAAsynchronousDataFetcher.h"
#include "sharing/oauth/OAConsumer.h"
#include "sharing/oauth/OAMutableURLRequest.h"
#include "sharing/oauth/OAServiceTicket.h"
#include "sharing/oauth/OAToken.h"
#include "sharing/oauth/OAURLEncoding.h"
#include "sharing/sharer/SHKOAuthSharer.h"
#include "sharing/ui/SHKActivityIndicator.h"
#include "testing/ClosedPort.h"
#include "uikit/AlertView.h"
#include "uikit/Label.h"
#include "uikit/NavigationController.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

constexpr const char* ConsumerKey = "velmo consumer";
constexpr const char* ConsumerSecret = "consumer secret/+";
constexpr const char* Callback = "https://velmo.example/oauth/done";
constexpr const char* Title = "Fake Service";
constexpr const char* SharerName = "SHKFakeOAuthService";

// Where the service under test lives, read by every new sharer as a real sharer reads its configuration.
struct Addresses
{
    std::string request, authorize, access, update;
    std::string callback = Callback;
};
Addresses& addresses()
{
    static Addresses value;
    return value;
}

// Everything the sharers under test say, in order.
std::vector<std::string>& events()
{
    static std::vector<std::string> value;
    return value;
}

class Recorder : public ns::Object, public SHKSharerDelegateProtocol
{
public:
    void sharerStartedSending(SHKSharer&) override { events().push_back("started"); }
    void sharerFinishedSending(SHKSharer&) override { events().push_back("finished"); }
    void sharerFailedWithError(SHKSharer& sharer, const ns::Ref<ns::Error>& error,
                               bool shouldRelogin) override
    {
        events().push_back("failed " + (error ? error->localizedDescription() : std::string("(null)")));
        // As the default delegate does: a refused token brings the sign-in back.
        if (shouldRelogin)
            sharer.promptAuthorization();
    }
    void sharerCancelledSending(SHKSharer&) override { events().push_back("cancelled"); }
    void sharerAuthDidFinish(SHKSharer&, bool success) override
    {
        events().push_back(success ? "auth YES" : "auth NO");
    }
};

// A service sharer as the real ones are made: the addresses and credentials in its initialiser, its own
// signed request to post a status, and an extra parameter in each token request.
class FakeServiceSharer : public SHKOAuthSharer
{
public:
    static ns::Ref<FakeServiceSharer> create() { return setUp(ns::Factory<FakeServiceSharer>::make()); }

    void tokenRequestModifyRequest(OAMutableURLRequest& request) override
    {
        events().push_back("modify request token");
        request.setOAuthParameterName("x_velmo_client", "test suite");
    }
    void tokenAccessModifyRequest(OAMutableURLRequest& request) override
    {
        events().push_back("modify access token");
        // As xAuth adds its fields: a form body, signed with the rest.
        request.setValue("application/x-www-form-urlencoded", "Content-Type");
        request.setHTTPBody(ns::Data::withString("x_velmo_mode=client%20auth"));
    }

    bool send() override
    {
        if (!validateItem())
            return false;
        events().push_back("send");
        auto request =
            std::make_shared<OAMutableURLRequest>(ns::URL::withString(addresses().update), consumer(),
                                                  accessToken(), std::nullopt, signatureProvider());
        request->setHTTPMethod("POST");
        request->setValue("application/x-www-form-urlencoded", "Content-Type");
        std::string body = "status=";
        body += OAURLEncoding::URLEncodedString(item()->text().value_or(""));
        request->setHTTPBody(ns::Data::withString(body));
        auto fetcher = OAAsynchronousDataFetcher::asynchronousFetcherWithRequest(
            request, shared_from_this(), OAFinishSelector(&FakeServiceSharer::sent),
            OAFailSelector(&FakeServiceSharer::notSent));
        fetcher->start();
        sendDidStart();
        return true;
    }

    std::string className() const override { return SharerName; }

protected:
    FakeServiceSharer()
    {
        setConsumerKey(ConsumerKey);
        setSecretKey(ConsumerSecret);
        setRequestURL(ns::URL::withString(addresses().request));
        setAuthorizeURL(ns::URL::withString(addresses().authorize));
        setAccessURL(ns::URL::withString(addresses().access));
        setAuthorizeCallbackURL(ns::URL::withString(addresses().callback));
    }
    friend ns::Factory<FakeServiceSharer>;

private:
    void sent(OAServiceTicket& ticket, const ns::Ref<ns::Data>&)
    {
        auto response = ticket.response();
        if (ticket.didSucceed())
            sendDidFinish();
        else if (response && response->statusCode() == 401)
            shouldReloginWithPendingAction(SHKAwaitResend);
        else
            sendDidFailWithError(SHK::errorWithDescription("not posted"));
    }
    void notSent(OAServiceTicket&, const ns::Ref<ns::Error>& error) { sendDidFailWithError(error); }
};

class FakeServiceSharerClass : public SHKOAuthSharerClass
{
public:
    std::string sharerTitle() const override { return Title; }
    bool canShareText() const override { return true; }
};

// A sharer of a service without an authorise page of its own (xAuth only).
class PagelessSharer : public SHKOAuthSharer
{
public:
    static ns::Ref<PagelessSharer> create() { return setUp(ns::Factory<PagelessSharer>::make()); }
    std::string className() const override { return "SHKPagelessOAuthService"; }

protected:
    PagelessSharer()
    {
        setConsumerKey(ConsumerKey);
        setSecretKey(ConsumerSecret);
    }
    friend ns::Factory<PagelessSharer>;
};

class OAuthSharer : public FormFixture
{
protected:
    OAuthSharer()
    {
        ns::HTTPCookieStorage::shared().deleteAllCookies();
        SHKSharerClass::registerSharer<FakeServiceSharer, FakeServiceSharerClass>(SharerName);
        SHKSharerClass::registerSharer<PagelessSharer, SHKOAuthSharerClass>("SHKPagelessOAuthService");
        events().clear();
        EXPECT_TRUE(service.start());
        useService();
        ui::WebView::setDefaultPageSource(
            [this](const ns::URLRequest& request) { return service.page(request); });
    }
    ~OAuthSharer() override
    {
        ui::WebView::setDefaultPageSource(nullptr);
        closeAlerts();
        driver.settle();
        ns::HTTPCookieStorage::shared().deleteAllCookies();
    }

    void useService()
    {
        addresses() = {service.requestURL(), service.authorizeURL(), service.accessURL(), service.updateURL(),
                       Callback};
    }

    // Lets the network, the run loop and the clock go on until `done` holds.
    bool waitFor(const std::function<bool()>& done)
    {
        for (int i = 0; i < 500 && !done(); ++i) {
            ns::RunLoop::main().runOnce(0.01);
            driver.advance(0.1);
        }
        return done();
    }
    bool waitForEvent(const std::string& event)
    {
        return waitFor([&] { return std::find(events().begin(), events().end(), event) != events().end(); });
    }
    // Waits for the flow to come to rest: no screen, no overlay, nothing more arriving.
    void settle()
    {
        for (int i = 0; i < 30; ++i) {
            ns::RunLoop::main().runOnce(0.01);
            driver.advance(0.2);
        }
    }

    // The alerts shown, as "title: message", closed as the user would.
    std::vector<std::string> closeAlerts()
    {
        std::vector<std::string> shown;
        for (const auto& alert : ui::AlertView::shownAlerts()) {
            shown.push_back(alert->title().value_or("") + ": " + alert->message().value_or(""));
            EXPECT_EQ(alert->numberOfButtons(), 1);
            EXPECT_EQ(alert->buttonTitleAtIndex(0), "Close");
            if (alert->isVisible())
                alert->dismissWithClickedButtonIndex(0, false);
        }
        ui::AlertView::clearShownAlerts();
        return shown;
    }

    static std::optional<std::string> stored(const std::string& key)
    {
        return SHK::getAuthValueForKey(key, SharerName);
    }

    // Starts a share as the share screens do, keeping nothing of the sharer: from here on only the
    // application's own holds keep it.
    static ns::Weak<FakeServiceSharer> startShare(const std::string& text)
    {
        auto sharer = FakeServiceSharer::create();
        sharer->setShareDelegate(ns::make<Recorder>());
        sharer->loadItem(SHKItem::text(text));
        sharer->share();
        return sharer;
    }
    // The token a new sharer restores from the keychain.
    static ns::Ref<OAToken> restoredToken()
    {
        auto sharer = FakeServiceSharer::create();
        return sharer->isAuthorized() ? sharer->accessToken() : nullptr;
    }

    FakeOAuthService service{ConsumerKey, ConsumerSecret};
};

} // namespace

TEST_F(OAuthSharer, SignsInStoresTheTokenResumesTheShareThenReports)
{
    ns::HTTPCookieStorage::shared().setCookiesFromFields({"elsewhere=1; Path=/"}, "https://other.example/");
    auto sharer = startShare("Hello from Velmo & friends");
    ASSERT_FALSE(sharer.expired()) << "the sign-in holds the sharer";
    EXPECT_EQ(sharer.lock()->pendingAction(), SHKAwaitShare);
    // The request token is on its way behind the overlay.
    EXPECT_EQ(SHKActivityIndicator::currentIndicator()->subMessageLabel()->text(), "Connecting...");

    ASSERT_TRUE(waitForEvent("finished"));
    settle();
    EXPECT_EQ(events(), (std::vector<std::string>{"modify request token", "modify access token", "send",
                                                  "started", "auth YES", "finished"}));
    EXPECT_EQ(service.updates(), std::vector<std::string>{"Hello from Velmo & friends"});
    EXPECT_TRUE(closeAlerts().empty());

    // Every request carried a good signature.
    auto judged = service.judged();
    ASSERT_EQ(judged.size(), 3u);
    std::vector<std::string> verdicts;
    for (const auto& request : judged)
        verdicts.push_back(request.endpoint + " " + request.verdict);
    EXPECT_EQ(verdicts, (std::vector<std::string>{"request_token ok", "access_token ok", "update ok"}));
    auto requestToken = authorizationParameters(*judged[0].request.header("Authorization"));
    EXPECT_EQ(requestToken["oauth_callback"], Callback);
    EXPECT_EQ(requestToken["x_velmo_client"], "test suite");
    EXPECT_EQ(requestToken.count("oauth_token"), 0u);
    auto accessToken = authorizationParameters(*judged[1].request.header("Authorization"));
    EXPECT_EQ(accessToken["oauth_token"], FakeOAuthService::requestTokenKey(1));
    EXPECT_EQ(accessToken["oauth_verifier"], "verifier-1");
    EXPECT_EQ(judged[1].request.body, "x_velmo_mode=client%20auth");

    // The token is kept, and the share has ended.
    EXPECT_EQ(stored("accessKey"), "access-2");
    EXPECT_EQ(stored("accessSecret"), "access secret 2");
    EXPECT_EQ(stored("sessionHandle"), "handle-2");
    EXPECT_TRUE(sharer.expired());
    EXPECT_FALSE(SHK::currentHelper()->currentView());
    EXPECT_TRUE(SHKActivityIndicator::currentIndicator()->isHidden() ||
                !SHKActivityIndicator::currentIndicator()->superview());

    // A new sharer is authorised from the keychain and posts at once, without signing in again.
    events().clear();
    startShare("Again");
    ASSERT_TRUE(waitForEvent("finished"));
    EXPECT_EQ(events(), (std::vector<std::string>{"send", "started", "finished"}));
    EXPECT_EQ(restoredToken()->sessionHandle(), "handle-2");
    EXPECT_EQ(service.judged().back().verdict, "ok");
    EXPECT_EQ(service.updates().back(), "Again");

    // The sign-in page's cookie is there until logout, which also forgets the token.
    auto authorize = ns::URL::withString(service.authorizeURL());
    ASSERT_EQ(ns::HTTPCookieStorage::shared().cookiesForURL(authorize.get()).size(), 1u);
    EXPECT_EQ(ns::HTTPCookieStorage::shared().cookiesForURL(authorize.get())[0]->name(),
              FakeOAuthService::SignInCookie);
    SHKSharerClass::named(SharerName)->logout();
    EXPECT_TRUE(ns::HTTPCookieStorage::shared().cookiesForURL(authorize.get()).empty());
    EXPECT_EQ(ns::HTTPCookieStorage::shared().cookies().size(), 1u) << "another site's cookie stays";
    EXPECT_EQ(stored("accessKey"), std::nullopt);
    EXPECT_EQ(stored("accessSecret"), std::nullopt);
    EXPECT_EQ(stored("sessionHandle"), std::nullopt);
    EXPECT_FALSE(FakeServiceSharer::create()->isAuthorized());
}

TEST_F(OAuthSharer, AnRFC5849ImplementationAgreesWithEverySignature)
{
    startShare("Checked twice");
    ASSERT_TRUE(waitForEvent("finished"));
    settle();
    auto judged = service.judged();
    ASSERT_EQ(judged.size(), 3u);

    std::vector<oauth_test::OracleRequest> asked;
    for (const auto& request : judged)
        asked.push_back({request.request.method, service.baseURL() + request.request.target,
                         request.request.body, request.request.header("Content-Type").value_or(""),
                         request.request.header("Authorization").value_or(""), ConsumerSecret,
                         request.tokenSecret});
    std::vector<oauth_test::OracleVerdict> verdicts;
    ASSERT_NO_FATAL_FAILURE(oauth_test::askOracle(asked, verdicts));
    if (IsSkipped())
        return;
    for (std::size_t i = 0; i < judged.size(); ++i) {
        SCOPED_TRACE(judged[i].endpoint);
        auto sent = authorizationParameters(judged[i].request.header("Authorization").value_or(""));
        EXPECT_EQ(sent["oauth_signature"], verdicts[i].signature);
        EXPECT_EQ(rfc5849BaseString(judged[i].request, service.baseURL()), verdicts[i].base);
    }
}

TEST_F(OAuthSharer, EachFailedStepShowsItsAlertAndLeavesTheSharerUnauthorised)
{
    using testkit::ScriptedReply;
    testkit::ClosedPort closed;
    std::string nowhere = "http://127.0.0.1:" + std::to_string(closed.port());
    struct Row
    {
        const char* name;
        std::function<void(FakeOAuthService&)> script;
        std::vector<std::string> alerts; // "title: message"; "*" stands for the network error's description
        std::vector<std::string> events;
        bool webViewShown;
        bool cancel = false; // the user gives up on the authorise page
    };
    const std::string requestProblem =
        "Request Error: There was a problem requesting authorization from Fake Service";
    const std::string accessProblem = "Access Error: There was a problem requesting access from Fake Service";
    const Row rows[] = {
        {"request token refused",
         [](FakeOAuthService& s) { s.requestTokenReply = ScriptedReply::text(500, "no"); },
         {requestProblem},
         {"modify request token"},
         false},
        {"request token without a secret",
         [](FakeOAuthService& s) { s.requestTokenReply = ScriptedReply::text(200, "oauth_token=t"); },
         {requestProblem},
         {"modify request token"},
         false},
        {"request token reply of another kind",
         [](FakeOAuthService& s) { s.requestTokenReply = ScriptedReply::text(200, "<html>welcome</html>"); },
         {requestProblem},
         {"modify request token"},
         false},
        {"request token unreachable",
         [&](FakeOAuthService&) { addresses().request = nowhere + "/oauth/request_token"; },
         {"Request Error: *"},
         {"modify request token"},
         false},
        {"the user refused on the authorise page",
         [](FakeOAuthService& s) { s.authorizeQuery = "oauth_problem=permission_denied"; },
         {"Authorize Error: There was an error while authorizing"},
         {"modify request token", "auth NO"},
         true},
        {"the authorise page failed to load",
         [](FakeOAuthService& s) {
             s.authorizePageError = ns::Error::withDescription(ui::URLErrorDomain, ui::URLErrorTimedOut,
                                                               "The request timed out.");
         },
         {"Authorize Error: The request timed out."},
         {"modify request token", "auth NO"},
         true},
        {"the user cancelled",
         [](FakeOAuthService& s) { s.holdAuthorizePage = true; },
         {},
         {"modify request token", "auth NO"},
         true,
         true},
        {"access token refused",
         [](FakeOAuthService& s) {
             s.accessTokenReply = ScriptedReply::text(401, "oauth_problem=token_expired");
         },
         {accessProblem},
         {"modify request token", "modify access token", "auth NO"},
         true},
        {"access token without a secret",
         [](FakeOAuthService& s) { s.accessTokenReply = ScriptedReply::text(200, "oauth_token=a&x=1"); },
         {accessProblem},
         {"modify request token", "modify access token", "auth NO"},
         true},
        {"access token unreachable",
         [&](FakeOAuthService&) { addresses().access = nowhere + "/oauth/access_token"; },
         {"Access Error: *"},
         {"modify request token", "modify access token"},
         true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        useService();
        service.reset();
        events().clear();
        row.script(service);
        bool webViewShown = false;
        auto sharer = startShare("Not yet");
        if (row.cancel) {
            ASSERT_TRUE(waitFor([] {
                return ns::cast<ui::NavigationController>(SHK::currentHelper()->currentView()) != nullptr;
            }));
            driver.advance(1);
            webViewShown = true;
            ASSERT_TRUE(driver.press("Cancel"));
        }
        for (int i = 0;
             i < 300 && (events() != row.events || ui::AlertView::shownAlerts().size() < row.alerts.size());
             ++i) {
            ns::RunLoop::main().runOnce(0.01);
            driver.advance(0.1);
            auto shown = ns::cast<ui::NavigationController>(SHK::currentHelper()->currentView());
            if (shown && ns::cast<SHKOAuthView>(shown->topViewController()))
                webViewShown = true;
        }
        settle();
        EXPECT_EQ(events(), row.events);
        auto alerts = closeAlerts();
        ASSERT_EQ(alerts.size(), row.alerts.size());
        for (std::size_t i = 0; i < alerts.size(); ++i) {
            if (row.alerts[i].back() == '*') {
                std::string title = row.alerts[i].substr(0, row.alerts[i].size() - 1);
                EXPECT_EQ(alerts[i].substr(0, title.size()), title);
                EXPECT_GT(alerts[i].size(), title.size()) << "the network error's description";
            } else {
                EXPECT_EQ(alerts[i], row.alerts[i]);
            }
        }
        EXPECT_EQ(webViewShown, row.webViewShown);
        // Nothing is kept, the screens have gone, and a later share starts again.
        EXPECT_EQ(stored("accessKey"), std::nullopt);
        EXPECT_EQ(stored("accessSecret"), std::nullopt);
        EXPECT_FALSE(FakeServiceSharer::create()->isAuthorized());
        EXPECT_TRUE(sharer.expired()) << "the share ended, so the sharer no longer holds itself";
        EXPECT_FALSE(SHK::currentHelper()->currentView());
        EXPECT_TRUE(service.updates().empty());
        for (const auto& request : service.judged())
            EXPECT_EQ(request.verdict, "ok") << request.endpoint;
    }
}

TEST_F(OAuthSharer, RestoresOnlyAWholeStoredTokenAndMakesTheConsumerEachTime)
{
    auto sharer = FakeServiceSharer::create();
    SHK::setAuthValue("key only", "accessKey", SharerName);
    EXPECT_FALSE(sharer->isAuthorized());
    ASSERT_TRUE(sharer->consumer());
    EXPECT_EQ(sharer->consumer()->key(), ConsumerKey);
    EXPECT_EQ(sharer->consumer()->secret(), ConsumerSecret);

    SHK::setAuthValue("the secret", "accessSecret", SharerName);
    EXPECT_TRUE(sharer->isAuthorized());
    EXPECT_EQ(sharer->accessToken()->key(), "key only");
    EXPECT_EQ(sharer->accessToken()->secret(), "the secret");
    EXPECT_EQ(sharer->accessToken()->sessionHandle(), std::nullopt);

    // A held token answers without the keychain; the consumer is made anew all the same.
    SHK::removeAuthValueForKey("accessKey", SharerName);
    auto before = sharer->consumer();
    sharer->setConsumerKey("another key");
    EXPECT_TRUE(sharer->isAuthorized());
    EXPECT_NE(sharer->consumer(), before);
    EXPECT_EQ(sharer->consumer()->key(), "another key");

    // Without any stored token the share starts the sign-in.
    SHK::removeAuthValueForKey("accessSecret", SharerName);
    auto fresh = startShare("Sign in first");
    ASSERT_FALSE(fresh.expired());
    EXPECT_FALSE(fresh.lock()->accessToken());
    EXPECT_EQ(events(), std::vector<std::string>{"modify request token"});
    ASSERT_TRUE(waitForEvent("finished"));
}

TEST_F(OAuthSharer, ANewTokenWithoutSessionHandleDropsTheOldHandle)
{
    startShare("First");
    ASSERT_TRUE(waitForEvent("finished"));
    settle();
    EXPECT_EQ(stored("sessionHandle"), "handle-2");

    service.sessionHandles = false;
    SHKSharerClass::named(SharerName)->logout();
    SHK::setAuthValue("handle of a token long gone", "sessionHandle", SharerName);
    events().clear();
    startShare("Second");
    ASSERT_TRUE(waitForEvent("finished"));
    settle();
    EXPECT_EQ(stored("accessKey"), "access-4");
    EXPECT_EQ(stored("sessionHandle"), std::nullopt);
    EXPECT_EQ(FakeServiceSharer::create()->isAuthorized(), true);
    auto restored = FakeServiceSharer::create();
    restored->isAuthorized();
    EXPECT_EQ(restored->accessToken()->sessionHandle(), std::nullopt);
}

TEST_F(OAuthSharer, LogoutOfAServiceWithoutAuthorisePageKeepsTheCookies)
{
    ns::HTTPCookieStorage::shared().setCookiesFromFields({"kept=1; Path=/"}, service.authorizeURL());
    SHK::setAuthValue("k", "accessKey", "SHKPagelessOAuthService");
    SHK::setAuthValue("s", "accessSecret", "SHKPagelessOAuthService");
    SHK::setAuthValue("h", "sessionHandle", "SHKPagelessOAuthService");
    SHKSharerClass::named("SHKPagelessOAuthService")->logout();
    for (const char* key : {"accessKey", "accessSecret", "sessionHandle"})
        EXPECT_EQ(SHK::getAuthValueForKey(key, "SHKPagelessOAuthService"), std::nullopt) << key;
    EXPECT_EQ(ns::HTTPCookieStorage::shared().cookies().size(), 1u);
}

TEST_F(OAuthSharer, RefreshingSignsWithTheAccessTokenWithoutTheOverlay)
{
    startShare("First");
    ASSERT_TRUE(waitForEvent("finished"));
    settle();
    ns::Weak<FakeServiceSharer> weak;
    {
        auto sharer = FakeServiceSharer::create();
        sharer->setShareDelegate(ns::make<Recorder>());
        sharer->loadItem(SHKItem::text("After refresh"));
        ASSERT_TRUE(sharer->isAuthorized());
        events().clear();
        service.allowRefresh = true;
        sharer->refreshToken();
        EXPECT_EQ(sharer->pendingAction(), SHKAwaitTokenRefresh);
        weak = sharer;
    }
    EXPECT_FALSE(SHKActivityIndicator::currentIndicator()->superview());
    // The waiting share goes out with the new token once the exchange is through.
    ASSERT_TRUE(waitForEvent("finished"));
    EXPECT_EQ(events(),
              (std::vector<std::string>{"modify access token", "send", "started", "auth YES", "finished"}));
    auto judged = service.judged();
    ASSERT_GE(judged.size(), 2u);
    const auto& exchange = judged[judged.size() - 2];
    EXPECT_EQ(exchange.endpoint + " " + exchange.verdict, "access_token ok");
    EXPECT_EQ(authorizationParameters(*exchange.request.header("Authorization"))["oauth_token"], "access-2");
    EXPECT_EQ(judged.back().endpoint + " " + judged.back().verdict, "update ok");
    EXPECT_EQ(authorizationParameters(*judged.back().request.header("Authorization"))["oauth_token"],
              "access-3");
    EXPECT_EQ(service.updates().back(), "After refresh");
    EXPECT_EQ(stored("accessKey"), "access-3");
    settle();
    EXPECT_TRUE(weak.expired());
}

TEST_F(OAuthSharer, ARevokedTokenSignsInAgainAndSendsOnceMore)
{
    startShare("First");
    ASSERT_TRUE(waitForEvent("finished"));
    settle();
    // The person revokes the application at the service; the next status is refused, the sign-in runs
    // again from the failure report, and the status goes once more with the new token.
    service.revokeAccessTokens();
    events().clear();
    auto sharer = startShare("Second");
    ASSERT_TRUE(waitForEvent("finished"));
    settle();
    EXPECT_EQ(events(), (std::vector<std::string>{"send", "started",
                                                  "failed Could not authenticate you. Please relogin.",
                                                  "modify request token", "modify access token", "send",
                                                  "started", "auth YES", "finished"}));
    EXPECT_EQ(service.updates(), (std::vector<std::string>{"First", "Second"}));
    EXPECT_EQ(stored("accessKey"), "access-4");
    EXPECT_TRUE(closeAlerts().empty());
    EXPECT_TRUE(sharer.expired()) << "the share ended, so the sharer no longer holds itself";
    EXPECT_FALSE(SHK::currentHelper()->currentView());
}
