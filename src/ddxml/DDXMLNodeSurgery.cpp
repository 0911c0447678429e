// Tree surgery on libxml2 records: unlinking, freeing and clearing document pointers, keeping every link
// of the neighbours, the parent and the document consistent.
#include "ddxml/DDXMLNode.h"

#include "ddxml/DDXMLRecord.h"
#include "ddxml/DDXMLTree.h"

#include <libxml/valid.h>

void DDXMLNode::stripDocPointersFromAttr(xmlAttrPtr attr)
{
    // An ID attribute is listed by its document; leaving it there would let the document hand out a
    // record that is freed elsewhere.
    if (attr->doc && attr->atype == XML_ATTRIBUTE_ID)
        xmlRemoveID(attr->doc, attr);
    attr->doc = nullptr;
    for (xmlNodePtr child = attr->children; child; child = child->next)
        child->doc = nullptr;
}

void DDXMLNode::recursiveStripDocPointersFromNode(xmlNodePtr node)
{
    ddxml::walk(node, [](xmlNodePtr current) {
        if (current->type == XML_ELEMENT_NODE)
            for (xmlAttrPtr attr = current->properties; attr; attr = attr->next)
                stripDocPointersFromAttr(attr);
        if (current->type == XML_ENTITY_REF_NODE) {
            // Its children are the declaration in the old document's DTD.
            current->children = nullptr;
            current->last = nullptr;
        }
        current->doc = nullptr;
    });
}

void DDXMLNode::detachAttribute(xmlAttrPtr attr, xmlNodePtr node, bool nullifyPointers)
{
    if (attr->prev)
        attr->prev->next = attr->next;
    else if (node->properties == attr)
        node->properties = attr->next;
    if (attr->next)
        attr->next->prev = attr->prev;
    if (nullifyPointers) {
        attr->parent = nullptr;
        attr->prev = nullptr;
        attr->next = nullptr;
        if (attr->doc)
            stripDocPointersFromAttr(attr);
    }
}

void DDXMLNode::removeAttribute(xmlAttrPtr attr, xmlNodePtr node)
{
    DDXMLRecord::setUpThread();
    detachAttribute(attr, node, false);
    xmlFreeProp(attr);
}

void DDXMLNode::removeAllAttributesFromNode(xmlNodePtr node)
{
    DDXMLRecord::setUpThread();
    xmlAttrPtr attr = node->properties;
    node->properties = nullptr;
    while (attr) {
        xmlAttrPtr next = attr->next;
        xmlFreeProp(attr);
        attr = next;
    }
}

void DDXMLNode::detachNamespace(xmlNsPtr ns, xmlNodePtr node)
{
    xmlNsPtr* link = &node->nsDef;
    while (*link && *link != ns)
        link = &(*link)->next;
    if (!*link)
        return;
    *link = ns->next;
    ns->next = nullptr;
    // Nothing may keep pointing at the declaration: the node itself gives up its namespace, its
    // attributes and descendants take what the prefix means above the node.
    if (node->ns == ns)
        node->ns = nullptr;
    ddxml::repointNamespace(node, ns, ddxml::resolveAbove(node, ns->prefix));
}

void DDXMLNode::removeNamespace(xmlNsPtr ns, xmlNodePtr node)
{
    detachNamespace(ns, node);
    DDXMLRecord::invalidate(ns);
    xmlFreeNs(ns);
}

void DDXMLNode::removeAllNamespacesFromNode(xmlNodePtr node)
{
    while (xmlNsPtr ns = node->nsDef)
        removeNamespace(ns, node);
    node->ns = nullptr;
}

void DDXMLNode::detachChild(xmlNodePtr child, xmlNodePtr node, bool nullifyPointers)
{
    if (child->prev)
        child->prev->next = child->next;
    else if (node->children == child)
        node->children = child->next;
    if (child->next)
        child->next->prev = child->prev;
    else if (node->last == child)
        node->last = child->prev;
    if (nullifyPointers) {
        child->parent = nullptr;
        child->prev = nullptr;
        child->next = nullptr;
        if (child->doc)
            recursiveStripDocPointersFromNode(child);
    }
}

void DDXMLNode::removeChild(xmlNodePtr child, xmlNodePtr node)
{
    DDXMLRecord::setUpThread();
    detachChild(child, node, false);
    child->parent = child->prev = child->next = nullptr;
    xmlFreeNode(child);
}

void DDXMLNode::removeAllChildrenFromNode(xmlNodePtr node)
{
    DDXMLRecord::setUpThread();
    xmlNodePtr child = node->children;
    node->children = nullptr;
    node->last = nullptr;
    while (child) {
        xmlNodePtr next = child->next;
        child->parent = child->prev = child->next = nullptr;
        xmlFreeNode(child);
        child = next;
    }
}
