#pragma once

#include "foundation/Object.h"

#include <string>
#include <string_view>

namespace ns {

// Reads a property list's bytes, XML or binary, into our values through the library, after the checks
// that keep hostile input from the library's limits.
class PropertyListReader
{
public:
    // The value, or nothing with the reason it was refused.
    static Id read(std::string_view bytes, std::string& reason);
    // The two ways `read` takes: a plain XML document read directly (nothing when it is not one), and
    // the library, which reads every document.
    static Id readCommonXml(std::string_view bytes);
    static Id readThroughLibrary(std::string_view bytes, std::string& reason);
};

} // namespace ns
