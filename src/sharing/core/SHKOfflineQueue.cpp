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
#include "foundation/Random.h"
#include "foundation/Sandbox.h"
#include "foundation/String.h"
#include "sharing/core/SHK.h"
#include "sharing/core/SHKConfiguration.h"
#include "uikit/Image.h"

#include <cmath>
#include <cstdint>

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

} // namespace

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
    auto list = ns::cast<ns::Array>(ns::PropertyList::propertyListWithContentsOfFile(offlineQueueListPath()));
    return list ? list->mutableCopy() : nullptr;
}

bool SHK::saveOfflineQueueList(const ns::Ref<ns::Array>& list)
{
    ns::Ref<ns::Error> error;
    if (!list || !ns::PropertyList::writePropertyList(list, offlineQueueListPath(), &error)) {
        ns::log("ShareCore: the offline queue could not be written: %@", describeError(error));
        return false;
    }
    return true;
}

bool SHK::addToOfflineQueue(const ns::Ref<SHKItem>& item, const std::string& sharerId)
{
    if (!SHKConfiguration::boolValue("allowOffline") || !item)
        return false;

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

    auto entry = ns::MutableDictionary::make();
    entry->setObject(item->dictionaryRepresentation(), "item");
    entry->setObject(ns::String::make(sharerId), "sharer");
    entry->setObject(ns::String::make(uid), "uid");
    list->addObject(entry);
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
    // Nor one of the queue's own files.
    if (uid.starts_with("SHKOfflineQueue"))
        return false;
    for (char c : uid)
        if (c == '/' || static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            return false;
    return true;
}

void SHK::setOfflineShareInFlight(const std::string& uid, bool inFlight)
{
    if (inFlight)
        m_offlineInFlight.insert(uid);
    else
        m_offlineInFlight.erase(uid);
}
