#include "webservices/jk/JKDeserializing.h"

#include "foundation/Text.h"

namespace {

const char* bytesOf(std::string_view string)
{
    static const char empty = 0;
    return string.data() ? string.data() : &empty;
}

ns::Id parseString(std::string_view string, JKParseOptionFlags parseOptionFlags, bool mutableCollections,
                   ns::Ref<ns::Error>* error)
{
    if (!ns::isValidUtf8(string)) {
        if (error)
            *error = ns::Error::withDescription(JKErrorDomain, -1, JKStringConversionErrorDescription);
        return nullptr;
    }
    JSONDecoder decoder(parseOptionFlags);
    if (mutableCollections)
        return decoder.mutableObjectWithUTF8String(bytesOf(string), string.size(), error);
    return decoder.objectWithUTF8String(bytesOf(string), string.size(), error);
}

} // namespace

ns::Id objectFromJSONStringWithParseOptions(std::string_view string, JKParseOptionFlags parseOptionFlags,
                                            ns::Ref<ns::Error>* error)
{
    return parseString(string, parseOptionFlags, false, error);
}

ns::Id objectFromJSONStringWithParseOptions(const ns::String& string, JKParseOptionFlags parseOptionFlags,
                                            ns::Ref<ns::Error>* error)
{
    return parseString(string.str(), parseOptionFlags, false, error);
}

ns::Id objectFromJSONString(std::string_view string)
{
    return objectFromJSONStringWithParseOptions(string, JKParseOptionStrict);
}

ns::Id objectFromJSONString(const ns::String& string)
{
    return objectFromJSONString(std::string_view(string.str()));
}

ns::Id mutableObjectFromJSONStringWithParseOptions(std::string_view string,
                                                   JKParseOptionFlags parseOptionFlags,
                                                   ns::Ref<ns::Error>* error)
{
    return parseString(string, parseOptionFlags, true, error);
}

ns::Id mutableObjectFromJSONStringWithParseOptions(const ns::String& string,
                                                   JKParseOptionFlags parseOptionFlags,
                                                   ns::Ref<ns::Error>* error)
{
    return parseString(string.str(), parseOptionFlags, true, error);
}

ns::Id mutableObjectFromJSONString(std::string_view string)
{
    return mutableObjectFromJSONStringWithParseOptions(string, JKParseOptionStrict);
}

ns::Id mutableObjectFromJSONString(const ns::String& string)
{
    return mutableObjectFromJSONString(std::string_view(string.str()));
}

ns::Id objectFromJSONDataWithParseOptions(const ns::Ref<ns::Data>& data, JKParseOptionFlags parseOptionFlags,
                                          ns::Ref<ns::Error>* error)
{
    JSONDecoder decoder(parseOptionFlags);
    return decoder.objectWithData(data, error);
}

ns::Id objectFromJSONData(const ns::Ref<ns::Data>& data)
{
    return objectFromJSONDataWithParseOptions(data, JKParseOptionStrict);
}

ns::Id mutableObjectFromJSONDataWithParseOptions(const ns::Ref<ns::Data>& data,
                                                 JKParseOptionFlags parseOptionFlags,
                                                 ns::Ref<ns::Error>* error)
{
    JSONDecoder decoder(parseOptionFlags);
    return decoder.mutableObjectWithData(data, error);
}

ns::Id mutableObjectFromJSONData(const ns::Ref<ns::Data>& data)
{
    return mutableObjectFromJSONDataWithParseOptions(data, JKParseOptionStrict);
}
