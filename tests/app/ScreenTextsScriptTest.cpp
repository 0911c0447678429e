// The words the user reads: each sharer's forms, its alerts and the progress overlay, reached as a user
// reaches them (a script against a fake service on 127.0.0.1) and read off velmo's dump of the screen.
// One row a screen, so that a changed word fails the row of the screen that shows it.
#include "VelmoRun.h"
#include "testing/LoopbackServer.h"
#include "testing/TemporaryHome.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using testkit::ScriptedReply;

// A reply that comes a real second and a half late, so that what the screen shows meanwhile can be read.
ScriptedReply late(int status, std::string body)
{
    auto reply = ScriptedReply::text(status, std::move(body));
    reply.delay = 1.5;
    return reply;
}

ScriptedReply refused(int status, std::string reason)
{
    auto reply = ScriptedReply::text(status, "");
    reply.header("X-Error", std::move(reason));
    return reply;
}

// Settings whose value starts with this text name an address of the fake service.
const std::string Fake = "FAKE";

// The login form of the sharer base, filled in and sent.
const std::string LogIn = "type bob\ntap 207 141\ntype pw\npress Login\n";

struct Row
{
    std::string name;
    std::vector<std::pair<std::string, std::string>> settings;
    std::vector<std::pair<std::string, ScriptedReply>> replies; // path, reply
    std::string script;                                         // ends with a dump of the screen
    std::vector<std::string> shown; // texts the dump shows, each exactly (a placeholder in brackets)
    std::string options{};
};

void check(const Row& row)
{
    SCOPED_TRACE(row.name);
    testkit::TemporaryHome home;
    testkit::LoopbackServer server;
    for (const auto& [path, reply] : row.replies)
        server.route(path, reply);
    ASSERT_TRUE(server.start());
    auto settings = row.settings;
    for (auto& [key, value] : settings)
        if (value.rfind(Fake, 0) == 0)
            value = server.baseURL() + value.substr(Fake.size());
    VelmoRun run =
        runScript(home, row.script, {.config = settingsFile(home, settings), .options = row.options});
    ASSERT_EQ(run.status, 0) << run.err << run.out;
    for (const auto& text : row.shown) {
        std::string quoted = "\"" + text + "\"";
        EXPECT_NE(run.out.find(quoted), std::string::npos) << quoted << " is not on the screen:\n" << run.out;
    }
}

const std::vector<std::pair<std::string, std::string>> PinboardAt = {{"pinboardAPIURL", Fake}};
const std::vector<std::pair<std::string, std::string>> DiigoAt = {{"diigoAPIURL", Fake}, {"diigoKey", "k3y"}};
const std::vector<std::pair<std::string, std::string>> InstapaperAt = {{"instapaperURL", Fake}};
const std::vector<std::pair<std::string, std::string>> ReaderAt = {{"googleReaderURL", Fake},
                                                                   {"googleReaderSecureURL", Fake},
                                                                   {"appName", "Velmo"},
                                                                   {"appURL", "http://velmo.example/"}};

const std::string SharePinboard = "share SHKPinboard http://example.com/page A page\nwait 1\n";
const std::string ShareDiigo = "share SHKDiigo http://example.com/page A page\nwait 1\n";
const std::string ShareInstapaper = "share SHKInstapaper http://example.com/page A page\nwait 1\n";
const std::string ShareReader = "share SHKGoogleReader http://example.com/page A page\nwait 1\n";

TEST(ScreenTextsScript, TheBookmarkingServicesFormsAndAlerts)
{
    const ScriptedReply loggedIn = ScriptedReply::text(200, "<posts/>");
    const Row rows[] = {
        {"the login form",
         PinboardAt,
         {},
         SharePinboard + "dump\n",
         {"Login", "Username", "Password", "Cancel", "Create an account at http://pinboard.in"}},
        {"the overlay while the login is checked",
         PinboardAt,
         {{"/v1/posts/get", late(200, "<posts/>")}},
         SharePinboard + LogIn + "await Logging In...\ndump\n",
         {"Logging In..."}},
        {"the share form",
         PinboardAt,
         {{"/v1/posts/get", loggedIn}},
         SharePinboard + LogIn + "await Send to Pinboard\ndump\n",
         {"Title", "A page", "Tags", "Notes", "Shared", "Send to Pinboard", "Auto Share",
          "Enable auto share to skip this step in the future."}},
        {"the overlay while saving, then when saved",
         PinboardAt,
         {{"/v1/posts/get", loggedIn}, {"/v1/posts/add", late(200, "<result code=\"done\"/>")}},
         SharePinboard + LogIn +
             "await Send to Pinboard\npress Send to Pinboard\nawait Saving to Pinboard\n"
             "dump\nawait Saved!\ndump\n",
         {"Saving to Pinboard", "Saved!", "\xE2\x9C\x93"}},
        {"Pinboard refusing the login",
         PinboardAt,
         {{"/v1/posts/get", ScriptedReply::text(401, "")}},
         SharePinboard + LogIn + "await Login Error\ndump\n",
         {"Login Error", "Invalid email or password.", "Close"}},
        {"Pinboard failing the login",
         PinboardAt,
         {{"/v1/posts/get", ScriptedReply::text(500, "")}},
         SharePinboard + LogIn + "await Login Error\ndump\n",
         {"Login Error", "The service encountered an error. Please try again later."}},
        {"Pinboard failing the bookmark",
         PinboardAt,
         {{"/v1/posts/get", loggedIn}, {"/v1/posts/add", ScriptedReply::text(500, "")}},
         SharePinboard + LogIn + "await Send to Pinboard\npress Send to Pinboard\nawait Close\ndump\n",
         {"Error", "There was an error saving to Pinboard", "Close"}},
        {"Diigo refusing the login",
         DiigoAt,
         {{"/api/v2/bookmarks", ScriptedReply::text(401, "")}},
         ShareDiigo + LogIn + "await Login Error\ndump\n",
         {"Login Error", "Sorry, Diigo did not accept your credentials. Please try again.", "Close"}},
        {"Diigo failing the login",
         DiigoAt,
         {{"/api/v2/bookmarks", ScriptedReply::text(500, "")}},
         ShareDiigo + LogIn + "await Login Error\ndump\n",
         {"Sorry, Diigo encountered an error. Please try again."}},
        {"Diigo failing the bookmark",
         DiigoAt,
         {{"/api/v2/bookmarks", ScriptedReply::text(200, "nothing")}},
         ShareDiigo + LogIn + "await Send to Diigo\ndump\npress Send to Diigo\nawait Close\ndump\n",
         {"Title", "Tags", "Notes", "Shared", "Send to Diigo", "Error",
          "There was an error saving to Diigo"}},
    };
    for (const auto& row : rows)
        check(row);
}

TEST(ScreenTextsScript, TheReadLaterServicesAndTheFeedReadersFormsAndAlerts)
{
    const Row rows[] = {
        {"Instapaper refusing the login",
         InstapaperAt,
         {{"/api/authenticate", ScriptedReply::text(403, "")}},
         ShareInstapaper + LogIn + "await Login Error\ndump\n",
         {"Login Error", "Sorry, Instapaper did not accept your credentials. Please try again.", "Close"}},
        {"Instapaper failing the login",
         InstapaperAt,
         {{"/api/authenticate", ScriptedReply::text(500, "")}},
         ShareInstapaper + LogIn + "await Login Error\ndump\n",
         {"Sorry, Instapaper encountered an error. Please try again."}},
        {"Instapaper failing the share",
         InstapaperAt,
         {{"/api/authenticate", ScriptedReply::text(200, "OK")}, {"/api/add", ScriptedReply::text(400, "")}},
         ShareInstapaper + LogIn + "await Close\ndump\n",
         {"Error", "There was a problem saving to Instapaper.", "Close"}},
        {"Instapaper's service failing the share",
         InstapaperAt,
         {{"/api/authenticate", ScriptedReply::text(200, "OK")}, {"/api/add", ScriptedReply::text(500, "")}},
         ShareInstapaper + LogIn + "await Close\ndump\n",
         {"Error", "The service encountered an error. Please try again later."}},
        {"Read It Later refusing the login in its own words",
         {{"readItLaterURL", Fake}, {"readItLaterKey", "k3y"}},
         {{"/v2/auth", refused(401, "User was not found")}},
         "share SHKReadItLater http://example.com/page A page\nwait 1\n" + LogIn +
             "await Login Error\ndump\n",
         {"Login Error", "User was not found", "Close"}},
        {"the feed reader's login and share forms",
         ReaderAt,
         {{"/accounts/ClientLogin", ScriptedReply::text(200, "SID=s1\nAuth=t0k3n\n")}},
         ShareReader + "dump\n" + LogIn + "await Send to Google Reader\ndump\n",
         {"Email", "Password", "Note", "Public", "Send to Google Reader"}},
        {"the feed reader refusing the login",
         ReaderAt,
         {{"/accounts/ClientLogin", ScriptedReply::text(403, "Error=BadAuthentication\n")}},
         ShareReader + LogIn + "await Login Error\ndump\n",
         {"Login Error", "Incorrect username and password", "Close"}},
        {"the feed reader failing the login without a reason",
         ReaderAt,
         {{"/accounts/ClientLogin", ScriptedReply::text(500, "")}},
         ShareReader + LogIn + "await Login Error\ndump\n",
         {"There was an error logging into Google Reader"}},
    };
    for (const auto& row : rows)
        check(row);
}

TEST(ScreenTextsScript, TheDeviceSharersTheOfflineAlertAndTheOverlaysOfTheOtherServices)
{
    const std::string venues = R"({"meta":{"code":200},"response":{"venues":[]}})";
    // The check-in service signs the user in on its web page at once.
    const std::string signedInAt = "https://velmo.example/foursquare/done";
    const std::pair<std::string, ScriptedReply> signedIn = {
        "/oauth2/authenticate", ScriptedReply::redirect(signedInAt + "#access_token=TOKEN9")};
    const std::vector<std::pair<std::string, std::string>> CheckInAt = {
        {"foursquareV2APIURL", Fake},
        {"foursquareV2WebURL", Fake},
        {"foursquareV2ClientId", "CLIENT"},
        {"foursquareV2RedirectURI", signedInAt}};
    const Row rows[] = {
        {"a copy",
         {},
         {},
         "share SHKCopy http://example.com/page A page\nwait 0.35\ndump\n",
         {"Copied!", "\xE2\x9C\x93"}},
        {"a sign-out",
         {},
         {},
         "share SHKLogout http://example.com/page A page\nwait 0.35\ndump\n",
         {"Logged Out!"}},
        {"a login while offline",
         PinboardAt,
         {},
         "network off\n" + SharePinboard + "dump\n",
         {"Offline", "You must be online to login to Pinboard", "Close"}},
        {"the check-in's wait for a position",
         CheckInAt,
         {signedIn},
         "sharetext SHKFoursquareV2 Bonjour\nwait 20\ndump\n",
         {"Nearby Places", "[Search places]", "Determine your location..."},
         "--web network"},
        {"the check-in's search for places",
         CheckInAt,
         {signedIn, {"/v2/venues/search", late(200, venues)}},
         "sharetext SHKFoursquareV2 Bonjour\nawait Searching places...\ndump\n",
         {"Searching places..."},
         "--web network --location 48.8566,2.3522"},
        {"the micro-blogging's shortened address",
         {{"bitLyURL", Fake},
          {"bitLyLogin", "velmo"},
          {"bitLyKey", "R_key"},
          {"forcePreIOS5TwitterAccess", "<true/>"}},
         {{"/v3/shorten", late(200, "http://bit.ly/x")}},
         "share SHKTwitter http://example.com/page A page\nawait Shortening URL...\ndump\n",
         {"Shortening URL..."}},
        {"the micro-blogging's address that could not be shortened",
         {{"bitLyURL", Fake},
          {"bitLyLogin", "velmo"},
          {"bitLyKey", "R_key"},
          {"forcePreIOS5TwitterAccess", "<true/>"}},
         {{"/v3/shorten", ScriptedReply::text(500, "")}},
         "share SHKTwitter http://example.com/page A page\nawait Shorten URL Error\ndump\n",
         {"Shorten URL Error", "We could not shorten the URL.", "Continue"}},
        {"an OAuth service asked for a request token",
         {{"twitterAPIURL", Fake},
          {"twitterConsumerKey", "k"},
          {"twitterSecret", "s"},
          {"forcePreIOS5TwitterAccess", "<true/>"}},
         {{"/oauth/request_token", late(500, "")}},
         "share SHKTwitter http://example.com/page A page\nawait Connecting...\ndump\nawait Request "
         "Error\ndump\n",
         {"Connecting...", "Request Error", "There was a problem requesting authorization from Twitter",
          "Close"}},
        {"the note service's login form and its refusal",
         {{"evernoteUserStoreURL", Fake + "/edam/user"},
          {"evernoteNetStoreURLBase", Fake + "/edam/note/"},
          {"evernoteConsumerKey", "key"},
          {"evernoteSecret", "secret"}},
         {{"/edam/user", late(500, "")}},
         "share SHKEvernote http://example.com/page A page\nwait 1\ndump\n" + LogIn +
             "await Logging In...\ndump\nawait Login Error\ndump\n",
         {"Login", "Username", "Password", "Logging In...", "Login Error",
          "Your username and password did not match", "Close"}},
    };
    for (const auto& row : rows)
        check(row);
}

} // namespace
