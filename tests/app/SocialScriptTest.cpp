// The social network's sharer driven as a user drives it: velmo runs a script on the board, whose share
// sheet offers the social network, and the network's dialogs are pages of a stand-in on 127.0.0.1 named in
// the device's settings file, loaded over HTTP by the application's browser view.
#include "VelmoRun.h"
#include "foundation/FileManager.h"
#include "testing/LoopbackServer.h"
#include "testing/TemporaryHome.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

using testkit::ScriptedReply;

constexpr const char* AppId = "1234";
constexpr const char* StorePage = "http%3A%2F%2Fitunes.apple.com%2Fapp%2Fvelmo%2Fid428024839%3Fmt%3D8";

std::string settingsFor(const testkit::TemporaryHome& home, const testkit::LoopbackServer& server)
{
    return settingsFile(home, {{"facebookAppId", AppId},
                               {"facebookDialogURL", server.url("/m")},
                               {"facebookGraphURL", server.url("/graph")},
                               {"facebookRestURL", server.url("/rest")},
                               {"facebookLoginURL", server.url("/login")}});
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

TEST(SocialScript, TheBoardsItemIsPostedThroughTheLoginDialogAndTheFeedDialog)
{
    testkit::TemporaryHome home;
    testkit::LoopbackServer server;
    // The sign-in page finds the person signed in already and sends the browser to the dialog's own
    // address with the token; the feed page, as after "Publish", with the post's id.
    server.route("/m/dialog/oauth",
                 ScriptedReply::redirect("fbconnect://success#access_token=TOKEN-1&expires_in=0"));
    server.route("/m/dialog/feed", ScriptedReply::redirect("fbconnect://success?post_id=1_2"));
    ASSERT_TRUE(server.start());
    std::string settings = settingsFor(home, server);

    // On a device that runs one application at a time the sign-in stays in the application: the login
    // dialog, then the feed dialog, each a page of the stand-in.
    VelmoRun run = runScript(
        home, R"(wait 0.5
press Action
alert Facebook
await Saved!
)",
        {.config = settings, .options = "--web network --multitasking off", .name = "social.script"});
    ASSERT_EQ(run.status, 0) << run.err;

    auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].method, "GET");
    EXPECT_EQ(requests[0].path, "/m/dialog/oauth");
    EXPECT_EQ(requests[0].query, std::string("client_id=") + AppId +
                                     "&type=user_agent&redirect_uri=fbconnect%3A%2F%2Fsuccess&display=touch&"
                                     "sdk=ios&scope=publish_stream%2Coffline_access&local_client_id=");
    EXPECT_EQ(requests[1].method, "GET");
    EXPECT_EQ(requests[1].path, "/m/dialog/feed");
    // The store page with the recommendation, and the token the sign-in page gave.
    EXPECT_TRUE(contains(requests[1].query, std::string("&link=") + StorePage + "&")) << requests[1].query;
    EXPECT_TRUE(
        contains(requests[1].query, "&name=%22Geek%20or%20not%2C%20everyone%20needs%20Velmo%21%22%20"))
        << requests[1].query;
    EXPECT_TRUE(contains(requests[1].query, "&redirect_uri=fbconnect%3A%2F%2Fsuccess&"));
    EXPECT_TRUE(contains(requests[1].query, std::string("&app_id=") + AppId + "&access_token=TOKEN-1"))
        << requests[1].query;
    // Nothing was handed to another application.
    EXPECT_FALSE(ns::FileManager::fileExistsAtPath(home.file("device") + "/Device/opened-urls.log"));
}

TEST(SocialScript, ADeviceRunningApplicationsSideBySideSignsInInTheBrowserAndComesBack)
{
    testkit::TemporaryHome home;
    testkit::LoopbackServer server;
    server.route("/m/dialog/feed", ScriptedReply::redirect("fbconnect://success?post_id=1_3"));
    ASSERT_TRUE(server.start());
    std::string settings = settingsFor(home, server);
    // The browser gets the sign-in page; once the person has signed in there, it opens the application's
    // own address with the token, and the share goes on in the feed dialog.
    std::string back = "fb";
    back += AppId;
    back += "://authorize#access_token=TOKEN-2&expires_in=3600";
    std::string script = "wait 0.5\npress Action\nalert Facebook\nwait 1\nreceive ";
    script += back;
    script += "\nawait Saved!\n";
    VelmoRun run =
        runScript(home, script, {.config = settings, .options = "--web network", .name = "social.script"});
    ASSERT_EQ(run.status, 0) << run.err;

    std::string opened = readFile(home.file("device") + "/Device/opened-urls.log");
    std::string expected = server.url("/m/dialog/oauth?client_id=");
    expected += AppId;
    expected += "&type=user_agent&redirect_uri=fb";
    expected += AppId;
    expected += "%3A%2F%2Fauthorize&";
    EXPECT_TRUE(contains(opened, expected)) << opened;
    // The sign-in page was the browser's to load; the application loaded only the feed dialog.
    auto requests = server.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].path, "/m/dialog/feed");
    EXPECT_TRUE(contains(requests[0].query, std::string("&link=") + StorePage + "&")) << requests[0].query;
    EXPECT_TRUE(contains(requests[0].query, "&access_token=TOKEN-2")) << requests[0].query;
}

} // namespace
