#include "foundation/UserDefaults.h"

#include "foundation/Array.h"
#include "foundation/Bundle.h"
#include "foundation/Data.h"
#include "foundation/Dictionary.h"
#include "foundation/Error.h"
#include "foundation/FileManager.h"
#include "foundation/Log.h"
#include "foundation/Number.h"
#include "foundation/PropertyList.h"
#include "foundation/Sandbox.h"
#include "foundation/String.h"
#include "foundation/Text.h"

#include <cerrno>
#include <cstdio>

namespace ns {
namespace {

std::mutex& standardMutex()
{
    static std::mutex mutex;
    return mutex;
}

Ref<UserDefaults>& standardDefaults()
{
    static Ref<UserDefaults> defaults;
    return defaults;
}

} // namespace

Ref<UserDefaults> UserDefaults::standard()
{
    std::lock_guard lock(standardMutex());
    Ref<UserDefaults>& defaults = standardDefaults();
    if (!defaults) {
        std::string identifier = Bundle::main()->bundleIdentifier().value_or("");
        if (identifier.empty())
            identifier = "com.velmo.app";
        defaults = std::make_shared<UserDefaults>(Sandbox::preferencesPath() + "/" + identifier + ".plist");
    }
    return defaults;
}

void UserDefaults::resetStandard()
{
    std::lock_guard lock(standardMutex());
    standardDefaults().reset();
}

UserDefaults::UserDefaults(std::string path) : m_path(std::move(path))
{
}

void UserDefaults::loadLocked() const
{
    if (m_loaded)
        return;
    m_loaded = true;
    m_values = MutableDictionary::make();
    if (!FileManager::fileExistsAtPath(m_path))
        return;
    Ref<Error> error;
    Id value = PropertyList::propertyListWithContentsOfFile(m_path, &error);
    auto dictionary = cast<Dictionary>(value);
    if (!dictionary) {
        // Start empty but leave the file alone: it is set aside, not overwritten, on the next write.
        m_corrupt = true;
        log("The user defaults in %s could not be read and start empty: %@", m_path,
            error ? error->localizedDescription() : std::string("not a dictionary"));
        return;
    }
    m_values->addEntriesFromDictionary(*dictionary);
}

Id UserDefaults::objectForKey(std::string_view key) const
{
    std::lock_guard lock(m_mutex);
    loadLocked();
    return m_values->objectForKey(key);
}

std::optional<std::string> UserDefaults::stringForKey(std::string_view key) const
{
    Id value = objectForKey(key);
    if (auto text = cast<String>(value))
        return text->str();
    if (auto number = cast<Number>(value))
        return number->stringValue();
    return std::nullopt;
}

bool UserDefaults::boolForKey(std::string_view key) const
{
    Id value = objectForKey(key);
    if (auto number = cast<Number>(value))
        return number->boolValue();
    if (auto text = cast<String>(value))
        return ns::boolValue(text->str());
    return false;
}

int64_t UserDefaults::integerForKey(std::string_view key) const
{
    Id value = objectForKey(key);
    if (auto number = cast<Number>(value))
        return number->integerValue();
    if (auto text = cast<String>(value))
        return integerValue(text->str());
    return 0;
}

double UserDefaults::doubleForKey(std::string_view key) const
{
    Id value = objectForKey(key);
    if (auto number = cast<Number>(value))
        return number->doubleValue();
    if (auto text = cast<String>(value))
        return doubleValue(text->str());
    return 0;
}

Ref<Dictionary> UserDefaults::dictionaryForKey(std::string_view key) const
{
    return cast<Dictionary>(objectForKey(key));
}

Ref<Array> UserDefaults::arrayForKey(std::string_view key) const
{
    return cast<Array>(objectForKey(key));
}

Ref<Data> UserDefaults::dataForKey(std::string_view key) const
{
    return cast<Data>(objectForKey(key));
}

Ref<Dictionary> UserDefaults::dictionaryRepresentation() const
{
    std::lock_guard lock(m_mutex);
    loadLocked();
    return cast<Dictionary>(m_values->copy());
}

void UserDefaults::setObject(const Id& value, std::string_view key)
{
    if (!value) {
        removeObjectForKey(key);
        return;
    }
    Id copy = PropertyList::copyPropertyList(value);
    if (!copy) {
        log("Attempt to set a non-property-list object %@ as an NSUserDefaults value for key %s", value,
            std::string(key));
        return;
    }
    std::lock_guard lock(m_mutex);
    loadLocked();
    m_values->setObject(std::move(copy), key);
    m_dirty = true;
}

void UserDefaults::setBool(bool value, std::string_view key)
{
    setObject(Number::numberWithBool(value), key);
}

void UserDefaults::setInteger(int64_t value, std::string_view key)
{
    setObject(Number::numberWithInteger(value), key);
}

void UserDefaults::setDouble(double value, std::string_view key)
{
    setObject(Number::numberWithDouble(value), key);
}

void UserDefaults::removeObjectForKey(std::string_view key)
{
    std::lock_guard lock(m_mutex);
    loadLocked();
    if (!m_values->objectForKey(key))
        return;
    m_values->removeObjectForKey(key);
    m_dirty = true;
}

bool UserDefaults::synchronize(Ref<Error>* error)
{
    std::lock_guard lock(m_mutex);
    loadLocked();
    if (!m_dirty)
        return true;
    std::string folder = m_path.substr(0, m_path.rfind('/') == std::string::npos ? 0 : m_path.rfind('/'));
    if (!folder.empty() && !FileManager::createDirectoryAtPath(folder, true, error))
        return false;
    if (m_corrupt && FileManager::fileExistsAtPath(m_path)) {
        std::string aside = m_path + ".corrupt";
        if (std::rename(m_path.c_str(), aside.c_str()) != 0) {
            setError(error, FileManager::errorForErrno(errno, aside, true));
            return false;
        }
        log("The unreadable user defaults were kept as %s", aside);
    }
    m_corrupt = false;
    if (!PropertyList::writePropertyList(m_values, m_path, error))
        return false;
    m_dirty = false;
    return true;
}

} // namespace ns
