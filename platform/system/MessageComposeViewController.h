#pragma once

#include "system/ComposeViewController.h"

#include <functional>
#include <string>
#include <vector>

namespace mui {

enum class MessageComposeResult { Cancelled = 0, Sent = 1, Failed = 2 };

class MessageComposeViewController;

class MessageComposeViewControllerDelegate
{
public:
    virtual ~MessageComposeViewControllerDelegate() = default;
    virtual void messageComposeViewController(MessageComposeViewController& controller,
                                              MessageComposeResult result) = 0;
};

// The text-message composer. A sent message lands in Device/Messages.
class MessageComposeViewController : public ComposeViewController
{
public:
    // Whether the class exists on this device (it is weakly linked) and whether it can send text.
    static bool isAvailable();
    static void setAvailable(bool available);
    static bool canSendText();
    static void setCanSendText(bool can);
    // Nothing when the device cannot send text.
    static ns::Ref<MessageComposeViewController> create();

    void setMessageComposeDelegate(std::weak_ptr<MessageComposeViewControllerDelegate> delegate)
    {
        m_delegate = std::move(delegate);
    }
    void setRecipients(std::vector<std::string> recipients) { m_recipients = std::move(recipients); }
    void setBody(std::string body) { m_body = std::move(body); }
    const std::vector<std::string>& recipients() const { return m_recipients; }
    const std::string& body() const { return m_body; }

    // The user's choices: Send, Cancel, and a failed send that a test or script can drive. Sent writes
    // the message; a failed write reports Failed.
    void send() override { finishWithResult(MessageComposeResult::Sent); }
    void cancel() override { finishWithResult(MessageComposeResult::Cancelled); }
    void finishWithResult(MessageComposeResult result);

    // Called after the did-disappear of every composer of this class, as an extra step added to the class
    // (the sharing framework adds one, once per process); an empty function takes it away.
    using DidDisappearHook = std::function<void(MessageComposeViewController& composer, bool animated)>;
    static void setDidDisappearHook(DidDisappearHook hook);
    static bool hasDidDisappearHook();

    std::string className() const override { return "MFMessageComposeViewController"; }

protected:
    MessageComposeViewController() = default;
    friend ns::Factory<MessageComposeViewController>;

    std::vector<ComposeHeaderLine> headerLines() const override;
    std::string bodyText() const override { return m_body; }
    void takeEdits(const std::vector<std::string>& values, const std::string& body) override;
    void runClassStep(bool animated) override;

private:
    std::weak_ptr<MessageComposeViewControllerDelegate> m_delegate;
    std::vector<std::string> m_recipients;
    std::string m_body;
};

} // namespace mui
