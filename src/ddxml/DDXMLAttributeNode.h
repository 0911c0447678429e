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
    // Takes the attribute off its element. A namespace prefix it used stays in its name, since the
    // declaration belongs to the element.
    void detach() override;
    std::optional<std::string> URI() const override;
    void setURI(const std::optional<std::string>& uri) override;

    std::string className() const override { return "DDXMLAttributeNode"; }

protected:
    xmlNodePtr XPathPreProcess(std::string& path) const override;

private:
    xmlAttrPtr attrPtr() const { return static_cast<xmlAttrPtr>(genericPtr()); }
};
