#pragma once

#include "uikit/ViewController.h"

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

// The text-message composer.
class MessageComposeViewController : public ui::ViewController
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

    void send();
    void cancel();
    const std::string& sentPath() const { return m_sentPath; }

    // Called once this composer's view has gone.
    std::function<void()> onDidDisappear;
    // Called after the did-disappear of every composer of this class, as an extra step added to the class
    // (the sharing framework adds one, once per process); an empty function takes it away.
    using DidDisappearHook = std::function<void(MessageComposeViewController& composer, bool animated)>;
    static void setDidDisappearHook(DidDisappearHook hook);
    static bool hasDidDisappearHook();

    void loadView() override;
    void viewDidDisappear(bool animated) override;
    std::string className() const override { return "MFMessageComposeViewController"; }

protected:
    MessageComposeViewController() = default;
    friend ns::Factory<MessageComposeViewController>;

private:
    void finish(MessageComposeResult result);

    std::weak_ptr<MessageComposeViewControllerDelegate> m_delegate;
    std::vector<std::string> m_recipients;
    std::string m_body;
    std::string m_sentPath;
};

} // namespace mui
