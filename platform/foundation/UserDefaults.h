#pragma once

#include "foundation/Object.h"

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace ns {

class Array;
class Data;
class Dictionary;
class Error;
class MutableDictionary;

// The user's settings: one XML property list, "Library/Preferences/<bundle identifier>.plist" in the
// sandbox, read on first use and written atomically by synchronize. Safe to use from any thread. Only
// property-list values are stored; anything else is refused with a log line and changes nothing.
class UserDefaults
{
public:
    static Ref<UserDefaults> standard();
    // Forgets the standard defaults so that the next use reads the file again, as a new process would.
    // Changes not synchronized are dropped.
    static void resetStandard();

    explicit UserDefaults(std::string path);

    const std::string& path() const { return m_path; }

    Id objectForKey(std::string_view key) const;
    // A text, or a number's text.
    std::optional<std::string> stringForKey(std::string_view key) const;
    bool boolForKey(std::string_view key) const;       // numbers and texts ("YES", "1"); else NO
    int64_t integerForKey(std::string_view key) const; // numbers and texts; else 0
    double doubleForKey(std::string_view key) const;   // numbers and texts; else 0
    Ref<Dictionary> dictionaryForKey(std::string_view key) const;
    Ref<Array> arrayForKey(std::string_view key) const;
    Ref<Data> dataForKey(std::string_view key) const;
    Ref<Dictionary> dictionaryRepresentation() const;

    // Stores a deep, immutable copy; nothing removes the key.
    void setObject(const Id& value, std::string_view key);
    void setBool(bool value, std::string_view key);
    void setInteger(int64_t value, std::string_view key);
    void setDouble(double value, std::string_view key);
    void removeObjectForKey(std::string_view key);

    // Writes pending changes; true when the file holds them. A file found damaged on reading is kept
    // beside the new one as "<name>.corrupt".
    bool synchronize(Ref<Error>* error = nullptr);

private:
    void loadLocked() const;

    std::string m_path;
    mutable std::mutex m_mutex;
    mutable bool m_loaded = false;
    mutable bool m_corrupt = false;
    mutable Ref<MutableDictionary> m_values;
    bool m_dirty = false;
};

} // namespace ns
