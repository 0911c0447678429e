#include "webservices/jk/JKSerializing.h"

namespace {

constexpr JKEncodeOptionType DataOfString = JKEncodeOptionAsData | JKEncodeOptionStringObj;
constexpr JKEncodeOptionType StringOfString = JKEncodeOptionAsString | JKEncodeOptionStringObj;
constexpr JKEncodeOptionType DataOfCollection = JKEncodeOptionAsData | JKEncodeOptionCollectionObj;
constexpr JKEncodeOptionType StringOfCollection = JKEncodeOptionAsString | JKEncodeOptionCollectionObj;

ns::Id run(const ns::Id& object, JKSerializeOptionFlags options, JKEncodeOptionType encodeOption,
           const JKSerializer::Formatter& block, const ns::Ref<JKSerializingDelegate>& delegate,
           std::string_view selector, ns::Ref<ns::Error>* error)
{
    return JKSerializer::serializeObject(object, options, encodeOption, block, delegate, selector, error);
}

JKEncodeOptionType trimmed(JKEncodeOptionType encodeOption, bool includeQuotes)
{
    return includeQuotes ? encodeOption : encodeOption | JKEncodeOptionStringObjTrimQuotes;
}

} // namespace

ns::Ref<ns::Data> JSONDataWithOptions(const ns::Ref<ns::String>& string, JKSerializeOptionFlags options,
                                      bool includeQuotes, ns::Ref<ns::Error>* error)
{
    return ns::cast<ns::Data>(
        run(string, options, trimmed(DataOfString, includeQuotes), {}, nullptr, {}, error));
}

ns::Ref<ns::Data> JSONData(const ns::Ref<ns::String>& string)
{
    return JSONDataWithOptions(string, JKSerializeOptionNone, true);
}

ns::Ref<ns::String> JSONStringWithOptions(const ns::Ref<ns::String>& string, JKSerializeOptionFlags options,
                                          bool includeQuotes, ns::Ref<ns::Error>* error)
{
    return ns::cast<ns::String>(
        run(string, options, trimmed(StringOfString, includeQuotes), {}, nullptr, {}, error));
}

ns::Ref<ns::String> JSONString(const ns::Ref<ns::String>& string)
{
    return JSONStringWithOptions(string, JKSerializeOptionNone, true);
}

ns::Ref<ns::Data> JSONData(const ns::Ref<ns::Array>& array)
{
    return JSONDataWithOptions(ns::Id(array), JKSerializeOptionNone);
}

ns::Ref<ns::Data> JSONData(const ns::Ref<ns::Dictionary>& dictionary)
{
    return JSONDataWithOptions(ns::Id(dictionary), JKSerializeOptionNone);
}

ns::Ref<ns::String> JSONString(const ns::Ref<ns::Array>& array)
{
    return JSONStringWithOptions(ns::Id(array), JKSerializeOptionNone);
}

ns::Ref<ns::String> JSONString(const ns::Ref<ns::Dictionary>& dictionary)
{
    return JSONStringWithOptions(ns::Id(dictionary), JKSerializeOptionNone);
}

ns::Ref<ns::Data> JSONDataWithOptions(const ns::Id& collection, JKSerializeOptionFlags options,
                                      ns::Ref<ns::Error>* error)
{
    return ns::cast<ns::Data>(run(collection, options, DataOfCollection, {}, nullptr, {}, error));
}

ns::Ref<ns::Data> JSONDataWithOptions(const ns::Id& collection, JKSerializeOptionFlags options,
                                      const ns::Ref<JKSerializingDelegate>& delegate,
                                      std::string_view selector, ns::Ref<ns::Error>* error)
{
    return ns::cast<ns::Data>(run(collection, options, DataOfCollection, {}, delegate, selector, error));
}

ns::Ref<ns::Data> JSONDataWithOptions(const ns::Id& collection, JKSerializeOptionFlags options,
                                      const JKSerializer::Formatter& block, ns::Ref<ns::Error>* error)
{
    return ns::cast<ns::Data>(run(collection, options, DataOfCollection, block, nullptr, {}, error));
}

ns::Ref<ns::String> JSONStringWithOptions(const ns::Id& collection, JKSerializeOptionFlags options,
                                          ns::Ref<ns::Error>* error)
{
    return ns::cast<ns::String>(run(collection, options, StringOfCollection, {}, nullptr, {}, error));
}

ns::Ref<ns::String> JSONStringWithOptions(const ns::Id& collection, JKSerializeOptionFlags options,
                                          const ns::Ref<JKSerializingDelegate>& delegate,
                                          std::string_view selector, ns::Ref<ns::Error>* error)
{
    return ns::cast<ns::String>(run(collection, options, StringOfCollection, {}, delegate, selector, error));
}

ns::Ref<ns::String> JSONStringWithOptions(const ns::Id& collection, JKSerializeOptionFlags options,
                                          const JKSerializer::Formatter& block, ns::Ref<ns::Error>* error)
{
    return ns::cast<ns::String>(run(collection, options, StringOfCollection, block, nullptr, {}, error));
}
