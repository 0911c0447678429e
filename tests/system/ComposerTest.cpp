#include "foundation/ClassRegistry.h"
#include "foundation/FileManager.h"
#include "foundation/Sandbox.h"
#include "system/BannerView.h"
#include "system/MailComposeViewController.h"
#include "system/MessageComposeViewController.h"
#include "testing/TemporaryHome.h"
#include "testing/TouchDriver.h"
#include "uikit/Window.h"

#include <gtest/gtest.h>

namespace {

struct MailSpy : mui::MailComposeViewControllerDelegate
{
    std::vector<mui::MailComposeResult> results;
    void mailComposeController(mui::MailComposeViewController&, mui::MailComposeResult result,
                               const ns::Ref<ns::Error>&) override
    {
        results.push_back(result);
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
