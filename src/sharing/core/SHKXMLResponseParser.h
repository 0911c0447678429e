#pragma once

#include "foundation/Data.h"
#include "foundation/XMLParser.h"

#include <atomic>
#include <optional>
#include <string>

namespace ns {
class Dictionary;
class MutableDictionary;
} // namespace ns

// Reads a web service's XML reply into one flat dictionary from element names to their texts (or, for an
// element that ended without text, its attributes), and finds the value of an element of a given name
// anywhere in a reply. Nesting is lost and a later element of a name replaces an earlier one.
class SHKXMLResponseParser : public ns::Object, public ns::XMLParserDelegate
{
public:
    static ns::Ref<SHKXMLResponseParser> create(ns::Ref<ns::Data> data);

    // Reads the reply; the result is kept in xmlParsedSuccessfully.
    void parse();

    // The value of the element in the reply, or nothing when the reply is absent or not well-formed XML.
    static ns::Id getValueForElement(const std::string& element, const ns::Ref<ns::Data>& response);
    // The value of the first entry whose key is the key, searching the entries in order and each
    // dictionary value where it stands; nothing when none matches.
    static ns::Id findRecursivelyValueForKey(const std::string& key,
                                             const ns::Ref<ns::Dictionary>& dictionary);

    ns::Ref<ns::MutableDictionary> parsedResponse() const { return m_parsedResponse; }
    void setParsedResponse(ns::Ref<ns::MutableDictionary> value) { m_parsedResponse = std::move(value); }
    const std::optional<std::string>& currentElementValue() const { return m_currentElementValue; }
    void setCurrentElementValue(std::optional<std::string> value)
    {
        m_currentElementValue = std::move(value);
    }
    ns::Ref<ns::Data> data() const { return m_data; }
    void setData(ns::Ref<ns::Data> data) { m_data = std::move(data); }
    bool xmlParsedSuccessfully() const { return m_xmlParsedSuccessfully.load(); }
    void setXmlParsedSuccessfully(bool value) { m_xmlParsedSuccessfully = value; }

    void parserDidStartElement(ns::XMLParser&, const std::string& elementName,
                               const std::optional<std::string>& namespaceURI,
                               const std::optional<std::string>& qualifiedName,
                               const ns::Ref<ns::Dictionary>& attributes) override;
    void parserDidEndElement(ns::XMLParser&, const std::string& elementName,
                             const std::optional<std::string>& namespaceURI,
                             const std::optional<std::string>& qualifiedName) override;
    void parserFoundCharacters(ns::XMLParser&, const std::string& characters) override;

    std::string className() const override { return "SHKXMLResponseParser"; }

protected:
    explicit SHKXMLResponseParser(ns::Ref<ns::Data> data);
    friend ns::Factory<SHKXMLResponseParser>;

private:
    ns::Ref<ns::MutableDictionary> m_parsedResponse;
    std::optional<std::string> m_currentElementValue;
    ns::Ref<ns::Data> m_data;
    std::atomic<bool> m_xmlParsedSuccessfully{false};
};
