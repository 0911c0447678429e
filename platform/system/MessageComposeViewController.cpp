#include "system/MessageComposeViewController.h"

#include "foundation/FileManager.h"
#include "foundation/Text.h"

#include <atomic>

namespace mui {
namespace {

std::atomic<bool> g_available{true};
std::atomic<bool> g_canSendText{true};

} // namespace

bool MessageComposeViewController::isAvailable()
{
    return g_available;
}
void MessageComposeViewController::setAvailable(bool available)
{
    g_available = available;
}
bool MessageComposeViewController::canSendText()
{
    return g_available && g_canSendText;
}
void MessageComposeViewController::setCanSendText(bool can)
{
    g_canSendText = can;
}

ns::Ref<MessageComposeViewController> MessageComposeViewController::create()
{
    if (!canSendText())
        return nullptr;
    auto composer = ns::Factory<MessageComposeViewController>::make();
    composer->setUpScreen();
    return composer;
}

void MessageComposeViewController::finishWithResult(MessageComposeResult result)
{
    auto keep = self<MessageComposeViewController>();
    takeScreen();
    if (result == MessageComposeResult::Sent) {
        std::string text = "To: ";
        text += ns::join(m_recipients, ", ");
        text += "\n\n";
        text += m_body;
        text += '\n';
        if (!deliver("Messages", "txt", text, nullptr))
            result = MessageComposeResult::Failed;
    }
    if (auto delegate = m_delegate.lock())
        delegate->messageComposeViewController(*this, result);
    else
        closeUnheard();
}

std::vector<ComposeHeaderLine> MessageComposeViewController::headerLines() const
{
    return {{"To:", ns::join(m_recipients, ", ")}};
}

void MessageComposeViewController::takeEdits(const std::vector<std::string>& values, const std::string& body)
{
    if (values.size() == 1)
        m_recipients = recipientsOnLine(values[0]);
    m_body = body;
}

namespace {

// Set from the main thread, like every view matter; read when a composer's view goes.
MessageComposeViewController::DidDisappearHook& didDisappearHook()
{
    static MessageComposeViewController::DidDisappearHook hook;
    return hook;
}

} // namespace

void MessageComposeViewController::setDidDisappearHook(DidDisappearHook hook)
{
    didDisappearHook() = std::move(hook);
}

bool MessageComposeViewController::hasDidDisappearHook()
{
    return bool(didDisappearHook());
}

void MessageComposeViewController::runClassStep(bool animated)
{
    if (auto hook = didDisappearHook())
        hook(*this, animated);
}

} // namespace mui
