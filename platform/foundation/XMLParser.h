#pragma once

#include "foundation/Data.h"
#include "foundation/Object.h"

#include <optional>
#include <string>

namespace ns {

class Dictionary;
class Error;
class XMLParser;

inline constexpr const char* XMLParserErrorDomain = "NSXMLParserErrorDomain";
// The parser's own codes; the others are the XML library's error numbers.
inline constexpr long XMLParserInternalError = 1;
inline constexpr long XMLParserEmptyDocumentError = 4;
inline constexpr long XMLParserDelegateAbortedParseError = 512;

// What a parser tells as it reads; every operation is optional.
class XMLParserDelegate
{
public:
    virtual ~XMLParserDelegate() = default;

    virtual void parserDidStartDocument(XMLParser&) {}
    virtual void parserDidEndDocument(XMLParser&) {}
    // Without namespace processing the name is the qualified name as written and the two optionals are
    // empty; with it, the local name, the namespace and the qualified name. Attributes map name to value.
    virtual void parserDidStartElement(XMLParser&, const std::string& /*elementName*/,
                                       const std::optional<std::string>& /*namespaceURI*/,
                                       const std::optional<std::string>& /*qualifiedName*/,
                                       const Ref<Dictionary>& /*attributes*/)
    {
    }
    virtual void parserDidEndElement(XMLParser&, const std::string& /*elementName*/,
                                     const std::optional<std::string>& /*namespaceURI*/,
                                     const std::optional<std::string>& /*qualifiedName*/)
    {
    }
    // Text arrives in pieces; a delegate that wants the whole text joins them.
    virtual void parserFoundCharacters(XMLParser&, const std::string& /*characters*/) {}
    virtual void parserFoundCDATA(XMLParser&, const Ref<Data>& /*block*/) {}
    virtual void parserParseErrorOccurred(XMLParser&, const Ref<Error>& /*error*/) {}
};

// An event-driven reader of one XML document. It never reaches the network or the file system and never
// expands entities other than the five predefined ones, so a hostile document can neither reach out nor
// multiply itself in memory.
class XMLParser : public Object
{
public:
    static Ref<XMLParser> make(Ref<Data> data) { return Factory<XMLParser>::make(std::move(data)); }

    Ref<XMLParserDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(Weak<XMLParserDelegate> delegate) { m_delegate = std::move(delegate); }
    void setShouldProcessNamespaces(bool value) { m_processNamespaces = value; }
    bool shouldProcessNamespaces() const { return m_processNamespaces; }

    // Reads the whole document, telling the delegate; false when it is not well formed or was aborted.
    bool parse();
    // From a delegate operation: stops after it returns and makes parse() fail.
    void abortParsing();
    Ref<Error> parserError() const { return m_error; }
    long lineNumber() const { return m_line; }
    long columnNumber() const { return m_column; }

    std::string className() const override { return "NSXMLParser"; }

protected:
    explicit XMLParser(Ref<Data> data);
    friend Factory<XMLParser>;

private:
    friend struct XMLParserCallbacks;
    void fail(long code, const std::string& message);
    bool stopped() const { return m_aborted || m_error; }

    Ref<Data> m_data;
    Weak<XMLParserDelegate> m_delegate;
    bool m_processNamespaces = false;
    bool m_aborted = false;
    Ref<Error> m_error;
    void* m_context = nullptr; // the library's parser context while parse() runs
    long m_line = 0;
    long m_column = 0;
};

} // namespace ns
