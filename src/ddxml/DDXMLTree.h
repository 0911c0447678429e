#pragma once

#include <libxml/tree.h>

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// Internal helpers of the document model over libxml2's records.
namespace ddxml {

inline std::optional<std::string> text(const xmlChar* value)
{
    if (!value)
        return std::nullopt;
    return std::string(reinterpret_cast<const char*>(value));
}

inline const xmlChar* chars(const std::string& value)
{
    return reinterpret_cast<const xmlChar*>(value.c_str());
}

// A namespace record not linked anywhere. Unlike xmlNewNs it also makes one for the reserved "xml"
// prefix, which the model needs to redeclare that namespace on a detached subtree.
xmlNsPtr newNamespace(const xmlChar* href, const xmlChar* prefix);

// Visits the node and every descendant in document order, without recursion (trees can be deep) and
// without entering entity references (their children are the entity's declaration, elsewhere).
void walk(xmlNodePtr root, const std::function<void(xmlNodePtr)>& visit);

// The declaration of a prefix visible above the node (its ancestors only), or nothing.
xmlNsPtr resolveAbove(xmlNodePtr node, const xmlChar* prefix);

// Every reference to `from` in the subtree of `root` (elements and attributes, `root` included) now
// refers to `to`.
void repointNamespace(xmlNodePtr root, xmlNsPtr from, xmlNsPtr to);

// Makes a subtree just unlinked from its tree self-contained: namespaces declared outside it are declared
// again on its root, names from the old document's dictionary are copied, document pointers are cleared.
void makeSelfContained(xmlNodePtr root, xmlDocPtr oldDoc);

// An unprefixed attribute is in no namespace, so one in a namespace needs a prefix declared for it: the
// declaration that an attribute of the element with this URI uses. A visible one with a prefix is
// reused (the given prefix first); else one is declared on the element, under the given prefix when it is
// free there, or under the first free "nsN". The XML namespace is the document's own; without a document
// it has no declaration, and nothing is answered. Nothing, too, when libxml2 cannot make the record.
xmlNsPtr attributeDeclaration(xmlNodePtr element, const xmlChar* href, const xmlChar* prefix);

// Gives an attribute that has its own namespace record (detached, or made with a URI) a declaration on the
// element it joins, and frees its own record.
void declareAttributeNamespace(xmlNodePtr element, xmlAttrPtr attr);

// Removes and frees the element's other attributes of the same local name and namespace URI as `attr`:
// an element has only one attribute of each name.
void removeCollidingAttributes(xmlNodePtr element, xmlAttrPtr attr);

// libxml2's parser keeps an ampersand in a namespace URI as "&#38;"; the model holds URIs as they are.
void decodeParsedNamespaceURIs(xmlDocPtr doc);

// Namespace URIs are held as they are, but libxml2 writes declarations unescaped: while it lives, the
// declarations printed with a node carry escaped URIs.
class EscapedNamespaceURIs
{
public:
    // `primitive` is the node to print (of any kind).
    explicit EscapedNamespaceURIs(void* primitive);
    ~EscapedNamespaceURIs();
    EscapedNamespaceURIs(const EscapedNamespaceURIs&) = delete;
    EscapedNamespaceURIs& operator=(const EscapedNamespaceURIs&) = delete;

private:
    void escape(xmlNsPtr ns);

    std::vector<std::pair<xmlNsPtr, const xmlChar*>> m_swapped; // the record and its own URI
};

} // namespace ddxml
