#include "webservices/sharers/foursquare/SHKFoursquareV2CheckInForm.h"

#include "sharing/core/SHKLocalizedText.h"
#include "uikit/BarButtonItem.h"
#include "uikit/NavigationItem.h"

void SHKFoursquareV2CheckInForm::setupBarButtonItems()
{
    auto weak = weakSelf<SHKFoursquareV2CheckInForm>();
    navigationItem()->setRightBarButtonItem(
        ui::BarButtonItem::withTitle(SHKLookupLocalizedText("Check In"), ui::BarButtonItemStyle::Done,
                                     shared_from_this(), [weak](const ns::Id&) {
                                         if (auto form = weak.lock())
                                             form->save();
                                     }));
}
