#pragma once

#include "foundation/Object.h"

#include <cstddef>

// The members of a decoded tree lie wherever they were made. A writer walking a container asks for each
// member a few members ahead of writing it, so that the member's first touch does not stall the walk.
// Shared by both codecs' writers.
inline constexpr std::size_t JKPrefetchAhead = 8;

inline void JKPrefetchObject(const ns::Object* object)
{
    if (!object)
        return;
    __builtin_prefetch(object);
    __builtin_prefetch(reinterpret_cast<const char*>(object) + 64); // an object's second line
}
