#include "webservices/jk/JSONDecoder.h"

#include "foundation/Exception.h"
#include "webservices/jk/JKParseState.h"

ns::Ref<JSONDecoder> JSONDecoder::decoder()
{
    return decoderWithParseOptions(JKParseOptionStrict);
}

ns::Ref<JSONDecoder> JSONDecoder::decoderWithParseOptions(JKParseOptionFlags parseOptionFlags)
{
    return ns::make<JSONDecoder>(parseOptionFlags);
}

JSONDecoder::JSONDecoder(JKParseOptionFlags parseOptionFlags)
{
    if (parseOptionFlags > JKParseOptionValidFlags)
        ns::raise(ns::InvalidArgumentException, "Invalid parse options.");
    m_parseState = std::make_unique<JKParseState>(parseOptionFlags);
}

JSONDecoder::~JSONDecoder() = default;

void JSONDecoder::clearCache()
{
    if (m_parseState)
        m_parseState->cache().clear();
}

ns::Id JSONDecoder::parse(const char* string, std::size_t length, bool mutableCollections,
                          ns::Ref<ns::Error>* error)
{
    if (!m_parseState)
        ns::raise(ns::InternalInconsistencyException, "parseState is NULL.");
    if (!string)
        ns::raise(ns::InvalidArgumentException, "The string argument is NULL.");
    return m_parseState->parse(reinterpret_cast<const uint8_t*>(string), length, mutableCollections, error);
}

ns::Id JSONDecoder::objectWithUTF8String(const char* string, std::size_t length, ns::Ref<ns::Error>* error)
{
    return parse(string, length, false, error);
}

ns::Id JSONDecoder::mutableObjectWithUTF8String(const char* string, std::size_t length,
                                                ns::Ref<ns::Error>* error)
{
    return parse(string, length, true, error);
}

ns::Id JSONDecoder::objectWithData(const ns::Ref<ns::Data>& jsonData, ns::Ref<ns::Error>* error)
{
    if (!jsonData)
        ns::raise(ns::InvalidArgumentException, "The jsonData argument is NULL.");
    // An empty data object has no byte pointer of its own; the parse still sees an empty text.
    static const char empty = 0;
    const char* bytes = jsonData->length() ? reinterpret_cast<const char*>(jsonData->data()) : &empty;
    return parse(bytes, jsonData->length(), false, error);
}

ns::Id JSONDecoder::mutableObjectWithData(const ns::Ref<ns::Data>& jsonData, ns::Ref<ns::Error>* error)
{
    if (!jsonData)
        ns::raise(ns::InvalidArgumentException, "The jsonData argument is NULL.");
    static const char empty = 0;
    const char* bytes = jsonData->length() ? reinterpret_cast<const char*>(jsonData->data()) : &empty;
    return parse(bytes, jsonData->length(), true, error);
}
