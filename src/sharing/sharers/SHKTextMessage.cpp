#include "sharing/sharers/SHKTextMessage.h"

#include "foundation/RunLoop.h"
#include "foundation/String.h"
#include "foundation/URL.h"
#include "sharing/core/SHK.h"
#include "sharing/core/SHKLocalizedText.h"
#include "sharing/sharers/SHKDeviceSharers.h"

bool SHKTextMessage::send()
{
    setQuiet(true);
    if (!validateItem())
        return false;
    return sendText();
}

std::string SHKTextMessage::messageBody()
{
    auto item = this->item();
    if (auto stored = ns::cast<ns::String>(item->customValueForKey("body")))
        return stored->str();
    // Plain text: the address goes as it is, on a line of its own after the text.
    std::string body = item->text().value_or(std::string());
    if (item->URL()) {
        if (!body.empty())
            body += '\n';
        body += item->URL()->absoluteString();
    }
    item->setCustomValue(ns::String::make(body), "body");
    return body;
}

bool SHKTextMessage::sendText()
{
    auto composer = mui::MessageComposeViewController::create();
    if (!composer) {
        SHKDeviceSharerFailed(*this);
        return true;
    }
    m_composerHold = self<SHKTextMessage>();
    composer->setMessageComposeDelegate(
        std::static_pointer_cast<mui::MessageComposeViewControllerDelegate>(m_composerHold));
    composer->setBody(messageBody());
    SHK::currentHelper()->showViewController(composer);
    return true;
}

void SHKTextMessage::messageComposeViewController(mui::MessageComposeViewController&,
                                                  mui::MessageComposeResult result)
{
    auto keep = self<SHKTextMessage>();
    switch (result) {
    case mui::MessageComposeResult::Cancelled:
        sendDidCancel();
        break;
    case mui::MessageComposeResult::Sent:
        sendDidFinish();
        break;
    case mui::MessageComposeResult::Failed:
        SHKDeviceSharerFailed(*this);
        break;
    }
    SHK::currentHelper()->hideCurrentViewControllerAnimated(true);
    ns::RunLoop::main().post([hold = std::move(m_composerHold)] {});
    m_composerHold.reset();
}
