#pragma once

#include "ddxml/DDXMLNode.h"

// An attribute; its value is held as a text child of the record.
class DDXMLAttributeNode : public DDXMLNode
{
public:
    using DDXMLNode::DDXMLNode;

    static ns::Ref<DDXMLAttributeNode> nodeWithAttrPrimitive(xmlAttrPtr attr, bool freeOnDealloc);
    static ns::Ref<DDXMLAttributeNode> initWithAttrPrimitive(xmlAttrPtr attr, bool freeOnDealloc);
    [[noreturn]] static ns::Ref<DDXMLNode> nodeWithPrimitive(void* primitive, bool freeOnDealloc);
    [[noreturn]] static ns::Ref<DDXMLNode> initWithPrimitive(void* primitive, bool freeOnDealloc);

    std::optional<std::string> stringValue() const override;
    void setStringValue(const std::string& value) override;
    ns::Ref<DDXMLNode> previousNode() const override { return nullptr; }
    ns::Ref<DDXMLNode> nextNode() const override { return nullptr; }
    // Takes the attribute off its element. The declaration belongs to the element, so the attribute keeps
    // a namespace record of its own with the same prefix and URI, declared again where it is added.
    void detach() override;
    std::optional<std::string> URI() const override;
    // In an element, a URI comes with a prefix declared for it (an unprefixed attribute is in no
    // namespace), and another attribute that then has the same name and URI is replaced. Out of one, the
    // attribute gets a namespace record of its own without a prefix.
    void setURI(const std::optional<std::string>& uri) override;

    std::string className() const override { return "DDXMLAttributeNode"; }

protected:
    xmlNodePtr XPathPreProcess(std::string& path) const override;

private:
    xmlAttrPtr attrPtr() const { return static_cast<xmlAttrPtr>(genericPtr()); }
};
