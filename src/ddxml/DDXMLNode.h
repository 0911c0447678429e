#pragma once

#include "foundation/Array.h"
#include "foundation/Error.h"
#include "foundation/Object.h"

#include <libxml/tree.h>

#include <cstddef>
#include <memory>
#include <optional>
#include <string>

class DDXMLAttributeNode;
class DDXMLDocument;
class DDXMLElement;
class DDXMLNamespaceNode;
class DDXMLRecord;

inline constexpr const char* DDXMLErrorDomain = "DDXMLErrorDomain";

// Node kinds: libxml2's type numbers.
enum DDXMLNodeKind : int {
    DDXMLInvalidKind = 0,
    DDXMLElementKind = XML_ELEMENT_NODE,
    DDXMLAttributeKind = XML_ATTRIBUTE_NODE,
    DDXMLTextKind = XML_TEXT_NODE,
    DDXMLCDataKind = XML_CDATA_SECTION_NODE,
    DDXMLProcessingInstructionKind = XML_PI_NODE,
    DDXMLCommentKind = XML_COMMENT_NODE,
    DDXMLDocumentKind = XML_DOCUMENT_NODE,
    DDXMLDTDKind = XML_DTD_NODE,
    DDXMLNamespaceKind = XML_NAMESPACE_DECL,
};

// Output options (a bit set).
inline constexpr unsigned DDXMLNodeCompactEmptyElement = 4;
inline constexpr unsigned DDXMLNodePrettyPrint = 0x20000;

// A handle on one libxml2 record. The tree lives in libxml2's structures; handles are made on demand by
// every navigation call and several may exist for one record (they are different objects). A record in a
// tree belongs to the tree; one made by a factory, a copy or a detach belongs to its handles and is freed
// with the last of them. A handle whose record has been freed raises the internal-inconsistency exception
// instead of touching freed memory. Handles are not copyable: `copy()` makes a deep copy of the record.
class DDXMLNode : public ns::Object
{
public:
    // Use the factories; public only so that shared ownership can make the object.
    DDXMLNode(std::shared_ptr<DDXMLRecord> record, bool freeOnDealloc);
    ~DDXMLNode() override;
    DDXMLNode(const DDXMLNode&) = delete;
    DDXMLNode& operator=(const DDXMLNode&) = delete;

    // libxml2's set-up for the calling thread (also done on first use of any handle).
    static void initialize();

    // Wrapping: a handle of the class for the record's kind; nothing for nothing.
    static ns::Ref<DDXMLNode> nodeWithUnknownPrimitive(void* primitive, bool freeOnDealloc);
    // A plain DDXMLNode on the record.
    static ns::Ref<DDXMLNode> nodeWithPrimitive(void* primitive, bool freeOnDealloc);
    static ns::Ref<DDXMLNode> initWithPrimitive(void* primitive, bool freeOnDealloc);

    // Factories: new records owned by the returned handle, or nothing when libxml2 cannot make them.
    static ns::Ref<DDXMLElement> elementWithName(const std::string& name);
    static ns::Ref<DDXMLElement> elementWithName(const std::string& name, const std::string& stringValue);
    static ns::Ref<DDXMLElement> elementWithNameURI(const std::string& name,
                                                    const std::optional<std::string>& uri);
    static ns::Ref<DDXMLElement> elementWithName(const std::string& name, const ns::Ref<ns::Array>& children,
                                                 const ns::Ref<ns::Array>& attributes);
    static ns::Ref<DDXMLAttributeNode> attributeWithName(const std::string& name,
                                                         const std::string& stringValue);
    static ns::Ref<DDXMLAttributeNode> attributeWithName(const std::string& name,
                                                         const std::optional<std::string>& uri,
                                                         const std::string& stringValue);
    // An empty prefix declares the default namespace.
    static ns::Ref<DDXMLNamespaceNode> namespaceWithName(const std::string& prefix, const std::string& uri);
    static ns::Ref<DDXMLNode> processingInstructionWithName(const std::string& name,
                                                            const std::string& value);
    static ns::Ref<DDXMLNode> commentWithStringValue(const std::string& value);
    static ns::Ref<DDXMLNode> textWithStringValue(const std::string& value);

    // Names: the part after the first ":" (nothing for nothing), and the part before it ("" without one).
    static std::optional<std::string> localNameForName(const std::optional<std::string>& name);
    static std::string prefixForName(const std::optional<std::string>& name);

    // The calling thread's last libxml2 error as an error in "DDXMLErrorDomain" with libxml2's code and
    // its trimmed message; nothing when there has been none.
    static ns::Ref<ns::Error> lastError();
    // Where in its input the last error was found: line and column, both from 1; nothing when the error
    // (or the parser) gave no place.
    struct ErrorPosition
    {
        int line;
        int column;
    };
    static std::optional<ErrorPosition> lastErrorPosition();

    // The record's libxml2 type number; 0 for a handle without a record.
    int kind() const;
    // Whether the record is still alive (a handle without a record counts as alive).
    bool isValid() const;
    // Whether the handles own the record (a root outside any tree).
    bool freeOnDealloc() const;
    // The wrapped record; raises when it has been freed.
    void* genericPtr() const;

    virtual std::optional<std::string> name() const;
    virtual void setName(const std::string& name);
    // For elements the concatenated text of the descendants; nothing for kinds without text.
    virtual std::optional<std::string> stringValue() const;
    // Replaces the children by the text, stored once: it reads back unchanged.
    virtual void setStringValue(const std::string& value);

    virtual std::size_t index() const;
    virtual std::size_t level() const;
    virtual ns::Ref<DDXMLDocument> rootDocument() const;
    virtual ns::Ref<DDXMLNode> parent() const;
    virtual std::size_t childCount() const;
    // Handles of the children in document order; nothing for kinds that have no children.
    virtual ns::Ref<ns::Array> children() const;
    virtual ns::Ref<DDXMLNode> childAtIndex(std::size_t index) const;
    virtual ns::Ref<DDXMLNode> previousSibling() const;
    virtual ns::Ref<DDXMLNode> nextSibling() const;
    // Document order.
    virtual ns::Ref<DDXMLNode> previousNode() const;
    virtual ns::Ref<DDXMLNode> nextNode() const;
    // Takes the record out of its tree: it then belongs to this handle and refers to nothing outside its
    // own subtree (namespaces it uses are declared again on it).
    virtual void detach();
    virtual bool hasParent() const;

    virtual std::optional<std::string> localName() const;
    virtual std::string prefix() const;
    virtual std::optional<std::string> URI() const;
    virtual void setURI(const std::optional<std::string>& uri);

    // The node's path, such as /root[1]/entry[3]/@x.
    std::string XPath() const;
    // The nodes an XPath expression selects (namespace prefixes of the root element are registered); an
    // empty array for a result that is not a node set; nothing and an error when it does not evaluate.
    ns::Ref<ns::Array> nodesForXPath(const std::string& xpath, ns::Ref<ns::Error>* error) const;

    // A deep copy that owns its record, of the handle class for the kind; nothing when it cannot be made.
    ns::Ref<DDXMLNode> copyNode() const;
    ns::Id copy() const override { return copyNode(); }

    std::string XMLString() const { return XMLStringWithOptions(0); }
    std::string XMLStringWithOptions(unsigned options) const;

    std::string className() const override { return "DDXMLNode"; }
    std::string description() const override { return XMLString(); }

    // Tree surgery on libxml2 records, keeping their links consistent.
    static void stripDocPointersFromAttr(xmlAttrPtr attr);
    static void recursiveStripDocPointersFromNode(xmlNodePtr node);
    static void detachAttribute(xmlAttrPtr attr, xmlNodePtr node, bool nullifyPointers = true);
    static void removeAttribute(xmlAttrPtr attr, xmlNodePtr node);
    static void removeAllAttributesFromNode(xmlNodePtr node);
    // Unlinks a declaration; references to it in the subtree are first repointed to what its prefix
    // resolves to above the node (or to nothing).
    static void detachNamespace(xmlNsPtr ns, xmlNodePtr node);
    static void removeNamespace(xmlNsPtr ns, xmlNodePtr node);
    static void removeAllNamespacesFromNode(xmlNodePtr node);
    static void detachChild(xmlNodePtr child, xmlNodePtr node, bool nullifyPointers = true);
    static void removeChild(xmlNodePtr child, xmlNodePtr node);
    static void removeAllChildrenFromNode(xmlNodePtr node);

    // Whether a type number is one that may sit in an element's child list, or one whose children list.
    static bool isChildKind(int kind);
    static bool isParentKind(int kind);

protected:
    // The step a subclass adds to its path, and the node where the walk up continues.
    virtual xmlNodePtr XPathPreProcess(std::string& path) const;

    // The record, typed; each raises when it has been freed.
    xmlNodePtr nodePtr() const { return static_cast<xmlNodePtr>(genericPtr()); }
    const std::shared_ptr<DDXMLRecord>& record() const { return m_record; }
    // Points the handle at another record (after libxml2 merged a text node into its neighbour).
    void retarget(void* primitive);
    // Hands the record to the tree, or back to the handles.
    void setOwned(bool owned) const;

    friend class DDXMLElement;
    friend class DDXMLDocument;
    friend class DDXMLNamespaceNode;
    friend class DDXMLAttributeNode;

private:
    std::shared_ptr<DDXMLRecord> m_record;
};
