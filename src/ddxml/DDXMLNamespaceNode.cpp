#include "ddxml/DDXMLNamespaceNode.h"

#include "ddxml/DDXMLDocument.h"
#include "ddxml/DDXMLRecord.h"
#include "ddxml/DDXMLTree.h"

#include "foundation/Exception.h"

#include <libxml/xmlmemory.h>

using ddxml::chars;
using ddxml::text;

DDXMLNamespaceNode::DDXMLNamespaceNode(std::shared_ptr<DDXMLRecord> record, xmlNodePtr nsParent,
                                       bool freeOnDealloc)
    : DDXMLNode(std::move(record), freeOnDealloc), m_nsParent(DDXMLRecord::forPrimitive(nsParent))
{
}

ns::Ref<DDXMLNamespaceNode> DDXMLNamespaceNode::nodeWithNsPrimitive(xmlNsPtr ns, xmlNodePtr nsParent,
                                                                    bool freeOnDealloc)
{
    if (!ns || ns->type != XML_NAMESPACE_DECL)
        return nullptr;
    if (nsParent && nsParent->type != XML_ELEMENT_NODE)
        nsParent = nullptr;
    return ns::make<DDXMLNamespaceNode>(DDXMLRecord::forPrimitive(ns), nsParent, freeOnDealloc);
}

ns::Ref<DDXMLNamespaceNode> DDXMLNamespaceNode::initWithNsPrimitive(xmlNsPtr ns, xmlNodePtr nsParent,
                                                                    bool freeOnDealloc)
{
    return nodeWithNsPrimitive(ns, nsParent, freeOnDealloc);
}

ns::Ref<DDXMLNode> DDXMLNamespaceNode::nodeWithPrimitive(void*, bool)
{
    ns::assertionFailed(__FILE__, __LINE__, "Use nodeWithNsPrimitive:nsParent:freeOnDealloc:");
}

ns::Ref<DDXMLNode> DDXMLNamespaceNode::initWithPrimitive(void*, bool)
{
    ns::assertionFailed(__FILE__, __LINE__, "Use initWithNsPrimitive:nsParent:freeOnDealloc:");
}

xmlNodePtr DDXMLNamespaceNode::nsParentPtr() const
{
    xmlNsPtr ns = nsPtr();
    if (!m_nsParent)
        return nullptr;
    auto* parent = static_cast<xmlNodePtr>(m_nsParent->primitive());
    if (!parent)
        return nullptr;
    // Another handle may have taken the declaration off the element since.
    for (xmlNsPtr d = parent->nsDef; d; d = d->next)
        if (d == ns)
            return parent;
    return nullptr;
}

void DDXMLNamespaceNode::setNsParentPtr(xmlNodePtr parent)
{
    m_nsParent = DDXMLRecord::forPrimitive(parent);
}

std::optional<std::string> DDXMLNamespaceNode::name() const
{
    return text(nsPtr()->prefix).value_or("");
}

void DDXMLNamespaceNode::setName(const std::string& name)
{
    xmlNsPtr ns = nsPtr();
    xmlChar* copy = name.empty() ? nullptr : xmlStrdup(chars(name));
    xmlFree(const_cast<xmlChar*>(ns->prefix));
    ns->prefix = copy;
}

std::optional<std::string> DDXMLNamespaceNode::stringValue() const
{
    return text(nsPtr()->href);
}

void DDXMLNamespaceNode::setStringValue(const std::string& value)
{
    xmlNsPtr ns = nsPtr();
    // Held as it is, as every URI of the model; the text output escapes it.
    xmlChar* copy = xmlStrdup(chars(value));
    if (!copy)
        return;
    xmlFree(const_cast<xmlChar*>(ns->href));
    ns->href = copy;
}

std::size_t DDXMLNamespaceNode::index() const
{
    xmlNodePtr parent = nsParentPtr();
    if (!parent)
        return 0;
    std::size_t position = 0;
    for (xmlNsPtr d = parent->nsDef; d && d != nsPtr(); d = d->next)
        ++position;
    return position;
}

std::size_t DDXMLNamespaceNode::level() const
{
    std::size_t count = 0;
    for (xmlNodePtr node = nsParentPtr(); node; node = node->parent)
        ++count;
    return count;
}

ns::Ref<DDXMLDocument> DDXMLNamespaceNode::rootDocument() const
{
    xmlNodePtr parent = nsParentPtr();
    return parent ? ns::cast<DDXMLDocument>(nodeWithUnknownPrimitive(parent->doc, false)) : nullptr;
}

ns::Ref<DDXMLNode> DDXMLNamespaceNode::parent() const
{
    return nodeWithUnknownPrimitive(nsParentPtr(), false);
}

void DDXMLNamespaceNode::detach()
{
    xmlNodePtr parent = nsParentPtr();
    if (!parent)
        return;
    detachNamespace(nsPtr(), parent);
    setOwned(true);
    m_nsParent.reset();
}

xmlNodePtr DDXMLNamespaceNode::XPathPreProcess(std::string& path) const
{
    xmlNodePtr parent = nsParentPtr();
    path.append(parent ? "/namespace::" : "namespace::").append(*name());
    return parent;
}
