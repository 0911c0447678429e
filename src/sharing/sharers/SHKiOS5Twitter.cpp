#include "sharing/sharers/SHKiOS5Twitter.h"

#include "foundation/NotificationCenter.h"
#include "foundation/OperationQueue.h"
#include "foundation/Text.h"
#include "sharing/core/SHK.h"
#include "sharing/core/SHKLocalizedText.h"

#include <algorithm>

namespace {

// The most the sheet is first offered of the text.
constexpr std::size_t MaximumTextLength = 140;

} // namespace

void SHKiOS5Twitter::registerClass()
{
    SHKSharerClass::registerSharer<SHKiOS5Twitter, SHKiOS5TwitterClass>("SHKiOS5Twitter");
}

std::string SHKiOS5TwitterClass::sharerTitle() const
{
    return SHKLookupLocalizedText("Twitter");
}

ns::Ref<SHKiOS5Twitter> SHKiOS5Twitter::shareItem(const ns::Ref<SHKItem>& item)
{
    auto sharer = create();
    sharer->loadItem(item);
    sharer->share();
    return sharer;
}

SHKiOS5Twitter::~SHKiOS5Twitter()
{
    ns::NotificationCenter::defaultCenter().removeObserver(this);
}

void SHKiOS5Twitter::share()
{
    if (SHK::currentHelper()->currentView()) {
        if (m_waitHold)
            return;
        ns::NotificationCenter::defaultCenter().addObserver(
            this, SHKHideCurrentViewFinishedNotification, nullptr,
            [this](const ns::Notification& notification) { callUI(notification); });
        m_waitHold = self<SHKiOS5Twitter>();
        return;
    }
    presentUI();
}

void SHKiOS5Twitter::callUI(const ns::Notification&)
{
    ns::NotificationCenter::defaultCenter().removeObserver(this, SHKHideCurrentViewFinishedNotification);
    // Held until presentUI has returned: the sheet's completion holds the sharer from then on.
    auto hold = std::move(m_waitHold);
    m_waitHold = nullptr;
    presentUI();
}

void SHKiOS5Twitter::presentUI()
{
    auto item = this->item();
    if (!item || item->shareType() == SHKShareTypeAccountInfo)
        return;
    auto sheet = tw::TweetComposeViewController::create();
    if (!sheet) {
        // Only the micro-blogging sharer starts this one, and only where the device has the sheet; a
        // device without it fails the share rather than leaving it open.
        sendDidFailWithError(
            SHK::errorWithDescription(SHKLookupLocalizedText("There was an error while sharing")));
        return;
    }
    if (item->image())
        sheet->addImage(item->image());
    if (item->URL())
        sheet->addURL(item->URL());

    const auto& source = item->shareType() == SHKShareTypeText ? item->text() : item->title();
    std::string text = source.value_or(std::string());
    std::size_t n = std::min(ns::utf16Length(text), MaximumTextLength);
    while (!sheet->setInitialText(ns::utf16Prefix(text, n)) && n > 0)
        --n;

    auto me = self<SHKiOS5Twitter>();
    sheet->setCompletionHandler(
        [me](tw::TweetComposeViewControllerResult result) { me->sheetFinished(result); });
    setCurrentTopViewController(SHK::currentHelper()->rootViewForCustomUIDisplay());
    if (auto top = currentTopViewController())
        top->presentViewController(sheet, true);
}

void SHKiOS5Twitter::sheetFinished(tw::TweetComposeViewControllerResult result)
{
    if (auto top = currentTopViewController()) {
        top->dismissViewControllerAnimated(true, [] {
            ns::OperationQueue::mainQueue().addOperationWithBlock([] {
                ns::NotificationCenter::defaultCenter().postNotification(
                    SHKHideCurrentViewFinishedNotification);
            });
        });
    }
    switch (result) {
    case tw::TweetComposeViewControllerResult::Done:
        sendDidFinish();
        break;
    case tw::TweetComposeViewControllerResult::Cancelled:
        sendDidCancel();
        break;
    }
}
