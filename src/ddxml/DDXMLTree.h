#pragma once

#include <libxml/tree.h>

#include <functional>
#include <optional>
#include <string>

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

} // namespace ddxml
