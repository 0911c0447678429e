#pragma once

#include "foundation/Object.h"

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ns {

class Dictionary;
class Error;

inline constexpr long StringsReadCorruptError = 3840;

// A folder of resources: the application bundle or one inside it ("ShareCore.bundle"). It answers its
// Info.plist values, resource paths (also inside "<language>.lproj" folders) and localized texts from its
// ".strings" tables. A damaged Info.plist or table reads as empty, with an error and a log line.
class Bundle : public Object
{
public:
    // The application bundle: the folder given to setMainPath, else the built-in resources folder.
    static Ref<Bundle> main();
    static void setMainPath(const std::string& path);
    // The bundle in a folder; nothing when there is no such folder.
    static Ref<Bundle> withPath(const std::string& path);

    const std::string& bundlePath() const { return m_path; }
    const std::string& resourcePath() const { return m_path; }

    Ref<Dictionary> infoDictionary(Ref<Error>* error = nullptr) const;
    Id objectForInfoDictionaryKey(std::string_view key) const;
    std::optional<std::string> bundleIdentifier() const; // "CFBundleIdentifier"

    // The path of "name.type" (or of "name" when the type is empty), in the subfolder when one is given,
    // found first outside, then inside the preferred languages' ".lproj" folders.
    std::optional<std::string> pathForResource(std::string_view name, std::string_view type = {},
                                               std::string_view subfolder = {}) const;

    // The text for a key from a table ("Localizable" when none is named); when missing, the value, or the
    // key itself when the value is empty.
    std::string localizedString(std::string_view key, std::string_view value = {},
                                std::string_view table = {}) const;
    // A table by name, read once; empty (with the error) when absent or damaged.
    Ref<Dictionary> stringsTable(std::string_view table, Ref<Error>* error = nullptr) const;

    // Reads a ".strings" table: "key" = "value"; lines, comments, escapes, UTF-8 or UTF-16 with a byte-order
    // mark; an XML or binary property list of texts also does.
    static Ref<Dictionary> parseStringsTable(std::string_view bytes, Ref<Error>* error = nullptr);

    // The languages looked for, in order ("en", "English", "Base" unless set).
    static void setPreferredLocalizations(std::vector<std::string> languages);
    static std::vector<std::string> preferredLocalizations();

    std::string className() const override { return "NSBundle"; }
    std::string description() const override;

protected:
    explicit Bundle(std::string path);
    friend Factory<Bundle>;

private:
    struct Table
    {
        Ref<Dictionary> entries;
        Ref<Error> error;
    };

    std::string m_path;
    mutable std::mutex m_mutex;
    mutable bool m_infoLoaded = false;
    mutable Table m_info;
    mutable std::map<std::string, Table, std::less<>> m_tables;
};

} // namespace ns
