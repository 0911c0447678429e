#include "TraceTesting.h"

#include "webservices/strictjson/StrictJsonParser.h"

#include "foundation/Array.h"
#include "foundation/Dictionary.h"
#include "foundation/Null.h"
#include "foundation/Number.h"
#include "foundation/String.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace {

std::string nested(std::size_t levels)
{
    return std::string(levels, '[') + std::string(levels, ']');
}

} // namespace

TEST(StrictJsonParser, ReadsEveryKindOfValue)
{
    StrictJsonParser parser;
    auto value = parser.objectWithString(R"({"s":"x","n":-12.5e3,"t":true,"f":false,"z":null,"a":[1,{}]})");
    auto dictionary = ns::cast<ns::MutableDictionary>(value);
    ASSERT_TRUE(dictionary);
    EXPECT_FALSE(parser.errorTrace());
    EXPECT_EQ(dictionary->count(), 6u);
    EXPECT_EQ(dictionary->stringForKey("s"), "x");
    auto number = dictionary->objectAs<ns::DecimalNumber>("n");
    ASSERT_TRUE(number);
    EXPECT_EQ(number->doubleValue(), -12500.0);
    auto yes = dictionary->objectAs<ns::Number>("t");
    auto no = dictionary->objectAs<ns::Number>("f");
    ASSERT_TRUE(yes && no);
    EXPECT_TRUE(yes->isBool() && yes->boolValue());
    EXPECT_TRUE(no->isBool() && !no->boolValue());
    EXPECT_TRUE(ns::isNull(dictionary->objectForKey("z")));
    auto array = dictionary->objectAs<ns::MutableArray>("a");
    ASSERT_TRUE(array);
    ASSERT_EQ(array->count(), 2u);
    EXPECT_TRUE(array->objectAs<ns::MutableDictionary>(1));
}

TEST(StrictJsonParser, KeepsNumbersExact)
{
    StrictJsonParser parser;
    auto array = ns::cast<ns::Array>(
        parser.objectWithString("[1.50, 0.1, 12345678901234567890.123456789, -0, 1E400]"));
    ASSERT_TRUE(array);
    ASSERT_EQ(array->count(), 5u);
    auto first = array->objectAs<ns::DecimalNumber>(0);
    ASSERT_TRUE(first);
    EXPECT_TRUE(first->isEqual(*ns::DecimalNumber::decimalNumberWithString("1.5")));
    EXPECT_EQ(first->digits(), "15");
    EXPECT_EQ(first->exponent(), -1);
    EXPECT_EQ(array->objectAs<ns::DecimalNumber>(1)->stringValue(), "0.1");
    EXPECT_EQ(array->objectAs<ns::DecimalNumber>(2)->stringValue(), "12345678901234567890.123456789");
    EXPECT_EQ(array->objectAs<ns::DecimalNumber>(3)->stringValue(), "0");
    EXPECT_EQ(array->objectAs<ns::DecimalNumber>(4)->stringValue(), "1e400");
}

TEST(StrictJsonParser, ReadsEveryNumberAsItsTextReadsAlone)
{
    // Short and long significands, leading and trailing zeros, integers: as the decimal type reads them.
    const char* const texts[] = {"-65.613616999999977",
                                 "0.000123",
                                 "120.500",
                                 "7",
                                 "-9007199254740993",
                                 "0.1",
                                 "1234567890123456789",
                                 "12345678901234567890",
                                 "100",
                                 "-0.0000000000000000000000000001"};
    for (const char* text : texts) {
        SCOPED_TRACE(text);
        StrictJsonParser parser;
        std::string document = "[";
        document.append(text).append("]");
        auto array = ns::cast<ns::Array>(parser.objectWithString(document));
        ASSERT_TRUE(array);
        auto read = array->objectAs<ns::DecimalNumber>(0);
        auto alone = ns::DecimalNumber::decimalNumberWithString(text);
        ASSERT_TRUE(read);
        ASSERT_TRUE(alone);
        EXPECT_TRUE(read->isEqual(*alone));
        EXPECT_EQ(read->digits(), alone->digits());
        EXPECT_EQ(read->exponent(), alone->exponent());
        EXPECT_EQ(read->isNegative(), alone->isNegative());
        EXPECT_EQ(read->doubleValue(), alone->doubleValue());
        EXPECT_EQ(read->longLongValue(), alone->longLongValue());
        EXPECT_EQ(read->stringValue(), alone->stringValue());
    }
}

TEST(StrictJsonParser, NumbersBeyondADoubleAreInfiniteAndBeyondTheDecimalAreErrors)
{
    struct Row
    {
        const char* json;
        double value;
    };
    const double infinity = std::numeric_limits<double>::infinity();
    const Row rows[] = {
        {"1e400", infinity},    {"-1e400", -infinity},   {"1.8e308", infinity}, {"-1.8e308", -infinity},
        {"1e-400", 0.0},        {"1.7e308", 1.7e308},    {"0e999999999", 0.0},  {"1e100000000", infinity},
        {"4.9e-324", 4.9e-324}, {"123456789e-400", 0.0},
    };
    StrictJsonParser parser;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.json);
        std::string json = "[";
        json += row.json;
        json += ']';
        auto array = ns::cast<ns::Array>(parser.objectWithString(json));
        ASSERT_TRUE(array);
        auto number = array->objectAs<ns::DecimalNumber>(0);
        ASSERT_TRUE(number);
        EXPECT_EQ(number->doubleValue(), row.value);
        EXPECT_EQ(std::signbit(number->doubleValue()), row.json[0] == '-');
    }
    // Exponents the decimal number cannot hold are a number error, never a different number.
    for (const char* json :
         {"[1e100000001]", "[1e-100000001]", "[-5e99999999999999999999]", "[1E+2147483648]"}) {
        SCOPED_TRACE(json);
        EXPECT_FALSE(parser.objectWithString(json));
        EXPECT_EQ(traceLines(parser), (std::vector<std::string>{"2 Failed creating decimal instance",
                                                                "3 Expected value while parsing array"}));
    }
}

TEST(StrictJsonParser, DecodesEscapes)
{
    struct Row
    {
        const char* name;
        std::string json;
        std::string text;
    };
    const Row rows[] = {
        {"simple escapes", R"(["\"\\\/\b\f\n\r\t"])", "\"\\/\b\f\n\r\t"},
        {"latin", R"(["caf\u00e9"])", "caf\xc3\xa9"},
        {"upper-case hex", R"(["\u00C9"])", "\xc3\x89"},
        {"surrogate pair", R"(["\ud83d\ude00"])", "\xf0\x9f\x98\x80"},
        {"last low surrogate", R"(["\udbff\udfff"])", "\xf4\x8f\xbf\xbf"},
        {"escaped nul", R"(["a\u0000b"])", std::string("a\0b", 3)},
        {"raw UTF-8", "[\"\xe2\x82\xac\"]", "\xe2\x82\xac"},
        {"plain text then escape", R"(["abc\ndef"])", "abc\ndef"},
    };
    StrictJsonParser parser;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto array = ns::cast<ns::Array>(parser.objectWithString(row.json));
        ASSERT_TRUE(array);
        auto* text = ns::stringValue(array->objectAtIndex(0));
        ASSERT_TRUE(text);
        EXPECT_EQ(*text, row.text);
    }
}

TEST(StrictJsonParser, LaterDuplicateKeyReplacesEarlier)
{
    StrictJsonParser parser;
    auto dictionary = ns::cast<ns::Dictionary>(parser.objectWithString(R"({"a":1,"b":2,"a":3})"));
    ASSERT_TRUE(dictionary);
    EXPECT_EQ(dictionary->count(), 2u);
    EXPECT_EQ(dictionary->objectAs<ns::Number>("a")->intValue(), 3);
}

TEST(StrictJsonParser, KeysOfEveryFormAreReadAgainInLaterObjectsAndCalls)
{
    // Many distinct keys (more than are remembered), long ones, escaped ones, and the same again.
    std::string text = "[";
    for (int round = 0; round < 2; ++round) {
        text += round ? ",{" : "{";
        for (int i = 0; i < 600; ++i) {
            text += "\"key";
            text += std::to_string(i);
            text += "\":";
            text += std::to_string(i);
            text += ",";
        }
        text += "\"";
        text += std::string(100, 'x');
        text += "\":1,\"e\\u0073c\":2,\"\":3}";
    }
    text += "]";
    StrictJsonParser parser;
    for (int call = 0; call < 2; ++call) {
        SCOPED_TRACE(call);
        auto array = ns::cast<ns::Array>(parser.objectWithString(text));
        ASSERT_TRUE(array);
        ASSERT_EQ(array->count(), 2u);
        for (std::size_t d = 0; d < 2; ++d) {
            auto dictionary = array->objectAs<ns::Dictionary>(d);
            ASSERT_TRUE(dictionary);
            EXPECT_EQ(dictionary->count(), 603u);
            for (int i = 0; i < 600; ++i) {
                std::string key = "key";
                key += std::to_string(i);
                EXPECT_EQ(dictionary->objectAs<ns::Number>(key)->intValue(), i);
            }
            EXPECT_EQ(dictionary->objectAs<ns::Number>(std::string(100, 'x'))->intValue(), 1);
            EXPECT_EQ(dictionary->objectAs<ns::Number>("esc")->intValue(), 2);
            EXPECT_EQ(dictionary->objectAs<ns::Number>("")->intValue(), 3);
        }
    }
}

TEST(StrictJsonParser, AcceptsTheSixSpaceBytesAroundTokens)
{
    StrictJsonParser parser;
    EXPECT_TRUE(parser.objectWithString(" \t\n\v\f\r[ \t\n\v\f\r1 \t\n\v\f\r] \t\n\v\f\r"));
    EXPECT_TRUE(parser.objectWithString("[1]   "));
}

TEST(StrictJsonParser, FragmentsPassOnlyTheFragmentForm)
{
    StrictJsonParser parser;
    auto text = parser.fragmentWithString(R"("just text")");
    ASSERT_TRUE(ns::stringValue(text));
    EXPECT_EQ(*ns::stringValue(text), "just text");
    EXPECT_TRUE(ns::cast<ns::Number>(parser.fragmentWithString(" 42 ")));
    EXPECT_TRUE(ns::isNull(parser.fragmentWithString("null")));

    EXPECT_FALSE(parser.objectWithString(R"("just text")"));
    EXPECT_EQ(traceLines(parser), std::vector<std::string>({"4 Valid fragment, but not JSON"}));
}

TEST(StrictJsonParser, RecordsTheErrorChainInnermostFirst)
{
    struct Row
    {
        const char* name;
        std::optional<std::string> json;
        std::vector<std::string> trace;
    };
    const std::string array = "3 Expected value while parsing array";
    const Row rows[] = {
        {"trailing comma in array", "[1,2,]", {"9 Trailing comma disallowed in array"}},
        {"trailing comma in object", R"({"a":1,})", {"9 Trailing comma disallowed in object"}},
        {"open array", "[", {"11 End of input while parsing array"}},
        {"open array after element", "[1,2", {"11 End of input while parsing array"}},
        {"open object", R"({"a":1)", {"11 End of input while parsing object"}},
        {"open string", R"(["abc)", {"11 Unexpected EOF while parsing string", array}},
        {"backslash at the end", "[\"abc\\", {"11 Unexpected EOF while parsing string", array}},
        {"empty text", "", {"11 Unexpected end of string"}},
        {"only spaces", "   ", {"11 Unexpected end of string"}},
        {"nil", std::nullopt, {"12 Input was 'nil'"}},
        {"leading zero", "[01]", {"2 Leading 0 disallowed in number", array}},
        {"leading plus", "[+1]", {"2 Leading + disallowed in number", array}},
        {"lone minus", "[-]", {"2 No digits after initial minus", array}},
        {"minus then letter", "[-a]", {"2 No digits after initial minus", array}},
        {"bare point", "[1.]", {"2 No digits after decimal point", array}},
        {"bare exponent", "[1e+]", {"2 No digits after exponent", array}},
        {"garbage", "[1] x", {"10 Garbage after JSON"}},
        {"second value", "[1][2]", {"10 Garbage after JSON"}},
        {"bad hex digit in key",
         R"({"\u12x4":1})",
         {"6 Missing hex digit in quad", "6 Missing hex quad", "6 Broken unicode character",
          "3 Object key string expected"}},
        {"hex quad cut short",
         R"(["\u12"])",
         {"6 Missing hex digit in quad", "6 Missing hex quad", "6 Broken unicode character", array}},
        {"lone low surrogate",
         R"(["\udc00"])",
         {"6 Invalid high character in surrogate pair '\\udc00'", "6 Broken unicode character", array}},
        {"high surrogate alone",
         R"(["\ud800x"])",
         {"6 Missing low character in surrogate pair '\\ud800'", "6 Broken unicode character", array}},
        {"high surrogate with bad low quad",
         R"(["\ud800\u12"])",
         {"6 Missing hex digit in quad", "6 Missing low character in surrogate pair '\\ud800'",
          "6 Broken unicode character", array}},
        {"high surrogate then letter",
         R"(["\ud800\u0041"])",
         {"6 Invalid low surrogate char '\\u0041' after '\\ud800'", "6 Broken unicode character", array}},
        {"illegal escape", R"(["a\qb"])", {"8 Illegal escape sequence '0x71'", array}},
        {"raw tab", "[\"a\tb\"]", {"5 Unescaped control character '0x9'", array}},
        {"raw nul", std::string("[\"a\0b\"]", 7), {"5 Unescaped control character '0x0'", array}},
        {"not UTF-8", "[\"\xff\"]", {"12 Input was not valid UTF-8"}},
        {"overlong UTF-8", "[\"\xc0\xaf\"]", {"12 Input was not valid UTF-8"}},
        {"encoded surrogate", "[\"\xed\xa0\x80\"]", {"12 Input was not valid UTF-8"}},
        {"truncated UTF-8", "[\"\xe2\x82\"]", {"12 Input was not valid UTF-8"}},
        {"bad true", "[tru]", {"3 Expected 'true'", array}},
        {"bad false", "[fals]", {"3 Expected 'false'", array}},
        {"bad null", "[nul", {"3 Expected 'null'", array}},
        {"unknown character", "[*]", {"3 Unrecognised leading character", array}},
        {"leading comma", "[,1]", {"3 Unrecognised leading character", array}},
        {"missing comma in array", "[1 2]", {"3 Expected ',' or ']' while parsing array"}},
        {"array after element", "[3[4]]", {"3 Expected ',' or ']' while parsing array"}},
        {"missing comma in object", R"({"a":1 "b":2})", {"3 Expected ',' or '}' while parsing object"}},
        {"key not a string", "{1:2}", {"3 Object key string expected"}},
        {"missing colon", R"({"a" 1})", {"3 Expected ':' separating key and value"}},
        {"missing value",
         R"({"a":})",
         {"3 Unrecognised leading character", "3 Object value expected for key: a"}},
        {"nested failure",
         R"({"a":[{"b":x}]})",
         {"3 Unrecognised leading character", "3 Object value expected for key: b", array,
          "3 Object value expected for key: a"}},
    };
    StrictJsonParser parser;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::optional<std::string_view> text;
        if (row.json)
            text = *row.json;
        EXPECT_FALSE(parser.fragmentWithString(text));
        EXPECT_EQ(traceLines(parser), row.trace);
    }
}

TEST(StrictJsonParser, ClearsTheTraceOnTheNextCall)
{
    StrictJsonParser parser;
    EXPECT_FALSE(parser.objectWithString("[1,]"));
    EXPECT_TRUE(parser.errorTrace());
    EXPECT_TRUE(parser.objectWithString("[1]"));
    EXPECT_FALSE(parser.errorTrace());
}

TEST(StrictJsonParser, Allows512LevelsAndRefuses513)
{
    StrictJsonParser parser;
    EXPECT_EQ(parser.maxDepth(), 512u);
    EXPECT_TRUE(parser.objectWithString(nested(512)));
    EXPECT_TRUE(parser.objectWithString(std::string(256, '[') + "{\"k\":" + nested(255) + "}" +
                                        std::string(256, ']')));

    EXPECT_FALSE(parser.objectWithString(nested(513)));
    auto lines = traceLines(parser);
    ASSERT_EQ(lines.size(), 513u);
    EXPECT_EQ(lines.front(), "7 Nested too deep");
    EXPECT_EQ(lines.back(), "3 Expected value while parsing array");
}

TEST(StrictJsonParser, FollowsALowerLimit)
{
    StrictJsonParser parser;
    parser.setMaxDepth(2);
    EXPECT_TRUE(parser.objectWithString("[[1]]"));
    EXPECT_FALSE(parser.objectWithString(R"([{"a":1}, [[2]]])"));
    EXPECT_EQ(traceLines(parser).front(), "7 Nested too deep");
}

TEST(StrictJsonParser, NoLimitStillStopsBeforeTheStackRunsOut)
{
    StrictJsonParser parser;
    parser.setMaxDepth(0);
    EXPECT_TRUE(parser.objectWithString(nested(1000)));
    EXPECT_TRUE(parser.objectWithString(nested(StrictJsonBase::HardDepthLimit)));

    EXPECT_FALSE(parser.objectWithString(nested(StrictJsonBase::HardDepthLimit + 1)));
    EXPECT_EQ(traceLines(parser).front(), std::string("7 ") + StrictJsonBase::HardDepthMessage);
    // Far deeper input fails the same way instead of overflowing the stack.
    EXPECT_FALSE(parser.objectWithString(std::string(1000000, '[')));
    ASSERT_TRUE(parser.errorTrace());
    EXPECT_EQ(ns::cast<ns::Error>(parser.errorTrace()->firstObject())->code(), StrictJsonErrorDepth);
}

TEST(StrictJsonParser, ParsesAgainAfterAFailureInsideContainers)
{
    StrictJsonParser parser;
    EXPECT_FALSE(parser.objectWithString(R"([1,[2,{"a":[3,x]}]])"));
    auto value = ns::cast<ns::Array>(parser.objectWithString("[4,[5]]"));
    ASSERT_TRUE(value);
    EXPECT_EQ(value->count(), 2u);
    EXPECT_EQ(value->objectAs<ns::Array>(1)->count(), 1u);
}
