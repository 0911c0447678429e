#include "ddxml/DDXMLRecord.h"

#include "ddxml/DDXMLCapturedError.h"

#include <libxml/globals.h>
#include <libxml/parser.h>
#include <libxml/xmlerror.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace {

void** privateSlot(void* primitive)
{
    auto* ns = static_cast<xmlNsPtr>(primitive);
    if (ns->type == XML_NAMESPACE_DECL)
        return &ns->_private;
    return &static_cast<xmlNodePtr>(primitive)->_private;
}

} // namespace

std::shared_ptr<DDXMLRecord> DDXMLRecord::forPrimitive(void* primitive)
{
    if (!primitive)
        return nullptr;
    setUpThread();
    void** slot = privateSlot(primitive);
    if (*slot) {
        auto* record = static_cast<DDXMLRecord*>(*slot);
        if (record->m_primitive == primitive && record->m_keepAlive)
            return record->m_keepAlive;
    }
    int kind = static_cast<xmlNsPtr>(primitive)->type;
    auto record = std::make_shared<DDXMLRecord>(primitive, kind);
    record->m_keepAlive = record;
    *slot = record.get();
    return record;
}

void DDXMLRecord::clear()
{
    if (!m_primitive)
        return;
    void** slot = privateSlot(m_primitive);
    if (*slot == this)
        *slot = nullptr;
    m_primitive = nullptr;
    adoptAttributeNamespace(nullptr);
    // The block may go with its last reference; the caller's frame keeps it until it returns.
    auto keep = std::move(m_keepAlive);
}

void DDXMLRecord::adoptAttributeNamespace(xmlNsPtr ns)
{
    if (m_attributeNs == ns)
        return;
    if (m_attributeNs) {
        invalidate(m_attributeNs);
        xmlFreeNs(m_attributeNs);
    }
    m_attributeNs = ns;
}

void DDXMLRecord::invalidate(void* primitive)
{
    if (!primitive)
        return;
    void* slot = *privateSlot(primitive);
    if (!slot)
        return;
    auto* record = static_cast<DDXMLRecord*>(slot);
    if (record->m_primitive == primitive) {
        auto keep = record->m_keepAlive;
        record->clear();
    }
}

bool DDXMLRecord::isHeld(void* primitive)
{
    if (!primitive)
        return false;
    auto* record = static_cast<DDXMLRecord*>(*privateSlot(primitive));
    return record && record->m_primitive == primitive && record->m_handles > 0;
}

void DDXMLRecord::invalidateNamespaces(xmlNsPtr first)
{
    for (xmlNsPtr ns = first; ns; ns = ns->next)
        invalidate(ns);
}

void DDXMLRecord::deregistered(xmlNodePtr node)
{
    if (!node)
        return;
    // Records freed together with this one but without a callback of their own.
    switch (node->type) {
    case XML_ELEMENT_NODE:
        invalidateNamespaces(node->nsDef);
        break;
    case XML_DOCUMENT_NODE:
    case XML_HTML_DOCUMENT_NODE:
        invalidateNamespaces(reinterpret_cast<xmlDocPtr>(node)->oldNs);
        break;
    case XML_DTD_NODE:
        // Declarations live in the DTD's hash tables and are freed from there.
        for (xmlNodePtr child = node->children; child; child = child->next)
            invalidate(child);
        break;
    default:
        break;
    }
    invalidate(node);
}

void DDXMLRecord::setUpThread()
{
    thread_local bool ready = false;
    if (ready)
        return;
    ready = true;
    static std::once_flag once;
    std::call_once(once, [] {
        xmlInitParser();
        xmlThrDefDeregisterNodeDefault(&DDXMLRecord::deregistered);
    });
    initGenericErrorDefaultFunc(nullptr);
    xmlSetStructuredErrorFunc(nullptr, &DDXMLStructuredErrorHandler);
    xmlDeregisterNodeDefault(&DDXMLRecord::deregistered);
}

void DDXMLRecord::release() noexcept
{
    if (--m_handles > 0 || !m_owned || !m_primitive)
        return;
    setUpThread();
    void* primitive = m_primitive;
    if (m_kind == XML_NAMESPACE_DECL)
        clear();
    DDXMLFreePrimitive(primitive, m_kind);
}

void DDXMLFreePrimitive(void* primitive, int kind) noexcept
{
    switch (kind) {
    case XML_ELEMENT_NODE:
    case XML_TEXT_NODE:
    case XML_CDATA_SECTION_NODE:
    case XML_PI_NODE:
    case XML_COMMENT_NODE: {
        auto node = static_cast<xmlNodePtr>(primitive);
        xmlUnlinkNode(node);
        xmlFreeNode(node);
        return;
    }
    case XML_ATTRIBUTE_NODE: {
        auto attr = static_cast<xmlAttrPtr>(primitive);
        xmlUnlinkNode(reinterpret_cast<xmlNodePtr>(attr));
        xmlFreeProp(attr);
        return;
    }
    case XML_DOCUMENT_NODE:
        xmlFreeDoc(static_cast<xmlDocPtr>(primitive));
        return;
    case XML_DTD_NODE: {
        auto dtd = static_cast<xmlDtdPtr>(primitive);
        xmlUnlinkNode(reinterpret_cast<xmlNodePtr>(dtd));
        xmlFreeDtd(dtd);
        return;
    }
    case XML_NAMESPACE_DECL:
        xmlFreeNs(static_cast<xmlNsPtr>(primitive));
        return;
    default:
        std::fprintf(stderr, "DDXMLNode: Cannot free unknown node type: %i\n", kind);
        std::abort();
    }
}
