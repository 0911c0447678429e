#include "ddxml/DDXMLDocument.h"

#include "ddxml/DDXMLElement.h"
#include "ddxml/DDXMLRecord.h"
#include "ddxml/DDXMLTree.h"

#include "foundation/Exception.h"

#include <libxml/parser.h>
#include <libxml/xmlmemory.h>

#include <climits>

using ddxml::chars;
using ddxml::text;

namespace {

// Never the network, never an external DTD or entity, entity references left as references (libxml2
// bounds what checking them may expand), no blank text between elements, and names owned by the nodes
// rather than by a dictionary of the document, so that a detached subtree outlives it.
constexpr int SafeParseOptions = XML_PARSE_NONET | XML_PARSE_NOBLANKS | XML_PARSE_NODICT;
constexpr int UnsafeParseOptions = XML_PARSE_NOENT | XML_PARSE_DTDLOAD | XML_PARSE_DTDATTR |
                                   XML_PARSE_DTDVALID | XML_PARSE_XINCLUDE | XML_PARSE_HUGE |
                                   XML_PARSE_IGNORE_ENC;

} // namespace

ns::Ref<DDXMLDocument> DDXMLDocument::nodeWithDocPrimitive(xmlDocPtr doc, bool freeOnDealloc)
{
    if (!doc || doc->type != XML_DOCUMENT_NODE)
        return nullptr;
    return ns::make<DDXMLDocument>(DDXMLRecord::forPrimitive(doc), freeOnDealloc);
}

ns::Ref<DDXMLDocument> DDXMLDocument::initWithDocPrimitive(xmlDocPtr doc, bool freeOnDealloc)
{
    return nodeWithDocPrimitive(doc, freeOnDealloc);
}

ns::Ref<DDXMLNode> DDXMLDocument::nodeWithPrimitive(void*, bool)
{
    ns::assertionFailed(__FILE__, __LINE__, "Use nodeWithDocPrimitive:freeOnDealloc:");
}

ns::Ref<DDXMLNode> DDXMLDocument::initWithPrimitive(void*, bool)
{
    ns::assertionFailed(__FILE__, __LINE__, "Use initWithDocPrimitive:freeOnDealloc:");
}

ns::Ref<DDXMLDocument> DDXMLDocument::parseBytes(const char* bytes, std::size_t length,
                                                 ns::Ref<ns::Error>* error)
{
    DDXMLRecord::setUpThread();
    if (!bytes || length == 0) {
        ns::setError(error, ns::Error::make(DDXMLErrorDomain, 0));
        return nullptr;
    }
    xmlDocPtr doc = nullptr;
    if (length <= static_cast<std::size_t>(INT_MAX))
        doc = xmlReadMemory(bytes, static_cast<int>(length), nullptr, nullptr, SafeParseOptions);
    if (!doc) {
        ns::setError(error, ns::Error::make(DDXMLErrorDomain, 1));
        return nullptr;
    }
    ddxml::decodeParsedNamespaceURIs(doc);
    return nodeWithDocPrimitive(doc, true);
}

ns::Ref<DDXMLDocument> DDXMLDocument::initWithXMLString(const std::string& text, unsigned,
                                                        ns::Ref<ns::Error>* error)
{
    return parseBytes(text.data(), text.size(), error);
}

ns::Ref<DDXMLDocument> DDXMLDocument::initWithData(const ns::Ref<ns::Data>& data, unsigned,
                                                   ns::Ref<ns::Error>* error)
{
    if (!data)
        return parseBytes(nullptr, 0, error);
    return parseBytes(reinterpret_cast<const char*>(data->data()), data->length(), error);
}

ns::Ref<DDXMLDocument> DDXMLDocument::initWithReadIO(xmlInputReadCallback read, xmlInputCloseCallback close,
                                                     void* context, unsigned options,
                                                     ns::Ref<ns::Error>* error)
{
    DDXMLRecord::setUpThread();
    xmlDocPtr doc = nullptr;
    if (read) {
        int safe = (static_cast<int>(options) & ~UnsafeParseOptions) | SafeParseOptions;
        doc = xmlReadIO(read, close, context, nullptr, nullptr, safe);
    } else if (close) {
        close(context);
    }
    if (!doc) {
        ns::setError(error, ns::Error::make(DDXMLErrorDomain, 1));
        return nullptr;
    }
    ddxml::decodeParsedNamespaceURIs(doc);
    return nodeWithDocPrimitive(doc, true);
}

ns::Ref<DDXMLDocument> DDXMLDocument::initWithRootElement(const ns::Ref<DDXMLElement>& element)
{
    DDXMLRecord::setUpThread();
    auto document = nodeWithDocPrimitive(xmlNewDoc(chars("1.0")), true);
    if (document && element)
        document->setRootElement(element);
    return document;
}

ns::Ref<DDXMLElement> DDXMLDocument::rootElement() const
{
    return DDXMLElement::nodeWithElementPrimitive(xmlDocGetRootElement(docPtr()), false);
}

void DDXMLDocument::setRootElement(const ns::Ref<DDXMLNode>& element)
{
    xmlDocPtr doc = docPtr();
    NS_ASSERT(element && !element->hasParent(),
              "Cannot set a root element that has a parent; detach or copy first");
    NS_ASSERT(element->kind() == XML_ELEMENT_NODE, "The root of a document must be an element");
    xmlNodePtr old = xmlDocSetRootElement(doc, element->nodePtr());
    element->setOwned(false);
    if (!old || old == element->nodePtr())
        return;
    if (DDXMLRecord::isHeld(old)) {
        // Someone still holds the former root: it becomes theirs, as after a detach.
        ddxml::makeSelfContained(old, doc);
        DDXMLRecord::forPrimitive(old)->setOwned(true);
        return;
    }
    xmlFreeNode(old);
}

std::optional<std::string> DDXMLDocument::version() const
{
    return text(docPtr()->version);
}

void DDXMLDocument::setVersion(const std::optional<std::string>& version)
{
    xmlDocPtr doc = docPtr();
    xmlChar* copy = version ? xmlStrdup(chars(*version)) : nullptr;
    xmlFree(const_cast<xmlChar*>(doc->version));
    doc->version = copy;
}

bool DDXMLDocument::hasDocumentType() const
{
    return docPtr()->intSubset || docPtr()->extSubset;
}

bool DDXMLDocument::isStandalone() const
{
    return docPtr()->standalone == 1;
}

void DDXMLDocument::setStandalone(bool standalone)
{
    docPtr()->standalone = standalone ? 1 : 0;
}

ns::Ref<ns::Data> DDXMLDocument::XMLDataWithOptions(unsigned options) const
{
    return ns::Data::withString(XMLStringWithOptions(options));
}
