#include "webservices/jk/JKParseState.h"

#include "webservices/jk/JKArray.h"

namespace {

constexpr unsigned AcceptValue = 1;
constexpr unsigned AcceptComma = 2;
constexpr unsigned AcceptEnd = 4;

inline bool isValueToken(JKTokenType type)
{
    switch (type) {
    case JKTokenType::Number:
    case JKTokenType::String:
    case JKTokenType::True:
    case JKTokenType::False:
    case JKTokenType::Null:
    case JKTokenType::ArrayBegin:
    case JKTokenType::ObjectBegin:
        return true;
    default:
        return false;
    }
}

} // namespace

// MARK: What a container expected

void JKParseState::errorExpected(unsigned state, const char* valueWord, const char* endWord)
{
    if (m_error)
        return;
    const char* words[3];
    int count = 0;
    if (state & AcceptValue)
        words[count++] = valueWord;
    if (state & AcceptComma)
        words[count++] = "a comma";
    if (state & AcceptEnd)
        words[count++] = endWord;
    std::string message = "Expected ";
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            message += i + 1 == count ? " or " : ", ";
        message += words[i];
    }
    message += ", not '";
    message += tokenText();
    message += "'";
    error(message);
}

// MARK: Values and containers

ns::Id JKParseState::cachedObject()
{
    return m_cache.cachedObject(m_token.value, &m_token.cacheItem);
}

ns::Id JKParseState::objectForToken()
{
    switch (m_token.type) {
    case JKTokenType::String:
    case JKTokenType::Number:
        return cachedObject();
    case JKTokenType::True:
        return m_true;
    case JKTokenType::False:
        return m_false;
    case JKTokenType::Null:
        return m_null;
    case JKTokenType::ArrayBegin:
        return parseArray();
    case JKTokenType::ObjectBegin:
        return parseDictionary();
    default:
        return nullptr;
    }
}

bool JKParseState::enterContainer()
{
    if (m_depth >= JKMaximumNestingDepth) {
        errorAt(m_token.start, "Exceeded the maximum nesting depth of " +
                                   std::to_string(JKMaximumNestingDepth) + " arrays and objects.");
        return false;
    }
    ++m_depth;
    return true;
}

ns::Id JKParseState::parseArray()
{
    if (!enterContainer())
        return nullptr;
    std::size_t base = m_objectStack.size();
    unsigned state = AcceptValue | AcceptEnd;
    ns::Id result;
    while (nextToken()) {
        JKTokenType type = m_token.type;
        if (isValueToken(type)) {
            if (!(state & AcceptValue)) {
                error("Unexpected value.");
                break;
            }
            ns::Id object = objectForToken();
            if (!object) {
                error("Internal error: Object == NULL");
                break;
            }
            m_objectStack.push_back(std::move(object));
            state = AcceptComma | AcceptEnd;
        } else if (type == JKTokenType::ArrayEnd) {
            if (!(state & AcceptEnd)) {
                error("Unexpected ']'.");
                break;
            }
            result = JKArray::create(m_objectStack.data() + base, m_objectStack.size() - base,
                                     m_mutableCollections);
            if (!result)
                error("Internal error: Object == NULL");
            break;
        } else if (type == JKTokenType::Comma) {
            if (!(state & AcceptComma)) {
                error("Unexpected ','.");
                break;
            }
            state = AcceptValue;
        } else {
            errorExpected(state, "a value", "a ']'");
            break;
        }
    }
    m_objectStack.resize(base);
    --m_depth;
    return result;
}

ns::Id JKParseState::parseDictionary()
{
    if (!enterContainer())
        return nullptr;
    std::size_t base = m_entryStack.size();
    unsigned state = AcceptValue | AcceptEnd;
    ns::Id result;
    while (nextToken()) {
        JKTokenType type = m_token.type;
        if (type == JKTokenType::String) {
            if (!(state & AcceptValue)) {
                error("Unexpected string.");
                break;
            }
            ns::Id key = cachedObject();
            if (!key) {
                error("Internal error: Key == NULL.");
                break;
            }
            uint32_t keyHash;
            if (JKTokenCacheItem* item = m_token.cacheItem) {
                if (item->keyHash == 0)
                    item->keyHash = JKDictionary::keyHashOf(*key);
                keyHash = item->keyHash;
            } else {
                keyHash = JKDictionary::keyHashOf(*key);
            }
            if (!nextToken())
                break;
            if (m_token.type != JKTokenType::Separator) {
                error("Expected ':'.");
                break;
            }
            if (!nextToken())
                break;
            if (!isValueToken(m_token.type)) {
                error("Expected a value, not '" + std::string(tokenText()) + "'");
                break;
            }
            ns::Id object = objectForToken();
            if (!object) {
                error("Internal error: Object == NULL.");
                break;
            }
            m_entryStack.push_back(JKHashTableEntry{keyHash, std::move(key), std::move(object)});
            state = AcceptComma | AcceptEnd;
        } else if (type == JKTokenType::ObjectEnd) {
            if (!(state & AcceptEnd)) {
                error("Unexpected '}'.");
                break;
            }
            result = JKDictionary::create(m_entryStack.data() + base, m_entryStack.size() - base,
                                          m_mutableCollections);
            if (!result)
                error("Internal error: Object == NULL.");
            break;
        } else if (type == JKTokenType::Comma) {
            if (!(state & AcceptComma)) {
                error("Unexpected ','.");
                break;
            }
            state = AcceptValue;
        } else {
            errorExpected(state, "a \"STRING\"", "a '}'");
            break;
        }
    }
    m_entryStack.resize(base);
    --m_depth;
    return result;
}

// MARK: A whole text

ns::Id JKParseState::parse(const uint8_t* bytes, std::size_t length, bool mutableCollections,
                           ns::Ref<ns::Error>* errorOut)
{
    m_bytes = bytes;
    m_length = length;
    m_atIndex = 0;
    m_lineNumber = 1;
    m_lineStartIndex = 0;
    m_error = nullptr;
    m_mutableCollections = mutableCollections;
    m_depth = 0;
    m_objectStack.clear();
    m_entryStack.clear();

    ns::Id result;
    if (m_atIndex < m_length && nextToken()) {
        if (m_token.type == JKTokenType::ArrayBegin)
            result = parseArray();
        else if (m_token.type == JKTokenType::ObjectBegin)
            result = parseDictionary();
        else
            error("Expected either '[' or '{'.");
    }
    if (!result) {
        if (m_atIndex >= m_length)
            error("Reached the end of the buffer.");
        error("Unable to parse JSON.");
    } else if (m_atIndex < m_length) {
        skipWhitespace();
        if (m_atIndex < m_length && !(m_options & JKParseOptionPermitTextAfterValidJSON)) {
            error("A valid JSON object was parsed but there were additional non-white-space characters "
                  "remaining.");
            result = nullptr;
        }
    }

    m_cache.releaseEvicted();
    if (m_error && errorOut)
        *errorOut = m_error;
    m_error = nullptr;
    m_objectStack.clear();
    m_entryStack.clear();
    if (m_tokenBuffer.capacity() > 65536)
        std::string().swap(m_tokenBuffer); // a huge string's buffer is not kept for the next parse
    m_bytes = nullptr;
    m_length = 0;
    m_atIndex = 0;
    m_lineNumber = 1;
    m_lineStartIndex = 0;
    m_mutableCollections = false;
    return result;
}
