#include "sharing/sharer/SHKSharerDelegate.h"

#include "foundation/Error.h"
#include "sharing/core/SHKLocalizedText.h"
#include "sharing/sharer/SHKSharer.h"
#include "sharing/ui/SHKActivityIndicator.h"
#include "uikit/AlertView.h"

void SHKSharerDelegate::sharerStartedSending(SHKSharer& sharer)
{
    if (!sharer.quiet())
        SHKActivityIndicator::currentIndicator()->displayActivity(
            SHKFormatLocalizedText("Saving to %@", sharer.sharerClass().sharerTitle()));
}

void SHKSharerDelegate::sharerFinishedSending(SHKSharer& sharer)
{
    if (!sharer.quiet())
        SHKActivityIndicator::currentIndicator()->displayCompleted(SHKLookupLocalizedText("Saved!"));
}

void SHKSharerDelegate::sharerFailedWithError(SHKSharer& sharer, const ns::Ref<ns::Error>&,
                                              bool shouldRelogin)
{
    // An overlay a quiet sharer did not start may still be showing another send's progress: it goes too.
    SHKActivityIndicator::currentIndicator()->hide();
    SHKSharerPendingAction action = sharer.pendingAction();
    // With these actions a login follows at once; an alert would only stand in its way.
    if (!sharer.quiet() && action != SHKAwaitShare && action != SHKAwaitResend) {
        const auto& error = sharer.lastError();
        std::string message = error ? error->localizedDescription()
                                    : SHKLookupLocalizedText("There was an error while sharing");
        ui::AlertView::create(SHKLookupLocalizedText("Error"), message, nullptr,
                              SHKLookupLocalizedText("Close"))
            ->show();
    }
    if (shouldRelogin)
        sharer.promptAuthorization();
}
