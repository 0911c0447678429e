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

TEST(JKTokenCache, StringsAreFiledUnderTheHashOfTheirBytes)
{
    // Lengths around the word size, bytes that end plain runs, escapes and multibyte sequences at every
    // place.
    std::vector<std::pair<std::string, std::string>> rows; // the JSON text of the string, its value
    for (std::size_t length : {1u, 7u, 8u, 9u, 15u, 16u, 17u, 40u}) {
        std::string plain;
        for (std::size_t i = 0; i < length; ++i) {
            char c = static_cast<char>('!' + (i * 7) % 90);
            plain += c == '"' || c == '\\' ? 'q' : c;
        }
        rows.emplace_back(plain, plain);
        rows.emplace_back(plain + "\xC3\xA9" + plain, plain + "\xC3\xA9" + plain);
        rows.emplace_back(plain + "\\n" + plain, plain + "\n" + plain);
        std::string escaped = "\\u00e9";
        escaped += plain;
        escaped += "\xE2\x82\xAC";
        std::string decoded = "\xC3\xA9";
        decoded += plain;
        decoded += "\xE2\x82\xAC";
        rows.emplace_back(escaped, decoded);
    }
    for (const auto& [json, value] : rows) {
        SCOPED_TRACE(json);
        uint32_t expected = 0x539C1505;
        for (unsigned char byte : value)
            expected = expected * 33 + byte;
        JSONDecoder decoder;
        std::string text = "[\"";
        text += json;
        text += "\"]";
        auto array = ns::cast<ns::Array>(parse(decoder, text));
        ASSERT_TRUE(array);
        EXPECT_EQ(ns::describe(array->objectAtIndex(0)), value);
        const auto& item = decoder.parseState().cache().item(expected & (JKTokenCache::Size - 1));
        EXPECT_EQ(item.object.get(), array->objectAtIndex(0).get());
        EXPECT_EQ(item.hash, expected);
    }
}
