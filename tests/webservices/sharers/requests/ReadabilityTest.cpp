// The read-later sharer against a fake OAuth 1.0 service on 127.0.0.1 that checks every signature.
#include "ServiceSharerFixture.h"

#include "foundation/HTTPCookieStorage.h"
#include "foundation/Number.h"
#include "foundation/UserDefaults.h"
#include "sharing/oauth/OAURLEncoding.h"
#include "sharing/support/FakeOAuthService.h"
#include "sharing/ui/SHKFormFieldCell.h"
#include "testing/ClosedPort.h"
#include "uikit/TableView.h"
#include "uikit/TextField.h"
#include "uikit/WebView.h"
#include "webservices/sharers/readability/SHKReadability.h"

#include <gtest/gtest.h>

namespace {

using testkit::ScriptedReply;

constexpr const char* ConsumerKey = "velmo-readability";
constexpr const char* ConsumerSecret = "readability secret&/";
constexpr const char* BookmarkPath = "/api/rest/v1/bookmarks/";

FakeOAuthService::Paths readabilityPaths()
{
    FakeOAuthService::Paths paths;
    paths.requestToken = "/api/rest/v1/oauth/request_token/";
    paths.authorize = "/api/rest/v1/oauth/authorize/";
    paths.accessToken = "/api/rest/v1/oauth/access_token/";
    return paths;
}

class Readability : public ServiceSharerFixture
{
protected:
    Readability()
    {
        service.xAuthAccounts = {{"bob@example.com", "pa&ss word"}};
        // A token the user revoked is answered as the service does.
        service.protectedRoute(
            "bookmark", "POST", BookmarkPath,
            [this](const testkit::RecordedRequest& request, const std::map<std::string, std::string>&) {
                std::lock_guard lock(m_mutex);
                m_bookmarks.push_back(request.body);
                return m_bookmarkReply ? *m_bookmarkReply : ScriptedReply::text(202, "");
            },
            [](const std::string&) {
                return ScriptedReply::text(401, "{\"success\": false, \"messages\": [\"unauthenticated\"]}");
            });
        EXPECT_TRUE(service.start());
        configure("readabilityURL", ns::String::make(service.baseURL()));
        configure("readabilityConsumerKey", ns::String::make(ConsumerKey));
        configure("readabilitySecret", ns::String::make(ConsumerSecret));
        ui::WebView::setDefaultPageSource(
            [this](const ns::URLRequest& request) { return service.page(request); });
    }
    ~Readability() override { ui::WebView::setDefaultPageSource(nullptr); }

    void replyToBookmarks(std::optional<ScriptedReply> reply)
    {
        std::lock_guard lock(m_mutex);
        m_bookmarkReply = std::move(reply);
    }
    std::vector<std::string> bookmarks()
    {
        std::lock_guard lock(m_mutex);
        return m_bookmarks;
    }

    // Signs in by xAuth through the login form of a first share, which is then sent from its form.
    void signIn(ReportLines& log)
    {
        auto sharer = SHKSharer::shareItem("SHKReadability", urlItem());
        settle();
        auto login = shownForm(sharer);
        ASSERT_TRUE(login);
        logIn(login, "bob@example.com", "pa&ss word");
        ASSERT_TRUE(waitFor([&] { return !log.lines.empty(); }));
        settle();
        ASSERT_TRUE(driver.press("Send to Readability"));
        ASSERT_TRUE(waitForLines(log, 3));
        settle();
    }

    static std::optional<std::string> stored(const std::string& key)
    {
        return SHK::getAuthValueForKey(key, "SHKReadability");
    }

    FakeOAuthService service{ConsumerKey, ConsumerSecret, readabilityPaths()};

private:
    std::mutex m_mutex;
    std::optional<ScriptedReply> m_bookmarkReply;
    std::vector<std::string> m_bookmarks;
};

TEST_F(Readability, SignsInByXAuthThenSendsTheSignedBookmarkWithTheChosenSwitches)
{
    ReportLines log;
    auto sharer = SHKSharer::shareItem("SHKReadability", urlItem("http://example.com/a?b=1&c=d+e%20f"));
    ASSERT_TRUE(sharer);
    settle();
    auto login = shownForm(sharer);
    ASSERT_TRUE(login);
    EXPECT_EQ(login->sections()[0].footer, "Create a free account at Readability.com");
    ASSERT_EQ(login->sections()[0].rows.size(), 2u);
    logIn(login, "bob@example.com", "pa&ss word");
    ASSERT_TRUE(waitForLines(log, 1));
    EXPECT_EQ(log.lines, (std::vector<std::string>{"auth 1"}));

    // The access token came by xAuth: the user's name and password in the signed body, no token.
    auto judged = service.judged();
    ASSERT_EQ(judged.size(), 1u);
    EXPECT_EQ(judged[0].endpoint + " " + judged[0].verdict, "access_token ok");
    auto oauth = authorizationParameters(judged[0].request.header("Authorization").value_or(""));
    EXPECT_EQ(oauth.count("oauth_token"), 0u);
    EXPECT_EQ(oauth["oauth_consumer_key"], ConsumerKey);
    EXPECT_EQ(judged[0].request.body,
              "x_auth_username=bob%40example.com&x_auth_password=pa%26ss%20word&x_auth_mode=client_auth");
    EXPECT_EQ(stored("accessKey"), "access-1");
    EXPECT_EQ(stored("accessSecret"), "access secret 1");
    EXPECT_EQ(stored("username"), std::nullopt) << "the password is not kept";

    // The share form: both switches off; the user marks it a favourite.
    settle();
    auto form = shownForm(sharer);
    ASSERT_TRUE(form);
    ASSERT_NE(form, login);
    EXPECT_EQ(form->formValues()->stringForKey("favorite"), "0");
    EXPECT_EQ(form->formValues()->stringForKey("archive"), "0");
    ASSERT_TRUE(driver.press("Favorite"));
    ASSERT_TRUE(driver.press("Send to Readability"));
    ASSERT_TRUE(waitForLines(log, 3));
    EXPECT_EQ(log.lines, (std::vector<std::string>{"auth 1", "started", "finished"}));
    judged = service.judged();
    ASSERT_EQ(judged.size(), 2u);
    EXPECT_EQ(judged[1].endpoint + " " + judged[1].verdict, "bookmark ok");
    EXPECT_EQ(authorizationParameters(judged[1].request.header("Authorization").value_or(""))["oauth_token"],
              "access-1");
    EXPECT_EQ(bookmarks(),
              std::vector<std::string>{"url=http%3A%2F%2Fexample.com%2Fa%3Fb%3D1%26c%3Dd%2Be%2520f"
                                       "&favorite=1&archive=0"});
    auto defaults = ns::UserDefaults::standard();
    EXPECT_TRUE(defaults->boolForKey("SHKReadability_isFavorite"));
    EXPECT_FALSE(defaults->boolForKey("SHKReadability_shouldArchive"));

    // The next share form opens with both switches off again; the user archives this one.
    settle();
    auto second = SHKSharer::shareItem("SHKReadability", urlItem("http://example.com/2"));
    settle();
    auto secondForm = shownForm(second);
    ASSERT_TRUE(secondForm);
    EXPECT_EQ(secondForm->formValues()->stringForKey("favorite"), "0");
    EXPECT_EQ(secondForm->formValues()->stringForKey("archive"), "0");
    ASSERT_TRUE(driver.press("Archive"));
    ASSERT_TRUE(driver.press("Send to Readability"));
    ASSERT_TRUE(waitForLines(log, 5));
    EXPECT_EQ(bookmarks().back(), "url=http%3A%2F%2Fexample.com%2F2&favorite=0&archive=1");

    // Sent without the form (auto-share), a share carries the choices saved last.
    settle();
    auto third = SHKSharer::sharerWithId("SHKReadability");
    third->setShouldAutoShare(true);
    third->loadItem(urlItem("http://example.com/3"));
    third->share();
    ASSERT_TRUE(waitForLines(log, 7));
    EXPECT_FALSE(shownForm(third));
    EXPECT_EQ(bookmarks().back(), "url=http%3A%2F%2Fexample.com%2F3&favorite=0&archive=1");
    for (const auto& request : service.judged())
        EXPECT_EQ(request.verdict, "ok") << request.endpoint;
}

TEST_F(Readability, ARefusedSignInShowsTheServicesWordsAndKeepsTheFormOpen)
{
    service.xAuthRefusal = "Invalid username/password %@ combination.";
    ReportLines log;
    auto sharer = SHKSharer::shareItem("SHKReadability", urlItem());
    settle();
    auto login = shownForm(sharer);
    ASSERT_TRUE(login);
    logIn(login, "bob@example.com", "wrong");
    ASSERT_TRUE(waitFor([&] { return !ui::AlertView::shownAlerts().empty(); }));
    settle();
    EXPECT_EQ(alertTexts(),
              std::vector<std::string>{"Access Error: Invalid username/password %@ combination."});
    EXPECT_TRUE(driver.answerAlert("Close"));
    EXPECT_TRUE(log.lines.empty());
    EXPECT_EQ(stored("accessKey"), std::nullopt);
    EXPECT_EQ(shownForm(sharer), login);
    EXPECT_EQ(service.xAuthSignIns().size(), 1u);

    // A second try with the right password goes through from the same form.
    ui::AlertView::clearShownAlerts();
    auto cell = ns::cast<SHKFormFieldCell>(login->tableView()->cellForRowAtIndexPath(ns::IndexPath(0, 1)));
    ASSERT_TRUE(cell && cell->textField());
    cell->textField()->setText("pa&ss word");
    ASSERT_TRUE(driver.press("Login"));
    ASSERT_TRUE(waitForLines(log, 1));
    EXPECT_EQ(log.lines, (std::vector<std::string>{"auth 1"}));
    EXPECT_EQ(stored("accessKey"), "access-1");
    settle();
    ASSERT_TRUE(driver.press("Cancel"));
    settle();
    EXPECT_EQ(log.lines, (std::vector<std::string>{"auth 1", "cancelled"}));
}

TEST_F(Readability, TheBookmarkReplyDecidesBetweenFinishReloginAndTheServicesMessage)
{
    ReportLines signInLog;
    signIn(signInLog);
    testkit::ClosedPort closed;
    const std::string relogin = "failed: Could not authenticate you. Please relogin.";
    struct Row
    {
        const char* name;
        std::optional<ScriptedReply> reply;
        std::string line; // the last report; "*" ends a prefix
        bool revoke = false;
        bool unreachable = false;
    };
    const Row rows[] = {
        {"accepted", ScriptedReply::text(202, ""), "finished"},
        {"created", ScriptedReply::text(201, "{}"), "finished"},
        {"a refusal that says success after all", ScriptedReply::text(409, "{\"success\": 1}"), "finished"},
        {"success as text", ScriptedReply::text(400, "{\"success\": \"1\"}"), "finished"},
        {"the service's messages",
         ScriptedReply::text(409, "{\"success\": 0, \"messages\": [\"Bookmark already exists.\", \"x\"]}"),
         "failed: Bookmark already exists."},
        {"messages by field", ScriptedReply::text(400, "{\"messages\": {\"url\": [\"Enter a valid URL.\"]}}"),
         "failed: Enter a valid URL."},
        {"a message that looks like a format", ScriptedReply::text(400, "{\"messages\": [\"100%@ %d\"]}"),
         "failed: 100%@ %d"},
        {"no messages", ScriptedReply::text(400, "{\"messages\": []}"), "failed: "},
        {"messages by field without url", ScriptedReply::text(400, "{\"messages\": {\"title\": [\"t\"]}}"),
         "failed: "},
        {"not JSON", ScriptedReply::text(500, "<html>Server Error</html>"), "failed: "},
        {"not UTF-8", ScriptedReply::text(500, "\xff\xfe{}"), relogin},
        {"said unauthenticated", ScriptedReply::text(403, "{\"detail\": \"unauthenticated\"}"), relogin},
        {"the token was revoked", std::nullopt, relogin, true},
        {"the service cannot be reached", std::nullopt, "failed: *", false, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        replyToBookmarks(row.reply);
        if (row.revoke)
            service.revokeAccessTokens();
        if (row.unreachable)
            configure("readabilityURL",
                      ns::String::make("http://127.0.0.1:" + std::to_string(closed.port())));
        ReportLines log;
        auto sharer = SHKSharer::sharerWithId("SHKReadability");
        sharer->setShouldAutoShare(true);
        sharer->loadItem(urlItem("http://example.com/row"));
        sharer->share();
        ASSERT_TRUE(waitForLines(log, 2));
        settle();
        EXPECT_EQ(log.lines.front(), "started");
        if (row.line.back() == '*') {
            std::string prefix = row.line.substr(0, row.line.size() - 1);
            EXPECT_EQ(log.lines.back().substr(0, prefix.size()), prefix);
            EXPECT_GT(log.lines.back().size(), prefix.size());
        } else {
            EXPECT_EQ(log.lines.back(), row.line);
        }
        EXPECT_EQ(sharer->pendingAction(), row.line == relogin ? SHKAwaitResend : SHKAwaitNothing);
        EXPECT_FALSE(sharer->isKeptAlive());
        if (auto error = sharer->lastError(); error && row.line != relogin && !row.unreachable) {
            EXPECT_EQ(error->domain(), "Readability");
            EXPECT_EQ(error->code(), 2);
        }
        configure("readabilityURL", ns::String::make(service.baseURL()));
        while (driver.answerAlert("Close") || driver.answerAlert("OK")) {
        }
        settle();
        if (row.revoke) {
            // The sign-in is asked for again; once it is through, the share goes out again by itself.
            auto login = shownForm(sharer);
            ASSERT_TRUE(login);
            logIn(login, "bob@example.com", "pa&ss word");
            ASSERT_TRUE(waitForLines(log, 5));
            EXPECT_EQ(log.lines,
                      (std::vector<std::string>{"started", relogin, "started", "auth 1", "finished"}));
            EXPECT_EQ(bookmarks().back(), "url=http%3A%2F%2Fexample.com%2Frow&favorite=0&archive=0");
            settle();
        }
    }
}

TEST_F(Readability, WithoutXAuthTheWebSignInStartsAtTheRequestToken)
{
    configure("readabilityUseXAuth", ns::Number::numberWithBool(false));
    auto sharer = SHKSharer::shareItem("SHKReadability", urlItem());
    ASSERT_TRUE(waitFor([&] { return !service.pagesShown().empty(); }));
    auto judged = service.judged();
    ASSERT_EQ(judged.size(), 1u);
    EXPECT_EQ(judged[0].endpoint + " " + judged[0].verdict, "request_token ok");
    EXPECT_EQ(
        authorizationParameters(judged[0].request.header("Authorization").value_or(""))["oauth_callback"],
        "oob");
    EXPECT_EQ(service.pagesShown()[0],
              service.authorizeURL() +
                  "?oauth_token=" + OAURLEncoding::URLEncodedString(FakeOAuthService::requestTokenKey(1)));
    EXPECT_FALSE(shownForm(sharer)) << "no login form";
    // The user gives up at the service's page: the share ends, and with it the sharer's hold on itself.
    sharer->sendDidCancel();
}

TEST_F(Readability, LogoutForgetsTheTokenTheAccountInformationAndTheSignInCookies)
{
    ReportLines log;
    signIn(log);
    ns::UserDefaults::standard()->setObject(ns::String::make("bob"), SHKReadabilityUserInfoKey);
    ns::HTTPCookieStorage::shared().setCookiesFromFields({"session=1; Path=/"}, service.authorizeURL());
    ASSERT_TRUE(SHKSharer::sharerWithId("SHKReadability")->isAuthorized());
    SHKSharerClass::named("SHKReadability")->logout();
    EXPECT_FALSE(SHKSharer::sharerWithId("SHKReadability")->isAuthorized());
    EXPECT_EQ(stored("accessKey"), std::nullopt);
    EXPECT_FALSE(ns::UserDefaults::standard()->objectForKey(SHKReadabilityUserInfoKey));
    EXPECT_TRUE(ns::HTTPCookieStorage::shared().cookies().empty());
}

} // namespace
