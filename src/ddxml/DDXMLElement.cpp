#include "ddxml/DDXMLElement.h"

#include "ddxml/DDXMLAttributeNode.h"
#include "ddxml/DDXMLDocument.h"
#include "ddxml/DDXMLNamespaceNode.h"
#include "ddxml/DDXMLRecord.h"
#include "ddxml/DDXMLString.h"
#include "ddxml/DDXMLTree.h"

#include "foundation/Exception.h"
#include "foundation/Format.h"
#include "foundation/String.h"

#include <libxml/xmlmemory.h>

#include <vector>

using ddxml::chars;
using ddxml::text;

namespace {

const xmlChar* prefixOrNull(const std::string& prefix)
{
    return prefix.empty() ? nullptr : chars(prefix);
}

// The URI a prefix means at an element (the reserved "xml" prefix included), without creating anything.
const xmlChar* searchNamespace(xmlNodePtr node, const std::string& prefix)
{
    if (prefix == "xml")
        return XML_XML_NAMESPACE;
    for (xmlNodePtr element = node; element && element->type == XML_ELEMENT_NODE; element = element->parent)
        for (xmlNsPtr ns = element->nsDef; ns; ns = ns->next)
            if (xmlStrEqual(ns->prefix, prefixOrNull(prefix)))
                return ns->href;
    return nullptr;
}

// The element that declares a namespace, from the node upward.
xmlNodePtr declaringElement(xmlNodePtr node, xmlNsPtr ns)
{
    for (xmlNodePtr element = node; element && element->type == XML_ELEMENT_NODE; element = element->parent)
        for (xmlNsPtr d = element->nsDef; d; d = d->next)
            if (d == ns)
                return element;
    return nullptr;
}

} // namespace

// Initialisers

ns::Ref<DDXMLElement> DDXMLElement::nodeWithElementPrimitive(xmlNodePtr node, bool freeOnDealloc)
{
    if (!node || node->type != XML_ELEMENT_NODE)
        return nullptr;
    return ns::make<DDXMLElement>(DDXMLRecord::forPrimitive(node), freeOnDealloc);
}

ns::Ref<DDXMLElement> DDXMLElement::initWithElementPrimitive(xmlNodePtr node, bool freeOnDealloc)
{
    return nodeWithElementPrimitive(node, freeOnDealloc);
}

ns::Ref<DDXMLElement> DDXMLElement::initWithName(const std::string& name)
{
    DDXMLRecord::setUpThread();
    return nodeWithElementPrimitive(xmlNewNode(nullptr, chars(name)), true);
}

ns::Ref<DDXMLElement> DDXMLElement::initWithNameURI(const std::string& name,
                                                    const std::optional<std::string>& uri)
{
    auto element = initWithName(name);
    if (element)
        element->setURI(uri);
    return element;
}

ns::Ref<DDXMLElement> DDXMLElement::initWithName(const std::string& name, const std::string& stringValue)
{
    auto element = initWithName(name);
    if (element)
        element->setStringValue(stringValue);
    return element;
}

ns::Ref<DDXMLElement> DDXMLElement::initWithXMLString(const std::string& text, ns::Ref<ns::Error>* error)
{
    auto document = DDXMLDocument::initWithXMLString(text, 0, error);
    if (!document)
        return nullptr;
    auto root = document->rootElement();
    if (!root) {
        ns::setError(error, ns::Error::make(DDXMLErrorDomain, 1));
        return nullptr;
    }
    root->detach();
    return root;
}

ns::Ref<DDXMLNode> DDXMLElement::nodeWithPrimitive(void*, bool)
{
    ns::assertionFailed(__FILE__, __LINE__, "Use nodeWithElementPrimitive:freeOnDealloc:");
}

ns::Ref<DDXMLNode> DDXMLElement::initWithPrimitive(void*, bool)
{
    ns::assertionFailed(__FILE__, __LINE__, "Use initWithElementPrimitive:freeOnDealloc:");
}

// Children

void DDXMLElement::checkNewChild(const ns::Ref<DDXMLNode>& child) const
{
    NS_ASSERT(child && !child->hasParent(), "Cannot add a child that has a parent; detach or copy first");
    NS_ASSERT(isChildKind(child->kind()),
              "Elements can only have text, elements, processing instructions, and comments as children");
    // A root taken into its own subtree would make the tree a cycle.
    for (xmlNodePtr ancestor = nodePtr(); ancestor; ancestor = ancestor->parent)
        NS_ASSERT(ancestor != child->nodePtr(), "Cannot add a node into its own subtree");
}

void DDXMLElement::addChild(const ns::Ref<DDXMLNode>& child)
{
    checkNewChild(child);
    xmlNodePtr added = xmlAddChild(nodePtr(), child->nodePtr());
    if (!added)
        return;
    // A text beside a text child is merged into it and freed: follow the text to where it now lives.
    child->retarget(added);
    child->setOwned(false);
}

void DDXMLElement::insertChild(const ns::Ref<DDXMLNode>& child, std::size_t index)
{
    checkNewChild(child);
    xmlNodePtr node = nodePtr();
    std::size_t count = 0;
    for (xmlNodePtr current = node->children; current; current = current->next) {
        if (!isChildKind(current->type))
            continue;
        if (count == index) {
            xmlNodePtr added = xmlAddPrevSibling(current, child->nodePtr());
            if (!added)
                return;
            child->retarget(added);
            child->setOwned(false);
            return;
        }
        ++count;
    }
    NS_ASSERT(index == count, "index (%u) beyond bounds (%u)", index, count + 1);
    addChild(child);
}

void DDXMLElement::removeChildAtIndex(std::size_t index)
{
    xmlNodePtr node = nodePtr();
    std::size_t count = 0;
    for (xmlNodePtr current = node->children; current; current = current->next) {
        if (!isChildKind(current->type))
            continue;
        if (count == index) {
            DDXMLNode::removeChild(current, node);
            return;
        }
        ++count;
    }
}

void DDXMLElement::removeChild(const ns::Ref<DDXMLNode>& child)
{
    if (!child || !isChildKind(child->kind()))
        return;
    xmlNodePtr node = nodePtr();
    xmlNodePtr record = child->nodePtr();
    if (record->parent != node)
        return;
    DDXMLNode::removeChild(record, node);
}

void DDXMLElement::setChildren(const ns::Ref<ns::Array>& children)
{
    removeAllChildrenFromNode(nodePtr());
    if (!children)
        return;
    for (const auto& object : *children)
        addChild(ns::cast<DDXMLNode>(object));
}

// Attributes

void DDXMLElement::addAttribute(const ns::Ref<DDXMLNode>& attribute)
{
    NS_ASSERT(attribute && !attribute->hasParent(),
              "Cannot add an attribute with a parent; detach or copy first");
    NS_ASSERT(attribute->kind() == XML_ATTRIBUTE_NODE, "Not an attribute");
    xmlNodePtr node = nodePtr();
    auto* attr = static_cast<xmlAttrPtr>(attribute->genericPtr());
    // A namespace the attribute brings (detached, or made with a URI) is declared on the element.
    ddxml::declareAttributeNamespace(node, attr);
    // One attribute per name (and namespace): the new one replaces the old.
    ddxml::removeCollidingAttributes(node, attr);
    if (xmlAddChild(node, reinterpret_cast<xmlNodePtr>(attr)))
        attribute->setOwned(false);
}

void DDXMLElement::removeAttribute(xmlAttrPtr attribute)
{
    xmlNodePtr node = nodePtr();
    for (xmlAttrPtr current = node->properties; current; current = current->next)
        if (current == attribute) {
            DDXMLNode::removeAttribute(attribute, node);
            return;
        }
}

void DDXMLElement::removeAttributeForName(const std::string& name)
{
    xmlNodePtr node = nodePtr();
    for (xmlAttrPtr current = node->properties; current; current = current->next)
        if (xmlStrEqual(current->name, chars(name))) {
            DDXMLNode::removeAttribute(current, node);
            return;
        }
}

void DDXMLElement::removeAllAttributes()
{
    removeAllAttributesFromNode(nodePtr());
}

ns::Ref<ns::Array> DDXMLElement::attributes() const
{
    std::vector<ns::Id> list;
    for (xmlAttrPtr attr = nodePtr()->properties; attr; attr = attr->next)
        list.push_back(DDXMLAttributeNode::nodeWithAttrPrimitive(attr, false));
    return ns::Array::make(std::move(list));
}

ns::Ref<DDXMLAttributeNode> DDXMLElement::attributeForName(const std::string& name) const
{
    for (xmlAttrPtr attr = nodePtr()->properties; attr; attr = attr->next) {
        bool matches;
        if (attr->ns && attr->ns->prefix)
            matches = ns::format("%s:%s", text(attr->ns->prefix), text(attr->name)) == name;
        else
            matches = xmlStrEqual(attr->name, chars(name));
        if (matches)
            return DDXMLAttributeNode::nodeWithAttrPrimitive(attr, false);
    }
    return nullptr;
}

bool DDXMLElement::hasAttributeWithName(const std::string& name) const
{
    for (xmlAttrPtr attr = nodePtr()->properties; attr; attr = attr->next)
        if (xmlStrEqual(attr->name, chars(name)))
            return true;
    return false;
}

void DDXMLElement::setAttributes(const ns::Ref<ns::Array>& attributes)
{
    removeAllAttributes();
    if (!attributes)
        return;
    for (const auto& object : *attributes)
        addAttribute(ns::cast<DDXMLNode>(object));
}

// Namespaces

void DDXMLElement::addNamespace(const ns::Ref<DDXMLNode>& namespaceNode)
{
    NS_ASSERT(namespaceNode && !namespaceNode->hasParent(),
              "Cannot add a namespace with a parent; detach or copy first");
    NS_ASSERT(namespaceNode->kind() == XML_NAMESPACE_DECL, "Not a namespace");
    // A declaration listed elsewhere (the document's own "xml" one) has no parent element but is not free.
    NS_ASSERT(namespaceNode->freeOnDealloc(), "Cannot add a namespace with a parent; detach or copy first");
    xmlNodePtr node = nodePtr();
    auto* ns = static_cast<xmlNsPtr>(namespaceNode->genericPtr());
    ns->next = nullptr;

    xmlNsPtr replaced = nullptr;
    xmlNsPtr* tail = &node->nsDef;
    while (*tail) {
        if (!replaced && xmlStrEqual((*tail)->prefix, ns->prefix)) {
            replaced = *tail;
            *tail = replaced->next;
            replaced->next = nullptr;
            continue;
        }
        tail = &(*tail)->next;
    }
    *tail = ns;
    if (replaced) {
        // What used the replaced declaration uses the new one, before the old record goes.
        ddxml::repointNamespace(node, replaced, ns);
        DDXMLRecord::invalidate(replaced);
        xmlFreeNs(replaced);
    }
    namespaceNode->setOwned(false);
    if (auto typed = ns::cast<DDXMLNamespaceNode>(namespaceNode))
        typed->setNsParentPtr(node);
    if (!ns->prefix)
        node->ns = ns;
}

void DDXMLElement::removeNamespace(xmlNsPtr ns)
{
    xmlNodePtr node = nodePtr();
    for (xmlNsPtr d = node->nsDef; d; d = d->next)
        if (d == ns) {
            DDXMLNode::removeNamespace(ns, node);
            return;
        }
}

void DDXMLElement::removeNamespaceForPrefix(const std::string& prefix)
{
    xmlNodePtr node = nodePtr();
    for (xmlNsPtr d = node->nsDef; d; d = d->next)
        if (xmlStrEqual(d->prefix, prefixOrNull(prefix))) {
            DDXMLNode::removeNamespace(d, node);
            return;
        }
}

void DDXMLElement::removeAllNamespaces()
{
    removeAllNamespacesFromNode(nodePtr());
}

ns::Ref<ns::Array> DDXMLElement::namespaces() const
{
    xmlNodePtr node = nodePtr();
    std::vector<ns::Id> list;
    for (xmlNsPtr d = node->nsDef; d; d = d->next)
        list.push_back(DDXMLNamespaceNode::nodeWithNsPrimitive(d, node, false));
    return ns::Array::make(std::move(list));
}

ns::Ref<DDXMLNamespaceNode> DDXMLElement::namespaceForPrefix(const std::string& prefix) const
{
    xmlNodePtr node = nodePtr();
    if (prefix.empty()) {
        if (!node->ns)
            return nullptr;
        return DDXMLNamespaceNode::nodeWithNsPrimitive(node->ns, declaringElement(node, node->ns), false);
    }
    for (xmlNsPtr d = node->nsDef; d; d = d->next)
        if (xmlStrEqual(d->prefix, chars(prefix)))
            return DDXMLNamespaceNode::nodeWithNsPrimitive(d, node, false);
    return nullptr;
}

void DDXMLElement::setNamespaces(const ns::Ref<ns::Array>& namespaces)
{
    removeAllNamespaces();
    if (!namespaces)
        return;
    for (const auto& object : *namespaces)
        addNamespace(ns::cast<DDXMLNode>(object));
}

ns::Ref<DDXMLNamespaceNode> DDXMLElement::resolveNamespaceForPrefix(const std::string& prefix,
                                                                    xmlNodePtr node)
{
    for (xmlNodePtr element = node; element && element->type == XML_ELEMENT_NODE; element = element->parent)
        for (xmlNsPtr d = element->nsDef; d; d = d->next)
            if (xmlStrEqual(d->prefix, prefixOrNull(prefix)))
                return DDXMLNamespaceNode::nodeWithNsPrimitive(d, element, false);
    return nullptr;
}

ns::Ref<DDXMLNamespaceNode> DDXMLElement::resolveNamespaceForName(const std::string& name) const
{
    xmlNodePtr node = nodePtr();
    if (name.empty())
        return resolveNamespaceForPrefix("", node);
    std::string prefix = prefixForName(name);
    if (prefix.empty())
        return nullptr;
    return resolveNamespaceForPrefix(prefix, node);
}

std::optional<std::string> DDXMLElement::resolvePrefixForURI(const std::string& uri, xmlNodePtr node)
{
    for (xmlNodePtr element = node; element && element->type == XML_ELEMENT_NODE; element = element->parent)
        for (xmlNsPtr d = element->nsDef; d; d = d->next)
            if (d->prefix && xmlStrEqual(d->href, chars(uri)))
                return text(d->prefix);
    return std::nullopt;
}

std::optional<std::string> DDXMLElement::resolvePrefixForNamespaceURI(const std::string& uri) const
{
    return resolvePrefixForURI(uri, nodePtr());
}

// Queries

ns::Ref<ns::Array> DDXMLElement::elementsForName(const std::optional<std::string>& name) const
{
    if (!name)
        return ns::Array::make();
    std::optional<std::string> uri;
    std::string prefix = prefixForName(name);
    if (!prefix.empty())
        uri = text(searchNamespace(nodePtr(), prefix));
    return elementsForName(*name, uri);
}

ns::Ref<ns::Array> DDXMLElement::elementsForLocalName(const std::optional<std::string>& localName,
                                                      const std::optional<std::string>& uri) const
{
    if (!localName)
        return ns::Array::make();
    std::string name = *localName;
    if (uri)
        if (auto prefix = resolvePrefixForNamespaceURI(*uri))
            name = ns::format("%@:%@", *prefix, *localName);
    return elementsForName(name, uri);
}

ns::Ref<ns::Array> DDXMLElement::elementsForName(const std::string& name,
                                                 const std::optional<std::string>& uri) const
{
    xmlNodePtr node = nodePtr();
    std::string localName = *localNameForName(name);
    bool prefixed = localName.size() != name.size();
    std::vector<ns::Id> found;
    for (xmlNodePtr child = node->children; child; child = child->next) {
        if (child->type != XML_ELEMENT_NODE)
            continue;
        bool matches;
        bool nameEqual = xmlStrEqual(child->name, chars(name));
        bool uriEqual = uri && child->ns && xmlStrEqual(child->ns->href, chars(*uri));
        if (!uri)
            matches = nameEqual;
        else if (prefixed)
            matches = nameEqual || (xmlStrEqual(child->name, chars(localName)) && uriEqual);
        else
            matches = nameEqual && uriEqual;
        if (matches)
            found.push_back(nodeWithElementPrimitive(child, false));
    }
    return ns::Array::make(std::move(found));
}

// Conveniences

ns::Ref<DDXMLElement> DDXMLElement::elementWithNameXmlns(const std::string& name, const std::string& xmlns)
{
    auto element = elementWithName(name);
    if (element)
        element->setXmlns(xmlns);
    return element;
}

ns::Ref<DDXMLElement> DDXMLElement::elementForName(const std::string& name) const
{
    auto elements = elementsForName(std::optional<std::string>(name));
    return elements->count() ? elements->objectAs<DDXMLElement>(0) : nullptr;
}

ns::Ref<DDXMLElement> DDXMLElement::elementForName(const std::string& name, const std::string& xmlns) const
{
    auto elements = elementsForLocalName(name, xmlns);
    return elements->count() ? elements->objectAs<DDXMLElement>(0) : nullptr;
}

std::optional<std::string> DDXMLElement::xmlns() const
{
    auto ns = namespaceForPrefix("");
    return ns ? ns->stringValue() : std::nullopt;
}

void DDXMLElement::setXmlns(const std::string& uri)
{
    if (auto ns = namespaceWithName("", uri))
        addNamespace(ns);
}

void DDXMLElement::addAttributeWithName(const std::string& name, const std::string& stringValue)
{
    if (auto attribute = attributeWithName(name, stringValue))
        addAttribute(attribute);
}

ns::Ref<ns::MutableDictionary> DDXMLElement::attributesAsDictionary() const
{
    auto dictionary = ns::MutableDictionary::make();
    for (xmlAttrPtr attr = nodePtr()->properties; attr; attr = attr->next) {
        std::string content = DDXMLContent(reinterpret_cast<xmlNodePtr>(attr));
        dictionary->setObject(ns::String::make(content),
                              std::string_view(reinterpret_cast<const char*>(attr->name)));
    }
    return dictionary;
}
