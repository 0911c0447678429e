#pragma once

#include "ddxml/DDXMLNode.h"

#include "foundation/Data.h"

#include <libxml/xmlIO.h>

// A document: owns its whole tree. Parsing never reaches the network, never loads external entities or
// DTDs, leaves entity references unexpanded and drops blank text between elements.
class DDXMLDocument : public DDXMLNode
{
public:
    using DDXMLNode::DDXMLNode;

    static ns::Ref<DDXMLDocument> nodeWithDocPrimitive(xmlDocPtr doc, bool freeOnDealloc);
    static ns::Ref<DDXMLDocument> initWithDocPrimitive(xmlDocPtr doc, bool freeOnDealloc);
    [[noreturn]] static ns::Ref<DDXMLNode> nodeWithPrimitive(void* primitive, bool freeOnDealloc);
    [[noreturn]] static ns::Ref<DDXMLNode> initWithPrimitive(void* primitive, bool freeOnDealloc);

    // Nothing and an error in "DDXMLErrorDomain": code 0 for empty input, 1 when it does not parse (the
    // parser's own message is then in `lastError()`). The options are not used.
    static ns::Ref<DDXMLDocument> initWithXMLString(const std::string& text, unsigned options,
                                                    ns::Ref<ns::Error>* error);
    static ns::Ref<DDXMLDocument> initWithData(const ns::Ref<ns::Data>& data, unsigned options,
                                               ns::Ref<ns::Error>* error);
    // libxml2's parser options, less those that would load or expand outside content.
    static ns::Ref<DDXMLDocument> initWithReadIO(xmlInputReadCallback read, xmlInputCloseCallback close,
                                                 void* context, unsigned options, ns::Ref<ns::Error>* error);
    // A document of version "1.0", with the element (when given) as its root.
    static ns::Ref<DDXMLDocument> initWithRootElement(const ns::Ref<DDXMLElement>& element);

    ns::Ref<DDXMLElement> rootElement() const;
    // The element must have no parent; the former root is freed (or handed to its handles, when some
    // are still held).
    void setRootElement(const ns::Ref<DDXMLNode>& element);
    std::optional<std::string> version() const;
    void setVersion(const std::optional<std::string>& version);
    bool isStandalone() const;
    // Whether the document declares a document type (internal or external).
    bool hasDocumentType() const;
    void setStandalone(bool standalone);
    ns::Ref<ns::Data> XMLData() const { return XMLDataWithOptions(0); }
    ns::Ref<ns::Data> XMLDataWithOptions(unsigned options) const;

    std::string className() const override { return "DDXMLDocument"; }

private:
    xmlDocPtr docPtr() const { return static_cast<xmlDocPtr>(genericPtr()); }
    static ns::Ref<DDXMLDocument> parseBytes(const char* bytes, std::size_t length,
                                             ns::Ref<ns::Error>* error);
};
