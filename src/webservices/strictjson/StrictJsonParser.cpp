#include "webservices/strictjson/StrictJsonParser.h"

#include "foundation/Array.h"
#include "foundation/Ascii.h"
#include "foundation/Format.h"
#include "foundation/Null.h"
#include "foundation/Number.h"
#include "foundation/String.h"
#include "foundation/Text.h"
#include "webservices/jk/JKAllocator.h"
#include "webservices/jk/JKDoubleFormat.h"

#include <cstring>

namespace {

// Well-formed UTF-8 only: no overlong forms, no encoded surrogates, nothing past U+10FFFF. A text that is
// not would never have become a string on the phone, so it counts as no input at all.
bool isStrictUtf8(std::string_view text)
{
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* end = p + text.size();
    while (p != end) {
        // Most input is ASCII: step over it eight bytes at a time.
        while (end - p >= 8) {
            uint64_t word;
            std::memcpy(&word, p, 8);
            if (word & 0x8080808080808080ull)
                break;
            p += 8;
        }
        if (p == end)
            break;
        unsigned char b = *p;
        if (b < 0x80) {
            ++p;
            continue;
        }
        std::ptrdiff_t left = end - p;
        if (b >= 0xC2 && b <= 0xDF) {
            if (left < 2 || (p[1] & 0xC0) != 0x80)
                return false;
            p += 2;
        } else if (b >= 0xE0 && b <= 0xEF) {
            if (left < 3 || (p[1] & 0xC0) != 0x80 || (p[2] & 0xC0) != 0x80)
                return false;
            if ((b == 0xE0 && p[1] < 0xA0) || (b == 0xED && p[1] >= 0xA0))
                return false; // overlong, or a surrogate
            p += 3;
        } else if (b >= 0xF0 && b <= 0xF4) {
            if (left < 4 || (p[1] & 0xC0) != 0x80 || (p[2] & 0xC0) != 0x80 || (p[3] & 0xC0) != 0x80)
                return false;
            if ((b == 0xF0 && p[1] < 0x90) || (b == 0xF4 && p[1] >= 0x90))
                return false; // overlong, or past U+10FFFF
            p += 4;
        } else {
            return false;
        }
    }
    return true;
}

// Bytes copied into a string as they are: all but the double quote, the backslash and the controls.
inline bool isPlain(char c)
{
    auto b = static_cast<unsigned char>(c);
    return b >= 0x20 && b != '"' && b != '\\';
}

} // namespace

ns::Id StrictJsonParser::objectWithString(std::optional<std::string_view> text)
{
    ns::Id value = fragmentWithString(text);
    if (value && !ns::cast<ns::Dictionary>(value) && !ns::cast<ns::Array>(value)) {
        addErrorWithCode(StrictJsonErrorFragment, "Valid fragment, but not JSON");
        return nullptr;
    }
    return value;
}

ns::Id StrictJsonParser::fragmentWithString(std::optional<std::string_view> text)
{
    clearErrorTrace();
    if (!text) {
        addErrorWithCode(StrictJsonErrorInput, "Input was 'nil'");
        return nullptr;
    }
    if (!isStrictUtf8(*text)) {
        addErrorWithCode(StrictJsonErrorInput, "Input was not valid UTF-8");
        return nullptr;
    }
    startCall();
    m_c = text->data();
    m_end = m_c + text->size();

    ns::Id value;
    bool scanned = scanValue(value);
    // A failure leaves the open containers' values behind; they belong to nothing now.
    m_elements.clear();
    m_members.clear();
    if (m_buffer.capacity() > 64 * 1024)
        std::string().swap(m_buffer);
    if (!scanned)
        return nullptr;

    skipWhitespace();
    if (m_c != m_end) {
        addErrorWithCode(StrictJsonErrorGarbage, "Garbage after JSON");
        return nullptr;
    }
    return value;
}

void StrictJsonParser::skipWhitespace()
{
    // Indentation comes in runs of spaces: eight at a time.
    constexpr uint64_t Spaces = 0x2020202020202020ull;
    const char* c = m_c;
    const char* end = m_end;
    for (;;) {
        while (end - c >= 8) {
            uint64_t word;
            std::memcpy(&word, c, 8);
            uint64_t others = word ^ Spaces;
            if (others) {
                c += __builtin_ctzll(others) / 8;
                break;
            }
            c += 8;
        }
        if (c == end || !ns::isAsciiSpace(*c))
            break;
        ++c;
    }
    m_c = c;
}

[[gnu::noinline]] bool StrictJsonParser::scanLiteral(char first, ns::Id& value)
{
    std::string_view rest = first == 't' ? "rue" : first == 'f' ? "alse" : "ull";
    if (static_cast<std::size_t>(m_end - m_c) < rest.size() ||
        std::memcmp(m_c, rest.data(), rest.size()) != 0)
        return fail(StrictJsonErrorToken, first == 't'   ? "Expected 'true'"
                                          : first == 'f' ? "Expected 'false'"
                                                         : "Expected 'null'");
    m_c += rest.size();
    if (first == 'n')
        value = ns::Null::null();
    else
        value = ns::Number::numberWithBool(first == 't');
    return true;
}

[[gnu::noinline]] void StrictJsonParser::closeArray(std::size_t first, ns::Id& value)
{
    auto begin = m_elements.begin() + static_cast<std::ptrdiff_t>(first);
    std::vector<ns::Id> elements(std::make_move_iterator(begin), std::make_move_iterator(m_elements.end()));
    m_elements.erase(begin, m_elements.end());
    value = ns::MutableArray::make(std::move(elements));
}

[[gnu::noinline]] void StrictJsonParser::closeDictionary(std::size_t first, ns::Id& value)
{
    auto begin = m_members.begin() + static_cast<std::ptrdiff_t>(first);
    ns::Dictionary::Entries members(std::make_move_iterator(begin), std::make_move_iterator(m_members.end()));
    m_members.erase(begin, m_members.end());
    // A later member with an equal key replaces the earlier one.
    value = ns::MutableDictionary::make(std::move(members));
}

[[gnu::noinline]] bool StrictJsonParser::failForKey(const ns::Id& key)
{
    return fail(StrictJsonErrorToken, ns::format("Object value expected for key: %@", key));
}

bool StrictJsonParser::scanValue(ns::Id& value)
{
    skipWhitespace();
    if (m_c == m_end)
        return fail(StrictJsonErrorEndOfInput, "Unexpected end of string");
    switch (*m_c++) {
    case '"':
        return scanRestOfString(value);
    case '+':
        return fail(StrictJsonErrorNumber, "Leading + disallowed in number");
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
        --m_c;
        return scanNumber(value);
    case '[':
        return scanRestOfArray(value);
    case '{':
        return scanRestOfDictionary(value);
    case 't':
    case 'f':
    case 'n':
        return scanLiteral(m_c[-1], value);
    default:
        --m_c;
        return fail(StrictJsonErrorToken, "Unrecognised leading character");
    }
}

bool StrictJsonParser::scanRestOfArray(ns::Id& value)
{
    if (!enterContainer())
        return false;
    std::size_t first = m_elements.size();
    while (m_c != m_end) {
        skipWhitespace();
        if (m_c != m_end && *m_c == ']') {
            ++m_c;
            closeArray(first, value);
            leaveContainer();
            return true;
        }
        ns::Id element;
        if (!scanValue(element))
            return fail(StrictJsonErrorToken, "Expected value while parsing array");
        m_elements.push_back(std::move(element));
        skipWhitespace();
        if (m_c == m_end)
            break;
        if (*m_c == ',') {
            ++m_c;
            skipWhitespace();
            if (m_c != m_end && *m_c == ']')
                return fail(StrictJsonErrorTrailingComma, "Trailing comma disallowed in array");
        } else if (*m_c != ']') {
            // Two elements side by side would otherwise read as a list: "[1 2]" is not JSON.
            return fail(StrictJsonErrorToken, "Expected ',' or ']' while parsing array");
        }
    }
    return fail(StrictJsonErrorEndOfInput, "End of input while parsing array");
}

bool StrictJsonParser::scanRestOfDictionary(ns::Id& value)
{
    if (!enterContainer())
        return false;
    std::size_t first = m_members.size();
    while (m_c != m_end) {
        skipWhitespace();
        if (m_c != m_end && *m_c == '}') {
            ++m_c;
            closeDictionary(first, value);
            leaveContainer();
            return true;
        }
        ns::Id key;
        if (m_c == m_end || *m_c != '"')
            return fail(StrictJsonErrorToken, "Object key string expected");
        ++m_c;
        if (!scanKey(key))
            return fail(StrictJsonErrorToken, "Object key string expected");
        skipWhitespace();
        if (m_c == m_end || *m_c != ':')
            return fail(StrictJsonErrorToken, "Expected ':' separating key and value");
        ++m_c;
        ns::Id member;
        if (!scanValue(member))
            return failForKey(key);
        m_members.emplace_back(std::move(key), std::move(member));
        skipWhitespace();
        if (m_c == m_end)
            break;
        if (*m_c == ',') {
            ++m_c;
            skipWhitespace();
            if (m_c != m_end && *m_c == '}')
                return fail(StrictJsonErrorTrailingComma, "Trailing comma disallowed in object");
        } else if (*m_c != '}') {
            return fail(StrictJsonErrorToken, "Expected ',' or '}' while parsing object");
        }
    }
    return fail(StrictJsonErrorEndOfInput, "End of input while parsing object");
}

bool StrictJsonParser::scanKey(ns::Id& key)
{
    // The same few keys come back in every object of a reply: a short plain key is made once and shared
    // (strings are immutable, and a dictionary keeps its own copy of a key anyway).
    const char* start = m_c;
    const char* c = m_c;
    while (c != m_end && isPlain(*c))
        ++c;
    std::size_t length = static_cast<std::size_t>(c - start);
    if (c == m_end || *c != '"' || length > MaxSharedKeyLength)
        return scanRestOfString(key);
    uint32_t hash = 2166136261u;
    for (const char* b = start; b != c; ++b)
        hash = (hash ^ static_cast<unsigned char>(*b)) * 16777619u;
    std::string_view text(start, length);
    ns::Ref<ns::String>& shared = m_sharedKeys[hash % SharedKeys];
    if (!shared || shared->str() != text)
        shared = ns::String::make(std::string(text));
    key = shared;
    m_c = c + 1;
    return true;
}

bool StrictJsonParser::scanRestOfString(ns::Id& value)
{
    // Most strings have no escapes: take them straight from the input.
    const char* start = m_c;
    while (m_c != m_end && isPlain(*m_c))
        ++m_c;
    if (m_c != m_end && *m_c == '"') {
        value = ns::String::make(std::string(start, m_c));
        ++m_c;
        return true;
    }

    m_buffer.assign(start, m_c);
    while (m_c != m_end) {
        const char* run = m_c;
        while (m_c != m_end && isPlain(*m_c))
            ++m_c;
        m_buffer.append(run, m_c);
        if (m_c == m_end)
            break;

        auto byte = static_cast<unsigned char>(*m_c);
        if (byte == '"') {
            ++m_c;
            value = ns::String::make(m_buffer);
            return true;
        }
        if (byte != '\\') // a raw control byte, the NUL byte included
            return fail(StrictJsonErrorControl, ns::format("Unescaped control character '0x%x'", byte));

        if (++m_c == m_end)
            break;
        auto escaped = static_cast<unsigned char>(*m_c++);
        switch (escaped) {
        case '"':
        case '\\':
        case '/':
            m_buffer += static_cast<char>(escaped);
            break;
        case 'b':
            m_buffer += '\b';
            break;
        case 'f':
            m_buffer += '\f';
            break;
        case 'n':
            m_buffer += '\n';
            break;
        case 'r':
            m_buffer += '\r';
            break;
        case 't':
            m_buffer += '\t';
            break;
        case 'u': {
            char32_t codePoint = 0;
            if (!scanUnicodeChar(codePoint))
                return fail(StrictJsonErrorUnicode, "Broken unicode character");
            ns::appendUtf8(m_buffer, codePoint);
            break;
        }
        default:
            return fail(StrictJsonErrorEscape, ns::format("Illegal escape sequence '0x%x'", escaped));
        }
    }
    return fail(StrictJsonErrorEndOfInput, "Unexpected EOF while parsing string");
}

bool StrictJsonParser::scanHexQuad(uint32_t& quad)
{
    quad = 0;
    for (int i = 0; i < 4; ++i) {
        int digit = m_c != m_end ? ns::hexDigitValue(*m_c) : -1;
        if (digit < 0)
            return fail(StrictJsonErrorUnicode, "Missing hex digit in quad");
        ++m_c;
        quad = quad * 16 + static_cast<uint32_t>(digit);
    }
    return true;
}

bool StrictJsonParser::scanUnicodeChar(char32_t& codePoint)
{
    uint32_t high = 0;
    if (!scanHexQuad(high))
        return fail(StrictJsonErrorUnicode, "Missing hex quad");
    if (high >= 0xD800 && high < 0xDC00) {
        uint32_t low = 0;
        bool escaped = m_end - m_c >= 2 && m_c[0] == '\\' && m_c[1] == 'u';
        if (escaped)
            m_c += 2;
        // A lone surrogate's error names it, so that the trace says which escape broke the text.
        if (!escaped || !scanHexQuad(low))
            return fail(StrictJsonErrorUnicode,
                        ns::format("Missing low character in surrogate pair '\\u%04x'", high));
        if (low < 0xDC00 || low > 0xDFFF)
            return fail(StrictJsonErrorUnicode,
                        ns::format("Invalid low surrogate char '\\u%04x' after '\\u%04x'", low, high));
        codePoint = 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
        return true;
    }
    if (high >= 0xDC00 && high <= 0xDFFF)
        return fail(StrictJsonErrorUnicode,
                    ns::format("Invalid high character in surrogate pair '\\u%04x'", high));
    codePoint = high;
    return true;
}

bool StrictJsonParser::scanNumber(ns::Id& value)
{
    const char* start = m_c;
    if (*m_c == '-')
        ++m_c;
    if (m_c != m_end && *m_c == '0') {
        ++m_c;
        if (m_c != m_end && ns::isAsciiDigit(*m_c))
            return fail(StrictJsonErrorNumber, "Leading 0 disallowed in number");
    } else if (m_c == m_end || !ns::isAsciiDigit(*m_c)) {
        return fail(StrictJsonErrorNumber, "No digits after initial minus");
    } else {
        while (m_c != m_end && ns::isAsciiDigit(*m_c))
            ++m_c;
    }

    if (m_c != m_end && *m_c == '.') {
        ++m_c;
        if (m_c == m_end || !ns::isAsciiDigit(*m_c))
            return fail(StrictJsonErrorNumber, "No digits after decimal point");
        while (m_c != m_end && ns::isAsciiDigit(*m_c))
            ++m_c;
    }

    if (m_c != m_end && (*m_c == 'e' || *m_c == 'E')) {
        ++m_c;
        if (m_c != m_end && (*m_c == '-' || *m_c == '+'))
            ++m_c;
        if (m_c == m_end || !ns::isAsciiDigit(*m_c))
            return fail(StrictJsonErrorNumber, "No digits after exponent");
        while (m_c != m_end && ns::isAsciiDigit(*m_c))
            ++m_c;
    }

    // The exact text becomes the number, so no digit is lost to a binary double.
    std::string_view text(start, static_cast<std::size_t>(m_c - start));
    if (!makeCommonNumber(text, value)) {
        auto number = ns::DecimalNumber::decimalNumberWithString(text);
        if (!number)
            return fail(StrictJsonErrorNumber, "Failed creating decimal instance");
        value = std::move(number);
    }
    return true;
}

// The numbers of most texts (a few significant digits, a small exponent) straight from their scanned
// text: the digits and the nearest double found in one pass, the object cut from the decoder's chunks.
// False for the others, which the general reading takes.
bool StrictJsonParser::makeCommonNumber(std::string_view text, ns::Id& value)
{
    constexpr std::size_t MostDigits = 19;
    char digits[MostDigits];
    std::size_t count = 0;
    uint64_t significand = 0;
    int exponent = 0;
    std::size_t i = 0;
    bool negative = text[0] == '-';
    if (negative)
        ++i;
    bool fraction = false;
    for (; i < text.size(); ++i) {
        char c = text[i];
        if (c == '.') {
            fraction = true;
            continue;
        }
        if (c == 'e' || c == 'E')
            return false; // an exponent: the general reading
        if (count == 0 && c == '0') {
            if (fraction)
                --exponent;
            continue;
        }
        if (count == MostDigits)
            return false;
        digits[count++] = c;
        significand = significand * 10 + static_cast<uint64_t>(c - '0');
        if (fraction)
            --exponent;
    }
    if (count == 0)
        return false; // zero, whose sign the general reading settles
    while (count > 1 && digits[count - 1] == '0') {
        --count;
        ++exponent;
        significand /= 10;
    }
    double nearest = 0;
    if (!JKDoubleFromDecimal(significand, exponent, &nearest))
        return false;
    value = JKMakeShared<ns::DecimalNumber>(negative, std::string_view(digits, count), exponent,
                                            negative ? -nearest : nearest);
    return true;
}
