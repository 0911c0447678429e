// Reading a web service's XML reply into a flat dictionary, over the platform's event-driven parser.
#include "sharing/core/SHKXMLResponseParser.h"

#include "foundation/Dictionary.h"
#include "foundation/String.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

ns::Ref<ns::Data> bytes(const std::string& text)
{
    return ns::Data::withString(text);
}

// How a looked-up value reads in a table: the text, "{}" for an empty dictionary, "{k=v,...}" for
// attributes, nothing for nothing.
std::optional<std::string> shown(const ns::Id& value)
{
    if (!value)
        return std::nullopt;
    if (auto text = ns::cast<ns::String>(value))
        return text->str();
    if (auto dictionary = ns::cast<ns::Dictionary>(value)) {
        std::string out = "{";
        for (const auto& [key, entry] : dictionary->entries()) {
            if (out.size() > 1)
                out += ',';
            out += ns::describe(key);
            out += '=';
            out += ns::describe(entry);
        }
        out += '}';
        return out;
    }
    return value->description();
}

TEST(SHKXMLResponseParser, ElementsAreLookedUpByNameAnywhereInTheReply)
{
    const std::string twitterError = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                     "<hash>\n"
                                     "  <errors><error>Could not authenticate you</error></errors>\n"
                                     "  <code>401</code>\n"
                                     "</hash>\n";
    struct Row
    {
        const char* name;
        std::optional<std::string> reply; // nothing: absent bytes
        const char* element;
        std::optional<std::string> value;
    } rows[] = {
        {"code of an error reply", twitterError, "code", "401"},
        // The error element keeps its attributes, not its message.
        {"error of an error reply", twitterError, "error", "{}"},
        {"errors keeps its attributes", twitterError, "errors", "{}"},
        {"spaces trimmed", "<r><n>  42  </n></r>", "n", "42"},
        {"a line break kept", "<r><n>42\n</n></r>", "n", "42\n"},
        {"a tab kept", "<r><n>\t42</n></r>", "n", "\t42"},
        {"an empty element gives its attributes", "<r><e/></r>", "e", "{}"},
        {"attributes of an empty element", "<r><e a=\"1\" b=\"two\"/></r>", "e", "{a=1,b=two}"},
        {"attributes then text: the text wins", "<r><e a=\"1\">x</e></r>", "e", "x"},
        {"the last of a name wins", "<r><v>first</v><v>second</v></r>", "v", "second"},
        // The parent gets the text since its last child started: that child's text and what follows it.
        {"a parent of children", "<r><a>1</a><b>2</b>tail</r>", "r", "2tail"},
        {"entities are decoded", "<r><t>a &amp; b &lt;c&gt;</t></r>", "t", "a & b <c>"},
        {"a name that is not there", "<r><a>1</a></r>", "missing", std::nullopt},
        {"absent bytes", std::nullopt, "a", std::nullopt},
        {"empty bytes", "", "a", std::nullopt},
        {"not XML", "{\"code\": 401}", "code", std::nullopt},
        {"malformed after a value", "<r><code>401</code><oops></r>", "code", std::nullopt},
        {"an undeclared entity", "<r><code>&bogus;</code></r>", "code", std::nullopt},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto data = row.reply ? bytes(*row.reply) : nullptr;
        EXPECT_EQ(shown(SHKXMLResponseParser::getValueForElement(row.element, data)), row.value);
    }
}

TEST(SHKXMLResponseParser, AFailedParseKeepsWhatItReadButReportsFailure)
{
    auto reader = SHKXMLResponseParser::create(bytes("<r><code>401</code><broken></r>"));
    reader->parse();
    EXPECT_FALSE(reader->xmlParsedSuccessfully());
    ASSERT_TRUE(reader->parsedResponse());
    EXPECT_EQ(reader->parsedResponse()->stringForKey("code"), "401");

    auto good = SHKXMLResponseParser::create(bytes("<r><code>200</code></r>"));
    good->parse();
    EXPECT_TRUE(good->xmlParsedSuccessfully());
    EXPECT_EQ(good->parsedResponse()->stringForKey("code"), "200");
    EXPECT_EQ(good->currentElementValue(), "200") << "the text is not cleared at an element's end";
}

TEST(SHKXMLResponseParser, TheSearchGoesIntoDictionariesWhereTheyStandAndStopsAtTheFirstMatch)
{
    auto inner = ns::Dictionary::withStrings({{"code", ns::String::make("inner")}});
    auto deeper = ns::Dictionary::withStrings(
        {{"nest", ns::Dictionary::withStrings({{"code", ns::String::make("deepest")}})}});
    struct Row
    {
        const char* name;
        ns::Ref<ns::Dictionary> dictionary;
        std::optional<std::string> value;
    } rows[] = {
        {"an inner dictionary before the key",
         ns::Dictionary::withStrings({{"a", inner}, {"code", ns::String::make("outer")}}), "inner"},
        {"the key before an inner dictionary",
         ns::Dictionary::withStrings({{"code", ns::String::make("outer")}, {"a", inner}}), "outer"},
        {"two levels down", ns::Dictionary::withStrings({{"x", ns::String::make("1")}, {"d", deeper}}),
         "deepest"},
        {"a matching key whose value is a dictionary", ns::Dictionary::withStrings({{"code", inner}}),
         "{code=inner}"},
        {"nothing matches", ns::Dictionary::withStrings({{"a", ns::String::make("1")}}), std::nullopt},
        {"no dictionary", nullptr, std::nullopt},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(shown(SHKXMLResponseParser::findRecursivelyValueForKey("code", row.dictionary)), row.value);
    }
}

TEST(SHKXMLResponseParser, AHostileReplyNeitherReachesOutNorGrows)
{
    std::string billion =
        "<?xml version=\"1.0\"?><!DOCTYPE r [<!ENTITY a \"aaaaaaaaaa\">"
        "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;\">]>"
        "<r><code>&c;</code></r>";
    std::string external = "<?xml version=\"1.0\"?><!DOCTYPE r [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>"
                           "<r><code>&x;</code></r>";
    for (const auto& reply : {billion, external}) {
        auto value = SHKXMLResponseParser::getValueForElement("code", bytes(reply));
        EXPECT_TRUE(!value || shown(value)->find("root:") == std::string::npos);
        EXPECT_TRUE(!value || shown(value)->size() < 100);
    }
    std::string deep;
    for (int i = 0; i < 5000; ++i)
        deep += "<a>";
    deep += "x";
    for (int i = 0; i < 5000; ++i)
        deep += "</a>";
    // Deep nesting is refused or read flat; either way nothing breaks.
    auto value = SHKXMLResponseParser::getValueForElement("a", bytes(deep));
    EXPECT_TRUE(!value || shown(value) == "x");
}

} // namespace
