#include "webservices/jk/JKTokenCache.h"

#include "foundation/Array.h"
#include "foundation/Dictionary.h"
#include "foundation/Number.h"
#include "foundation/String.h"
#include "webservices/jk/JKParseState.h"
#include "webservices/jk/JSONDecoder.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

ns::Id parse(JSONDecoder& decoder, const std::string& text)
{
    return decoder.objectWithUTF8String(text.data(), text.size());
}

} // namespace

TEST(JKTokenCache, RepeatedKeyGivesOneObject)
{
    std::string text = "[";
    for (int i = 0; i < 100; ++i)
        text += (i ? ",{\"id\":" : "{\"id\":") + std::to_string(i) + "}";
    text += "]";
    JSONDecoder decoder;
    auto array = ns::cast<ns::Array>(parse(decoder, text));
    ASSERT_TRUE(array);
    ASSERT_EQ(array->count(), 100u);
    std::vector<ns::Id> keys;
    for (std::size_t i = 0; i < array->count(); ++i)
        keys.push_back(ns::cast<ns::Dictionary>(array->objectAtIndex(i))->allKeys().at(0));
    for (const auto& key : keys)
        EXPECT_EQ(key.get(), keys[0].get());
    EXPECT_EQ(ns::describe(keys[0]), "id");
}

TEST(JKTokenCache, RepeatedValuesShareObjectsAcrossParses)
{
    JSONDecoder decoder;
    auto first = ns::cast<ns::Array>(parse(decoder, R"(["same", 42, 2.5, "same", 42, 2.5])"));
    auto second = ns::cast<ns::Array>(parse(decoder, R"(["same", 42, 2.5])"));
    ASSERT_TRUE(first && second);
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(first->objectAtIndex(i).get(), first->objectAtIndex(i + 3).get());
        EXPECT_EQ(first->objectAtIndex(i).get(), second->objectAtIndex(i).get());
    }
    decoder.clearCache();
    auto third = ns::cast<ns::Array>(parse(decoder, R"(["same"])"));
    EXPECT_NE(third->objectAtIndex(0).get(), first->objectAtIndex(0).get());
    EXPECT_TRUE(ns::isEqual(third->objectAtIndex(0), first->objectAtIndex(0)));
}

TEST(JKTokenCache, EmptyStringIsTheSharedConstantAndNeverCached)
{
    JSONDecoder decoder;
    auto array = ns::cast<ns::Array>(parse(decoder, R"(["", ""])"));
    ASSERT_TRUE(array);
    EXPECT_EQ(array->objectAtIndex(0).get(), JKTokenCache::emptyString().get());
    EXPECT_EQ(array->objectAtIndex(1).get(), JKTokenCache::emptyString().get());
    const auto& cache = decoder.parseState().cache();
    for (std::size_t i = 0; i < JKTokenCache::Size; ++i)
        EXPECT_FALSE(cache.item(i).object) << i;
}

TEST(JKTokenCache, NumbersKeepTheirKind)
{
    JSONDecoder decoder;
    auto array = ns::cast<ns::Array>(
        parse(decoder, "[18446744073709551615, 9223372036854775807, -1, 1.5, -0, 5e-324, true, false]"));
    ASSERT_TRUE(array);
    auto number = [&](std::size_t i) { return ns::cast<ns::Number>(array->objectAtIndex(i)); };
    EXPECT_EQ(number(0)->kind(), ns::Number::Kind::Unsigned);
    EXPECT_EQ(number(0)->unsignedLongLongValue(), 18446744073709551615ull);
    EXPECT_EQ(number(0)->objCType(), 'Q');
    EXPECT_EQ(number(1)->kind(), ns::Number::Kind::Signed);
    EXPECT_EQ(number(1)->longLongValue(), 9223372036854775807ll);
    EXPECT_EQ(number(1)->objCType(), 'q');
    EXPECT_EQ(number(2)->longLongValue(), -1);
    EXPECT_EQ(number(3)->kind(), ns::Number::Kind::Double);
    EXPECT_EQ(number(3)->doubleValue(), 1.5);
    EXPECT_EQ(number(4)->kind(), ns::Number::Kind::Double);
    EXPECT_TRUE(std::signbit(number(4)->doubleValue()));
    EXPECT_EQ(number(5)->doubleValue(), 4.9406564584124654e-324);
    EXPECT_TRUE(number(6)->isBool() && number(6)->boolValue());
    EXPECT_EQ(number(6).get(), ns::Number::numberWithBool(true).get());
    EXPECT_EQ(number(7).get(), ns::Number::numberWithBool(false).get());
}
