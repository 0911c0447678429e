#include "webservices/jk/JKDictionary.h"

#include "foundation/Exception.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr std::size_t Capacities[] = {
    0,       3,        7,        13,       23,       41,       71,        127,       191,       251,
    383,     631,      1087,     1723,     2803,     4523,     7351,      11959,     19447,     31231,
    50683,   81919,    132607,   214519,   346607,   561109,   907759,    1468927,   2376191,   3845119,
    6221311, 10066421, 16287743, 26354171, 42641881, 68996069, 111638519, 180634607, 292272623, 472907251,
};

std::string prefix(const char* selector)
{
    return std::string("*** -[JKDictionary ") + selector + "]: ";
}

bool sameKey(const JKHashTableEntry& entry, uint32_t keyHash, const ns::Object& key)
{
    return entry.key && entry.keyHash == keyHash && (entry.key.get() == &key || entry.key->isEqual(key));
}

} // namespace

std::size_t JKDictionary::capacityForEntryCount(std::size_t count)
{
    double target = std::floor(static_cast<double>(count) * 1.33);
    auto found = std::lower_bound(
        std::begin(Capacities), std::end(Capacities), target,
        [](std::size_t capacity, double wanted) { return static_cast<double>(capacity) < wanted; });
    return found == std::end(Capacities) ? NoCapacity : *found;
}

ns::Ref<JKDictionary> JKDictionary::create(JKHashTableEntry* entries, std::size_t count,
                                           bool mutableCollection)
{
    std::size_t capacity = capacityForEntryCount(count);
    if (capacity == NoCapacity)
        return nullptr;
    auto dictionary = JKMakeShared<JKDictionary>(Passkey(), Table(capacity), mutableCollection);
    for (std::size_t i = 0; i < count; ++i)
        dictionary->addObject(entries[i].keyHash, std::move(entries[i].key), std::move(entries[i].object));
    return dictionary;
}

void JKDictionary::allocWithZone()
{
    ns::raise(ns::InvalidArgumentException,
              "*** - [JKDictionary allocWithZone:]: The JKDictionary class is private "
              "to JKCodec and should not be used in this fashion.");
}

JKDictionary::JKDictionary(Passkey, Table table, bool mutableCollection)
    : m_table(std::move(table)), m_mutations(mutableCollection ? 1 : 0)
{
}

JKDictionary::~JKDictionary() = default;

const JKHashTableEntry* JKDictionary::entryForKey(const ns::Object& key) const
{
    std::size_t capacity = m_table.size();
    if (capacity == 0)
        return nullptr;
    uint32_t keyHash = keyHashOf(key);
    std::size_t slot = keyHash % capacity;
    for (std::size_t probe = 0; probe < capacity; ++probe) {
        const JKHashTableEntry& entry = m_table[slot];
        if (!entry.key)
            return nullptr;
        if (sameKey(entry, keyHash, key))
            return &entry;
        if (++slot == capacity)
            slot = 0;
    }
    return nullptr;
}

void JKDictionary::addObject(uint32_t keyHash, ns::Id key, ns::Id object)
{
    std::size_t capacity = m_table.size();
    if (capacity == 0)
        return;
    std::size_t slot = keyHash % capacity;
    for (std::size_t probe = 0; probe < capacity; ++probe) {
        JKHashTableEntry& entry = m_table[slot];
        if (sameKey(entry, keyHash, *key))
            removeEntry(slot);
        if (!entry.key) {
            entry.keyHash = keyHash;
            entry.key = std::move(key);
            entry.object = std::move(object);
            ++m_count;
            return;
        }
        if (++slot == capacity)
            slot = 0;
    }
    // No free slot: the key and object are dropped (released here).
}

void JKDictionary::removeEntry(std::size_t slot)
{
    std::size_t capacity = m_table.size();
    JKHashTableEntry removed = std::move(m_table[slot]); // released once the table is consistent again
    m_table[slot].keyHash = 0;
    --m_count;
    // Re-file the rest of the probe run so that no search stops at the new hole.
    std::size_t at = slot;
    for (std::size_t step = 1; step < capacity; ++step) {
        if (++at == capacity)
            at = 0;
        JKHashTableEntry& entry = m_table[at];
        if (!entry.key)
            break;
        JKHashTableEntry moved = std::move(entry);
        entry.keyHash = 0;
        place(std::move(moved));
    }
}

void JKDictionary::place(JKHashTableEntry moved)
{
    std::size_t capacity = m_table.size();
    std::size_t slot = moved.keyHash % capacity;
    for (std::size_t probe = 0; probe < capacity; ++probe) {
        JKHashTableEntry& entry = m_table[slot];
        if (!entry.key) {
            entry = std::move(moved);
            return;
        }
        if (++slot == capacity)
            slot = 0;
    }
}

void JKDictionary::resizeIfNecessary()
{
    std::size_t capacity = capacityForEntryCount(std::size_t(m_count) + 1);
    if (capacity == NoCapacity)
        ns::raise(ns::MallocException, "Unable to allocate memory for hash table.");
    if (capacity <= m_table.size())
        return;
    Table old(capacity);
    old.swap(m_table);
    for (auto& entry : old)
        if (entry.key)
            place(std::move(entry));
}

ns::Id JKDictionary::objectForKey(const ns::Id& key) const
{
    if (!key)
        return nullptr;
    const JKHashTableEntry* entry = entryForKey(*key);
    return entry ? entry->object : nullptr;
}

void JKDictionary::enumerateKeysAndObjects(const Visitor& visit) const
{
    bool stop = false;
    for (std::size_t slot = 0; slot < m_table.size() && !stop; ++slot) {
        const JKHashTableEntry& entry = m_table[slot];
        if (!entry.key)
            continue;
        if (!isMutable()) {
            visit(entry.key, entry.object, stop);
        } else {
            // The visitor may change a mutable dictionary: keep the pair alive through the call.
            ns::Id key = entry.key;
            ns::Id object = entry.object;
            visit(key, object, stop);
        }
    }
}

void JKDictionary::getObjects(ns::Id* objects, ns::Id* keys) const
{
    std::size_t at = 0;
    for (const auto& entry : m_table) {
        if (!entry.key)
            continue;
        if (objects)
            objects[at] = entry.object;
        if (keys)
            keys[at] = entry.key;
        ++at;
    }
}

std::size_t JKDictionary::countByEnumerating(JKFastEnumerationState& state, ns::Id* buffer,
                                             std::size_t length) const
{
    if (state.state == 0) {
        state.itemsPtr = buffer;
        state.mutationsPtr = &m_mutations;
    }
    std::size_t copied = 0;
    while (copied < length && state.state < m_table.size()) {
        const JKHashTableEntry& entry = m_table[state.state++];
        if (entry.key)
            buffer[copied++] = entry.key;
    }
    return copied;
}

ns::Ref<JKDictionaryEnumerator> JKDictionary::keyEnumerator() const
{
    return ns::make<JKDictionaryEnumerator>(self<JKDictionary>());
}

void JKDictionary::checkMutable(const char* selector) const
{
    if (m_mutations == 0)
        ns::raise(ns::InternalInconsistencyException,
                  prefix(selector) + "mutating method sent to immutable object");
}

void JKDictionary::countMutation()
{
    m_mutations = m_mutations == UINT32_MAX ? 1 : m_mutations + 1;
}

void JKDictionary::setObject(ns::Id value, ns::Id key)
{
    const char* selector = "setObject:forKey:";
    checkMutable(selector);
    if (!key)
        ns::raise(ns::InvalidArgumentException, prefix(selector) + "attempt to insert nil key");
    if (!value)
        ns::raise(ns::InvalidArgumentException,
                  prefix(selector) + "attempt to insert nil value (key: " + key->description() + ")");
    resizeIfNecessary();
    ns::Id stored = key->copy(); // the dictionary holds its own immutable key
    uint32_t keyHash = keyHashOf(*stored);
    addObject(keyHash, std::move(stored), std::move(value));
    countMutation();
}

void JKDictionary::removeObjectForKey(const ns::Id& key)
{
    const char* selector = "removeObjectForKey:";
    checkMutable(selector);
    if (!key)
        ns::raise(ns::InvalidArgumentException, prefix(selector) + "attempt to remove nil key");
    const JKHashTableEntry* entry = entryForKey(*key);
    if (!entry)
        return;
    removeEntry(static_cast<std::size_t>(entry - m_table.data()));
    countMutation();
}

ns::Id JKDictionary::copy() const
{
    if (!isMutable())
        return ns::Object::copy();
    return ns::Dictionary::make(entries());
}

JKDictionaryEnumerator::JKDictionaryEnumerator(ns::Ref<const JKDictionary> dictionary)
    : m_collection(std::move(dictionary))
{
}

ns::Id JKDictionaryEnumerator::nextObject()
{
    if (!m_collection)
        return nullptr;
    const auto& table = m_collection->m_table;
    while (m_nextObject < table.size()) {
        const JKHashTableEntry& entry = table[m_nextObject++];
        if (entry.key)
            return entry.key;
    }
    m_collection.reset(); // the enumerator lets its dictionary go when it ends
    return nullptr;
}

ns::Ref<ns::Array> JKDictionaryEnumerator::allObjects()
{
    std::vector<ns::Id> keys;
    while (ns::Id key = nextObject())
        keys.push_back(std::move(key));
    return ns::Array::make(std::move(keys));
}
