// Screens coming and going as a user sees them: modal transitions drawn on their way, touches on a screen
// on its way ignored, and a dismissal asked for meanwhile carried out when the screen has arrived.
#include "VelmoRun.h"
#include "testing/LoopbackServer.h"
#include "testing/TemporaryHome.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

std::string picture(const testkit::TemporaryHome& home, const std::string& name)
{
    std::ifstream file(home.file("shots/" + name + ".png"), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// The tile editor flips in over the board and flips back out: pictures taken on the way show neither end.
TEST(TransitionScript, AHalfWayShotOfAFlipShowsTheFrameInBetween)
{
    testkit::TemporaryHome home;
    VelmoRun run = runScript(home, R"(wait 0.5
press Edit
tap 160 98
wait 1
shot board
doubletap 160 98
wait 0.2
shot flipping-in
wait 1
shot editor
press Done
wait 0.2
shot flipping-out
wait 1
shot board-again
dump
)",
                             {.shots = true});
    ASSERT_EQ(run.status, 0) << run.err;
    std::string board = picture(home, "board"), editor = picture(home, "editor");
    ASSERT_FALSE(board.empty());
    ASSERT_FALSE(editor.empty());
    EXPECT_NE(board, editor);
    for (const char* between : {"flipping-in", "flipping-out"}) {
        SCOPED_TRACE(between);
        std::string shot = picture(home, between);
        ASSERT_FALSE(shot.empty());
        EXPECT_NE(shot, board);
        EXPECT_NE(shot, editor);
    }
    // Once the flip back has ended, the board is as it was.
    EXPECT_EQ(picture(home, "board-again"), board);
    EXPECT_EQ(run.out.find("Settings"), std::string::npos) << run.out;
}

// Send pressed as soon as the tweet sheet shows: the press waits for the sheet to arrive, one tweet is
// written, and the sheet goes; there is no Send left to press a second time.
TEST(TransitionScript, ASendRightAfterTheSheetShowsPostsOneTweetAndClosesIt)
{
    testkit::TemporaryHome home;
    VelmoRun run = runScript(home, R"(wait 0.5
share SHKiOS5Twitter http://example.com/ A page
await Send
press Send
wait 1
dump
)",
                             {.options = "--system-version 5.0"});
    ASSERT_EQ(run.status, 0) << run.err;
    std::string tweets = home.file("device/Device/Tweets/");
    EXPECT_TRUE(std::filesystem::exists(tweets + "0001.txt"));
    EXPECT_FALSE(std::filesystem::exists(tweets + "0002.txt"));
    EXPECT_EQ(run.out.find("\"Send\""), std::string::npos) << run.out;
    EXPECT_EQ(run.err.find("Attempt to"), std::string::npos) << run.err;

    VelmoRun again = runScript(home, R"(wait 0.5
share SHKiOS5Twitter http://example.com/ A page
await Send
press Send
press Send
)",
                               {.options = "--system-version 5.0", .name = "again.script"});
    EXPECT_EQ(again.status, 1) << again.err; // the second Send is not on screen any more
    EXPECT_TRUE(std::filesystem::exists(tweets + "0002.txt"));
    EXPECT_FALSE(std::filesystem::exists(tweets + "0003.txt"));
}

// A share handed over while the share menu is still sliding in: the menu goes once it has arrived and the
// sharer's form follows; no dismissal is refused on the way.
TEST(TransitionScript, AShareGivenWhileAScreenSlidesInIsNotLost)
{
    testkit::TemporaryHome home;
    VelmoRun run = runScript(home, R"(wait 0.5
press Action
alert More...
share SHKPinboard http://example.com/ A page
wait 2
dump
)");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("\"Create an account at http://pinboard.in\""), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("\"Actions\""), std::string::npos) << run.out; // the menu is gone
    EXPECT_EQ(run.err.find("Attempt to"), std::string::npos) << run.err;
}

// Every road through "More..." to a service's login form, and from the login form to the share form,
// goes without a refused dismissal.
TEST(TransitionScript, NoShareRoadIsRefusedADismissal)
{
    testkit::TemporaryHome home;
    VelmoRun run = runScript(home, R"(wait 0.5
press Action
alert More...
press Readability
wait 1
press Cancel
wait 1
press Action
alert More...
press Email
await Send
press Cancel
wait 1
)");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err.find("Attempt to"), std::string::npos) << run.err;
}

} // namespace
