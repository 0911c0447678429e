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
};

} // namespace ns
