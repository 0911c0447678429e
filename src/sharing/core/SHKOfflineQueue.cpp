// The facade's side of the offline queue: where it lives on disk and how a share is added.

#include "foundation/Array.h"
#include "foundation/Clock.h"
#include "foundation/Data.h"
#include "foundation/Dictionary.h"
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
        ns::log("ShareCore: the offline queue could not be written: %@", error);
        return false;
    }
    return true;
}

bool SHK::addToOfflineQueue(const ns::Ref<SHKItem>& item, const std::string& sharerId)
{
    if (!SHKConfiguration::boolValue("allowOffline") || !item)
        return false;

    auto list = getOfflineQueueList();
    if (!list)
        list = ns::MutableArray::make();

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
            ns::log("ShareCore: a queued share's data could not be written: %@", error);
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
