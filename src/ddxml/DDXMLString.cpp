#include "ddxml/DDXMLString.h"

#include "foundation/Log.h"

#include <libxml/entities.h>
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

namespace {

// What entity references may add to one reading of a text: far beyond any real use, yet bounded, so
// that a few declared entities referenced many times cannot make a small document read as gigabytes.
constexpr std::size_t MaxEntityText = std::size_t(1) << 20;
// Entities that reference entities: libxml2 refuses loops, this bounds the chain.
constexpr int MaxEntityDepth = 40;

struct Reading
{
    std::string text;
    std::size_t fromEntities = 0;
    bool cut = false;
};

// Text of the document itself is always taken; text from entities only within the bound.
void append(Reading& reading, const xmlChar* content, int entityDepth)
{
    if (!content)
        return;
    std::string_view text(reinterpret_cast<const char*>(content));
    if (entityDepth > 0) {
        if (reading.cut || text.size() > MaxEntityText - reading.fromEntities) {
            reading.cut = true;
            return;
        }
        reading.fromEntities += text.size();
    }
    reading.text.append(text);
}

void gatherDescendants(Reading& reading, xmlNodePtr top, int entityDepth);

// The replacement text of a reference, read from the entity's parsed content.
void gatherEntity(Reading& reading, xmlNodePtr reference, int entityDepth)
{
    if (reading.cut)
        return;
    if (entityDepth >= MaxEntityDepth) {
        reading.cut = true;
        return;
    }
    xmlEntityPtr entity = xmlGetDocEntity(reference->doc, reference->name);
    if (!entity)
        return;
    for (xmlNodePtr node = entity->children; node && !reading.cut; node = node->next) {
        if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE)
            append(reading, node->content, entityDepth + 1);
        else if (node->type == XML_ENTITY_REF_NODE)
            gatherEntity(reading, node, entityDepth + 1);
        else if (node->type == XML_ELEMENT_NODE)
            gatherDescendants(reading, node, entityDepth + 1);
    }
}

// The text and CDATA below `top` in document order, through entity references. A loop rather than
// recursion: trees built in code can be deeper than the stack.
void gatherDescendants(Reading& reading, xmlNodePtr top, int entityDepth)
{
    xmlNodePtr node = top->children;
    while (node) {
        if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE)
            append(reading, node->content, entityDepth);
        else if (node->type == XML_ENTITY_REF_NODE)
            gatherEntity(reading, node, entityDepth);
        if (node->type == XML_ELEMENT_NODE && node->children) {
            node = node->children;
            continue;
        }
        while (node != top && !node->next)
            node = node->parent;
        if (node == top)
            break;
        node = node->next;
    }
}

} // namespace

std::string DDXMLContent(xmlNodePtr node)
{
    Reading reading;
    switch (node->type) {
    case XML_ELEMENT_NODE:
    case XML_DOCUMENT_FRAG_NODE:
    case XML_DOCUMENT_NODE:
    case XML_HTML_DOCUMENT_NODE:
    case XML_ATTRIBUTE_NODE:
        gatherDescendants(reading, node, 0);
        break;
    case XML_ENTITY_REF_NODE:
        gatherEntity(reading, node, 0);
        break;
    default: {
        DDXMLText content(xmlNodeGetContent(node));
        return content ? std::string(reinterpret_cast<const char*>(content.get())) : std::string();
    }
    }
    if (reading.cut)
        ns::log("the text's entity references expand beyond %d bytes: the rest is left out",
                static_cast<int>(MaxEntityText));
    return std::move(reading.text);
}
