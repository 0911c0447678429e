#pragma once

#include "foundation/CHandle.h"

#include <libxml/tree.h>
#include <libxml/xmlstring.h>

#include <string>
#include <string_view>

// Text helpers at the libxml2 boundary.

// The text's UTF-8 bytes as libxml2 takes them, valid as long as the text lives.
inline const xmlChar* DDXMLChar(const std::string& text)
{
    return reinterpret_cast<const xmlChar*>(text.c_str());
}

// A copy with white space and line breaks removed at both ends.
std::string DDXMLStringByTrimming(std::string_view text);

// Releases text that libxml2 hands out. Its xmlFree is a variable, so it cannot stand as the release
// function of a holder itself.
void DDXMLFreeText(xmlChar* text);
using DDXMLText = ns::CHandle<xmlChar, DDXMLFreeText>;

// The text content of a node or an attribute; empty when it has none.
std::string DDXMLContent(xmlNodePtr node);
