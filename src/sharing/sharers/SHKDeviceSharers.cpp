#include "sharing/sharers/SHKDeviceSharers.h"

#include "foundation/Error.h"
#include "sharing/core/SHK.h"
#include "sharing/core/SHKLocalizedText.h"

#include "sharing/sharers/SHKCopy.h"
#include "sharing/sharers/SHKLogout.h"
#include "sharing/sharers/SHKMail.h"
#include "sharing/sharers/SHKPhotoAlbum.h"
#include "sharing/sharers/SHKPrint.h"
#include "sharing/sharers/SHKSafari.h"
#include "sharing/sharers/SHKTextMessage.h"
#include "sharing/sharers/SHKiOS5Twitter.h"
#include "uikit/AlertView.h"

void SHKRegisterDeviceSharers()
{
    SHKSharerClass::registerSharer<SHKPrint, SHKPrintClass>("SHKPrint");
    SHKSharerClass::registerSharer<SHKLogout, SHKLogoutClass>("SHKLogout");
    SHKSharerClass::registerSharer<SHKCopy, SHKCopyClass>("SHKCopy");
    SHKSharerClass::registerSharer<SHKMail, SHKMailClass>("SHKMail");
    SHKSharerClass::registerSharer<SHKSafari, SHKSafariClass>("SHKSafari");
    SHKSharerClass::registerSharer<SHKPhotoAlbum, SHKPhotoAlbumClass>("SHKPhotoAlbum");
    SHKSharerClass::registerSharer<SHKTextMessage, SHKTextMessageClass>("SHKTextMessage");
    SHKiOS5Twitter::registerClass();
}

void SHKDeviceSharerFailed(SHKSharer& sharer, const ns::Ref<ns::Error>& error)
{
    auto reported =
        error ? error : SHK::errorWithDescription(SHKLookupLocalizedText("There was an error while sharing"));
    std::string message = reported->localizedDescription();
    if (message.empty())
        message = SHKLookupLocalizedText("There was an error while sharing");
    ui::AlertView::create(sharer.sharerTitle(), message, nullptr, SHKLookupLocalizedText("Close"))->show();
    sharer.sendDidFailWithError(reported);
}
