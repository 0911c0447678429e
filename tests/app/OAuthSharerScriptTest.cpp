// The OAuth sharers driven as a user drives them: velmo runs a script against a fake OAuth 1.0 service on
// 127.0.0.1 that checks every signature, named in the device's settings file.
#include "VelmoRun.h"
#include "sharing/support/FakeOAuthService.h"
#include "testing/TemporaryHome.h"

#include <gtest/gtest.h>

namespace {

using testkit::ScriptedReply;

TEST(OAuthSharerScript, ReadabilitySignsInByXAuthAndSavesTheFavouriteBookmark)
{
    testkit::TemporaryHome home;
    FakeOAuthService::Paths paths;
    paths.requestToken = "/api/rest/v1/oauth/request_token/";
    paths.authorize = "/api/rest/v1/oauth/authorize/";
    paths.accessToken = "/api/rest/v1/oauth/access_token/";
    FakeOAuthService service("velmo key", "velmo secret", paths);
    service.xAuthAccounts = {{"bob", "pa/ss:1"}};
    std::vector<std::string> bookmarks;
    std::mutex mutex;
    service.protectedRoute(
        "bookmark", "POST", "/api/rest/v1/bookmarks/",
        [&](const testkit::RecordedRequest& request, const std::map<std::string, std::string>&) {
            std::lock_guard lock(mutex);
            bookmarks.push_back(request.body);
            return ScriptedReply::text(202, "");
        });
    ASSERT_TRUE(service.start());
    auto settings = settingsFile(home, {{"readabilityURL", service.baseURL()},
                                        {"readabilityConsumerKey", "velmo key"},
                                        {"readabilitySecret", "velmo secret"}});

    // The login form: the user name has the caret; a tap moves it to the password. The share form: the
    // "Favorite" switch is turned on beside its label.
    VelmoRun run = runScript(home, R"(share SHKReadability http://example.com/page?a=1 A page
wait 1
type bob
tap 207 141
type pa/ss:1
press Login
await Send to Readability
press Favorite
press Send to Readability
await Saved!
)",
                             {.config = settings});
    ASSERT_EQ(run.status, 0) << run.err;

    auto judged = service.judged();
    ASSERT_EQ(judged.size(), 2u);
    EXPECT_EQ(judged[0].endpoint + " " + judged[0].verdict, "access_token ok");
    EXPECT_EQ(judged[0].request.body,
              "x_auth_username=bob&x_auth_password=pa%2Fss%3A1&x_auth_mode=client_auth");
    EXPECT_EQ(judged[1].endpoint + " " + judged[1].verdict, "bookmark ok");
    std::lock_guard lock(mutex);
    EXPECT_EQ(bookmarks,
              std::vector<std::string>{"url=http%3A%2F%2Fexample.com%2Fpage%3Fa%3D1&favorite=1&archive=0"});
}

TEST(OAuthSharerScript, TwitterShortensTheAddressSignsInByXAuthAndPostsTheStatus)
{
    testkit::TemporaryHome home;
    FakeOAuthService service("velmo key", "velmo secret");
    service.xAuthAccounts = {{"bob", "pa/ss:1"}};
    std::vector<std::string> statuses;
    std::mutex mutex;
    service.protectedRoute(
        "update", "POST", "/1/statuses/update.json",
        [&](const testkit::RecordedRequest& request, const std::map<std::string, std::string>&) {
            std::lock_guard lock(mutex);
            for (const auto& [name, value] : formPairs(request.body))
                if (name == "status")
                    statuses.push_back(value);
            return ScriptedReply::text(200, "{\"id\":1}");
        });
    ASSERT_TRUE(service.start());
    testkit::LoopbackServer shortener;
    shortener.route("/v3/shorten", ScriptedReply::text(200, "http://bit.ly/velmo\n"));
    ASSERT_TRUE(shortener.start());
    auto settings = settingsFile(home, {{"twitterAPIURL", service.baseURL()},
                                        {"twitterConsumerKey", "velmo key"},
                                        {"twitterSecret", "velmo secret"},
                                        {"twitterUseXAuth", "<integer>1</integer>"},
                                        {"forcePreIOS5TwitterAccess", "<true/>"},
                                        {"bitLyURL", shortener.baseURL()},
                                        {"bitLyLogin", "velmo"},
                                        {"bitLyKey", "R_key"}});

    // The login form follows the shortening reply.
    VelmoRun run = runScript(home, R"(share SHKTwitter http://example.com/page?a=1 A page
await Login
wait 1
type bob
tap 207 141
type pa/ss:1
press Login
await Send to Twitter
press Send to Twitter
await Saved!
)",
                             {.config = settings});
    ASSERT_EQ(run.status, 0) << run.err;

    // Shortened for the share, and again when the share starts over after the sign-in.
    ASSERT_EQ(shortener.requestCount(), 2u);
    EXPECT_EQ(
        shortener.requests()[1].target,
        "/v3/shorten?login=velmo&apikey=R_key&longUrl=http%3A%2F%2Fexample.com%2Fpage%3Fa%3D1&format=txt");
    auto judged = service.judged();
    ASSERT_EQ(judged.size(), 2u);
    EXPECT_EQ(judged[0].endpoint + " " + judged[0].verdict, "access_token ok");
    EXPECT_EQ(judged[1].endpoint + " " + judged[1].verdict, "update ok");
    std::lock_guard lock(mutex);
    EXPECT_EQ(statuses, std::vector<std::string>{"A page http://bit.ly/velmo"});
}

} // namespace
