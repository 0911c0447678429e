#include "sharing/core/SHKXMLResponseParser.h"

#include "foundation/Dictionary.h"
#include "foundation/String.h"
#include "foundation/Text.h"

namespace {

// Bounds the search through dictionaries that hold dictionaries; the parser's own are one level deep.
constexpr int MaximumSearchDepth = 256;

ns::Id findValue(const std::string& key, const ns::Dictionary& dictionary, int depth)
{
    ns::Id found;
    dictionary.enumerateKeysAndObjects([&](const ns::Id& entryKey, const ns::Id& value, bool& stop) {
        auto name = ns::cast<ns::String>(entryKey);
        if (name && name->str() == key) {
            found = value;
            stop = true;
            return;
        }
        if (auto inner = ns::cast<ns::Dictionary>(value); inner && depth < MaximumSearchDepth) {
            if (auto deeper = findValue(key, *inner, depth + 1)) {
                found = deeper;
                stop = true;
            }
        }
    });
    return found;
}

} // namespace

SHKXMLResponseParser::SHKXMLResponseParser(ns::Ref<ns::Data> data) : m_data(std::move(data))
{
}

ns::Ref<SHKXMLResponseParser> SHKXMLResponseParser::create(ns::Ref<ns::Data> data)
{
    return ns::Factory<SHKXMLResponseParser>::make(std::move(data));
}

void SHKXMLResponseParser::parse()
{
    auto parser = ns::XMLParser::make(m_data);
    parser->setDelegate(weakSelf<SHKXMLResponseParser>());
    m_xmlParsedSuccessfully = parser->parse();
}

ns::Id SHKXMLResponseParser::getValueForElement(const std::string& element, const ns::Ref<ns::Data>& response)
{
    auto reader = create(response);
    reader->parse();
    if (!reader->xmlParsedSuccessfully() || !reader->parsedResponse())
        return nullptr;
    return findRecursivelyValueForKey(element, reader->parsedResponse());
}

ns::Id SHKXMLResponseParser::findRecursivelyValueForKey(const std::string& key,
                                                        const ns::Ref<ns::Dictionary>& dictionary)
{
    return dictionary ? findValue(key, *dictionary, 0) : nullptr;
}

void SHKXMLResponseParser::parserDidStartElement(ns::XMLParser&, const std::string& elementName,
                                                 const std::optional<std::string>&,
                                                 const std::optional<std::string>&,
                                                 const ns::Ref<ns::Dictionary>& attributes)
{
    m_currentElementValue.reset();
    if (!m_parsedResponse)
        m_parsedResponse = ns::MutableDictionary::make();
    if (attributes)
        m_parsedResponse->setObject(attributes->copy(), elementName);
}

void SHKXMLResponseParser::parserDidEndElement(ns::XMLParser&, const std::string& elementName,
                                               const std::optional<std::string>&,
                                               const std::optional<std::string>&)
{
    // An error element keeps what its start stored (its attributes), whatever text it holds.
    if (elementName == "errors" || elementName == "error")
        return;
    // The text is not cleared here: an element with children gets what followed the start of its last
    // child.
    if (m_currentElementValue && m_parsedResponse)
        // Only the space character: line breaks and tabs around a value are part of it.
        m_parsedResponse->setObject(ns::String::make(ns::trimSpaces(*m_currentElementValue)), elementName);
}

void SHKXMLResponseParser::parserFoundCharacters(ns::XMLParser&, const std::string& characters)
{
    if (m_currentElementValue)
        m_currentElementValue->append(characters);
    else
        m_currentElementValue = characters;
}
