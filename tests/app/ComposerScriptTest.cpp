// The device's composers driven as a user drives them: fields are tapped and typed into, and Send hands
// to the device what the screen shows.
#include "VelmoRun.h"
#include "foundation/Base64.h"
#include "foundation/FileManager.h"
#include "foundation/Text.h"
#include "testing/TemporaryHome.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string contents(const testkit::TemporaryHome& home, const std::string& path)
{
    return ns::FileManager::stringWithContentsOfFile(home.file("device/Device/" + path))
        .value_or("<missing>");
}

bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// The feedback mail: every header line and the body take what is typed, and the mail sent holds it.
TEST(ComposerScript, TheFeedbackMailSendsWhatWasTyped)
{
    testkit::TemporaryHome home;
    VelmoRun run = runScript(home, R"(wait 0.5
press Compose
# To, Cc and the body, by touch.
tap 160 83
type , boss@velmo.invalid
tap 160 113
type cc@velmo.invalid
tap 160 300
type Hello there\nA second line
dump
press Send
wait 1
)");
    ASSERT_EQ(run.status, 0) << run.err;
    // The screen shows what was typed before it is sent.
    EXPECT_TRUE(contains(run.out, "UITextField (72 8; 238 22) \"support@velmo.invalid, boss@velmo.invalid\""))
        << run.out;
    EXPECT_TRUE(contains(run.out, "\"Hello there\nA second line\"")) << run.out;

    std::string mail = contents(home, "Mail/0001.eml");
    EXPECT_TRUE(contains(mail, "To: support@velmo.invalid, boss@velmo.invalid\r\n")) << mail;
    EXPECT_TRUE(contains(mail, "Cc: cc@velmo.invalid\r\n")) << mail;
    EXPECT_TRUE(contains(mail, "Subject: Comments about Velmo\r\n")) << mail;
    EXPECT_TRUE(contains(mail, "\r\n\r\nHello there\r\nA second line\r\n")) << mail;
    EXPECT_TRUE(contains(run.err, "It's away!")) << run.err;
}

// Words added to a shared text message and to a tweet reach the device; an address typed over the To line
// replaces the one the composer came with.
TEST(ComposerScript, AddedWordsReachTheMessageAndTheTweet)
{
    testkit::TemporaryHome home;
    VelmoRun run = runScript(home, R"(wait 0.5
press Action
alert SMS
tap 160 300
type \nCall me!
tap 160 83
type +46 70 123 45 67
press Send
wait 1
share SHKiOS5Twitter http://example.com/page Look at this
tap 160 300
type , really
press Send
wait 1
)",
                             {.options = "--system-version 5.0"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(contents(home, "Messages/0001.txt"),
              "To: +46 70 123 45 67\n\nhttp://itunes.apple.com/app/velmo/id428024839?mt=8\nCall me!\n");
    EXPECT_EQ(contents(home, "Tweets/0001.txt"), "URL: http://example.com/page\n\nLook at this, really\n");
}

// A shared mail's HTML body shows as text; left as it is, it keeps its mark-up; changed, the typed text
// is sent, its line breaks as HTML breaks.
TEST(ComposerScript, AnHTMLBodyIsSentAsShownOrAsTyped)
{
    struct Case
    {
        const char* name;
        const char* typing; // empty: nothing typed
        const char* body;   // the HTML sent
    } cases[] = {
        {"untouched", "", "http://itunes.apple.com/app/velmo/id428024839?mt=8"},
        {"added to", "tap 160 300\ntype \\nFor you & me\n",
         "http://itunes.apple.com/app/velmo/id428024839?mt=8<br/>For you &amp; me"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        testkit::TemporaryHome home;
        std::string script = "wait 0.5\npress Action\nalert More...\npress Email\nawait Send\nwait 1\n";
        script += c.typing;
        script += "press Send\nwait 1\n";
        VelmoRun run = runScript(home, script);
        ASSERT_EQ(run.status, 0) << run.err;
        // The body travels in base64, broken into lines.
        std::string mail = ns::replaceAll(contents(home, "Mail/0001.eml"), "\r\n", "");
        EXPECT_TRUE(contains(mail, ns::base64Encode(c.body))) << mail;
    }
}

} // namespace
