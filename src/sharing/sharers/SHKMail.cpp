#include "sharing/sharers/SHKMail.h"

#include "foundation/Escaping.h"
#include "foundation/Number.h"
#include "foundation/RunLoop.h"
#include "foundation/String.h"
#include "foundation/URL.h"
#include "sharing/core/SHK.h"
#include "sharing/core/SHKConfiguration.h"
#include "sharing/core/SHKLocalizedText.h"
#include "sharing/sharers/SHKDeviceSharers.h"
#include "uikit/Color.h"
#include "uikit/Image.h"
#include "uikit/NavigationBar.h"

namespace {

std::string html(std::string_view text)
{
    std::string out;
    ns::appendXMLEscaped(out, text, true);
    return out;
}

// Parts of the body follow one another with a blank line between.
void appendPart(std::string& body, const std::string& part)
{
    if (!body.empty())
        body += "<br/><br/>";
    body += part;
}

} // namespace

std::string SHKMailClass::sharerTitle() const
{
    return SHKLookupLocalizedText("Email");
}

bool SHKMail::send()
{
    setQuiet(true);
    if (!validateItem())
        return false;
    return sendMail();
}

std::string SHKMail::mailBody()
{
    auto item = this->item();
    if (auto stored = ns::cast<ns::String>(item->customValueForKey("body")))
        return stored->str();
    // The body is HTML: the text and the address are escaped, and the address goes as it is, since
    // decoding its escapes would change it.
    std::string body;
    if (item->text())
        body += html(*item->text());
    if (item->URL())
        appendPart(body, html(item->URL()->absoluteString()));
    if (item->data()) {
        std::string name = item->title() ? *item->title() : item->filename().value_or(std::string());
        appendPart(body, html(SHKFormatLocalizedText("Attached: %@", name)));
    }
    if (SHKConfiguration::boolValue("sharedWithSignature")) {
        body += "<br/><br/>";
        body +=
            html(SHKFormatLocalizedText("Sent from %@", SHKConfiguration::textValue("appName").value_or("")));
    }
    item->setCustomValue(ns::String::make(body), "body");
    return body;
}

bool SHKMail::sendMail()
{
    auto composer = mui::MailComposeViewController::create();
    if (!composer) {
        // No mail account: the share ends with a failure rather than without a word.
        SHK::currentHelper()->hideCurrentViewControllerAnimated(true);
        SHKDeviceSharerFailed(*this);
        return true;
    }
    m_composerHold = self<SHKMail>();
    composer->setMailComposeDelegate(
        std::static_pointer_cast<mui::MailComposeViewControllerDelegate>(m_composerHold));
    if (auto tint = ns::cast<ui::Color>(
            SHKConfiguration::sharedInstance()->configurationValue("barTintForView:", composer)))
        composer->navigationBar()->setTintColor(tint);

    auto item = this->item();
    std::string body = mailBody();
    if (item->data())
        composer->addAttachmentData(item->data(), item->mimeType().value_or(std::string()),
                                    item->filename().value_or(std::string()));
    if (item->image()) {
        float quality = 1.0f;
        if (auto number = ns::cast<ns::Number>(item->customValueForKey("jpgQuality")))
            quality = float(number->doubleValue());
        composer->addAttachmentData(ui::ImageJPEGRepresentation(item->image(), quality), "image/jpeg",
                                    "Image.jpg");
    }
    composer->setSubject(item->title().value_or(std::string()));
    composer->setMessageBody(body, true);
    SHK::currentHelper()->showViewController(composer);
    return true;
}

void SHKMail::mailComposeController(mui::MailComposeViewController&, mui::MailComposeResult result,
                                    const ns::Ref<ns::Error>&)
{
    auto keep = self<SHKMail>();
    SHK::currentHelper()->hideCurrentViewControllerAnimated(true);
    switch (result) {
    case mui::MailComposeResult::Cancelled:
        sendDidCancel();
        break;
    case mui::MailComposeResult::Saved:
    case mui::MailComposeResult::Sent:
        sendDidFinish();
        break;
    case mui::MailComposeResult::Failed:
        SHKDeviceSharerFailed(*this);
        break;
    }
    // The hold ends once the run loop turns, never under the composer's own call.
    ns::RunLoop::main().post([hold = std::move(m_composerHold)] {});
    m_composerHold.reset();
}
