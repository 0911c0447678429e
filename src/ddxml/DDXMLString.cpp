#include "ddxml/DDXMLString.h"

#include "foundation/Text.h"

std::string DDXMLStringByTrimming(std::string_view text)
{
    return ns::trimWhitespaceAndNewlines(text);
}
