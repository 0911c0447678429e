#pragma once

#include "foundation/Data.h"
#include "foundation/Error.h"
#include "system/ComposeViewController.h"

#include <functional>
#include <string>
#include <vector>

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

struct MailAttachment
{
    ns::Ref<ns::Data> data;
    std::string mimeType;
    std::string fileName;
};

// The mail composer. A sent mail lands in Device/Mail, a saved draft in Device/Mail/Drafts.
class MailComposeViewController : public ComposeViewController
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
    const std::vector<std::string>& ccRecipients() const { return m_cc; }
    const std::string& subject() const { return m_subject; }
    const std::string& body() const { return m_body; }
    bool isHTML() const { return m_isHTML; }
    const std::vector<MailAttachment>& attachments() const { return m_attachments; }

    // The user's choices: Send, Cancel, and the others a test or script can drive. Sent writes the mail
    // (a failed write reports Failed with its error), Saved writes a draft, Failed reports a send that did
    // not go, with an error.
    void send() override { finishWithResult(MailComposeResult::Sent); }
    void cancel() override { finishWithResult(MailComposeResult::Cancelled); }
    void finishWithResult(MailComposeResult result);
    // The message as written to the device: RFC 5322, MIME multipart for an HTML body or attachments.
    std::string messageText() const;

    // Called after the did-disappear of every composer of this class, as an extra step added to the class
    // (the sharing framework adds one, once per process); an empty function takes it away.
    using DidDisappearHook = std::function<void(MailComposeViewController& composer, bool animated)>;
    static void setDidDisappearHook(DidDisappearHook hook);
    static bool hasDidDisappearHook();

    std::string className() const override { return "MFMailComposeViewController"; }

protected:
    MailComposeViewController() = default;
    friend ns::Factory<MailComposeViewController>;

    std::vector<ComposeHeaderLine> headerLines() const override;
    // An HTML body shows as its text.
    std::string bodyText() const override;
    void takeEdits(const std::vector<std::string>& values, const std::string& body) override;
    void runClassStep(bool animated) override;

private:
    std::weak_ptr<MailComposeViewControllerDelegate> m_delegate;
    std::vector<std::string> m_to;
    std::vector<std::string> m_cc;
    std::string m_subject;
    std::string m_body;
    bool m_isHTML = false;
    std::vector<MailAttachment> m_attachments;
};

} // namespace mui
