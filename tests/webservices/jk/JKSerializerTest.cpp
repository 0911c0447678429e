#include "webservices/jk/JKSerializer.h"

#include "foundation/Array.h"
#include "foundation/Data.h"
#include "foundation/Dictionary.h"
#include "foundation/Exception.h"
#include "foundation/Null.h"
#include "foundation/Number.h"
#include "foundation/String.h"
#include "webservices/jk/JKDoubleFormat.h"
#include "webservices/jk/JKSerializing.h"
#include "webservices/jk/JSONDecoder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>

namespace {

ns::Id str(const std::string& text)
{
    return ns::String::make(text);
}

std::string encode(const ns::Id& object, JKSerializeOptionFlags options = 0,
                   ns::Ref<ns::Error>* error = nullptr, const JKSerializer::Formatter& block = {})
{
    auto text = ns::cast<ns::String>(
        JKSerializer::serializeObject(object, options, JKEncodeOptionAsString, block, nullptr, {}, error));
    return text ? text->str() : "(nothing)";
}

std::string failure(const ns::Id& object, JKSerializeOptionFlags options = 0,
                    const JKSerializer::Formatter& block = {})
{
    ns::Ref<ns::Error> error;
    std::string text = encode(object, options, &error, block);
    if (text != "(nothing)")
        return "(written) " + text;
    if (!error)
        return "(no error)";
    EXPECT_EQ(error->domain(), "JKErrorDomain");
    EXPECT_EQ(error->code(), -1);
    return error->localizedDescription();
}

// An array that makes a new string each time an element is read, so each element lives only while it is
// written and the next one may get the same address.
class MakingArray : public ns::Array
{
public:
    explicit MakingArray(std::size_t count) : m_count(count) {}
    std::size_t count() const override { return m_count; }
    ns::Id objectAtIndex(std::size_t index) const override
    {
        return ns::String::make(std::string("v").append(std::to_string(index)));
    }

private:
    std::size_t m_count;
};

class Unsupported : public ns::Object
{
public:
    std::string className() const override { return "Unsupported"; }
};

class Formatting : public JKSerializingDelegate
{
public:
    bool respondsToSelector(std::string_view selector) const override { return selector == "format:"; }
    ns::Id performSelector(std::string_view, const ns::Id&) override { return ns::String::make("formatted"); }
};

} // namespace

TEST(JKSerializer, WritesScalarsInsideContainers)
{
    struct Case
    {
        const char* name;
        ns::Id value;
        std::string text;
    } cases[] = {
        {"0.1 with seventeen digits", ns::Number::numberWithDouble(0.1), "[0.10000000000000001]"},
        {"three", ns::Number::numberWithInt(3), "[3]"},
        {"negative", ns::Number::numberWithLongLong(-42), "[-42]"},
        {"largest unsigned", ns::Number::numberWithUnsignedLongLong(18446744073709551615ull),
         "[18446744073709551615]"},
        {"true", ns::Number::numberWithBool(true), "[true]"},
        {"false", ns::Number::numberWithBool(false), "[false]"},
        {"null", ns::Null::null(), "[null]"},
        {"tab", str("a\tb"), "[\"a\\tb\"]"},
        {"control byte", str("\x01"), "[\"\\u0001\"]"},
        {"zero byte keeps the rest", str(std::string("a\0b", 3)), "[\"a\\u0000b\"]"},
        {"quote and backslash", str("\"\\"), "[\"\\\"\\\\\"]"},
        {"slash", str("a/b"), "[\"a/b\"]"},
        {"delete byte", str("\x7f"), "[\"\x7f\"]"},
        {"e acute raw", str("\xC3\xA9"), "[\"\xC3\xA9\"]"},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(encode(ns::Array::make({row.value})), row.text);
    }
}

TEST(JKSerializer, EscapeOptions)
{
    auto array = ns::Array::make({str("a/b \xC3\xA9 \xF0\x9F\x98\x80")});
    EXPECT_EQ(encode(array, JKSerializeOptionEscapeForwardSlashes), "[\"a\\/b \xC3\xA9 \xF0\x9F\x98\x80\"]");
    EXPECT_EQ(encode(array, JKSerializeOptionEscapeUnicode), "[\"a/b \\u00e9 \\ud83d\\ude00\"]");
    // A code point the codec refuses cannot be escaped.
    EXPECT_EQ(failure(ns::Array::make({str("\xEF\xBF\xBE")}), JKSerializeOptionEscapeUnicode),
              "Error converting UTF8.");
    // Bytes that are not UTF-8 are never written out.
    EXPECT_EQ(failure(ns::Array::make({str("a\xFF")})),
              "An error occurred converting the contents of a NSString to UTF8.");
}

TEST(JKSerializer, PrettyOutputSortsKeysAndIndents)
{
    auto dictionary = ns::Dictionary::withStrings(
        {{"b", ns::Number::numberWithInt(1)}, {"a", ns::Number::numberWithInt(2)}});
    EXPECT_EQ(encode(dictionary, JKSerializeOptionPretty), "{\n  \"a\": 2,\n  \"b\": 1\n}");
    EXPECT_EQ(encode(dictionary), "{\"b\":1,\"a\":2}");
    EXPECT_EQ(encode(ns::Array::make(), JKSerializeOptionPretty), "[\n  \n]");
    auto nested = ns::Array::make({ns::Array::make({ns::Null::null()})});
    EXPECT_EQ(encode(nested, JKSerializeOptionPretty), "[\n  [\n    null\n  ]\n]");
}

TEST(JKSerializer, RefusesWhatJSONCannotHold)
{
    const std::string notFinite =
        "Floating point values must be finite.  JSON does not support NaN or Infinity.";
    EXPECT_EQ(failure(ns::Array::make({ns::Number::numberWithDouble(std::nan(""))})), notFinite);
    EXPECT_EQ(
        failure(ns::Array::make({ns::Number::numberWithDouble(std::numeric_limits<double>::infinity())})),
        notFinite);
    EXPECT_EQ(
        failure(ns::Array::make({ns::Number::numberWithFloat(-std::numeric_limits<float>::infinity())})),
        notFinite);
    EXPECT_EQ(failure(ns::Dictionary::make({{ns::Number::numberWithInt(1), str("v")}})),
              "Key must be a string object.");
    EXPECT_EQ(failure(ns::Array::make({ns::make<Unsupported>()})),
              "Unable to serialize object class Unsupported.");
    EXPECT_EQ(
        failure(ns::Array::make({ns::make<Unsupported>()}), 0,
                [](const ns::Id&) -> ns::Id { return ns::make<Unsupported>(); }),
        "Unable to serialize object class Unsupported that was returned by the unsupported class formatter.  "
        "Original object class was Unsupported.");
    EXPECT_EQ(failure(ns::Array::make({ns::make<Unsupported>()}), 0, [](const ns::Id&) { return ns::Id(); }),
              "Unable to serialize object class Unsupported.");

    auto cyclic = ns::MutableArray::make();
    cyclic->addObject(cyclic);
    EXPECT_EQ(failure(cyclic), "Exceeded the maximum nesting depth of 512 arrays and objects.");
    cyclic->removeAllObjects(); // lets the array go
}

TEST(JKSerializer, KeysMetBeforeAsValuesAreCheckedAsKeys)
{
    // Each object is written first as a value, so that its text is remembered, and then used as a key.
    auto key = str("k");
    auto number = ns::Number::numberWithInt(7);
    auto unsupported = ns::make<Unsupported>();
    auto asString = [](const ns::Id&) { return ns::String::make("s"); };
    auto entry = [](const ns::Id& value, const ns::Id& keyObject) {
        return ns::Array::make({value, ns::Dictionary::make({{keyObject, ns::Null::null()}})});
    };
    EXPECT_EQ(encode(entry(key, key)), "[\"k\",{\"k\":null}]");
    EXPECT_EQ(failure(entry(number, number)), "Key must be a string object.");
    EXPECT_EQ(failure(entry(unsupported, unsupported), 0, asString), "Key must be a string object.");
}

TEST(JKSerializer, FormattersReplaceUnsupportedObjects)
{
    auto array = ns::Array::make({ns::make<Unsupported>(), ns::Number::numberWithInt(1)});
    EXPECT_EQ(encode(array, 0, nullptr, [](const ns::Id&) { return ns::String::make("block"); }),
              "[\"block\",1]");

    auto delegate = ns::make<Formatting>();
    auto text = JSONStringWithOptions(array, 0, delegate, "format:");
    ASSERT_TRUE(text);
    EXPECT_EQ(text->str(), "[\"formatted\",1]");

    auto reasonOf = [&](std::string_view selector) -> std::string {
        try {
            JSONStringWithOptions(array, 0, delegate, selector);
        } catch (const ns::Exception& exception) {
            return exception.name() + ": " + exception.reason();
        }
        return "(no exception)";
    };
    EXPECT_EQ(
        reasonOf(""),
        "NSInvalidArgumentException: The delegate argument is not NULL, but the selector argument is NULL.");
    EXPECT_EQ(reasonOf("other:"),
              "NSInvalidArgumentException: The serializeUnsupportedClassesUsingDelegate: delegate "
              "does not respond to the selector argument.");
}

TEST(JKSerializer, EntryPointsAndTopObjectChecks)
{
    auto text = ns::String::make("say \"hi\"");
    EXPECT_EQ(JSONString(text)->str(), "\"say \\\"hi\\\"\"");
    EXPECT_EQ(JSONStringWithOptions(text, 0, false)->str(), "say \\\"hi\\\"");
    EXPECT_EQ(JSONData(text)->view(), "\"say \\\"hi\\\"\"");
    EXPECT_EQ(JSONDataWithOptions(text, 0, false)->view(), "say \\\"hi\\\"");

    ns::Ref<ns::Error> error = ns::Error::make("stale", 1);
    EXPECT_FALSE(JSONStringWithOptions(ns::Id(ns::Number::numberWithInt(1)), 0, &error));
    ASSERT_TRUE(error);
    EXPECT_EQ(error->localizedDescription(),
              "Unable to serialize object class NSNumber, expected a NSArray or NSDictionary.");
    EXPECT_FALSE(JKSerializer::serializeObject(
        ns::Array::make(), 0, JKEncodeOptionAsString | JKEncodeOptionStringObj, {}, nullptr, {}, &error));
    EXPECT_EQ(error->localizedDescription(),
              "Unable to serialize object class NSArray, expected a NSString.");
    EXPECT_FALSE(JKSerializer::serializeObject(ns::Array::make(), 0, 3, {}, nullptr, {}, &error));
    EXPECT_EQ(error->localizedDescription(), "Unknown encode as type.");

    // A success clears an error left standing in the out-pointer.
    error = ns::Error::make("stale", 1);
    EXPECT_EQ(JSONStringWithOptions(ns::Id(ns::Array::make()), 0, &error)->str(), "[]");
    EXPECT_FALSE(error);
}

TEST(JKSerializer, LargeContainersKeepTheirOrder)
{
    std::vector<ns::Id> elements;
    ns::Dictionary::Entries entries;
    std::string expectedArray = "[";
    std::string expectedDictionary = "{";
    for (int i = 0; i < 2000; ++i) {
        elements.push_back(ns::Number::numberWithInt(i));
        std::string number = std::to_string(i);
        entries.emplace_back(str(std::string("k").append(number)), ns::Number::numberWithInt(i));
        expectedArray.append(i ? "," : "").append(number);
        expectedDictionary.append(i ? "," : "").append("\"k").append(number).append("\":").append(number);
    }
    expectedArray += "]";
    expectedDictionary += "}";
    auto array = ns::Array::make(elements);
    EXPECT_EQ(JSONString(array)->str(), expectedArray);
    EXPECT_EQ(JSONData(array)->view(), expectedArray);
    EXPECT_GT(expectedDictionary.size(), 4096u);
    EXPECT_EQ(JSONString(ns::Dictionary::make(entries))->str(), expectedDictionary);
    EXPECT_EQ(JSONData(ns::Dictionary::make(entries))->view(), expectedDictionary);
}

TEST(JKSerializer, RepeatedObjectsAndReusedAddresses)
{
    auto shared = str("same text");
    auto number = ns::Number::numberWithDouble(2.5);
    EXPECT_EQ(encode(ns::Array::make({shared, number, shared, number})),
              "[\"same text\",2.5,\"same text\",2.5]");

    // Each element dies after it is written; a later one at the same address must still get its own text.
    auto making = ns::make<MakingArray>(5000);
    std::string expected = "[";
    for (int i = 0; i < 5000; ++i)
        expected += std::string(i ? "," : "") + "\"v" + std::to_string(i) + "\"";
    expected += "]";
    EXPECT_EQ(encode(making), expected);
}

TEST(JKSerializer, WritesDecodedContainersInSlotOrder)
{
    JSONDecoder decoder;
    std::string text = R"({"one":1,"two":[true,false,null],"three":{"x":"y"},"four":-0.5})";
    auto decoded = decoder.objectWithUTF8String(text.data(), text.size());
    ASSERT_TRUE(decoded);
    std::string written = encode(decoded);
    auto again = decoder.objectWithUTF8String(written.data(), written.size());
    EXPECT_TRUE(ns::isEqual(decoded, again)) << written;
    EXPECT_EQ(encode(decoded, JKSerializeOptionPretty), "{\n  \"four\": -0.5,\n  \"one\": 1,\n  \"three\": "
                                                        "{\n    \"x\": \"y\"\n  },\n  \"two\": [\n    true,\n"
                                                        "    false,\n    null\n  ]\n}");
}

TEST(JKSerializer, DoublesAreWrittenAsSeventeenSignificantDigits)
{
    std::vector<double> values = {
        0.1, 1e16, 1e17, 9999999999999999.5, 1e-5, 1e-4, 9.9999999999999995e-8, 1e21, 1e-11, 1e-12, 5e-324,
        1.0, 123.5, 2.2250738585072014e-308, -0.0, 1e308, 0.3, -65.613616999999977,
        // Exact ties at the seventeenth digit, to even and up, also where the
        // first estimate of the decimal exponent is one too small.
        1.0 + 1.0 / 131072, 1.0 + 3.0 / 131072, 100.0 + 1.0 / 32768, -100.0 - 3.0 / 32768};
    std::mt19937_64 random(20261210);
    for (int i = 0; i < 200000; ++i) {
        uint64_t bits = random();
        double value;
        std::memcpy(&value, &bits, sizeof value);
        if (std::isfinite(value))
            values.push_back(value);
        values.push_back(std::ldexp(static_cast<double>(bits >> 11), -53) * 2000.0 - 1000.0);
        // Full mantissas from about 1e-15 to 1e27, where the point falls anywhere among the digits.
        values.push_back(
            std::ldexp(static_cast<double>((bits >> 11) | (1ull << 52)), static_cast<int>(bits % 140) - 100));
    }
    int mismatches = 0;
    for (double value : values) {
        char expected[64];
        std::snprintf(expected, sizeof expected, "%.17g",
                      value); // the C locale's point: tests run under C.UTF-8
        char written[64];
        *JKFormatDouble17g(value, written) = 0;
        if (std::strcmp(expected, written) != 0 && ++mismatches < 10)
            ADD_FAILURE() << expected << " written as " << written;
    }
    EXPECT_EQ(mismatches, 0);
}
