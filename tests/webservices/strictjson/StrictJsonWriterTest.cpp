#include "TraceTesting.h"

#include "webservices/strictjson/StrictJsonParser.h"
#include "webservices/strictjson/StrictJsonWriter.h"

#include "foundation/Array.h"
#include "foundation/Dictionary.h"
#include "foundation/Null.h"
#include "foundation/Number.h"
#include "foundation/String.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

ns::Id text(const char* value)
{
    return ns::String::make(value);
}

ns::Id integer(int value)
{
    return ns::Number::numberWithInt(value);
}

ns::Id sample()
{
    return ns::Dictionary::make({{text("b"), integer(1)}, {text("a"), ns::Array::make()}});
}

class Thing : public ns::Object
{
public:
    std::string className() const override { return "Thing"; }
};

class Stand : public ns::Object, public StrictJsonProxy
{
public:
    explicit Stand(ns::Id value) : m_value(std::move(value)) {}
    ns::Id proxyForJson() const override
    {
        return m_value ? m_value : std::const_pointer_cast<ns::Object>(shared_from_this());
    }

private:
    ns::Id m_value; // nothing: answers itself, a loop
};

ns::Id nestedArrays(std::size_t levels)
{
    ns::Id value = ns::Array::make();
    for (std::size_t i = 1; i < levels; ++i)
        value = ns::Array::make({value});
    return value;
}

} // namespace

TEST(StrictJsonWriter, LaysOutWithAndWithoutItsFlags)
{
    struct Row
    {
        const char* name;
        bool humanReadable;
        bool sortKeys;
        std::string json;
    };
    const Row rows[] = {
        {"compact", false, false, R"({"b":1,"a":[]})"},
        {"sorted", false, true, R"({"a":[],"b":1})"},
        {"readable", true, false, "{\n  \"b\" : 1,\n  \"a\" : []\n}"},
        {"readable and sorted", true, true, "{\n  \"a\" : [],\n  \"b\" : 1\n}"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        StrictJsonWriter writer;
        writer.setHumanReadable(row.humanReadable);
        writer.setSortKeys(row.sortKeys);
        EXPECT_EQ(writer.stringWithObject(sample()), row.json);
        EXPECT_FALSE(writer.errorTrace());
    }
}

TEST(StrictJsonWriter, IndentsTwoSpacesPerLevel)
{
    auto value = ns::Array::make(
        {integer(1), ns::Array::make({integer(2), ns::Dictionary::make({{text("k"), ns::Null::null()}}),
                                      ns::Dictionary::make()})});
    StrictJsonWriter writer;
    EXPECT_EQ(writer.stringWithObject(value), R"([1,[2,{"k":null},{}]])");
    writer.setHumanReadable(true);
    EXPECT_EQ(writer.stringWithObject(value),
              "[\n  1,\n  [\n    2,\n    {\n      \"k\" : null\n    },\n    {}\n  ]\n]");
    // Without a limit the depth is not counted, so every line stays at the outer level.
    writer.setMaxDepth(0);
    EXPECT_EQ(writer.stringWithObject(ns::Array::make({ns::Array::make({integer(1)})})), "[\n[\n1\n]\n]");
    EXPECT_EQ(writer.stringWithObject(ns::Dictionary::make({{text("k"), ns::Array::make({integer(1)})}})),
              "{\n\"k\" : [\n1\n]\n}");
}

TEST(StrictJsonWriter, SortsKeysByTheirUtf16Units)
{
    // U+FF5E sorts after U+1F600 in UTF-16 (its units start D83D) but before it by code point.
    auto value = ns::Dictionary::make({{text("\xef\xbd\x9e"), integer(1)},
                                       {text("\xf0\x9f\x98\x80"), integer(2)},
                                       {text("B"), integer(3)},
                                       {text("a"), integer(4)}});
    StrictJsonWriter writer;
    writer.setSortKeys(true);
    EXPECT_EQ(writer.stringWithObject(value), "{\"B\":3,\"a\":4,\"\xf0\x9f\x98\x80\":2,\"\xef\xbd\x9e\":1}");
}

TEST(StrictJsonWriter, WritesScalars)
{
    struct Row
    {
        const char* name;
        ns::Id value;
        std::string json;
    };
    const Row rows[] = {
        {"true", ns::Number::numberWithBool(true), "true"},
        {"false", ns::Number::numberWithBool(false), "false"},
        {"char numbers count as booleans", ns::Number::numberWithChar(5), "true"},
        {"integer", ns::Number::numberWithLongLong(-9007199254740993), "-9007199254740993"},
        {"unsigned", ns::Number::numberWithUnsignedLongLong(18446744073709551615u), "18446744073709551615"},
        {"double", ns::Number::numberWithDouble(0.5), "0.5"},
        {"decimal", ns::DecimalNumber::decimalNumberWithString("1.50"), "1.5"},
        {"decimal zero", ns::DecimalNumber::decimalNumberWithString("-0.0"), "0"},
        {"decimal integer", ns::DecimalNumber::decimalNumberWithString("-12e3"), "-12000"},
        {"decimal below one", ns::DecimalNumber::decimalNumberWithString("0.00125"), "0.00125"},
        {"decimal with exponent", ns::DecimalNumber::decimalNumberWithString("-1.25e-60"), "-1.25e-60"},
        {"decimal too long for plain digits", ns::DecimalNumber::decimalNumberWithString("7e45"), "7e45"},
        {"null", ns::Null::null(), "null"},
        {"escapes", text("a\"b\\c/d\b\t\n\f\r\x01\x1f \xc3\xa9"),
         "\"a\\\"b\\\\c/d\\b\\t\\n\\f\\r\\u0001\\u001f \xc3\xa9\""},
        {"nul inside", ns::String::make(std::string("a\0b", 3)), "\"a\\u0000b\""},
        {"proxy", ns::make<Stand>(text("stand-in")), "\"stand-in\""},
    };
    StrictJsonWriter writer;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(writer.stringWithFragment(row.value), row.json);
    }
}

TEST(StrictJsonWriter, RecordsItsFailures)
{
    struct Row
    {
        const char* name;
        ns::Id value;
        std::vector<std::string> trace;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const Row rows[] = {
        {"not a container", text("x"), {"4 Not valid type for JSON"}},
        {"proxy of a scalar", ns::make<Stand>(integer(1)), {"4 Not valid type for JSON"}},
        {"proxy that loops", ns::make<Stand>(nullptr), {"4 Not valid type for JSON"}},
        {"proxy of a container that fails",
         ns::make<Stand>(ns::Dictionary::make({{text("k"), ns::make<Thing>()}})),
         {"1 JSON serialisation not supported for Thing", "1 Unsupported value for key k in object"}},
        {"proxy of a proxy of a container that fails",
         ns::make<Stand>(ns::make<Stand>(ns::Array::make({ns::make<Thing>()}))),
         {"1 JSON serialisation not supported for Thing"}},
        {"nan",
         ns::Array::make({ns::Number::numberWithDouble(nan)}),
         {"1 JSON serialisation not supported for the number nan"}},
        {"infinity in object",
         ns::Dictionary::make({{text("x"), ns::Number::numberWithDouble(-inf)}}),
         {"1 JSON serialisation not supported for the number -inf",
          "1 Unsupported value for key x in object"}},
        {"unsupported class",
         ns::Array::make({ns::make<Thing>()}),
         {"1 JSON serialisation not supported for Thing"}},
        {"looping proxy inside", ns::Array::make({ns::make<Stand>(nullptr)}), {"7 Nested too deep"}},
        {"key not a string",
         ns::Dictionary::make({{integer(1), integer(2)}}),
         {"1 JSON object key must be string"}},
        {"nested failure",
         ns::Dictionary::make(
             {{text("a"), ns::Array::make({ns::Dictionary::make({{text("b"), ns::make<Thing>()}})})}}),
         {"1 JSON serialisation not supported for Thing", "1 Unsupported value for key b in object",
          "1 Unsupported value for key a in object"}},
    };
    StrictJsonWriter writer;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_FALSE(writer.stringWithObject(row.value));
        EXPECT_EQ(traceLines(writer), row.trace);
    }
    writer.setSortKeys(true);
    EXPECT_FALSE(
        writer.stringWithObject(ns::Dictionary::make({{text("a"), integer(1)}, {integer(1), integer(2)}})));
    EXPECT_EQ(traceLines(writer), std::vector<std::string>({"1 JSON object key must be string"}));
}

TEST(StrictJsonWriter, EscapesAtEveryPlaceOfALongText)
{
    // Texts are checked eight bytes at a time: each byte that needs an escape is put at each place of a
    // text longer than two such steps, beside bytes just outside what is escaped.
    const std::pair<char, std::string> escapes[] = {
        {'"', "\\\""}, {'\\', "\\\\"}, {'\0', "\\u0000"}, {'\x1f', "\\u001f"}, {'\n', "\\n"}};
    const std::string plain = " !#[]~\x7f\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80"
                              "xyz"; // 19 bytes, none escaped
    StrictJsonWriter writer;
    for (const auto& [byte, escaped] : escapes) {
        for (std::size_t at = 0; at <= plain.size(); ++at) {
            std::string text = plain.substr(0, at) + byte + plain.substr(at);
            auto json = writer.stringWithObject(ns::Array::make({ns::String::make(text)}));
            ASSERT_TRUE(json);
            EXPECT_EQ(*json, "[\"" + plain.substr(0, at) + escaped + plain.substr(at) + "\"]") << at;
        }
    }
    auto json = writer.stringWithObject(ns::Array::make({ns::String::make(plain)}));
    ASSERT_TRUE(json);
    EXPECT_EQ(*json, "[\"" + plain + "\"]");
}

TEST(StrictJsonWriter, WritesThroughAProxy)
{
    StrictJsonWriter writer;
    auto proxy = ns::make<Stand>(ns::make<Stand>(sample()));
    EXPECT_EQ(writer.stringWithObject(proxy), R"({"b":1,"a":[]})");
    EXPECT_EQ(writer.stringWithObject(ns::Array::make({proxy})), R"([{"b":1,"a":[]}])");
}

TEST(StrictJsonWriter, Allows512LevelsAndRefuses513)
{
    StrictJsonWriter writer;
    EXPECT_EQ(writer.stringWithObject(nestedArrays(512)), std::string(512, '[') + std::string(512, ']'));
    EXPECT_FALSE(writer.stringWithObject(nestedArrays(513)));
    EXPECT_EQ(traceLines(writer), std::vector<std::string>({"7 Nested too deep"}));

    // Without a limit only the guard of the stack stops it, with its own error.
    writer.setMaxDepth(0);
    EXPECT_TRUE(writer.stringWithObject(nestedArrays(1000)));
    EXPECT_TRUE(writer.stringWithObject(nestedArrays(StrictJsonBase::HardDepthLimit)));
    EXPECT_FALSE(writer.stringWithObject(nestedArrays(StrictJsonBase::HardDepthLimit + 1)));
    EXPECT_EQ(traceLines(writer),
              std::vector<std::string>({std::string("7 ") + StrictJsonBase::HardDepthMessage}));
}

TEST(StrictJsonWriter, WritesWhatTheParserReads)
{
    const std::string json =
        R"({"name":"caf\u00e9 \"x\"","list":[1,-2.5,1e400,true,false,null,{}],"deep":{"a":{"b":[[]]}}})";
    StrictJsonParser parser;
    auto value = parser.objectWithString(json);
    ASSERT_TRUE(value);
    StrictJsonWriter writer;
    auto written = writer.stringWithObject(value);
    ASSERT_TRUE(written);
    EXPECT_EQ(*written, "{\"name\":\"caf\xc3\xa9 \\\"x\\\"\",\"list\":[1,-2.5,1e400,true,false,null,{}],"
                        "\"deep\":{\"a\":{\"b\":[[]]}}}");
    auto again = parser.objectWithString(*written);
    ASSERT_TRUE(again);
    EXPECT_TRUE(again->isEqual(*value));
}
