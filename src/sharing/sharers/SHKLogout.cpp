#include "sharing/sharers/SHKLogout.h"

#include "sharing/core/SHK.h"
#include "sharing/core/SHKLocalizedText.h"
#include "sharing/ui/SHKActivityIndicator.h"

std::string SHKLogoutClass::sharerTitle() const
{
    return SHKLookupLocalizedText("Logout");
}

bool SHKLogout::send()
{
    SHK::logoutOfAll();
    SHKActivityIndicator::currentIndicator()->displayCompleted(SHKLookupLocalizedText("Logged Out!"));
    setQuiet(true);
    sendDidFinish();
    return true;
}
