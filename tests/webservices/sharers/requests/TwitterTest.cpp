// The micro-blogging sharer against a fake OAuth 1.0 service on 127.0.0.1 that checks every signature (the
// status, account and follow resources, and the image host's OAuth Echo upload), and a fake shortener.
#include "ServiceSharerFixture.h"

#include "foundation/Dictionary.h"
#include "foundation/Number.h"
#include "foundation/Random.h"
#include "foundation/UserDefaults.h"
#include "graphics/BitmapContext.h"
#include "sharing/core/SHKFormFieldSettings.h"
#include "sharing/sharers/SHKDeviceSharers.h"
#include "sharing/support/FakeOAuthService.h"
#include "sharing/ui/SHKFormControllerLargeTextField.h"
#include "system/TweetComposeViewController.h"
#include "uikit/Application.h"
#include "uikit/Device.h"
#include "uikit/Image.h"
#include "uikit/TextView.h"
#include "uikit/WebView.h"
#include "webservices/sharers/twitter/SHKTwitter.h"

#include <gtest/gtest.h>

namespace {

using testkit::ScriptedReply;

constexpr const char* ConsumerKey = "velmo-twitter";
constexpr const char* ConsumerSecret = "twitter secret+=";
constexpr const char* VerifyPath = "/1/account/verify_credentials.json";
const std::string Relogin = "failed: Could not authenticate you. Please relogin.";

// A picture of random 2-pixel squares: it compresses badly, as photographs do.
ns::Ref<ui::Image> noise(std::size_t width, std::size_t height)
{
    auto context = cg::BitmapContext::create(width, height, 8, 0, cg::ColorSpace::RGB,
                                             cg::AlphaInfo::NoneSkipFirst, cg::Origin::TopLeft);
    uint32_t state = 12345;
    auto next = [&] {
        state = state * 1103515245u + 12345u;
        return float((state >> 16) & 0xff) / 255.0f;
    };
    for (std::size_t y = 0; y < height; y += 2)
        for (std::size_t x = 0; x < width; x += 2) {
            context->setRGBFillColor(next(), next(), next(), 1);
            context->fillRect(cg::makeRect(float(x), float(y), 2, 2));
        }
    return ui::Image::imageWithCGImage(context->makeImage());
}

class Twitter : public ServiceSharerFixture
{
protected:
    Twitter()
    {
        service.xAuthAccounts = {{"bob", "pass word"}};
        auto refusal = [](const std::string&) {
            return ScriptedReply::text(401, "{\"error\":\"Could not authenticate with "
                                            "OAuth.\",\"request\":\"\\/1\\/statuses\\/update.json\"}");
        };
        service.protectedRoute(
            "update", "POST", "/1/statuses/update.json",
            [this](const testkit::RecordedRequest& request, const std::map<std::string, std::string>&) {
                std::lock_guard lock(m_mutex);
                for (const auto& [name, value] : formPairs(request.body))
                    if (name == "status")
                        m_statuses.push_back(value);
                return m_updateReply ? *m_updateReply : ScriptedReply::text(200, "{\"id\":1}");
            },
            refusal);
        service.protectedRoute(
            "account", "GET", VerifyPath,
            [](const testkit::RecordedRequest&, const std::map<std::string, std::string>&) {
                return ScriptedReply::text(200, "{\"screen_name\":\"bob\",\"url\":null,\"id\":7,"
                                                "\"status\":{\"geo\":null,\"tags\":[null,\"x\"]}}");
            },
            refusal);
        service.protectedRoute(
            "follow", "POST", "/1/friendships/create/velmo%20app.json",
            [](const testkit::RecordedRequest&, const std::map<std::string, std::string>&) {
                return ScriptedReply::text(200, "{}");
            },
            refusal);
        // The image host lives beside the service here; it checks the delegated credentials as well as the
        // upload's own signature.
        service.protectedRoute(
            "upload", "POST", "/api/2/upload.xml",
            [this](const testkit::RecordedRequest& request, const std::map<std::string, std::string>&) {
                bool delegated =
                    service.verifyDelegation(request, "X-Verify-Credentials-Authorization", VerifyPath);
                std::lock_guard lock(m_mutex);
                m_uploads.push_back(request);
                if (!delegated)
                    return ScriptedReply::text(401, "<error><code>401</code></error>");
                return m_uploadReply
                           ? *m_uploadReply
                           : ScriptedReply::text(200, "<image><url>http://img.example/abc</url></image>");
            },
            refusal);
        EXPECT_TRUE(service.start());
        EXPECT_TRUE(shortener.start());
        configure("twitterAPIURL", ns::String::make(service.baseURL()));
        configure("twitterImageHostURL", ns::String::make(service.baseURL()));
        configure("bitLyURL", ns::String::make(shortener.baseURL()));
        configure("twitterConsumerKey", ns::String::make(ConsumerKey));
        configure("twitterSecret", ns::String::make(ConsumerSecret));
        configure("twitterUseXAuth", ns::Number::numberWithBool(true));
        // A device without its own tweet sheet, unless a test says otherwise.
        ui::Device::currentDevice()->setSystemVersion("4.2");
    }
    ~Twitter() override
    {
        // A screen still going away would report to the next test's facade.
        waitFor(
            [] { return !SHK::currentHelper()->currentView() && !SHK::currentHelper()->isDismissingView(); });
        settle();
    }

    void replyToUpdates(std::optional<ScriptedReply> reply)
    {
        std::lock_guard lock(m_mutex);
        m_updateReply = std::move(reply);
    }
    void replyToUploads(std::optional<ScriptedReply> reply)
    {
        std::lock_guard lock(m_mutex);
        m_uploadReply = std::move(reply);
    }
    std::vector<std::string> statuses()
    {
        std::lock_guard lock(m_mutex);
        return m_statuses;
    }
    std::vector<testkit::RecordedRequest> uploads()
    {
        std::lock_guard lock(m_mutex);
        return m_uploads;
    }
    std::vector<std::string> verdicts()
    {
        std::vector<std::string> out;
        for (const auto& request : service.judged())
            out.push_back(request.endpoint + " " + request.verdict);
        return out;
    }

    // The status composer on top of the sharer.
    ns::Ref<SHKFormControllerLargeTextField> composer(const ns::Ref<SHKSharer>& sharer)
    {
        if (SHK::currentHelper()->currentView() != sharer)
            return nullptr;
        return ns::cast<SHKFormControllerLargeTextField>(sharer->topViewController());
    }

    // Signs in by xAuth with a first text share, sent from the composer.
    void signIn()
    {
        ReportLines log;
        auto sharer = SHKSharer::shareItem("SHKTwitter", SHKItem::text("first"));
        settle();
        auto login = shownForm(sharer);
        ASSERT_TRUE(login);
        logIn(login, "bob", "pass word");
        ASSERT_TRUE(waitForLines(log, 1));
        settle();
        ASSERT_TRUE(driver.press("Send to Twitter"));
        ASSERT_TRUE(waitForLines(log, 3));
        settle();
        service.reset();
        service.xAuthAccounts = {{"bob", "pass word"}};
        std::lock_guard lock(m_mutex);
        m_statuses.clear();
    }

    // A signed-in sharer that sends the item at once, without its composer.
    ns::Ref<SHKTwitter> directSharer(const ns::Ref<SHKItem>& item, std::optional<std::string> status)
    {
        auto sharer = ns::cast<SHKTwitter>(SHKSharer::sharerWithId("SHKTwitter"));
        sharer->loadItem(item);
        if (status)
            item->setCustomValue(ns::String::make(*status), "status");
        EXPECT_TRUE(sharer->isAuthorized());
        return sharer;
    }

    FakeOAuthService service{ConsumerKey, ConsumerSecret};
    testkit::LoopbackServer shortener;

private:
    std::mutex m_mutex;
    std::optional<ScriptedReply> m_updateReply;
    std::optional<ScriptedReply> m_uploadReply;
    std::vector<std::string> m_statuses;
    std::vector<testkit::RecordedRequest> m_uploads;
};

TEST_F(Twitter, SignsInByXAuthFollowsTheAccountAndPostsTheStatus)
{
    configure("twitterUsername", ns::String::make("velmo app"));
    ReportLines log;
    auto sharer = SHKSharer::shareItem("SHKTwitter", SHKItem::text("Hello & goodbye"));
    settle();
    auto login = shownForm(sharer);
    ASSERT_TRUE(login);
    EXPECT_EQ(login->sections()[0].footer, "Create a free account at Twitter.com");
    ASSERT_EQ(login->sections()[0].rows.size(), 3u);
    EXPECT_EQ(login->sections()[0].rows[2]->label(), "Follow velmo app");
    EXPECT_EQ(login->formValues()->stringForKey("followMe"), "1");
    logIn(login, "bob", "pass word");
    ASSERT_TRUE(waitForLines(log, 1));
    EXPECT_EQ(log.lines, std::vector<std::string>{"auth 1"});
    ASSERT_EQ(service.xAuthSignIns().size(), 1u);
    EXPECT_EQ(service.judged().at(0).request.body,
              "x_auth_username=bob&x_auth_password=pass%20word&x_auth_mode=client_auth");
    EXPECT_EQ(SHK::getAuthValueForKey("accessKey", "SHKTwitter"), "access-1");

    // The composer holds the status, limited to 140 characters.
    settle();
    auto form = composer(sharer);
    ASSERT_TRUE(form);
    EXPECT_EQ(form->text(), "Hello & goodbye");
    EXPECT_EQ(form->maxTextLength(), 140u);
    ASSERT_TRUE(driver.press("Send to Twitter"));
    ASSERT_TRUE(waitForLines(log, 3));
    ASSERT_TRUE(waitFor([&] { return service.judged().size() >= 3; }));
    EXPECT_EQ(log.lines, (std::vector<std::string>{"auth 1", "started", "finished"}));
    EXPECT_EQ(statuses(), std::vector<std::string>{"Hello & goodbye"});
    auto seen = verdicts();
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(seen, (std::vector<std::string>{"access_token ok", "follow ok", "update ok"}));
    EXPECT_FALSE(sharer->item()->customValueForKey("followMe")) << "followed once";
}

TEST_F(Twitter, WithoutXAuthTheUserGrantsAccessOnTheServicesPage)
{
    configure("twitterUseXAuth", ns::Number::numberWithBool(false));
    configure("twitterCallbackUrl", ns::String::make("https://velmo.example/twitter/done"));
    ui::WebView::setDefaultPageSource(
        [this](const ns::URLRequest& request) { return service.page(request); });
    ReportLines log;
    auto sharer = SHKSharer::shareItem("SHKTwitter", SHKItem::text("Granted"));
    ASSERT_TRUE(waitForLines(log, 1));
    ui::WebView::setDefaultPageSource(nullptr);
    EXPECT_EQ(log.lines, std::vector<std::string>{"auth 1"});
    EXPECT_EQ(verdicts(), (std::vector<std::string>{"request_token ok", "access_token ok"}));
    auto judged = service.judged();
    EXPECT_EQ(
        authorizationParameters(judged[0].request.header("Authorization").value_or(""))["oauth_callback"],
        "https://velmo.example/twitter/done");
    EXPECT_EQ(
        authorizationParameters(judged[1].request.header("Authorization").value_or(""))["oauth_verifier"],
        "verifier-1");
    ASSERT_EQ(service.pagesShown().size(), 1u);
    EXPECT_EQ(service.pagesShown()[0].rfind(service.baseURL() + "/oauth/authorize?oauth_token=", 0), 0u);
    // The form takes touches once it has arrived.
    ASSERT_TRUE(waitFor([&] {
        return composer(sharer) != nullptr &&
               !ui::Application::sharedApplication().isIgnoringInteractionEvents();
    }));
    ASSERT_TRUE(driver.press("Send to Twitter"));
    ASSERT_TRUE(waitForLines(log, 3));
    EXPECT_EQ(statuses(), std::vector<std::string>{"Granted"});
}

TEST_F(Twitter, ADeviceWithItsOwnTweetSheetTakesTheShareAndOurSignInIsForgotten)
{
    SHKRegisterDeviceSharers();
    ui::Device::currentDevice()->setSystemVersion("5.0");
    auto storeSignIn = [] {
        SHK::setAuthValue("k", "accessKey", "SHKTwitter");
        SHK::setAuthValue("s", "accessSecret", "SHKTwitter");
        ns::UserDefaults::standard()->setObject(ns::String::make("bob"), SHKTwitterUserInfoKey);
    };
    // Configured to keep its own path, the sharer signs in and composes as before.
    configure("forcePreIOS5TwitterAccess", ns::Number::numberWithBool(true));
    storeSignIn();
    auto own = SHKSharer::shareItem("SHKTwitter", SHKItem::text("Mine"));
    settle();
    EXPECT_TRUE(composer(own));
    EXPECT_EQ(SHK::getAuthValueForKey("accessKey", "SHKTwitter"), "k");
    ASSERT_TRUE(driver.press("Cancel"));
    ASSERT_TRUE(waitFor([] { return !SHK::currentHelper()->currentView(); }));
    settle();

    configure("forcePreIOS5TwitterAccess", ns::Number::numberWithBool(false));
    auto sharer = SHKSharer::shareItem("SHKTwitter", SHKItem::text("Through the sheet"));
    settle();
    auto sheet = ns::cast<tw::TweetComposeViewController>(root->presentedViewController());
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->initialText(), "Through the sheet");
    EXPECT_FALSE(composer(sharer));
    EXPECT_EQ(SHK::getAuthValueForKey("accessKey", "SHKTwitter"), std::nullopt);
    EXPECT_EQ(SHK::getAuthValueForKey("accessSecret", "SHKTwitter"), std::nullopt);
    EXPECT_FALSE(ns::UserDefaults::standard()->objectForKey(SHKTwitterUserInfoKey));
    EXPECT_TRUE(service.judged().empty());
    sheet->cancel();
    settle();

    // Asked directly, the sharer is not signed in there, and forgets a sign-in stored since.
    storeSignIn();
    EXPECT_FALSE(SHKSharer::sharerWithId("SHKTwitter")->isAuthorized());
    EXPECT_EQ(SHK::getAuthValueForKey("accessKey", "SHKTwitter"), std::nullopt);
    ui::Device::currentDevice()->setSystemVersion("4.2");
}

TEST_F(Twitter, AnAddressIsShortenedWhenTheServiceAnswersWithAnAddress)
{
    SHK::setAuthValue("k", "accessKey", "SHKTwitter");
    SHK::setAuthValue("s", "accessSecret", "SHKTwitter");
    const std::string own = "A page http://example.com/a b?c=é";
    struct Row
    {
        const char* name;
        bool configured;
        std::optional<ScriptedReply> reply;
        std::string status;
        bool alert;
    };
    const Row rows[] = {
        {"no shortening account", false, std::nullopt, own, false},
        {"a short address", true, ScriptedReply::text(200, "\r\nhttp://bit.ly/xY1\n"),
         "A page http://bit.ly/xY1", false},
        {"a secure short address", true, ScriptedReply::text(201, "https://bit.ly/s"),
         "A page https://bit.ly/s", false},
        {"already short", true, ScriptedReply::text(200, "ALREADY_A_BITLY_LINK\n"), own, false},
        {"an error text", true, ScriptedReply::text(200, "INVALID_LOGIN"), own, true},
        {"a relative address", true, ScriptedReply::text(200, "/xY1"), own, true},
        {"another scheme", true, ScriptedReply::text(200, "ftp://bit.ly/xY1"), own, true},
        {"a refusal that names an address", true, ScriptedReply::text(500, "http://bit.ly/error"), own, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ui::AlertView::clearShownAlerts();
        shortener.clearRequests();
        configure("bitLyLogin", ns::String::make(row.configured ? "velmo" : ""));
        configure("bitLyKey", ns::String::make(row.configured ? "R_key" : ""));
        if (row.reply)
            shortener.route("/v3/shorten", *row.reply);
        auto sharer = SHKSharer::shareItem("SHKTwitter", urlItem("http://example.com/a%20b?c=%C3%A9"));
        auto status = [&] { return ns::cast<ns::String>(sharer->item()->customValueForKey("status")); };
        ASSERT_TRUE(waitFor([&] { return status() != nullptr; }));
        settle();
        EXPECT_EQ(status()->str(), row.status);
        EXPECT_EQ(!ui::AlertView::shownAlerts().empty(), row.alert);
        if (row.alert) {
            EXPECT_EQ(alertTexts(),
                      std::vector<std::string>{"Shorten URL Error: We could not shorten the URL."});
        }
        if (row.configured) {
            ASSERT_EQ(shortener.requestCount(), 1u);
            EXPECT_EQ(shortener.requests()[0].method, "GET");
            EXPECT_EQ(shortener.requests()[0].target,
                      "/v3/shorten?login=velmo&apikey=R_key&longUrl="
                      "http%3A%2F%2Fexample.com%2Fa%2520b%3Fc%3D%25C3%25A9&format=txt");
        } else {
            EXPECT_EQ(shortener.requestCount(), 0u);
        }
        while (driver.answerAlert("Continue")) {
        }
        ASSERT_TRUE(composer(sharer));
        EXPECT_EQ(composer(sharer)->text(), row.status);
        ASSERT_TRUE(driver.press("Cancel"));
        ASSERT_TRUE(waitFor([] { return !SHK::currentHelper()->currentView(); }));
        settle();
    }
}

TEST_F(Twitter, AStatusOfAHundredAndFortyCharactersIsSentAndOneMoreIsRefused)
{
    signIn();
    std::string fits;
    for (int i = 0; i < 140; ++i)
        fits += "é";
    ReportLines log;
    auto sharer = directSharer(SHKItem::text("x"), fits);
    EXPECT_TRUE(sharer->tryToSend());
    ASSERT_TRUE(waitForLines(log, 2));
    EXPECT_EQ(statuses(), std::vector<std::string>{fits});

    auto tooLong = directSharer(SHKItem::text("x"), fits + "!");
    EXPECT_FALSE(tooLong->send());
    settle();
    EXPECT_EQ(statuses().size(), 1u);
    EXPECT_EQ(log.lines, (std::vector<std::string>{"started", "finished"}));
}

TEST_F(Twitter, APictureGoesToTheImageHostByOAuthEchoAndItsAddressIntoTheStatus)
{
    signIn();
    auto small = noise(40, 30);
    auto large = noise(1200, 900);
    auto smallAt9 = ui::ImageJPEGRepresentation(small, 0.9f);
    auto largeAt9 = ui::ImageJPEGRepresentation(large, 0.9f);
    ASSERT_LE(smallAt9->length(), 700000u);
    ASSERT_GT(largeAt9->length(), 700000u) << "the picture must need a lower quality";
    ns::Ref<ns::Data> largeSent;
    for (int tenths = 8; tenths >= 1 && !largeSent; --tenths) {
        auto data = ui::ImageJPEGRepresentation(large, float(tenths) / 10.0f);
        if (data->length() <= 700000u || tenths == 1)
            largeSent = data;
    }
    struct Row
    {
        const char* name;
        ns::Ref<ui::Image> image;
        ns::Ref<ns::Data> jpeg;
        ScriptedReply reply;
    };
    const Row rows[] = {
        {"encoded once", small, smallAt9,
         ScriptedReply::text(200, "<image><url>http://img.example/abc</url></image>")},
        {"encoded until it fits", large, largeSent,
         ScriptedReply::text(200, "<image><URL>http://img.example/abc</Url></image>")},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        service.reset();
        replyToUploads(row.reply);
        ReportLines log;
        auto sharer = directSharer(SHKItem::image(row.image, "Look"), "Look at this");
        EXPECT_TRUE(sharer->tryToSend());
        ASSERT_TRUE(waitForLines(log, 2));
        EXPECT_EQ(log.lines, (std::vector<std::string>{"started", "finished"}));
        EXPECT_EQ(verdicts(), (std::vector<std::string>{"upload ok", "echo ok", "update ok"}));
        auto upload = uploads().back();
        EXPECT_EQ(upload.header("X-Auth-Service-Provider"), service.baseURL() + VerifyPath);
        auto echo = authorizationParameters(upload.header("X-Verify-Credentials-Authorization").value_or(""));
        EXPECT_EQ(echo["realm"], service.baseURL() + "/");
        EXPECT_EQ(echo["oauth_token"], "access-1");
        EXPECT_EQ(upload.header("Content-Type"), "multipart/form-data; boundary=0xKhTmLbOuNdArY");
        ASSERT_EQ(upload.parts.size(), 2u);
        EXPECT_EQ(upload.parts[0].name, "media");
        EXPECT_EQ(upload.parts[0].contentType, "image/jpg");
        EXPECT_EQ(upload.parts[0].content, std::string(row.jpeg->view()));
        EXPECT_EQ(upload.parts[1].name, "message");
        EXPECT_EQ(upload.parts[1].content, "Look at this");
        EXPECT_EQ(statuses().back(), "Look at this http://img.example/abc");
        settle();
    }
}

TEST_F(Twitter, AnUnacceptedReplyAsksForTheSignInOrFailsWithTheServicesMessage)
{
    signIn();
    struct Row
    {
        const char* name;
        bool image;
        std::optional<ScriptedReply> update;
        std::optional<ScriptedReply> upload;
        std::string line;
    };
    const Row rows[] = {
        {"refused signature", false,
         ScriptedReply::text(401, "{\"error\":\"Could not authenticate with OAuth.\"}"), std::nullopt,
         Relogin},
        {"used nonce", false,
         ScriptedReply::text(401, "{\"request\":\"x\",\"error\":\"Invalid / used nonce\"}"), std::nullopt,
         Relogin},
        {"an XML code 401", false, ScriptedReply::text(500, "<hash><code>401</code></hash>"), std::nullopt,
         Relogin},
        {"an XML code 403", false, ScriptedReply::text(403, "<hash><code>403</code></hash>"), std::nullopt,
         "failed: Unknown Error"},
        {"the service's message", false, ScriptedReply::text(403, "{\"error\":\"Status is a duplicate.\"}"),
         std::nullopt, "failed: Status is a duplicate."},
        {"a message that looks like a format", false, ScriptedReply::text(403, "{\"error\":\"100%@ %d\"}"),
         std::nullopt, "failed: 100%@ %d"},
        {"a message without its end", false, ScriptedReply::text(403, "{\"error\":\"cut sho"), std::nullopt,
         "failed: cut sho"},
        {"an HTML page", false, ScriptedReply::text(502, "<html>Bad gateway</html>"), std::nullopt,
         "failed: Unknown Error"},
        {"an upload reply without an address", true, std::nullopt,
         ScriptedReply::text(200, "<image></image>"), "failed: Unknown Error"},
        {"an upload reply whose end comes first", true, std::nullopt,
         ScriptedReply::text(200, "</url>x<url>http://img.example/a"), "failed: Unknown Error"},
        {"a refused upload", true, std::nullopt, ScriptedReply::text(500, "{\"error\":\"no\"}"), "failed: "},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        replyToUpdates(row.update);
        replyToUploads(row.upload);
        ReportLines log;
        auto item = row.image ? SHKItem::image(noise(20, 20), "P") : SHKItem::text("t");
        auto sharer = directSharer(item, "A status");
        EXPECT_TRUE(sharer->tryToSend());
        ASSERT_TRUE(waitForLines(log, 2));
        settle();
        EXPECT_EQ(log.lines, (std::vector<std::string>{"started", row.line}));
        EXPECT_EQ(sharer->pendingAction(), row.line == Relogin ? SHKAwaitResend : SHKAwaitNothing);
        if (row.line != Relogin && row.line != "failed: ") {
            ASSERT_TRUE(sharer->lastError());
            EXPECT_EQ(sharer->lastError()->domain(), "Twitter");
            EXPECT_EQ(sharer->lastError()->code(), 2);
        }
        // The relogin form the default delegate opened is not wanted here.
        if (auto form = shownForm(sharer)) {
            ASSERT_TRUE(driver.press("Cancel"));
        }
        while (driver.answerAlert("Close") || driver.answerAlert("OK")) {
        }
        settle();
    }
}

TEST_F(Twitter, TheAccountInformationIsKeptWithoutNullsUntilLogout)
{
    signIn();
    ReportLines log;
    auto sharer = SHKSharer::getUserInfo("SHKTwitter");
    ASSERT_TRUE(sharer);
    ASSERT_TRUE(waitForLines(log, 2));
    EXPECT_EQ(log.lines, (std::vector<std::string>{"started", "finished"}));
    EXPECT_EQ(verdicts(), std::vector<std::string>{"account ok"});
    auto info = ns::cast<ns::Dictionary>(ns::UserDefaults::standard()->objectForKey(SHKTwitterUserInfoKey));
    ASSERT_TRUE(info);
    EXPECT_EQ(info->stringForKey("screen_name"), "bob");
    EXPECT_EQ(info->stringForKey("url"), "");
    auto status = info->objectAs<ns::Dictionary>("status");
    ASSERT_TRUE(status);
    EXPECT_EQ(status->stringForKey("geo"), "");

    SHKSharerClass::named("SHKTwitter")->logout();
    EXPECT_FALSE(ns::UserDefaults::standard()->objectForKey(SHKTwitterUserInfoKey));
    EXPECT_EQ(SHK::getAuthValueForKey("accessKey", "SHKTwitter"), std::nullopt);
}

TEST(TwitterReplies, ReadTheImageAddressAndTheServicesMessageWithoutTrustingThem)
{
    struct Row
    {
        const char* reply;
        std::optional<std::string> address;
    } rows[] = {
        {"<image><url>http://a/b</url></image>", "http://a/b"},
        {"<URL>http://a/B</URL>", "http://a/B"},
        {"<url></url>", ""},
        {"</url><url>", std::nullopt},
        {"</url>x<url>y", std::nullopt},
        {"<url>open", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.reply);
        EXPECT_EQ(SHKTwitter::uploadedImageAddress(row.reply), row.address);
    }
    EXPECT_EQ(SHKTwitter::errorMessage("{\"error\":\"a\"}"), "a");
    EXPECT_EQ(SHKTwitter::errorMessage("{\"error\": \"spaced\"}"), "Unknown Error");
    EXPECT_EQ(SHKTwitter::errorMessage("\"error\":\""), "");
}

} // namespace
