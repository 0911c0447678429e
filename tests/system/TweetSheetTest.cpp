#include "foundation/Clock.h"
#include "foundation/FileManager.h"
#include "foundation/URL.h"
#include "graphics/BitmapContext.h"
#include "system/TweetComposeViewController.h"
#include "testing/TemporaryHome.h"
#include "testing/TouchDriver.h"
#include "uikit/Device.h"
#include "uikit/Image.h"
#include "uikit/Window.h"

#include <filesystem>

#include <gtest/gtest.h>

namespace {

using Result = tw::TweetComposeViewControllerResult;
using Sheet = tw::TweetComposeViewController;

ns::Ref<ui::Image> square()
{
    auto context =
        cg::BitmapContext::create(3, 3, 8, 0, cg::ColorSpace::RGB, cg::AlphaInfo::PremultipliedFirst);
    context->setFillColor({1, 0, 0, 1});
    context->fillRect(cg::makeRect(0, 0, 3, 3));
    return ui::Image::imageWithCGImage(context->makeImage());
}

std::string contents(const std::string& path)
{
    return ns::FileManager::stringWithContentsOfFile(path).value_or("<missing>");
}

// A device of system 5.0 with a window to present on; the device and the rule are put back after.
class TweetSheet : public ::testing::Test
{
protected:
    TweetSheet()
    {
        ui::Device::currentDevice()->setSystemVersion("5.0");
        window->setRootViewController(root);
        window->makeKeyAndVisible();
    }
    ~TweetSheet() override
    {
        driver.settle();
        Sheet::setLengthRule({});
        ui::Device::currentDevice()->reset();
    }

    // A sheet whose results land in `results`.
    ns::Ref<Sheet> sheet()
    {
        auto made = Sheet::create();
        EXPECT_TRUE(made);
        if (made)
            made->setCompletionHandler([this](Result result) { results.push_back(result); });
        return made;
    }

    ns::ManualClockScope clock;
    testkit::TemporaryHome home;
    ns::Ref<ui::Window> window = ui::Window::create();
    ns::Ref<ui::ViewController> root = ui::ViewController::create();
    ui::TouchDriver driver;
    std::vector<Result> results;
};

TEST_F(TweetSheet, ExistsFromSystemFiveOn)
{
    const std::pair<const char*, bool> cases[] = {
        {"4.2", false}, {"4.3.5", false}, {"5.0", true}, {"5.1.1", true}, {"10.0", true},
    };
    for (const auto& [version, present] : cases) {
        SCOPED_TRACE(version);
        ui::Device::currentDevice()->setSystemVersion(version);
        EXPECT_EQ(Sheet::isAvailable(), present);
        EXPECT_EQ(Sheet::create() != nullptr, present);
    }
}

// What the sheet takes answers the length rule: the text in UTF-16 units, every address and picture a
// fixed length.
TEST_F(TweetSheet, TakesWhatFitsTheLengthRule)
{
    const std::string emoji = "\xF0\x9F\x98\x80"; // two UTF-16 units
    auto repeat = [](const std::string& unit, int times) {
        std::string out;
        for (int i = 0; i < times; ++i)
            out += unit;
        return out;
    };
    struct Case
    {
        const char* name;
        tw::TweetLengthRule rule;
        int urls, images;
        std::string text;
        bool taken;
    };
    const Case cases[] = {
        {"140 letters", {}, 0, 0, repeat("a", 140), true},
        {"141 letters", {}, 0, 0, repeat("a", 141), false},
        {"an address leaves 119", {}, 1, 0, repeat("a", 119), true},
        {"an address leaves 119, not 120", {}, 1, 0, repeat("a", 120), false},
        {"an address and a picture leave 98", {}, 1, 1, repeat("a", 98), true},
        {"an address and a picture leave 98, not 99", {}, 1, 1, repeat("a", 99), false},
        {"70 emoji are 140 units", {}, 0, 0, repeat(emoji, 70), true},
        {"71 emoji are 142 units", {}, 0, 0, repeat(emoji, 71), false},
        {"a rule of its own", {10, 3, 4}, 1, 0, repeat("a", 7), true},
        {"a rule of its own, one over", {10, 3, 4}, 0, 1, repeat("a", 7), false},
        {"the empty text always fits", {0, 0, 0}, 0, 0, "", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Sheet::setLengthRule({});
        auto tweet = sheet();
        for (int i = 0; i < c.urls; ++i)
            ASSERT_TRUE(tweet->addURL(ns::URL::withString("http://example.com/")));
        for (int i = 0; i < c.images; ++i)
            ASSERT_TRUE(tweet->addImage(square()));
        ASSERT_TRUE(tweet->setInitialText("before"));
        Sheet::setLengthRule(c.rule);
        EXPECT_EQ(tweet->setInitialText(c.text), c.taken);
        // A refused text leaves the one before.
        EXPECT_EQ(tweet->initialText(), c.taken ? c.text : std::string("before"));
    }
}

TEST_F(TweetSheet, RefusesAttachmentsWithoutRoomAndAnythingOnceShown)
{
    auto tweet = sheet();
    EXPECT_FALSE(tweet->addURL(nullptr));
    EXPECT_FALSE(tweet->addImage(nullptr));
    ASSERT_TRUE(tweet->setInitialText(std::string(119, 'a')));
    EXPECT_TRUE(tweet->addURL(ns::URL::withString("http://example.com/")));
    EXPECT_FALSE(tweet->addImage(square())); // 119 + 21 + 21 is over 140
    EXPECT_FALSE(tweet->addURL(ns::URL::withString("http://example.org/")));
    EXPECT_TRUE(tweet->removeAllURLs());
    EXPECT_TRUE(tweet->addImage(square()));
    EXPECT_EQ(tweet->urls().size(), 0u);
    EXPECT_EQ(tweet->images().size(), 1u);

    root->presentViewController(tweet, false);
    EXPECT_FALSE(tweet->setInitialText("later"));
    EXPECT_FALSE(tweet->addURL(ns::URL::withString("http://example.com/")));
    EXPECT_FALSE(tweet->removeAllImages());
    EXPECT_EQ(tweet->initialText(), std::string(119, 'a'));
}

// Send on the sheet's bar writes the tweet beside its picture and tells the completion, once.
TEST_F(TweetSheet, SendOnScreenWritesTheTweetToTheDevice)
{
    std::weak_ptr<int> held;
    auto tweet = sheet();
    {
        auto token = std::make_shared<int>(1);
        held = token;
        tweet->setCompletionHandler([this, token](Result result) { results.push_back(result); });
    }
    ASSERT_TRUE(tweet->addImage(square()));
    ASSERT_TRUE(tweet->addURL(ns::URL::withString("http://example.com/a%20b")));
    ASSERT_TRUE(tweet->setInitialText("Look\nat this"));
    root->presentViewController(tweet, false);
    ASSERT_TRUE(driver.press("Send"));
    EXPECT_EQ(results, std::vector<Result>{Result::Done});
    EXPECT_TRUE(held.expired()); // the handler went once it had run
    EXPECT_EQ(contents(home.file("Device/Tweets/0001.txt")),
              "URL: http://example.com/a%20b\nImage: 0001-1.png\n\nLook\nat this\n");
    auto picture = ui::Image::imageWithContentsOfFile(home.file("Device/Tweets/0001-1.png"));
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->size().width, 3);
    EXPECT_EQ(tweet->sentPath(), home.file("Device/Tweets/0001.txt"));

    // A second tweet takes the next number; a plain one has no header lines.
    auto plain = sheet();
    plain->send();
    EXPECT_EQ(contents(home.file("Device/Tweets/0002.txt")), "\n\n");
}

TEST_F(TweetSheet, CancelWritesNothingAndAFailedWriteIsNoSuccess)
{
    auto tweet = sheet();
    root->presentViewController(tweet, false);
    ASSERT_TRUE(driver.press("Cancel"));
    EXPECT_EQ(results, std::vector<Result>{Result::Cancelled});
    EXPECT_FALSE(std::filesystem::exists(home.file("Device/Tweets")));
    root->dismissViewControllerAnimated(false);

    // Where the device cannot keep the tweet, the user is told it was not sent.
    results.clear();
    ASSERT_TRUE(ns::FileManager::createDirectoryAtPath(home.file("Device"), true));
    ASSERT_TRUE(ns::FileManager::writeAtomically(home.file("Device/Tweets"), std::string("a file")));
    auto blocked = sheet();
    blocked->send();
    EXPECT_EQ(results, std::vector<Result>{Result::Cancelled});
}

TEST_F(TweetSheet, WithoutACompletionTheSheetClosesItself)
{
    auto tweet = Sheet::create();
    root->presentViewController(tweet, false);
    ASSERT_TRUE(driver.press("Send"));
    driver.advance(1);
    EXPECT_FALSE(root->presentedViewController());
    EXPECT_TRUE(std::filesystem::exists(home.file("Device/Tweets/0001.txt")));
}

} // namespace
