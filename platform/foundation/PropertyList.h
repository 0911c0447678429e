#pragma once

#include "foundation/Object.h"

#include <string>
#include <string_view>

namespace ns {

class Data;
class Error;

inline constexpr long PropertyListReadCorruptError = 3840;
inline constexpr long PropertyListWriteInvalidError = 3851;

// Property lists: Apple's XML and binary formats read, the XML format written. The values are texts,
// numbers (bool, integer, real), data, dates, arrays and dictionaries with text keys; anything else (the
// null object, other objects) is not a property list and is refused with an error.
class PropertyList
{
public:
    // Nesting deeper than this is refused on reading and on writing.
    static constexpr int MaximumDepth = 512;

    // Containers come back immutable.
    static Id propertyListWithData(std::string_view bytes, Ref<Error>* error = nullptr);
    static Id propertyListWithData(const Data& data, Ref<Error>* error = nullptr);
    static Id propertyListWithContentsOfFile(const std::string& path, Ref<Error>* error = nullptr);

    static Ref<Data> dataWithPropertyList(const Id& value, Ref<Error>* error = nullptr);
    static std::string xmlText(const Id& value, Ref<Error>* error = nullptr); // empty on failure
    // Writes the XML form atomically; the old file stays as it was when the value is refused.
    static bool writePropertyList(const Id& value, const std::string& path, Ref<Error>* error = nullptr);

    static bool isValid(const Id& value);
    // A deep immutable copy of a property list, or nothing when the value is not one.
    static Id copyPropertyList(const Id& value);
};

} // namespace ns
