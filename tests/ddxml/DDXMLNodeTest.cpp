#include "ddxml/DDXMLAttributeNode.h"
#include "ddxml/DDXMLDocument.h"
#include "ddxml/DDXMLElement.h"
#include "ddxml/DDXMLNamespaceNode.h"

#include "foundation/Exception.h"
#include "foundation/String.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>

namespace {

ns::Ref<DDXMLDocument> parse(const std::string& text)
{
    ns::Ref<ns::Error> error;
    auto document = DDXMLDocument::initWithXMLString(text, 0, &error);
    EXPECT_TRUE(document) << text;
    return document;
}

std::string fixture(const char* name)
{
    std::ifstream file(std::string(VELMO_FIXTURES) + "/ddxml/" + name);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string assertionText(const std::function<void()>& run)
{
    try {
        run();
    } catch (const ns::Exception& exception) {
        EXPECT_EQ(exception.name(), ns::InternalInconsistencyException);
        return exception.reason();
    }
    return "";
}

} // namespace

TEST(DDXMLNode, PathsOfNodes)
{
    auto document = parse("<root><entry/><entry/><other/><entry x=\"1\"><leaf/></entry></root>");
    auto root = document->rootElement();
    auto third = ns::cast<DDXMLElement>(root->childAtIndex(3));
    auto loose = DDXMLNode::elementWithName("loose");
    auto inLoose = DDXMLNode::elementWithName("in");
    loose->addChild(inLoose);
    auto looseAttribute = DDXMLNode::attributeWithName("a", "1");
    auto looseNamespace = DDXMLNode::namespaceWithName("p", "urn:p");
    struct Row
    {
        const char* name;
        ns::Ref<DDXMLNode> node;
        const char* path;
    };
    const Row rows[] = {
        {"document", document, ""},
        {"root element", root, "/root[1]"},
        {"third entry", third, "/root[1]/entry[3]"},
        {"other", root->childAtIndex(2), "/root[1]/other[1]"},
        {"attribute", third->attributeForName("x"), "/root[1]/entry[3]/@x"},
        {"grandchild", third->childAtIndex(0), "/root[1]/entry[3]/leaf[1]"},
        {"element without document", loose, "loose"},
        {"its child", inLoose, "loose/in[1]"},
        {"free attribute", looseAttribute, "@a"},
        {"free namespace", looseNamespace, "namespace::p"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(row.node);
        EXPECT_EQ(row.node->XPath(), row.path);
    }
    root->setXmlns("urn:x");
    EXPECT_EQ(root->namespaceForPrefix("")->XPath(), "/root[1]/namespace::");
}

TEST(DDXMLNode, ElementsForNameReturnsDirectChildrenOnly)
{
    auto document = parse(fixture("board.xml"));
    auto root = document->rootElement();
    auto floors = root->elementsForName(std::optional<std::string>("floor"));
    ASSERT_EQ(floors->count(), 1u);
    EXPECT_EQ(floors->objectAs<DDXMLElement>(0)->elementForName("title")->stringValue(), "Tom & Jerry");
    // The root's own "title" only, not the tile's.
    EXPECT_EQ(root->elementsForName(std::optional<std::string>("title"))->count(), 1u);
    EXPECT_EQ(root->elementsForName(std::nullopt)->count(), 0u);
    EXPECT_FALSE(root->elementForName("missing"));
    EXPECT_FALSE(root->attributeForName("missing"));
    EXPECT_EQ(root->elementForName("badge")->attributesAsDictionary()->count(), 1u);
    auto badge = floors->objectAs<DDXMLElement>(0)->elementForName("badge");
    auto attributes = badge->attributesAsDictionary();
    EXPECT_EQ(*ns::stringValue(attributes->objectForKey(std::string_view("color"))),
              "1.000000,0.800000,0.039216,1.000000");
    EXPECT_EQ(DDXMLNode::elementWithName("e")->attributesAsDictionary()->count(), 0u);
}

TEST(DDXMLNode, NamespacedLookups)
{
    auto document = parse(fixture("namespaces.xml"));
    auto root = document->rootElement();
    EXPECT_EQ(root->URI(), "urn:d");
    EXPECT_EQ(root->xmlns(), "urn:d");
    auto a = root->elementForName("p:a");
    ASSERT_TRUE(a);
    EXPECT_EQ(a->name(), "a");
    EXPECT_EQ(a->URI(), "urn:p");
    EXPECT_TRUE(root->elementForName("a", "urn:p"));
    EXPECT_EQ(root->elementsForLocalName(std::string("a"), std::string("urn:p"))->count(), 1u);
    EXPECT_EQ(root->elementsForName(std::string("a"), std::string("urn:d"))->count(), 1u);
    EXPECT_EQ(a->attributeForName("p:k")->stringValue(), "v");
    EXPECT_FALSE(a->attributeForName("k"));
    EXPECT_TRUE(a->hasAttributeWithName("k"));
    EXPECT_EQ(a->resolveNamespaceForName("p:x")->stringValue(), "urn:p");
    EXPECT_EQ(a->resolveNamespaceForName("")->stringValue(), "urn:d");
    EXPECT_FALSE(a->resolveNamespaceForName("x"));
    EXPECT_EQ(a->resolvePrefixForNamespaceURI("urn:p"), "p");
    EXPECT_FALSE(a->resolvePrefixForNamespaceURI("urn:d"));
    EXPECT_EQ(root->namespaces()->count(), 2u);
    EXPECT_EQ(root->namespaceForPrefix("p")->parent()->name(), "r");
    EXPECT_EQ(root->namespaceForPrefix("p")->index(), 1u);
    EXPECT_EQ(root->namespaceForPrefix("p")->level(), 2u);
    // The entity reference, text, CDATA and processing instruction stay as they are.
    EXPECT_EQ(a->stringValue(), "textt<c>");
    EXPECT_EQ(a->XMLString(), "<p:a p:k=\"v\">&e;<b></b>t<![CDATA[<c>]]><?pi data?></p:a>");
    ns::Ref<ns::Error> error;
    EXPECT_EQ(root->nodesForXPath("//p:a", &error)->count(), 1u);
    EXPECT_FALSE(root->nodesForXPath("//q:a", &error));
    ASSERT_TRUE(error);
    EXPECT_EQ(error->domain(), "DDXMLErrorDomain");
    EXPECT_NE(error->code(), 0);
    EXPECT_EQ(document->nodesForXPath("count(//*)", &error)->count(), 0u);
    EXPECT_FALSE(error);
}

TEST(DDXMLNode, NavigationAndNames)
{
    auto document = parse("<a><b><c/></b>x<!--n--></a>");
    auto root = document->rootElement();
    auto b = root->childAtIndex(0);
    auto c = b->childAtIndex(0);
    EXPECT_EQ(c->nextNode()->stringValue(), "x");
    EXPECT_EQ(root->childAtIndex(1)->previousNode()->name(), "c");
    EXPECT_EQ(b->previousNode()->name(), "a");
    EXPECT_FALSE(root->previousNode());
    EXPECT_EQ(root->childAtIndex(2)->kind(), DDXMLCommentKind);
    EXPECT_FALSE(root->childAtIndex(2)->nextNode());
    EXPECT_EQ(c->level(), 3u);
    EXPECT_EQ(root->childAtIndex(1)->index(), 1u);
    EXPECT_EQ(root->childAtIndex(1)->children()->count(), 0u);
    EXPECT_FALSE(DDXMLNode::attributeWithName("k", "v")->children());
    EXPECT_FALSE(c->childAtIndex(0));
    EXPECT_EQ(assertionText([&] { root->childAtIndex(3); }), "index (3) beyond bounds (3)");

    struct Row
    {
        std::optional<std::string> name;
        std::string prefix;
        std::optional<std::string> localName;
    };
    const Row rows[] = {{"a:b:c", "a", "b:c"}, {"abc", "", "abc"}, {std::nullopt, "", std::nullopt}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name.value_or("(absent)"));
        EXPECT_EQ(DDXMLNode::prefixForName(row.name), row.prefix);
        EXPECT_EQ(DDXMLNode::localNameForName(row.name), row.localName);
    }
}

TEST(DDXMLElement, ChildrenAndAttributes)
{
    auto element = DDXMLNode::elementWithName("e");
    element->addChild(DDXMLNode::elementWithName("one"));
    element->insertChild(DDXMLNode::elementWithName("zero"), 0);
    element->insertChild(DDXMLNode::elementWithName("two"), 2);
    EXPECT_EQ(element->XMLString(), "<e><zero></zero><one></one><two></two></e>");
    EXPECT_EQ(assertionText([&] { element->insertChild(DDXMLNode::elementWithName("x"), 5); }),
              "index (5) beyond bounds (4)");
    element->removeChildAtIndex(1);
    element->removeChildAtIndex(9);
    EXPECT_EQ(element->XMLString(), "<e><zero></zero><two></two></e>");

    element->addAttributeWithName("k", "1");
    element->addAttributeWithName("k", "2");
    EXPECT_EQ(element->attributes()->count(), 1u);
    EXPECT_EQ(element->attributeForName("k")->stringValue(), "2");

    element->setStringValue("a < b & c");
    EXPECT_EQ(element->childCount(), 1u);
    EXPECT_EQ(element->stringValue(), "a < b & c");
    EXPECT_EQ(element->XMLString(), "<e k=\"2\">a &lt; b &amp; c</e>");

    struct Refusal
    {
        const char* name;
        std::function<void()> run;
        const char* text;
    };
    auto parsed = parse("<r><c/></r>");
    const Refusal refusals[] = {
        {"child with a parent", [&] { element->addChild(parsed->rootElement()->childAtIndex(0)); },
         "Cannot add a child that has a parent; detach or copy first"},
        {"attribute as child", [&] { element->addChild(DDXMLNode::attributeWithName("a", "b")); },
         "Elements can only have text, elements, processing instructions, and comments as children"},
        {"attribute with a parent", [&] { element->addAttribute(element->attributeForName("k")); },
         "Cannot add an attribute with a parent; detach or copy first"},
        {"element as attribute", [&] { element->addAttribute(DDXMLNode::elementWithName("x")); },
         "Not an attribute"},
        {"element as namespace", [&] { element->addNamespace(DDXMLNode::elementWithName("x")); },
         "Not a namespace"},
        {"base initialiser", [] { DDXMLElement::nodeWithPrimitive(nullptr, false); },
         "Use nodeWithElementPrimitive:freeOnDealloc:"},
        {"document initialiser", [] { DDXMLDocument::initWithPrimitive(nullptr, false); },
         "Use initWithDocPrimitive:freeOnDealloc:"},
    };
    for (const auto& refusal : refusals) {
        SCOPED_TRACE(refusal.name);
        EXPECT_EQ(assertionText(refusal.run), refusal.text);
    }
}

TEST(DDXMLNode, StoresTextOnce)
{
    struct Row
    {
        const char* name;
        ns::Ref<DDXMLNode> node;
    };
    const Row rows[] = {
        {"element", DDXMLNode::elementWithName("e")},
        {"text", DDXMLNode::textWithStringValue("")},
        {"comment", DDXMLNode::commentWithStringValue("")},
        {"attribute", DDXMLNode::attributeWithName("a", "")},
        {"namespace", DDXMLNode::namespaceWithName("p", "")},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        row.node->setStringValue("a & b");
        EXPECT_EQ(row.node->stringValue(), "a & b");
    }
    auto element = DDXMLElement::initWithXMLString("<x a=\"1\"><y/></x>", nullptr);
    ASSERT_TRUE(element);
    EXPECT_FALSE(element->hasParent());
    EXPECT_TRUE(element->freeOnDealloc());
    EXPECT_EQ(element->XMLString(), "<x a=\"1\"><y></y></x>");
    element->setURI(std::string("urn:u"));
    EXPECT_EQ(element->URI(), "urn:u");
    EXPECT_FALSE(ns::cast<DDXMLNode>(element->childAtIndex(0))->URI());
    element->setURI(std::nullopt);
    EXPECT_FALSE(element->URI());
    auto attribute = element->attributeForName("a");
    attribute->setURI(std::string("urn:a"));
    EXPECT_EQ(attribute->URI(), "urn:a");
    EXPECT_EQ(element->XMLString(), "<x xmlns:ns1=\"urn:a\" ns1:a=\"1\"><y></y></x>");
}

// Whatever URIs the attributes get, the element prints as well-formed XML that reads back the same: an
// attribute in a namespace gets a prefix declared for it, and one that comes to share another's name and
// URI replaces it.
TEST(DDXMLAttributeNode, URIsKeepTheOutputWellFormed)
{
    struct Row
    {
        const char* name;
        const char* xml;
        const char* attribute; // an XPath
        std::optional<std::string> uri;
        const char* output; // of the attribute's element
    };
    const Row rows[] = {
        {"plain name already taken", "<r xmlns:p=\"u\" a=\"1\" p:a=\"X\" b=\"new\"/>", "/r/@p:a", "v",
         "<r xmlns:p=\"u\" xmlns:ns1=\"v\" a=\"1\" ns1:a=\"X\" b=\"new\"></r>"},
        {"declared prefix reused", "<r xmlns:p=\"u\" a=\"1\"/>", "/r/@a", "u",
         "<r xmlns:p=\"u\" p:a=\"1\"></r>"},
        {"prefix of an ancestor reused", "<r xmlns:p=\"u\"><e a=\"1\"/></r>", "/r/e/@a", "u",
         "<e p:a=\"1\"></e>"},
        {"shadowed prefix not reused", "<r xmlns:p=\"u\"><e xmlns:p=\"w\" a=\"1\"/></r>", "/r/e/@a", "u",
         "<e xmlns:p=\"w\" xmlns:ns1=\"u\" ns1:a=\"1\"></e>"},
        {"first free prefix", "<r xmlns:ns1=\"x\" a=\"1\"/>", "/r/@a", "v",
         "<r xmlns:ns1=\"x\" xmlns:ns2=\"v\" ns2:a=\"1\"></r>"},
        {"same name and URI replaced", "<r xmlns:p=\"u\" p:a=\"1\" a=\"2\"/>", "/r/@a", "u",
         "<r xmlns:p=\"u\" p:a=\"2\"></r>"},
        {"URI taken away, plain one replaced", "<r xmlns:p=\"u\" a=\"1\" p:a=\"2\"/>", "/r/@p:a",
         std::nullopt, "<r xmlns:p=\"u\" a=\"2\"></r>"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto document = parse(row.xml);
        ns::Ref<ns::Error> error;
        auto found = document->nodesForXPath(row.attribute, &error);
        ASSERT_TRUE(found && found->count() == 1);
        auto attribute = ns::cast<DDXMLNode>(found->firstObject());
        attribute->setURI(row.uri);
        EXPECT_EQ(attribute->URI(), row.uri);
        auto element = attribute->parent();
        EXPECT_EQ(element->XMLString(), row.output);
        auto again = parse(document->XMLString());
        ASSERT_TRUE(again);
        EXPECT_EQ(again->XMLString(), document->XMLString());
    }

    // An attribute made with a URI gets its prefix where it is added.
    auto document = parse("<r a=\"1\"/>");
    auto element = document->rootElement();
    element->addAttribute(DDXMLNode::attributeWithName("a", std::string("v"), "X"));
    EXPECT_EQ(element->XMLString(), "<r xmlns:ns1=\"v\" a=\"1\" ns1:a=\"X\"></r>");
    EXPECT_EQ(element->attributeForName("ns1:a")->URI(), "v");
}

// A namespace URI reads back as it was set or written in the text, and prints escaped.
TEST(DDXMLNamespaceNode, URIReadsBackAsSetAndPrintsEscaped)
{
    auto document = parse("<r xmlns:p=\"a&amp;b&#38;c&lt;d\" p:k=\"1\"/>");
    auto root = document->rootElement();
    auto declaration = root->namespaceForPrefix("p");
    EXPECT_EQ(declaration->stringValue(), "a&b&c<d");
    EXPECT_EQ(root->attributeForName("p:k")->URI(), "a&b&c<d");
    EXPECT_EQ(root->XMLString(), "<r xmlns:p=\"a&amp;b&amp;c&lt;d\" p:k=\"1\"></r>");

    const std::string uri = "x&y<z\"w\ttab\nline";
    declaration->setStringValue(uri);
    EXPECT_EQ(declaration->stringValue(), uri);
    EXPECT_EQ(declaration->XMLString(), "xmlns:p=\"x&amp;y&lt;z&quot;w&#9;tab&#10;line\"");
    auto again = parse(document->XMLString());
    ASSERT_TRUE(again);
    EXPECT_EQ(again->rootElement()->namespaceForPrefix("p")->stringValue(), uri);
    // Printing leaves the record as it was.
    EXPECT_EQ(declaration->stringValue(), uri);

    auto element = DDXMLNode::elementWithNameURI("e", std::string("a&b"));
    EXPECT_EQ(element->XMLString(), "<e xmlns=\"a&amp;b\"></e>");
    EXPECT_EQ(element->URI(), "a&b");
}
