#include "ddxml/DDXMLString.h"

#include <libxml/globals.h>

namespace {

bool isTrimmed(char32_t c)
{
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F ||
           c == 0x3000;
}

// The code point starting at `at` and its length in bytes; 0 length for a malformed sequence.
std::size_t decodeAt(std::string_view text, std::size_t at, char32_t& c)
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

} // namespace

// Works on the bytes at both ends only: the printed documents it trims can be large.
std::string DDXMLStringByTrimming(std::string_view text)
{
    std::size_t begin = 0;
    while (begin < text.size()) {
        char32_t c;
        std::size_t length = decodeAt(text, begin, c);
        if (!length || !isTrimmed(c))
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
        std::size_t length = decodeAt(text, start, c);
        if (length != end - start || !isTrimmed(c))
            break;
        end = start;
    }
    return std::string(text.substr(begin, end - begin));
}

void DDXMLFreeText(xmlChar* text)
{
    xmlFree(text);
}

std::string DDXMLContent(xmlNodePtr node)
{
    DDXMLText content(xmlNodeGetContent(node));
    return content ? std::string(reinterpret_cast<const char*>(content.get())) : std::string();
}
