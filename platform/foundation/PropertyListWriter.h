#pragma once

#include "foundation/Object.h"

#include <string>

namespace ns {

// Writes our values as a property list's XML form.
class PropertyListWriter
{
public:
    // The whole document, or false with the reason the value is not a property list.
    static bool writeXml(const Id& value, std::string& out, std::string& reason);
};

} // namespace ns
