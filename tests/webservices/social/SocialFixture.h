#pragma once
// What the social network client's tests share: a fresh device with a key window, the manual clock, a
// fake social network on 127.0.0.1 that the configuration points at, and delegates that remember what
// they were told.

#include "foundation/Clock.h"
#include "foundation/HTTPCookie.h"
#include "foundation/HTTPCookieStorage.h"
#include "foundation/RunLoop.h"
#include "foundation/String.h"
#include "sharing/core/DefaultSHKConfigurator.h"
#include "sharing/core/SHKConfiguration.h"
#include "testing/LoopbackServer.h"
#include "testing/TemporaryHome.h"
#include "uikit/AlertView.h"
#include "uikit/Application.h"
#include "uikit/Device.h"
#include "uikit/View.h"
#include "uikit/WebView.h"
#include "uikit/Window.h"
#include "webservices/social/Facebook.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace social_test {

inline constexpr const char* AppId = "513907246831560";

// The texts joined, appended in place.
template <class... Parts> std::string cat(const Parts&... parts)
{
    std::string text;
    ((text += parts), ...);
    return text;
}
// The login site's host; nothing listens there, only its cookies matter.
inline constexpr const char* LoginSite = "http://login.social.test";

class RequestRecorder : public FBRequestDelegate
{
public:
    bool respondsTo(Operation operation) const override
    {
        return answersLoad || (operation != Operation::DidLoad && operation != Operation::DidFailWithError);
    }
    void requestLoading(FBRequest&) override { events.push_back("loading"); }
    void requestDidReceiveResponse(FBRequest&, const ns::Ref<ns::URLResponse>&) override
    {
        events.push_back("response");
    }
    void requestDidFailWithError(FBRequest& request, const ns::Ref<ns::Error>& failure) override
    {
        events.push_back("fail");
        error = failure;
        stateWhenTold = request.state();
    }
    void requestDidLoad(FBRequest& request, const ns::Id& loaded) override
    {
        events.push_back("load");
        result = loaded;
        stateWhenTold = request.state();
    }
    void requestDidLoadRawResponse(FBRequest&, const ns::Ref<ns::Data>& data) override
    {
        events.push_back("raw");
        raw = data;
    }

    bool answersLoad = true;
    std::vector<std::string> events;
    ns::Ref<ns::Error> error;
    ns::Id result;
    ns::Ref<ns::Data> raw;
    unsigned stateWhenTold = 99;
};

class SessionRecorder : public FBSessionDelegate
{
public:
    bool respondsTo(Operation) const override { return true; }
    void fbDidLogin() override { events.push_back("login"); }
    void fbDidNotLogin(bool cancelled) override
    {
        events.push_back(cancelled ? "not login: cancelled" : "not login");
    }
    void fbDidLogout() override { events.push_back("logout"); }
    void fbSessionInvalidated() override { events.push_back("invalidated"); }

    std::vector<std::string> events;
};

class SocialFixture : public ::testing::Test
{
protected:
    SocialFixture()
    {
        ns::RunLoop::main();
        ui::Application::sharedApplication().reset();
        ui::Device::currentDevice()->reset();
        ui::AlertView::clearShownAlerts();
        ui::View::setAnimationsEnabled(true);
        window = ui::Window::create();
        window->makeKeyAndVisible();
        EXPECT_TRUE(server.start());
        SHKConfiguration::reset();
        auto configurator = DefaultSHKConfigurator::create();
        configurator->setValueForKey("facebookAppId", ns::String::make(AppId));
        configurator->setValueForKey("facebookGraphURL", ns::String::make(server.baseURL()));
        configurator->setValueForKey("facebookRestURL", ns::String::make(server.url("/rest")));
        configurator->setValueForKey("facebookDialogURL", ns::String::make(server.url("/m")));
        configurator->setValueForKey("facebookLoginURL", ns::String::make(LoginSite));
        SHKConfiguration::sharedInstanceWithConfigurator(configurator);
        ns::HTTPCookieStorage::shared().deleteAllCookies();
    }
    ~SocialFixture() override
    {
        ui::WebView::setDefaultPageSource(nullptr);
        ns::HTTPCookieStorage::shared().deleteAllCookies();
        SHKConfiguration::reset();
        ui::Device::currentDevice()->reset();
        ui::Application::sharedApplication().reset();
    }

    ns::Ref<Facebook> signedInSession(const ns::Weak<FBSessionDelegate>& delegate = {})
    {
        auto session = Facebook::create(AppId, std::string(), delegate);
        session->setAccessToken(std::string("TOKEN"));
        session->setExpirationDate(ns::Date::withTimeIntervalSinceNow(3600));
        return session;
    }

    // A cookie of the login site, which ending the session deletes.
    static void setLoginCookie()
    {
        ns::HTTPCookieStorage::shared().setCookie(
            ns::make<ns::HTTPCookie>("c_user", "1", "login.social.test", "/", std::nullopt, false, false));
    }
    static bool hasLoginCookie()
    {
        std::string site = LoginSite;
        site += "/";
        return !ns::HTTPCookieStorage::shared().cookiesForURLString(site).empty();
    }

    static bool runUntilDone(const ns::Ref<FBRequest>& request)
    {
        return ns::RunLoop::main().runUntil([&] { return request->state() >= FBRequest::Complete; }, 10);
    }

    // Lets the web view's loads and the animations run to their ends.
    void settle()
    {
        for (int i = 0; i < 5; ++i) {
            ns::RunLoop::main().runDue();
            clock.advance(1);
        }
    }

    testkit::TemporaryHome home;
    ns::ManualClockScope clock;
    testkit::LoopbackServer server;
    ns::Ref<ui::Window> window;
};

} // namespace social_test
