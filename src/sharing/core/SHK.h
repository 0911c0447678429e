#pragma once

#include "foundation/Error.h"
#include "foundation/Format.h"
#include "foundation/OperationQueue.h"
#include "sharing/core/SHKItem.h"
#include "uikit/Toolbar.h"
#include "uikit/ViewController.h"

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ns {
class Array;
class Dictionary;
class MutableArray;
} // namespace ns
class SHKOfflineSharer;
namespace ui {
class Window;
}

// Posted (object none) on the main thread once a dismissal through the presenting controller has ended.
inline constexpr const char* SHKHideCurrentViewFinishedNotification = "SHKHideCurrentViewFinished";

// The sharing framework's facade: one object for the process, and class-level operations that every part
// of the framework and every sharer goes through. It presents the framework's screens one at a time over
// the application's root controller (a second one waits until the first has gone), keeps the favourite
// sharers per share type in the user defaults, keeps credentials in the keychain, makes the framework's
// errors, and tells whether the device is online.
class SHK : public ns::Object
{
public:
    // The one facade, made on first use and kept for the life of the process.
    static ns::Ref<SHK> currentHelper();
    // The controller to present from (not retained), set by the application.
    static void setRootViewController(const ns::Ref<ui::ViewController>& controller);

    // Presentation. Every screen of the framework is shown and hidden here and reports here, through
    // viewWasDismissed, when its view has gone.
    void showViewController(const ns::Ref<ui::ViewController>& controller);
    void hideCurrentViewControllerAnimated(bool animated);
    void hideCurrentViewController() { hideCurrentViewControllerAnimated(true); }
    void viewWasDismissed();
    void showPendingView();
    // A waiting screen that has already done its work (a sign-in view that reported before it could be
    // shown) is not shown after all.
    void forgetPendingView(const ui::ViewController& controller);
    // The top-most controller above the current root, for a sharer that presents a platform screen itself.
    ns::Ref<ui::ViewController> rootViewForCustomUIDisplay();
    // The controller's modally presented controller, and that one's, until one presents nothing.
    ns::Ref<ui::ViewController> getTopViewController(const ns::Ref<ui::ViewController>& controller) const;
    // The root set by the application, else the controller of the application window's first view, else
    // that window's root controller. A failed assertion when there is none.
    ns::Ref<ui::ViewController> getCurrentRootViewController();
    // The application's own window: the key window when it is at the normal level, else the first window
    // at that level (the key window may be an alert's or a sheet's); nothing without a key window.
    static ns::Ref<ui::Window> applicationWindow();

    const ns::Ref<ui::ViewController>& currentView() const { return m_currentView; }
    const ns::Ref<ui::ViewController>& pendingView() const { return m_pendingView; }
    bool isDismissingView() const { return m_isDismissingView; }
    ns::Ref<ui::ViewController> rootViewController() const { return m_rootViewController.lock(); }
    ns::Ref<ui::ViewController> currentRootViewController() const
    {
        return m_currentRootViewController.lock();
    }

    // The configuration's style texts as the platform's values.
    static ui::BarStyle barStyle();
    static ui::ModalPresentationStyle modalPresentationStyle();
    static ui::ModalTransitionStyle modalTransitionStyle();

    // Favourites: the ordered sharer ids of a share type, kept in the user defaults under the
    // configuration's favsPrefixKey followed by the type's number, less the ids the sharer list does not
    // name and less those the user switched off ("SHKExcluded").
    static ns::Ref<ns::Array> favoriteSharersForType(SHKShareType type);
    // Moves the sharer to the front, keeping at most maxFavCount, when the configuration orders
    // favourites by use and the user has not switched the sharer off.
    static void pushOnFavorites(const std::string& sharerId, SHKShareType type);
    static void setFavorites(const ns::Ref<ns::Array>& favorites, SHKShareType type);
    // The entry under favsPrefixKey followed by "Exclusions"; nothing when there is none or it is not a
    // dictionary. Setting nothing removes it.
    static ns::Ref<ns::Dictionary> getUserExclusions();
    static void setUserExclusions(const ns::Ref<ns::Dictionary>& exclusions);

    // Credentials, one keychain item each: service authPrefix followed by the sharer id, account the key.
    // Keychain failures are not reported: a value that cannot be read is nothing.
    static std::optional<std::string> getAuthValueForKey(const std::string& key, const std::string& sharerId);
    static void setAuthValue(const std::string& value, const std::string& key, const std::string& sharerId);
    static void removeAuthValueForKey(const std::string& key, const std::string& sharerId);
    // Every service of the sharer list ("services"), then one sharer class by id: its class-level logout.
    static void logoutOfAll();
    static void logoutOfService(const std::string& sharerId);
    // The sharer list resource (configuration key sharersPlistName): category name to sharer ids. Read on
    // first use and kept; a missing or unreadable list is an empty one.
    static ns::Ref<ns::Dictionary> sharersDictionary();

    // An error of domain "sharecore", code 1, whose description is the format filled with the arguments
    // (texts already looked up).
    template <class... Args> static ns::Ref<ns::Error> error(std::string_view format, const Args&... args)
    {
        return errorWithDescription(ns::format(format, args...));
    }
    static ns::Ref<ns::Error> errorWithDescription(const std::string& description);
    // Whether the device reaches the internet now.
    static bool connected();

    // The offline queue: shares kept while the device is offline, entries ("item", "sharer", "uid") with
    // one data file per image or file item named by the entry's uid, all in the folder "SHK" of the
    // caches folder. The entries are the property-list array "SHKOfflineQueue.plist" followed by the
    // shares added since it was last written, one property-list file each in "SHKOfflineQueue.added"
    // (named by a sequence number, in the order added): an add writes only its own entry, so it costs
    // the same however long the queue is, and a list written before that folder existed is read as it is.
    // The folder, made (with its parents) when missing, at every call.
    static std::string offlineQueuePath();
    static std::string offlineQueueListPath();
    // Whether there is anything on disk to read: the list file or an added entry.
    static bool offlineQueueExists();
    // The list and the added entries as one mutable array; nothing when neither is there or the list file
    // is not a property-list array.
    static ns::Ref<ns::MutableArray> getOfflineQueueList();
    // Makes the queue hold the array, written atomically; false (the old queue untouched) when it could
    // not be written. The entries it holds as added files stay there; the others make the list file. An
    // entry written once is not changed afterwards: its text is kept and written again as it was.
    static bool saveOfflineQueueList(const ns::Ref<ns::Array>& list);
    // Queues the share (when the configuration allows offline sharing); true only once the entry and its
    // data file are on disk.
    static bool addToOfflineQueue(const ns::Ref<SHKItem>& item, const std::string& sharerId);
    // Resends the queued shares when the device is online: one SHKOfflineSharer each on the facade's
    // offlineQueue, for the entries not already on their way. An entry leaves the queue (with its data
    // file) only once its sharer reports that it finished; a resend that fails, is cancelled or cannot
    // start stays. A list file that cannot be read, and entries that cannot be replayed (no item, a
    // sharer id that names no registered sharer, a uid that is not a plain file name), are set aside
    // beside the queue with a log line, never run. Lives with the sharer base (velmo_sharing).
    static void flushOfflineQueue();
    // Takes the entry with the uid out of the queue, then deletes its data file; false when the queue
    // could not be written (the data file then stays). The queue is kept in memory as last read or
    // written, and read again only when another process has changed it (each change under the lock
    // counts itself in the lock file) or the list file has changed.
    static bool removeFromOfflineQueue(const std::string& uid);
    // Moves an unreadable list file aside ("SHKOfflineQueue.corrupt.plist", numbered when taken), so that
    // nothing overwrites it; gives the new path, or nothing when there was nothing to move.
    static std::optional<std::string> setAsideOfflineQueueList();
    // Appends entries that cannot be replayed to "SHKOfflineQueue.setaside.plist".
    static bool setAsideOfflineQueueEntries(const std::vector<ns::Id>& entries);
    // Whether the text can name a data file inside the queue's folder: a plain name, no path.
    static bool isOfflineQueueUid(std::string_view uid);
    // The operation queue of the resends, made by the first flush.
    ns::OperationQueue* offlineQueue() const { return m_offlineQueue.get(); }
    // Held while the list is read, changed and written back: the threads of this process and the other
    // processes on the same home change it one at a time (an advisory lock on "SHKOfflineQueue.lock" in
    // the queue's folder). Nests.
    class OfflineQueueLock
    {
    public:
        OfflineQueueLock();
        ~OfflineQueueLock();
        OfflineQueueLock(const OfflineQueueLock&) = delete;
        OfflineQueueLock& operator=(const OfflineQueueLock&) = delete;
    };
    // Claims the entry for a resend by this process: false while a resend of it is under way, here or in
    // another process (an advisory lock on "<uid>.sending" in the queue's folder, which ends with the
    // process). A flush claims under the list's lock, and a finished resend takes its entry out of the list
    // before it lets the claim go, so a later flush never sees an entry that was sent as one to send.
    static bool claimOfflineShare(const std::string& uid);
    static void releaseOfflineShare(const std::string& uid);
    // Whether this process's resend of the entry is under way.
    bool isOfflineShareInFlight(const std::string& uid) const;

    // Forgets the facade and the sharer list, as a new process would; the composers' hook stays.
    static void reset();

    std::string className() const override { return "SHK"; }

protected:
    SHK() = default;
    friend ns::Factory<SHK>;

private:
    // The flush's part under the list's lock: reads the list, sets aside what cannot be replayed and
    // claims the entries to resend.
    static std::vector<ns::Ref<SHKOfflineSharer>> claimOfflineQueueEntries();
    // Once per process: the composers tell the facade when their view has gone.
    static void initializeClass();
    static void forgetSharersDictionary();
    // Dismisses the shown screen so that the waiting one can follow, once the shown one is up.
    void dismissForPendingView();
    // Presents the navigation controller from `top` with the configured styles, bars and tint; `tintFor`
    // is the controller the configuration's bar tint is asked with.
    void present(const ns::Ref<ui::ViewController>& top, const ns::Ref<ui::NavigationController>& navigation,
                 const ns::Ref<ui::ViewController>& tintFor);

    ns::Ref<ui::ViewController> m_currentView;
    ns::Ref<ui::ViewController> m_pendingView;
    std::atomic<bool> m_isDismissingView{false};
    ns::Weak<ui::ViewController> m_rootViewController;
    ns::Weak<ui::ViewController> m_currentRootViewController;
    // Last, so that it goes first: its resends still report to the facade while it waits for them.
    std::unique_ptr<ns::OperationQueue> m_offlineQueue;
};
