// Web-service sharers driven as a user drives them: velmo runs a script against a fake service on
// 127.0.0.1 (a bookmarking service over HTTPS, its authority trusted for the run; a check-in service over
// HTTP), named in the device's settings file.
#include "VelmoRun.h"
#include "foundation/Array.h"
#include "foundation/Base64.h"
#include "foundation/Data.h"
#include "foundation/Dictionary.h"
#include "foundation/FileManager.h"
#include "foundation/Format.h"
#include "foundation/Sandbox.h"
#include "sharing/core/SHK.h"
#include "testing/LoopbackServer.h"
#include "testing/TemporaryHome.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

using testkit::ScriptedReply;

std::string tlsFixture(const char* name)
{
    std::string path = VELMO_FIXTURES;
    path += "/network/tls/";
    path += name;
    return path;
}

// The parts one after the other (appended in place).
std::string joined(std::initializer_list<std::string_view> parts)
{
    std::string text;
    for (auto part : parts)
        text += part;
    return text;
}

std::string basicAuthorization(std::string_view pair)
{
    std::string header = "Basic ";
    header += ns::base64Encode(pair);
    return header;
}

// A fake service on 127.0.0.1 over HTTPS, with a certificate of the test authority.
::testing::AssertionResult startFake(testkit::LoopbackServer& server)
{
    if (!server.startTLS(tlsFixture("server-certificate.pem"), tlsFixture("server-key.pem")))
        return ::testing::AssertionFailure() << "the fake service did not start";
    return ::testing::AssertionSuccess();
}

// Runs velmo on the script, with the device settings (configuration keys and their texts) and the test
// authority trusted; pictures go to the home's "shots" folder.
VelmoRun runTrusted(const testkit::TemporaryHome& home,
                    const std::vector<std::pair<std::string, std::string>>& configuration,
                    const std::string& scriptText)
{
    std::string trust = "--trust-ca '";
    trust += tlsFixture("ca.pem");
    trust += "'";
    return runScript(home, scriptText,
                     {.config = settingsFile(home, configuration), .options = trust, .shots = true});
}

// The script lines that open the service from the board's share button, through "More...", until its
// first screen shows.
std::string throughMore(const std::string& service)
{
    // The services stand below the actions: the menu is scrolled up first.
    std::string script =
        "wait 0.5\npress Action\nalert More...\nwait 1\ndrag 160 400 160 100\nwait 1\npress ";
    script += service;
    script += "\nwait 1\n";
    return script;
}

TEST(SharerScript, TheLoginFormTheShareFormAndTheBookmarkReachTheService)
{
    testkit::TemporaryHome home;
    testkit::LoopbackServer server;
    ASSERT_TRUE(startFake(server));
    server.route("/v1/posts/get", ScriptedReply::text(200, "<posts/>"));
    server.route("/v1/posts/add", ScriptedReply::text(200, "<result code=\"done\"/>"));

    // The login form: the user name has the caret; a tap moves it to the password. The share form: the
    // "Shared" switch is turned on beside its label. "await" lets the replies arrive.
    VelmoRun run = runTrusted(home, {{"pinboardAPIURL", server.baseURL()}},
                              R"(share SHKPinboard http://example.com/page?a=1 A page
wait 1
type bob
tap 207 141
type pa/ss:1
shot login
press Login
await Send to Pinboard
wait 1
shot share
press Shared
press Send to Pinboard
await Saved!
)");
    ASSERT_EQ(run.status, 0) << run.err;

    auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    std::string basic = basicAuthorization("bob:pa/ss:1");
    EXPECT_EQ(requests[0].method, "POST");
    EXPECT_EQ(requests[0].target, "/v1/posts/get");
    EXPECT_EQ(requests[0].header("Authorization"), basic);
    EXPECT_EQ(requests[1].method, "GET");
    EXPECT_EQ(requests[1].target,
              "/v1/posts/add?url=http%3A%2F%2Fexample.com%2Fpage%3Fa%3D1&description=A%20page"
              "&tags=&extended=&shared=yes");
    EXPECT_EQ(requests[1].header("Authorization"), basic);
    // Pictures of the two forms as the user saw them: the login form's Login button and the share form's
    // wider Send button, blue at the bar's right end, over the white rows of each form.
    Shot login(home, "login"), share(home, "share");
    ASSERT_TRUE(login.isScreen());
    ASSERT_TRUE(share.isScreen());
    EXPECT_TRUE(login.at(288, 42).isBlue()) << login.at(288, 42);
    EXPECT_FALSE(login.at(220, 42).isBlue()) << login.at(220, 42);
    EXPECT_GT(login.at(250, 96).brightness(), 240) << login.at(250, 96);
    EXPECT_TRUE(share.at(220, 42).isBlue()) << share.at(220, 42);
    EXPECT_GT(share.at(250, 96).brightness(), 240) << share.at(250, 96);
}

// The board's share button, "More...", the service in the menu, its login form and its share form: the
// fake receives the credential check (the feed reader: its sign-in) and then the board's item.
TEST(SharerScript, TheBoardsItemReachesEachServiceThroughMore)
{
    // The store page and the recommendation the board shares, escaped as the services receive them.
    const std::string page = "http%3A%2F%2Fitunes.apple.com%2Fapp%2Fvelmo%2Fid428024839%3Fmt%3D8";
    const std::string title =
        "%22Geek%20or%20not,%20everyone%20needs%20Velmo%21%22%2012%20contacts%20ready%20to"
        "%20be%20dialed%20in%20only%202%20taps";
    const std::string basic = basicAuthorization("bob:pa/ss:1");
    const std::string credentials = "username=bob&password=pa/ss:1";
    const std::string session = "GoogleLogin auth=t0k3n";
    struct Sent
    {
        std::string method;
        std::string target; // followed by a number of seconds when `timed`
        std::string body;
        std::optional<std::string> authorization;
        bool timed = false;
    };
    struct Row
    {
        std::string service;
        std::vector<std::string> addressKeys;
        std::vector<std::pair<std::string, std::string>> settings;
        std::vector<std::pair<std::string, std::string>> replies; // path, body of a 200 reply
        std::string shareForm;                                    // script lines after the login
        std::vector<Sent> sent;
        std::string password = "pa/ss:1"; // as typed into the login form
    } rows[] = {
        {"Pinboard",
         {"pinboardAPIURL"},
         {},
         {{"/v1/posts/get", "<posts/>"}, {"/v1/posts/add", "<result code=\"done\"/>"}},
         "press Shared\npress Send to Pinboard\n",
         {{"POST", "/v1/posts/get", "", basic},
          {"GET", joined({"/v1/posts/add?url=", page, "&description=", title, "&tags=&extended=&shared=yes"}),
           "", basic}}},
        {"Diigo",
         {"diigoAPIURL"},
         {{"diigoKey", "k3y"}},
         {{"/api/v2/bookmarks", "added 1 bookmark"}},
         "press Shared\npress Send to Diigo\n",
         {{"GET", "/api/v2/bookmarks?key=k3y&count=1&user=bob", "", basic},
          {"POST", "/api/v2/bookmarks",
           joined({"key=k3y&url=", page, "&title=", title, "&tags=&desc=&shared=yes"}), basic}}},
        {"Instapaper",
         {"instapaperURL"},
         {},
         {{"/api/authenticate", "OK"}, {"/api/add", "OK"}},
         "", // no share form either
         {{"POST", "/api/authenticate", credentials, std::nullopt},
          {"POST", "/api/add", joined({"url=", page, "&title=", title, "&selection=&", credentials}),
           std::nullopt}}},
        {"Read It Later",
         {"readItLaterURL"},
         {{"readItLaterKey", "k3y"}},
         {{"/v2/auth", "OK"}, {"/v2/send", "OK"}},
         "", // no share form: it shares as soon as the login is saved
         {{"POST", "/v2/auth", joined({"apikey=k3y&", credentials}), std::nullopt},
          {"POST", "/v2/send",
           joined(
               {"apikey=k3y&", credentials, "&new=%7B%220%22%3A%7B%22url%22%3A%22", page,
                "%22%2C%22title%22%3A%22%26quot%3BGeek%20or%20not%2C%20everyone%20needs%20Velmo%21%26quot%3B"
                "%2012%20contacts%20ready%20to%20be%20dialed%20in%20only%202%20taps%22%7D%7D"}),
           std::nullopt}}},
        {"Google Reader",
         {"googleReaderURL", "googleReaderSecureURL"},
         {{"appName", "Velmo"}, {"appURL", "http://velmo.example/"}},
         {{"/accounts/ClientLogin", "SID=s1\nAuth=t0k3n\n"},
          {"/reader/api/0/token", "edit-1"},
          {"/reader/api/0/item/edit", "OK"}},
         "press Public\npress Send to Google Reader\n",
         {{"POST", "/accounts/ClientLogin",
           "service=reader&source=ShareCore-Velmo-0.2.1&Email=bob&Passwd=pa/ss:1&accountType=GOOGLE",
           std::nullopt},
          {"GET", "/reader/api/0/token?ck=", "", session, true},
          {"POST", "/reader/api/0/item/edit",
           joined({"T=edit-1&linkify=false&snippet=&srcTitle=Velmo&srcUrl=http://velmo.example/&title=",
                   title, "&url=", page, "&share=true"}),
           session}}},
        // A sign-in reply with CR LF line ends, and a password holding an entity, sent as typed.
        {"Google Reader",
         {"googleReaderURL", "googleReaderSecureURL"},
         {{"appName", "Velmo"}, {"appURL", "http://velmo.example/"}},
         {{"/accounts/ClientLogin", "SID=s1\r\nAuth=t0k3n\r\n"},
          {"/reader/api/0/token", "edit-1"},
          {"/reader/api/0/item/edit", "OK"}},
         "press Send to Google Reader\n",
         {{"POST", "/accounts/ClientLogin",
           "service=reader&source=ShareCore-Velmo-0.2.1&Email=bob&Passwd=p%26amp;w&accountType=GOOGLE",
           std::nullopt},
          {"GET", "/reader/api/0/token?ck=", "", session, true},
          {"POST", "/reader/api/0/item/edit",
           joined({"T=edit-1&linkify=false&snippet=&srcTitle=Velmo&srcUrl=http://velmo.example/&title=",
                   title, "&url=", page, "&share="}),
           session}},
         "p&amp;w"},
        {"Instapaper",
         {"instapaperURL"},
         {},
         {{"/api/authenticate", "OK"}, {"/api/add", "OK"}},
         "",
         {{"POST", "/api/authenticate", "username=bob&password=p%26amp;w", std::nullopt},
          {"POST", "/api/add",
           joined({"url=", page, "&title=", title, "&selection=&username=bob&password=p%26amp;w"}),
           std::nullopt}},
         "p&amp;w"},
        {"Read It Later",
         {"readItLaterURL"},
         {{"readItLaterKey", "k3y"}},
         {{"/v2/auth", "OK"}, {"/v2/send", "OK"}},
         "",
         {{"POST", "/v2/auth", "apikey=k3y&username=bob&password=p%26amp;w", std::nullopt},
          {"POST", "/v2/send",
           joined(
               {"apikey=k3y&username=bob&password=p%26amp;w&new=%7B%220%22%3A%7B%22url%22%3A%22", page,
                "%22%2C%22title%22%3A%22%26quot%3BGeek%20or%20not%2C%20everyone%20needs%20Velmo%21%26quot%3B"
                "%2012%20contacts%20ready%20to%20be%20dialed%20in%20only%202%20taps%22%7D%7D"}),
           std::nullopt}},
         "p&amp;w"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.service + " " + row.password);
        testkit::TemporaryHome home;
        testkit::LoopbackServer server;
        ASSERT_TRUE(startFake(server));
        for (const auto& [path, body] : row.replies)
            server.route(path, ScriptedReply::text(200, body));
        auto configuration = row.settings;
        for (const auto& key : row.addressKeys)
            configuration.emplace_back(key, server.baseURL());

        std::string script = throughMore(row.service);
        script += "type bob\ntap 207 141\ntype ";
        script += row.password;
        script += "\npress Login\n";
        if (!row.shareForm.empty())
            script += "await Send to " + row.service + "\n" + row.shareForm;
        script += "await Saved!\n";
        VelmoRun run = runTrusted(home, configuration, script);
        ASSERT_EQ(run.status, 0) << run.err;

        auto requests = server.requests();
        ASSERT_EQ(requests.size(), row.sent.size());
        for (std::size_t i = 0; i < requests.size(); ++i) {
            const Sent& sent = row.sent[i];
            EXPECT_EQ(requests[i].method, sent.method);
            if (sent.timed) {
                ASSERT_EQ(requests[i].target.rfind(sent.target, 0), 0u) << requests[i].target;
                std::string seconds = requests[i].target.substr(sent.target.size());
                EXPECT_FALSE(seconds.empty());
                EXPECT_EQ(seconds.find_first_not_of("0123456789"), std::string::npos) << seconds;
            } else {
                EXPECT_EQ(requests[i].target, sent.target);
            }
            EXPECT_EQ(requests[i].body, sent.body);
            EXPECT_EQ(requests[i].header("Authorization"), sent.authorization);
            if (sent.authorization == session) {
                EXPECT_EQ(requests[i].header("Cookie"), "SID=s1; Auth=t0k3n");
            }
        }
    }
}

// Cancel pressed while the service is still checking the login: the late answer stores nothing, so the
// next share asks for the login again.
TEST(SharerScript, CancelDuringTheLoginCheckKeepsNothing)
{
    struct Row
    {
        std::string service;
        std::string addressKey;
        std::string checkPath;
        std::string checkReply;
    } rows[] = {
        {"Instapaper", "instapaperURL", "/api/authenticate", "OK"},
        {"Pinboard", "pinboardAPIURL", "/v1/posts/get", "<posts/>"},
        {"Read It Later", "readItLaterURL", "/v2/auth", "OK"},
        {"Google Reader", "googleReaderSecureURL", "/accounts/ClientLogin", "SID=s1\nAuth=t0k3n\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.service);
        testkit::TemporaryHome home;
        testkit::LoopbackServer server;
        ASSERT_TRUE(startFake(server));
        ScriptedReply slow = ScriptedReply::text(200, row.checkReply);
        slow.delay = 1.5;
        server.route(row.checkPath, slow);

        // "wait 150" lets the slow answer come and go (the run loop looks for it between the steps).
        std::string script = throughMore(row.service);
        script += "type bob\ntap 207 141\ntype pw\npress Login\nawait Logging In...\nshot checking\n"
                  "press Cancel\nwait 150\n";
        script += throughMore(row.service);
        script += "shot again\ndump\n";
        VelmoRun run = runTrusted(home, {{row.addressKey, server.baseURL()}}, script);
        ASSERT_EQ(run.status, 0) << run.err;

        // One check, and no share after it: the second share shows the login form again.
        auto requests = server.requests();
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].path, row.checkPath);
        EXPECT_NE(run.out.find("\"Login\""), std::string::npos) << run.out;
        EXPECT_EQ(run.out.find("Logging In..."), std::string::npos) << run.out;
        EXPECT_EQ(run.out.find("Send to"), std::string::npos) << run.out;
        // The overlay's dark box stands over the login form while it checks, and is gone afterwards.
        Shot checking(home, "checking"), again(home, "again");
        ASSERT_TRUE(checking.isScreen());
        ASSERT_TRUE(again.isScreen());
        EXPECT_LT(checking.at(95, 175).brightness(), 120) << checking.at(95, 175);
        EXPECT_GT(checking.at(40, 300).brightness(), 170) << checking.at(40, 300);
        EXPECT_GT(again.at(95, 175).brightness(), 170) << again.at(95, 175);
        EXPECT_TRUE(again.at(288, 42).isBlue()) << again.at(288, 42);
    }
}

// A share the service refuses without saying why in "X-Error": the alert gives the sharer's own text.
TEST(SharerScript, AFailureWithoutTheServicesWordsShowsTheSharersText)
{
    struct Row
    {
        std::string service;
        std::vector<std::string> addressKeys;
        std::vector<std::pair<std::string, ScriptedReply>> replies;
        std::string shareForm;
        std::string message;
    } rows[] = {
        {"Read It Later",
         {"readItLaterURL"},
         {{"/v2/auth", ScriptedReply::text(200, "OK")}, {"/v2/send", ScriptedReply::text(503, "")}},
         "",
         "There was an error saving to Read It Later"},
        {"Google Reader",
         {"googleReaderURL", "googleReaderSecureURL"},
         {{"/accounts/ClientLogin", ScriptedReply::text(200, "Auth=t0k3n\n")},
          {"/reader/api/0/token", ScriptedReply::text(200, "edit-1")},
          {"/reader/api/0/item/edit", ScriptedReply::text(400, "")}},
         "press Send to Google Reader\n",
         "The service encountered an error. Please try again later."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.service);
        testkit::TemporaryHome home;
        testkit::LoopbackServer server;
        ASSERT_TRUE(startFake(server));
        for (const auto& [path, reply] : row.replies)
            server.route(path, reply);
        std::vector<std::pair<std::string, std::string>> configuration;
        for (const auto& key : row.addressKeys)
            configuration.emplace_back(key, server.baseURL());
        std::string script = throughMore(row.service);
        script += "type bob\ntap 207 141\ntype pw\npress Login\n";
        if (!row.shareForm.empty())
            script += "await Send to " + row.service + "\n" + row.shareForm;
        script += "await Close\nshot failed\ndump\nalert Close\n";
        VelmoRun run = runTrusted(home, configuration, script);
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(server.requestCount(), row.replies.size());
        EXPECT_NE(run.out.find("\"Error\""), std::string::npos) << run.out;
        EXPECT_NE(run.out.find(row.message), std::string::npos) << run.out;
        // The alert's dark blue box over the share form.
        Shot failed(home, "failed");
        ASSERT_TRUE(failed.isScreen());
        EXPECT_TRUE(failed.at(40, 200).isNavy()) << failed.at(40, 200);
    }
}

// A device sharer that cannot finish says so: the text message cannot be kept on the device (a file
// stands where its folder goes), and an alert with the sharer's name tells the user.
TEST(SharerScript, ADeviceSharersFailureIsShownWithItsName)
{
    testkit::TemporaryHome home;
    std::string device = home.file("device");
    ASSERT_TRUE(ns::FileManager::createDirectoryAtPath(device + "/Device", true));
    ASSERT_TRUE(ns::FileManager::writeAtomically(device + "/Device/Messages", "not a folder"));
    VelmoRun run = runScript(home,
                             "wait 0.5\npress Action\nalert SMS\nwait 1\npress Send\nwait 1\n"
                             "shot failed\ndump\nalert Close\n",
                             {.shots = true});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("\"SMS\""), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("There was an error while sharing"), std::string::npos) << run.out;
    // The alert's dark blue box over the board.
    Shot failed(home, "failed");
    ASSERT_TRUE(failed.isScreen());
    EXPECT_TRUE(failed.at(40, 200).isNavy()) << failed.at(40, 200);
}

} // namespace

namespace {

// The check-in sharer: velmo's browser loads the fake's sign-in page over HTTP, which sends it on to the
// redirect address with a token; the device stands where --location puts it.
TEST(SharerScript, ACheckInSignsInPicksAPlaceNearTheDeviceAndChecksIn)
{
    testkit::TemporaryHome home;
    testkit::LoopbackServer server;
    ASSERT_TRUE(server.start());
    const std::string redirect = "https://velmo.example/foursquare/done";
    server.route("/oauth2/authenticate", ScriptedReply::redirect(redirect + "#access_token=TOKEN9"));
    server.route(
        "/v2/venues/search",
        ScriptedReply::text(200, R"({"meta":{"code":200},"response":{"venues":[)"
                                 R"({"id":"v1","name":"Cafe de Flore","location":{"address":"172 Bd"}},)"
                                 R"({"id":"v2","name":"Les Deux Magots","location":{"address":"6 Pl"}}]}})"));
    server.route("/v2/checkins/add", ScriptedReply::text(200, R"({"meta":{"code":200},"response":{}})"));

    std::string settings = settingsFile(home, {{"foursquareV2APIURL", server.baseURL()},
                                               {"foursquareV2WebURL", server.baseURL()},
                                               {"foursquareV2ClientId", "CLIENT"},
                                               {"foursquareV2RedirectURI", redirect}});

    VelmoRun run = runScript(home, R"(sharetext SHKFoursquareV2 Bonjour
await Les Deux Magots
wait 1
shot venues
press Les Deux Magots
wait 1
shot checkin
press Check In
await Saved!
)",
                             {.config = settings,
                              .options = "--web network --location 48.8566,2.3522",
                              .shots = true,
                              .name = "checkin.script"});
    ASSERT_EQ(run.status, 0) << run.err;

    auto requests = server.requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].target, "/oauth2/authenticate?client_id=CLIENT&response_type=token"
                                  "&redirect_uri=https%3A%2F%2Fvelmo.example%2Ffoursquare%2Fdone");
    EXPECT_EQ(requests[1].method, "GET");
    EXPECT_EQ(requests[1].target, "/v2/venues/search?oauth_token=TOKEN9&v=20110927&ll=48.85660,2.35220"
                                  "&llAcc=10.00&alt=0.00&altAcc=-1.00");
    EXPECT_EQ(requests[2].method, "POST");
    EXPECT_EQ(requests[2].target, "/v2/checkins/add?oauth_token=TOKEN9&v=20110927&venueId=v2"
                                  "&ll=48.85660,2.35220&llAcc=10.00&alt=0.00&altAcc=-1.00&shout=Bonjour");
    // The list of places, white rows where the board was; the check-in form with its blue Check In button
    // over the white text.
    Shot venues(home, "venues"), checkin(home, "checkin");
    ASSERT_TRUE(venues.isScreen());
    ASSERT_TRUE(checkin.isScreen());
    EXPECT_GT(venues.at(160, 300).brightness(), 200) << venues.at(160, 300);
    EXPECT_TRUE(checkin.at(280, 42).isBlue()) << checkin.at(280, 42);
    EXPECT_GT(checkin.at(160, 300).brightness(), 240) << checkin.at(160, 300);
}

} // namespace

namespace {

// The offline queue as the user meets it: the Pinboard share form sent while the device is offline, with a
// fake Pinboard on 127.0.0.1 that counts what arrives.
constexpr const char* kKept =
    "You are offline. The share to Pinboard was kept and will be sent when you are back "
    "online.";

// Signs in to Pinboard through the board's Action button and waits for what the login brings on: the
// share form, unless the test says otherwise.
std::string signInThroughTheBoard(const std::string& shown = "Send to Pinboard")
{
    return "wait 0.5\npress Action\nalert More...\nwait 1\ndrag 160 400 160 100\nwait 1\npress Pinboard\n"
           "wait 1\ntype bob\ntap 207 141\ntype pa/ss:1\npress Login\nawait " +
           shown + "\n";
}

std::size_t addsReceived(const testkit::LoopbackServer& server)
{
    std::size_t adds = 0;
    for (const auto& request : server.requests())
        if (request.target.rfind("/v1/posts/add?", 0) == 0)
            ++adds;
    return adds;
}

// The offline queue as the application reads it from the device's home.
ns::Ref<ns::Array> queuedList(const testkit::TemporaryHome& home)
{
    std::string previous = ns::Sandbox::home();
    ns::Sandbox::setHome(home.file("device"));
    ns::Ref<ns::Array> list = SHK::getOfflineQueueList();
    ns::Sandbox::setHome(previous);
    return list;
}

std::size_t queuedEntries(const testkit::TemporaryHome& home)
{
    auto list = queuedList(home);
    return list ? list->count() : 0;
}

// A fresh home and a fake Pinboard that signs in and takes every bookmark.
class OfflineScript : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(startFake(server));
        server.route("/v1/posts/get", ScriptedReply::text(200, "<posts/>"));
        server.route("/v1/posts/add", ScriptedReply::text(200, "<result code=\"done\"/>"));
        configuration = {{"pinboardAPIURL", server.baseURL()}};
    }

    testkit::TemporaryHome home;
    testkit::LoopbackServer server;
    std::vector<std::pair<std::string, std::string>> configuration;
};

TEST_F(OfflineScript, AShareQueuedOfflineIsToldAndArrivesOnceWhenTheNetworkComesBack)
{

    VelmoRun run = runTrusted(home, configuration,
                              signInThroughTheBoard() + "network off\npress Send to Pinboard\nwait 1\ndump\n"
                                                        "alert Close\nwait 1\nnetwork on\nwait 20\n");
    ASSERT_EQ(run.status, 0) << run.err;
    // The user is told where the share went, and the fake has it once the network is back.
    EXPECT_NE(run.out.find(kKept), std::string::npos) << run.out;
    EXPECT_EQ(addsReceived(server), 1u);
    EXPECT_EQ(queuedEntries(home), 0u);

    // A restart online, and the network going off and on again: nothing is sent twice.
    run = runTrusted(home, configuration, "wait 5\nnetwork off\nwait 1\nnetwork on\nwait 5\n");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(addsReceived(server), 1u);
}

TEST_F(OfflineScript, AShareQueuedOfflineArrivesOnceAfterARestartOnline)
{

    // Queued, and the application stops while still offline.
    VelmoRun run =
        runTrusted(home, configuration,
                   signInThroughTheBoard() + "network off\npress Send to Pinboard\nwait 1\nalert Close\n");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(addsReceived(server), 0u);
    EXPECT_EQ(queuedEntries(home), 1u);

    // Started again online: it goes out once, and leaves the queue.
    for (int restart = 1; restart <= 2; ++restart) {
        SCOPED_TRACE(restart);
        run = runTrusted(home, configuration, "wait 20\n");
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(addsReceived(server), 1u);
        EXPECT_EQ(queuedEntries(home), 0u);
    }
}

// Two velmo processes on one home, each queueing 100 shares while offline: none is lost.
TEST_F(OfflineScript, TwoProcessesQueueingAtOnceKeepEveryShare)
{
    // Signed in once, online; the share goes out then.
    VelmoRun run =
        runTrusted(home, configuration, signInThroughTheBoard() + "press Send to Pinboard\nawait Saved!\n");
    ASSERT_EQ(run.status, 0) << run.err;
    ASSERT_EQ(addsReceived(server), 1u);

    std::string trust = "--trust-ca '" + tlsFixture("ca.pem") + "'";
    std::string config = settingsFile(home, configuration);
    std::vector<std::string> commands;
    for (char process : {'a', 'b'}) {
        std::string script = "network off\n";
        for (int i = 0; i < 100; ++i)
            script += ns::format("share SHKPinboard http://example.com/%c%i Page\nwait 0.5\npress Send to "
                                 "Pinboard\nwait 0.5\nalert Close\n",
                                 process, i);
        std::string name = std::string("queue-") + process + ".script";
        commands.push_back("'" VELMO_BINARY "' --home '" + home.file("device") + "' --config '" + config +
                           "' " + trust + " " + scriptOption(home, name, script) + " >/dev/null 2>'" +
                           home.file(name + ".err") + "'");
    }
    // Both at once, from one shell.
    std::string both =
        "(" + commands[0] + ") & (" + commands[1] + ") & wait %1; a=$?; wait %2; b=$?; exit $((a|b))";
    EXPECT_EQ(std::system(both.c_str()), 0);
    // Every share is queued, or was sent by the other process's start-up online (once): none is lost.
    std::multiset<std::string> shares;
    auto list = queuedList(home);
    ASSERT_TRUE(list);
    for (const ns::Id& entry : *list) {
        auto item = ns::cast<ns::Dictionary>(entry)
                        ? ns::cast<ns::Dictionary>(entry)->objectAs<ns::Dictionary>("item")
                        : nullptr;
        ASSERT_TRUE(item);
        shares.insert(item->stringForKey("URL").value_or(""));
    }
    for (const auto& request : server.requests()) {
        const std::string& target = request.target;
        std::size_t from = target.find("%2F%2Fexample.com%2F");
        if (from == std::string::npos)
            continue; // the sign-in and the first share
        from += 20;
        shares.insert("http://example.com/" + target.substr(from, target.find('&', from) - from));
    }
    std::multiset<std::string> expected;
    for (char process : {'a', 'b'})
        for (int i = 0; i < 100; ++i)
            expected.insert(ns::format("http://example.com/%c%i", process, i));
    EXPECT_EQ(shares, expected);
}

// A keychain file that cannot be read is set aside, and the login the service accepted is kept.
TEST_F(OfflineScript, ADamagedKeychainIsSetAsideAndTheLoginKept)
{
    std::string folder = home.file("device/Library/Keychains");
    ASSERT_TRUE(ns::FileManager::createDirectoryAtPath(folder, true));
    const std::string damaged(8192, '\x5a');
    ASSERT_TRUE(ns::FileManager::writeAtomically(folder + "/keychain.sqlite", damaged));

    VelmoRun run = runTrusted(home, configuration, signInThroughTheBoard() + "dump\n");
    ASSERT_EQ(run.status, 0) << run.err;
    // The share form follows the login, and the next start needs no login: the share goes straight out.
    EXPECT_NE(run.out.find("Send to Pinboard"), std::string::npos) << run.out;
    run = runTrusted(
        home, configuration,
        "share SHKPinboard http://example.com/page A page\nwait 1\npress Send to Pinboard\nawait Saved!\n");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(addsReceived(server), 1u);
    auto kept = ns::FileManager::contentsAtPath(folder + "/keychain.damaged.sqlite");
    ASSERT_TRUE(kept);
    EXPECT_EQ(std::string(kept->view()), damaged);
}

// A keychain that cannot be written at all: the login the service accepted cannot be kept, and the user
// is told so rather than shown the empty login form again with nothing said.
TEST_F(OfflineScript, ALoginThatCannotBeKeptIsReported)
{
    // Where the keychain's file should be, a folder stands.
    ASSERT_TRUE(
        ns::FileManager::createDirectoryAtPath(home.file("device/Library/Keychains/keychain.sqlite"), true));
    VelmoRun run = runTrusted(home, configuration, signInThroughTheBoard("Error") + "dump\n");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("Your login could not be kept on this device"), std::string::npos) << run.out;
    EXPECT_EQ(addsReceived(server), 0u);
}

} // namespace

namespace {

std::size_t occurrences(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size()))
        ++count;
    return count;
}

// A signed-in share form slides in for 0.4 s; a hurried finger taps its Send button (at 254, 42) three
// times. Taps on the form still on its way, or already leaving, are ignored: a burst sends one share, or
// none when it ends before the form has arrived (the form then stays up).
struct Burst
{
    const char* name;
    double gaps[3]; // device seconds before each tap, from the share
    std::size_t shares;
};
constexpr Burst kBursts[] = {
    {"two taps as it slides in, one once it is there", {0.15, 0.15, 0.15}, 1},
    {"one as it slides in, one once it is there, one as it leaves", {0.3, 0.15, 0.05}, 1},
    {"three at once once it is there", {0.5, 0, 0}, 1},
    {"three as it slides in", {0.1, 0.1, 0.1}, 0},
};

std::string burstScript(const Burst& burst)
{
    std::string script = "wait 0.5\nshare SHKPinboard http://example.com/burst A page\n";
    for (double gap : burst.gaps)
        script += ns::format("wait %g\nquickly tap 254 42\n", gap);
    return script + "wait 1\ndump\n";
}

TEST_F(OfflineScript, ABurstOfTapsOnASlidingShareFormSendsOneShare)
{
    VelmoRun run = runTrusted(home, configuration, signInThroughTheBoard() + "press Cancel\nwait 1\n");
    ASSERT_EQ(run.status, 0) << run.err;
    for (const Burst& burst : kBursts) {
        SCOPED_TRACE(burst.name);
        std::size_t before = addsReceived(server);
        run = runTrusted(home, configuration, burstScript(burst));
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(addsReceived(server) - before, burst.shares);
        // The form stays up only when no tap reached it.
        EXPECT_EQ(run.out.find("\"Send to Pinboard\"") != std::string::npos, burst.shares == 0) << run.out;
        EXPECT_EQ(run.err.find("Attempt to"), std::string::npos) << run.err;
    }
    // Only a touch can be hurried.
    run = runTrusted(home, configuration, "quickly wait 1\n");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("script line 1: quickly needs a touching command after it"), std::string::npos)
        << run.err;
}

// Offline, the one share a burst sends is kept once, and the user is told once (the alert then covers
// the form); a burst that ends before the form has arrived keeps nothing.
TEST_F(OfflineScript, ABurstOfTapsOfflineKeepsOneShare)
{
    for (const Burst& burst : kBursts) {
        SCOPED_TRACE(burst.name);
        testkit::TemporaryHome fresh;
        VelmoRun run = runTrusted(fresh, configuration, signInThroughTheBoard() + "press Cancel\nwait 1\n");
        ASSERT_EQ(run.status, 0) << run.err;
        run = runTrusted(fresh, configuration, "network off\n" + burstScript(burst));
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(queuedEntries(fresh), burst.shares);
        EXPECT_EQ(occurrences(run.out, kKept), burst.shares) << run.out;
    }
    EXPECT_EQ(addsReceived(server), 0u);
}

} // namespace
