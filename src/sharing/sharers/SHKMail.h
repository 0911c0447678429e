#pragma once

#include "sharing/sharer/SHKSharer.h"
#include "system/MailComposeViewController.h"

// Mails the item through the device's mail composer: an HTML body built from the text, the address and
// the attached file's name, with the file or picture attached. The sharer holds itself from the
// composer's presentation until its result.
class SHKMail : public SHKSharer, public mui::MailComposeViewControllerDelegate
{
public:
    static ns::Ref<SHKMail> create() { return setUp(ns::Factory<SHKMail>::make()); }

    bool send() override;
    bool shouldAutoShare() override { return true; }
    bool sendMail();
    // The body the mail gets: the item's "body" when set, else built and stored there.
    std::string mailBody();

    void mailComposeController(mui::MailComposeViewController& controller, mui::MailComposeResult result,
                               const ns::Ref<ns::Error>& error) override;

    std::string className() const override { return "SHKMail"; }

protected:
    SHKMail() = default;
    friend ns::Factory<SHKMail>;

private:
    ns::Ref<SHKMail> m_composerHold;
};

class SHKMailClass : public SHKSharerClass
{
public:
    std::string sharerTitle() const override;
    bool canShareURL() const override { return true; }
    bool canShareText() const override { return true; }
    bool canShareImage() const override { return true; }
    bool canShareFile() const override { return true; }
    bool shareRequiresInternetConnection() const override { return false; }
    bool requiresAuthentication() const override { return false; }
    // The device can send mail.
    bool canShare() const override { return mui::MailComposeViewController::canSendMail(); }
};
