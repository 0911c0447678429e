#include "webservices/jk/JKParseState.h"

#include "foundation/Dictionary.h"
#include "foundation/Null.h"
#include "foundation/Number.h"
#include "foundation/String.h"

#include <cstring>

namespace {

constexpr std::string_view UnexpectedToken =
    "Unexpected token, wanted '{', '}', '[', ']', ',', ':', 'true', 'false', 'null', '\"STRING\"', 'NUMBER'.";

} // namespace

JKParseState::JKParseState(JKParseOptionFlags options)
    : m_options(options), m_true(ns::Number::numberWithBool(true)),
      m_false(ns::Number::numberWithBool(false)), m_null(ns::Null::null())
{
    m_tokenBuffer.reserve(2048);
    m_objectStack.reserve(1024);
    m_entryStack.reserve(1024);
}

// MARK: Errors

void JKParseState::error(std::string_view message)
{
    errorAt(m_atIndex, message);
}

void JKParseState::errorAt(std::size_t index, std::string_view message)
{
    if (m_error)
        return; // only the first error of a parse is kept
    m_error = ns::Error::make(JKErrorDomain, -1,
                              ns::Dictionary::withStrings(
                                  {{ns::LocalizedDescriptionKey, ns::String::make(std::string(message))},
                                   {JKAtIndexKey, ns::Number::numberWithUnsignedLongLong(index)},
                                   {JKLineNumberKey, ns::Number::numberWithUnsignedLongLong(m_lineNumber)}}));
}

std::string_view JKParseState::tokenText() const
{
    return std::string_view(reinterpret_cast<const char*>(m_bytes) + m_token.start, m_token.length);
}

// MARK: White space and tokens

std::size_t JKParseState::newlineLength(std::size_t at) const
{
    uint8_t c = m_bytes[at];
    if (c == '\n')
        return 1;
    if (c == '\r')
        return at + 1 < m_length && m_bytes[at + 1] == '\n' ? 2 : 1;
    if (m_options & JKParseOptionUnicodeNewlines) {
        if (c == 0xC2 && at + 1 < m_length && m_bytes[at + 1] == 0x85)
            return 2;
        if (c == 0xE2 && at + 2 < m_length && m_bytes[at + 1] == 0x80 &&
            (m_bytes[at + 2] == 0xA8 || m_bytes[at + 2] == 0xA9))
            return 3;
    }
    return 0;
}

// Spaces, tabs and LF or CR LF line ends, the white space of indented text, in locals and eight spaces at a
// time; the rest (other newlines, comments) is left to the caller.
void JKParseState::skipPlainWhitespace()
{
    const uint8_t* bytes = m_bytes;
    std::size_t at = m_atIndex;
    const std::size_t length = m_length;
    constexpr uint64_t Spaces = 0x2020202020202020ull;
    for (;;) {
        while (length - at >= 8) {
            uint64_t word;
            std::memcpy(&word, bytes + at, 8);
            uint64_t others = word ^ Spaces;
            if (others) {
                at += static_cast<std::size_t>(__builtin_ctzll(others)) / 8;
                break;
            }
            at += 8;
        }
        while (at < length && (bytes[at] == ' ' || bytes[at] == '\t'))
            ++at;
        if (at >= length)
            break;
        uint8_t c = bytes[at];
        if (c == '\n') {
            ++at;
        } else if (c == '\r') {
            at += at + 1 < length && bytes[at + 1] == '\n' ? 2 : 1;
        } else {
            break;
        }
        ++m_lineNumber;
        m_lineStartIndex = at;
    }
    m_atIndex = at;
}

void JKParseState::skipWhitespace()
{
    while (m_atIndex < m_length) {
        skipPlainWhitespace();
        if (m_atIndex >= m_length)
            return;
        uint8_t c = m_bytes[m_atIndex];
        if (std::size_t newline = newlineLength(m_atIndex)) {
            ++m_lineNumber;
            m_atIndex += newline;
            m_lineStartIndex = m_atIndex;
            continue;
        }
        if (c == '/' && (m_options & JKParseOptionComments) && m_atIndex + 1 < m_length) {
            uint8_t kind = m_bytes[m_atIndex + 1];
            if (kind == '/') {
                std::size_t at = m_atIndex + 2;
                while (at < m_length) {
                    if (std::size_t newline = newlineLength(at)) {
                        ++m_lineNumber;
                        at += newline;
                        m_lineStartIndex = at;
                        break;
                    }
                    ++at;
                }
                m_atIndex = at;
                continue;
            }
            if (kind == '*') {
                // The search for the closing "*/" begins at the opening asterisk, so "/*/" is a whole
                // comment.
                std::size_t at = m_atIndex + 1;
                while (at < m_length) {
                    if (m_bytes[at] == '*' && at + 1 < m_length && m_bytes[at + 1] == '/') {
                        at += 2;
                        break;
                    }
                    if (std::size_t newline = newlineLength(at)) {
                        ++m_lineNumber;
                        at += newline;
                        m_lineStartIndex = at;
                        continue;
                    }
                    ++at;
                }
                m_atIndex = std::min(at, m_length);
                continue;
            }
        }
        return;
    }
}

bool JKParseState::nextToken()
{
    if (m_atIndex < m_length) {
        uint8_t c = m_bytes[m_atIndex];
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '/' || c >= 0x80)
            skipWhitespace();
    }
    if (m_atIndex >= m_length) {
        error(UnexpectedToken);
        return false;
    }
    m_token.start = m_atIndex;
    m_token.cacheItem = nullptr;
    std::size_t remaining = m_length - m_atIndex;
    const uint8_t* at = m_bytes + m_atIndex;
    switch (*at) {
    case '"':
        if (!parseString()) {
            error(UnexpectedToken);
            return false;
        }
        m_token.type = JKTokenType::String;
        break;
    case '-':
    case '0':
    case '1':
    case '2':
    case '3':
    case '4':
    case '5':
    case '6':
    case '7':
    case '8':
    case '9':
        if (!parseNumber()) {
            error(UnexpectedToken);
            return false;
        }
        m_token.type = JKTokenType::Number;
        break;
    case '{':
        m_token.type = JKTokenType::ObjectBegin;
        ++m_atIndex;
        break;
    case '}':
        m_token.type = JKTokenType::ObjectEnd;
        ++m_atIndex;
        break;
    case '[':
        m_token.type = JKTokenType::ArrayBegin;
        ++m_atIndex;
        break;
    case ']':
        m_token.type = JKTokenType::ArrayEnd;
        ++m_atIndex;
        break;
    case ':':
        m_token.type = JKTokenType::Separator;
        ++m_atIndex;
        break;
    case ',':
        m_token.type = JKTokenType::Comma;
        ++m_atIndex;
        break;
    // A literal counts only when a byte follows it, as a number does.
    case 't':
        if (remaining > 4 && std::memcmp(at + 1, "rue", 3) == 0) {
            m_token.type = JKTokenType::True;
            m_atIndex += 4;
            break;
        }
        error(UnexpectedToken);
        return false;
    case 'f':
        if (remaining > 5 && std::memcmp(at + 1, "alse", 4) == 0) {
            m_token.type = JKTokenType::False;
            m_atIndex += 5;
            break;
        }
        error(UnexpectedToken);
        return false;
    case 'n':
        if (remaining > 4 && std::memcmp(at + 1, "ull", 3) == 0) {
            m_token.type = JKTokenType::Null;
            m_atIndex += 4;
            break;
        }
        error(UnexpectedToken);
        return false;
    default:
        error(UnexpectedToken);
        return false;
    }
    m_token.length = m_atIndex - m_token.start;
    return true;
}
