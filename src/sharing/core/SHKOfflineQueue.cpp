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

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace {

// One line for the log.
std::string describeError(const ns::Ref<ns::Error>& error)
{
    return error ? error->localizedDescription() : std::string("unknown error");
}

// Which file a path names now: a write through a temporary file gives the list a new inode, so a change
// made without the queue's lock (a list put there by hand) shows here even within one clock tick.
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

// What every change of the queue leaves in the lock file, under the lock: a number drawn when the file
// was made and a count of the changes, so that a process sees another's change without reading the queue.
// Not synced: it only ever describes files that the live processes share.
struct Stamp
{
    uint64_t made = 0;
    uint64_t changes = 0;
    bool operator==(const Stamp&) const = default;
};

constexpr const char* kJournalName = "SHKOfflineQueue.journal";

// What this process knows of the queue. Guarded by `mutex`, which the queue's lock holds.
struct QueueState
{
    std::recursive_mutex mutex;
    int depth = 0;     // nesting of OfflineQueueLock
    int lockFile = -1; // holds the advisory lock while depth > 0
    // The queue as this process last read or wrote it: valid while the lock file's stamp and the list
    // file are as they were then.
    bool known = false;
    std::string folder;
    Stamp stamp;
    std::optional<FileIdentity> listIdentity;
    ns::Ref<ns::Array> list; // the list file's entries (empty when there is none)
    bool listOnDisk = false;
    std::vector<ns::Id> entries;               // the queue: the list, then the journal's changes to it
    std::unordered_map<std::string, int> uids; // of the entries, with how many hold each
    off_t journalEnd = 0;                      // where the journal's last whole record ends
    // Each list entry's XML as last written, by the entry (held, so that its address stays its own): the
    // list file is written whole, but only the entries not written before are serialised again.
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

std::optional<Stamp> readStamp(QueueState& state)
{
    if (state.lockFile < 0)
        return std::nullopt;
    Stamp stamp;
    if (::pread(state.lockFile, &stamp, sizeof stamp, 0) == static_cast<ssize_t>(sizeof stamp))
        return stamp;
    // A new lock file: every process that knew the queue before knew another file.
    stamp.made = (uint64_t(ns::randomU32()) << 32) | ns::randomU32();
    if (stamp.made == 0)
        stamp.made = 1;
    if (::pwrite(state.lockFile, &stamp, sizeof stamp, 0) != static_cast<ssize_t>(sizeof stamp))
        return std::nullopt;
    return stamp;
}

// Counts a change made under the lock; what this process knows stays valid only if it made the change.
void countChange(QueueState& state)
{
    auto stamp = readStamp(state);
    if (!stamp) {
        state.known = false;
        return;
    }
    bool wasKnown = state.known && state.stamp == *stamp;
    ++stamp->changes;
    if (::pwrite(state.lockFile, &*stamp, sizeof *stamp, 0) != static_cast<ssize_t>(sizeof *stamp)) {
        state.known = false;
        return;
    }
    state.stamp = *stamp;
    state.known = wasKnown;
}

std::string journalPath(const std::string& folder)
{
    return folder + "/" + kJournalName;
}

std::string uidOf(const ns::Id& entry)
{
    auto dictionary = ns::cast<ns::Dictionary>(entry);
    return dictionary ? dictionary->stringForKey("uid").value_or("") : std::string();
}

void countUid(QueueState& state, const std::string& uid, int by)
{
    if (uid.empty())
        return;
    auto& count = state.uids[uid];
    count += by;
    if (count <= 0)
        state.uids.erase(uid);
}

void removeUid(QueueState& state, const std::string& uid)
{
    if (!state.uids.count(uid))
        return;
    std::erase_if(state.entries, [&](const ns::Id& entry) { return uidOf(entry) == uid; });
    state.uids.erase(uid);
}

// The journal holds what changed since the list file was written, one record per change, each written
// and synced at once: "+ <length> <hash>\n" and an entry's property-list text, or "- <length> <hash>\n" and
// the uid of an entry that left; a line feed ends each. A record that a kill cut short fails its length or
// hash, and it and what follows are ignored (and cut off before the next record is written).
uint64_t hashOf(std::string_view bytes)
{
    uint64_t hash = 14695981039346656037ull; // FNV-1a
    for (unsigned char c : bytes) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    return hash;
}

void appendRecord(std::string& out, char kind, std::string_view payload)
{
    char header[64];
    std::snprintf(header, sizeof header, "%c %zu %016llx\n", kind, payload.size(),
                  static_cast<unsigned long long>(hashOf(payload)));
    out += header;
    out += payload;
    out += '\n';
}

// Applies the journal's whole records to the entries; gives where the last one ends.
off_t replayJournal(QueueState& state, std::string_view journal)
{
    std::size_t at = 0;
    while (at < journal.size()) {
        auto lineEnd = journal.find('\n', at);
        if (lineEnd == std::string_view::npos || lineEnd - at > 60)
            break;
        std::string header(journal.substr(at, lineEnd - at));
        char kind = 0;
        std::size_t length = 0;
        unsigned long long hash = 0;
        int used = 0;
        if (std::sscanf(header.c_str(), "%c %zu %16llx%n", &kind, &length, &hash, &used) != 3 ||
            static_cast<std::size_t>(used) != header.size() || (kind != '+' && kind != '-'))
            break;
        std::size_t start = lineEnd + 1;
        if (length > journal.size() - start || journal.size() - start - length < 1 ||
            journal[start + length] != '\n')
            break;
        std::string_view payload = journal.substr(start, length);
        if (hashOf(payload) != hash)
            break;
        if (kind == '-') {
            removeUid(state, std::string(payload));
        } else {
            ns::Id entry = ns::PropertyList::propertyListWithData(payload);
            std::string uid = uidOf(entry);
            // An entry already in the list (a fold cut off before the journal was emptied) counts once.
            if (!uid.empty() && !state.uids.count(uid)) {
                state.entries.push_back(entry);
                countUid(state, uid, 1);
            } else if (uid.empty()) {
                ns::log("ShareCore: an offline queue journal record is not an entry; it is skipped");
            }
        }
        at = start + length + 1;
    }
    return static_cast<off_t>(at);
}

// Brings what this process knows up to the disk, under the lock; false when the list file is there but is
// not a property-list array (nothing is then known).
bool load(QueueState& state)
{
    std::string folder = SHK::offlineQueuePath();
    std::string listPath = SHK::offlineQueueListPath();
    auto stamp = readStamp(state);
    auto identity = identityOf(listPath);
    if (state.known && stamp && state.folder == folder && state.stamp == *stamp &&
        state.listIdentity == identity)
        return true;
    state.known = false;

    ns::Ref<ns::Array> list;
    if (identity) {
        list = ns::cast<ns::Array>(ns::PropertyList::propertyListWithContentsOfFile(listPath));
        if (!list)
            return false;
    }
    if (state.folder != folder)
        state.written.clear();
    state.folder = folder;
    state.list = list ? list : ns::Array::make();
    state.listOnDisk = list != nullptr;
    state.listIdentity = identity;
    // The journal is folded by the length of the list read here, not of one this process wrote before.
    state.writtenSize = identity ? static_cast<std::size_t>(identity->size) : 0;
    state.uids.clear();
    state.entries.clear();
    for (const ns::Id& entry : *state.list) {
        state.entries.push_back(entry);
        countUid(state, uidOf(entry), 1);
    }
    auto journal = ns::FileManager::contentsAtPath(journalPath(folder));
    state.journalEnd = journal ? replayJournal(state, journal->view()) : 0;
    if (stamp) {
        state.stamp = *stamp;
        state.known = true;
    }
    return true;
}

// Appends records to the journal and syncs them, under the lock with the queue loaded; a torn record
// left by a kill is cut off first.
bool appendToJournal(QueueState& state, const std::string& records)
{
    std::string path = journalPath(state.folder);
    bool existed = ::access(path.c_str(), F_OK) == 0;
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        ns::log("ShareCore: the offline queue could not be written: %s", std::string(strerror(errno)));
        return false;
    }
    struct stat info;
    bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    if (ok && info.st_size != state.journalEnd)
        ok = ::ftruncate(fd, state.journalEnd) == 0;
    const char* cursor = records.data();
    std::size_t left = records.size();
    off_t offset = state.journalEnd;
    while (ok && left > 0) {
        ssize_t written = ::pwrite(fd, cursor, left, offset);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            ok = false;
            break;
        }
        cursor += written;
        left -= static_cast<std::size_t>(written);
        offset += written;
    }
    ok = ok && ::fdatasync(fd) == 0;
    int code = errno;
    ::close(fd);
    if (!ok) {
        ns::log("ShareCore: the offline queue could not be written: %s", std::string(strerror(code)));
        return false;
    }
    if (!existed) {
        // The new file's name must reach the disk too.
        int directory = ::open(state.folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (directory >= 0) {
            ::fsync(directory);
            ::close(directory);
        }
    }
    state.journalEnd = offset;
    countChange(state);
    return true;
}

// Empties the journal once the list file holds all it said.
void emptyJournal(QueueState& state)
{
    if (state.journalEnd == 0)
        return;
    int fd = ::open(journalPath(state.folder).c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd >= 0 && ::ftruncate(fd, 0) == 0 && ::fdatasync(fd) == 0)
        state.journalEnd = 0;
    if (fd >= 0)
        ::close(fd);
    countChange(state);
}

// The list file's property-list text, each entry serialised once and kept; the entries no longer in the
// list are forgotten. Nothing, with the reason, when an entry is not a property list.
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

// Makes the list file hold the entries and empties the journal, under the lock with the queue loaded.
// Whatever leaves the queue is first recorded as gone in the journal: a fold cut off between the list's
// write and the journal's emptying then replays to the same queue.
bool writeList(QueueState& state, const ns::Ref<ns::Array>& list)
{
    std::string path = SHK::offlineQueueListPath();
    std::string reason;
    auto text = listText(state, *list, reason);
    if (!text) {
        state.written.clear();
        ns::log("ShareCore: the offline queue could not be written: %@", reason);
        return false;
    }
    std::unordered_set<std::string> staying;
    for (const ns::Id& entry : *list)
        staying.insert(uidOf(entry));
    std::string gone;
    for (const auto& [uid, count] : state.uids)
        if (!staying.count(uid))
            appendRecord(gone, '-', uid);
    if (!gone.empty() && state.journalEnd > 0 && !appendToJournal(state, gone))
        return false;
    ns::Ref<ns::Error> error;
    if (!ns::FileManager::writeAtomically(path, *text, &error)) {
        ns::log("ShareCore: the offline queue could not be written: %@", describeError(error));
        return false;
    }
    // Kept as written; the entries are not copied, so callers hand over entries they no longer change.
    state.list = ns::cast<ns::Array>(list->copy());
    state.listOnDisk = true;
    state.entries.clear();
    state.uids.clear();
    for (const ns::Id& entry : *state.list) {
        state.entries.push_back(entry);
        countUid(state, uidOf(entry), 1);
    }
    countChange(state);
    state.listIdentity = identityOf(path);
    emptyJournal(state);
    return true;
}

// Folds the journal into the list file once replaying it would cost more than reading the list again:
// the journal's length stays proportional to the queue, and an add still costs the same on average.
void foldJournalWhenLong(QueueState& state)
{
    constexpr off_t kShortJournal = 256 * 1024;
    if (state.journalEnd < kShortJournal || state.journalEnd < 2 * static_cast<off_t>(state.writtenSize))
        return;
    // A fold that fails leaves the journal as it is: nothing is lost, only the next one tries again.
    writeList(state, ns::Array::make(state.entries));
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

bool SHK::offlineQueueExists()
{
    std::string folder = offlineQueuePath();
    struct stat info;
    return ns::FileManager::fileExistsAtPath(offlineQueueListPath()) ||
           (::stat(journalPath(folder).c_str(), &info) == 0 && info.st_size > 0);
}

ns::Ref<ns::MutableArray> SHK::getOfflineQueueList()
{
    OfflineQueueLock lock;
    QueueState& state = queueState();
    if (!load(state) || (!state.listOnDisk && state.entries.empty()))
        return nullptr;
    return ns::MutableArray::make(state.entries);
}

bool SHK::saveOfflineQueueList(const ns::Ref<ns::Array>& list)
{
    if (!list) {
        ns::log("ShareCore: the offline queue could not be written: %@", std::string("no list"));
        return false;
    }
    OfflineQueueLock lock;
    QueueState& state = queueState();
    if (!load(state)) {
        // Over a list that could not be read, what replaces it is all there is; the journal's records,
        // made against that list, go with it.
        state.known = false;
        state.folder = offlineQueuePath();
        state.list = ns::Array::make();
        state.entries.clear();
        state.uids.clear();
        state.journalEnd = 0;
        ::truncate(journalPath(state.folder).c_str(), 0);
    }
    return writeList(state, list);
}

bool SHK::addToOfflineQueue(const ns::Ref<SHKItem>& item, const std::string& sharerId)
{
    if (!SHKConfiguration::boolValue("allowOffline") || !item)
        return false;

    // Checked and written under the lock: a share queued by another process meanwhile is kept.
    OfflineQueueLock lock;
    QueueState& state = queueState();
    if (!load(state)) {
        // A list that is there but cannot be read is moved aside rather than overwritten.
        if (!setAsideOfflineQueueList() || !load(state))
            return false;
    }

    // The random part keeps shares of one second apart; a clash with a queued entry or a data file
    // still on disk draws again, so no share ever overwrites another's file.
    std::string folder = state.folder;
    auto seconds = static_cast<int32_t>(std::floor(ns::Clock::current().now()));
    std::string uid;
    do {
        uid = ns::format("%@-%i-%i-%i", sharerId, static_cast<int32_t>(item->shareType()), seconds,
                         static_cast<int32_t>(ns::randomU32()));
    } while (state.uids.count(uid) || ns::FileManager::fileExistsAtPath(folder + "/" + uid));

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

    auto entry = ns::Dictionary::make({{ns::String::make("item"), item->dictionaryRepresentation()},
                                       {ns::String::make("sharer"), ns::String::make(sharerId)},
                                       {ns::String::make("uid"), ns::String::make(uid)}});
    std::string record(ns::PropertyListWriter::xmlHeader());
    std::string reason;
    bool written = ns::PropertyListWriter::appendElement(entry, 0, record, reason);
    if (!written)
        ns::log("ShareCore: the offline queue could not be written: %@", reason);
    std::string records;
    if (written) {
        record += ns::PropertyListWriter::xmlFooter();
        appendRecord(records, '+', record);
        written = appendToJournal(state, records);
    }
    if (written) {
        state.entries.push_back(entry);
        countUid(state, uid, 1);
        foldJournalWhenLong(state);
    } else {
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
    QueueState& state = queueState();
    if (!load(state) || (!state.listOnDisk && state.entries.empty()))
        return false;
    if (state.uids.count(uid)) {
        std::string records;
        appendRecord(records, '-', uid);
        if (!appendToJournal(state, records))
            return false;
        removeUid(state, uid);
        foldJournalWhenLong(state);
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
