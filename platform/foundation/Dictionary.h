#pragma once

#include "foundation/Object.h"

#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ns {

class Array;
class MutableDictionary;

// Key to object. Abstract, so that other containers (the JSON codec's) are dictionaries too. Our own
// implementation enumerates in insertion order; a later value for an equal key replaces the earlier one.
class Dictionary : public Object
{
public:
    using Entries = std::vector<std::pair<Id, Id>>;
    using Visitor = std::function<void(const Id& key, const Id& value, bool& stop)>;

    static Ref<Dictionary> make(Entries entries = {});
    // Text keys, the common case: Dictionary::withStrings({{"a", value}}).
    static Ref<Dictionary> withStrings(std::initializer_list<std::pair<std::string, Id>> entries);

    virtual std::size_t count() const = 0;
    virtual Id objectForKey(const Id& key) const = 0;
    virtual void enumerateKeysAndObjects(const Visitor& visit) const = 0;
    virtual bool isMutable() const { return false; }
    // The entries themselves in enumeration order, for readers that walk many dictionaries without
    // counting references to each key and value; nothing when the dictionary does not keep them so. Valid
    // while the dictionary is not changed.
    virtual const Entries* entriesInPlace() const { return nullptr; }

    Id objectForKey(std::string_view key) const;
    template <class T> Ref<T> objectAs(std::string_view key) const { return cast<T>(objectForKey(key)); }
    // The text under a key, or nothing when absent or not a text.
    std::optional<std::string> stringForKey(std::string_view key) const;
    std::vector<Id> allKeys() const;
    std::vector<Id> allValues() const;
    Entries entries() const;

    Ref<MutableDictionary> mutableCopy() const;

    std::string className() const override { return "NSDictionary"; }
    std::string description() const override;
    bool isEqual(const Object& other) const override;
    std::size_t hash() const override { return count(); }
    Id copy() const override;
};

class MutableDictionary : public Dictionary
{
public:
    static Ref<MutableDictionary> make(Entries entries = {});

    // Raises the invalid-argument exception for a missing key or value.
    virtual void setObject(Id value, Id key) = 0;
    virtual void removeObjectForKey(const Id& key) = 0;
    virtual void removeAllObjects();

    bool isMutable() const override { return true; }
    void setObject(Id value, std::string_view key);
    void removeObjectForKey(std::string_view key);
    void addEntriesFromDictionary(const Dictionary& other);

    std::string className() const override { return "NSMutableDictionary"; }
};

// Text for collection descriptions: strings quoted where the platform quotes them, nested indentation.
std::string describeNested(const Id& object, int indent);

} // namespace ns
