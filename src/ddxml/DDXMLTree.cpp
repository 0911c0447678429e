#include "ddxml/DDXMLTree.h"

#include "ddxml/DDXMLNode.h"

#include <libxml/dict.h>
#include <libxml/xmlmemory.h>

#include <cstring>
#include <string>
#include <vector>

namespace ddxml {

xmlNsPtr newNamespace(const xmlChar* href, const xmlChar* prefix)
{
    auto* ns = static_cast<xmlNsPtr>(xmlMalloc(sizeof(xmlNs)));
    if (!ns)
        return nullptr;
    std::memset(ns, 0, sizeof(xmlNs));
    ns->type = XML_LOCAL_NAMESPACE;
    ns->href = href ? xmlStrdup(href) : nullptr;
    ns->prefix = prefix ? xmlStrdup(prefix) : nullptr;
    if ((href && !ns->href) || (prefix && !ns->prefix)) {
        xmlFreeNs(ns);
        return nullptr;
    }
    return ns;
}

void walk(xmlNodePtr root, const std::function<void(xmlNodePtr)>& visit)
{
    if (!root)
        return;
    xmlNodePtr node = root;
    while (node) {
        visit(node);
        if (node->type != XML_ENTITY_REF_NODE && node->children) {
            node = node->children;
            continue;
        }
        while (node != root && !node->next)
            node = node->parent;
        if (node == root)
            return;
        node = node->next;
    }
}

xmlNsPtr resolveAbove(xmlNodePtr node, const xmlChar* prefix)
{
    for (xmlNodePtr element = node ? node->parent : nullptr; element && element->type == XML_ELEMENT_NODE;
         element = element->parent) {
        for (xmlNsPtr ns = element->nsDef; ns; ns = ns->next)
            if (xmlStrEqual(ns->prefix, prefix))
                return ns;
    }
    return nullptr;
}

void repointNamespace(xmlNodePtr root, xmlNsPtr from, xmlNsPtr to)
{
    walk(root, [&](xmlNodePtr node) {
        if (node->type != XML_ELEMENT_NODE)
            return;
        if (node->ns == from)
            node->ns = to;
        for (xmlAttrPtr attr = node->properties; attr; attr = attr->next)
            if (attr->ns == from)
                attr->ns = to;
    });
}

namespace {

bool declaredInScope(xmlNodePtr element, xmlNodePtr root, xmlNsPtr ns)
{
    for (xmlNodePtr e = element; e; e = e->parent) {
        for (xmlNsPtr d = e->nsDef; d; d = d->next)
            if (d == ns)
                return true;
        if (e == root)
            break;
    }
    return false;
}

bool rootDeclaresPrefix(xmlNodePtr root, const xmlChar* prefix)
{
    for (xmlNsPtr d = root->nsDef; d; d = d->next)
        if (xmlStrEqual(d->prefix, prefix))
            return true;
    return false;
}

// A declaration on the root for the namespace, reusing an equal one.
xmlNsPtr redeclare(xmlNodePtr root, xmlNsPtr ns)
{
    for (xmlNsPtr d = root->nsDef; d; d = d->next)
        if (xmlStrEqual(d->prefix, ns->prefix) && xmlStrEqual(d->href, ns->href))
            return d;
    std::string prefix = ns->prefix ? reinterpret_cast<const char*>(ns->prefix) : "";
    if (rootDeclaresPrefix(root, ns->prefix)) {
        // The prefix is taken on the root by another namespace: find a free one.
        for (int i = 1;; ++i) {
            std::string candidate = "ns" + std::to_string(i);
            if (!rootDeclaresPrefix(root, chars(candidate))) {
                prefix = candidate;
                break;
            }
        }
    }
    xmlNsPtr copy = newNamespace(ns->href, prefix.empty() ? nullptr : chars(prefix));
    if (!copy)
        return nullptr;
    xmlNsPtr* tail = &root->nsDef;
    while (*tail)
        tail = &(*tail)->next;
    *tail = copy;
    return copy;
}

// The reserved "xml" namespace belongs to the document and cannot be declared again (libxml2 drops such
// a declaration when it copies the element): a name in it keeps its prefix in the name instead, which
// reads and prints the same.
void unreserve(xmlNodePtr node)
{
    if (!node->ns || !xmlStrEqual(node->ns->prefix, reinterpret_cast<const xmlChar*>("xml")))
        return;
    std::string qualified = std::string("xml:") + reinterpret_cast<const char*>(node->name);
    xmlNodeSetName(node, chars(qualified));
    node->ns = nullptr;
}

void undict(const xmlChar*& value, xmlDictPtr dict)
{
    if (value && xmlDictOwns(dict, value) == 1)
        value = xmlStrdup(value);
}

void undict(xmlChar*& value, xmlDictPtr dict)
{
    if (value && xmlDictOwns(dict, value) == 1)
        value = xmlStrdup(value);
}

} // namespace

void makeSelfContained(xmlNodePtr root, xmlDocPtr oldDoc)
{
    if (root->type == XML_ELEMENT_NODE) {
        std::vector<std::pair<xmlNsPtr, xmlNsPtr>> moved;
        auto fix = [&](xmlNodePtr element, xmlNsPtr& ref, bool isAttribute) {
            if (!ref || declaredInScope(element, root, ref))
                return;
            if (isAttribute && !ref->prefix) {
                // An unprefixed attribute is in no namespace; declaring a default would change the
                // elements' namespace instead.
                ref = nullptr;
                return;
            }
            for (auto& [from, to] : moved)
                if (from == ref) {
                    ref = to;
                    return;
                }
            xmlNsPtr copy = redeclare(root, ref);
            moved.emplace_back(ref, copy);
            ref = copy;
        };
        walk(root, [&](xmlNodePtr node) {
            if (node->type != XML_ELEMENT_NODE)
                return;
            unreserve(node);
            fix(node, node->ns, false);
            for (xmlAttrPtr attr = node->properties; attr; attr = attr->next) {
                unreserve(reinterpret_cast<xmlNodePtr>(attr));
                fix(node, attr->ns, true);
            }
        });
    }
    if (oldDoc && oldDoc->dict) {
        xmlDictPtr dict = oldDoc->dict;
        walk(root, [&](xmlNodePtr node) {
            undict(node->name, dict);
            if (node->content != reinterpret_cast<xmlChar*>(&node->properties))
                undict(node->content, dict);
            if (node->type != XML_ELEMENT_NODE)
                return;
            for (xmlAttrPtr attr = node->properties; attr; attr = attr->next) {
                undict(attr->name, dict);
                for (xmlNodePtr child = attr->children; child; child = child->next)
                    undict(child->content, dict);
            }
        });
    }
    DDXMLNode::recursiveStripDocPointersFromNode(root);
}

} // namespace ddxml
