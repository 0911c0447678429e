// Parses random documents, walks every node, copies, detaches and prints, then frees the document and
// uses what was detached: nothing may crash, leak or touch freed memory.
#include "ddxml/DDXMLDocument.h"
#include "ddxml/DDXMLElement.h"

#include "foundation/Exception.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    ns::Ref<ns::Error> error;
    auto document = DDXMLDocument::initWithXMLString(text, 0, &error);
    if (!document)
        return 0;
    std::vector<ns::Ref<DDXMLNode>> detached;
    std::size_t visited = 0;
    for (auto node = ns::Ref<DDXMLNode>(document); node && visited < 2000; ++visited) {
        (void)node->name();
        (void)node->stringValue();
        (void)node->XPath();
        (void)node->URI();
        (void)node->childCount();
        (void)node->previousNode();
        if (auto element = ns::cast<DDXMLElement>(node)) {
            (void)element->attributesAsDictionary();
            (void)element->namespaces();
            (void)element->elementsForName(element->name());
            if (auto copy = element->copyNode())
                (void)copy->XMLString();
        }
        auto next = node->nextNode();
        // Every third element leaves the tree; the walk goes on after it.
        if (node->kind() == DDXMLElementKind && visited % 3 == 1 && node->hasParent() &&
            node->parent()->kind() != DDXMLDocumentKind) {
            auto after = node->nextSibling();
            if (!after)
                for (auto up = node->parent(); up && !after; up = up->parent())
                    after = up->nextSibling();
            node->detach();
            detached.push_back(node);
            next = after;
        }
        node = next;
    }
    (void)document->XMLStringWithOptions(DDXMLNodePrettyPrint);
    if (auto root = document->rootElement()) {
        (void)root->nodesForXPath("//*|//@*|//namespace::*", &error);
        root->setXmlns("urn:fuzz");
    }
    document.reset();
    for (const auto& node : detached) {
        (void)node->XMLStringWithOptions(DDXMLNodeCompactEmptyElement);
        (void)node->nodesForXPath(".//*", &error);
        auto host = DDXMLNode::elementWithName("host");
        host->addChild(node);
        (void)host->XMLString();
    }
    return 0;
}
