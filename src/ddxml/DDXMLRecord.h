#pragma once

#include <libxml/tree.h>

#include <memory>

// The control block shared by every handle of one libxml2 record. The record points back at it through
// its `_private` field, and libxml2's deregister callback clears it when the record is freed, so a handle
// whose record is gone can tell instead of reading freed memory. Namespace records have no such callback:
// they are cleared when their element or document goes, and by the model when it frees one itself.
class DDXMLRecord
{
public:
    // The block of a record, made and attached on first use; nothing for nothing.
    static std::shared_ptr<DDXMLRecord> forPrimitive(void* primitive);
    // Clears the block of a record that is about to be freed (a namespace, a list of them).
    static void invalidate(void* primitive);
    static void invalidateNamespaces(xmlNsPtr first);
    // Whether some handle still refers to the record.
    static bool isHeld(void* primitive);

    // libxml2's settings are per thread in this build: every thread that touches the model installs the
    // deregister callback, the structured error handler and the generic error default once.
    static void setUpThread();

    // Null once libxml2 has freed the record.
    void* primitive() const { return m_primitive; }
    // The libxml2 type number, read once when the block was made.
    int kind() const { return m_kind; }
    // Whether the record is a root outside any tree that its handles own: the last handle frees it.
    bool owned() const { return m_owned; }
    void setOwned(bool owned) { m_owned = owned; }

    // A namespace record that an attribute uses without any element declaring it; it is freed with the
    // attribute (libxml2 never frees an attribute's namespace).
    void adoptAttributeNamespace(xmlNsPtr ns);
    xmlNsPtr attributeNamespace() const { return m_attributeNs; }

    void retain() { ++m_handles; }
    // Drops one handle; frees the record when it was the last handle of an owned record.
    void release() noexcept;

    explicit DDXMLRecord(void* primitive, int kind) : m_primitive(primitive), m_kind(kind) {}

private:
    static void deregistered(xmlNodePtr node);
    void clear();

    void* m_primitive;
    int m_kind;
    bool m_owned = false;
    int m_handles = 0;
    xmlNsPtr m_attributeNs = nullptr;
    // Keeps the block alive as long as the record lives, so that `_private` never dangles.
    std::shared_ptr<DDXMLRecord> m_keepAlive;
};

// Frees a record by its libxml2 type (a child-kind node with its subtree, an attribute, a document, a DTD,
// a namespace). Unknown kinds are a programming error and abort: this runs inside destructors.
void DDXMLFreePrimitive(void* primitive, int kind) noexcept;
