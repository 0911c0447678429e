#pragma once

#include "foundation/Dictionary.h"
#include "webservices/jk/JKAllocator.h"
#include "webservices/jk/JKArray.h"

#include <cstdint>
#include <string>
#include <vector>

// One slot of the dictionary's table; an empty slot has no key, no object and hash 0.
struct JKHashTableEntry
{
    uint32_t keyHash = 0;
    ns::Id key;
    ns::Id object;
};

class JKDictionaryEnumerator;

// The decoder's dictionary: an open-addressing table with linear probing over prime capacities, filled
// straight from the parser's slots, immutable or mutable from its creation. It enumerates in slot order.
class JKDictionary final : public ns::MutableDictionary
{
    struct Passkey
    {
        explicit Passkey() = default;
    };

public:
    using Table = std::vector<JKHashTableEntry, JKPoolAllocator<JKHashTableEntry>>;
    static constexpr std::size_t NoCapacity = std::size_t(-1);

    // Takes over `count` entries (keys, their hashes and objects); a later equal key replaces an earlier one.
    // Nothing when the table cannot be made.
    static ns::Ref<JKDictionary> create(JKHashTableEntry* entries, std::size_t count, bool mutableCollection);
    // Dictionaries are made only by the decoder: always raises the invalid-argument exception.
    [[noreturn]] static void allocWithZone();
    // The table size for that many entries (about a third more, a prime); NoCapacity past the largest.
    static std::size_t capacityForEntryCount(std::size_t count);
    // The hash a key is filed under.
    static uint32_t keyHashOf(const ns::Object& key) { return static_cast<uint32_t>(key.hash()); }

    JKDictionary(Passkey, Table table, bool mutableCollection);
    ~JKDictionary() override;

    std::size_t count() const override { return m_count; }
    ns::Id objectForKey(const ns::Id& key) const override;
    using ns::Dictionary::objectForKey;
    void enumerateKeysAndObjects(const Visitor& visit) const override;
    bool isMutable() const override { return m_mutations != 0; }
    // Writes each entry's object and key, in slot order; either buffer may be absent.
    void getObjects(ns::Id* objects, ns::Id* keys) const;
    std::size_t countByEnumerating(JKFastEnumerationState& state, ns::Id* buffer, std::size_t length) const;
    ns::Ref<JKDictionaryEnumerator> keyEnumerator() const;

    void setObject(ns::Id value, ns::Id key) override;
    using ns::MutableDictionary::setObject;
    void removeObjectForKey(const ns::Id& key) override;
    using ns::MutableDictionary::removeObjectForKey;

    ns::Id copy() const override;
    std::string className() const override { return "JKDictionary"; }

    std::size_t capacity() const { return m_table.size(); }
    uint32_t mutations() const { return m_mutations; }
    // The slots themselves, for readers that walk many dictionaries (the encoder).
    const Table& table() const { return m_table; }

private:
    friend class JKDictionaryEnumerator;

    const JKHashTableEntry* entryForKey(const ns::Object& key) const;
    void addObject(uint32_t keyHash, ns::Id key, ns::Id object);
    void removeEntry(std::size_t slot);
    void place(JKHashTableEntry entry);
    void resizeIfNecessary();
    void checkMutable(const char* selector) const;
    void countMutation();

    Table m_table;
    uint32_t m_count = 0;
    uint32_t m_mutations;
};

// Hands out a dictionary's keys in slot order.
class JKDictionaryEnumerator : public ns::Object
{
public:
    explicit JKDictionaryEnumerator(ns::Ref<const JKDictionary> dictionary);

    // The next key, or nothing when the table is exhausted.
    ns::Id nextObject();
    // The keys not handed out yet.
    ns::Ref<ns::Array> allObjects();

    std::string className() const override { return "JKDictionaryEnumerator"; }

private:
    ns::Ref<const JKDictionary> m_collection;
    std::size_t m_nextObject = 0;
};
