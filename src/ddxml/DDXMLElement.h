#pragma once

#include "ddxml/DDXMLAttributeNode.h"
#include "ddxml/DDXMLNamespaceNode.h"
#include "ddxml/DDXMLNode.h"

#include "foundation/Dictionary.h"

// An element with its children, attributes and namespace declarations.
class DDXMLElement : public DDXMLNode
{
public:
    using DDXMLNode::DDXMLNode;

    static ns::Ref<DDXMLElement> nodeWithElementPrimitive(xmlNodePtr node, bool freeOnDealloc);
    static ns::Ref<DDXMLElement> initWithElementPrimitive(xmlNodePtr node, bool freeOnDealloc);
    // A new element without namespace, owned by the handle; nothing when libxml2 cannot make it.
    static ns::Ref<DDXMLElement> initWithName(const std::string& name);
    static ns::Ref<DDXMLElement> initWithNameURI(const std::string& name,
                                                 const std::optional<std::string>& uri);
    static ns::Ref<DDXMLElement> initWithName(const std::string& name, const std::string& stringValue);
    // The root element of a parsed document, detached so that it owns its subtree.
    static ns::Ref<DDXMLElement> initWithXMLString(const std::string& text, ns::Ref<ns::Error>* error);
    // Refused: an element is made with the initialisers above.
    [[noreturn]] static ns::Ref<DDXMLNode> nodeWithPrimitive(void* primitive, bool freeOnDealloc);
    [[noreturn]] static ns::Ref<DDXMLNode> initWithPrimitive(void* primitive, bool freeOnDealloc);

    // Children. A node added must have no parent (detach or copy it first) and be of a child kind; the
    // tree then owns it. A text node added beside a text child is merged into it by libxml2, and the
    // caller's handle then refers to the merged text.
    void addChild(const ns::Ref<DDXMLNode>& child);
    void insertChild(const ns::Ref<DDXMLNode>& child, std::size_t index);
    void removeChildAtIndex(std::size_t index);
    void removeChild(const ns::Ref<DDXMLNode>& child);
    void setChildren(const ns::Ref<ns::Array>& children);

    // Attributes, in order. Adding one replaces an attribute of the same name.
    void addAttribute(const ns::Ref<DDXMLNode>& attribute);
    void removeAttribute(xmlAttrPtr attribute);
    void removeAttributeForName(const std::string& name);
    void removeAllAttributes();
    ns::Ref<ns::Array> attributes() const;
    // A prefixed attribute matches "prefix:name", any other its plain name.
    ns::Ref<DDXMLAttributeNode> attributeForName(const std::string& name) const;
    bool hasAttributeWithName(const std::string& name) const;
    void setAttributes(const ns::Ref<ns::Array>& attributes);

    // Namespace declarations. Replacing or removing one first repoints what uses it.
    void addNamespace(const ns::Ref<DDXMLNode>& ns);
    void removeNamespace(xmlNsPtr ns);
    void removeNamespaceForPrefix(const std::string& prefix);
    void removeAllNamespaces();
    ns::Ref<ns::Array> namespaces() const;
    // The empty prefix gives the element's own namespace.
    ns::Ref<DDXMLNamespaceNode> namespaceForPrefix(const std::string& prefix) const;
    void setNamespaces(const ns::Ref<ns::Array>& namespaces);
    static ns::Ref<DDXMLNamespaceNode> resolveNamespaceForPrefix(const std::string& prefix, xmlNodePtr node);
    ns::Ref<DDXMLNamespaceNode> resolveNamespaceForName(const std::string& name) const;
    static std::optional<std::string> resolvePrefixForURI(const std::string& uri, xmlNodePtr node);
    std::optional<std::string> resolvePrefixForNamespaceURI(const std::string& uri) const;

    // Direct element children only, in order.
    ns::Ref<ns::Array> elementsForName(const std::optional<std::string>& name) const;
    ns::Ref<ns::Array> elementsForLocalName(const std::optional<std::string>& localName,
                                            const std::optional<std::string>& uri) const;
    ns::Ref<ns::Array> elementsForName(const std::string& name, const std::optional<std::string>& uri) const;

    // Conveniences.
    static ns::Ref<DDXMLElement> elementWithNameXmlns(const std::string& name, const std::string& xmlns);
    // The first direct child element of that name, or nothing.
    ns::Ref<DDXMLElement> elementForName(const std::string& name) const;
    ns::Ref<DDXMLElement> elementForName(const std::string& name, const std::string& xmlns) const;
    std::optional<std::string> xmlns() const;
    void setXmlns(const std::string& uri);
    void addAttributeWithName(const std::string& name, const std::string& stringValue);
    // Attribute name to value; a later attribute of the same name wins.
    ns::Ref<ns::MutableDictionary> attributesAsDictionary() const;

    std::string className() const override { return "DDXMLElement"; }

private:
    void checkNewChild(const ns::Ref<DDXMLNode>& child) const;
};
