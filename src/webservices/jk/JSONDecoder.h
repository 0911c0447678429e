#pragma once

#include "foundation/Data.h"
#include "foundation/Error.h"
#include "foundation/Object.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// The error domain and user-info keys of this codec's parse errors.
inline constexpr const char* JKErrorDomain = "JKErrorDomain";
inline constexpr const char* JKAtIndexKey = "JKAtIndexKey";
inline constexpr const char* JKLineNumberKey = "JKLineNumberKey";

using JKParseOptionFlags = uint32_t;
enum : JKParseOptionFlags {
    JKParseOptionNone = 0,
    JKParseOptionStrict = 0,
    JKParseOptionComments = 1,                 // "//" and "/*" comments count as white space
    JKParseOptionUnicodeNewlines = 2,          // U+2028, U+2029 and U+0085 count as newlines
    JKParseOptionLooseUnicode = 4,             // bad UTF-8 and illegal escapes become U+FFFD
    JKParseOptionPermitTextAfterValidJSON = 8, // text after the top-level value is ignored
    JKParseOptionValidFlags = 15,
};

// Containers nest at most this deep; a deeper text is refused instead of exhausting the stack.
inline constexpr std::size_t JKMaximumNestingDepth = 512;

class JKParseState;

// Turns JSON text (UTF-8) into strings, numbers, booleans, null and the codec's own arrays and
// dictionaries. A decoder keeps a cache of the objects it made for string and number tokens across the
// texts it parses, so repeated tokens give the same object. One thread at a time.
class JSONDecoder : public ns::Object
{
public:
    static ns::Ref<JSONDecoder> decoder();
    // Raises the invalid-argument exception for options outside JKParseOptionValidFlags.
    static ns::Ref<JSONDecoder> decoderWithParseOptions(JKParseOptionFlags parseOptionFlags);

    explicit JSONDecoder(JKParseOptionFlags parseOptionFlags = JKParseOptionStrict);
    ~JSONDecoder() override;
    JSONDecoder(const JSONDecoder&) = delete;
    JSONDecoder& operator=(const JSONDecoder&) = delete;

    void clearCache();

    // Each answers the top-level array or dictionary, or nothing with the first error of the parse stored
    // through `error` (left untouched on success). A null byte pointer raises the invalid-argument exception.
    ns::Id objectWithUTF8String(const char* string, std::size_t length, ns::Ref<ns::Error>* error = nullptr);
    ns::Id mutableObjectWithUTF8String(const char* string, std::size_t length,
                                       ns::Ref<ns::Error>* error = nullptr);
    ns::Id objectWithData(const ns::Ref<ns::Data>& jsonData, ns::Ref<ns::Error>* error = nullptr);
    ns::Id mutableObjectWithData(const ns::Ref<ns::Data>& jsonData, ns::Ref<ns::Error>* error = nullptr);
    ns::Id parseUTF8String(const char* string, std::size_t length, ns::Ref<ns::Error>* error = nullptr)
    {
        return objectWithUTF8String(string, length, error);
    }
    ns::Id parseJSONData(const ns::Ref<ns::Data>& jsonData, ns::Ref<ns::Error>* error = nullptr)
    {
        return objectWithData(jsonData, error);
    }

    // The cache, for those who check which objects a parse shares.
    const JKParseState& parseState() const { return *m_parseState; }

    std::string className() const override { return "JSONDecoder"; }

private:
    ns::Id parse(const char* string, std::size_t length, bool mutableCollections, ns::Ref<ns::Error>* error);

    std::unique_ptr<JKParseState> m_parseState;
};
