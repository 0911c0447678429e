#include "sharing/sharers/SHKSafari.h"

#include "sharing/core/SHK.h"
#include "sharing/core/SHKLocalizedText.h"
#include "sharing/sharers/SHKDeviceSharers.h"
#include "uikit/Application.h"

std::string SHKSafariClass::sharerTitle() const
{
    return SHKLookupLocalizedText("Open in Safari");
}

bool SHKSafari::send()
{
    setQuiet(true);
    auto item = this->item();
    // A browser that cannot take the address has opened nothing.
    if (!item || !ui::Application::sharedApplication().openURL(item->URL())) {
        SHKDeviceSharerFailed(*this);
        return true;
    }
    sendDidFinish();
    return true;
}
