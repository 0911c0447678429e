#pragma once

#include "foundation/OperationQueue.h"
#include "foundation/RunLoop.h"
#include "sharing/sharer/SHKSharerDelegateProtocol.h"

#include <atomic>
#include <mutex>
#include <string>

class SHKItem;
class SHKSharer;

// One queued share sent again: an operation of the facade's offline queue that rebuilds the sharer from
// its id on the main thread, gives it the item back (with the image or file bytes from the entry's data
// file), makes itself the sharer's delegate and tries to send in quiet mode, then waits on its own run
// loop for the sharer's report. The entry leaves the queue only when the sharer reports that it finished.
class SHKOfflineSharer : public ns::Operation, public SHKSharerDelegateProtocol
{
public:
    static ns::Ref<SHKOfflineSharer> create(ns::Ref<SHKItem> item, std::string sharerId, std::string uid);

    const ns::Ref<SHKItem>& item() const { return m_item; }
    const std::string& sharerId() const { return m_sharerId; }
    const std::string& uid() const { return m_uid; }
    bool readyToFinish() const { return m_readyToFinish; }
    // The sharer made for the resend; set and read on the main thread.
    const ns::Ref<SHKSharer>& sharer() const { return m_sharer; }
    // Whether the sharer reported that it finished and the entry left the queue.
    bool sent() const { return m_sent; }

    // The operation's body, on a thread of the queue.
    void main() override;
    // On the main thread: the resend itself.
    void share();
    // Neither cancelled nor finished nor told to finish.
    bool shouldRun() const;
    // Lets the waiting run loop end the operation; from any thread.
    void finish();

    void sharerStartedSending(SHKSharer&) override {}
    void sharerFinishedSending(SHKSharer& sharer) override;
    void sharerFailedWithError(SHKSharer& sharer, const ns::Ref<ns::Error>& error,
                               bool shouldRelogin) override;
    void sharerCancelledSending(SHKSharer& sharer) override;
    void sharerAuthDidFinish(SHKSharer&, bool) override {}

    std::string className() const override { return "SHKOfflineSharer"; }

protected:
    SHKOfflineSharer(ns::Ref<SHKItem> item, std::string sharerId, std::string uid);
    friend ns::Factory<SHKOfflineSharer>;

private:
    // The sharer reported: it lets go of this operation, and the operation ends.
    void sharerDidReport(SHKSharer& sharer);
    // On the main thread, once: the entry is no longer under way, and the operation may end.
    void end();
    // Where the entry's data file is.
    std::string dataPath() const;

    ns::Ref<SHKItem> m_item;
    std::string m_sharerId;
    std::string m_uid;
    std::atomic<bool> m_readyToFinish{false};
    std::atomic<bool> m_sent{false};
    bool m_ended = false; // main thread
    std::mutex m_runLoopMutex;
    ns::RunLoop::Handle m_runLoopThread;
    ns::Ref<SHKSharer> m_sharer;
};
