#include "sharing/sharers/SHKCopy.h"

#include "foundation/URL.h"
#include "sharing/core/SHK.h"
#include "sharing/core/SHKLocalizedText.h"
#include "sharing/sharers/SHKDeviceSharers.h"
#include "sharing/ui/SHKActivityIndicator.h"
#include "uikit/Pasteboard.h"

std::string SHKCopyClass::sharerTitle() const
{
    return SHKLookupLocalizedText("Copy");
}

bool SHKCopy::send()
{
    auto item = this->item();
    auto pasteboard = ui::Pasteboard::generalPasteboard();
    bool copied = false;
    switch (item ? item->shareType() : SHKShareTypeUndefined) {
    case SHKShareTypeURL:
        if (item->URL()) {
            pasteboard->setString(item->URL()->absoluteString());
            copied = true;
        }
        break;
    case SHKShareTypeImage:
        if (item->image()) {
            placeImageOnPasteboard();
            copied = true;
        }
        break;
    case SHKShareTypeText:
        if (item->text()) {
            pasteboard->setString(item->text());
            copied = true;
        }
        break;
    default:
        break;
    }
    setQuiet(true);
    // A file, or an item without what its type promises, puts nothing on the pasteboard: that is no copy.
    if (!copied) {
        SHKDeviceSharerFailed(*this);
        return true;
    }
    SHKActivityIndicator::currentIndicator()->displayCompleted(SHKLookupLocalizedText("Copied!"));
    sendDidFinish();
    return true;
}

void SHKCopy::placeImageOnPasteboard()
{
    if (auto item = this->item())
        ui::Pasteboard::generalPasteboard()->setImage(item->image());
}
