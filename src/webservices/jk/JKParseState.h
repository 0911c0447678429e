#pragma once

#include "foundation/Error.h"
#include "foundation/Object.h"
#include "webservices/jk/JKDictionary.h"
#include "webservices/jk/JKTokenCache.h"
#include "webservices/jk/JSONDecoder.h"

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum class JKTokenType : uint8_t {
    Invalid,
    Number,
    String,
    ObjectBegin,
    ObjectEnd,
    ArrayBegin,
    ArrayEnd,
    Separator,
    Comma,
    True,
    False,
    Null,
};

struct JKParseToken
{
    std::size_t start = 0; // the token's bytes in the input
    std::size_t length = 0;
    JKTokenType type = JKTokenType::Invalid;
    JKTokenValue value;
    JKTokenCacheItem* cacheItem = nullptr;
};

// One decoder's tokenizer and parser over the input bytes in place, with the buffers it reuses from one
// parse to the next and its token cache.
class JKParseState
{
public:
    explicit JKParseState(JKParseOptionFlags options);

    ns::Id parse(const uint8_t* bytes, std::size_t length, bool mutableCollections,
                 ns::Ref<ns::Error>* error);

    JKTokenCache& cache() { return m_cache; }
    const JKTokenCache& cache() const { return m_cache; }

private:
    bool nextToken();
    void skipWhitespace();
    void skipPlainWhitespace();
    std::size_t newlineLength(std::size_t at) const;
    bool parseString();
    bool parseStringSlowly(const uint8_t* from, uint32_t hash);
    bool appendMultibyte(const uint8_t*& p);
    bool appendEscape(const uint8_t*& p);
    bool appendUnicodeEscape(const uint8_t*& p);
    long readHexUnit(const uint8_t* q, uint8_t* offending) const;
    void appendCodePoint(char32_t codePoint);
    bool parseNumber();
    // Reports a number the general conversion refused (`outOfRange` ends the message when it was out of
    // range) and answers false.
    bool refuseNumber(std::from_chars_result result, std::string_view text, std::string_view outOfRange);
    ns::Id parseArray();
    ns::Id parseDictionary();
    ns::Id objectForToken();
    ns::Id cachedObject();
    bool enterContainer();

    void error(std::string_view message);
    void errorAt(std::size_t index, std::string_view message);
    void errorExpected(unsigned state, const char* valueWord, const char* endWord);
    // Reports `message`, when there is one, then that the string is invalid; false.
    bool stringError(std::string_view message);
    bool hexUnitError(long unit, uint8_t offending);
    std::string_view tokenText() const;

    JKParseOptionFlags m_options;
    const uint8_t* m_bytes = nullptr;
    std::size_t m_length = 0;
    std::size_t m_atIndex = 0;
    std::size_t m_lineNumber = 1;
    std::size_t m_lineStartIndex = 0;
    JKParseToken m_token;
    std::string m_tokenBuffer;                  // strings that need decoding are built here
    std::vector<ns::Id> m_objectStack;          // the pending values of the open arrays
    std::vector<JKHashTableEntry> m_entryStack; // the pending entries of the open dictionaries
    std::size_t m_depth = 0;
    JKTokenCache m_cache;
    ns::Ref<ns::Error> m_error;
    bool m_mutableCollections = false;
    ns::Id m_true;
    ns::Id m_false;
    ns::Id m_null;
};
