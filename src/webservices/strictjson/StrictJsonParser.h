#pragma once

#include "webservices/strictjson/StrictJsonBase.h"
#include "webservices/strictjson/StrictJsonProtocols.h"

#include "foundation/Dictionary.h"
#include "foundation/String.h"

#include <string>
#include <utility>
#include <vector>

// The strict recursive-descent parser over the UTF-8 bytes of a text. Values come back as mutable
// dictionaries and arrays, strings, exact decimal numbers, boolean numbers and the null object. One call at
// a time per parser.
class StrictJsonParser : public StrictJsonBase, public StrictJsonParserProtocol
{
public:
    ns::Id objectWithString(std::optional<std::string_view> text) override;
    // Any JSON value, or nothing with the error trace set.
    ns::Id fragmentWithString(std::optional<std::string_view> text);

    std::string className() const override { return "StrictJsonParser"; }

private:
    void skipWhitespace();
    bool scanValue(ns::Id& value);
    bool scanRestOfArray(ns::Id& value);
    bool scanRestOfDictionary(ns::Id& value);
    bool scanKey(ns::Id& key);
    bool scanRestOfString(ns::Id& value);
    bool scanNumber(ns::Id& value);
    bool makeCommonNumber(std::string_view text, ns::Id& value);
    bool scanUnicodeChar(char32_t& codePoint);
    bool scanHexQuad(uint32_t& quad);
    bool scanLiteral(char first, ns::Id& value);
    // Kept out of line so that each level of nesting costs the stack as little as possible.
    void closeArray(std::size_t first, ns::Id& value);
    void closeDictionary(std::size_t first, ns::Id& value);
    bool failForKey(const ns::Id& key);

    const char* m_c = nullptr;   // read position
    const char* m_end = nullptr; // end of the text
    // Reused across calls: the text of a string with escapes, and the elements and members of the open
    // containers, innermost last.
    std::string m_buffer;
    std::vector<ns::Id> m_elements;
    ns::Dictionary::Entries m_members;
    // Keys made lately, by a hash of their text, handed out again for the same text.
    static constexpr std::size_t SharedKeys = 256;
    static constexpr std::size_t MaxSharedKeyLength = 64;
    ns::Ref<ns::String> m_sharedKeys[SharedKeys];
};
