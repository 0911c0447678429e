#include "webservices/jk/JKParseHash.h"
#include "webservices/jk/JKParseState.h"

#include "foundation/Ascii.h"
#include "webservices/jk/JKUnicode.h"

#include <cstdio>
#include <cstring>
#include <string>

using jk_scan::hashEightBytes;
using jk_scan::HashSeed;

namespace {

// Bytes that end the plain run of a string: the quote, the backslash, controls and every non-ASCII byte.
struct StringStops
{
    bool stop[256];
    constexpr StringStops() : stop()
    {
        for (int c = 0; c < 256; ++c)
            stop[c] = c < 0x20 || c == '"' || c == '\\' || c >= 0x80;
    }
};
constexpr StringStops Stops;

std::string hexByte(unsigned value)
{
    char text[8];
    std::snprintf(text, sizeof text, "%2.2x", value & 0xFF);
    return text;
}

// Whether none of the 8 bytes of a word (in memory order) ends the plain run of a string.
inline bool isPlainWord(uint64_t word)
{
    constexpr uint64_t Ones = 0x0101010101010101ull;
    constexpr uint64_t Highs = 0x8080808080808080ull;
    auto hasZeroByte = [](uint64_t v) { return (v - Ones) & ~v & Highs; };
    uint64_t stops = (word & Highs) | ((word - 0x20 * Ones) & ~word & Highs) |
                     hasZeroByte(word ^ ('"' * Ones)) | hasZeroByte(word ^ ('\\' * Ones));
    return stops == 0;
}

} // namespace

bool JKParseState::parseString()
{
    const uint8_t* p = m_bytes + m_atIndex + 1;
    const uint8_t* end = m_bytes + m_length;
    uint32_t hash = HashSeed;
    for (;;) {
        while (end - p >= 8) {
            uint64_t word;
            std::memcpy(&word, p, 8);
            if (!isPlainWord(word))
                break;
            hash = hashEightBytes(hash, word);
            p += 8;
        }
        while (p < end && !Stops.stop[*p]) {
            hash = hash * 33 + *p;
            ++p;
        }
        if (p >= end) {
            error("Invalid string.");
            return false;
        }
        uint8_t c = *p;
        if (c == '"') {
            JKTokenValue& value = m_token.value;
            value.ptr = m_bytes + m_atIndex + 1;
            value.size = static_cast<std::size_t>(p - value.ptr);
            value.type = JKValueTypeString;
            value.hash = hash;
            m_atIndex = static_cast<std::size_t>(p + 1 - m_bytes);
            return true;
        }
        if (c < 0x20) {
            error("Invalid character < 0x20 found in string: 0x" + hexByte(c) + ".");
            error("Invalid string.");
            return false;
        }
        if (c == '\\')
            return parseStringSlowly(p, hash);
        const uint8_t* next = nullptr;
        char32_t codePoint = 0;
        if (ConvertSingleCodePointInUTF8(p, end, &next, &codePoint) != JKUTF8Result::Ok)
            return parseStringSlowly(p, hash);
        for (; p < next; ++p)
            hash = hash * 33 + *p;
    }
}

// The slow path: the string is decoded into the token buffer.
bool JKParseState::parseStringSlowly(const uint8_t* from, uint32_t)
{
    const uint8_t* begin = m_bytes + m_atIndex + 1;
    const uint8_t* end = m_bytes + m_length;
    std::string& out = m_tokenBuffer;
    out.assign(reinterpret_cast<const char*>(begin), static_cast<std::size_t>(from - begin));
    const uint8_t* p = from;
    for (;;) {
        if (p >= end)
            return stringError({});
        uint8_t c = *p;
        if (c == '"') {
            ++p;
            break;
        }
        if (c < 0x20)
            return stringError("Invalid character < 0x20 found in string: 0x" + hexByte(c) + ".");
        if (c < 0x80 && c != '\\') {
            const uint8_t* run = p;
            while (p < end && !Stops.stop[*p])
                ++p;
            out.append(reinterpret_cast<const char*>(run), static_cast<std::size_t>(p - run));
            continue;
        }
        if (!(c >= 0x80 ? appendMultibyte(p) : appendEscape(p)))
            return false;
    }

    uint32_t hash = HashSeed;
    for (unsigned char byte : out)
        hash = hash * 33 + byte;
    JKTokenValue& value = m_token.value;
    value.ptr = reinterpret_cast<const uint8_t*>(out.data());
    value.size = out.size();
    value.type = JKValueTypeString;
    value.hash = hash;
    m_atIndex = static_cast<std::size_t>(p - m_bytes);
    return true;
}

bool JKParseState::stringError(std::string_view message)
{
    if (!message.empty())
        error(message);
    error("Invalid string.");
    return false;
}

void JKParseState::appendCodePoint(char32_t codePoint)
{
    uint8_t bytes[4];
    m_tokenBuffer.append(reinterpret_cast<const char*>(bytes), JKAppendUTF8(bytes, codePoint));
}

// ---- Bytes beyond ASCII: copied when they are UTF-8; else refused or, when loose, one replacement.

bool JKParseState::appendMultibyte(const uint8_t*& p)
{
    const uint8_t* next = nullptr;
    char32_t codePoint = 0;
    JKUTF8Result result = ConvertSingleCodePointInUTF8(p, m_bytes + m_length, &next, &codePoint);
    if (result == JKUTF8Result::Ok)
        m_tokenBuffer.append(reinterpret_cast<const char*>(p), static_cast<std::size_t>(next - p));
    else if (result == JKUTF8Result::Exhausted)
        return stringError("End of buffer reached while parsing UTF8 in \"\" string.");
    else if (m_options & JKParseOptionLooseUnicode)
        appendCodePoint(0xFFFD);
    else
        return stringError("Illegal UTF8 sequence found in \"\" string.");
    p = next;
    return true;
}

// ---- An escape: a backslash and one letter, or a \u escape.

bool JKParseState::appendEscape(const uint8_t*& p)
{
    if (p + 1 >= m_bytes + m_length)
        return stringError({});
    char plain = 0;
    switch (p[1]) {
    case '"':
        plain = '"';
        break;
    case '\\':
        plain = '\\';
        break;
    case '/':
        plain = '/';
        break;
    case 'b':
        plain = '\b';
        break;
    case 'f':
        plain = '\f';
        break;
    case 'n':
        plain = '\n';
        break;
    case 'r':
        plain = '\r';
        break;
    case 't':
        plain = '\t';
        break;
    case 'u':
        return appendUnicodeEscape(p);
    default:
        return stringError("Invalid escape sequence found in \"\" string.");
    }
    m_tokenBuffer += plain;
    p += 2;
    return true;
}

// ---- A \u escape: four hex digits, and for a high surrogate a second escape with the low one.

// Four hex digits at q; -1 and the offending byte when one is not a hex digit, -2 at the end of input.
long JKParseState::readHexUnit(const uint8_t* q, uint8_t* offending) const
{
    const uint8_t* end = m_bytes + m_length;
    long unit = 0;
    for (int i = 0; i < 4; ++i) {
        if (q + i >= end)
            return -2;
        int digit = ns::hexDigitValue(q[i]);
        if (digit < 0) {
            *offending = q[i];
            return -1;
        }
        unit = unit * 16 + digit;
    }
    return unit;
}

bool JKParseState::hexUnitError(long unit, uint8_t offending)
{
    if (unit == -2)
        return stringError({});
    std::string message = "Unexpected character found in \\u Unicode escape sequence.  Found '";
    message += static_cast<char>(offending);
    message += "', expected [0-9a-fA-F].";
    return stringError(message);
}

bool JKParseState::appendUnicodeEscape(const uint8_t*& p)
{
    const uint8_t* end = m_bytes + m_length;
    const bool loose = m_options & JKParseOptionLooseUnicode;
    uint8_t offending = 0;
    long unit = readHexUnit(p + 2, &offending);
    if (unit < 0)
        return hexUnitError(unit, offending);
    p += 6;
    char32_t codePoint = static_cast<char32_t>(unit);
    if (unit >= 0xD800 && unit <= 0xDBFF) {
        if (p >= end || (p[0] == '\\' && p + 1 >= end))
            return stringError({});
        if (p[0] != '\\' || p[1] != 'u') {
            if (!loose)
                return stringError(
                    "Required a second \\u Unicode escape sequence following a surrogate \\u Unicode "
                    "escape sequence.");
            // What follows is read again as it stands: a plain byte, or the start of another escape.
            appendCodePoint(0xFFFD);
            return true;
        }
        long low = readHexUnit(p + 2, &offending);
        if (low < 0)
            return hexUnitError(low, offending);
        p += 6;
        if (low < 0xDC00 || low > 0xDFFF) {
            if (!loose)
                return stringError("Illegal \\u Unicode escape sequence.");
            appendCodePoint(0xFFFD); // the second unit is dropped
            return true;
        }
        codePoint = static_cast<char32_t>((unit - 0xD800) * 0x400 + (low - 0xDC00) + 0x10000);
    } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
        if (!loose)
            return stringError("Illegal \\u Unicode escape sequence.");
        codePoint = 0xFFFD;
    }
    if (!JKIsLegalCodePoint(codePoint)) {
        if (!loose)
            return stringError("Illegal \\u Unicode escape sequence.");
        codePoint = 0xFFFD;
    }
    appendCodePoint(codePoint);
    return true;
}
