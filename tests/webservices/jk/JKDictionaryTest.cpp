#include "webservices/jk/JKDictionary.h"

#include "foundation/Exception.h"
#include "foundation/Number.h"
#include "foundation/String.h"
#include "webservices/jk/JSONDecoder.h"

#include <gtest/gtest.h>

#include <set>

namespace {

ns::Ref<JKDictionary> parseDictionary(const std::string& text, bool mutableCollections)
{
    JSONDecoder decoder;
    ns::Id result = mutableCollections ? decoder.mutableObjectWithUTF8String(text.data(), text.size())
                                       : decoder.objectWithUTF8String(text.data(), text.size());
    return ns::cast<JKDictionary>(result);
}

std::string reasonOf(const std::function<void()>& action, std::string* name = nullptr)
{
    try {
        action();
    } catch (const ns::Exception& exception) {
        if (name)
            *name = exception.name();
        return exception.reason();
    }
    return "(no exception)";
}

ns::Id key(const char* text)
{
    return ns::String::make(text);
}

} // namespace

TEST(JKDictionary, CapacityForEntryCount)
{
    struct Case
    {
        std::size_t count;
        std::size_t capacity;
    } cases[] = {{0, 0}, {1, 3},  {3, 3},     {4, 7},
                 {6, 7}, {7, 13}, {100, 191}, {400000000, JKDictionary::NoCapacity}};
    for (const auto& row : cases) {
        SCOPED_TRACE(row.count);
        EXPECT_EQ(JKDictionary::capacityForEntryCount(row.count), row.capacity);
    }
}

TEST(JKDictionary, FullTableAnswersNothingForAnAbsentKey)
{
    auto dictionary = parseDictionary(R"({"a":1,"b":2,"c":3})", false);
    ASSERT_TRUE(dictionary);
    EXPECT_EQ(dictionary->capacity(), 3u);
    EXPECT_EQ(dictionary->count(), 3u);
    EXPECT_FALSE(dictionary->objectForKey(key("d")));
    EXPECT_EQ(ns::describe(dictionary->objectForKey(key("b"))), "2");
}

TEST(JKDictionary, LaterDuplicateKeyReplacesTheEarlier)
{
    auto dictionary = parseDictionary(R"({"a":1,"a":2})", false);
    ASSERT_TRUE(dictionary);
    EXPECT_EQ(dictionary->count(), 1u);
    EXPECT_EQ(ns::describe(dictionary->objectForKey(key("a"))), "2");
}

TEST(JKDictionary, RemovalKeepsTheRestOfItsProbeRunFindable)
{
    // Build a mutable table in which several keys share a home slot, so that each probe run is long.
    auto dictionary = parseDictionary("{}", true);
    ASSERT_TRUE(dictionary);
    std::vector<std::string> names;
    for (int i = 0; i < 60; ++i)
        names.push_back("key" + std::to_string(i));
    for (const auto& name : names)
        dictionary->setObject(ns::String::make(name + "-value"), key(name.c_str()));
    ASSERT_EQ(dictionary->count(), names.size());

    // Find a key whose successor slot is occupied by a key from an earlier home: its removal must move it.
    std::size_t capacity = dictionary->capacity();
    const auto& table = dictionary->table();
    std::string victim;
    for (std::size_t slot = 0; slot < capacity && victim.empty(); ++slot) {
        const auto& entry = table[slot];
        const auto& next = table[(slot + 1) % capacity];
        if (entry.key && next.key && next.keyHash % capacity != (slot + 1) % capacity)
            victim = ns::describe(entry.key);
    }
    ASSERT_FALSE(victim.empty()) << "no probe run long enough in this table";

    dictionary->removeObjectForKey(key(victim.c_str()));
    EXPECT_EQ(dictionary->count(), names.size() - 1);
    EXPECT_FALSE(dictionary->objectForKey(key(victim.c_str())));
    for (const auto& name : names) {
        if (name == victim)
            continue;
        SCOPED_TRACE(name);
        EXPECT_EQ(ns::describe(dictionary->objectForKey(key(name.c_str()))), name + "-value");
    }
    // Every entry still sits where a search from its home reaches it without crossing a hole.
    for (std::size_t slot = 0; slot < capacity; ++slot) {
        const auto& entry = table[slot];
        if (!entry.key)
            continue;
        for (std::size_t at = entry.keyHash % capacity; at != slot; at = (at + 1) % capacity)
            EXPECT_TRUE(table[at].key) << "hole before " << ns::describe(entry.key);
    }
}

TEST(JKDictionary, ImmutableDictionaryRefusesMutation)
{
    auto dictionary = parseDictionary(R"({"a":1})", false);
    ASSERT_TRUE(dictionary);
    std::string name;
    EXPECT_EQ(reasonOf([&] { dictionary->setObject(ns::String::make("x"), key("a")); }, &name),
              "*** -[JKDictionary setObject:forKey:]: mutating method sent to immutable object");
    EXPECT_EQ(name, ns::InternalInconsistencyException);
    EXPECT_EQ(reasonOf([&] { dictionary->removeObjectForKey(key("a")); }),
              "*** -[JKDictionary removeObjectForKey:]: mutating method sent to immutable object");
    EXPECT_EQ(
        reasonOf([] { JKDictionary::allocWithZone(); }, &name),
        "*** - [JKDictionary allocWithZone:]: The JKDictionary class is private to JKCodec and should not be "
        "used in this fashion.");
    EXPECT_EQ(name, ns::InvalidArgumentException);
    EXPECT_EQ(dictionary->copy().get(), dictionary.get());
}

TEST(JKDictionary, MutableDictionaryAcceptsMutation)
{
    auto dictionary = parseDictionary("{}", true);
    ASSERT_TRUE(dictionary);
    EXPECT_EQ(dictionary->count(), 0u);
    EXPECT_EQ(dictionary->capacity(), 0u);
    EXPECT_FALSE(dictionary->objectForKey(key("a")));
    uint32_t before = dictionary->mutations();
    dictionary->setObject(ns::Number::numberWithInt(1), key("a"));
    EXPECT_EQ(dictionary->capacity(), 3u);
    dictionary->setObject(ns::Number::numberWithInt(2), key("a"));
    dictionary->setObject(ns::Number::numberWithInt(3), key("b"));
    dictionary->removeObjectForKey(key("absent"));
    dictionary->removeObjectForKey(key("b"));
    EXPECT_EQ(dictionary->mutations(), before + 4);
    EXPECT_EQ(dictionary->count(), 1u);
    EXPECT_EQ(ns::describe(dictionary->objectForKey(key("a"))), "2");

    struct Case
    {
        const char* name;
        std::function<void()> action;
        const char* reason;
    } cases[] = {
        {"nil key", [&] { dictionary->setObject(ns::String::make("x"), ns::Id()); },
         "*** -[JKDictionary setObject:forKey:]: attempt to insert nil key"},
        {"nil value", [&] { dictionary->setObject(ns::Id(), key("k")); },
         "*** -[JKDictionary setObject:forKey:]: attempt to insert nil value (key: k)"},
        {"remove nil", [&] { dictionary->removeObjectForKey(ns::Id()); },
         "*** -[JKDictionary removeObjectForKey:]: attempt to remove nil key"},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(reasonOf(row.action), row.reason);
    }
    auto copy = ns::cast<ns::Dictionary>(dictionary->copy());
    ASSERT_TRUE(copy);
    EXPECT_FALSE(copy->isMutable());
    EXPECT_TRUE(ns::isEqual(copy, dictionary));
}

TEST(JKDictionary, NestedDictionariesOfAMutableResultAcceptSetObject)
{
    auto dictionary = parseDictionary(R"({"user":{"name":null,"inner":{"x":null}},"list":[{"y":1}]})", true);
    ASSERT_TRUE(dictionary);
    auto user = ns::cast<ns::MutableDictionary>(dictionary->objectForKey(key("user")));
    ASSERT_TRUE(user && user->isMutable());
    user->setObject(ns::String::make(""), key("name"));
    EXPECT_EQ(ns::describe(user->objectForKey(key("name"))), "");
    auto inner = ns::cast<ns::MutableDictionary>(user->objectForKey(key("inner")));
    ASSERT_TRUE(inner && inner->isMutable());
    auto list = ns::cast<ns::MutableArray>(dictionary->objectForKey(key("list")));
    ASSERT_TRUE(list && list->isMutable());
    EXPECT_TRUE(ns::cast<ns::Dictionary>(list->objectAtIndex(0))->isMutable());
}

TEST(JKDictionary, EnumeratesInSlotOrderEverywhere)
{
    auto dictionary = parseDictionary(R"({"one":1,"two":2,"three":3,"four":4,"five":5})", false);
    ASSERT_TRUE(dictionary);
    std::vector<std::string> slotOrder;
    for (const auto& entry : dictionary->table())
        if (entry.key)
            slotOrder.push_back(ns::describe(entry.key));
    ASSERT_EQ(slotOrder.size(), 5u);

    std::vector<std::string> visited;
    dictionary->enumerateKeysAndObjects(
        [&](const ns::Id& k, const ns::Id&, bool&) { visited.push_back(ns::describe(k)); });
    EXPECT_EQ(visited, slotOrder);

    std::vector<std::string> enumerated;
    auto enumerator = dictionary->keyEnumerator();
    enumerated.push_back(ns::describe(enumerator->nextObject()));
    auto rest = enumerator->allObjects();
    for (std::size_t i = 0; i < rest->count(); ++i)
        enumerated.push_back(ns::describe(rest->objectAtIndex(i)));
    EXPECT_EQ(enumerated, slotOrder);
    EXPECT_FALSE(enumerator->nextObject());

    ns::Id keys[5], objects[5];
    dictionary->getObjects(objects, keys);
    for (std::size_t i = 0; i < 5; ++i)
        EXPECT_EQ(ns::describe(keys[i]), slotOrder[i]);

    JKFastEnumerationState state;
    ns::Id buffer[16];
    std::size_t n = dictionary->countByEnumerating(state, buffer, 16);
    ASSERT_EQ(n, 5u);
    for (std::size_t i = 0; i < 5; ++i)
        EXPECT_EQ(ns::describe(buffer[i]), slotOrder[i]);
}
