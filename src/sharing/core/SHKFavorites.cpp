// The facade's class-level stores: favourites and exclusions in the user defaults, credentials in the
// keychain, the sharer list, sign-outs, errors and the connectivity question.
#include "foundation/Array.h"
#include "foundation/Bundle.h"
#include "foundation/ClassRegistry.h"
#include "foundation/Dictionary.h"
#include "foundation/Error.h"
#include "foundation/Log.h"
#include "foundation/PropertyList.h"
#include "foundation/RunLoop.h"
#include "foundation/String.h"
#include "foundation/UserDefaults.h"
#include "sharing/core/SHK.h"
#include "sharing/core/SHKConfiguration.h"
#include "sharing/core/SHKLocalizedText.h"
#include "sharing/core/SHKSharerClass.h"
#include "sharing/core/SSKeychain.h"
#include "sharing/reachability/Reachability.h"
#include "uikit/AlertView.h"

#include <algorithm>
#include <atomic>
#include <functional>
#include <mutex>
#include <vector>

namespace {

constexpr const char* ExcludedKey = "SHKExcluded";

ns::Id configurationValue(std::string_view key)
{
    return SHKConfiguration::sharedInstance()->configurationValue(key);
}

std::string favoritesKey(SHKShareType type)
{
    return ns::format("%@%i", configurationValue("favsPrefixKey"), int(type));
}

std::string exclusionsKey()
{
    return ns::format("%@Exclusions", configurationValue("favsPrefixKey"));
}

std::string authService(const std::string& sharerId)
{
    // Read at every credential access: a text prefix is joined without the formatter.
    ns::Id prefix = configurationValue("authPrefix");
    if (auto text = ns::cast<ns::String>(prefix))
        return text->str() + sharerId;
    return ns::format("%@%@", prefix, sharerId);
}

std::vector<ns::Id> elements(const ns::Ref<ns::Array>& array)
{
    std::vector<ns::Id> out;
    if (array)
        for (ns::Id object : *array)
            out.push_back(std::move(object));
    return out;
}

// Removes every occurrence of each id in `ids`; true when any went.
bool removeAll(std::vector<ns::Id>& list, const std::function<bool(const ns::Id&)>& goes)
{
    auto before = list.size();
    std::erase_if(list, goes);
    return list.size() != before;
}

bool contains(const std::vector<ns::Id>& list, const ns::Id& object)
{
    return std::any_of(list.begin(), list.end(), [&](const ns::Id& e) { return ns::isEqual(e, object); });
}

struct SharerList
{
    std::mutex mutex;
    ns::Ref<ns::Dictionary> dictionary;
    bool read = false;
};

SharerList& sharerList()
{
    static SharerList* list = new SharerList(); // kept for the life of the process
    return *list;
}

} // namespace

// Favourites

ns::Ref<ns::Array> SHK::favoriteSharersForType(SHKShareType type)
{
    auto defaults = ns::UserDefaults::standard();
    std::string key = favoritesKey(type);
    ns::Ref<ns::Array> stored = defaults->arrayForKey(key);
    std::vector<ns::Id> favorites;
    if (stored) {
        favorites = elements(stored);
    } else {
        const char* defaultsKey = nullptr;
        switch (type) {
        case SHKShareTypeURL:
            defaultsKey = "defaultFavoriteURLSharers";
            break;
        case SHKShareTypeText:
            defaultsKey = "defaultFavoriteTextSharers";
            break;
        case SHKShareTypeImage:
            defaultsKey = "defaultFavoriteImageSharers";
            break;
        case SHKShareTypeFile:
            defaultsKey = "defaultFavoriteFileSharers";
            break;
        default:
            break;
        }
        if (defaultsKey)
            favorites = elements(ns::cast<ns::Array>(configurationValue(defaultsKey)));
        defaults->setObject(ns::Array::make(favorites), key);
    }

    // Only sharers the list offers can be favourites.
    std::vector<ns::Id> named;
    if (auto sharers = sharersDictionary())
        for (const ns::Id& category : sharers->allValues())
            for (ns::Id id : elements(ns::cast<ns::Array>(category)))
                named.push_back(std::move(id));
    if (removeAll(favorites, [&](const ns::Id& id) { return !contains(named, id); }))
        defaults->setObject(ns::Array::make(favorites), key);

    if (auto excludedValue = defaults->objectForKey(ExcludedKey)) {
        auto excluded = elements(ns::cast<ns::Array>(excludedValue));
        removeAll(favorites, [&](const ns::Id& id) { return contains(excluded, id); });
        defaults->setObject(ns::Array::make(favorites), key);
    }
    return ns::Array::make(std::move(favorites));
}

void SHK::pushOnFavorites(const std::string& sharerId, SHKShareType type)
{
    if (!SHKConfiguration::boolValue("autoOrderFavoriteSharers"))
        return;
    auto id = ns::String::make(sharerId);
    auto excluded = elements(ns::UserDefaults::standard()->arrayForKey(ExcludedKey));
    if (contains(excluded, id))
        return;
    auto favorites = elements(favoriteSharersForType(type));
    removeAll(favorites, [&](const ns::Id& e) { return ns::isEqual(e, id); });
    favorites.insert(favorites.begin(), id);
    int64_t most = SHKConfiguration::integerValue("maxFavCount");
    while (!favorites.empty() && int64_t(favorites.size()) > most)
        favorites.pop_back();
    setFavorites(ns::Array::make(std::move(favorites)), type);
}

void SHK::setFavorites(const ns::Ref<ns::Array>& favorites, SHKShareType type)
{
    auto defaults = ns::UserDefaults::standard();
    if (favorites)
        defaults->setObject(favorites, favoritesKey(type));
    else
        defaults->removeObjectForKey(favoritesKey(type));
}

ns::Ref<ns::Dictionary> SHK::getUserExclusions()
{
    return ns::UserDefaults::standard()->dictionaryForKey(exclusionsKey());
}

void SHK::setUserExclusions(const ns::Ref<ns::Dictionary>& exclusions)
{
    auto defaults = ns::UserDefaults::standard();
    if (exclusions)
        defaults->setObject(exclusions, exclusionsKey());
    else
        defaults->removeObjectForKey(exclusionsKey());
}

// Credentials

std::optional<std::string> SHK::getAuthValueForKey(const std::string& key, const std::string& sharerId)
{
    return SSKeychain::passwordForService(authService(sharerId), key);
}

void SHK::setAuthValue(const std::string& value, const std::string& key, const std::string& sharerId)
{
    ns::Ref<ns::Error> error;
    if (SSKeychain::setPassword(value, authService(sharerId), key, &error))
        return;
    ns::log("ShareCore: a credential of %@ could not be stored in the keychain (status %li)", sharerId,
            error ? error->code() : 0L);
    // Otherwise the service would ask for the login again with nothing said. The values of one login
    // are stored together: the user hears it once.
    static std::atomic<bool> told{false};
    if (told.exchange(true))
        return;
    ns::performOnMainThread([] { told = false; }, false);
    ui::AlertView::create(SHKLookupLocalizedText("Error"),
                          SHKLookupLocalizedText("Your login could not be kept on this device: the keychain "
                                                 "could not be written. You will be asked to log in again."),
                          nullptr, SHKLookupLocalizedText("Close"))
        ->show();
}

void SHK::removeAuthValueForKey(const std::string& key, const std::string& sharerId)
{
    SSKeychain::deletePasswordForService(authService(sharerId), key);
}

void SHK::logoutOfAll()
{
    auto sharers = sharersDictionary();
    auto services = sharers ? sharers->objectAs<ns::Array>("services") : nullptr;
    for (const ns::Id& id : elements(services))
        if (auto text = ns::cast<ns::String>(id))
            logoutOfService(text->str());
}

void SHK::logoutOfService(const std::string& sharerId)
{
    // A name no class answers to signs nothing out.
    if (auto sharerClass = rt::ClassRegistry::shared().metaAs<SHKSharerClass>(sharerId))
        sharerClass->logout();
}

ns::Ref<ns::Dictionary> SHK::sharersDictionary()
{
    SharerList& list = sharerList();
    std::lock_guard lock(list.mutex);
    if (!list.read) {
        list.read = true;
        std::string name = SHKConfiguration::textValue("sharersPlistName").value_or(std::string());
        std::string path = ns::Bundle::main()->resourcePath() + "/" + name;
        list.dictionary = ns::cast<ns::Dictionary>(ns::PropertyList::propertyListWithContentsOfFile(path));
        if (!list.dictionary)
            list.dictionary = ns::Dictionary::make();
    }
    return list.dictionary;
}

void SHK::forgetSharersDictionary()
{
    SharerList& list = sharerList();
    std::lock_guard lock(list.mutex);
    list.read = false;
    list.dictionary.reset();
}

// Errors and connectivity

ns::Ref<ns::Error> SHK::errorWithDescription(const std::string& description)
{
    return ns::Error::withDescription("sharecore", 1, description);
}

bool SHK::connected()
{
    auto internet = Reachability::reachabilityForInternetConnection();
    return internet && internet->currentReachabilityStatus() != NotReachable;
}
