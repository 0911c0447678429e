// The device's tweet sheet driven as a user drives it: velmo runs a script on a device of system 5.0,
// the user sends one tweet and cancels another, and what was sent lands on the device.
#include "VelmoRun.h"
#include "foundation/FileManager.h"
#include "testing/TemporaryHome.h"

#include <filesystem>

#include <gtest/gtest.h>

namespace {

TEST(TweetSheetScript, ASentTweetLandsOnTheDevice)
{
    testkit::TemporaryHome home;
    VelmoRun run = runScript(home, R"(wait 0.5
share SHKiOS5Twitter http://itunes.apple.com/app/velmo/id428024839?mt=8 "Geek or not, everyone needs Velmo!" 12 contacts ready to be dialed in only 2 taps
wait 1
shot tweet-sheet
press Send
wait 1
share SHKiOS5Twitter http://example.com/ Not this one
wait 1
press Cancel
wait 1
)",
                             {.options = "--system-version 5.0", .shots = true, .name = "tweet.script"});
    ASSERT_EQ(run.status, 0) << run.err;

    std::string tweets = home.file("device/Device/Tweets/");
    EXPECT_EQ(ns::FileManager::stringWithContentsOfFile(tweets + "0001.txt").value_or("<missing>"),
              "URL: http://itunes.apple.com/app/velmo/id428024839?mt=8\n\n\"Geek or not, everyone needs "
              "Velmo!\" 12 contacts ready to be dialed in only 2 taps\n");
    EXPECT_FALSE(std::filesystem::exists(tweets + "0002.txt"));
    // The sheet's blue Send button over its white text.
    Shot sheet(home, "tweet-sheet");
    ASSERT_TRUE(sheet.isScreen());
    EXPECT_TRUE(sheet.at(290, 42).isBlue()) << sheet.at(290, 42);
    EXPECT_GT(sheet.at(160, 300).brightness(), 240) << sheet.at(160, 300);
}

// The board's share button, "More..." and Twitter: where the device has a tweet sheet, the share goes
// there instead of to the service, and the user's Send writes the board's item.
TEST(TweetSheetScript, TheBoardsItemGoesFromTheShareMenuToTheSheet)
{
    testkit::TemporaryHome home;
    VelmoRun run = runScript(home, R"(wait 0.5
press Action
alert More...
wait 1
drag 160 400 160 100
wait 1
press Twitter
await Send
press Send
wait 1
)",
                             {.options = "--system-version 5.0", .name = "tweet.script"});
    ASSERT_EQ(run.status, 0) << run.err;

    EXPECT_EQ(ns::FileManager::stringWithContentsOfFile(home.file("device/Device/Tweets/0001.txt"))
                  .value_or("<missing>"),
              "URL: http://itunes.apple.com/app/velmo/id428024839?mt=8\n\n\"Geek or not, everyone needs "
              "Velmo!\" 12 contacts ready to be dialed in only 2 taps\n");
}

// Below system 5.0 the device has no tweet sheet: the share fails and nothing lands.
TEST(TweetSheetScript, AnOlderDeviceHasNoSheet)
{
    testkit::TemporaryHome home;
    VelmoRun run = runScript(home, R"(wait 0.5
share SHKiOS5Twitter http://example.com/ A page
wait 1
press Send
)",
                             {.options = "--system-version 4.3", .name = "tweet.script"});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.err.find("script line 4: nothing on screen to press shows \"Send\""), std::string::npos)
        << run.err;
    EXPECT_FALSE(std::filesystem::exists(home.file("device/Device/Tweets")));
}

TEST(TweetSheetScript, TheSystemVersionMustBeAVersion)
{
    testkit::TemporaryHome home;
    for (const char* bad : {"5", "five", "5.0.", ".5", "5..0", "12345.0", "1.2.3.4.5"}) {
        SCOPED_TRACE(bad);
        std::string arguments = "--system-version '";
        arguments += bad;
        arguments += "' --script /dev/null";
        VelmoRun run = velmo(home, arguments);
        EXPECT_EQ(run.status, 2);
        EXPECT_NE(run.err.find("--system-version"), std::string::npos) << run.err;
    }
}

} // namespace
