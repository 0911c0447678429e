// The social network sharer against a fake Graph service and dialog site on 127.0.0.1.
#include "webservices/sharers/facebook/SHKFacebook.h"

#include "foundation/FileManager.h"
#include "foundation/HTTPCookie.h"
#include "foundation/HTTPCookieStorage.h"
#include "foundation/NotificationCenter.h"
#include "foundation/Number.h"
#include "foundation/RunLoop.h"
#include "foundation/Sandbox.h"
#include "foundation/String.h"
#include "foundation/URLRequest.h"
#include "foundation/UserDefaults.h"
#include "sharing/support/SharerFixture.h"
#include "testing/LoopbackServer.h"
#include "uikit/Device.h"
#include "uikit/Image.h"
#include "uikit/TextView.h"
#include "uikit/WebView.h"

#include <atomic>
#include <string>
#include <vector>

namespace {

using testkit::ScriptedReply;

constexpr const char* AppId = "513907246831560";

template <class... Parts> std::string cat(const Parts&... parts)
{
    std::string text;
    ((text += parts), ...);
    return text;
}

// Records one kind of sharer report as what it said: a recorder of the notifications themselves would
// hold the sharers that posted them, keeping alive what the application has let go.
class Reports
{
public:
    explicit Reports(std::string name)
    {
        ns::NotificationCenter::defaultCenter().addObserver(
            this, std::move(name), nullptr, [this](const ns::Notification& notification) {
                if (auto info = notification.userInfo())
                    if (auto success = info->objectAs<ns::Number>("success"))
                        m_successes.push_back(success->boolValue());
                if (auto sharer = ns::cast<SHKSharer>(notification.object()); sharer && sharer->lastError())
                    m_errorCodes.push_back(sharer->lastError()->code());
                ++m_count;
            });
    }
    ~Reports() { ns::NotificationCenter::defaultCenter().removeObserver(this); }
    Reports(const Reports&) = delete;
    Reports& operator=(const Reports&) = delete;

    std::size_t count() const { return m_count; }
    // "success" of each sign-in report.
    const std::vector<bool>& successes() const { return m_successes; }
    // The sharer's last error at each report that had one.
    const std::vector<long>& errorCodes() const { return m_errorCodes; }

private:
    std::size_t m_count = 0;
    std::vector<bool> m_successes;
    std::vector<long> m_errorCodes;
};

class SHKFacebookTest : public SharerFixture
{
protected:
    SHKFacebookTest()
    {
        EXPECT_TRUE(server.start());
        configure("facebookAppId", ns::String::make(AppId));
        configure("facebookGraphURL", ns::String::make(server.baseURL()));
        configure("facebookRestURL", ns::String::make(server.baseURL()));
        configure("facebookDialogURL", ns::String::make(server.url("/m")));
        configure("facebookLoginURL", ns::String::make("http://login.social.test"));
        configure("appName", ns::String::make("Velmo \"Dial\""));
        configure("appURL", ns::String::make("http://velmo.test/"));
        SHKFacebook::registerClass();
        SHKFacebook::forgetSession();
        ns::HTTPCookieStorage::shared().deleteAllCookies();
    }
    ~SHKFacebookTest() override
    {
        ui::WebView::setDefaultPageSource(nullptr);
        SHKFacebook::forgetSession();
        ns::HTTPCookieStorage::shared().deleteAllCookies();
        rt::ClassRegistry::shared().unregisterClass("SHKFacebook");
    }

    static void signIn()
    {
        auto defaults = ns::UserDefaults::standard();
        defaults->setObject(ns::String::make("STORED"), SHKFacebook::AccessTokenKey);
        defaults->setObject(ns::Date::withTimeIntervalSinceNow(3600), SHKFacebook::ExpiryDateKey);
    }

    bool runUntilPosted(const Reports& recorder, std::size_t count = 1)
    {
        return ns::RunLoop::main().runUntil(
            [&] {
                settle();
                return recorder.count() >= count;
            },
            10);
    }

    // Starts a share of the item as the share screens do, holding nothing of the sharer afterwards: what
    // keeps it alive from here on is the application's own doing.
    static ns::Weak<SHKFacebook> startShare(const ns::Ref<SHKItem>& item)
    {
        auto sharer = SHKFacebook::create();
        sharer->loadItem(item);
        sharer->share();
        return sharer;
    }

    // The sharer whose form the facade shows.
    static ns::Ref<SHKFacebook> shownSharer()
    {
        return ns::cast<SHKFacebook>(SHK::currentHelper()->currentView());
    }

    // The large text form of the shown sharer, with its text typed in, sent.
    void sendFormWithText(const std::string& text)
    {
        auto sharer = shownSharer();
        ASSERT_TRUE(sharer);
        auto form = ns::cast<SHKFormControllerLargeTextField>(sharer->topViewController());
        ASSERT_TRUE(form);
        form->view();
        settle();
        form->textView()->setText(text);
        form->save();
    }

    testkit::LoopbackServer server;
};

TEST_F(SHKFacebookTest, AnImageSharedWhileSignedOutComesBackAfterTheSignIn)
{
    server.route("/me/photos", ScriptedReply::text(200, R"({"id":"77"})"));
    auto image = ui::Image::imageWithContentsOfFile(cat(VELMO_RESOURCES, "/edit.png"));
    ASSERT_TRUE(image);
    auto sharer = startShare(SHKItem::image(image, std::string("A title")));

    // The browser takes the sign-in; the item waits in the user defaults, its image in a file.
    const auto& opened = ui::Application::sharedApplication().openedURLs();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].rfind(server.url("/m/dialog/oauth?client_id=513907246831560&"), 0), 0u);
    auto defaults = ns::UserDefaults::standard();
    auto stored = defaults->dictionaryForKey(SHKFacebook::StoredItemKey);
    ASSERT_TRUE(stored);
    auto imagePath = stored->stringForKey("imagePath");
    ASSERT_TRUE(imagePath);
    EXPECT_EQ(imagePath->rfind(cat(ns::Sandbox::cachesPath(), "/SHKImage/img-"), 0), 0u);
    EXPECT_TRUE(ns::FileManager::fileExistsAtPath(*imagePath));

    Reports finished(SHKSendDidFinishNotification);
    EXPECT_TRUE(SHKFacebook::handleOpenURL(
        ns::URL::withString("fb513907246831560://authorize#access_token=NEW&expires_in=0")));
    EXPECT_EQ(defaults->stringForKey(SHKFacebook::AccessTokenKey), "NEW");
    EXPECT_TRUE(ns::cast<ns::Date>(defaults->objectForKey(SHKFacebook::ExpiryDateKey)));
    EXPECT_FALSE(defaults->objectForKey(SHKFacebook::StoredItemKey));
    EXPECT_FALSE(ns::FileManager::fileExistsAtPath(*imagePath));

    // The share goes on: the form, with the item back, then the photo.
    settle();
    auto shown = shownSharer();
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown, sharer.lock());
    ASSERT_TRUE(shown->item()->image());
    EXPECT_EQ(shown->item()->title(), "A title");
    shown = nullptr;
    sendFormWithText("My caption");
    ASSERT_TRUE(runUntilPosted(finished));
    settle();
    EXPECT_TRUE(sharer.expired()) << "the share has ended";
    auto sent = server.lastRequest();
    ASSERT_TRUE(sent);
    EXPECT_EQ(sent->path, "/me/photos");
    EXPECT_NE(sent->query.find("caption=My%20caption&"), std::string::npos);
    EXPECT_NE(sent->query.find("access_token=NEW"), std::string::npos);
    ASSERT_FALSE(sent->parts.empty());
    EXPECT_EQ(sent->parts.back().contentType, "image/png");
}

TEST_F(SHKFacebookTest, ASignInThatComesBackRefusedEndsTheShare)
{
    struct Row
    {
        const char* name;
        std::string url;
        bool alert;
    } rows[] = {
        {"access denied", "fb513907246831560://authorize?error=access_denied", false},
        {"an error", "fb513907246831560://authorize?error=access_denied&error_code=200", true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ui::AlertView::clearShownAlerts();
        auto sharer = startShare(SHKItem::text("hi"));
        ASSERT_FALSE(sharer.expired()) << "the sign-in holds the sharer";
        Reports auth(SHKAuthDidFinishNotification);
        EXPECT_TRUE(SHKFacebook::handleOpenURL(ns::URL::withString(row.url)));
        EXPECT_EQ(auth.successes(), std::vector<bool>{false});
        auto alerts = ui::AlertView::shownAlerts();
        ASSERT_EQ(alerts.size(), row.alert ? 1u : 0u);
        if (row.alert) {
            EXPECT_EQ(alerts[0]->title(), "Authorize Error");
            EXPECT_EQ(alerts[0]->message(), "There was an error while authorizing");
            alerts[0]->dismissWithClickedButtonIndex(0, false);
        }
        settle();
        EXPECT_TRUE(sharer.expired()) << "the share has ended";
    }
}

TEST_F(SHKFacebookTest, AStatusWhoseTokenIsRefusedSignsInAgainAndIsSentAgainOnce)
{
    signIn();
    std::atomic<int> posts = 0;
    server.route("/me/feed", [&posts](const testkit::RecordedRequest&) {
        return ++posts == 1 ? ScriptedReply::text(400, R"({"error":{"type":"OAuthException","code":190}})")
                            : ScriptedReply::text(200, R"({"id":"1_9"})");
    });
    Reports failed(SHKSendDidFailWithErrorNotification);
    Reports finished(SHKSendDidFinishNotification);
    auto sharer = startShare(SHKItem::text("Hello"));
    settle();
    sendFormWithText("Hello there");
    ASSERT_TRUE(runUntilPosted(failed));
    auto sent = server.lastRequest();
    ASSERT_TRUE(sent);
    EXPECT_EQ(sent->method, "POST");
    // Every post carries the application's action, one JSON object.
    EXPECT_EQ(sent->query, "actions=%7B%22name%22%3A%22Get%20Velmo%20%5C%22Dial%5C%22%22%2C%22link%22%3A%22"
                           "http%3A%2F%2Fvelmo.test%2F%22%7D&message=Hello%20there&format=json&sdk=ios&"
                           "sdk_version=2&access_token=STORED");
    // The refused token is forgotten and a new sign-in is on its way in the browser, holding the sharer
    // while its form goes.
    auto defaults = ns::UserDefaults::standard();
    EXPECT_FALSE(defaults->objectForKey(SHKFacebook::AccessTokenKey));
    EXPECT_FALSE(defaults->objectForKey(SHKFacebook::ExpiryDateKey));
    EXPECT_FALSE(SHKFacebook::facebook()->isSessionValid());
    settle();
    EXPECT_EQ(ui::Application::sharedApplication().openedURLs().size(), 1u);
    ASSERT_FALSE(sharer.expired()) << "the sign-in holds the sharer";
    EXPECT_EQ(sharer.lock()->pendingAction(), SHKAwaitResend);
    EXPECT_TRUE(ui::AlertView::shownAlerts().empty()) << "a sign-in follows, not an error";

    // Back from the browser: the new token is kept and the status goes once more, with it.
    EXPECT_TRUE(SHKFacebook::handleOpenURL(
        ns::URL::withString("fb513907246831560://authorize#access_token=NEW&expires_in=0")));
    EXPECT_EQ(defaults->stringForKey(SHKFacebook::AccessTokenKey), "NEW");
    ASSERT_TRUE(runUntilPosted(finished));
    settle();
    EXPECT_EQ(posts, 2);
    EXPECT_EQ(failed.count(), 1u);
    EXPECT_EQ(finished.count(), 1u);
    EXPECT_NE(server.lastRequest()->query.find("message=Hello%20there&"), std::string::npos);
    EXPECT_NE(server.lastRequest()->query.find("access_token=NEW"), std::string::npos);
    EXPECT_TRUE(sharer.expired()) << "the share has ended";
}

TEST_F(SHKFacebookTest, AnHTMLErrorPageIsAFailureNotSaved)
{
    signIn();
    server.route("/me/feed", ScriptedReply::text(500, "<html><body>Oops</body></html>"));
    Reports failed(SHKSendDidFailWithErrorNotification);
    Reports finished(SHKSendDidFinishNotification);
    startShare(SHKItem::text("Hello"));
    settle();
    sendFormWithText("Hello");
    ASSERT_TRUE(runUntilPosted(failed));
    EXPECT_EQ(finished.count(), 0u);
    EXPECT_EQ(failed.errorCodes(), std::vector<long>{500});
}

TEST_F(SHKFacebookTest, TheProfileIsStoredQuietlyWithNullsAsEmptyTexts)
{
    signIn();
    server.route("/me", ScriptedReply::text(200, R"({"id":"5","name":null,"first_name":"Ann"})"));
    Reports finished(SHKSendDidFinishNotification);
    auto sharer = SHKSharer::getUserInfo("SHKFacebook");
    ASSERT_TRUE(ns::cast<SHKFacebook>(sharer));
    ASSERT_TRUE(runUntilPosted(finished));
    EXPECT_TRUE(sharer->quiet());
    EXPECT_EQ(server.lastRequest()->method, "GET");
    auto profile = ns::UserDefaults::standard()->dictionaryForKey(SHKFacebook::UserInfoKey);
    ASSERT_TRUE(profile);
    EXPECT_EQ(profile->stringForKey("id"), "5");
    EXPECT_EQ(profile->stringForKey("name"), "");
    EXPECT_EQ(profile->stringForKey("first_name"), "Ann");
}

TEST_F(SHKFacebookTest, AWebAddressGoesThroughTheFeedDialog)
{
    struct Row
    {
        const char* name;
        std::string redirect;
        const char* notification;
        SHKSharerPendingAction pending;
    } rows[] = {
        {"posted", "fbconnect://success#post_id=1_2", SHKSendDidFinishNotification, SHKAwaitNothing},
        {"cancelled", "fbconnect://cancel", SHKSendDidCancelNotification, SHKAwaitNothing},
        {"an expired token", "fbconnect://success?error_code=190&error_msg=Expired",
         SHKSendDidFailWithErrorNotification, SHKAwaitResend},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        signIn();
        std::string redirect = row.redirect;
        ui::WebView::setDefaultPageSource([redirect](const ns::URLRequest& request) {
            ui::WebPage page;
            if (request.URLString().find("/dialog/feed") != std::string::npos)
                page.redirectTo = redirect;
            return page;
        });
        Reports ended(row.notification);
        Reports finished(SHKSendDidFinishNotification);
        auto sharer = startShare(SHKItem::URL(ns::URL::withString("http://example.com/a"), std::nullopt));
        auto dialog = SHKFacebook::facebook()->dialog();
        ASSERT_TRUE(dialog);
        // No title: the address names the post; the actions are one JSON object.
        EXPECT_EQ(
            dialog->loadingURL()->absoluteString(),
            server.url("/m/dialog/feed?actions=%7B%22name%22%3A%22Get%20Velmo%20%5C%22Dial%5C%22%22%2C%22"
                       "link%22%3A%22http%3A%2F%2Fvelmo.test%2F%22%7D&link=http%3A%2F%2Fexample.com%2Fa&"
                       "name=http%3A%2F%2Fexample.com%2Fa&display=touch&sdk=2&redirect_uri=fbconnect%3A%2F%"
                       "2Fsuccess&app_id=513907246831560&access_token=STORED"));
        ASSERT_TRUE(runUntilPosted(ended));
        if (row.notification != std::string(SHKSendDidFinishNotification)) {
            EXPECT_EQ(finished.count(), 0u);
        }
        dialog = nullptr;
        settle();
        if (row.pending == SHKAwaitResend) {
            // A new sign-in holds the sharer until it comes back; here the person turns it down.
            ASSERT_FALSE(sharer.expired());
            EXPECT_EQ(sharer.lock()->pendingAction(), row.pending);
            EXPECT_FALSE(ns::UserDefaults::standard()->objectForKey(SHKFacebook::AccessTokenKey));
            EXPECT_TRUE(SHKFacebook::handleOpenURL(
                ns::URL::withString("fb513907246831560://authorize?error=access_denied")));
        }
        for (const auto& alert : ui::AlertView::shownAlerts())
            alert->dismissWithClickedButtonIndex(0, false);
        ui::AlertView::clearShownAlerts();
        settle();
        EXPECT_TRUE(sharer.expired()) << "the share has ended";
    }
}

TEST_F(SHKFacebookTest, LogoutForgetsEverythingOfTheSignIn)
{
    signIn();
    auto defaults = ns::UserDefaults::standard();
    defaults->setObject(ns::Dictionary::withStrings({{"id", ns::String::make("5")}}),
                        SHKFacebook::UserInfoKey);
    defaults->setObject(ns::Dictionary::withStrings({{"shareType", ns::Number::numberWithInt(2)}}),
                        SHKFacebook::StoredItemKey);
    ns::HTTPCookieStorage::shared().setCookie(
        ns::make<ns::HTTPCookie>("c_user", "1", "login.social.test", "/", std::nullopt, false, false));
    auto meta = SHKSharerClass::named("SHKFacebook");
    ASSERT_TRUE(meta);
    meta->logout();
    for (const char* key : {SHKFacebook::AccessTokenKey, SHKFacebook::ExpiryDateKey, SHKFacebook::UserInfoKey,
                            SHKFacebook::StoredItemKey})
        EXPECT_FALSE(defaults->objectForKey(key)) << key;
    EXPECT_TRUE(ns::HTTPCookieStorage::shared().cookiesForURLString("http://login.social.test/").empty());
}

TEST_F(SHKFacebookTest, TheClassAnswersForTheSocialNetwork)
{
    auto meta = SHKSharerClass::named("SHKFacebook");
    ASSERT_TRUE(meta);
    EXPECT_EQ(meta->sharerTitle(), "Facebook");
    EXPECT_TRUE(meta->canShareURL());
    EXPECT_TRUE(meta->canShareText());
    EXPECT_TRUE(meta->canShareImage());
    EXPECT_TRUE(meta->canGetUserInfo());
    EXPECT_FALSE(meta->canShareOffline());
    EXPECT_FALSE(SHKFacebook::create()->shouldAutoShare());
}

} // namespace
