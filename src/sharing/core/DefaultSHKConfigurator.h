#pragma once

#include "foundation/Object.h"

#include <functional>
#include <map>
#include <optional>
#include <shared_mutex>
#include <string>
#include <string_view>
#include <vector>

namespace ns {
class Dictionary;
}

// What a configuration key answers: a text, a boolean or an integer (as numbers), a colour or an array of
// texts. Any key may also answer nothing.
enum class SHKConfigurationKind { Text, Bool, Number, Colour, Array };

// Every setting of the sharing framework and its sharers, asked for by key at the moment it is used: one
// table from key to answer, with every key's default. An application's configurator is a subclass that
// overrides entries of the table; the device's own settings can override them again. A key the table
// does not hold gives nothing.
class DefaultSHKConfigurator : public ns::Object
{
public:
    // An answer, given the object that a key such as "barTintForView:" is asked with (nothing for the
    // others). Answers may differ from one call to the next; nobody caches them.
    using Answer = std::function<ns::Id(const ns::Id& object)>;

    static ns::Ref<DefaultSHKConfigurator> create();

    bool respondsToKey(std::string_view key) const;
    // The key's answer, or nothing for a key the configurator does not answer.
    ns::Id valueForKey(std::string_view key, const ns::Id& object = nullptr) const;
    std::optional<SHKConfigurationKind> kindForKey(std::string_view key) const;
    // Every key answered, in the order of the tables.
    std::vector<std::string> keys() const;

    // Makes the key answer a fixed value of its kind, or nothing. A colour may be given as "#rrggbb",
    // "#rrggbbaa" or an array of three or four components from 0 to 1, and the empty text stands for no
    // colour. False, with the reason for the user, for a key the configurator does not answer or a value
    // of another kind; the answer then stays as it was.
    bool setValueForKey(std::string_view key, ns::Id value, std::string* reason = nullptr);
    // setValueForKey for every entry of a property-list dictionary; the reasons of the refused entries.
    std::vector<std::string> applyOverrides(const ns::Dictionary& overrides);

    // "text", "bool", "number", "colour", "array".
    static std::string kindName(SHKConfigurationKind kind);
    // A value as the key listing shows it: "quoted text", true, 3, #rrggbbaa, ("a", "b") or none.
    static std::string describeValue(const ns::Id& value);

    std::string className() const override { return "DefaultSHKConfigurator"; }

protected:
    DefaultSHKConfigurator();
    friend ns::Factory<DefaultSHKConfigurator>;

    // What a subclass changes, entry by entry: a key of the table answers another value or another
    // function. Overriding a key the table does not hold is a programming error.
    void overrideAnswer(std::string_view key, ns::Id value);
    void overrideAnswer(std::string_view key, Answer answer);
    // A key of a subclass's own.
    void defineKey(std::string key, SHKConfigurationKind kind, Answer answer);

private:
    struct Entry
    {
        std::string key;
        SHKConfigurationKind kind;
        Answer answer;
    };

    void defineDefaults();
    void define(std::string key, SHKConfigurationKind kind, ns::Id value);
    Entry* find(std::string_view key);
    const Entry* find(std::string_view key) const;

    mutable std::shared_mutex m_mutex;
    std::vector<Entry> m_entries;
    std::map<std::string, std::size_t, std::less<>> m_index;
};
