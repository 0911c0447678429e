#include "system/MessageComposeViewController.h"

#include "foundation/FileManager.h"
#include "foundation/Text.h"
#include "system/ComposerView.h"
#include "system/MailComposeViewController.h"

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
    return ns::Factory<MessageComposeViewController>::make();
}

void MessageComposeViewController::send()
{
    std::string path = nextDeviceFile("Messages", "txt");
    std::string text = "To: " + ns::join(m_recipients, ", ") + "\n\n" + m_body + "\n";
    if (!ns::FileManager::writeAtomically(path, text)) {
        finish(MessageComposeResult::Failed);
        return;
    }
    m_sentPath = path;
    finish(MessageComposeResult::Sent);
}

void MessageComposeViewController::cancel()
{
    finish(MessageComposeResult::Cancelled);
}

void MessageComposeViewController::finish(MessageComposeResult result)
{
    auto keep = self<MessageComposeViewController>();
    if (auto delegate = m_delegate.lock())
        delegate->messageComposeViewController(*this, result);
    else
        dismissModalViewControllerAnimated(true);
}

void MessageComposeViewController::loadView()
{
    auto weak = weakSelf<MessageComposeViewController>();
    setView(makeComposerView(
        "New Message", {{"To:", ns::join(m_recipients, ", ")}}, m_body, shared_from_this(),
        [weak] {
            if (auto me = weak.lock())
                me->cancel();
        },
        [weak] {
            if (auto me = weak.lock())
                me->send();
        }));
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

void MessageComposeViewController::viewDidDisappear(bool animated)
{
    auto keep = self<MessageComposeViewController>();
    ui::ViewController::viewDidDisappear(animated);
    if (onDidDisappear)
        onDidDisappear();
    if (auto hook = didDisappearHook())
        hook(*this, animated);
}

} // namespace mui
