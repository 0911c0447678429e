// The social network's sharer driven as a user drives it: velmo runs a script on the board, whose share
// sheet offers the social network, and the network's dialogs are pages of a stand-in on 127.0.0.1 named in
// the device's settings file, loaded over HTTP by the application's browser view.
#include "VelmoRun.h"
#include "foundation/FileManager.h"
#include "testing/LoopbackServer.h"
#include "testing/TemporaryHome.h"

#include "uikit/Image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <fstream>
#include <memory>
#include <mutex>
#include <sstream>
#include <vector>

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

// What each "dump" of a run printed: every dump starts with the application's window.
std::vector<std::string> dumps(const std::string& out)
{
    std::vector<std::string> screens;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("UIWindow ", 0) == 0 || screens.empty())
            screens.emplace_back();
        screens.back() += line;
        screens.back() += '\n';
    }
    return screens;
}

// The class of the window in which a view of that class stands on the dumped screen, or "" when none
// does.
std::string windowHolding(const std::string& screen, const std::string& viewClass)
{
    std::istringstream lines(screen);
    std::string window;
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line[0] != ' ')
            window = line.substr(0, line.find(' '));
        std::size_t start = line.find_first_not_of(' ');
        if (start != std::string::npos && line.compare(start, viewClass.size() + 2, viewClass + " (") == 0)
            return window;
    }
    return "";
}

// How many of the requests went to the path.
std::size_t countOf(const std::vector<testkit::RecordedRequest>& requests, const std::string& path)
{
    return static_cast<std::size_t>(std::count_if(requests.begin(), requests.end(),
                                                  [&](const auto& request) { return request.path == path; }));
}

// The first answer, then the second for every later request.
testkit::LoopbackServer::Responder firstThen(ScriptedReply first, ScriptedReply then)
{
    auto served = std::make_shared<std::atomic<int>>(0);
    return [=](const testkit::RecordedRequest&) { return (*served)++ == 0 ? first : then; };
}

// A dialog page that stays: the person has not pressed anything yet.
ScriptedReply page(const std::string& title)
{
    ScriptedReply reply = ScriptedReply::text(200, "<html><head><title>" + title + "</title></head></html>");
    reply.contentType = "text/html";
    return reply;
}

// The board's share button, then the sheet's Facebook button.
constexpr const char* FromTheSheet = "wait 0.5\npress Action\nalert Facebook\n";

// A device whose social network is the stand-in on 127.0.0.1; each test routes the stand-in's pages and
// runs velmo's scripts on the device.
class SocialScript : public ::testing::Test
{
protected:
    // Runs the script on a device that runs one application at a time, unless the options say otherwise.
    VelmoRun script(const std::string& text, const std::string& options = "--web network --multitasking off",
                    const char* name = "social.script", bool shots = false)
    {
        return runScript(
            home, text,
            {.config = settingsFor(home, server), .options = options, .shots = shots, .name = name});
    }

    testkit::TemporaryHome home;
    testkit::LoopbackServer server;
};

TEST_F(SocialScript, TheBoardsItemIsPostedThroughTheLoginDialogAndTheFeedDialog)
{
    // The sign-in page finds the person signed in already and sends the browser to the dialog's own
    // address with the token; the feed page, as after "Publish", with the post's id.
    server.route("/m/dialog/oauth",
                 ScriptedReply::redirect("fbconnect://success#access_token=TOKEN-1&expires_in=0"));
    server.route("/m/dialog/feed", ScriptedReply::redirect("fbconnect://success?post_id=1_2"));
    ASSERT_TRUE(server.start());

    // On a device that runs one application at a time the sign-in stays in the application: the login
    // dialog, then the feed dialog, each a page of the stand-in.
    VelmoRun run = script(std::string(FromTheSheet) + R"(await Saved!
)");
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

TEST_F(SocialScript, ADeviceRunningApplicationsSideBySideSignsInInTheBrowserAndComesBack)
{
    server.route("/m/dialog/feed", ScriptedReply::redirect("fbconnect://success?post_id=1_3"));
    ASSERT_TRUE(server.start());
    // The browser gets the sign-in page; once the person has signed in there, it opens the application's
    // own address with the token, and the share goes on in the feed dialog.
    std::string back = "fb";
    back += AppId;
    back += "://authorize#access_token=TOKEN-2&expires_in=3600";
    std::string steps = std::string(FromTheSheet) + "wait 1\nreceive " + back + "\nawait Saved!\n";
    VelmoRun run = script(steps, "--web network");
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

// A dialog host that keeps the first sign-in page back until the test releases it (or, should nothing
// release it, for half a minute); a later sign-in finds the person signed in. Its state is shared with
// the server's routes, which may answer after the host has gone.
class SlowDialogHost
{
public:
    void serveOn(testkit::LoopbackServer& server)
    {
        server.route("/m/dialog/oauth", [state = m_state](const testkit::RecordedRequest&) {
            std::unique_lock lock(state->mutex);
            if (state->signIns++ > 0) {
                state->release();
                return ScriptedReply::redirect("fbconnect://success#access_token=TOKEN-3&expires_in=0");
            }
            state->timedOut =
                !state->released.wait_for(lock, std::chrono::seconds(30), [&] { return state->free; });
            return ScriptedReply::text(200, "<html><body>Log in</body></html>");
        });
        server.route("/m/dialog/feed", ScriptedReply::redirect("fbconnect://success?post_id=1_4"));
    }

    // Lets the held page go.
    void release()
    {
        std::lock_guard lock(m_state->mutex);
        m_state->release();
    }
    // Whether the held page went only because nothing released it.
    bool timedOut() const
    {
        std::lock_guard lock(m_state->mutex);
        return m_state->timedOut;
    }

private:
    struct State
    {
        std::mutex mutex;
        std::condition_variable released;
        int signIns = 0;
        bool free = false;
        bool timedOut = false;

        // Under the mutex.
        void release()
        {
            free = true;
            released.notify_all();
        }
    };
    std::shared_ptr<State> m_state = std::make_shared<State>();
};

// While the dialog host has not answered, the login dialog shows its spinner and its close button takes
// the touch: the dialog goes, and the share has ended, so the next one runs to its end (the held page is
// let go only by that next sign-in).
TEST_F(SocialScript, ASlowDialogPageLeavesTheSpinnerAndTheCloseButtonAlive)
{
    SlowDialogHost host;
    host.serveOn(server);
    ASSERT_TRUE(server.start());
    // The share menu's Facebook row, from the board's share button.
    const std::string share = "press Action\nalert More...\nwait 1\npress Facebook\n";
    VelmoRun run = script("wait 0.5\n" + share +
                              "wait 1\ndump\nshot loading\nwait 2\ndump\npress close\nwait 1\ndump\n" +
                              share + "await Saved!\n",
                          "--web network --multitasking off", "social.script", true);
    host.release();
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_FALSE(host.timedOut());

    // Two views of the loading dialog, two device seconds apart, then the board alone.
    auto screens = dumps(run.out);
    ASSERT_EQ(screens.size(), 3u) << run.out;
    for (std::size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(contains(screens[i], "  FBLoginDialog (0 20; 320 460)\n")) << screens[i];
        EXPECT_TRUE(contains(screens[i], "    UIActivityIndicatorView (141.5 212; 37 37)\n")) << screens[i];
        EXPECT_TRUE(contains(screens[i], "    UIButton (2 2; 29 29) \"[close]\"\n")) << screens[i];
    }
    EXPECT_FALSE(contains(screens[2], "FBLoginDialog")) << screens[2];
    EXPECT_FALSE(contains(screens[2], "UIActivityIndicatorView")) << screens[2];
    // The picture shows the panel's dark frame and the close button, a white cross on a dark disc, at the
    // panel's top left corner.
    auto shot = ui::Image::imageWithContentsOfFile(home.file("shots/loading.png"));
    ASSERT_TRUE(shot);
    ASSERT_EQ(shot->CGImage()->width(), 320u);
    ASSERT_EQ(shot->CGImage()->height(), 480u);
    auto brightness = [&](std::size_t x, std::size_t y) {
        uint8_t rgba[4];
        shot->CGImage()->pixelBytes(x, y, rgba);
        return (int(rgba[0]) + int(rgba[1]) + int(rgba[2])) / 3;
    };
    EXPECT_GT(brightness(16, 36), 220);   // the cross
    EXPECT_LT(brightness(8, 36), 60);     // the disc
    EXPECT_LT(brightness(315, 100), 110); // the frame
    EXPECT_GT(brightness(160, 300), 200); // the page, blank while it loads

    // Three sign-in pages were asked for: the held one, then the next share's, then its feed dialog.
    auto requests = server.requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].path, "/m/dialog/oauth");
    EXPECT_EQ(requests[1].path, "/m/dialog/oauth");
    EXPECT_EQ(requests[2].path, "/m/dialog/feed");
    EXPECT_TRUE(contains(requests[2].query, "&access_token=TOKEN-3")) << requests[2].query;
}

TEST_F(SocialScript, SignedInTheFeedDialogComesUpInTheApplicationsWindowFromTheSheet)
{
    server.route("/m/dialog/oauth",
                 ScriptedReply::redirect("fbconnect://success#access_token=TOKEN-1&expires_in=0"));
    // The first post goes at once; the second time the person looks at the dialog and closes it.
    server.route("/m/dialog/feed", firstThen(ScriptedReply::redirect("fbconnect://success?post_id=1_2"),
                                             page("Post to Your Wall")));
    ASSERT_TRUE(server.start());

    // Signed in by the first share, the second one opens the dialog while the sheet is still on its way
    // out.
    VelmoRun run = script(std::string(FromTheSheet) + R"(await Saved!
wait 3
press Action
alert Facebook
wait 1
dump
press close
wait 1
dump
)");
    ASSERT_EQ(run.status, 0) << run.err;

    auto screens = dumps(run.out);
    ASSERT_EQ(screens.size(), 2u) << run.out;
    EXPECT_EQ(windowHolding(screens[0], "FBDialog"), "UIWindow") << screens[0];
    EXPECT_TRUE(contains(screens[0], "/m/dialog/feed?")) << screens[0];
    // Closed, the dialog has gone and nothing else waits on the screen.
    EXPECT_EQ(windowHolding(screens[1], "FBDialog"), "") << screens[1];
    EXPECT_FALSE(contains(screens[1], "UIOverlayWindow")) << screens[1];

    auto requests = server.requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(countOf(requests, "/m/dialog/oauth"), 1u);
    EXPECT_EQ(requests[2].path, "/m/dialog/feed");
    EXPECT_TRUE(contains(requests[2].query, "&access_token=TOKEN-1")) << requests[2].query;
}

TEST_F(SocialScript, ARefusedTokenSignsInAgainKeepsTheNewTokenAndPostsOnce)
{
    server.route("/m/dialog/oauth",
                 firstThen(ScriptedReply::redirect("fbconnect://success#access_token=TOKEN-1&expires_in=0"),
                           ScriptedReply::redirect("fbconnect://success#access_token=TOKEN-2&expires_in=0")));
    // The service has revoked the first token by the time the feed page is asked for.
    server.route("/m/dialog/feed",
                 firstThen(ScriptedReply::redirect("fbconnect://cancel?error_code=190&error_msg=Expired"),
                           ScriptedReply::redirect("fbconnect://success?post_id=1_4")));
    ASSERT_TRUE(server.start());

    VelmoRun run = script(std::string(FromTheSheet) + R"(await Saved!
)");
    ASSERT_EQ(run.status, 0) << run.err;
    auto requests = server.requests();
    std::vector<std::string> paths;
    for (const auto& request : requests)
        paths.push_back(request.path);
    EXPECT_EQ(paths, (std::vector<std::string>{"/m/dialog/oauth", "/m/dialog/feed", "/m/dialog/oauth",
                                               "/m/dialog/feed"}));
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_TRUE(contains(requests[1].query, "&access_token=TOKEN-1")) << requests[1].query;
    EXPECT_TRUE(contains(requests[3].query, std::string("&link=") + StorePage + "&")) << requests[3].query;
    EXPECT_TRUE(contains(requests[3].query, "&access_token=TOKEN-2")) << requests[3].query;

    // The new token was kept: the next start shares without signing in.
    server.clearRequests();
    server.route("/m/dialog/feed", ScriptedReply::redirect("fbconnect://success?post_id=1_5"));
    run = script(std::string(FromTheSheet) + "await Saved!\n", "--web network --multitasking off",
                 "again.script");
    ASSERT_EQ(run.status, 0) << run.err;
    requests = server.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].path, "/m/dialog/feed");
    EXPECT_TRUE(contains(requests[0].query, "&access_token=TOKEN-2")) << requests[0].query;
}

TEST_F(SocialScript, ALoginPageEndedWithAnErrorCodeEndsTheShareWithTheAuthorizeError)
{
    // The sign-in page takes a moment, then gives up with an error code.
    ScriptedReply refused = ScriptedReply::redirect("fbconnect://cancel?error_code=200&error_msg=Denied");
    refused.delay = 1;
    server.route("/m/dialog/oauth", firstThen(refused, page("Log In")));
    ASSERT_TRUE(server.start());

    // While it loads the login dialog is up in the application's window; its end is told, and the next
    // share starts a sign-in of its own.
    VelmoRun run = script(std::string(FromTheSheet) + R"(wait 0.5
dump
await There was an error while authorizing
alert Close
wait 1
dump
press Action
alert Facebook
wait 1
dump
)");
    ASSERT_EQ(run.status, 0) << run.err;
    auto screens = dumps(run.out);
    ASSERT_EQ(screens.size(), 3u) << run.out;
    EXPECT_EQ(windowHolding(screens[0], "FBLoginDialog"), "UIWindow") << screens[0];
    EXPECT_EQ(windowHolding(screens[1], "FBLoginDialog"), "") << screens[1];
    EXPECT_FALSE(contains(screens[1], "UIOverlayWindow")) << screens[1];
    EXPECT_EQ(windowHolding(screens[2], "FBLoginDialog"), "UIWindow") << screens[2];
    auto requests = server.requests();
    EXPECT_EQ(countOf(requests, "/m/dialog/oauth"), 2u);
    EXPECT_EQ(countOf(requests, "/m/dialog/feed"), 0u);
}

} // namespace
