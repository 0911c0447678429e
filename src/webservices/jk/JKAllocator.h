#pragma once

#include <memory>
#include <utility>

// How the decoder allocates its values and containers: object and reference counts in one block. A
// pooled allocator with per-thread free lists was measured against the general allocator here and lost
// on number-heavy texts (a freed tree's blocks come back cold and scattered, while the general allocator
// merges them and hands memory out in address order), so the general allocator is used.
template <class T> using JKPoolAllocator = std::allocator<T>;

template <class T, class... Args> std::shared_ptr<T> JKMakeShared(Args&&... args)
{
    return std::make_shared<T>(std::forward<Args>(args)...);
}
