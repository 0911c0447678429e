#include "foundation/Text.h"

#include "foundation/Ascii.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace ns {
namespace {

// Decodes one code point; invalid bytes decode as U+FFFD one byte at a time.
char32_t decode(std::string_view text, std::size_t& i)
{
    auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    unsigned char c = byte(i);
    if (c < 0x80) {
        ++i;
        return c;
    }
    int extra = 0;
    char32_t value = 0;
    char32_t minimum = 0;
    if ((c & 0xE0) == 0xC0) {
        extra = 1;
        value = c & 0x1F;
        minimum = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
        extra = 2;
        value = c & 0x0F;
        minimum = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
        extra = 3;
        value = c & 0x07;
        minimum = 0x10000;
    } else {
        ++i;
        return 0xFFFD;
    }
    if (i + static_cast<std::size_t>(extra) >= text.size()) {
        ++i;
        return 0xFFFD;
    }
    for (int k = 1; k <= extra; ++k) {
        unsigned char next = byte(i + static_cast<std::size_t>(k));
        if ((next & 0xC0) != 0x80) {
            ++i;
            return 0xFFFD;
        }
        value = (value << 6) | (next & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        ++i;
        return 0xFFFD;
    }
    i += static_cast<std::size_t>(extra) + 1;
    return value;
}

// The code point starting at `at` and its length in bytes; 0 for a malformed or cut-off sequence.
std::size_t decodeStrict(std::string_view text, std::size_t at, char32_t& c)
{
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    unsigned char lead = byte(at);
    std::size_t length = lead < 0x80           ? 1
                         : (lead >> 5) == 0x6  ? 2
                         : (lead >> 4) == 0xE  ? 3
                         : (lead >> 3) == 0x1E ? 4
                                               : 0;
    if (length == 0 || at + length > text.size())
        return 0;
    c = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80)
            return 0;
        c = (c << 6) | (byte(at + i) & 0x3F);
    }
    return length;
}

bool isIn(char32_t c, std::u32string_view set)
{
    return set.find(c) != std::u32string_view::npos;
}

std::string trimSet(std::string_view text, std::u32string_view set)
{
    std::u16string units = toUtf16(text);
    std::size_t begin = 0;
    std::size_t end = units.size();
    while (begin < end && isIn(units[begin], set))
        ++begin;
    while (end > begin && isIn(units[end - 1], set))
        --end;
    return fromUtf16(std::u16string_view(units).substr(begin, end - begin));
}

std::size_t skipWhitespace(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' || text[i] == '\r' ||
                               text[i] == '\v' || text[i] == '\f'))
        ++i;
    return i;
}

} // namespace

void appendUtf8(std::string& out, char32_t c)
{
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        c = 0xFFFD;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool isValidUtf8(std::string_view text)
{
    return invalidUtf8Offset(text) == std::string_view::npos;
}

std::size_t invalidUtf8Offset(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t before = i;
        char32_t c = decode(text, i);
        if (c == 0xFFFD && i - before == 1)
            return before;
    }
    return std::string_view::npos;
}

std::u16string toUtf16(std::string_view text)
{
    std::u16string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        char32_t c = decode(text, i);
        if (c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (c >> 10));
            out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
    }
    return out;
}

std::string fromUtf16(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        appendUtf8(out, c);
    }
    return out;
}

std::size_t utf16Length(std::string_view text)
{
    std::size_t units = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            ++units;
            ++i;
            continue;
        }
        units += decode(text, i) >= 0x10000 ? 2 : 1;
    }
    return units;
}

std::string utf16Substring(std::string_view text, std::size_t from, std::size_t length)
{
    std::u16string units = toUtf16(text);
    if (from >= units.size())
        return {};
    length = std::min(length, units.size() - from);
    std::size_t end = from + length;
    // Never cut a surrogate pair in half.
    if (end < units.size() && end > from && units[end - 1] >= 0xD800 && units[end - 1] <= 0xDBFF)
        --end;
    return fromUtf16(std::u16string_view(units).substr(from, end - from));
}

std::string utf16Prefix(std::string_view text, std::size_t units)
{
    return utf16Substring(text, 0, units);
}

char16_t utf16At(std::string_view text, std::size_t index)
{
    std::u16string units = toUtf16(text);
    return index < units.size() ? units[index] : 0;
}

bool hasPrefix(std::string_view text, std::string_view prefix)
{
    return !prefix.empty() && text.substr(0, prefix.size()) == prefix;
}

bool hasSuffix(std::string_view text, std::string_view suffix)
{
    return !suffix.empty() && text.size() >= suffix.size() &&
           text.substr(text.size() - suffix.size()) == suffix;
}

std::size_t find(std::string_view text, std::string_view needle)
{
    return needle.empty() ? std::string_view::npos : text.find(needle);
}

std::vector<std::string> split(std::string_view text, std::string_view separator)
{
    std::vector<std::string> parts;
    if (separator.empty()) {
        parts.emplace_back(text);
        return parts;
    }
    std::size_t start = 0;
    while (true) {
        std::size_t at = text.find(separator, start);
        if (at == std::string_view::npos) {
            parts.emplace_back(text.substr(start));
            return parts;
        }
        parts.emplace_back(text.substr(start, at - start));
        start = at + separator.size();
    }
}

std::string join(const std::vector<std::string>& parts, std::string_view separator)
{
    std::string out;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i)
            out += separator;
        out += parts[i];
    }
    return out;
}

std::string replaceAll(std::string_view text, std::string_view from, std::string_view to)
{
    if (from.empty())
        return std::string(text);
    std::string out;
    std::size_t start = 0;
    while (true) {
        std::size_t at = text.find(from, start);
        if (at == std::string_view::npos) {
            out += text.substr(start);
            return out;
        }
        out += text.substr(start, at - start);
        out += to;
        start = at + from.size();
    }
}

std::string trimWhitespace(std::string_view text)
{
    return trimSet(text, U" \t");
}

std::string trimWhitespaceAndNewlines(std::string_view text)
{
    return trimSet(text, U" \t\n\r\v\f\u0085\u00A0\u2028\u2029");
}

std::string trimNewlines(std::string_view text)
{
    return trimSet(text, U"\n\r\v\f\u0085\u2028\u2029");
}

std::string trimSpaces(std::string_view text)
{
    return trimSet(text, U" ");
}

std::string_view trimBlanks(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

std::string_view trimWhere(std::string_view text, bool (*trimmed)(char32_t))
{
    std::size_t begin = 0;
    while (begin < text.size()) {
        char32_t c;
        std::size_t length = decodeStrict(text, begin, c);
        if (!length || !trimmed(c))
            break;
        begin += length;
    }
    std::size_t end = text.size();
    while (end > begin) {
        // Back up to the start of the last code point.
        std::size_t start = end - 1;
        while (start > begin && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80 && end - start < 4)
            --start;
        char32_t c;
        std::size_t length = decodeStrict(text, start, c);
        if (length != end - start || !trimmed(c))
            break;
        end = start;
    }
    return text.substr(begin, end - begin);
}

int64_t integerValue(std::string_view text)
{
    std::size_t i = skipWhitespace(text);
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    uint64_t value = 0;
    bool overflow = false;
    while (i < text.size() && isAsciiDigit(text[i])) {
        uint64_t digit = static_cast<uint64_t>(text[i++] - '0');
        if (value > (std::numeric_limits<uint64_t>::max() - digit) / 10)
            overflow = true;
        else
            value = value * 10 + digit;
    }
    if (negative) {
        if (overflow || value > static_cast<uint64_t>(std::numeric_limits<int64_t>::max()) + 1)
            return std::numeric_limits<int64_t>::min();
        return static_cast<int64_t>(0 - value);
    }
    if (overflow || value > static_cast<uint64_t>(std::numeric_limits<int64_t>::max()))
        return std::numeric_limits<int64_t>::max();
    return static_cast<int64_t>(value);
}

int32_t intValue(std::string_view text)
{
    int64_t value = integerValue(text);
    return static_cast<int32_t>(
        std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

double doubleValue(std::string_view text)
{
    std::size_t i = skipWhitespace(text);
    if (i < text.size() && text[i] == '+')
        ++i;
    double value = 0;
    auto result = std::from_chars(text.data() + i, text.data() + text.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        bool negative = i < text.size() && text[i] == '-';
        // Past the range the platform gives infinity, below it zero; tell them apart by the exponent sign.
        std::string_view rest(text.data() + i, static_cast<std::size_t>(result.ptr - (text.data() + i)));
        std::size_t e = rest.find_first_of("eE");
        bool tiny = e != std::string_view::npos && e + 1 < rest.size() && rest[e + 1] == '-';
        if (tiny)
            return negative ? -0.0 : 0.0;
        return negative ? -HUGE_VAL : HUGE_VAL;
    }
    if (result.ec != std::errc())
        return 0;
    return value;
}

float floatValue(std::string_view text)
{
    return static_cast<float>(doubleValue(text));
}

bool boolValue(std::string_view text)
{
    std::size_t i = skipWhitespace(text);
    while (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    while (i < text.size() && text[i] == '0')
        ++i;
    if (i >= text.size())
        return false;
    char c = text[i];
    return c == 'Y' || c == 'y' || c == 'T' || c == 't' || (c >= '1' && c <= '9');
}

std::string toLowerAscii(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = toLowerAscii(c);
    return out;
}

std::string toUpperAscii(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = toUpperAscii(c);
    return out;
}

} // namespace ns
