// The facade's side of the offline queue: where it lives on disk and how a share is added.

#include "foundation/Array.h"
#include "foundation/Clock.h"
#include "foundation/Data.h"
#include "foundation/Dictionary.h"
#include "foundation/Error.h"
#include "foundation/FileManager.h"
#include "foundation/Format.h"
#include "foundation/Log.h"
#include "foundation/PropertyList.h"
#include "foundation/PropertyListWriter.h"
#include "foundation/Random.h"
#include "foundation/Sandbox.h"
#include "foundation/String.h"
#include "sharing/core/SHK.h"
#include "sharing/core/SHKConfiguration.h"
#include "uikit/Image.h"

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>

namespace {

// One line for the log.
std::string describeError(const ns::Ref<ns::Error>& error)
{
    return error ? error->localizedDescription() : std::string("unknown error");
}

bool listHoldsUid(const ns::Array& list, const std::string& uid)
{
    for (const ns::Id& entry : list)
        if (auto dictionary = ns::cast<ns::Dictionary>(entry))
            if (dictionary->stringForKey("uid") == uid)
                return true;
    return false;
}

// Which file a path names now: a write through a temporary file gives the list a new inode, so another
// process's write shows here as a change even within one clock tick.
struct FileIdentity
{
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    long seconds = 0;
    long nanoseconds = 0;
    bool operator==(const FileIdentity&) const = default;
};

std::optional<FileIdentity> identityOf(const std::string& path)
{
    struct stat info;
    if (::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    return FileIdentity{info.st_dev, info.st_ino, info.st_size, static_cast<long>(info.st_mtim.tv_sec),
                        static_cast<long>(info.st_mtim.tv_nsec)};
}

// What this process knows of the queue. Guarded by `mutex`, which the list's lock holds.
struct QueueState
{
    std::recursive_mutex mutex;
    int depth = 0;     // nesting of OfflineQueueLock
    int lockFile = -1; // holds the advisory lock while depth > 0
    // The list as this process last read or wrote it, and which file that was: an add does not read and
    // parse the whole list again unless another process changed it.
    std::string listPath;
    std::optional<FileIdentity> listIdentity;
    ns::Ref<ns::Array> list;
    // Each entry's XML as last written, by the entry (held, so that its address stays its own): a save
    // writes the whole list, but serialises only the entries it has not written before, so an add costs
    // the same however long the queue is.
    std::unordered_map<const ns::Object*, std::pair<ns::Id, std::string>> written;
    std::size_t writtenSize = 0;
    std::map<std::string, int> claims; // claim file path to the descriptor holding its lock
};

QueueState& queueState()
{
    static QueueState* shared = new QueueState(); // used by the resends' threads until exit
    return *shared;
}

int flockRetrying(int fd, int operation)
{
    int result;
    do
        result = ::flock(fd, operation);
    while (result != 0 && errno == EINTR);
    return result;
}

void remember(QueueState& state, const std::string& path, ns::Ref<ns::Array> list)
{
    state.listPath = path;
    state.listIdentity = list ? identityOf(path) : std::nullopt;
    state.list = state.listIdentity ? std::move(list) : nullptr;
}

// The list's property-list text, each entry serialised once and kept; the entries no longer in the list
// are forgotten. Nothing, with the reason, when an entry is not a property list.
std::optional<std::string> listText(QueueState& state, const ns::Array& list, std::string& reason)
{
    std::unordered_map<const ns::Object*, std::pair<ns::Id, std::string>> written;
    std::string text;
    text.reserve(state.writtenSize + 4096);
    text += ns::PropertyListWriter::xmlHeader();
    text += list.count() ? "<array>\n" : "<array/>\n";
    for (const ns::Id& entry : list) {
        auto found = state.written.find(entry.get());
        std::string element;
        if (found != state.written.end())
            element = found->second.second;
        else if (!ns::PropertyListWriter::appendElement(entry, 1, element, reason))
            return std::nullopt;
        text += element;
        written.emplace(entry.get(), std::pair{entry, std::move(element)});
    }
    if (list.count())
        text += "</array>\n";
    text += ns::PropertyListWriter::xmlFooter();
    state.written = std::move(written);
    state.writtenSize = text.size();
    return text;
}

std::string claimPath(const std::string& uid)
{
    std::string path = SHK::offlineQueuePath();
    path += "/";
    path += uid;
    path += ".sending";
    return path;
}

} // namespace

SHK::OfflineQueueLock::OfflineQueueLock()
{
    QueueState& state = queueState();
    state.mutex.lock();
    if (state.depth++ > 0)
        return;
    std::string path = offlineQueuePath();
    path += "/SHKOfflineQueue.lock";
    state.lockFile = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (state.lockFile < 0) {
        ns::log("ShareCore: the offline queue's lock could not be opened: %s", std::string(strerror(errno)));
        return;
    }
    if (flockRetrying(state.lockFile, LOCK_EX) != 0)
        ns::log("ShareCore: the offline queue could not be locked: %s", std::string(strerror(errno)));
}

SHK::OfflineQueueLock::~OfflineQueueLock()
{
    QueueState& state = queueState();
    if (--state.depth == 0 && state.lockFile >= 0) {
        ::close(state.lockFile); // lets the lock go
        state.lockFile = -1;
    }
    state.mutex.unlock();
}

bool SHK::claimOfflineShare(const std::string& uid)
{
    QueueState& state = queueState();
    std::lock_guard lock(state.mutex);
    std::string path = claimPath(uid);
    if (state.claims.count(path))
        return false;
    // A claim file that its holder has just released and removed is no claim: the lock is taken again on
    // the file the name now gives.
    for (int attempt = 0; attempt < 3; ++attempt) {
        int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0)
            return false;
        if (flockRetrying(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd); // another process is sending it
            return false;
        }
        struct stat held, named;
        if (::fstat(fd, &held) == 0 && ::stat(path.c_str(), &named) == 0 && held.st_ino == named.st_ino &&
            held.st_dev == named.st_dev) {
            state.claims.emplace(path, fd);
            return true;
        }
        ::close(fd);
    }
    return false;
}

void SHK::releaseOfflineShare(const std::string& uid)
{
    QueueState& state = queueState();
    std::lock_guard lock(state.mutex);
    auto claim = state.claims.find(claimPath(uid));
    if (claim == state.claims.end())
        return;
    // Removed while still locked, so that no other process takes a lock on a name that is going away.
    ::unlink(claim->first.c_str());
    ::close(claim->second);
    state.claims.erase(claim);
}

bool SHK::isOfflineShareInFlight(const std::string& uid) const
{
    QueueState& state = queueState();
    std::lock_guard lock(state.mutex);
    return state.claims.count(claimPath(uid)) != 0;
}

std::string SHK::offlineQueuePath()
{
    std::string path = ns::Sandbox::cachesPath();
    path += "/SHK";
    if (!ns::FileManager::fileExistsAtPath(path))
        ns::FileManager::createDirectoryAtPath(path, true);
    return path;
}

std::string SHK::offlineQueueListPath()
{
    std::string path = offlineQueuePath();
    path += "/SHKOfflineQueue.plist";
    return path;
}

ns::Ref<ns::MutableArray> SHK::getOfflineQueueList()
{
    OfflineQueueLock lock;
    QueueState& state = queueState();
    std::string path = offlineQueueListPath();
    auto identity = identityOf(path);
    if (identity && state.list && state.listPath == path && state.listIdentity == identity)
        return state.list->mutableCopy();
    auto list = ns::cast<ns::Array>(ns::PropertyList::propertyListWithContentsOfFile(path));
    remember(state, path, list);
    return list ? list->mutableCopy() : nullptr;
}

bool SHK::saveOfflineQueueList(const ns::Ref<ns::Array>& list)
{
    OfflineQueueLock lock;
    QueueState& state = queueState();
    std::string path = offlineQueueListPath();
    ns::Ref<ns::Error> error;
    std::string reason;
    auto text = list ? listText(state, *list, reason) : std::nullopt;
    if (!text) {
        state.written.clear();
        ns::log("ShareCore: the offline queue could not be written: %@", reason);
        return false;
    }
    if (!ns::FileManager::writeAtomically(path, *text, &error)) {
        ns::log("ShareCore: the offline queue could not be written: %@", describeError(error));
        return false;
    }
    // Kept as written; the entries are not copied, so callers hand over entries they no longer change.
    remember(state, path, ns::cast<ns::Array>(list->copy()));
    return true;
}

bool SHK::addToOfflineQueue(const ns::Ref<SHKItem>& item, const std::string& sharerId)
{
    if (!SHKConfiguration::boolValue("allowOffline") || !item)
        return false;

    // Read, changed and written back under the lock: a share queued by another process meanwhile is kept.
    OfflineQueueLock lock;
    auto list = getOfflineQueueList();
    if (!list) {
        // A list that is there but cannot be read is moved aside rather than overwritten.
        if (ns::FileManager::fileExistsAtPath(offlineQueueListPath()) && !setAsideOfflineQueueList())
            return false;
        list = ns::MutableArray::make();
    }

    // The random part keeps shares of one second apart; a clash with a queued entry or a data file
    // still on disk draws again, so no share ever overwrites another's file.
    std::string folder = offlineQueuePath();
    auto seconds = static_cast<int32_t>(std::floor(ns::Clock::current().now()));
    std::string uid;
    do {
        uid = ns::format("%@-%i-%i-%i", sharerId, static_cast<int32_t>(item->shareType()), seconds,
                         static_cast<int32_t>(ns::randomU32()));
    } while (listHoldsUid(*list, uid) || ns::FileManager::fileExistsAtPath(folder + "/" + uid));

    std::string dataPath = folder + "/" + uid;
    ns::Ref<ns::Data> data;
    if (item->shareType() == SHKShareTypeImage && item->image())
        data = ui::ImageJPEGRepresentation(item->image(), 1.0f);
    else if (item->shareType() == SHKShareTypeFile)
        data = item->data();
    bool wroteData = false;
    if (data) {
        ns::Ref<ns::Error> error;
        if (!ns::FileManager::writeAtomically(dataPath, *data, &error)) {
            ns::log("ShareCore: a queued share's data could not be written: %@", describeError(error));
            return false;
        }
        wroteData = true;
    } else if (item->shareType() == SHKShareTypeImage && item->image()) {
        ns::log("ShareCore: a queued share's image could not be encoded");
        return false;
    }

    list->addObject(ns::Dictionary::make({{ns::String::make("item"), item->dictionaryRepresentation()},
                                          {ns::String::make("sharer"), ns::String::make(sharerId)},
                                          {ns::String::make("uid"), ns::String::make(uid)}}));
    if (!saveOfflineQueueList(list)) {
        // The entry is not on disk, so neither may its data be.
        if (wroteData)
            ns::FileManager::removeItemAtPath(dataPath);
        return false;
    }
    return true;
}

bool SHK::removeFromOfflineQueue(const std::string& uid)
{
    OfflineQueueLock lock;
    auto list = getOfflineQueueList();
    if (!list)
        return false;
    for (std::size_t i = 0; i < list->count(); ++i) {
        auto entry = list->objectAs<ns::Dictionary>(i);
        if (entry && entry->stringForKey("uid") == uid) {
            list->removeObjectAtIndex(i);
            if (!saveOfflineQueueList(list))
                return false;
            break;
        }
    }
    if (isOfflineQueueUid(uid)) {
        std::string dataPath = offlineQueuePath();
        dataPath += "/";
        dataPath += uid;
        if (ns::FileManager::fileExistsAtPath(dataPath))
            ns::FileManager::removeItemAtPath(dataPath);
    }
    return true;
}

std::optional<std::string> SHK::setAsideOfflineQueueList()
{
    OfflineQueueLock lock;
    std::string from = offlineQueueListPath();
    if (!ns::FileManager::fileExistsAtPath(from))
        return std::nullopt;
    std::string folder = offlineQueuePath();
    for (int number = 1; number < 1000; ++number) {
        std::string to = folder;
        to += number == 1 ? std::string("/SHKOfflineQueue.corrupt.plist")
                          : ns::format("/SHKOfflineQueue.corrupt-%i.plist", number);
        if (ns::FileManager::fileExistsAtPath(to))
            continue;
        ns::Ref<ns::Error> error;
        if (!ns::FileManager::moveItemAtPath(from, to, &error)) {
            ns::log("ShareCore: the unreadable offline queue could not be set aside: %@",
                    describeError(error));
            return std::nullopt;
        }
        ns::log("ShareCore: the offline queue could not be read; it was set aside as %@", to);
        return to;
    }
    ns::log("ShareCore: the unreadable offline queue could not be set aside: no free name");
    return std::nullopt;
}

bool SHK::setAsideOfflineQueueEntries(const std::vector<ns::Id>& entries)
{
    if (entries.empty())
        return true;
    OfflineQueueLock lock;
    std::string path = offlineQueuePath();
    path += "/SHKOfflineQueue.setaside.plist";
    auto kept = ns::cast<ns::Array>(ns::PropertyList::propertyListWithContentsOfFile(path));
    auto list = kept ? kept->mutableCopy() : ns::MutableArray::make();
    for (const ns::Id& entry : entries) {
        // Whatever the entry holds is kept if it can be written; what cannot is described instead.
        list->addObject(ns::PropertyList::isValid(entry) ? entry : ns::String::make(ns::describe(entry)));
        ns::log("ShareCore: an offline queue entry cannot be replayed and was set aside: %@", entry);
    }
    ns::Ref<ns::Error> error;
    if (!ns::PropertyList::writePropertyList(list, path, &error)) {
        ns::log("ShareCore: the set-aside offline queue entries could not be written: %@",
                describeError(error));
        return false;
    }
    return true;
}

bool SHK::isOfflineQueueUid(std::string_view uid)
{
    // A plain name inside the folder: no separator, not the folder or its parent, not hidden (where the
    // atomic writes keep their temporary files), no control characters.
    if (uid.empty() || uid.size() > 255 || uid.front() == '.')
        return false;
    // Nor one of the queue's own files, nor an entry's claim.
    if (uid.starts_with("SHKOfflineQueue") || uid.ends_with(".sending"))
        return false;
    for (char c : uid)
        if (c == '/' || static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            return false;
    return true;
}
