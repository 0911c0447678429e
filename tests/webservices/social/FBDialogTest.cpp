// The social network's web dialog: how its page ends it, where links go, and its panel's geometry.
#include "SocialFixture.h"

#include "foundation/NotificationCenter.h"
#include "foundation/URLRequest.h"
#include "uikit/Button.h"
#include "uikit/Keyboard.h"
#include "uikit/Screen.h"

#include <cmath>
#include <numbers>
#include <string>

using namespace social_test;

namespace {

class DialogRecorder : public FBDialogDelegate
{
public:
    bool respondsTo(Operation operation) const override
    {
        return operation != Operation::ShouldOpenURLInExternalBrowser || answersExternal;
    }
    void dialogDidComplete(FBDialog&) override { events.push_back("complete"); }
    void dialogCompleteWithUrl(const ns::Ref<ns::URL>& url) override
    {
        events.push_back(cat("complete with ", url->absoluteString()));
    }
    void dialogDidNotCompleteWithUrl(const ns::Ref<ns::URL>& url) override
    {
        events.push_back(cat("not complete with ", url ? url->absoluteString() : std::string("nothing")));
    }
    void dialogDidNotComplete(FBDialog&) override { events.push_back("not complete"); }
    void dialogDidFailWithError(FBDialog&, const ns::Ref<ns::Error>& failure) override
    {
        events.push_back("fail");
        error = failure;
    }
    bool dialogShouldOpenURLInExternalBrowser(FBDialog&, const ns::Ref<ns::URL>& url) override
    {
        events.push_back(cat("asked about ", url->absoluteString()));
        return openExternal;
    }

    bool answersExternal = true;
    bool openExternal = true;
    std::vector<std::string> events;
    ns::Ref<ns::Error> error;
};

class FBDialogTest : public SocialFixture
{
protected:
    ns::Ref<FBDialog> showDialog(const ns::Ref<DialogRecorder>& delegate)
    {
        auto params = ns::MutableDictionary::make();
        params->setObject(ns::String::make("touch"), "display");
        auto dialog = FBDialog::create(server.url("/m/dialog/feed"), params, delegate);
        dialog->show();
        settle();
        return dialog;
    }
};

TEST_F(FBDialogTest, ThePageEndsTheDialogThroughItsLinks)
{
    using Nav = ui::WebViewNavigationType;
    const std::string page = "/m/dialog/feed?display=touch";
    struct Row
    {
        const char* name;
        std::string url; // "" for the page itself
        Nav navigation;
        bool answersExternal;
        bool openExternal;
        bool loads;
        std::vector<std::string> events;
        long errorCode;
        std::string errorMsg;
        std::string opened;
        bool staysUp;
    } rows[] = {
        {"cancel with an error code",
         "fbconnect://cancel?error_code=190&error_msg=Expired",
         Nav::Other,
         true,
         true,
         false,
         {"fail"},
         190,
         "Expired",
         "",
         false},
        {"cancel",
         "fbconnect://cancel",
         Nav::Other,
         true,
         true,
         false,
         {"not complete with fbconnect://cancel", "not complete"},
         0,
         "",
         "",
         false},
        {"success with a post id",
         "fbconnect://success#post_id=1_2",
         Nav::Other,
         true,
         true,
         false,
         {"complete with fbconnect://success#post_id=1_2", "complete"},
         0,
         "",
         "",
         false},
        {"success carrying an error code",
         "fbconnect://success?error_code=190&error_msg=Session%20expired",
         Nav::Other,
         true,
         true,
         false,
         {"fail"},
         190,
         "Session expired",
         "",
         false},
        {"a short fbconnect address",
         "fbconnect:x",
         Nav::Other,
         true,
         true,
         false,
         {"complete with fbconnect:x", "complete"},
         0,
         "",
         "",
         false},
        {"the page itself", "", Nav::LinkClicked, true, true, true, {}, 0, "", "", true},
        {"a redirect inside the page",
         "http://127.0.0.1:1/next",
         Nav::Other,
         true,
         true,
         true,
         {},
         0,
         "",
         "",
         true},
        {"a tapped link",
         "http://example.com/about",
         Nav::LinkClicked,
         true,
         true,
         false,
         {"asked about http://example.com/about"},
         0,
         "",
         "http://example.com/about",
         true},
        {"a tapped link the delegate keeps",
         "http://example.com/about",
         Nav::LinkClicked,
         true,
         false,
         false,
         {"asked about http://example.com/about"},
         0,
         "",
         "",
         true},
        {"a tapped link, delegate silent",
         "http://example.com/about",
         Nav::LinkClicked,
         false,
         true,
         false,
         {},
         0,
         "",
         "http://example.com/about",
         true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ui::Application::sharedApplication().reset();
        window = ui::Window::create();
        window->makeKeyAndVisible();
        auto delegate = std::make_shared<DialogRecorder>();
        delegate->answersExternal = row.answersExternal;
        delegate->openExternal = row.openExternal;
        auto dialog = showDialog(delegate);
        ASSERT_EQ(dialog->superview(), window.get());

        std::string url = row.url.empty() ? server.url(page) : row.url;
        auto request = ns::URLRequest::requestWithURL(ns::URL::withString(url));
        EXPECT_EQ(dialog->webViewShouldStartLoadWithRequest(*dialog->webView(), *request, row.navigation),
                  row.loads);
        settle();
        EXPECT_EQ(delegate->events, row.events);
        if (row.errorCode) {
            ASSERT_TRUE(delegate->error);
            EXPECT_EQ(delegate->error->domain(), FBErrorDomain);
            EXPECT_EQ(delegate->error->code(), row.errorCode);
            EXPECT_EQ(delegate->error->userInfo()->stringForKey("error_msg"), row.errorMsg);
        }
        const auto& opened = ui::Application::sharedApplication().openedURLs();
        if (row.opened.empty())
            EXPECT_TRUE(opened.empty());
        else
            EXPECT_EQ(opened, std::vector<std::string>{row.opened});
        EXPECT_EQ(dialog->superview() == window.get(), row.staysUp);
    }
}

TEST_F(FBDialogTest, TheCloseButtonCancels)
{
    auto delegate = std::make_shared<DialogRecorder>();
    auto dialog = showDialog(delegate);
    EXPECT_EQ(dialog->closeButton()->frame(), cg::makeRect(2, 2, 29, 29));
    dialog->closeButton()->sendActionsForControlEvents(ui::ControlEventTouchUpInside);
    settle();
    EXPECT_EQ(delegate->events, (std::vector<std::string>{"not complete with nothing", "not complete"}));
    EXPECT_FALSE(dialog->superview());
}

TEST_F(FBDialogTest, AFailedPageLoadFailsTheDialogButAnInterruptedOneDoesNot)
{
    struct Row
    {
        const char* name;
        const char* domain;
        long code;
        bool fails;
    } rows[] = {
        {"cancelled by the next load", "NSURLErrorDomain", -999, false},
        {"frame load interrupted", "WebKitErrorDomain", 102, false},
        {"offline", "NSURLErrorDomain", -1009, true},
        {"no such file", "NSURLErrorDomain", -1100, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto delegate = std::make_shared<DialogRecorder>();
        auto dialog = showDialog(delegate);
        dialog->webViewDidFailLoadWithError(*dialog->webView(), *ns::Error::make(row.domain, row.code));
        settle();
        EXPECT_EQ(delegate->events,
                  row.fails ? std::vector<std::string>{"fail"} : std::vector<std::string>{});
        if (row.fails) {
            EXPECT_EQ(delegate->error->code(), row.code);
        }
        EXPECT_EQ(dialog->superview() != nullptr, !row.fails);
    }
}

TEST_F(FBDialogTest, ThePanelFitsTheApplicationFrameOfTheDevice)
{
    const float pi = std::numbers::pi_v<float>;
    struct Row
    {
        const char* name;
        ui::UserInterfaceIdiom idiom;
        ui::InterfaceOrientation orientation;
        cg::Size size; // of the panel's bounds
        cg::Point center;
        float rotation;   // of its transform
        cg::Rect webView; // inside the panel
    } rows[] = {
        {"phone upright",
         ui::UserInterfaceIdiom::Phone,
         ui::InterfaceOrientation::Portrait,
         {320, 460},
         {160, 250},
         0,
         cg::makeRect(11, 11, 298, 439)},
        {"tablet upright",
         ui::UserInterfaceIdiom::Pad,
         ui::InterfaceOrientation::Portrait,
         {460, 602},
         {384, 522},
         0,
         cg::makeRect(11, 11, 438, 581)},
        {"phone in landscape 3",
         ui::UserInterfaceIdiom::Phone,
         ui::InterfaceOrientation::LandscapeRight,
         {480, 300},
         {150, 240},
         pi / 2,
         cg::makeRect(11, 11, 458, 279)},
        {"phone upside down",
         ui::UserInterfaceIdiom::Phone,
         ui::InterfaceOrientation::PortraitUpsideDown,
         {320, 460},
         {160, 230},
         -pi,
         cg::makeRect(11, 11, 298, 439)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ui::Device::currentDevice()->setUserInterfaceIdiom(row.idiom);
        ui::Application::sharedApplication().setStatusBarOrientation(row.orientation);
        auto delegate = std::make_shared<DialogRecorder>();
        auto dialog = showDialog(delegate);
        EXPECT_EQ(dialog->bounds().size, row.size);
        EXPECT_EQ(dialog->center(), row.center);
        cg::AffineTransform expected = cg::AffineTransform::rotation(row.rotation);
        auto actual = dialog->transform();
        EXPECT_NEAR(actual.a, expected.a, 1e-5);
        EXPECT_NEAR(actual.b, expected.b, 1e-5);
        EXPECT_NEAR(actual.c, expected.c, 1e-5);
        EXPECT_NEAR(actual.d, expected.d, 1e-5);
        EXPECT_EQ(dialog->webView()->frame(), row.webView);
        bool landscape = row.orientation == ui::InterfaceOrientation::LandscapeRight;
        ASSERT_FALSE(dialog->webView()->evaluatedScripts().empty());
        EXPECT_EQ(dialog->webView()->evaluatedScripts().back(),
                  landscape ? "document.body.setAttribute('orientation', 90);"
                            : "document.body.removeAttribute('orientation');");
        dialog->dismiss(false);
        ui::Application::sharedApplication().setStatusBarOrientation(ui::InterfaceOrientation::Portrait);
    }
}

TEST_F(FBDialogTest, TurningRelaysThePanelUnlessTheKeyboardIsUp)
{
    auto delegate = std::make_shared<DialogRecorder>();
    auto dialog = showDialog(delegate);
    auto& center = ns::NotificationCenter::defaultCenter();
    center.postNotification(ui::KeyboardWillShowNotification);
    EXPECT_TRUE(dialog->showingKeyboard());
    ui::Application::sharedApplication().setStatusBarOrientation(ui::InterfaceOrientation::LandscapeRight);
    center.postNotification(ui::DeviceOrientationDidChangeNotification);
    EXPECT_EQ(dialog->bounds().size, (cg::Size{320, 460}));

    center.postNotification(ui::KeyboardWillHideNotification);
    EXPECT_FALSE(dialog->showingKeyboard());
    center.postNotification(ui::DeviceOrientationDidChangeNotification);
    settle();
    EXPECT_EQ(dialog->bounds().size, (cg::Size{480, 300}));
    EXPECT_EQ(dialog->center(), (cg::Point{150, 240}));
    ui::Application::sharedApplication().setStatusBarOrientation(ui::InterfaceOrientation::Portrait);
}

TEST_F(FBDialogTest, ReadingAValueFromAnAddressNeverFails)
{
    struct Row
    {
        const char* name;
        std::string url;
        std::string needle;
        std::optional<std::string> value;
    } rows[] = {
        {"middle", "x://a?b=1&error_code=190&c=2", "error_code=", "190"},
        {"end", "x://a#access_token=A%2FB", "access_token=", "A/B"},
        {"absent", "x://a?b=1", "error_code=", std::nullopt},
        {"empty value", "x://a?error_code=&b", "error_code=", ""},
        {"bad escape kept", "x://a?error_msg=100%", "error_msg=", "100%"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(FBDialog::getStringFromUrl(row.url, row.needle), row.value);
    }
}

} // namespace
