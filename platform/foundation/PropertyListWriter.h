#pragma once

#include "foundation/Object.h"

#include <string>
#include <string_view>

namespace ns {

// Writes our values as a property list's XML form.
class PropertyListWriter
{
public:
    // The whole document, or false with the reason the value is not a property list.
    static bool writeXml(const Id& value, std::string& out, std::string& reason);
    // The parts of that document, for a writer that keeps the elements of a large list it writes again
    // and again: the lines before the root element, one value's element at a nesting depth (a tab per
    // level) appended to `out`, and the closing line.
    static std::string_view xmlHeader();
    static bool appendElement(const Id& value, int depth, std::string& out, std::string& reason);
    static std::string_view xmlFooter();
};

} // namespace ns
