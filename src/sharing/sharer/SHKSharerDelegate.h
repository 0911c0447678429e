#pragma once

#include "sharing/sharer/SHKSharerDelegateProtocol.h"

// What the user sees of a share by default: the progress overlay while sending, a check mark when done,
// an error alert on failure, and the login again when the service asked for it. Quiet sharers show
// nothing. It keeps no state: everything comes from the reporting sharer.
class SHKSharerDelegate : public ns::Object, public SHKSharerDelegateProtocol
{
public:
    static ns::Ref<SHKSharerDelegate> create() { return ns::Factory<SHKSharerDelegate>::make(); }

    // "Saving to <title>" on the overlay.
    void sharerStartedSending(SHKSharer& sharer) override;
    // "Saved!" on the overlay.
    void sharerFinishedSending(SHKSharer& sharer) override;
    // Hides the overlay (quiet or not); the "Error" alert unless quiet or a login follows (pending action
    // share or resend); the login again when asked.
    void sharerFailedWithError(SHKSharer& sharer, const ns::Ref<ns::Error>& error,
                               bool shouldRelogin) override;
    void sharerCancelledSending(SHKSharer&) override {}
    void sharerAuthDidFinish(SHKSharer&, bool) override {}

    std::string className() const override { return "SHKSharerDelegate"; }

protected:
    SHKSharerDelegate() = default;
    friend ns::Factory<SHKSharerDelegate>;
};
