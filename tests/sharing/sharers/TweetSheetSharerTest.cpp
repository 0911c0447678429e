#include "sharing/sharers/SHKiOS5Twitter.h"

#include "foundation/Array.h"
#include "foundation/FileManager.h"
#include "foundation/NotificationCenter.h"
#include "foundation/String.h"
#include "foundation/URL.h"
#include "graphics/BitmapContext.h"
#include "sharing/sharers/SHKDeviceSharers.h"
#include "sharing/support/SharerFixture.h"
#include "uikit/Device.h"
#include "uikit/Image.h"

#include <filesystem>

namespace {

using Sheet = tw::TweetComposeViewController;

ns::Ref<ui::Image> square()
{
    auto context =
        cg::BitmapContext::create(4, 4, 8, 0, cg::ColorSpace::RGB, cg::AlphaInfo::PremultipliedFirst);
    context->setFillColor({0, 1, 0, 1});
    context->fillRect(cg::makeRect(0, 0, 4, 4));
    return ui::Image::imageWithCGImage(context->makeImage());
}

std::string repeat(const std::string& unit, int times)
{
    std::string out;
    for (int i = 0; i < times; ++i)
        out += unit;
    return out;
}

// A device of system 5.0; every sending report, and whether the sheet was still up when the framework
// heard that a screen had gone, are recorded.
class TweetSheetSharer : public SharerFixture
{
protected:
    TweetSheetSharer()
    {
        ui::Device::currentDevice()->setSystemVersion("5.0");
        SHKRegisterDeviceSharers();
        ns::NotificationCenter::defaultCenter().addObserver(
            this, "", nullptr, [this](const ns::Notification& n) {
                if (n.name().rfind("SHKSend", 0) == 0)
                    reports.push_back(n.name());
                if (n.name() == SHKHideCurrentViewFinishedNotification)
                    hidden.push_back(root->presentedViewController() ? "sheet up" : "sheet gone");
            });
    }
    ~TweetSheetSharer() override
    {
        ns::NotificationCenter::defaultCenter().removeObserver(this);
        Sheet::setLengthRule({});
        ui::Device::currentDevice()->reset();
    }

    ns::Ref<SHKiOS5Twitter> share(const ns::Ref<SHKItem>& item)
    {
        auto sharer = SHKiOS5Twitter::shareItem(item);
        settle();
        return sharer;
    }
    ns::Ref<Sheet> shownSheet() const { return ns::cast<Sheet>(root->presentedViewController()); }
    static ns::Ref<SHKItem> urlItem(std::optional<std::string> title)
    {
        return SHKItem::URL(ns::URL::withString("http://example.com/page"), std::move(title));
    }

    std::vector<std::string> reports;
    std::vector<std::string> hidden;
};

TEST_F(TweetSheetSharer, AnswersAsTheMicroBloggingSharer)
{
    auto meta = SHKSharerClass::named("SHKiOS5Twitter");
    ASSERT_TRUE(meta);
    EXPECT_EQ(meta->sharerTitle(), "Twitter");
    EXPECT_EQ(meta->sharerId(), "SHKTwitter");
    EXPECT_TRUE(meta->canShareURL() && meta->canShareText() && meta->canShareImage());
    EXPECT_FALSE(meta->requiresAuthentication());
    EXPECT_TRUE(meta->canShare());
    ui::Device::currentDevice()->setSystemVersion("4.2");
    EXPECT_FALSE(meta->canShare());

    // Taking the item puts the micro-blogging sharer's id first among the favourites.
    ui::Device::currentDevice()->setSystemVersion("5.0");
    share(urlItem(std::string("A page")));
    auto favourites = SHK::favoriteSharersForType(SHKShareTypeURL);
    ASSERT_GT(favourites->count(), 0u);
    EXPECT_EQ(ns::cast<ns::String>(favourites->objectAtIndex(0))->str(), "SHKTwitter");
}

// The sheet gets the item's picture and address, and as much of the text as it takes: at most 140
// units, then one unit less at a time until it takes the text.
TEST_F(TweetSheetSharer, OffersTheTextCutUntilTheSheetTakesIt)
{
    const std::string emoji = "\xF0\x9F\x98\x80";
    struct Case
    {
        const char* name;
        ns::Ref<SHKItem> item;
        tw::TweetLengthRule rule;
        std::string text;
        std::size_t urls, images;
    };
    auto textItem = [](std::string text) { return SHKItem::text(std::move(text)); };
    auto imageItem = SHKItem::image(square(), std::string("A picture"));
    auto titledText = textItem("the text");
    titledText->setTitle(std::string("not the title"));
    const Case cases[] = {
        {"200 letters are cut to 140", textItem(std::string(200, 'x')), {}, std::string(140, 'x'), 0, 0},
        {"a short text whole", textItem("Hello"), {}, "Hello", 0, 0},
        {"a text item's text, not its title", titledText, {}, "the text", 0, 0},
        {"a URL item's title beside the address",
         urlItem(std::string(130, 't')),
         {},
         std::string(119, 't'),
         1,
         0},
        {"a URL item without a title", urlItem(std::nullopt), {}, "", 1, 0},
        {"an image item's title beside the picture", imageItem, {}, "A picture", 0, 1},
        {"no pair is split", textItem(repeat(emoji, 80)), {}, repeat(emoji, 70), 0, 0},
        {"refused at every length: empty", textItem("Hello"), {0, 0, 0}, "", 0, 0},
        {"a rule of the device's own", textItem("Hello there"), {7, 21, 21}, "Hello t", 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Sheet::setLengthRule(c.rule);
        share(c.item);
        auto sheet = shownSheet();
        ASSERT_TRUE(sheet);
        EXPECT_EQ(sheet->initialText(), c.text);
        EXPECT_EQ(sheet->urls().size(), c.urls);
        EXPECT_EQ(sheet->images().size(), c.images);
        if (c.urls) {
            EXPECT_EQ(sheet->urls()[0]->absoluteString(), "http://example.com/page");
        }
        ASSERT_TRUE(driver.press("Cancel"));
        settle();
        ASSERT_FALSE(root->presentedViewController());
    }
}

// Send and Cancel on the sheet: the report, the tweet on the device, and the framework told once the
// sheet has gone.
TEST_F(TweetSheetSharer, ReportsTheSheetsResultAfterTheUserChose)
{
    struct Case
    {
        const char* button;
        const char* report;
        bool written;
    };
    const Case cases[] = {
        {"Send", "SHKSendDidFinish", true},
        {"Cancel", "SHKSendDidCancel", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.button);
        reports.clear();
        hidden.clear();
        std::filesystem::remove_all(home.file("Device/Tweets"));
        std::weak_ptr<SHKiOS5Twitter> gone = share(urlItem(std::string("A page")));
        ASSERT_TRUE(shownSheet());
        EXPECT_TRUE(reports.empty());
        ASSERT_TRUE(driver.press(c.button));
        settle();
        EXPECT_EQ(reports, std::vector<std::string>{c.report});
        EXPECT_EQ(hidden, std::vector<std::string>{"sheet gone"});
        EXPECT_FALSE(root->presentedViewController());
        EXPECT_EQ(std::filesystem::exists(home.file("Device/Tweets/0001.txt")), c.written);
        EXPECT_TRUE(gone.expired()); // nothing holds the sharer once it has reported
    }
}

TEST_F(TweetSheetSharer, ASentTweetHoldsTheItem)
{
    auto item = urlItem(std::string("A page"));
    share(item);
    ASSERT_TRUE(driver.press("Send"));
    settle();
    EXPECT_EQ(ns::FileManager::stringWithContentsOfFile(home.file("Device/Tweets/0001.txt")).value_or(""),
              "URL: http://example.com/page\n\nA page\n");
}

// While a screen of the framework is up the sheet waits for it to go, the sharer holding itself.
TEST_F(TweetSheetSharer, WaitsForTheFrameworksScreenToGo)
{
    auto screen = ui::NavigationController::create(ui::ViewController::create());
    show(screen);
    ASSERT_EQ(SHK::currentHelper()->currentView(), screen);
    std::weak_ptr<SHKiOS5Twitter> weak;
    {
        auto sharer = share(urlItem(std::string("A page")));
        weak = sharer;
        EXPECT_TRUE(sharer->isWaitingForScreen());
        EXPECT_EQ(root->presentedViewController(), screen);
    }
    ASSERT_FALSE(weak.expired());
    SHK::currentHelper()->hideCurrentViewController();
    settle();
    settle();
    auto sheet = shownSheet();
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->initialText(), "A page");
    auto sharer = weak.lock();
    ASSERT_TRUE(sharer);
    EXPECT_FALSE(sharer->isWaitingForScreen());
    EXPECT_EQ(sharer->currentTopViewController(), root);
    sharer.reset();
    ASSERT_TRUE(driver.press("Send"));
    settle();
    EXPECT_EQ(reports, std::vector<std::string>{"SHKSendDidFinish"});
    EXPECT_TRUE(weak.expired());
}

TEST_F(TweetSheetSharer, AccountInformationShowsAndReportsNothing)
{
    auto item = SHKItem::create();
    item->setShareType(SHKShareTypeAccountInfo);
    share(item);
    EXPECT_FALSE(root->presentedViewController());
    EXPECT_TRUE(reports.empty());
}

// A device without the sheet fails the share instead of leaving it open.
TEST_F(TweetSheetSharer, WithoutTheSheetTheShareFails)
{
    ui::Device::currentDevice()->setSystemVersion("4.2");
    auto sharer = share(urlItem(std::string("A page")));
    EXPECT_EQ(reports, std::vector<std::string>{"SHKSendDidFailWithError"});
    EXPECT_TRUE(sharer->lastError());
    EXPECT_FALSE(root->presentedViewController());
}

} // namespace
