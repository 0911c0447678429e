#include "foundation/Array.h"
#include "foundation/Data.h"
#include "foundation/Date.h"
#include "foundation/Dictionary.h"
#include "foundation/Error.h"
#include "foundation/Exception.h"
#include "foundation/Null.h"
#include "foundation/Number.h"
#include "foundation/String.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>

namespace {

using ns::Number;

TEST(Number, KeepsWhatItWasMadeFrom)
{
    EXPECT_TRUE(Number::numberWithBool(true)->isBool());
    EXPECT_FALSE(Number::numberWithChar(1)->isBool());
    EXPECT_EQ(Number::numberWithBool(true)->objCType(), 'c');
    EXPECT_EQ(Number::numberWithLongLong(-5)->kind(), Number::Kind::Signed);
    EXPECT_EQ(Number::numberWithUnsignedLongLong(18446744073709551615ULL)->unsignedLongLongValue(),
              18446744073709551615ULL);
    EXPECT_EQ(Number::numberWithDouble(2.5)->objCType(), 'd');
    EXPECT_EQ(Number::numberWithDouble(2.5)->intValue(), 2);
    EXPECT_EQ(Number::numberWithDouble(0.1)->description(), "0.1");
    EXPECT_EQ(Number::numberWithInt(-3)->description(), "-3");
    // Equal values are equal and hash alike whatever they were made from.
    EXPECT_TRUE(ns::isEqual(Number::numberWithInt(1), Number::numberWithDouble(1.0)));
    EXPECT_EQ(Number::numberWithInt(1)->hash(), Number::numberWithDouble(1.0)->hash());
    EXPECT_EQ(Number::numberWithLongLong(-1)->compare(*Number::numberWithUnsignedLongLong(1)), -1);
}

TEST(DecimalNumber, ReadsAndWritesExactText)
{
    struct Row
    {
        const char* text;
        const char* description;
    };
    const Row rows[] = {{"0", "0"},      {"-12.50", "-12.5"},
                        {"1e3", "1000"}, {"1.5E-3", "0.0015"},
                        {"0.000", "0"},  {"123456789012345678901234567890", "123456789012345678901234567890"},
                        {"-0.1", "-0.1"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        auto number = ns::DecimalNumber::decimalNumberWithString(row.text);
        ASSERT_TRUE(number);
        EXPECT_EQ(number->description(), row.description);
    }
    for (const char* bad : {"", "-", "1e", "1.2.3", "abc", "1 "})
        EXPECT_FALSE(ns::DecimalNumber::decimalNumberWithString(bad)) << bad;
    EXPECT_EQ(ns::DecimalNumber::decimalNumberWithString("1e3")->longLongValue(), 1000);
    EXPECT_DOUBLE_EQ(ns::DecimalNumber::decimalNumberWithString("2.25")->doubleValue(), 2.25);
}

TEST(DecimalNumber, ValuesBeyondADoubleAreInfiniteAndExponentsBeyondItsOwnAreRefused)
{
    const double infinity = std::numeric_limits<double>::infinity();
    struct Row
    {
        const char* text;
        double value;
        long long integer;
    };
    const Row rows[] = {
        {"1e400", infinity, std::numeric_limits<long long>::max()},
        {"-1e400", -infinity, std::numeric_limits<long long>::min()},
        {"1.8e308", infinity, std::numeric_limits<long long>::max()},
        {"1e-400", 0.0, 0},
        {"-1e-400", -0.0, 0},
        {"1e100000000", infinity, std::numeric_limits<long long>::max()},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        auto number = ns::DecimalNumber::decimalNumberWithString(row.text);
        ASSERT_TRUE(number);
        EXPECT_EQ(number->doubleValue(), row.value);
        EXPECT_EQ(std::signbit(number->doubleValue()), std::signbit(row.value));
        EXPECT_EQ(number->longLongValue(), row.integer);
    }
    EXPECT_EQ(ns::DecimalNumber::decimalNumberWithString("1e400")->description(), "1e400");
    for (const char* beyond : {"1e100000001", "1e-100000001", "1e99999999999999999999", "0.001e100000004"})
        EXPECT_FALSE(ns::DecimalNumber::decimalNumberWithString(beyond)) << beyond;
    EXPECT_TRUE(ns::DecimalNumber::decimalNumberWithString("0e99999999999999999999"));
}

TEST(DecimalNumber, DoubleValueIsTheNearestDouble)
{
    for (const char* text :
         {"0.1", "-2.5", "123456789012345", "123456789012345e22", "123456789012345e-22", "1e23",
          "9007199254740993", "0.30000000000000004", "-65.613616999999977", "1.7976931348623157e308",
          "4.9406564584124654e-324", "2.2250738585072011e-308", "7e-23", "12345678901234567890123e-10"}) {
        SCOPED_TRACE(text);
        auto number = ns::DecimalNumber::decimalNumberWithString(text);
        ASSERT_TRUE(number);
        EXPECT_EQ(number->doubleValue(), std::strtod(text, nullptr));
    }
}

TEST(Dictionary, FindsEveryKeyAtEverySize)
{
    auto name = [](const char* prefix, int i) {
        std::string text = prefix;
        text += std::to_string(i);
        return text;
    };
    for (int size : {0, 1, 8, 9, 30}) {
        SCOPED_TRACE(size);
        ns::Dictionary::Entries entries;
        for (int i = 0; i < size; ++i)
            entries.emplace_back(ns::String::make(name("k", i)), ns::Number::numberWithInt(i));
        if (size > 0) // a later equal key replaces the value and keeps the place
            entries.emplace_back(ns::String::make("k0"), ns::Number::numberWithInt(-1));
        auto dictionary = ns::MutableDictionary::make(std::move(entries));
        ASSERT_EQ(dictionary->count(), static_cast<std::size_t>(size));
        auto keys = dictionary->allKeys();
        for (int i = 0; i < size; ++i) {
            EXPECT_EQ(ns::describe(keys[static_cast<std::size_t>(i)]), name("k", i));
            auto value = ns::cast<ns::Number>(dictionary->objectForKey(name("k", i)));
            ASSERT_TRUE(value);
            EXPECT_EQ(value->intValue(), i == 0 ? -1 : i);
        }
        EXPECT_FALSE(dictionary->objectForKey("absent"));
        // Removing every other key and adding new ones keeps every key findable.
        for (int i = 0; i < size; i += 2)
            dictionary->removeObjectForKey(name("k", i));
        for (int i = 0; i < 12; ++i)
            dictionary->setObject(ns::Number::numberWithInt(100 + i), name("n", i));
        EXPECT_EQ(dictionary->count(), static_cast<std::size_t>(size / 2 + 12));
        for (int i = 0; i < size; ++i)
            EXPECT_EQ(static_cast<bool>(dictionary->objectForKey(name("k", i))), i % 2 == 1) << i;
        for (int i = 0; i < 12; ++i)
            EXPECT_EQ(ns::cast<ns::Number>(dictionary->objectForKey(name("n", i)))->intValue(), 100 + i);
        EXPECT_EQ(ns::describe(dictionary->allKeys().back()), "n11");
    }
}

TEST(Dictionary, KeepsInsertionOrderAndTheLaterValueWins)
{
    auto dictionary = ns::MutableDictionary::make();
    dictionary->setObject(ns::String::make("1"), "b");
    dictionary->setObject(ns::String::make("2"), "a");
    dictionary->setObject(ns::String::make("3"), "b");
    ASSERT_EQ(dictionary->count(), 2u);
    EXPECT_EQ(*dictionary->stringForKey("b"), "3");
    auto keys = dictionary->allKeys();
    EXPECT_EQ(ns::describe(keys[0]), "b");
    EXPECT_EQ(ns::describe(keys[1]), "a");
    dictionary->removeObjectForKey("b");
    EXPECT_FALSE(dictionary->objectForKey("b"));
    EXPECT_EQ(*dictionary->stringForKey("a"), "2");
    EXPECT_THROW(dictionary->setObject(nullptr, "x"), ns::Exception);

    auto frozen = ns::cast<ns::Dictionary>(dictionary->copy());
    EXPECT_FALSE(frozen->isMutable());
    EXPECT_TRUE(frozen->isEqual(*dictionary));
    EXPECT_EQ(dictionary->description(), "{\n    a = 2;\n}");
}

TEST(Array, RaisesPastTheEndAndDescribesNested)
{
    auto array = ns::MutableArray::make({ns::String::make("x y"), ns::Number::numberWithInt(1)});
    EXPECT_THROW(array->objectAtIndex(2), ns::Exception);
    try {
        array->objectAtIndex(5);
    } catch (const ns::Exception& e) {
        EXPECT_EQ(e.name(), ns::RangeException);
    }
    EXPECT_THROW(array->addObject(nullptr), ns::Exception);
    array->addObject(ns::Array::make({ns::Null::null()}));
    EXPECT_EQ(array->description(), "(\n    \"x y\",\n    1,\n    (\n        <null>\n    )\n)");
    EXPECT_EQ(array->indexOfObject(ns::Number::numberWithDouble(1.0)), 1u);
    EXPECT_EQ(array->indexOfObject(ns::String::make("none")), ns::NotFound);
}

TEST(Values, DescriptionsInThePlatformFormats)
{
    EXPECT_EQ(ns::Data::withString("Hello")->description(), "<48656c6c 6f>");
    EXPECT_EQ(ns::Date::withTimeIntervalSince1970(1300000000)->description(), "2011-03-13 07:06:40 +0000");
    EXPECT_EQ(ns::Null::null()->description(), "<null>");
    auto error = ns::Error::withDescription("sharecore", 1, "Something went wrong");
    EXPECT_EQ(error->localizedDescription(), "Something went wrong");
    EXPECT_EQ(ns::Error::make("x", 7)->localizedDescription(),
              "The operation couldn\xe2\x80\x99t be completed. (x error 7.)");
}

TEST(Exception, AssertionNamesFileAndLine)
{
    try {
        NS_ASSERT(1 + 1 == 3, "arithmetic %d", 2);
        FAIL();
    } catch (const ns::Exception& e) {
        EXPECT_EQ(e.name(), ns::InternalInconsistencyException);
        EXPECT_EQ(e.reason(), "arithmetic 2");
        EXPECT_EQ(e.file(), "ValuesTest.cpp");
        EXPECT_GT(e.line(), 0);
    }
}

} // namespace
