// What the screen shows, read from velmo's own dump and pictures while a script drives the board's buttons:
// bar buttons that change on a shown screen, screens that turn with the device while the board stays
// upright, texts that shrink or wrap to show whole, and a clean end whatever is on screen.
#include "VelmoRun.h"
#include "graphics/Image.h"
#include "testing/LoopbackServer.h"
#include "testing/TemporaryHome.h"
#include "uikit/Image.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using testkit::ScriptedReply;

bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> all;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        all.push_back(line);
    return all;
}

std::size_t indentOf(const std::string& line)
{
    return line.find_first_not_of(' ');
}

// The dump's lines under the first view whose line holds `head` (that line included), or nothing.
std::string viewTree(const std::string& dump, const std::string& head)
{
    auto all = lines(dump);
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (!contains(all[i], head))
            continue;
        std::string tree = all[i] + "\n";
        for (std::size_t j = i + 1; j < all.size() && indentOf(all[j]) > indentOf(all[i]); ++j)
            tree += all[j] + "\n";
        return tree;
    }
    return {};
}

// The dump's line that holds `part`, or nothing.
std::string lineWith(const std::string& dump, const std::string& part)
{
    for (const auto& line : lines(dump))
        if (contains(line, part))
            return line;
    return {};
}

// The first view line of the key window: the screen in front (its frame says how it stands).
std::string frontScreen(const std::string& dump)
{
    auto all = lines(dump);
    return all.size() > 1 ? all[1] : std::string();
}

// The board's share button, "More...", then the service found lower in the menu.
std::string moreThen(const std::string& service)
{
    return "wait 0.5\npress Action\nalert More...\nwait 1\ndrag 160 400 160 100\nwait 1\npress " + service +
           "\nwait 1\n";
}

TEST(ScreenScript, TheShareMenusDoneShowsAndSavesTheSharersSwitchedOff)
{
    testkit::TemporaryHome home;
    VelmoRun editing = runScript(home,
                                 "wait 0.5\npress Action\nalert More...\nwait 1\npress Edit\nwait 1\n"
                                 "shot editing\ndump\n",
                                 {.shots = true});
    ASSERT_EQ(editing.status, 0) << editing.err;
    std::string bar = viewTree(editing.out, "UINavigationBar");
    EXPECT_TRUE(contains(bar, "\"Done\"")) << bar;
    EXPECT_FALSE(contains(bar, "\"Edit\"")) << bar;
    // The picture shows the Done button in its blue box at the bar's right end, not a grey Edit.
    auto shot = ui::Image::imageWithContentsOfFile(home.file("shots") + "/editing.png");
    ASSERT_TRUE(shot);
    uint8_t rgba[4];
    shot->CGImage()->pixelBytes(270, 20 + 22, rgba);
    EXPECT_GT(int(rgba[2]), int(rgba[0]) + 80) << int(rgba[0]) << " " << int(rgba[1]) << " " << int(rgba[2]);

    // Switching the social network off and pressing Done: the button is Edit again, the choice is kept
    // and the network is gone from the menu and from the next share sheet.
    VelmoRun saved = runScript(home, "wait 0.5\npress Action\nalert More...\nwait 1\npress Edit\nwait 1\n"
                                     "press Facebook\npress Done\nwait 1\ndump\n");
    ASSERT_EQ(saved.status, 0) << saved.err;
    bar = viewTree(saved.out, "UINavigationBar");
    EXPECT_TRUE(contains(bar, "\"Edit\"")) << bar;
    EXPECT_FALSE(contains(bar, "\"Done\"")) << bar;
    EXPECT_FALSE(contains(saved.out, "\"Facebook\"")) << saved.out;
    EXPECT_TRUE(contains(saved.out, "\"Twitter\""));
    std::string preferences;
    for (const auto& entry :
         std::filesystem::directory_iterator(home.file("device") + "/Library/Preferences")) {
        std::ifstream in(entry.path());
        std::stringstream text;
        text << in.rdbuf();
        preferences += text.str();
    }
    EXPECT_TRUE(contains(preferences, "<key>SHKExcluded</key>")) << preferences;
    EXPECT_TRUE(contains(preferences, "<string>SHKFacebook</string>")) << preferences;

    VelmoRun sheet = runScript(home, "wait 0.5\npress Action\nwait 1\ndump\n");
    ASSERT_EQ(sheet.status, 0) << sheet.err;
    EXPECT_FALSE(contains(sheet.out, "\"Facebook\"")) << sheet.out;
    EXPECT_TRUE(contains(sheet.out, "\"More...\"")) << sheet.out;
}

TEST(ScreenScript, TheFrontScreenTurnsWithTheDeviceAndTheBoardStaysUpright)
{
    struct Row
    {
        const char* name;
        std::string script;
        std::string front;    // the first view of the window: where the screen in front stands
        std::string expected; // a line the dump must hold
    } rows[] = {
        {"the board alone", "wait 0.5\nturn landscape-left\nwait 1\n", "  UIView (0 20; 320 460)",
         "UIToolbar (0 436; 320 24)"},
        {"a login form turned after it came up", moreThen("Pinboard") + "turn landscape-left\nwait 1\n",
         "  UIView (0 0; 300 480)", "UINavigationBar (0 0; 480 44)"},
        {"a login form turned back", moreThen("Pinboard") + "turn landscape-right\nwait 1\nturn portrait\n",
         "  UIView (0 20; 320 460)", "UINavigationBar (0 0; 320 44)"},
        {"the board after a turned form closed",
         "wait 0.5\nturn landscape-left\n" + moreThen("Pinboard") +
             "turn landscape-left\nwait 1\npress Cancel\nwait 1\n",
         "  UIView (0 20; 320 460)", "UIToolbar (0 436; 320 24)"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        testkit::TemporaryHome home;
        VelmoRun run = runScript(home, row.script + "dump\n");
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(frontScreen(run.out), row.front) << run.out;
        EXPECT_FALSE(lineWith(run.out, row.expected).empty()) << run.out;
    }
}

// A fake check-in service on 127.0.0.1 that signs the user in and knows one place.
struct CheckInService
{
    testkit::LoopbackServer server;
    std::string settings;

    explicit CheckInService(const testkit::TemporaryHome& home)
    {
        const std::string redirect = "https://velmo.example/foursquare/done";
        server.route("/oauth2/authenticate", ScriptedReply::redirect(redirect + "#access_token=TOKEN9"));
        server.route("/v2/venues/search",
                     ScriptedReply::text(200, R"({"meta":{"code":200},"response":{"venues":[)"
                                              R"({"id":"v1","name":"Cafe de Flore","location":{}}]}})"));
        EXPECT_TRUE(server.start());
        settings = settingsFile(home, {{"foursquareV2APIURL", server.baseURL()},
                                       {"foursquareV2WebURL", server.baseURL()},
                                       {"foursquareV2ClientId", "CLIENT"},
                                       {"foursquareV2RedirectURI", redirect}});
    }
};

TEST(ScreenScript, TheCheckInFormTurnsAndFitsAboveTheLandscapeKeyboardAndVelmoEndsWithItUp)
{
    testkit::TemporaryHome home;
    CheckInService service(home);
    VelmoRun run = runScript(home,
                             "sharetext SHKFoursquareV2 Bonjour\nwait 20\npress Cafe de Flore\nwait 1\n"
                             "turn landscape-left\nwait 1\ndump\n",
                             {.config = service.settings,
                              .options = "--web network --location 48.8566,2.3522",
                              .name = "checkin.script"});
    // The process ends cleanly with the form and its keyboard up.
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(frontScreen(run.out), "  UIView (0 0; 300 480)") << run.out;
    EXPECT_FALSE(lineWith(run.out, "UINavigationBar (0 0; 480 44)").empty()) << run.out;
    // 256 points under the bar, of which the landscape keyboard takes 162: the text stays above it.
    std::string text = lineWith(run.out, "UITextView");
    EXPECT_TRUE(contains(text, "UITextView (0 0; 480 94)")) << run.out;
}

TEST(ScreenScript, TheOverlaysTextsShowWhole)
{
    // Waiting for a position: the check-in's overlay.
    testkit::TemporaryHome home;
    CheckInService service(home);
    VelmoRun waiting = runScript(home, "sharetext SHKFoursquareV2 Bonjour\nwait 20\ndump\n",
                                 {.config = service.settings, .options = "--web network"});
    ASSERT_EQ(waiting.status, 0) << waiting.err;
    std::string label = lineWith(waiting.out, "\"Determine your location...\"");
    ASSERT_FALSE(label.empty()) << waiting.out;
    EXPECT_FALSE(contains(label, "truncated")) << label;
    EXPECT_TRUE(contains(label, "font=")) << label;

    // Saving to a bookmarking service that has not answered yet; its share form's footer wraps.
    testkit::TemporaryHome pinboard;
    testkit::LoopbackServer server;
    server.route("/v1/posts/get", ScriptedReply::text(200, "<posts/>"));
    // The bookmark is saved a few real seconds later, long after the overlay was read.
    ScriptedReply slowly = ScriptedReply::text(200, "<result code=\"done\"/>");
    slowly.delay = 4;
    server.route("/v1/posts/add", slowly);
    ASSERT_TRUE(server.start());
    VelmoRun saving =
        runScript(pinboard,
                  moreThen("Pinboard") + "type bob\ntap 207 141\ntype secret\npress Login\nwait 20\ndump\n"
                                         "press Send to Pinboard\nwait 0.5\ndump\nawait Saved!\n",
                  {.config = settingsFile(pinboard, {{"pinboardAPIURL", server.baseURL()}})});
    ASSERT_EQ(saving.status, 0) << saving.err;
    std::string footer = lineWith(saving.out, "\"Enable auto share to skip this step in the future.\"");
    ASSERT_FALSE(footer.empty()) << saving.out;
    EXPECT_FALSE(contains(footer, "truncated")) << footer;
    label = lineWith(saving.out, "\"Saving to Pinboard\"");
    ASSERT_FALSE(label.empty()) << saving.out;
    EXPECT_FALSE(contains(label, "truncated")) << label;
    EXPECT_TRUE(contains(label, "font=")) << label;
}

TEST(ScreenScript, VelmoEndsCleanlyWithTheSocialNetworksDialogUp)
{
    testkit::TemporaryHome home;
    VelmoRun run =
        runScript(home, "wait 0.5\npress Action\nalert More...\nwait 1\npress Facebook\nwait 1\ndump\n",
                  {.options = "--multitasking off"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(contains(run.out, "FBLoginDialog")) << run.out;
}

} // namespace
