#pragma once

#include "sharing/sharer/SHKSharer.h"
#include "system/MessageComposeViewController.h"

// Sends the item's text and address as a text message through the device's message composer. The sharer
// holds itself from the composer's presentation until its result.
class SHKTextMessage : public SHKSharer, public mui::MessageComposeViewControllerDelegate
{
public:
    static ns::Ref<SHKTextMessage> create() { return setUp(ns::Factory<SHKTextMessage>::make()); }

    bool send() override;
    bool shouldAutoShare() override { return true; }
    bool sendText();
    // The body the message gets: the item's "body" when set, else built and stored there.
    std::string messageBody();

    void messageComposeViewController(mui::MessageComposeViewController& controller,
                                      mui::MessageComposeResult result) override;

    std::string className() const override { return "SHKTextMessage"; }

protected:
    SHKTextMessage() = default;
    friend ns::Factory<SHKTextMessage>;

private:
    ns::Ref<SHKTextMessage> m_composerHold;
};

class SHKTextMessageClass : public SHKSharerClass
{
public:
    // "SMS" in every language.
    std::string sharerTitle() const override { return "SMS"; }
    bool canShareURL() const override { return true; }
    bool canShareText() const override { return true; }
    bool shareRequiresInternetConnection() const override { return false; }
    bool requiresAuthentication() const override { return false; }
    // The device can send text messages.
    bool canShare() const override { return mui::MessageComposeViewController::canSendText(); }
};
