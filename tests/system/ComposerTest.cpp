#include "foundation/ClassRegistry.h"
#include "foundation/FileManager.h"
#include "foundation/Sandbox.h"
#include "system/BannerView.h"
#include "system/MailComposeViewController.h"
#include "system/MessageComposeViewController.h"
#include "testing/TemporaryHome.h"
#include "testing/TouchDriver.h"
#include "uikit/BarButtonItem.h"
#include "uikit/NavigationItem.h"
#include "uikit/Window.h"

#include <filesystem>

#include <gtest/gtest.h>

namespace {

struct MailSpy : mui::MailComposeViewControllerDelegate
{
    std::vector<mui::MailComposeResult> results;
    std::vector<ns::Ref<ns::Error>> errors;
    void mailComposeController(mui::MailComposeViewController&, mui::MailComposeResult result,
                               const ns::Ref<ns::Error>& error) override
    {
        results.push_back(result);
        errors.push_back(error);
    }
};

struct MessageSpy : mui::MessageComposeViewControllerDelegate
{
    std::vector<mui::MessageComposeResult> results;
    void messageComposeViewController(mui::MessageComposeViewController&,
                                      mui::MessageComposeResult result) override
    {
        results.push_back(result);
    }
};

TEST(MailComposer, SentMailLandsOnTheDeviceAsAMimeMessage)
{
    testkit::TemporaryHome home;
    auto spy = std::make_shared<MailSpy>();
    auto mail = mui::MailComposeViewController::create();
    ASSERT_TRUE(mail);
    mail->setMailComposeDelegate(spy);
    mail->setToRecipients({"support@velmo.invalid"});
    mail->setSubject("Comments about Velmo");
    mail->setMessageBody("<b>Hi</b>", true);
    mail->addAttachmentData(ns::Data::withString("PNGDATA"), "image/png", "photo.png");
    mail->send();
    ASSERT_EQ(spy->results, std::vector<mui::MailComposeResult>{mui::MailComposeResult::Sent});
    EXPECT_EQ(mail->sentPath(), ns::Sandbox::devicePath() + "/Mail/0001.eml");
    auto text = ns::FileManager::stringWithContentsOfFile(mail->sentPath());
    ASSERT_TRUE(text);
    EXPECT_NE(text->find("To: support@velmo.invalid\r\n"), std::string::npos);
    EXPECT_NE(text->find("Subject: Comments about Velmo\r\n"), std::string::npos);
    EXPECT_NE(text->find("multipart/mixed"), std::string::npos);
    EXPECT_NE(text->find("filename=\"photo.png\""), std::string::npos);

    mail->cancel();
    EXPECT_EQ(spy->results.back(), mui::MailComposeResult::Cancelled);
    EXPECT_FALSE(ns::FileManager::fileExistsAtPath(ns::Sandbox::devicePath() + "/Mail/0002.eml"));
}

// Each result the user can reach is reported once, and what it keeps lands where the device keeps it.
TEST(MailComposer, EveryResultCanBeDriven)
{
    struct Case
    {
        mui::MailComposeResult result;
        const char* file; // what the device keeps, or nothing
        bool error;
    };
    const Case cases[] = {
        {mui::MailComposeResult::Sent, "Device/Mail/0001.eml", false},
        {mui::MailComposeResult::Saved, "Device/Mail/Drafts/0001.eml", false},
        {mui::MailComposeResult::Cancelled, nullptr, false},
        {mui::MailComposeResult::Failed, nullptr, true},
    };
    for (const auto& c : cases) {
        testkit::TemporaryHome home;
        auto spy = std::make_shared<MailSpy>();
        auto mail = mui::MailComposeViewController::create();
        mail->setMailComposeDelegate(spy);
        mail->setSubject("s");
        mail->finishWithResult(c.result);
        ASSERT_EQ(spy->results, std::vector<mui::MailComposeResult>{c.result});
        EXPECT_EQ(spy->errors.front() != nullptr, c.error);
        if (c.file)
            EXPECT_EQ(mail->sentPath(), home.file(c.file));
        else
            EXPECT_EQ(mail->sentPath(), "");
        EXPECT_EQ(std::filesystem::exists(home.file("Device/Mail")), c.file != nullptr);
    }
}

TEST(MailComposer, IsANavigationControllerWhoseAttachmentsReadBack)
{
    auto mail = mui::MailComposeViewController::create();
    ASSERT_TRUE(ns::cast<ui::NavigationController>(mail));
    auto screen = mail->topViewController();
    ASSERT_TRUE(screen);
    EXPECT_EQ(screen->navigationItem()->title(), "New Message");
    EXPECT_EQ(screen->navigationItem()->rightBarButtonItem()->title(), "Send");
    mail->setMessageBody("<p>x</p>", true);
    mail->addAttachmentData(ns::Data::withString("JPEG"), "image/jpeg", "Image.jpg");
    mail->addAttachmentData(nullptr, "text/plain", "nothing.txt"); // no data, no attachment
    ASSERT_EQ(mail->attachments().size(), 1u);
    EXPECT_EQ(mail->attachments()[0].data->view(), "JPEG");
    EXPECT_EQ(mail->attachments()[0].mimeType, "image/jpeg");
    EXPECT_EQ(mail->attachments()[0].fileName, "Image.jpg");
    EXPECT_TRUE(mail->isHTML());
}

TEST(MessageComposer, EveryResultCanBeDriven)
{
    const std::pair<mui::MessageComposeResult, bool> cases[] = {
        {mui::MessageComposeResult::Sent, true},
        {mui::MessageComposeResult::Cancelled, false},
        {mui::MessageComposeResult::Failed, false},
    };
    for (const auto& [result, kept] : cases) {
        testkit::TemporaryHome home;
        auto spy = std::make_shared<MessageSpy>();
        auto message = mui::MessageComposeViewController::create();
        ASSERT_TRUE(ns::cast<ui::NavigationController>(message));
        message->setMessageComposeDelegate(spy);
        message->setBody("hello");
        message->finishWithResult(result);
        EXPECT_EQ(spy->results, std::vector<mui::MessageComposeResult>{result});
        EXPECT_EQ(std::filesystem::exists(home.file("Device/Messages/0001.txt")), kept);
    }
}

TEST(MailComposer, NoAccountMeansNoComposer)
{
    mui::MailComposeViewController::setCanSendMail(false);
    EXPECT_FALSE(mui::MailComposeViewController::create());
    mui::MailComposeViewController::setCanSendMail(true);
    mui::MessageComposeViewController::setCanSendText(false);
    EXPECT_FALSE(mui::MessageComposeViewController::create());
    mui::MessageComposeViewController::setCanSendText(true);
}

TEST(MessageComposer, PressingSendOnScreenWritesTheMessage)
{
    testkit::TemporaryHome home;
    auto window = ui::Window::create();
    auto root = ui::ViewController::create();
    window->setRootViewController(root);
    window->makeKeyAndVisible();
    auto spy = std::make_shared<MessageSpy>();
    auto message = mui::MessageComposeViewController::create();
    message->setMessageComposeDelegate(spy);
    message->setRecipients({"+46701234567"});
    message->setBody("");
    root->presentModalViewController(message, false);
    ui::TouchDriver driver;
    ASSERT_TRUE(driver.press("Send"));
    ASSERT_EQ(spy->results, std::vector<mui::MessageComposeResult>{mui::MessageComposeResult::Sent});
    auto text = ns::FileManager::stringWithContentsOfFile(ns::Sandbox::devicePath() + "/Messages/0001.txt");
    ASSERT_TRUE(text);
    EXPECT_EQ(*text, "To: +46701234567\n\n\n");
}

// A step added to a composer class follows the did-disappear of each of its composers, once, until taken
// away; the other class is not touched.
TEST(Composers, AClassLevelStepFollowsEveryDisappearance)
{
    testkit::TemporaryHome home;
    auto window = ui::Window::create();
    auto root = ui::ViewController::create();
    window->setRootViewController(root);
    window->makeKeyAndVisible();
    std::vector<std::string> steps;
    mui::MailComposeViewController::setDidDisappearHook(
        [&](mui::MailComposeViewController& composer, bool animated) {
            steps.push_back(std::string("mail ") + (animated ? "animated " : "") +
                            (composer.isViewLoaded() ? "loaded" : "not loaded"));
        });
    EXPECT_TRUE(mui::MailComposeViewController::hasDidDisappearHook());
    EXPECT_FALSE(mui::MessageComposeViewController::hasDidDisappearHook());

    for (int round = 0; round < 2; ++round) {
        auto mail = mui::MailComposeViewController::create();
        int own = 0;
        mail->onDidDisappear = [&] { ++own; };
        root->presentModalViewController(mail, false);
        EXPECT_EQ(steps.size(), std::size_t(round)); // nothing before the composer goes
        root->dismissModalViewControllerAnimated(false);
        EXPECT_EQ(own, 1); // the composer's own step comes too
    }
    auto message = mui::MessageComposeViewController::create();
    root->presentModalViewController(message, false);
    root->dismissModalViewControllerAnimated(false);
    EXPECT_EQ(steps, (std::vector<std::string>{"mail loaded", "mail loaded"}));

    mui::MessageComposeViewController::setDidDisappearHook(
        [&](mui::MessageComposeViewController&, bool) { steps.push_back("message"); });
    root->presentModalViewController(message, false);
    root->dismissModalViewControllerAnimated(false);
    mui::MailComposeViewController::setDidDisappearHook({});
    mui::MessageComposeViewController::setDidDisappearHook({});
    EXPECT_FALSE(mui::MailComposeViewController::hasDidDisappearHook());
    auto mail = mui::MailComposeViewController::create();
    root->presentModalViewController(mail, false);
    root->dismissModalViewControllerAnimated(false);
    EXPECT_EQ(steps, (std::vector<std::string>{"mail loaded", "mail loaded", "message"}));
}

TEST(Banner, ExistsOnlyWhileRegisteredAndKnowsItsSizes)
{
    ad::unregisterBannerClass();
    EXPECT_FALSE(rt::ClassRegistry::shared().classExists("ADBannerView"));
    ad::registerBannerClass();
    auto banner = rt::ClassRegistry::shared().createAs<ad::BannerView>("ADBannerView");
    ASSERT_TRUE(banner);
    banner->setCurrentContentSizeIdentifier(ad::BannerContentSizeIdentifier320x50);
    EXPECT_EQ(banner->frame().size, cg::makeSize(320, 50));
    EXPECT_EQ(ad::BannerView::sizeFromBannerContentSizeIdentifier("unknown"), cg::makeSize(0, 0));
    auto meta = rt::ClassRegistry::shared().metaAs<ad::BannerClass>("ADBannerView");
    ASSERT_TRUE(meta);
    EXPECT_EQ(meta->sizeFromIdentifier(ad::BannerContentSizeIdentifierPortrait).height, 50);
}

} // namespace
