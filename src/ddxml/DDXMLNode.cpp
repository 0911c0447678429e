#include "ddxml/DDXMLNode.h"

#include "ddxml/DDXMLAttributeNode.h"
#include "ddxml/DDXMLCapturedError.h"
#include "ddxml/DDXMLDocument.h"
#include "ddxml/DDXMLElement.h"
#include "ddxml/DDXMLNamespaceNode.h"
#include "ddxml/DDXMLRecord.h"
#include "ddxml/DDXMLString.h"
#include "ddxml/DDXMLTree.h"

#include "foundation/Dictionary.h"
#include "foundation/Exception.h"
#include "foundation/Format.h"
#include "foundation/String.h"

#include <libxml/globals.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlmemory.h>
#include <libxml/xmlsave.h>

#include <vector>

using ddxml::chars;
using ddxml::text;

namespace {

ns::Ref<DDXMLNode> wrap(void* primitive)
{
    return DDXMLNode::nodeWithUnknownPrimitive(primitive, false);
}

} // namespace

DDXMLNode::DDXMLNode(std::shared_ptr<DDXMLRecord> record, bool freeOnDealloc) : m_record(std::move(record))
{
    if (!m_record)
        return;
    m_record->retain();
    if (freeOnDealloc)
        m_record->setOwned(true);
}

DDXMLNode::~DDXMLNode()
{
    if (m_record)
        m_record->release();
}

void DDXMLNode::initialize()
{
    DDXMLRecord::setUpThread();
}

bool DDXMLNode::isChildKind(int kind)
{
    return kind == XML_ELEMENT_NODE || kind == XML_TEXT_NODE || kind == XML_CDATA_SECTION_NODE ||
           kind == XML_PI_NODE || kind == XML_COMMENT_NODE;
}

bool DDXMLNode::isParentKind(int kind)
{
    return isChildKind(kind) || kind == XML_DOCUMENT_NODE || kind == XML_DTD_NODE;
}

// Wrapping

ns::Ref<DDXMLNode> DDXMLNode::nodeWithUnknownPrimitive(void* primitive, bool freeOnDealloc)
{
    if (!primitive)
        return nullptr;
    auto record = DDXMLRecord::forPrimitive(primitive);
    switch (record->kind()) {
    case XML_ELEMENT_NODE:
        return ns::make<DDXMLElement>(record, freeOnDealloc);
    case XML_ATTRIBUTE_NODE:
        return ns::make<DDXMLAttributeNode>(record, freeOnDealloc);
    case XML_DOCUMENT_NODE:
        return ns::make<DDXMLDocument>(record, freeOnDealloc);
    case XML_NAMESPACE_DECL:
        return ns::make<DDXMLNamespaceNode>(record, nullptr, freeOnDealloc);
    default:
        return ns::make<DDXMLNode>(record, freeOnDealloc);
    }
}

ns::Ref<DDXMLNode> DDXMLNode::nodeWithPrimitive(void* primitive, bool freeOnDealloc)
{
    auto record = DDXMLRecord::forPrimitive(primitive);
    // A namespace record has another layout than every other record: only its own class may read it.
    if (record && record->kind() == XML_NAMESPACE_DECL)
        return ns::make<DDXMLNamespaceNode>(record, nullptr, freeOnDealloc);
    return ns::make<DDXMLNode>(record, freeOnDealloc);
}

ns::Ref<DDXMLNode> DDXMLNode::initWithPrimitive(void* primitive, bool freeOnDealloc)
{
    return nodeWithPrimitive(primitive, freeOnDealloc);
}

int DDXMLNode::kind() const
{
    if (!m_record)
        return DDXMLInvalidKind;
    genericPtr();
    return m_record->kind();
}

bool DDXMLNode::isValid() const
{
    return !m_record || m_record->primitive();
}

bool DDXMLNode::freeOnDealloc() const
{
    return m_record && m_record->owned();
}

void* DDXMLNode::genericPtr() const
{
    DDXMLRecord::setUpThread();
    if (!m_record)
        ns::raise(ns::InternalInconsistencyException, "The XML node has no record");
    void* primitive = m_record->primitive();
    if (!primitive)
        ns::raise(ns::InternalInconsistencyException, "The XML node's record has been freed");
    return primitive;
}

void DDXMLNode::retarget(void* primitive)
{
    auto record = DDXMLRecord::forPrimitive(primitive);
    if (record == m_record)
        return;
    record->retain();
    if (m_record)
        m_record->release();
    m_record = std::move(record);
}

void DDXMLNode::setOwned(bool owned) const
{
    if (m_record)
        m_record->setOwned(owned);
}

// Factories

ns::Ref<DDXMLElement> DDXMLNode::elementWithName(const std::string& name)
{
    return DDXMLElement::initWithName(name);
}

ns::Ref<DDXMLElement> DDXMLNode::elementWithName(const std::string& name, const std::string& stringValue)
{
    return DDXMLElement::initWithName(name, stringValue);
}

ns::Ref<DDXMLElement> DDXMLNode::elementWithNameURI(const std::string& name,
                                                    const std::optional<std::string>& uri)
{
    return DDXMLElement::initWithNameURI(name, uri);
}

ns::Ref<DDXMLElement> DDXMLNode::elementWithName(const std::string& name, const ns::Ref<ns::Array>& children,
                                                 const ns::Ref<ns::Array>& attributes)
{
    auto element = DDXMLElement::initWithName(name);
    if (!element)
        return nullptr;
    element->setChildren(children);
    element->setAttributes(attributes);
    return element;
}

ns::Ref<DDXMLAttributeNode> DDXMLNode::attributeWithName(const std::string& name,
                                                         const std::string& stringValue)
{
    DDXMLRecord::setUpThread();
    xmlAttrPtr attr = xmlNewProp(nullptr, chars(name), chars(stringValue));
    if (!attr)
        return nullptr;
    return DDXMLAttributeNode::nodeWithAttrPrimitive(attr, true);
}

ns::Ref<DDXMLAttributeNode> DDXMLNode::attributeWithName(const std::string& name,
                                                         const std::optional<std::string>& uri,
                                                         const std::string& stringValue)
{
    auto attribute = attributeWithName(name, stringValue);
    if (attribute)
        attribute->setURI(uri);
    return attribute;
}

ns::Ref<DDXMLNamespaceNode> DDXMLNode::namespaceWithName(const std::string& prefix, const std::string& uri)
{
    DDXMLRecord::setUpThread();
    xmlNsPtr ns = ddxml::newNamespace(chars(uri), prefix.empty() ? nullptr : chars(prefix));
    if (!ns)
        return nullptr;
    return DDXMLNamespaceNode::nodeWithNsPrimitive(ns, nullptr, true);
}

ns::Ref<DDXMLNode> DDXMLNode::processingInstructionWithName(const std::string& name, const std::string& value)
{
    DDXMLRecord::setUpThread();
    xmlNodePtr node = xmlNewPI(chars(name), chars(value));
    return node ? nodeWithPrimitive(node, true) : nullptr;
}

ns::Ref<DDXMLNode> DDXMLNode::commentWithStringValue(const std::string& value)
{
    DDXMLRecord::setUpThread();
    xmlNodePtr node = xmlNewComment(chars(value));
    return node ? nodeWithPrimitive(node, true) : nullptr;
}

ns::Ref<DDXMLNode> DDXMLNode::textWithStringValue(const std::string& value)
{
    DDXMLRecord::setUpThread();
    xmlNodePtr node = xmlNewText(chars(value));
    return node ? nodeWithPrimitive(node, true) : nullptr;
}

// Names

std::optional<std::string> DDXMLNode::localNameForName(const std::optional<std::string>& name)
{
    if (!name)
        return std::nullopt;
    auto colon = name->find(':');
    if (colon == std::string::npos)
        return name;
    return name->substr(colon + 1);
}

std::string DDXMLNode::prefixForName(const std::optional<std::string>& name)
{
    if (!name)
        return "";
    auto colon = name->find(':');
    return colon == std::string::npos ? "" : name->substr(0, colon);
}

std::optional<std::string> DDXMLNode::name() const
{
    return text(nodePtr()->name);
}

void DDXMLNode::setName(const std::string& name)
{
    xmlNodePtr node = nodePtr();
    if (kind() == XML_DOCUMENT_NODE || kind() == XML_DTD_NODE)
        return;
    xmlNodeSetName(node, chars(name));
}

std::optional<std::string> DDXMLNode::localName() const
{
    return localNameForName(name());
}

std::string DDXMLNode::prefix() const
{
    return prefixForName(name());
}

// Values

std::optional<std::string> DDXMLNode::stringValue() const
{
    xmlNodePtr node = nodePtr();
    if (!isChildKind(kind()))
        return std::nullopt;
    return DDXMLContent(node);
}

void DDXMLNode::setStringValue(const std::string& value)
{
    xmlNodePtr node = nodePtr();
    int k = kind();
    if (!isChildKind(k))
        return;
    if (k != XML_ELEMENT_NODE) {
        // These records keep their content as it is: storing it encoded would show the entities.
        xmlNodeSetContent(node, chars(value));
        return;
    }
    removeAllChildrenFromNode(node);
    if (value.empty())
        return;
    xmlNodePtr textNode = xmlNewDocText(node->doc, chars(value));
    if (textNode)
        xmlAddChild(node, textNode);
}

std::optional<std::string> DDXMLNode::URI() const
{
    xmlNodePtr node = nodePtr();
    if (kind() != XML_ELEMENT_NODE || !node->ns)
        return std::nullopt;
    return text(node->ns->href);
}

void DDXMLNode::setURI(const std::optional<std::string>& uri)
{
    xmlNodePtr node = nodePtr();
    // Only elements carry namespaces; a text record has the fields but would never free them.
    if (kind() != XML_ELEMENT_NODE)
        return;
    xmlNsPtr replacement = nullptr;
    if (uri) {
        replacement = ddxml::newNamespace(chars(*uri), nullptr);
        if (!replacement)
            return;
    }
    xmlNsPtr current = node->ns;
    bool declaredHere = false;
    for (xmlNsPtr d = node->nsDef; d; d = d->next)
        declaredHere = declaredHere || d == current;
    if (current && declaredHere) {
        // What used the old declaration (the node's descendants included) uses the new one.
        xmlNsPtr* link = &node->nsDef;
        while (*link != current)
            link = &(*link)->next;
        *link = current->next;
        current->next = nullptr;
        ddxml::repointNamespace(node, current, replacement);
        DDXMLRecord::invalidate(current);
        xmlFreeNs(current);
    }
    // An inherited namespace belongs to an ancestor: stop using it, never free it.
    node->ns = nullptr;
    if (replacement) {
        replacement->next = node->nsDef;
        node->nsDef = replacement;
        node->ns = replacement;
    }
}

// Navigation

std::size_t DDXMLNode::index() const
{
    std::size_t count = 0;
    for (xmlNodePtr sibling = nodePtr()->prev; sibling; sibling = sibling->prev)
        ++count;
    return count;
}

std::size_t DDXMLNode::level() const
{
    std::size_t count = 0;
    for (xmlNodePtr ancestor = nodePtr()->parent; ancestor; ancestor = ancestor->parent)
        ++count;
    return count;
}

ns::Ref<DDXMLDocument> DDXMLNode::rootDocument() const
{
    return ns::cast<DDXMLDocument>(wrap(nodePtr()->doc));
}

ns::Ref<DDXMLNode> DDXMLNode::parent() const
{
    return wrap(nodePtr()->parent);
}

bool DDXMLNode::hasParent() const
{
    return nodePtr()->parent != nullptr;
}

std::size_t DDXMLNode::childCount() const
{
    xmlNodePtr node = nodePtr();
    if (!isParentKind(kind()))
        return 0;
    std::size_t count = 0;
    for (xmlNodePtr child = node->children; child; child = child->next)
        ++count;
    return count;
}

ns::Ref<ns::Array> DDXMLNode::children() const
{
    xmlNodePtr node = nodePtr();
    if (!isParentKind(kind()))
        return nullptr;
    std::vector<ns::Id> list;
    for (xmlNodePtr child = node->children; child; child = child->next)
        list.push_back(wrap(child));
    return ns::Array::make(std::move(list));
}

ns::Ref<DDXMLNode> DDXMLNode::childAtIndex(std::size_t index) const
{
    xmlNodePtr node = nodePtr();
    if (!isParentKind(kind()) || !node->children)
        return nullptr;
    std::size_t count = 0;
    for (xmlNodePtr child = node->children; child; child = child->next, ++count)
        if (count == index)
            return wrap(child);
    NS_ASSERT(false, "index (%u) beyond bounds (%u)", index, count);
    return nullptr;
}

ns::Ref<DDXMLNode> DDXMLNode::previousSibling() const
{
    return wrap(nodePtr()->prev);
}

ns::Ref<DDXMLNode> DDXMLNode::nextSibling() const
{
    return wrap(nodePtr()->next);
}

ns::Ref<DDXMLNode> DDXMLNode::previousNode() const
{
    xmlNodePtr node = nodePtr();
    if (xmlNodePtr previous = node->prev) {
        while (isParentKind(previous->type) && previous->last)
            previous = previous->last;
        return wrap(previous);
    }
    if (!node->parent || node->parent->type == XML_DOCUMENT_NODE)
        return nullptr;
    return wrap(node->parent);
}

ns::Ref<DDXMLNode> DDXMLNode::nextNode() const
{
    xmlNodePtr node = nodePtr();
    if (isParentKind(kind()) && node->children)
        return wrap(node->children);
    if (node->next)
        return wrap(node->next);
    for (xmlNodePtr ancestor = node->parent; ancestor; ancestor = ancestor->parent)
        if (ancestor->next)
            return wrap(ancestor->next);
    return nullptr;
}

void DDXMLNode::detach()
{
    xmlNodePtr node = nodePtr();
    if (!isChildKind(kind()) || !node->parent)
        return;
    xmlDocPtr oldDoc = node->doc;
    detachChild(node, node->parent, false);
    node->parent = node->next = node->prev = nullptr;
    ddxml::makeSelfContained(node, oldDoc);
    setOwned(true);
}

// Paths

xmlNodePtr DDXMLNode::XPathPreProcess(std::string&) const
{
    return nodePtr();
}

std::string DDXMLNode::XPath() const
{
    std::string path;
    path.reserve(25);
    for (xmlNodePtr node = XPathPreProcess(path); node && node->type != XML_DOCUMENT_NODE;
         node = node->parent) {
        const char* name = node->name ? reinterpret_cast<const char*>(node->name) : "";
        if (node->parent || node->doc) {
            int position = 1;
            for (xmlNodePtr sibling = node->prev; sibling; sibling = sibling->prev)
                if (xmlStrEqual(sibling->name, node->name))
                    ++position;
            path.insert(0, ns::format("/%s[%i]", name, position));
        } else {
            path.insert(0, name);
        }
    }
    return path;
}

// Copies

ns::Ref<DDXMLNode> DDXMLNode::copyNode() const
{
    void* primitive = genericPtr();
    int k = kind();
    if (isChildKind(k)) {
        xmlNodePtr copy = xmlDocCopyNode(static_cast<xmlNodePtr>(primitive), nullptr, 1);
        if (!copy)
            return nullptr;
        if (dynamic_cast<const DDXMLElement*>(this))
            return DDXMLElement::nodeWithElementPrimitive(copy, true);
        return DDXMLNode::nodeWithPrimitive(copy, true);
    }
    switch (k) {
    case XML_ATTRIBUTE_NODE: {
        auto* attr = static_cast<xmlAttrPtr>(primitive);
        xmlAttrPtr copy = xmlCopyProp(nullptr, attr);
        auto handle = copy ? DDXMLAttributeNode::nodeWithAttrPrimitive(copy, true) : nullptr;
        // libxml2 copies an attribute's namespace only into an element; a copy on its own keeps it as a
        // record of its own, as a detached attribute does.
        if (handle && attr->ns) {
            if (xmlNsPtr own = ddxml::newNamespace(attr->ns->href, attr->ns->prefix)) {
                copy->ns = own;
                handle->record()->adoptAttributeNamespace(own);
            }
        }
        return handle;
    }
    case XML_DOCUMENT_NODE: {
        xmlDocPtr copy = xmlCopyDoc(static_cast<xmlDocPtr>(primitive), 1);
        return copy ? DDXMLDocument::nodeWithDocPrimitive(copy, true) : nullptr;
    }
    case XML_DTD_NODE: {
        xmlDtdPtr copy = xmlCopyDtd(static_cast<xmlDtdPtr>(primitive));
        return copy ? DDXMLNode::nodeWithPrimitive(copy, true) : nullptr;
    }
    case XML_NAMESPACE_DECL: {
        auto* ns = static_cast<xmlNsPtr>(primitive);
        xmlNsPtr copy = ddxml::newNamespace(ns->href, ns->prefix);
        return copy ? DDXMLNamespaceNode::nodeWithNsPrimitive(copy, nullptr, true) : nullptr;
    }
    default:
        return nullptr;
    }
}

// Output

std::string DDXMLNode::XMLStringWithOptions(unsigned options) const
{
    void* primitive = genericPtr();
    int k = kind();
    // Both settings are libxml2 globals of the calling thread.
    xmlSaveNoEmptyTags = (options & DDXMLNodeCompactEmptyElement) ? 0 : 1;
    int format = 0;
    if (options & DDXMLNodePrettyPrint) {
        xmlIndentTreeOutput = 1;
        format = 1;
    }
    ns::CHandle<xmlBuffer, xmlBufferFree> buffer(xmlBufferCreate());
    if (!buffer)
        return "";
    xmlDocPtr doc = k == XML_NAMESPACE_DECL ? nullptr : static_cast<xmlNodePtr>(primitive)->doc;
    ddxml::EscapedNamespaceURIs escapedURIs(primitive);
    xmlNodeDump(buffer.get(), doc, static_cast<xmlNodePtr>(primitive), 0, format);
    const xmlChar* content = xmlBufferContent(buffer.get());
    std::string_view out(content ? reinterpret_cast<const char*>(content) : "",
                         static_cast<std::size_t>(xmlBufferLength(buffer.get())));
    if (k == XML_TEXT_NODE)
        return std::string(out);
    return DDXMLStringByTrimming(out);
}

// Errors

ns::Ref<ns::Error> DDXMLNode::lastError()
{
    DDXMLRecord::setUpThread();
    const auto& error = DDXMLLastCapturedError();
    if (!error)
        return nullptr;
    return ns::Error::withDescription(DDXMLErrorDomain, error->code, DDXMLStringByTrimming(error->message));
}

std::optional<DDXMLNode::ErrorPosition> DDXMLNode::lastErrorPosition()
{
    DDXMLRecord::setUpThread();
    const auto& error = DDXMLLastCapturedError();
    // The parser's errors keep the column in their second number.
    if (!error || error->line <= 0 ||
        (error->domain != XML_FROM_PARSER && error->domain != XML_FROM_NAMESPACE))
        return std::nullopt;
    return ErrorPosition{error->line, error->int2 > 0 ? error->int2 : 1};
}
