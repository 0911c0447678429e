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

    bool runUntilPosted(const ns::NotificationRecorder& recorder, std::size_t count = 1)
    {
        return ns::RunLoop::main().runUntil(
            [&] {
                settle();
                return recorder.notifications().size() >= count;
            },
            10);
    }

    // The large text form the sharer shows, with its text typed in, sent.
    void sendFormWithText(const ns::Ref<SHKFacebook>& sharer, const std::string& text)
    {
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
    auto sharer = SHKFacebook::create();
    sharer->loadItem(SHKItem::image(image, std::string("A title")));
    sharer->share();

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

    ns::NotificationRecorder finished(SHKSendDidFinishNotification);
    EXPECT_TRUE(SHKFacebook::handleOpenURL(
        ns::URL::withString("fb513907246831560://authorize#access_token=NEW&expires_in=0")));
    EXPECT_EQ(defaults->stringForKey(SHKFacebook::AccessTokenKey), "NEW");
    EXPECT_TRUE(ns::cast<ns::Date>(defaults->objectForKey(SHKFacebook::ExpiryDateKey)));
    EXPECT_FALSE(defaults->objectForKey(SHKFacebook::StoredItemKey));
    EXPECT_FALSE(ns::FileManager::fileExistsAtPath(*imagePath));
    ASSERT_TRUE(sharer->item()->image());
    EXPECT_EQ(sharer->item()->title(), "A title");

    // The share goes on: the form, then the photo.
    settle();
    sendFormWithText(sharer, "My caption");
    ASSERT_TRUE(runUntilPosted(finished));
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
        auto sharer = SHKFacebook::create();
        sharer->loadItem(SHKItem::text("hi"));
        sharer->share();
        ns::NotificationRecorder auth(SHKAuthDidFinishNotification);
        EXPECT_TRUE(SHKFacebook::handleOpenURL(ns::URL::withString(row.url)));
        ASSERT_EQ(auth.notifications().size(), 1u);
        auto success = auth.notifications()[0]->userInfo()->objectAs<ns::Number>("success");
        EXPECT_FALSE(success->boolValue());
        auto alerts = ui::AlertView::shownAlerts();
        ASSERT_EQ(alerts.size(), row.alert ? 1u : 0u);
        if (row.alert) {
            EXPECT_EQ(alerts[0]->title(), "Authorize Error");
            EXPECT_EQ(alerts[0]->message(), "There was an error while authorizing");
            alerts[0]->dismissWithClickedButtonIndex(0, false);
        }
        settle();
        EXPECT_FALSE(sharer->isKeptAlive());
    }
}

TEST_F(SHKFacebookTest, AStatusWhoseTokenIsRefusedSignsInAgainToSendAgain)
{
    signIn();
    server.route("/me/feed", ScriptedReply::text(400, R"({"error":{"type":"OAuthException","code":190}})"));
    auto sharer = SHKFacebook::create();
    sharer->loadItem(SHKItem::text("Hello"));
    ns::NotificationRecorder failed(SHKSendDidFailWithErrorNotification);
    sharer->share();
    settle();
    sendFormWithText(sharer, "Hello there");
    ASSERT_TRUE(runUntilPosted(failed));
    auto sent = server.lastRequest();
    ASSERT_TRUE(sent);
    EXPECT_EQ(sent->method, "POST");
    // Every post carries the application's action, one JSON object.
    EXPECT_EQ(sent->query, "actions=%7B%22name%22%3A%22Get%20Velmo%20%5C%22Dial%5C%22%22%2C%22link%22%3A%22"
                           "http%3A%2F%2Fvelmo.test%2F%22%7D&message=Hello%20there&format=json&sdk=ios&"
                           "sdk_version=2&access_token=STORED");
    EXPECT_EQ(sharer->pendingAction(), SHKAwaitResend);
    auto defaults = ns::UserDefaults::standard();
    EXPECT_FALSE(defaults->objectForKey(SHKFacebook::AccessTokenKey));
    EXPECT_FALSE(defaults->objectForKey(SHKFacebook::ExpiryDateKey));
    EXPECT_FALSE(SHKFacebook::facebook()->isSessionValid());
}

TEST_F(SHKFacebookTest, AnHTMLErrorPageIsAFailureNotSaved)
{
    signIn();
    server.route("/me/feed", ScriptedReply::text(500, "<html><body>Oops</body></html>"));
    auto sharer = SHKFacebook::create();
    sharer->loadItem(SHKItem::text("Hello"));
    ns::NotificationRecorder failed(SHKSendDidFailWithErrorNotification);
    ns::NotificationRecorder finished(SHKSendDidFinishNotification);
    sharer->share();
    settle();
    sendFormWithText(sharer, "Hello");
    ASSERT_TRUE(runUntilPosted(failed));
    EXPECT_TRUE(finished.notifications().empty());
    EXPECT_EQ(sharer->lastError()->code(), 500);
}

TEST_F(SHKFacebookTest, TheProfileIsStoredQuietlyWithNullsAsEmptyTexts)
{
    signIn();
    server.route("/me", ScriptedReply::text(200, R"({"id":"5","name":null,"first_name":"Ann"})"));
    ns::NotificationRecorder finished(SHKSendDidFinishNotification);
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
        ns::NotificationRecorder ended(row.notification);
        ns::NotificationRecorder finished(SHKSendDidFinishNotification);
        auto sharer = SHKFacebook::create();
        sharer->loadItem(SHKItem::URL(ns::URL::withString("http://example.com/a"), std::nullopt));
        sharer->share();
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
            EXPECT_TRUE(finished.notifications().empty());
        }
        EXPECT_EQ(sharer->pendingAction(), row.pending);
        if (row.pending == SHKAwaitResend) {
            EXPECT_FALSE(ns::UserDefaults::standard()->objectForKey(SHKFacebook::AccessTokenKey));
        }
        for (const auto& alert : ui::AlertView::shownAlerts())
            alert->dismissWithClickedButtonIndex(0, false);
        ui::AlertView::clearShownAlerts();
        settle();
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
