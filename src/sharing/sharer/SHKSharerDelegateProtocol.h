#pragma once

#include "foundation/Object.h"

namespace ns {
class Error;
}
class SHKSharer;

// What a sharer tells about its send, on the main thread, always with itself first. The default
// implementation is the class SHKSharerDelegate; the offline queue's operation puts itself in its place
// for the sharers it drives.
class SHKSharerDelegateProtocol
{
public:
    virtual ~SHKSharerDelegateProtocol() = default;

    virtual void sharerStartedSending(SHKSharer& sharer) = 0;
    virtual void sharerFinishedSending(SHKSharer& sharer) = 0;
    // sharer:failedWithError:shouldRelogin: (named after its second keyword too, since a delegate that
    // holds a sharer answers `sharer()` already).
    virtual void sharerFailedWithError(SHKSharer& sharer, const ns::Ref<ns::Error>& error,
                                       bool shouldRelogin) = 0;
    virtual void sharerCancelledSending(SHKSharer& sharer) = 0;
    // Optional: a delegate that does not answer it is told nothing, as a delegate that ignores it.
    virtual void sharerAuthDidFinish(SHKSharer&, bool /*success*/) {}
};
