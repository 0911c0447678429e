#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ns {

// Checks made on a property list's bytes before the library parses them, so that hostile nesting cannot
// exhaust its stack and shared objects cannot expand without bound.
class PropertyListLimits
{
public:
    // A binary property list may share objects; expanded into a tree it must stay within this many nodes.
    static constexpr uint64_t MaximumExpandedNodes = 4'000'000;

    // Counts the nesting of <array> and <dict> the way an XML parser sees them: comments, CDATA sections,
    // processing instructions, declarations and quoted attribute values hide what looks like tags.
    static bool xmlDepthWithin(std::string_view xml, int limit);

    // Walks the object graph of a binary property list without building it: every reference in range, no
    // cycles, nesting within the limit and a bounded tree once shared objects are expanded.
    static bool binaryShapeAcceptable(std::string_view data, int limit, std::string& reason);
};

} // namespace ns
