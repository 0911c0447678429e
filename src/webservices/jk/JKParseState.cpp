#include "webservices/jk/JKParseState.h"

#include "foundation/Ascii.h"
#include "foundation/Dictionary.h"
#include "foundation/Null.h"
#include "foundation/Number.h"
#include "foundation/String.h"
#include "webservices/jk/JKDoubleFormat.h"
#include "webservices/jk/JKUnicode.h"

#include <charconv>
#include <cstdio>
#include <cstring>

namespace {

constexpr uint32_t HashSeed = 0x539C1505;

constexpr std::string_view UnexpectedToken =
    "Unexpected token, wanted '{', '}', '[', ']', ',', ':', 'true', 'false', 'null', '\"STRING\"', 'NUMBER'.";

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

// The value of eight ASCII digits (first byte lowest, most significant): pairs, then quadruples, then the
// whole, each step in parallel lanes of the word.
inline uint32_t valueOfEightDigits(uint64_t word)
{
    word -= 0x3030303030303030ull;
    word = word * 10 + (word >> 8);
    constexpr uint64_t Mask = 0x000000FF000000FFull;
    constexpr uint64_t Hundreds = 100 + (1000000ull << 32);
    constexpr uint64_t Ones = 1 + (10000ull << 32);
    return static_cast<uint32_t>((((word & Mask) * Hundreds) + (((word >> 16) & Mask) * Ones)) >> 32);
}

// Consumes a run of digits, adding them to `value` (which wraps harmlessly when the run is too long to
// matter), and answers the byte after it.
inline const uint8_t* scanDigits(const uint8_t* p, const uint8_t* end, uint64_t& value)
{
    constexpr uint64_t PowersOfTen[8] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000};
    while (end - p >= 8) {
        uint64_t word;
        std::memcpy(&word, p, 8);
        // A byte lane is non-zero where the byte is not a digit.
        uint64_t others = ((word & 0xF0F0F0F0F0F0F0F0ull) ^ 0x3030303030303030ull) |
                          (((word + 0x0606060606060606ull) & 0xF0F0F0F0F0F0F0F0ull) ^ 0x3030303030303030ull);
        if (!others) {
            value = value * 100000000 + valueOfEightDigits(word);
            p += 8;
            continue;
        }
        // The run ends within these eight bytes: its digits move to the top of the word, under zeros.
        int count = __builtin_ctzll(others) / 8;
        if (count) {
            int shift = 8 * (8 - count);
            word = (word << shift) | (0x3030303030303030ull >> (64 - shift));
            value = value * PowersOfTen[count] + valueOfEightDigits(word);
        }
        return p + count;
    }
    while (p < end && ns::isAsciiDigit(*p))
        value = value * 10 + static_cast<unsigned>(*p++ - '0');
    return p;
}

// hash * 33 + byte for each of the 8 bytes of a word, first byte first, written out so that the bytes'
// terms are summed side by side instead of one after another.
inline uint32_t hashEightBytes(uint32_t hash, uint64_t bits)
{
    constexpr uint32_t P1 = 33, P2 = P1 * 33, P3 = P2 * 33, P4 = P3 * 33, P5 = P4 * 33, P6 = P5 * 33,
                       P7 = P6 * 33, P8 = P7 * 33;
    auto byte = [bits](int i) { return static_cast<uint32_t>((bits >> (8 * i)) & 0xFF); };
    return hash * P8 + (byte(0) * P7 + byte(1) * P6) + (byte(2) * P5 + byte(3) * P4) +
           (byte(4) * P3 + byte(5) * P2) + (byte(6) * P1 + byte(7));
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

uint32_t hashNumber(JKTokenValue& value, bool integer)
{
    uint32_t hash = HashSeed + value.type;
    uint64_t bits;
    std::memcpy(&bits, &value.number, 8);
    if (integer)
        hash += static_cast<uint32_t>(bits);
    // The 8 bytes in the machine's own byte order (least significant first on every platform this runs on).
    return hashEightBytes(hash, bits);
}

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

// MARK: Numbers

bool JKParseState::parseNumber()
{
    const uint8_t* start = m_bytes + m_atIndex;
    const uint8_t* end = m_bytes + m_length;
    const uint8_t* p = start;
    bool negative = false;
    bool isDouble = false;
    bool valid = true;
    // The digits before the exponent as one integer (which only means something for 19 digits or fewer),
    // how many digits there are, and how many of them follow the point.
    uint64_t significand = 0;
    std::size_t digits = 0;
    std::size_t fractionDigits = 0;

    if (*p == '-') {
        negative = true;
        ++p;
    }
    if (p < end && *p == '0') {
        ++p;
        digits = 1;
    } else if (p < end && *p >= '1' && *p <= '9') {
        const uint8_t* run = p;
        p = scanDigits(p, end, significand);
        digits = static_cast<std::size_t>(p - run);
    } else {
        valid = false;
    }
    if (valid && p < end && *p == '.') {
        isDouble = true;
        ++p;
        if (p < end && ns::isAsciiDigit(*p)) {
            const uint8_t* run = p;
            p = scanDigits(p, end, significand);
            fractionDigits = static_cast<std::size_t>(p - run);
            digits += fractionDigits;
        } else {
            valid = false;
        }
    }
    int exponent = 0;
    bool exponentFits = true;
    if (valid && p < end && (*p == 'e' || *p == 'E')) {
        isDouble = true;
        ++p;
        bool negativeExponent = false;
        if (p < end && (*p == '+' || *p == '-'))
            negativeExponent = *p++ == '-';
        if (p < end && ns::isAsciiDigit(*p)) {
            while (p < end && ns::isAsciiDigit(*p)) {
                if (exponent < 10000)
                    exponent = exponent * 10 + (*p - '0');
                else
                    exponentFits = false;
                ++p;
            }
            if (negativeExponent)
                exponent = -exponent;
        } else {
            valid = false;
        }
    }
    // A number is complete only when a byte follows it.
    if (p >= end)
        valid = false;
    m_atIndex = static_cast<std::size_t>(p - m_bytes);
    if (!valid) {
        error("Invalid number.");
        return false;
    }

    JKTokenValue& value = m_token.value;
    if (negative && p - start == 2 && start[1] == '0')
        isDouble = true; // "-0" keeps its sign only as a double
    // The common numbers are converted from what the scan gathered; the others (more than 19 significant
    // digits, large exponents, zeros, values out of range) as the general conversions read their text.
    if (isDouble && digits <= 19 && exponentFits) {
        double number;
        if (JKDoubleFromDecimal(significand, exponent - static_cast<int>(fractionDigits), &number)) {
            value.type = JKValueTypeDouble;
            value.number.doubleValue = negative ? -number : number;
            value.hash = hashNumber(value, false);
            value.ptr = reinterpret_cast<const uint8_t*>(&value.number);
            value.size = 8;
            return true;
        }
    } else if (!isDouble && digits <= 19) {
        if (!negative) {
            value.type = JKValueTypeUnsignedLongLong;
            value.number.unsignedLongLongValue = significand;
            value.hash = hashNumber(value, true);
            value.ptr = reinterpret_cast<const uint8_t*>(&value.number);
            value.size = 8;
            return true;
        }
        if (significand <= 9223372036854775808ull) {
            value.type = JKValueTypeLongLong;
            value.number.longLongValue = static_cast<int64_t>(0 - significand);
            value.hash = hashNumber(value, true);
            value.ptr = reinterpret_cast<const uint8_t*>(&value.number);
            value.size = 8;
            return true;
        }
    }

    std::size_t length = static_cast<std::size_t>(p - start);
    const char* text = reinterpret_cast<const char*>(start);
    if (isDouble) {
        value.type = JKValueTypeDouble;
        double number = 0;
        auto result = std::from_chars(text, text + length, number);
        if (result.ec == std::errc::result_out_of_range) {
            // Out of range is either below the smallest subnormal or above the largest double: the sign of
            // the decimal exponent of the first significant digit tells which.
            long exponent = 0;
            const char* q = text + (negative ? 1 : 0);
            const char* last = text + length;
            long digitsBeforePoint = 0;
            long leadingFractionZeros = 0;
            bool seenSignificant = false;
            bool inFraction = false;
            for (; q < last && *q != 'e' && *q != 'E'; ++q) {
                if (*q == '.') {
                    inFraction = true;
                    continue;
                }
                if (!seenSignificant && *q == '0') {
                    if (inFraction)
                        ++leadingFractionZeros;
                    continue;
                }
                seenSignificant = true;
                if (!inFraction)
                    ++digitsBeforePoint;
            }
            if (q < last) {
                ++q;
                bool negativeExponent = *q == '-';
                if (*q == '+' || *q == '-')
                    ++q;
                for (; q < last; ++q)
                    exponent = exponent < 100000000 ? exponent * 10 + (*q - '0') : exponent;
                if (negativeExponent)
                    exponent = -exponent;
            }
            long magnitude = exponent + (digitsBeforePoint > 0 ? digitsBeforePoint : -leadingFractionZeros);
            bool underflow = magnitude <= 0;
            error("The value '" + std::string(text, length) +
                  "' could not be represented as a 'double' due to " +
                  (underflow ? "underflow" : "overflow") + ".");
            error("Invalid number.");
            return false;
        }
        if (result.ec != std::errc() || result.ptr != text + length) {
            if (result.ec == std::errc())
                error("The conversion function did not consume all of the number tokens characters.");
            error("Invalid number.");
            return false;
        }
        value.number.doubleValue = number;
        value.hash = hashNumber(value, false);
    } else if (negative) {
        value.type = JKValueTypeLongLong;
        int64_t number = 0;
        auto result = std::from_chars(text, text + length, number);
        if (result.ec == std::errc::result_out_of_range) {
            error("The value '" + std::string(text, length) +
                  "' exceeded the minimum value that could be represented: -9223372036854775808.");
            error("Invalid number.");
            return false;
        }
        if (result.ec != std::errc() || result.ptr != text + length) {
            if (result.ec == std::errc())
                error("The conversion function did not consume all of the number tokens characters.");
            error("Invalid number.");
            return false;
        }
        value.number.longLongValue = number;
        value.hash = hashNumber(value, true);
    } else {
        value.type = JKValueTypeUnsignedLongLong;
        uint64_t number = 0;
        if (length <= 19) {
            for (std::size_t i = 0; i < length; ++i)
                number = number * 10 + static_cast<uint64_t>(text[i] - '0');
        } else {
            auto result = std::from_chars(text, text + length, number);
            if (result.ec == std::errc::result_out_of_range) {
                error("The value '" + std::string(text, length) +
                      "' exceeded the maximum value that could be represented: 18446744073709551615.");
                error("Invalid number.");
                return false;
            }
            if (result.ec != std::errc() || result.ptr != text + length) {
                if (result.ec == std::errc())
                    error("The conversion function did not consume all of the number tokens characters.");
                error("Invalid number.");
                return false;
            }
        }
        value.number.unsignedLongLongValue = number;
        value.hash = hashNumber(value, true);
    }
    value.ptr = reinterpret_cast<const uint8_t*>(&value.number);
    value.size = 8;
    return true;
}

// MARK: Strings

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
