#include "webservices/jk/JSONDecoder.h"

#include "foundation/Array.h"
#include "foundation/Dictionary.h"
#include "foundation/Exception.h"
#include "foundation/Null.h"
#include "foundation/Number.h"
#include "foundation/String.h"
#include "webservices/jk/JKDeserializing.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <functional>
#include <initializer_list>
#include <random>

namespace {

const std::string UnexpectedToken =
    "Unexpected token, wanted '{', '}', '[', ']', ',', ':', 'true', 'false', 'null', '\"STRING\"', 'NUMBER'.";

// Pieces of a text joined by appending (joining temporaries draws a false warning from GCC 12 at -O3).
std::string joined(std::initializer_list<std::string> pieces)
{
    std::string text;
    for (const auto& piece : pieces)
        text += piece;
    return text;
}

unsigned long numberIn(const ns::Ref<ns::Error>& error, const char* key)
{
    auto number = error->userInfo()->objectAs<ns::Number>(key);
    return number ? static_cast<unsigned long>(number->unsignedLongLongValue()) : 999999;
}

std::string textOf(const ns::Id& object)
{
    auto* text = ns::stringValue(object);
    return text ? *text : "(not a string)";
}

} // namespace

TEST(JSONDecoder, ReportsTheFirstErrorWithIndexAndLine)
{
    struct Case
    {
        const char* name;
        std::string input;
        JKParseOptionFlags options;
        std::string message;
        unsigned long index;
        unsigned long line;
    } cases[] = {
        {"empty input", "", 0, "Reached the end of the buffer.", 0, 1},
        {"only spaces", "   ", 0, UnexpectedToken, 3, 1},
        {"top-level string", "\"a\" ", 0, "Expected either '[' or '{'.", 3, 1},
        {"top-level number", "12 ", 0, "Expected either '[' or '{'.", 2, 1},
        {"number ends the input", "[1", 0, "Invalid number.", 2, 1},
        {"text after the value", "[1] x", 0,
         "A valid JSON object was parsed but there were additional non-white-space characters remaining.", 4,
         1},
        {"literal at the end", "[true", 0, UnexpectedToken, 1, 1},
        {"leading zero", "[01]", 0, "Unexpected value.", 3, 1},
        {"lone minus", "[-]", 0, "Invalid number.", 2, 1},
        {"point without digits", "[1.]", 0, "Invalid number.", 3, 1},
        {"exponent without digits", "[1e]", 0, "Invalid number.", 3, 1},
        {"leading point", "[.5]", 0, UnexpectedToken, 1, 1},
        {"unsigned overflow", "[18446744073709551616]", 0,
         "The value '18446744073709551616' exceeded the maximum value that could be represented: "
         "18446744073709551615.",
         21, 1},
        {"signed overflow", "[-9223372036854775809]", 0,
         "The value '-9223372036854775809' exceeded the minimum value that could be represented: "
         "-9223372036854775808.",
         21, 1},
        {"double overflow", "[1e400]", 0,
         "The value '1e400' could not be represented as a 'double' due to overflow.", 6, 1},
        {"double underflow", "[1e-400]", 0,
         "The value '1e-400' could not be represented as a 'double' due to underflow.", 7, 1},
        {"small fraction underflow", "[0.0000001e-320]", 0,
         "The value '0.0000001e-320' could not be represented as a 'double' due to underflow.", 15, 1},
        {"trailing comma", "[1,]", 0, "Unexpected ']'.", 4, 1},
        {"leading comma", "[,1]", 0, "Unexpected ','.", 2, 1},
        {"colon in an array", "[:]", 0, "Expected a value or a ']', not ':'", 2, 1},
        {"brace closes an array", "[1}", 0, "Expected a comma or a ']', not '}'", 3, 1},
        {"missing colon", "{\"a\" 1}", 0, "Expected ':'.", 6, 1},
        {"missing value", "{\"a\":}", 0, "Expected a value, not '}'", 6, 1},
        {"number as key", "{1:2}", 0, "Expected a \"STRING\" or a '}', not '1'", 2, 1},
        {"missing comma between entries", "{\"a\":1 \"b\":2}", 0, "Unexpected string.", 10, 1},
        {"literal after an entry", "{\"a\":1 true}", 0, "Expected a comma or a '}', not 'true'", 11, 1},
        {"raw tab in a string", "[\"\t\"]", 0, "Invalid character < 0x20 found in string: 0x09.", 1, 1},
        {"unterminated string", "[\"abc", 0, "Invalid string.", 1, 1},
        {"high surrogate without a second escape", "[\"\\uD83Dx\"]", 0,
         "Required a second \\u Unicode escape sequence following a surrogate \\u Unicode escape sequence.",
         1, 1},
        {"high surrogate and another escape", "[\"\\uD83D\\n\"]", 0,
         "Required a second \\u Unicode escape sequence following a surrogate \\u Unicode escape sequence.",
         1, 1},
        {"high surrogate and no low one", "[\"\\uD83D\\u0041\"]", 0, "Illegal \\u Unicode escape sequence.",
         1, 1},
        {"lone low surrogate", "[\"\\uDE00\"]", 0, "Illegal \\u Unicode escape sequence.", 1, 1},
        {"escaped zero", "[\"\\u0000\"]", 0, "Illegal \\u Unicode escape sequence.", 1, 1},
        {"escaped noncharacter", "[\"\\uFFFE\"]", 0, "Illegal \\u Unicode escape sequence.", 1, 1},
        {"escaped pair of a noncharacter", "[\"\\uDBFF\\uDFFF\"]", 0, "Illegal \\u Unicode escape sequence.",
         1, 1},
        {"raw noncharacter", "[\"\xEF\xBF\xBE\"]", 0, "Illegal UTF8 sequence found in \"\" string.", 1, 1},
        {"overlong zero", "[\"\xC0\x80\"]", 0, "Illegal UTF8 sequence found in \"\" string.", 1, 1},
        {"cut sequence", "[\"\xE2\x82", 0, "End of buffer reached while parsing UTF8 in \"\" string.", 1, 1},
        {"cut sequence with loose option", "[\"\xE2\x82", JKParseOptionLooseUnicode,
         "End of buffer reached while parsing UTF8 in \"\" string.", 1, 1},
        {"bad escape", "[\"\\x\"]", 0, "Invalid escape sequence found in \"\" string.", 1, 1},
        {"bad hex digit", "[\"\\u12G4\"]", 0,
         "Unexpected character found in \\u Unicode escape sequence.  Found 'G', expected [0-9a-fA-F].", 1,
         1},
        {"CR LF counts one line", "[1,\r\n2,\r\nx]", 0, UnexpectedToken, 9, 3},
        {"error in a string on line 2", "[1,\n\"\t\"]", 0, "Invalid character < 0x20 found in string: 0x09.",
         4, 2},
        {"comments count as white space", "[1, // c\n2, /* x\ny */ 3] x", JKParseOptionComments,
         "A valid JSON object was parsed but there were additional non-white-space characters remaining.", 25,
         3},
        {"comments without the option", "[1, // c\n2]", 0, UnexpectedToken, 4, 1},
        {"long runs of spaces and tabs",
         joined({"[1,\n", std::string(20, ' '), "\t  \r", std::string(9, ' '), "\r\n  x]"}), 0,
         UnexpectedToken, 41, 4},
        {"spaces up to the end", joined({"[1,", std::string(17, ' ')}), 0, UnexpectedToken, 20, 1},
        {"unicode newline", "[1,\xE2\x80\xA8\x32] x", JKParseOptionUnicodeNewlines,
         "A valid JSON object was parsed but there were additional non-white-space characters remaining.", 9,
         2},
        {"unicode newline without the option", "[1,\xE2\x80\xA8\x32]", 0, UnexpectedToken, 3, 1},
        {"form feed is no white space", "[\f]", 0, UnexpectedToken, 1, 1},
        {"byte order mark", "\xEF\xBB\xBF[]", 0, UnexpectedToken, 0, 1},
        {"too deep", std::string(513, '[') + std::string(513, ']'), 0,
         "Exceeded the maximum nesting depth of 512 arrays and objects.", 512, 1},
        {"too deep in objects", "{\"a\":" + std::string(512, '['), 0,
         "Exceeded the maximum nesting depth of 512 arrays and objects.", 516, 1},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        JSONDecoder decoder(row.options);
        ns::Ref<ns::Error> error;
        EXPECT_FALSE(decoder.objectWithUTF8String(row.input.data(), row.input.size(), &error));
        ASSERT_TRUE(error);
        EXPECT_EQ(error->domain(), "JKErrorDomain");
        EXPECT_EQ(error->code(), -1);
        EXPECT_EQ(error->localizedDescription(), row.message);
        EXPECT_EQ(numberIn(error, JKAtIndexKey), row.index);
        EXPECT_EQ(numberIn(error, JKLineNumberKey), row.line);
    }
}

TEST(JSONDecoder, DecodesValues)
{
    struct Case
    {
        const char* name;
        std::string input;
        JKParseOptionFlags options;
        std::string first; // the first element, as text
    } cases[] = {
        {"escaped e acute", "[\"\\u00e9\"]", 0, "\xC3\xA9"},
        {"surrogate pair", "[\"\\uD83D\\uDE00\"]", 0, "\xF0\x9F\x98\x80"},
        {"all simple escapes", "[\"\\\"\\\\\\/\\b\\f\\n\\r\\t\"]", 0, "\"\\/\b\f\n\r\t"},
        {"raw UTF-8", "[\"caf\xC3\xA9 \xF0\x9F\x98\x80\"]", 0, "caf\xC3\xA9 \xF0\x9F\x98\x80"},
        {"loose: high surrogate then a byte", "[\"\\uD83Dx\"]", JKParseOptionLooseUnicode, "\xEF\xBF\xBDx"},
        {"loose: high surrogate then another escape", "[\"\\uD83D\\n\"]", JKParseOptionLooseUnicode,
         "\xEF\xBF\xBD\n"},
        {"loose: second unit not low", "[\"\\uD83D\\u0041z\"]", JKParseOptionLooseUnicode, "\xEF\xBF\xBDz"},
        {"loose: escaped zero", "[\"\\u0000\"]", JKParseOptionLooseUnicode, "\xEF\xBF\xBD"},
        {"loose: lone low surrogate", "[\"a\\uDE00\"]", JKParseOptionLooseUnicode, "a\xEF\xBF\xBD"},
        {"loose: ill-formed bytes", "[\"a\xC0\x80z\xFF\"]", JKParseOptionLooseUnicode,
         "a\xEF\xBF\xBDz\xEF\xBF\xBD"},
        {"text after the value permitted", "[\"v\"] x", JKParseOptionPermitTextAfterValidJSON, "v"},
        {"block comment from its asterisk", "[/*/ \"v\"]", JKParseOptionComments, "v"},
        {"trailing white space", "[\"v\"]  \r\n", 0, "v"},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        JSONDecoder decoder(row.options);
        ns::Ref<ns::Error> error;
        auto array =
            ns::cast<ns::Array>(decoder.objectWithUTF8String(row.input.data(), row.input.size(), &error));
        ASSERT_TRUE(array) << (error ? error->localizedDescription() : "");
        EXPECT_FALSE(error);
        ASSERT_EQ(array->count(), 1u);
        EXPECT_EQ(textOf(array->objectAtIndex(0)), row.first);
    }
}

TEST(JSONDecoder, NumbersReadAsTheLibraryConversionsReadThem)
{
    // Random numbers of every shape: 1 to 22 digits, a point anywhere, exponents near and far, ties
    // between two doubles; each must give the very value (and kind) of the library's conversion of its text.
    std::mt19937_64 random(20261211);
    std::vector<std::string> texts = {"0.1",
                                      "-0.0",
                                      "0e5",
                                      "1e-400",
                                      "9007199254740993",
                                      "9007199254740993.0",
                                      "4.9406564584124654e-324",
                                      "1.7976931348623157e308",
                                      "123456789012345678901",
                                      "-9223372036854775808",
                                      "18446744073709551615",
                                      "0.000000000000000000001"};
    for (int i = 0; i < 20000; ++i) {
        std::string text = random() % 4 == 0 ? "-" : "";
        int digits = 1 + static_cast<int>(random() % 22);
        std::string mantissa;
        for (int d = 0; d < digits; ++d)
            mantissa += static_cast<char>('0' + (d == 0 && digits > 1 ? 1 + random() % 9 : random() % 10));
        int point = static_cast<int>(random() % (digits + 1));
        if (point > 0 && point < digits)
            mantissa.insert(static_cast<std::size_t>(point), 1, '.');
        text += mantissa;
        if (random() % 3 == 0) {
            text += random() % 2 ? 'e' : 'E';
            if (random() % 2)
                text += '-';
            text += std::to_string(random() % (random() % 2 ? 30 : 330));
        }
        texts.push_back(text);
    }
    for (int i = 0; i < 5000; ++i) {
        // Halfway between two doubles: an odd multiple of half a unit, written exactly.
        uint64_t odd = 2 * ((random() >> 11) | (1ull << 52)) + 1;
        int shift = static_cast<int>(random() % 10);
        texts.push_back(std::to_string(odd << shift) + ".0");
        texts.push_back(std::to_string(odd * 5) + "e-1");
    }
    JSONDecoder decoder;
    int mismatches = 0;
    for (const auto& text : texts) {
        std::string input = "[" + text + " ]";
        auto array = ns::cast<ns::Array>(decoder.objectWithUTF8String(input.data(), input.size()));
        bool isDouble = text.find_first_of(".eE") != std::string::npos || text == "-0";
        auto number = array ? ns::cast<ns::Number>(array->objectAtIndex(0)) : nullptr;
        const char* first = text.data();
        const char* last = first + text.size();
        bool same = false;
        if (isDouble) {
            double expected = 0;
            auto result = std::from_chars(first, last, expected);
            if (result.ec == std::errc::result_out_of_range)
                same = !array;
            else
                same = number && number->kind() == ns::Number::Kind::Double &&
                       std::bit_cast<uint64_t>(number->doubleValue()) == std::bit_cast<uint64_t>(expected);
        } else if (text[0] == '-') {
            int64_t expected = 0;
            auto result = std::from_chars(first, last, expected);
            same = result.ec == std::errc() ? number && number->longLongValue() == expected : !array;
        } else {
            uint64_t expected = 0;
            auto result = std::from_chars(first, last, expected);
            same = result.ec == std::errc() ? number && number->unsignedLongLongValue() == expected : !array;
        }
        if (!same && ++mismatches < 10)
            ADD_FAILURE() << text;
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(JSONDecoder, CommentsAndNewlineOptions)
{
    std::string text = "[1, // c\n2, /* x\ny */ 3]";
    JSONDecoder withComments(JKParseOptionComments);
    auto array = ns::cast<ns::Array>(withComments.objectWithUTF8String(text.data(), text.size()));
    ASSERT_TRUE(array);
    EXPECT_EQ(array->count(), 3u);
    JSONDecoder strict;
    EXPECT_FALSE(strict.objectWithUTF8String(text.data(), text.size()));

    std::string separated = "[1,\xE2\x80\xA8\x32]";
    JSONDecoder withNewlines(JKParseOptionUnicodeNewlines);
    array = ns::cast<ns::Array>(withNewlines.objectWithUTF8String(separated.data(), separated.size()));
    ASSERT_TRUE(array);
    EXPECT_EQ(array->count(), 2u);
}

TEST(JSONDecoder, ContainersAndErrorPointer)
{
    JSONDecoder decoder;
    ns::Ref<ns::Error> error = ns::Error::make("untouched", 7);
    auto empty = ns::cast<ns::Array>(decoder.objectWithUTF8String("[]", 2, &error));
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->count(), 0u);
    EXPECT_EQ(error->domain(), "untouched"); // left alone on success
    auto dictionary = ns::cast<ns::Dictionary>(decoder.objectWithUTF8String("{}", 2));
    ASSERT_TRUE(dictionary);
    EXPECT_EQ(dictionary->count(), 0u);

    std::string deep = std::string(512, '[') + std::string(512, ']');
    EXPECT_TRUE(decoder.objectWithUTF8String(deep.data(), deep.size()));

    // A failed parse leaves the decoder usable.
    EXPECT_FALSE(decoder.objectWithUTF8String("[1,", 3));
    auto again = ns::cast<ns::Dictionary>(decoder.objectWithUTF8String("{\"k\":[null]}", 12));
    ASSERT_TRUE(again);
    EXPECT_TRUE(ns::isNull(ns::cast<ns::Array>(again->objectForKey("k"))->objectAtIndex(0)));
}

TEST(JSONDecoder, RaisesForProgrammingErrors)
{
    auto reasonOf = [](const std::function<void()>& action) -> std::string {
        try {
            action();
        } catch (const ns::Exception& exception) {
            return exception.name() + ": " + exception.reason();
        }
        return "(no exception)";
    };
    EXPECT_EQ(reasonOf([] { JSONDecoder::decoderWithParseOptions(16); }),
              "NSInvalidArgumentException: Invalid parse options.");
    JSONDecoder decoder;
    EXPECT_EQ(reasonOf([&] { decoder.objectWithUTF8String(nullptr, 0); }),
              "NSInvalidArgumentException: The string argument is NULL.");
    EXPECT_EQ(reasonOf([&] { decoder.objectWithData(nullptr); }),
              "NSInvalidArgumentException: The jsonData argument is NULL.");
}

// Every entry point that takes a text takes the options and the error pointer; a text that cannot be
// converted to UTF-8 is refused with the conversion error before any parse.
TEST(JSONDecoder, StringEntryPointsTakeOptionsAndRefuseTextThatIsNotUTF8)
{
    using Entry = std::function<ns::Id(const std::string&, JKParseOptionFlags, ns::Ref<ns::Error>*)>;
    struct Row
    {
        const char* name;
        Entry entry;
        bool mutableResult;
    };
    const Row rows[] = {
        {"object from text",
         [](const std::string& text, JKParseOptionFlags options, ns::Ref<ns::Error>* error) {
             return objectFromJSONStringWithParseOptions(std::string_view(text), options, error);
         },
         false},
        {"object from a string",
         [](const std::string& text, JKParseOptionFlags options, ns::Ref<ns::Error>* error) {
             return objectFromJSONStringWithParseOptions(ns::String(text), options, error);
         },
         false},
        {"mutable object from text",
         [](const std::string& text, JKParseOptionFlags options, ns::Ref<ns::Error>* error) {
             return mutableObjectFromJSONStringWithParseOptions(std::string_view(text), options, error);
         },
         true},
        {"mutable object from a string",
         [](const std::string& text, JKParseOptionFlags options, ns::Ref<ns::Error>* error) {
             return mutableObjectFromJSONStringWithParseOptions(ns::String(text), options, error);
         },
         true},
    };
    const char* notUtf8[] = {"[\"\xED\xA0\x80\"]", "[\"caf\xE9\"]", "[1]\xC0\x80"};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        // The options reach the decoder: comments are white space, text after the value is allowed.
        ns::Ref<ns::Error> error;
        auto array = ns::cast<ns::Array>(row.entry(
            "[1 /* one */] x", JKParseOptionComments | JKParseOptionPermitTextAfterValidJSON, &error));
        ASSERT_TRUE(array);
        EXPECT_EQ(array->count(), 1u);
        EXPECT_EQ(array->isMutable(), row.mutableResult);
        EXPECT_FALSE(error);
        EXPECT_FALSE(row.entry("[1 /* one */]", 0, &error));
        ASSERT_TRUE(error);
        EXPECT_EQ(error->localizedDescription(), UnexpectedToken);

        for (const char* text : notUtf8) {
            SCOPED_TRACE(text);
            error = nullptr;
            // Even the loose option does not take text that was never UTF-8.
            EXPECT_FALSE(
                row.entry(text, JKParseOptionLooseUnicode | JKParseOptionPermitTextAfterValidJSON, &error));
            ASSERT_TRUE(error);
            EXPECT_EQ(error->domain(), JKErrorDomain);
            EXPECT_EQ(error->code(), -1);
            EXPECT_EQ(error->localizedDescription(),
                      "An error occurred converting the contents of a NSString to UTF8.");
            EXPECT_EQ(error->userInfo()->count(), 1u);
            EXPECT_FALSE(row.entry(text, 0, nullptr));
        }
    }
    // The same bytes as data go to the decoder as they are.
    EXPECT_TRUE(
        objectFromJSONDataWithParseOptions(ns::Data::withString("[\"caf\xE9\"]"), JKParseOptionLooseUnicode));
}

TEST(JSONDecoder, CategoriesAnswerNothingForNonContainers)
{
    EXPECT_FALSE(objectFromJSONString("\"just text\""));
    EXPECT_FALSE(objectFromJSONString("<html>error</html>"));
    EXPECT_FALSE(objectFromJSONString(std::string_view()));
    auto result =
        ns::cast<ns::Dictionary>(objectFromJSONString(ns::String("{\"success\":1,\"messages\":[]}")));
    ASSERT_TRUE(result);
    EXPECT_FALSE(result->isMutable());
    EXPECT_EQ(ns::cast<ns::Number>(result->objectForKey("success"))->intValue(), 1);

    auto data = ns::Data::withString("{\"a\":{\"b\":null}}");
    auto mutableResult = ns::cast<ns::MutableDictionary>(mutableObjectFromJSONData(data));
    ASSERT_TRUE(mutableResult && mutableResult->isMutable());
    mutableResult->setObject(ns::String::make(""), "a");
    ns::Ref<ns::Error> error;
    EXPECT_FALSE(objectFromJSONDataWithParseOptions(ns::Data::withString("[1"), 0, &error));
    ASSERT_TRUE(error);
    EXPECT_EQ(error->localizedDescription(), "Invalid number.");
    EXPECT_FALSE(mutableObjectFromJSONStringWithParseOptions("[", 0, &error));
}
