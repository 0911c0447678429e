#include "Registrations.h"

#include "board/VelmoAppDelegate.h"
#include "notes/sharer/SHKEvernote.h"
#include "sharing/sharers/SHKDeviceSharers.h"
#include "system/BannerView.h"
#include "uikit/PrintInteractionController.h"
#include "webservices/sharers/SHKWebServiceSharers.h"
#include "webservices/sharers/facebook/SHKFacebook.h"

namespace velmo {

// The system's libraries join here as they are built (static libraries drop self-registering objects,
// so each is registered by an explicit call).
void registerApplicationClasses()
{
    ad::registerBannerClass();
    ui::registerPrintClass();
    registerBoardClasses();
    SHKRegisterDeviceSharers();
    SHKFacebook::registerClass();
    registerNoteClasses();
    registerWebServiceSharers();
}

} // namespace velmo
