#pragma once

#include "foundation/Object.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// The kinds of scanned values; the numbers enter the token hash and the cache probe.
enum JKValueType : uint8_t {
    JKValueTypeNone = 0,
    JKValueTypeString = 5,
    JKValueTypeLongLong = 7,
    JKValueTypeUnsignedLongLong = 11,
    JKValueTypeDouble = 13,
};

// A scanned string or number: its bytes (the decoded text, or the 8 bytes of the number), kind and hash.
struct JKTokenValue
{
    const uint8_t* ptr = nullptr;
    std::size_t size = 0;
    JKValueType type = JKValueTypeNone;
    uint32_t hash = 0;
    union {
        int64_t longLongValue;
        uint64_t unsignedLongLongValue;
        double doubleValue;
    } number = {0};
};

// What a probe compares comes first, so that an item fills one cache line of its own.
struct alignas(64) JKTokenCacheItem
{
    uint32_t hash = 0;
    uint32_t keyHash = 0; // the key hash of the object, 0 until the parser first needs it as a key
    uint32_t size = 0;    // values of 4 GiB and more are not cached
    JKValueType type = JKValueTypeNone;
    ns::Id object;
    std::string bytes; // a copy of the value's bytes
};

// The objects made for repeated string and number tokens, so that a reply full of repeated keys and
// values holds one object per distinct token. A fixed table with at most four probes per lookup; items
// that are not hit again age away under a pseudo-random halving of their ages.
class JKTokenCache
{
public:
    static constexpr std::size_t Size = 1024; // a power of two

    JKTokenCache();

    // The object for the value, and the item that holds it (or nothing when it was not cached).
    ns::Id cachedObject(const JKTokenValue& value, JKTokenCacheItem** item);
    // Releases every cached object and forgets every item and age.
    void clear();
    // Releases the objects that items gave up during the parse under way (see below); the parser calls it
    // before it answers.
    void releaseEvicted();

    uint32_t lfsr() const { return m_lfsr; }
    const JKTokenCacheItem& item(std::size_t index) const { return m_items[index]; }
    uint8_t age(std::size_t index) const { return m_age[index]; }

    // The shared empty string every empty string token gives.
    static const ns::Id& emptyString();
    static ns::Id makeObject(const JKTokenValue& value);

private:
    void ageOneStep();
    void evict(ns::Id&& object);

    // An item that takes a new object gives up its old one, whose memory has gone cold since it was made.
    // Its release waits here a few evictions, with its memory fetched meanwhile, instead of stalling the
    // parse on the spot. All of them are released before the parse answers.
    static constexpr std::size_t EvictionDelay = 16;
    ns::Id m_evicted[EvictionDelay];
    std::size_t m_nextEvicted = 0;

    std::unique_ptr<JKTokenCacheItem[]> m_items;
    uint32_t m_lfsr = 1; // never 0
    uint8_t m_age[Size] = {};
};
