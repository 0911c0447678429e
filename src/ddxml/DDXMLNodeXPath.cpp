// XPath queries over the document of a node.
#include "ddxml/DDXMLNode.h"

#include "ddxml/DDXMLNamespaceNode.h"
#include "ddxml/DDXMLRecord.h"
#include "ddxml/DDXMLTree.h"
#include "foundation/CHandle.h"

#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>

#include <vector>

namespace {

// A document lent to a subtree that has none, for the length of one query. The subtree is taken back on
// every path before the document goes, so it is never freed with it.
class BorrowedDocument
{
public:
    explicit BorrowedDocument(xmlNodePtr node)
    {
        m_top = node;
        while (m_top->parent)
            m_top = m_top->parent;
        m_doc = xmlNewDoc(nullptr);
        if (m_doc)
            xmlDocSetRootElement(m_doc, m_top);
    }
    ~BorrowedDocument()
    {
        if (!m_doc)
            return;
        xmlUnlinkNode(m_top);
        DDXMLNode::recursiveStripDocPointersFromNode(m_top);
        xmlFreeDoc(m_doc);
    }
    BorrowedDocument(const BorrowedDocument&) = delete;
    BorrowedDocument& operator=(const BorrowedDocument&) = delete;

    xmlDocPtr doc() const { return m_doc; }

private:
    xmlNodePtr m_top = nullptr;
    xmlDocPtr m_doc = nullptr;
};

} // namespace

ns::Ref<ns::Array> DDXMLNode::nodesForXPath(const std::string& xpath, ns::Ref<ns::Error>* error) const
{
    void* primitive = genericPtr();
    int k = kind();
    xmlNodePtr node = static_cast<xmlNodePtr>(primitive);
    xmlDocPtr doc = nullptr;
    std::unique_ptr<BorrowedDocument> borrowed;
    if (isChildKind(k)) {
        doc = node->doc;
        if (!doc) {
            borrowed = std::make_unique<BorrowedDocument>(node);
            doc = borrowed->doc();
            if (!doc) {
                ns::setError(error, ns::Error::make(DDXMLErrorDomain, 1));
                return nullptr;
            }
        }
    } else if (k == XML_DOCUMENT_NODE) {
        doc = static_cast<xmlDocPtr>(primitive);
    } else {
        return nullptr;
    }

    ns::CHandle<xmlXPathContext, xmlXPathFreeContext> context(xmlXPathNewContext(doc));
    if (!context) {
        ns::setError(error, ns::Error::make(DDXMLErrorDomain, 1));
        return nullptr;
    }
    context->node = node;
    if (xmlNodePtr root = xmlDocGetRootElement(doc)) {
        for (xmlNsPtr ns = root->nsDef; ns; ns = ns->next)
            if (ns->prefix)
                xmlXPathRegisterNs(context.get(), ns->prefix, ns->href);
    }

    ns::CHandle<xmlXPathObject, xmlXPathFreeObject> result(
        xmlXPathEvalExpression(ddxml::chars(xpath), context.get()));
    if (!result) {
        auto failure = lastError();
        ns::setError(error, failure ? failure : ns::Error::make(DDXMLErrorDomain, 1));
        return nullptr;
    }
    std::vector<ns::Id> nodes;
    if (result->type == XPATH_NODESET && result->nodesetval) {
        xmlNodeSetPtr set = result->nodesetval;
        nodes.reserve(static_cast<std::size_t>(set->nodeNr));
        for (int i = 0; i < set->nodeNr; ++i) {
            xmlNodePtr found = set->nodeTab[i];
            if (!found)
                continue;
            if (found->type == XML_NAMESPACE_DECL) {
                // The result's namespace nodes are copies that go with it: hand out copies of our own.
                auto* ns = reinterpret_cast<xmlNsPtr>(found);
                xmlNsPtr copy = ddxml::newNamespace(ns->href, ns->prefix);
                if (copy)
                    nodes.push_back(DDXMLNamespaceNode::nodeWithNsPrimitive(copy, nullptr, true));
                continue;
            }
            // The lent document does not exist for the caller.
            if (borrowed && found == reinterpret_cast<xmlNodePtr>(borrowed->doc()))
                continue;
            nodes.push_back(nodeWithUnknownPrimitive(found, false));
        }
    }
    ns::setError(error, nullptr);
    return ns::Array::make(std::move(nodes));
}
