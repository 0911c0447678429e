#include "ddxml/DDXMLString.h"

#include "foundation/Log.h"
#include "foundation/Text.h"

#include <libxml/entities.h>
#include <libxml/globals.h>

namespace {

// White space and line breaks: Unicode's spaces, tab to carriage return, NEL and the line and paragraph
// separators.
bool isTrimmed(char32_t c)
{
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F ||
           c == 0x3000;
}

} // namespace

std::string DDXMLStringByTrimming(std::string_view text)
{
    return std::string(ns::trimWhere(text, isTrimmed));
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
