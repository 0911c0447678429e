#include "webservices/jk/JKArray.h"

#include "foundation/Exception.h"
#include "foundation/Number.h"
#include "foundation/String.h"
#include "webservices/jk/JSONDecoder.h"

#include <gtest/gtest.h>

namespace {

ns::Ref<JKArray> parseArray(const std::string& text, bool mutableCollections)
{
    JSONDecoder decoder;
    ns::Id result = mutableCollections ? decoder.mutableObjectWithUTF8String(text.data(), text.size())
                                       : decoder.objectWithUTF8String(text.data(), text.size());
    return ns::cast<JKArray>(result);
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

} // namespace

TEST(JKArray, ImmutableArrayRefusesEveryMutation)
{
    auto array = parseArray("[1,2]", false);
    ASSERT_TRUE(array);
    EXPECT_FALSE(array->isMutable());
    std::string name;
    EXPECT_EQ(reasonOf([&] { array->insertObject(ns::String::make("x"), 0); }, &name),
              "*** -[JKArray insertObject:atIndex:]: mutating method sent to immutable object");
    EXPECT_EQ(name, ns::InternalInconsistencyException);
    EXPECT_EQ(reasonOf([&] { array->removeObjectAtIndex(0); }),
              "*** -[JKArray removeObjectAtIndex:]: mutating method sent to immutable object");
    EXPECT_EQ(reasonOf([&] { array->replaceObjectAtIndex(0, ns::String::make("x")); }),
              "*** -[JKArray replaceObjectAtIndex:withObject:]: mutating method sent to immutable object");
    EXPECT_EQ(array->count(), 2u);
    EXPECT_EQ(array->mutations(), 0u);
    // An immutable array is its own copy.
    EXPECT_EQ(array->copy().get(), array.get());
}

TEST(JKArray, MutableArrayAcceptsMutationsAndCountsThem)
{
    auto array = parseArray("[]", true);
    ASSERT_TRUE(array);
    EXPECT_TRUE(array->isMutable());
    EXPECT_EQ(array->capacity(), 0u);
    uint32_t before = array->mutations();
    array->insertObject(ns::String::make("a"), 0);
    EXPECT_EQ(array->capacity(), 16u);
    array->addObject(ns::String::make("c"));
    array->insertObject(ns::String::make("b"), 1);
    array->replaceObjectAtIndex(2, ns::String::make("d"));
    array->removeObjectAtIndex(0);
    EXPECT_EQ(array->mutations(), before + 5);
    ASSERT_EQ(array->count(), 2u);
    EXPECT_EQ(ns::describe(array->objectAtIndex(0)), "b");
    EXPECT_EQ(ns::describe(array->objectAtIndex(1)), "d");

    auto copy = array->copy();
    EXPECT_NE(copy.get(), array.get());
    EXPECT_FALSE(ns::cast<ns::Array>(copy)->isMutable());
    EXPECT_TRUE(ns::isEqual(copy, array));
}

TEST(JKArray, RaisesThePlatformMessages)
{
    auto array = parseArray("[1]", true);
    ASSERT_TRUE(array);
    struct Case
    {
        const char* name;
        std::function<void()> action;
        const char* exception;
        const char* reason;
    } cases[] = {
        {"insert past the end", [&] { array->insertObject(ns::String::make("x"), 2); }, ns::RangeException,
         "*** -[JKArray insertObject:atIndex:]: index (2) beyond bounds (2)"},
        {"insert nil", [&] { array->insertObject(nullptr, 0); }, ns::InvalidArgumentException,
         "*** -[JKArray insertObject:atIndex:]: attempt to insert nil"},
        {"replace nil", [&] { array->replaceObjectAtIndex(0, nullptr); }, ns::InvalidArgumentException,
         "*** -[JKArray replaceObjectAtIndex:withObject:]: attempt to insert nil"},
        {"remove past the end", [&] { array->removeObjectAtIndex(1); }, ns::RangeException,
         "*** -[JKArray removeObjectAtIndex:]: index (1) beyond bounds (1)"},
        {"read past the end", [&] { array->objectAtIndex(5); }, ns::RangeException,
         "*** -[JKArray objectAtIndex:]: index (5) beyond bounds (1)"},
        {"read a range without a buffer", [&] { array->getObjects(nullptr, 0, 1); }, ns::RangeException,
         "*** -[JKArray getObjects:range:]: pointer to objects array is NULL but range length is 1"},
        {"read a range past the end",
         [&] {
             ns::Id buffer[4];
             array->getObjects(buffer, 0, 3);
         },
         ns::RangeException, "*** -[JKArray getObjects:range:]: index (3) beyond bounds (1)"},
        {"make one directly", [] { JKArray::allocWithZone(); }, ns::InvalidArgumentException,
         "*** - [JKArray allocWithZone:]: The JKArray class is private to JKCodec and should not be used in "
         "this "
         "fashion."},
    };
    uint32_t mutations = array->mutations();
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        std::string name;
        EXPECT_EQ(reasonOf(row.action, &name), row.reason);
        EXPECT_EQ(name, row.exception);
    }
    // A mutation that raises changes nothing and does not count.
    EXPECT_EQ(array->count(), 1u);
    EXPECT_EQ(array->mutations(), mutations);
}

TEST(JKArray, FastEnumerationLetsTheCallerNoticeAMutation)
{
    auto array = parseArray("[1,2,3,4,5]", true);
    ASSERT_TRUE(array);
    JKFastEnumerationState state;
    ns::Id buffer[2];
    std::size_t got = array->countByEnumerating(state, buffer, 2);
    ASSERT_EQ(got, 2u);
    EXPECT_EQ(state.itemsPtr, buffer);
    uint32_t seen = *state.mutationsPtr;
    EXPECT_EQ(ns::describe(buffer[1]), "2");
    array->removeObjectAtIndex(0);
    EXPECT_NE(*state.mutationsPtr, seen);

    JKFastEnumerationState again;
    std::size_t total = 0;
    while (std::size_t n = array->countByEnumerating(again, buffer, 2))
        total += n;
    EXPECT_EQ(total, 4u);
}
