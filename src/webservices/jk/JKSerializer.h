#pragma once

#include "foundation/Error.h"
#include "foundation/Object.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

using JKSerializeOptionFlags = uint32_t;
enum : JKSerializeOptionFlags {
    JKSerializeOptionNone = 0,
    JKSerializeOptionPretty = 1,                // newlines, two-space indentation, dictionary keys sorted
    JKSerializeOptionEscapeUnicode = 2,         // every character above U+007F as "\u" escapes
    JKSerializeOptionEscapeForwardSlashes = 16, // "/" as "\/"
    JKSerializeOptionValidFlags = 19,
};

using JKEncodeOptionType = uint32_t;
enum : JKEncodeOptionType {
    JKEncodeOptionAsData = 1,
    JKEncodeOptionAsString = 2,
    JKEncodeOptionAsTypeMask = 7,
    JKEncodeOptionCollectionObj = 8,        // the top object must be an array or a dictionary
    JKEncodeOptionStringObj = 16,           // the top object must be a string
    JKEncodeOptionStringObjTrimQuotes = 32, // the string is written without its quotes
};

// Formats objects of classes the encoder does not know into ones it does, by a named operation.
class JKSerializingDelegate
{
public:
    virtual ~JKSerializingDelegate() = default;
    virtual bool respondsToSelector(std::string_view selector) const = 0;
    // Answers the object to write instead, or nothing.
    virtual ns::Id performSelector(std::string_view selector, const ns::Id& object) = 0;
};

class JKEncodeState;

// Writes strings, numbers, booleans, null, arrays and dictionaries as JSON text. Objects of other classes go
// once through a formatter: a block, or a delegate with the name of its operation (never both).
class JKSerializer : public ns::Object
{
public:
    using Formatter = std::function<ns::Id(const ns::Id& object)>;

    // Answers an ns::Data or an ns::String (by the low bits of `encodeOption`), or nothing with the error
    // stored through `error`. Raises the invalid-argument exception for a delegate without a selector or one
    // that does not respond to it.
    static ns::Id serializeObject(const ns::Id& object, JKSerializeOptionFlags options,
                                  JKEncodeOptionType encodeOption, const Formatter& block,
                                  const ns::Ref<JKSerializingDelegate>& delegate, std::string_view selector,
                                  ns::Ref<ns::Error>* error);

    JKSerializer();
    ~JKSerializer() override;

    std::string className() const override { return "JKSerializer"; }

private:
    ns::Id serialize(const ns::Id& object, JKSerializeOptionFlags options, JKEncodeOptionType encodeOption,
                     const Formatter& block, const ns::Ref<JKSerializingDelegate>& delegate,
                     std::string_view selector, ns::Ref<ns::Error>* error);
    void releaseState();

    std::unique_ptr<JKEncodeState> m_encodeState;
};
