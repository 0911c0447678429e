#include "ddxml/DDXMLDocument.h"
#include "ddxml/DDXMLElement.h"
#include "ddxml/DDXMLNamespaceNode.h"

#include "foundation/Exception.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

ns::Ref<DDXMLDocument> parse(const std::string& text)
{
    ns::Ref<ns::Error> error;
    auto document = DDXMLDocument::initWithXMLString(text, 0, &error);
    EXPECT_TRUE(document) << text;
    return document;
}

} // namespace

// Each test moves records between trees and handles, then frees what the old owner had; run under
// AddressSanitizer, any pointer left into freed memory fails the run.
TEST(DDXMLOwnership, DetachedElementPrintsAfterItsDocumentIsFreed)
{
    auto document =
        parse("<r xmlns=\"urn:d\" xmlns:p=\"urn:p\"><p:a xml:lang=\"en\" p:k=\"v\"><b/>t</p:a></r>");
    auto a = document->rootElement()->elementsForName("p:a")->objectAs<DDXMLElement>(0);
    ASSERT_TRUE(a);
    a->detach();
    EXPECT_TRUE(a->freeOnDealloc());
    EXPECT_FALSE(a->rootDocument());
    document.reset();
    EXPECT_EQ(a->XMLString(),
              "<p:a xmlns:p=\"urn:p\" xmlns=\"urn:d\" xml:lang=\"en\" p:k=\"v\"><b></b>t</p:a>");
    EXPECT_EQ(a->URI(), "urn:p");
    EXPECT_EQ(a->elementForName("b")->URI(), "urn:d");
    auto copy = a->copyNode();
    EXPECT_TRUE(copy->freeOnDealloc());
    EXPECT_NE(copy->XMLString().find("xmlns:p=\"urn:p\""), std::string::npos);
    EXPECT_NE(copy->XMLString().find("<b></b>t</p:a>"), std::string::npos);
}

TEST(DDXMLOwnership, DetachedElementJoinsAnotherDocument)
{
    auto first = parse("<r><a><b>1</b></a></r>");
    auto second = parse("<s/>");
    auto a = first->rootElement()->elementForName("a");
    EXPECT_THROW(second->rootElement()->addChild(a), ns::Exception);
    a->detach();
    second->rootElement()->addChild(a);
    EXPECT_FALSE(a->freeOnDealloc());
    first.reset();
    EXPECT_EQ(second->rootElement()->XMLString(), "<s><a><b>1</b></a></s>");
}

TEST(DDXMLOwnership, SetXmlnsReachesTheChildren)
{
    auto document = parse("<a xmlns=\"u\"><b><c/></b></a>");
    auto root = document->rootElement();
    auto b = root->elementForName("b");
    root->setXmlns("v");
    EXPECT_EQ(root->xmlns(), "v");
    EXPECT_EQ(root->URI(), "v");
    EXPECT_EQ(b->URI(), "v");
    EXPECT_EQ(b->elementForName("c")->URI(), "v");
    EXPECT_EQ(root->XMLString(), "<a xmlns=\"v\"><b><c></c></b></a>");
    root->removeNamespaceForPrefix("");
    EXPECT_FALSE(b->URI());
    EXPECT_EQ(root->XMLString(), "<a><b><c></c></b></a>");
}

TEST(DDXMLOwnership, RemovedPrefixedDeclarationInUseGivesWayToTheOuterOne)
{
    auto document = parse("<r xmlns:p=\"outer\"><a xmlns:p=\"inner\" p:x=\"1\"><p:b p:y=\"2\"/></a></r>");
    auto a = document->rootElement()->elementForName("a");
    auto b = ns::cast<DDXMLElement>(a->childAtIndex(0));
    a->removeNamespaceForPrefix("p");
    EXPECT_EQ(b->URI(), "outer");
    EXPECT_EQ(b->attributeForName("p:y")->URI(), "outer");
    a->removeAllNamespaces();
    document->rootElement()->removeAllNamespaces();
    EXPECT_FALSE(b->URI());
    EXPECT_EQ(document->rootElement()->XMLString(), "<r><a x=\"1\"><b y=\"2\"></b></a></r>");
}

TEST(DDXMLOwnership, AddedTextMergesWithItsNeighbour)
{
    auto element = DDXMLNode::elementWithName("e", "one");
    auto text = DDXMLNode::textWithStringValue(" two");
    element->addChild(text);
    EXPECT_EQ(element->childCount(), 1u);
    EXPECT_EQ(text->stringValue(), "one two");
    EXPECT_FALSE(text->freeOnDealloc());
    auto before = DDXMLNode::textWithStringValue("zero ");
    element->insertChild(before, 0);
    EXPECT_EQ(before->stringValue(), "zero one two");
    EXPECT_EQ(element->stringValue(), "zero one two");
    element.reset();
    EXPECT_FALSE(text->isValid());
    EXPECT_THROW(text->stringValue(), ns::Exception);
}

TEST(DDXMLOwnership, XPathWorksOnADetachedElement)
{
    auto document = parse("<r xmlns:p=\"urn:p\"><p:a><b n=\"1\"/><b n=\"2\"/></p:a></r>");
    auto a = ns::cast<DDXMLElement>(document->rootElement()->childAtIndex(0));
    a->detach();
    document.reset();
    ns::Ref<ns::Error> error;
    auto found = a->nodesForXPath("b[@n='2']", &error);
    ASSERT_TRUE(found);
    EXPECT_FALSE(error);
    ASSERT_EQ(found->count(), 1u);
    EXPECT_FALSE(a->rootDocument());
    EXPECT_FALSE(found->objectAs<DDXMLNode>(0)->rootDocument());
    EXPECT_EQ(found->objectAs<DDXMLNode>(0)->XPath(), "a/b[2]");
    // A subtree of factory-made elements answers through its top and stays whole.
    auto top = DDXMLNode::elementWithName("top");
    auto middle = DDXMLNode::elementWithName("m");
    top->addChild(middle);
    middle->addChild(DDXMLNode::elementWithName("leaf"));
    EXPECT_EQ(middle->nodesForXPath("leaf", &error)->count(), 1u);
    EXPECT_TRUE(middle->parent());
    EXPECT_EQ(top->XMLString(), "<top><m><leaf></leaf></m></top>");
}

TEST(DDXMLOwnership, XPathNamespaceResultsOutliveTheirDocument)
{
    auto document = parse("<!--first--><r xmlns:p=\"urn:p\"><p:a/></r>");
    ns::Ref<ns::Error> error;
    auto found = document->nodesForXPath("//p:a", &error);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->count(), 1u);
    auto namespaces = document->rootElement()->nodesForXPath("namespace::*", &error);
    ASSERT_TRUE(namespaces);
    document.reset();
    ASSERT_EQ(namespaces->count(), 2u);
    for (const auto& object : *namespaces) {
        auto ns = ns::cast<DDXMLNamespaceNode>(object);
        ASSERT_TRUE(ns);
        EXPECT_TRUE(ns->freeOnDealloc());
        EXPECT_TRUE(ns->stringValue());
    }
}

TEST(DDXMLOwnership, ReplacedRootElementOutlivesItsDocument)
{
    auto document = DDXMLDocument::initWithRootElement(DDXMLNode::elementWithName("first"));
    document->setRootElement(DDXMLNode::elementWithName("second"));
    EXPECT_EQ(document->rootElement()->name(), "second");
    auto held = document->rootElement();
    document->setRootElement(DDXMLNode::elementWithName("third"));
    EXPECT_EQ(document->XMLString(), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<third></third>");
    EXPECT_TRUE(held->freeOnDealloc());
    EXPECT_FALSE(held->rootDocument());
    document.reset();
    EXPECT_EQ(held->XMLString(), "<second></second>");
    auto other = DDXMLDocument::initWithRootElement(nullptr);
    auto inTree = parse("<r><c/></r>");
    EXPECT_THROW(other->setRootElement(inTree->rootElement()->elementForName("c")), ns::Exception);
}

TEST(DDXMLOwnership, HandlesOfAFreedDocumentRaise)
{
    auto document = parse("<r xmlns:p=\"u\"><a x=\"1\"/></r>");
    auto a = document->rootElement()->elementForName("a");
    auto x = a->attributeForName("x");
    auto p = document->rootElement()->namespaceForPrefix("p");
    document.reset();
    EXPECT_THROW(a->name(), ns::Exception);
    EXPECT_THROW(x->stringValue(), ns::Exception);
    EXPECT_THROW(p->stringValue(), ns::Exception);
}

TEST(DDXMLOwnership, RemovedChildrenAndAttributesAreInvalid)
{
    auto element = DDXMLNode::elementWithName("e");
    auto child = DDXMLNode::elementWithName("c");
    element->addChild(child);
    element->addAttributeWithName("k", "1");
    auto attribute = element->attributeForName("k");
    element->removeChild(child);
    element->removeAttributeForName("k");
    EXPECT_FALSE(child->isValid());
    EXPECT_FALSE(attribute->isValid());
    EXPECT_EQ(element->XMLString(), "<e></e>");
}

TEST(DDXMLOwnership, NodeCannotGoIntoItsOwnSubtree)
{
    auto top = DDXMLNode::elementWithName("top");
    auto child = DDXMLNode::elementWithName("c");
    top->addChild(child);
    EXPECT_THROW(child->addChild(top), ns::Exception);
    EXPECT_THROW(top->addChild(top), ns::Exception);
}

TEST(DDXMLOwnership, DetachedAttributeAndNamespaceMoveToAnotherElement)
{
    auto document = parse("<r xmlns:p=\"u\" p:k=\"1\" plain=\"2\"/>");
    auto root = document->rootElement();
    auto k = root->attributeForName("p:k");
    auto p = root->namespaceForPrefix("p");
    k->detach();
    p->detach();
    document.reset();
    EXPECT_EQ(k->XMLString(), "p:k=\"1\"");
    EXPECT_EQ(k->URI(), "u");
    EXPECT_EQ(p->XMLString(), "xmlns:p=\"u\"");
    auto copy = ns::cast<DDXMLNode>(k->copy());
    EXPECT_EQ(copy->URI(), "u");
    auto other = DDXMLNode::elementWithName("o");
    other->addAttribute(k);
    other->addNamespace(p);
    EXPECT_EQ(other->XMLString(), "<o xmlns:p=\"u\" p:k=\"1\"></o>");
    EXPECT_EQ(k->URI(), "u");

    // Where the prefix is free the attribute declares it; where it means another URI, it takes another.
    const std::pair<const char*, const char*> joins[] = {
        {"<o/>", "<o xmlns:p=\"u\" p:k=\"1\"></o>"},
        {"<o xmlns:p=\"w\" p:k=\"2\"/>", "<o xmlns:p=\"w\" xmlns:ns1=\"u\" p:k=\"2\" ns1:k=\"1\"></o>"},
    };
    for (const auto& [xml, output] : joins) {
        SCOPED_TRACE(xml);
        auto target = parse(xml);
        auto attribute = ns::cast<DDXMLNode>(copy->copy());
        target->rootElement()->addAttribute(attribute);
        EXPECT_EQ(target->rootElement()->XMLString(), output);
        EXPECT_EQ(attribute->URI(), "u");
        target.reset();
        EXPECT_FALSE(attribute->isValid());
    }
}

// libxml2's callbacks and settings are per thread: a thread that never used the model before gets them too.
TEST(DDXMLOwnership, WorksOnAnyThread)
{
    bool invalidated = false;
    std::string printed;
    std::thread([&] {
        ns::Ref<ns::Error> error;
        auto document = DDXMLDocument::initWithXMLString("<a><b/></a>", 0, &error);
        auto b = document->rootElement()->elementForName("b");
        printed = document->rootElement()->XMLStringWithOptions(DDXMLNodeCompactEmptyElement);
        document.reset();
        invalidated = !b->isValid();
    }).join();
    EXPECT_TRUE(invalidated);
    EXPECT_EQ(printed, "<a><b/></a>");
}
