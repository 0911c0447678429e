#pragma once

#include "ddxml/DDXMLNode.h"

// A namespace declaration: a prefix (empty for the default namespace) and a URI, declared by its parent
// element, or free when it has none.
class DDXMLNamespaceNode : public DDXMLNode
{
public:
    DDXMLNamespaceNode(std::shared_ptr<DDXMLRecord> record, xmlNodePtr nsParent, bool freeOnDealloc);

    static ns::Ref<DDXMLNamespaceNode> nodeWithNsPrimitive(xmlNsPtr ns, xmlNodePtr nsParent,
                                                           bool freeOnDealloc);
    static ns::Ref<DDXMLNamespaceNode> initWithNsPrimitive(xmlNsPtr ns, xmlNodePtr nsParent,
                                                           bool freeOnDealloc);
    [[noreturn]] static ns::Ref<DDXMLNode> nodeWithPrimitive(void* primitive, bool freeOnDealloc);
    [[noreturn]] static ns::Ref<DDXMLNode> initWithPrimitive(void* primitive, bool freeOnDealloc);

    // The declaring element, while it still declares this namespace.
    xmlNodePtr nsParentPtr() const;
    void setNsParentPtr(xmlNodePtr parent);

    std::optional<std::string> name() const override;
    void setName(const std::string& name) override;
    std::optional<std::string> localName() const override { return name(); }
    std::string prefix() const override { return ""; }
    std::optional<std::string> stringValue() const override;
    void setStringValue(const std::string& value) override;

    std::size_t index() const override;
    std::size_t level() const override;
    ns::Ref<DDXMLDocument> rootDocument() const override;
    ns::Ref<DDXMLNode> parent() const override;
    bool hasParent() const override { return nsParentPtr() != nullptr; }
    std::size_t childCount() const override { return 0; }
    ns::Ref<ns::Array> children() const override { return nullptr; }
    ns::Ref<DDXMLNode> childAtIndex(std::size_t) const override { return nullptr; }
    ns::Ref<DDXMLNode> previousSibling() const override { return nullptr; }
    ns::Ref<DDXMLNode> nextSibling() const override { return nullptr; }
    ns::Ref<DDXMLNode> previousNode() const override { return nullptr; }
    ns::Ref<DDXMLNode> nextNode() const override { return nullptr; }
    std::optional<std::string> URI() const override { return std::nullopt; }
    void setURI(const std::optional<std::string>&) override {}
    void detach() override;

    std::string className() const override { return "DDXMLNamespaceNode"; }

protected:
    xmlNodePtr XPathPreProcess(std::string& path) const override;

private:
    xmlNsPtr nsPtr() const { return static_cast<xmlNsPtr>(genericPtr()); }

    // The block of the declaring element, so that a freed element is noticed.
    std::shared_ptr<DDXMLRecord> m_nsParent;
};
