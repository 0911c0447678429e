#pragma once

#include "foundation/Data.h"
#include "foundation/Error.h"
#include "uikit/ViewController.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ui {
class Label;
class TextView;
} // namespace ui

// The device's mail and message composers. The user sends or cancels; what is sent is handed to the device
// as a file under Device/Mail or Device/Messages.
namespace mui {

enum class MailComposeResult { Cancelled = 0, Saved = 1, Sent = 2, Failed = 3 };

class MailComposeViewController;

class MailComposeViewControllerDelegate
{
public:
    virtual ~MailComposeViewControllerDelegate() = default;
    virtual void mailComposeController(MailComposeViewController& controller, MailComposeResult result,
                                       const ns::Ref<ns::Error>& error) = 0;
};

class MailComposeViewController : public ui::ViewController
{
public:
    // Whether the device has a mail account; settable for tests and scripted runs.
    static bool canSendMail();
    static void setCanSendMail(bool can);
    // Nothing when the device cannot send mail, as the platform's initialiser gives nil.
    static ns::Ref<MailComposeViewController> create();

    void setMailComposeDelegate(std::weak_ptr<MailComposeViewControllerDelegate> delegate)
    {
        m_delegate = std::move(delegate);
    }
    void setToRecipients(std::vector<std::string> recipients) { m_to = std::move(recipients); }
    void setCcRecipients(std::vector<std::string> recipients) { m_cc = std::move(recipients); }
    void setSubject(std::string subject) { m_subject = std::move(subject); }
    void setMessageBody(std::string body, bool isHTML);
    void addAttachmentData(ns::Ref<ns::Data> data, std::string mimeType, std::string fileName);

    const std::vector<std::string>& toRecipients() const { return m_to; }
    const std::string& subject() const { return m_subject; }
    const std::string& body() const { return m_body; }
    bool isHTML() const { return m_isHTML; }

    // The two buttons of the composer's bar.
    void send();
    void cancel();
    // The message as written to the device: RFC 5322, MIME multipart for an HTML body or attachments.
    std::string messageText() const;
    // Where the last sent mail went; empty before.
    const std::string& sentPath() const { return m_sentPath; }

    // Called once this composer's view has gone.
    std::function<void()> onDidDisappear;
    // Called after the did-disappear of every composer of this class, as an extra step added to the class
    // (the sharing framework adds one, once per process); an empty function takes it away.
    using DidDisappearHook = std::function<void(MailComposeViewController& composer, bool animated)>;
    static void setDidDisappearHook(DidDisappearHook hook);
    static bool hasDidDisappearHook();

    void loadView() override;
    void viewDidDisappear(bool animated) override;
    std::string className() const override { return "MFMailComposeViewController"; }

protected:
    MailComposeViewController() = default;
    friend ns::Factory<MailComposeViewController>;

private:
    struct Attachment
    {
        ns::Ref<ns::Data> data;
        std::string mimeType;
        std::string fileName;
    };
    void finish(MailComposeResult result, const ns::Ref<ns::Error>& error);

    std::weak_ptr<MailComposeViewControllerDelegate> m_delegate;
    std::vector<std::string> m_to;
    std::vector<std::string> m_cc;
    std::string m_subject;
    std::string m_body;
    bool m_isHTML = false;
    std::vector<Attachment> m_attachments;
    std::string m_sentPath;
};

// The first free "NNNN.ext" in a folder of the device, from 0001; the folder is made when missing.
std::string nextDeviceFile(const std::string& folder, const std::string& extension);

} // namespace mui
