#include "sharing/sharers/SHKDeviceSharers.h"

#include "foundation/ClassRegistry.h"
#include "foundation/Data.h"
#include "foundation/FileManager.h"
#include "foundation/NotificationCenter.h"
#include "foundation/Number.h"
#include "foundation/String.h"
#include "foundation/URL.h"
#include "graphics/BitmapContext.h"
#include "sharing/sharers/SHKMail.h"
#include "sharing/sharers/SHKTextMessage.h"
#include "sharing/support/SharerFixture.h"
#include "uikit/AlertView.h"
#include "uikit/Color.h"
#include "uikit/Image.h"
#include "uikit/Label.h"
#include "uikit/NavigationBar.h"
#include "uikit/Pasteboard.h"
#include "uikit/PrintInteractionController.h"

#include <filesystem>

namespace {

ns::Ref<ui::Image> square()
{
    auto context =
        cg::BitmapContext::create(4, 4, 8, 0, cg::ColorSpace::RGB, cg::AlphaInfo::PremultipliedFirst);
    context->setFillColor({0, 0, 1, 1});
    context->fillRect(cg::makeRect(0, 0, 4, 4));
    return ui::Image::imageWithCGImage(context->makeImage());
}

std::string contents(const std::string& path)
{
    return ns::FileManager::stringWithContentsOfFile(path).value_or("<missing>");
}

class DeviceSharers : public SharerFixture
{
protected:
    DeviceSharers()
    {
        SHKRegisterDeviceSharers();
        ui::registerPrintClass();
        ui::Pasteboard::generalPasteboard()->clear();
        ns::NotificationCenter::defaultCenter().addObserver(this, "", nullptr,
                                                            [this](const ns::Notification& n) {
                                                                if (n.name().rfind("SHKSend", 0) == 0)
                                                                    reports.push_back(n.name());
                                                            });
    }
    ~DeviceSharers() override
    {
        ns::NotificationCenter::defaultCenter().removeObserver(this);
        ui::unregisterPrintClass();
        mui::MailComposeViewController::setCanSendMail(true);
        mui::MessageComposeViewController::setCanSendText(true);
    }

    // Shares the item with the sharer class as the share screens do, and lets what follows run.
    ns::Ref<SHKSharer> share(const std::string& name, const ns::Ref<SHKItem>& item)
    {
        auto sharer = SHKSharer::sharerWithId(name);
        EXPECT_TRUE(sharer) << name;
        if (!sharer)
            return nullptr;
        sharer->loadItem(item);
        sharer->share();
        settle();
        return sharer;
    }
    static ns::Ref<SHKItem> urlItem(const std::string& url, std::optional<std::string> title = std::nullopt)
    {
        return SHKItem::URL(ns::URL::withString(url), std::move(title));
    }
    std::string overlayText() const
    {
        auto label = SHKActivityIndicator::currentIndicator()->subMessageLabel();
        return label && label->text() ? *label->text() : std::string();
    }

    std::vector<std::string> reports;
};

TEST_F(DeviceSharers, AnswerTheirCapabilities)
{
    struct Row
    {
        const char* name;
        const char* title;
        bool url, text, image, file;
    };
    const Row rows[] = {
        {"SHKPrint", "Print", false, false, true, false},
        {"SHKLogout", "Logout", true, true, true, true},
        {"SHKCopy", "Copy", true, true, true, false},
        {"SHKMail", "Email", true, true, true, true},
        {"SHKSafari", "Open in Safari", true, false, false, false},
        {"SHKPhotoAlbum", "Save to Photo Album", false, false, true, false},
        {"SHKTextMessage", "SMS", true, true, false, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto meta = SHKSharerClass::named(row.name);
        ASSERT_TRUE(meta);
        EXPECT_EQ(meta->sharerTitle(), row.title);
        EXPECT_EQ(meta->canShareURL(), row.url);
        EXPECT_EQ(meta->canShareText(), row.text);
        EXPECT_EQ(meta->canShareImage(), row.image);
        EXPECT_EQ(meta->canShareFile(), row.file);
        EXPECT_FALSE(meta->shareRequiresInternetConnection());
        EXPECT_FALSE(meta->requiresAuthentication());
        EXPECT_TRUE(meta->canShareOffline());
        EXPECT_FALSE(meta->canGetUserInfo());
        EXPECT_TRUE(meta->canShare());
        auto sharer = SHKSharer::sharerWithId(row.name);
        ASSERT_TRUE(sharer);
        EXPECT_EQ(sharer->shouldAutoShare(), std::string(row.name) != "SHKPrint");
    }
    // What the device lacks takes the sharer away.
    ui::unregisterPrintClass();
    EXPECT_FALSE(SHKSharerClass::named("SHKPrint")->canShare());
    ui::registerPrintClass();
    ui::PrintInteractionController::setPrintingAvailable(false);
    EXPECT_FALSE(SHKSharerClass::named("SHKPrint")->canShare());
    ui::PrintInteractionController::setPrintingAvailable(true);
    mui::MailComposeViewController::setCanSendMail(false);
    EXPECT_FALSE(SHKSharerClass::named("SHKMail")->canShare());
    mui::MessageComposeViewController::setCanSendText(false);
    EXPECT_FALSE(SHKSharerClass::named("SHKTextMessage")->canShare());
}

TEST_F(DeviceSharers, MailBuildsAnEscapedHtmlBody)
{
    struct Case
    {
        const char* name;
        ns::Ref<SHKItem> item;
        bool signature;
        std::string body;
    };
    auto file = SHKItem::file(ns::Data::withString("x"), std::string("notes.txt"), std::string("text/plain"),
                              std::nullopt);
    auto text = SHKItem::text("Fish & <chips>");
    text->setURL(ns::URL::withString("http://example.com/?a=1&b=%26"));
    auto stored = urlItem("http://example.com/");
    stored->setCustomValue(ns::String::make("kept"), "body");
    const Case cases[] = {
        {"address alone, as it is", urlItem("http://example.com/a%20b"), false, "http://example.com/a%20b"},
        {"text then address", text, false,
         "Fish &amp; &lt;chips&gt;<br/><br/>http://example.com/?a=1&amp;b=%26"},
        {"file without title", file, false, "Attached: notes.txt"},
        {"nothing but the signature", SHKItem::create(), true, "<br/><br/>Sent from Velmo &amp; Co"},
        {"a stored body", stored, true, "kept"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        configure("sharedWithSignature", ns::Number::numberWithBool(c.signature));
        configure("appName", ns::String::make("Velmo & Co"));
        auto mail = SHKMail::create();
        mail->loadItem(c.item);
        EXPECT_EQ(mail->mailBody(), c.body);
        EXPECT_EQ(ns::describe(c.item->customValueForKey("body")), c.body);
    }
}

TEST_F(DeviceSharers, MailPresentsTheComposerAndReportsItsResult)
{
    auto item = urlItem("http://example.com/app", std::string("Velmo"));
    item->setImage(square());
    item->setCustomValue(ns::Number::numberWithDouble(0.5), "jpgQuality");
    configure("barTintForView:", ui::Color::redColor());
    auto sharer = share("SHKMail", item);
    auto composer = ns::cast<mui::MailComposeViewController>(SHK::currentHelper()->currentView());
    ASSERT_TRUE(composer);
    EXPECT_EQ(root->presentedViewController(), composer);
    auto tint = composer->navigationBar()->tintColor();
    EXPECT_TRUE(tint && tint->isEqual(*ui::Color::redColor()));
    EXPECT_EQ(composer->subject(), "Velmo");
    EXPECT_TRUE(composer->isHTML());
    EXPECT_EQ(composer->body(), "http://example.com/app");
    ASSERT_EQ(composer->attachments().size(), 1u);
    EXPECT_EQ(composer->attachments()[0].fileName, "Image.jpg");
    EXPECT_EQ(composer->attachments()[0].mimeType, "image/jpeg");
    EXPECT_TRUE(sharer->quiet());
    EXPECT_TRUE(reports.empty()); // nothing until the user decides
    ASSERT_TRUE(driver.press("Send"));
    settle();
    EXPECT_EQ(reports, std::vector<std::string>{"SHKSendDidFinish"});
    EXPECT_TRUE(std::filesystem::exists(home.file("Device/Mail/0001.eml")));
    EXPECT_FALSE(SHK::currentHelper()->currentView());
    EXPECT_FALSE(root->presentedViewController());

    // Every other result, each hiding the composer.
    const std::pair<mui::MailComposeResult, const char*> results[] = {
        {mui::MailComposeResult::Cancelled, "SHKSendDidCancel"},
        {mui::MailComposeResult::Saved, "SHKSendDidFinish"},
        {mui::MailComposeResult::Failed, "SHKSendDidFailWithError"},
    };
    for (const auto& [result, report] : results) {
        reports.clear();
        share("SHKMail", urlItem("http://example.com/"));
        auto next = ns::cast<mui::MailComposeViewController>(SHK::currentHelper()->currentView());
        ASSERT_TRUE(next);
        next->finishWithResult(result);
        settle();
        EXPECT_EQ(reports, std::vector<std::string>{report});
        EXPECT_FALSE(root->presentedViewController());
    }
}

TEST_F(DeviceSharers, MailWithoutAComposerFails)
{
    mui::MailComposeViewController::setCanSendMail(false);
    share("SHKMail", urlItem("http://example.com/"));
    EXPECT_EQ(reports, std::vector<std::string>{"SHKSendDidFailWithError"});
    EXPECT_FALSE(root->presentedViewController());
}

TEST_F(DeviceSharers, TextMessageSendsTheTextAndTheAddress)
{
    auto item = urlItem("http://example.com/a%20b");
    item->setText(std::string("Look"));
    share("SHKTextMessage", item);
    auto composer = ns::cast<mui::MessageComposeViewController>(SHK::currentHelper()->currentView());
    ASSERT_TRUE(composer);
    EXPECT_EQ(composer->body(), "Look\nhttp://example.com/a%20b");
    ASSERT_TRUE(driver.press("Send"));
    settle();
    EXPECT_EQ(reports, std::vector<std::string>{"SHKSendDidFinish"});
    EXPECT_EQ(contents(home.file("Device/Messages/0001.txt")), "To: \n\nLook\nhttp://example.com/a%20b\n");
    EXPECT_FALSE(root->presentedViewController());

    reports.clear();
    share("SHKTextMessage", urlItem("http://example.com/"));
    ASSERT_TRUE(driver.press("Cancel"));
    settle();
    EXPECT_EQ(reports, std::vector<std::string>{"SHKSendDidCancel"});
    EXPECT_FALSE(root->presentedViewController());
}

TEST_F(DeviceSharers, CopyPutsTheItemOnThePasteboard)
{
    struct Case
    {
        const char* name;
        ns::Ref<SHKItem> item;
        const char* text; // the pasteboard's text afterwards, or nothing
        bool image;
        const char* report;
    };
    const Case cases[] = {
        {"address", urlItem("http://example.com/a%20b"), "http://example.com/a%20b", false,
         "SHKSendDidFinish"},
        {"text", SHKItem::text("hello"), "hello", false, "SHKSendDidFinish"},
        {"image", SHKItem::image(square()), nullptr, true, "SHKSendDidFinish"},
        {"file",
         SHKItem::file(ns::Data::withString("x"), std::string("a.txt"), std::string("text/plain"),
                       std::nullopt),
         nullptr, false, "SHKSendDidFailWithError"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        reports.clear();
        ui::Pasteboard::generalPasteboard()->clear();
        share("SHKCopy", c.item);
        EXPECT_EQ(reports, std::vector<std::string>{c.report});
        auto pasteboard = ui::Pasteboard::generalPasteboard();
        EXPECT_EQ(pasteboard->string(), c.text ? std::optional<std::string>(c.text) : std::nullopt);
        EXPECT_EQ(pasteboard->image() != nullptr, c.image);
        if (c.text) {
            EXPECT_EQ(contents(home.file("Device/pasteboard.txt")), c.text);
        }
    }
}

TEST_F(DeviceSharers, TheSharersThatFinishAtOnceShowTheirWordsOnTheScreenUntilTheTickGoes)
{
    struct Row
    {
        const char* sharer;
        ns::Ref<SHKItem> item;
        const char* shown;
    };
    const Row rows[] = {
        {"SHKCopy", SHKItem::text("hello"), "Copied!"},
        {"SHKPhotoAlbum", SHKItem::image(square()), "Saved!"},
        {"SHKLogout", SHKItem::text("anything"), "Logged Out!"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.sharer);
        auto sharer = SHKSharer::sharerWithId(row.sharer);
        ASSERT_TRUE(sharer);
        sharer->loadItem(row.item);
        sharer->share();
        driver.advance(0.35); // faded in
        EXPECT_TRUE(driver.showsText(row.shown));
        EXPECT_TRUE(driver.showsText("\xE2\x9C\x93")); // the tick
        driver.advance(1);
        EXPECT_FALSE(driver.showsText(row.shown));
    }
}

TEST_F(DeviceSharers, SafariOpensTheAddressOrFails)
{
    share("SHKSafari", urlItem("http://example.com/page"));
    EXPECT_EQ(reports, std::vector<std::string>{"SHKSendDidFinish"});
    EXPECT_EQ(contents(home.file("Device/opened-urls.log")), "http://example.com/page\n");
    reports.clear();
    share("SHKSafari", urlItem("nothing-opens-this:x"));
    EXPECT_EQ(reports, std::vector<std::string>{"SHKSendDidFailWithError"});
}

TEST_F(DeviceSharers, ThePhotoAlbumReportsWhatItWrote)
{
    share("SHKPhotoAlbum", SHKItem::image(square()));
    EXPECT_EQ(reports, std::vector<std::string>{"SHKSendDidFinish"});
    EXPECT_TRUE(std::filesystem::exists(home.file("Device/Photos/0001.png")));
    EXPECT_EQ(overlayText(), "Saved!");
    reports.clear();
    share("SHKPhotoAlbum", SHKItem::text("not a picture"));
    EXPECT_EQ(reports, std::vector<std::string>{"SHKSendDidFailWithError"});
    EXPECT_FALSE(std::filesystem::exists(home.file("Device/Photos/0002.png")));
}

TEST_F(DeviceSharers, PrintReportsPrintedCancelledOrFailed)
{
    auto printer = ui::PrintInteractionController::sharedPrintController();
    share("SHKPrint", SHKItem::image(square()));
    ASSERT_TRUE(printer->isPresented());
    EXPECT_EQ(printer->printInfo()->outputType(), ui::PrintInfoOutputType::Photo);
    EXPECT_FALSE(printer->showsPageRange());
    EXPECT_TRUE(reports.empty());
    EXPECT_EQ(printer->print(), home.file("Device/Printed/0001.pdf"));
    settle();
    EXPECT_EQ(reports, std::vector<std::string>{"SHKSendDidFinish"});

    reports.clear();
    share("SHKPrint", SHKItem::image(square()));
    printer->dismissAnimated(true);
    settle();
    EXPECT_EQ(reports, std::vector<std::string>{"SHKSendDidCancel"}); // a cancel, not a failure
    printer->setPrintingItem(nullptr);
}

TEST_F(DeviceSharers, AFailureIsShownWithTheSharersName)
{
    struct Case
    {
        const char* sharer;
        ns::Ref<SHKItem> item;
        bool composers;    // whether the device can make its composers
        const char* alert; // nothing when the share went well
    };
    const Case cases[] = {
        {"SHKCopy",
         SHKItem::file(ns::Data::withString("x"), std::string("a.txt"), std::string("text/plain"),
                       std::nullopt),
         true, "Copy: There was an error while sharing"},
        {"SHKSafari", urlItem("nothing-opens-this:x"), true,
         "Open in Safari: There was an error while sharing"},
        {"SHKPhotoAlbum", SHKItem::text("not a picture"), true,
         "Save to Photo Album: There was an error while sharing"},
        {"SHKMail", urlItem("http://example.com/"), false, "Email: There was an error while sharing"},
        {"SHKTextMessage", urlItem("http://example.com/"), false, "SMS: There was an error while sharing"},
        {"SHKCopy", urlItem("http://example.com/"), true, nullptr},
        {"SHKSafari", urlItem("http://example.com/"), true, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sharer);
        reports.clear();
        ui::AlertView::clearShownAlerts();
        mui::MailComposeViewController::setCanSendMail(c.composers);
        mui::MessageComposeViewController::setCanSendText(c.composers);
        share(c.sharer, c.item);
        EXPECT_EQ(reports,
                  std::vector<std::string>{c.alert ? "SHKSendDidFailWithError" : "SHKSendDidFinish"});
        std::vector<std::string> alerts;
        for (const auto& alert : ui::AlertView::shownAlerts())
            alerts.push_back(alert->title().value_or("") + ": " + alert->message().value_or(""));
        EXPECT_EQ(alerts, c.alert ? std::vector<std::string>{c.alert} : std::vector<std::string>{});
        if (c.alert) {
            EXPECT_TRUE(driver.answerAlert("Close"));
        }
        settle();
    }
}

TEST_F(DeviceSharers, LogoutSignsOutOfEveryServiceAndSaysSo)
{
    share("SHKLogout", SHKItem::text("anything"));
    EXPECT_EQ(reports, std::vector<std::string>{"SHKSendDidFinish"});
    EXPECT_EQ(overlayText(), "Logged Out!");
}

} // namespace
