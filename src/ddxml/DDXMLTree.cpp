#include "ddxml/DDXMLTree.h"

#include "ddxml/DDXMLNode.h"
#include "ddxml/DDXMLRecord.h"

#include <libxml/dict.h>
#include <libxml/xmlmemory.h>

#include <cstring>
#include <string>
#include <string_view>
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

namespace {

const xmlChar* xmlPrefix()
{
    return reinterpret_cast<const xmlChar*>("xml");
}

// The declaration of a prefix in scope at the element (on it or an ancestor), or nothing.
xmlNsPtr inScope(xmlNodePtr element, const xmlChar* prefix)
{
    for (xmlNodePtr e = element; e && e->type == XML_ELEMENT_NODE; e = e->parent)
        for (xmlNsPtr d = e->nsDef; d; d = d->next)
            if (xmlStrEqual(d->prefix, prefix))
                return d;
    return nullptr;
}

bool needsEscaping(const xmlChar* href)
{
    for (const xmlChar* c = href; c && *c; ++c)
        if (*c == '&' || *c == '<' || *c == '"' || *c == '\t' || *c == '\n' || *c == '\r')
            return true;
    return false;
}

std::string escaped(const xmlChar* href)
{
    std::string out;
    for (const xmlChar* c = href; *c; ++c) {
        switch (*c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '"':
            out += "&quot;";
            break;
        // Kept as references, or reading the text back would turn them into spaces.
        case '\t':
            out += "&#9;";
            break;
        case '\n':
            out += "&#10;";
            break;
        case '\r':
            out += "&#13;";
            break;
        default:
            out += static_cast<char>(*c);
        }
    }
    return out;
}

} // namespace

xmlNsPtr attributeDeclaration(xmlNodePtr element, const xmlChar* href, const xmlChar* prefix)
{
    if (!element || !href)
        return nullptr;
    if (xmlStrEqual(href, XML_XML_NAMESPACE))
        return element->doc ? xmlSearchNs(element->doc, element, xmlPrefix()) : nullptr;
    xmlNsPtr reusable = nullptr;
    for (xmlNodePtr e = element; e && e->type == XML_ELEMENT_NODE; e = e->parent) {
        for (xmlNsPtr d = e->nsDef; d; d = d->next) {
            if (!d->prefix || !xmlStrEqual(d->href, href) || inScope(element, d->prefix) != d)
                continue;
            if (xmlStrEqual(d->prefix, prefix))
                return d;
            if (!reusable)
                reusable = d;
        }
    }
    if (reusable)
        return reusable;
    std::string chosen;
    if (prefix && !inScope(element, prefix) && !xmlStrEqual(prefix, xmlPrefix()) &&
        !xmlStrEqual(prefix, reinterpret_cast<const xmlChar*>("xmlns"))) {
        chosen = reinterpret_cast<const char*>(prefix);
    } else {
        for (int i = 1;; ++i) {
            chosen = "ns" + std::to_string(i);
            if (!inScope(element, chars(chosen)))
                break;
        }
    }
    return xmlNewNs(element, href, chars(chosen));
}

void declareAttributeNamespace(xmlNodePtr element, xmlAttrPtr attr)
{
    auto record = DDXMLRecord::forPrimitive(attr);
    xmlNsPtr own = attr->ns;
    if (!own || own != record->attributeNamespace())
        return;
    xmlNsPtr declared = attributeDeclaration(element, own->href, own->prefix);
    if (!declared && own->prefix) {
        // No declaration to be had (the XML namespace without a document): the prefix stays in the name,
        // which prints the same.
        std::string qualified = std::string(reinterpret_cast<const char*>(own->prefix)) + ":" +
                                reinterpret_cast<const char*>(attr->name);
        xmlNodeSetName(reinterpret_cast<xmlNodePtr>(attr), chars(qualified));
    }
    attr->ns = declared;
    record->adoptAttributeNamespace(nullptr);
}

void removeCollidingAttributes(xmlNodePtr element, xmlAttrPtr attr)
{
    const xmlChar* href = attr->ns ? attr->ns->href : nullptr;
    for (xmlAttrPtr other = element->properties; other;) {
        xmlAttrPtr next = other->next;
        const xmlChar* otherHref = other->ns ? other->ns->href : nullptr;
        if (other != attr && xmlStrEqual(other->name, attr->name) && (!href == !otherHref) &&
            (!href || xmlStrEqual(href, otherHref)))
            DDXMLNode::removeAttribute(other, element);
        other = next;
    }
}

void decodeParsedNamespaceURIs(xmlDocPtr doc)
{
    static constexpr std::string_view reference = "&#38;";
    for (xmlNodePtr top = doc ? doc->children : nullptr; top; top = top->next) {
        walk(top, [](xmlNodePtr node) {
            if (node->type != XML_ELEMENT_NODE)
                return;
            for (xmlNsPtr d = node->nsDef; d; d = d->next) {
                if (!d->href)
                    continue;
                std::string href(reinterpret_cast<const char*>(d->href));
                if (href.find(reference) == std::string::npos)
                    continue;
                std::string decoded;
                for (std::size_t i = 0; i < href.size();) {
                    if (href.compare(i, reference.size(), reference) == 0) {
                        decoded += '&';
                        i += reference.size();
                    } else {
                        decoded += href[i++];
                    }
                }
                xmlChar* copy = xmlStrdup(chars(decoded));
                if (!copy)
                    continue;
                xmlFree(const_cast<xmlChar*>(d->href));
                d->href = copy;
            }
        });
    }
}

EscapedNamespaceURIs::EscapedNamespaceURIs(void* primitive)
{
    if (!primitive)
        return;
    auto* ns = static_cast<xmlNsPtr>(primitive);
    if (ns->type == XML_NAMESPACE_DECL) {
        escape(ns);
        return;
    }
    auto* node = static_cast<xmlNodePtr>(primitive);
    if (node->type == XML_ATTRIBUTE_NODE)
        return; // an attribute prints no declarations
    auto visit = [this](xmlNodePtr n) {
        if (n->type == XML_ELEMENT_NODE)
            for (xmlNsPtr d = n->nsDef; d; d = d->next)
                escape(d);
    };
    if (node->type == XML_DOCUMENT_NODE || node->type == XML_HTML_DOCUMENT_NODE) {
        for (xmlNodePtr top = node->children; top; top = top->next)
            walk(top, visit);
        return;
    }
    walk(node, visit);
}

void EscapedNamespaceURIs::escape(xmlNsPtr ns)
{
    if (!needsEscaping(ns->href))
        return;
    xmlChar* copy = xmlStrdup(chars(escaped(ns->href)));
    if (!copy)
        return;
    m_swapped.emplace_back(ns, ns->href);
    ns->href = copy;
}

EscapedNamespaceURIs::~EscapedNamespaceURIs()
{
    for (auto& [ns, own] : m_swapped) {
        xmlFree(const_cast<xmlChar*>(ns->href));
        ns->href = own;
    }
}

} // namespace ddxml
