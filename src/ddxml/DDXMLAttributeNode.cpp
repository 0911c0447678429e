#include "ddxml/DDXMLAttributeNode.h"

#include "ddxml/DDXMLRecord.h"
#include "ddxml/DDXMLString.h"
#include "ddxml/DDXMLTree.h"

#include "foundation/Exception.h"

#include <libxml/valid.h>
#include <libxml/xmlmemory.h>

using ddxml::chars;
using ddxml::text;

ns::Ref<DDXMLAttributeNode> DDXMLAttributeNode::nodeWithAttrPrimitive(xmlAttrPtr attr, bool freeOnDealloc)
{
    if (!attr || attr->type != XML_ATTRIBUTE_NODE)
        return nullptr;
    return ns::make<DDXMLAttributeNode>(DDXMLRecord::forPrimitive(attr), freeOnDealloc);
}

ns::Ref<DDXMLAttributeNode> DDXMLAttributeNode::initWithAttrPrimitive(xmlAttrPtr attr, bool freeOnDealloc)
{
    return nodeWithAttrPrimitive(attr, freeOnDealloc);
}

ns::Ref<DDXMLNode> DDXMLAttributeNode::nodeWithPrimitive(void*, bool)
{
    ns::assertionFailed(__FILE__, __LINE__, "Use nodeWithAttrPrimitive:nsParent:freeOnDealloc:");
}

ns::Ref<DDXMLNode> DDXMLAttributeNode::initWithPrimitive(void*, bool)
{
    ns::assertionFailed(__FILE__, __LINE__, "Use initWithAttrPrimitive:nsParent:freeOnDealloc:");
}

std::optional<std::string> DDXMLAttributeNode::stringValue() const
{
    xmlAttrPtr attr = attrPtr();
    if (!attr->children)
        return std::nullopt;
    return DDXMLContent(reinterpret_cast<xmlNodePtr>(attr));
}

void DDXMLAttributeNode::setStringValue(const std::string& value)
{
    xmlAttrPtr attr = attrPtr();
    DDXMLRecord::setUpThread();
    xmlNodePtr textNode = xmlNewDocText(attr->doc, chars(value));
    if (!textNode)
        return;
    // The document's ID table is keyed by the old value.
    if (attr->doc && attr->atype == XML_ATTRIBUTE_ID)
        xmlRemoveID(attr->doc, attr);
    // One raw text child: stored once, it reads back as given and is escaped only on output.
    if (attr->children)
        xmlFreeNodeList(attr->children);
    textNode->parent = reinterpret_cast<xmlNodePtr>(attr);
    attr->children = textNode;
    attr->last = textNode;
}

void DDXMLAttributeNode::detach()
{
    xmlAttrPtr attr = attrPtr();
    if (!attr->parent)
        return;
    if (attr->ns && attr->ns != record()->attributeNamespace()) {
        // The declaration stays with the element; the attribute keeps a record of its own with the same
        // prefix and URI, declared again where it is added.
        xmlNsPtr own = ddxml::newNamespace(attr->ns->href, attr->ns->prefix);
        if (!own && attr->ns->prefix) {
            std::string qualified = *text(attr->ns->prefix) + ":" + *text(attr->name);
            xmlNodeSetName(reinterpret_cast<xmlNodePtr>(attr), chars(qualified));
        }
        attr->ns = own;
        record()->adoptAttributeNamespace(own);
    }
    detachAttribute(attr, attr->parent, true);
    setOwned(true);
}

std::optional<std::string> DDXMLAttributeNode::URI() const
{
    xmlAttrPtr attr = attrPtr();
    if (!attr->ns)
        return std::nullopt;
    return text(attr->ns->href);
}

void DDXMLAttributeNode::setURI(const std::optional<std::string>& uri)
{
    xmlAttrPtr attr = attrPtr();
    if (xmlNodePtr element = attr->parent) {
        // In an element the attribute takes a declaration with a prefix (an unprefixed attribute is in no
        // namespace), and replaces another attribute of the element that now has the same name.
        if (uri) {
            xmlNsPtr declared = ddxml::attributeDeclaration(element, chars(*uri), nullptr);
            if (!declared)
                return;
            attr->ns = declared;
        } else {
            attr->ns = nullptr;
        }
        record()->adoptAttributeNamespace(nullptr);
        ddxml::removeCollidingAttributes(element, attr);
        return;
    }
    xmlNsPtr replacement = nullptr;
    if (uri) {
        replacement = ddxml::newNamespace(chars(*uri), nullptr);
        if (!replacement)
            return;
    }
    // A declaration made by an element is the element's: stop using it. One made here for the
    // attribute alone is kept with the attribute's handle block and freed with the attribute.
    attr->ns = replacement;
    record()->adoptAttributeNamespace(replacement);
}

xmlNodePtr DDXMLAttributeNode::XPathPreProcess(std::string& path) const
{
    xmlAttrPtr attr = attrPtr();
    std::string name = text(attr->name).value_or("");
    path.append(attr->parent ? "/@" : "@").append(name);
    return attr->parent;
}
