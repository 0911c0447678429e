#include "ddxml/DDXMLDocument.h"
#include "ddxml/DDXMLElement.h"
#include "foundation/Log.h"

#include <gtest/gtest.h>
#include <libxml/xmlerror.h>

#include <cstring>
#include <thread>

namespace {

ns::Ref<DDXMLDocument> parse(const std::string& text)
{
    ns::Ref<ns::Error> error;
    auto document = DDXMLDocument::initWithXMLString(text, 0, &error);
    EXPECT_TRUE(document) << text;
    EXPECT_FALSE(error);
    return document;
}

// A small board: text with the characters that must be escaped, attributes in a given order, empty
// elements and a nested tile.
ns::Ref<DDXMLElement> board()
{
    auto floor = DDXMLNode::elementWithName("floor");
    floor->addChild(DDXMLNode::elementWithName("background", "image001.png"));
    floor->addChild(DDXMLNode::elementWithName("title", "Tom & Jerry <3"));
    floor->addChild(DDXMLNode::elementWithName("parameters", ""));
    auto center = DDXMLNode::elementWithName("center");
    center->addAttribute(DDXMLNode::attributeWithName("y", "85.000000"));
    center->addAttribute(DDXMLNode::attributeWithName("x", "160.000000"));
    floor->addChild(center);
    auto badge = DDXMLNode::elementWithName("badge");
    badge->addAttributeWithName("string", "a&b<c\"d");
    floor->addChild(badge);
    auto child = DDXMLNode::elementWithName("floor");
    child->addChild(DDXMLNode::elementWithName("title", "Åsa"));
    floor->addChild(child);
    return floor;
}

} // namespace

TEST(DDXMLDocument, BoardRoundTripsUnderEveryOption)
{
    struct Row
    {
        const char* name;
        unsigned options;
        const char* emptyElement;
        bool lines;
    };
    const Row rows[] = {
        {"plain", 0, "<parameters></parameters>", false},
        {"compact empty elements", DDXMLNodeCompactEmptyElement, "<parameters/>", false},
        {"pretty print", DDXMLNodePrettyPrint, "<parameters></parameters>", true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::string text = board()->XMLStringWithOptions(row.options);
        EXPECT_NE(text.find(row.emptyElement), std::string::npos) << text;
        EXPECT_NE(text.find("<title>Tom &amp; Jerry &lt;3</title>"), std::string::npos) << text;
        EXPECT_NE(text.find("<center y=\"85.000000\" x=\"160.000000\""), std::string::npos) << text;
        EXPECT_EQ(text.find("<?xml"), std::string::npos);
        EXPECT_EQ(text.find('\n') != std::string::npos, row.lines) << text;
        EXPECT_FALSE(std::isspace(static_cast<unsigned char>(text.back())));

        auto document = parse(text);
        ASSERT_TRUE(document);
        auto root = document->rootElement();
        ASSERT_TRUE(root);
        // No blank text nodes: every child is an element.
        EXPECT_EQ(root->childCount(), 6u);
        auto children = root->children();
        for (const auto& child : *children)
            EXPECT_EQ(ns::cast<DDXMLNode>(child)->kind(), DDXMLElementKind);
        EXPECT_EQ(root->elementForName("title")->stringValue(), "Tom & Jerry <3");
        EXPECT_EQ(root->elementForName("parameters")->stringValue(), "");
        EXPECT_EQ(root->elementForName("badge")->attributeForName("string")->stringValue(), "a&b<c\"d");
        auto attributes = root->elementForName("center")->attributes();
        ASSERT_EQ(attributes->count(), 2u);
        EXPECT_EQ(attributes->objectAs<DDXMLNode>(0)->name(), "y");
        EXPECT_EQ(root->elementForName("floor")->elementForName("title")->stringValue(), "Åsa");
        // Printing the parsed document again gives the same text.
        EXPECT_EQ(root->XMLStringWithOptions(row.options), text);
    }
}

TEST(DDXMLDocument, PrettyPrintPutsEachChildOnItsOwnLine)
{
    auto document = parse("<a>\n   <b/>\n   <c>x</c>\n</a>");
    EXPECT_EQ(document->rootElement()->childCount(), 2u);
    EXPECT_EQ(document->rootElement()->XMLStringWithOptions(DDXMLNodePrettyPrint),
              "<a>\n  <b></b>\n  <c>x</c>\n</a>");
    EXPECT_EQ(document->rootElement()->XMLStringWithOptions(DDXMLNodeCompactEmptyElement),
              "<a><b/><c>x</c></a>");
}

TEST(DDXMLDocument, TextNodeOutputKeepsItsSpaces)
{
    auto text = DDXMLNode::textWithStringValue("  a & b  ");
    EXPECT_EQ(text->XMLString(), "  a &amp; b  ");
    auto element = DDXMLNode::elementWithName("e", "  a  ");
    EXPECT_EQ(element->XMLString(), "<e>  a  </e>");
}

TEST(DDXMLDocument, ParseFailuresGiveTheirCodes)
{
    struct Row
    {
        const char* name;
        std::string text;
        long code;
    };
    const Row rows[] = {
        {"empty", "", 0},
        {"unclosed element", "<a><b></a>", 1},
        {"not XML", "hello", 1},
        {"two roots", "<a/><b/>", 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ns::Ref<ns::Error> error;
        EXPECT_FALSE(DDXMLDocument::initWithXMLString(row.text, 0, &error));
        ASSERT_TRUE(error);
        EXPECT_EQ(error->domain(), "DDXMLErrorDomain");
        EXPECT_EQ(error->code(), row.code);
    }
    ns::Ref<ns::Error> error;
    EXPECT_FALSE(DDXMLDocument::initWithData(nullptr, 0, &error));
    EXPECT_EQ(error->code(), 0);
}

TEST(DDXMLDocument, LastErrorStaysReadableAfterTheParse)
{
    ns::Ref<ns::Error> error;
    EXPECT_FALSE(DDXMLDocument::initWithXMLString("<a><b></a>", 0, &error));
    // A later parse that succeeds leaves the earlier failure in place.
    parse("<ok/>");
    auto last = DDXMLNode::lastError();
    ASSERT_TRUE(last);
    EXPECT_EQ(last->domain(), "DDXMLErrorDomain");
    // libxml2's last word on that input: the document ended inside an element.
    EXPECT_EQ(last->code(), XML_ERR_TAG_NOT_FINISHED);
    std::string message = last->localizedDescription();
    EXPECT_NE(message.find("Premature end of data in tag a"), std::string::npos) << message;
    EXPECT_FALSE(std::isspace(static_cast<unsigned char>(message.back())));

    ns::Ref<ns::Error> otherThread = ns::Error::make("unset", -1);
    std::thread([&] { otherThread = DDXMLNode::lastError(); }).join();
    EXPECT_FALSE(otherThread);
}

TEST(DDXMLDocument, ParsesThroughReadCallbacks)
{
    struct Source
    {
        std::string text;
        std::size_t offset = 0;
        bool closed = false;
    };
    auto read = [](void* context, char* buffer, int length) -> int {
        auto* source = static_cast<Source*>(context);
        // A few bytes at a time, so that the parser asks again.
        std::size_t count = std::min<std::size_t>(
            {static_cast<std::size_t>(length), 3, source->text.size() - source->offset});
        std::memcpy(buffer, source->text.data() + source->offset, count);
        source->offset += count;
        return static_cast<int>(count);
    };
    auto close = [](void* context) -> int {
        static_cast<Source*>(context)->closed = true;
        return 0;
    };
    Source good{"<a>\n <b>x</b>\n</a>"};
    ns::Ref<ns::Error> error;
    auto document = DDXMLDocument::initWithReadIO(read, close, &good, 0, &error);
    ASSERT_TRUE(document);
    EXPECT_TRUE(good.closed);
    EXPECT_EQ(document->rootElement()->childCount(), 1u);

    Source bad{"<a>"};
    EXPECT_FALSE(DDXMLDocument::initWithReadIO(read, close, &bad, 0, &error));
    EXPECT_EQ(error->code(), 1);
}

TEST(DDXMLDocument, RootElementAndDeclaration)
{
    auto empty = DDXMLDocument::initWithRootElement(nullptr);
    EXPECT_FALSE(empty->rootElement());
    EXPECT_EQ(empty->version(), "1.0");

    auto document = DDXMLDocument::initWithRootElement(DDXMLNode::elementWithName("r"));
    document->setStandalone(true);
    document->setVersion("1.1");
    EXPECT_TRUE(document->isStandalone());
    EXPECT_EQ(document->XMLString(),
              "<?xml version=\"1.1\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<r></r>");
    EXPECT_EQ(document->XMLData()->view(), document->XMLString());
    EXPECT_EQ(document->rootElement()->rootDocument()->kind(), DDXMLDocumentKind);
    EXPECT_EQ(document->rootElement()->level(), 1u);
}

TEST(DDXMLDocument, NeverLoadsOutsideContentAndBoundsEntities)
{
    struct Row
    {
        const char* name;
        std::string text;
    };
    const Row rows[] = {
        {"external entity", "<!DOCTYPE a [<!ENTITY x SYSTEM \"file:///etc/passwd\">]><a>&x;</a>"},
        {"external DTD", "<!DOCTYPE a SYSTEM \"http://127.0.0.1:1/a.dtd\"><a>&y;</a>"},
        {"entity expansion",
         "<!DOCTYPE a [<!ENTITY a \"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\">"
         "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
         "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">"
         "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">"
         "<!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\">"
         "<!ENTITY f \"&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;\">"
         "<!ENTITY g \"&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;\">]><a>&g;&g;&g;&g;&g;</a>"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ns::Ref<ns::Error> error;
        auto document = DDXMLDocument::initWithXMLString(row.text, 0, &error);
        if (!document)
            continue;
        auto value = document->rootElement()->stringValue();
        ASSERT_TRUE(value);
        EXPECT_EQ(value->find("root:"), std::string::npos);
        EXPECT_LT(value->size(), 1000000u);
        EXPECT_EQ(document->rootElement()->XMLString().find("root:"), std::string::npos);
    }
}

TEST(DDXMLDocument, ReadingTextBoundsWhatEntityReferencesExpandTo)
{
    std::string references;
    for (int i = 0; i < 1000; ++i)
        references += "&e;";
    const std::string big(54 * 1024, 'x');
    struct Row
    {
        const char* name;
        std::string entity;
        bool bounded;
    };
    const Row rows[] = {
        {"a small entity", "hi", false},
        {"a large entity referenced a thousand times", big, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::string text = "<!DOCTYPE a [<!ENTITY e \"" + row.entity + "\">]><a>start<b>" + references +
                           "</b><![CDATA[cdata]]>end</a>";
        ns::Ref<ns::Error> error;
        auto document = DDXMLDocument::initWithXMLString(text, 0, &error);
        ASSERT_TRUE(document) << (error ? error->description() : "");
        EXPECT_TRUE(document->hasDocumentType());
        ns::LogCapture log;
        auto value = document->rootElement()->stringValue();
        ASSERT_TRUE(value);
        // The document's own text is always there, around what the references gave.
        EXPECT_EQ(value->rfind("start", 0), 0u);
        EXPECT_EQ(value->substr(value->size() - 8), "cdataend");
        auto fromReferences = document->rootElement()->elementForName("b")->stringValue();
        ASSERT_TRUE(fromReferences);
        if (row.bounded) {
            EXPECT_LE(fromReferences->size(), std::size_t(1) << 20);
            EXPECT_GE(fromReferences->size(), (std::size_t(1) << 20) - row.entity.size());
            EXPECT_TRUE(log.contains("entity references expand beyond 1048576 bytes"));
        } else {
            std::string all;
            for (int i = 0; i < 1000; ++i)
                all += row.entity;
            EXPECT_EQ(*fromReferences, all);
            EXPECT_TRUE(log.lines().empty());
        }
        // Written out, the references stay references.
        EXPECT_LT(document->rootElement()->XMLString().size(), text.size());
    }
    EXPECT_FALSE(DDXMLDocument::initWithXMLString("<a>plain</a>", 0, nullptr)->hasDocumentType());
}

TEST(DDXMLDocument, TheLastParseErrorSaysWhere)
{
    struct Row
    {
        const char* text;
        int line;
        int column;
    };
    const Row rows[] = {
        {"<a>\n  <b></c>\n</a>", 2, 10},
        {"<a>\n\n\n<", 4, 2},
        {"hello", 1, 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_FALSE(DDXMLDocument::initWithXMLString(row.text, 0, nullptr));
        auto where = DDXMLNode::lastErrorPosition();
        ASSERT_TRUE(where);
        EXPECT_EQ(where->line, row.line);
        EXPECT_EQ(where->column, row.column);
    }
}
