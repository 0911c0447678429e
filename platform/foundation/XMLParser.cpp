#include "foundation/XMLParser.h"

#include "foundation/CHandle.h"
#include "foundation/Dictionary.h"
#include "foundation/Error.h"
#include "foundation/String.h"
#include "foundation/Text.h"

#include <libxml/parser.h>
#include <libxml/parserInternals.h>

#include <climits>
#include <cstring>
#include <memory>

namespace ns {

namespace {

std::string text(const xmlChar* value)
{
    return value ? std::string(reinterpret_cast<const char*>(value)) : std::string();
}

std::string text(const xmlChar* begin, const xmlChar* end)
{
    if (!begin || !end || end < begin)
        return {};
    return std::string(reinterpret_cast<const char*>(begin), static_cast<std::size_t>(end - begin));
}

std::string qualified(const xmlChar* prefix, const xmlChar* localName)
{
    if (!prefix)
        return text(localName);
    return text(prefix) + ":" + text(localName);
}

// A push parser may have begun a document of its own; it goes with the parser.
void freeParserAndDocument(xmlParserCtxt* context)
{
    if (context->myDoc)
        xmlFreeDoc(context->myDoc);
    xmlFreeParserCtxt(context);
}

} // namespace

// The library's callbacks, turned into the delegate's operations.
struct XMLParserCallbacks
{
    // The callbacks' context is the parser itself, never the library's context: given that, the library
    // would fall back to its own entity table and expand declared entities.
    static XMLParser& parser(void* context) { return *static_cast<XMLParser*>(context); }

    static void note(XMLParser& self)
    {
        auto* ctxt = static_cast<xmlParserCtxt*>(self.m_context);
        if (ctxt && ctxt->input) {
            self.m_line = ctxt->input->line;
            self.m_column = ctxt->input->col;
        }
    }

    static void startDocument(void* context)
    {
        XMLParser& self = parser(context);
        if (auto delegate = self.delegate(); delegate && !self.stopped())
            delegate->parserDidStartDocument(self);
    }

    static void endDocument(void* context)
    {
        XMLParser& self = parser(context);
        if (auto delegate = self.delegate(); delegate && !self.stopped())
            delegate->parserDidEndDocument(self);
    }

    static void startElement(void* context, const xmlChar* localName, const xmlChar* prefix,
                             const xmlChar* uri, int namespaceCount, const xmlChar** namespaces,
                             int attributeCount, int, const xmlChar** attributes)
    {
        XMLParser& self = parser(context);
        if (self.stopped())
            return;
        note(self);
        auto delegate = self.delegate();
        if (!delegate)
            return;
        auto dictionary = MutableDictionary::make();
        if (!self.m_processNamespaces) {
            // Without namespace processing the declarations are attributes like any other.
            for (int i = 0; i < namespaceCount && namespaces; ++i) {
                const xmlChar* name = namespaces[2 * i];
                std::string key = name ? "xmlns:" + text(name) : std::string("xmlns");
                dictionary->setObject(String::make(text(namespaces[2 * i + 1])), key);
            }
        }
        for (int i = 0; i < attributeCount && attributes; ++i) {
            const xmlChar** attribute = attributes + 5 * i;
            std::string name = self.m_processNamespaces && !attribute[1]
                                   ? text(attribute[0])
                                   : qualified(attribute[1], attribute[0]);
            dictionary->setObject(String::make(text(attribute[3], attribute[4])), name);
        }
        if (self.m_processNamespaces) {
            std::optional<std::string> space;
            if (uri)
                space = text(uri);
            delegate->parserDidStartElement(self, text(localName), space, qualified(prefix, localName),
                                            dictionary);
        } else {
            delegate->parserDidStartElement(self, qualified(prefix, localName), std::nullopt, std::nullopt,
                                            dictionary);
        }
    }

    static void endElement(void* context, const xmlChar* localName, const xmlChar* prefix, const xmlChar* uri)
    {
        XMLParser& self = parser(context);
        if (self.stopped())
            return;
        note(self);
        auto delegate = self.delegate();
        if (!delegate)
            return;
        if (self.m_processNamespaces) {
            std::optional<std::string> space;
            if (uri)
                space = text(uri);
            delegate->parserDidEndElement(self, text(localName), space, qualified(prefix, localName));
        } else {
            delegate->parserDidEndElement(self, qualified(prefix, localName), std::nullopt, std::nullopt);
        }
    }

    static void characters(void* context, const xmlChar* value, int length)
    {
        XMLParser& self = parser(context);
        if (self.stopped() || length <= 0)
            return;
        if (auto delegate = self.delegate())
            delegate->parserFoundCharacters(
                self, std::string(reinterpret_cast<const char*>(value), static_cast<std::size_t>(length)));
    }

    static void cdata(void* context, const xmlChar* value, int length)
    {
        XMLParser& self = parser(context);
        if (self.stopped() || length < 0)
            return;
        if (auto delegate = self.delegate())
            delegate->parserFoundCDATA(self, Data::make(std::vector<uint8_t>(value, value + length)));
    }

    // Only the predefined entities exist: a declared one is neither looked up nor expanded.
    static xmlEntityPtr entity(void*, const xmlChar* name) { return xmlGetPredefinedEntity(name); }

    static xmlEntityPtr parameterEntity(void*, const xmlChar*) { return nullptr; }

    static xmlParserInputPtr resolve(void*, const xmlChar*, const xmlChar*) { return nullptr; }

    static void structuredError(void* context, xmlErrorPtr error)
    {
        if (!error || error->level < XML_ERR_ERROR)
            return;
        XMLParser& self = parser(context);
        if (self.m_error)
            return;
        self.m_line = error->line;
        self.m_column = error->int2;
        self.m_error =
            Error::withDescription(XMLParserErrorDomain, error->code,
                                   trimWhitespaceAndNewlines(error->message ? error->message : ""));
        // The first error ends the document: nothing after it reaches the delegate.
        if (self.m_context)
            xmlStopParser(static_cast<xmlParserCtxt*>(self.m_context));
    }
};

XMLParser::XMLParser(Ref<Data> data) : m_data(data ? std::move(data) : Data::make({}))
{
}

void XMLParser::abortParsing()
{
    if (m_aborted)
        return;
    m_aborted = true;
    if (m_context)
        xmlStopParser(static_cast<xmlParserCtxt*>(m_context));
    if (!m_error)
        m_error = Error::withDescription(XMLParserErrorDomain, XMLParserDelegateAbortedParseError,
                                         "The parse was aborted by its delegate.");
}

void XMLParser::fail(long code, const std::string& message)
{
    if (!m_error)
        m_error = Error::withDescription(XMLParserErrorDomain, code, message);
}

bool XMLParser::parse()
{
    m_aborted = false;
    m_error = nullptr;
    m_line = m_column = 0;

    xmlSAXHandler handler;
    std::memset(&handler, 0, sizeof handler);
    handler.initialized = XML_SAX2_MAGIC;
    handler.startDocument = &XMLParserCallbacks::startDocument;
    handler.endDocument = &XMLParserCallbacks::endDocument;
    handler.startElementNs = &XMLParserCallbacks::startElement;
    handler.endElementNs = &XMLParserCallbacks::endElement;
    handler.characters = &XMLParserCallbacks::characters;
    handler.cdataBlock = &XMLParserCallbacks::cdata;
    handler.getEntity = &XMLParserCallbacks::entity;
    handler.getParameterEntity = &XMLParserCallbacks::parameterEntity;
    handler.resolveEntity = &XMLParserCallbacks::resolve;
    handler.serror = &XMLParserCallbacks::structuredError;
    // No internal/external subset, entity or notation declaration handlers: declarations are read for
    // well-formedness and forgotten, and no external subset is ever loaded.

    CHandle<xmlParserCtxt, freeParserAndDocument> context(
        xmlCreatePushParserCtxt(&handler, this, nullptr, 0, nullptr));
    if (!context) {
        fail(XMLParserInternalError, "The parser could not be created.");
        return false;
    }
    xmlCtxtUseOptions(context.get(), XML_PARSE_NONET | XML_PARSE_NOWARNING | XML_PARSE_NOERROR);
    m_context = context.get();

    auto keep = weak_from_this().lock(); // a delegate that lets go of the parser mid-parse must not free it

    const char* bytes = reinterpret_cast<const char*>(m_data->data());
    std::size_t remaining = m_data->length();
    if (remaining == 0) {
        m_context = nullptr;
        fail(XMLParserEmptyDocumentError, "The document is empty.");
        if (auto delegate = this->delegate())
            delegate->parserParseErrorOccurred(*this, m_error);
        return false;
    }
    constexpr std::size_t chunk = 1 << 20;
    while (remaining > 0 && !m_aborted && !m_error) {
        std::size_t size = std::min(remaining, chunk);
        xmlParseChunk(context.get(), bytes, static_cast<int>(size), 0);
        bytes += size;
        remaining -= size;
    }
    if (!m_aborted && !m_error)
        xmlParseChunk(context.get(), nullptr, 0, 1);
    bool wellFormed = context->wellFormed && !m_aborted && !m_error;
    m_context = nullptr;
    if (!wellFormed) {
        fail(XMLParserInternalError, "The document is not well formed.");
        if (!m_aborted)
            if (auto delegate = this->delegate())
                delegate->parserParseErrorOccurred(*this, m_error);
        return false;
    }
    return true;
}

} // namespace ns
