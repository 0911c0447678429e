#pragma once

#include "foundation/Object.h"

#include <cstddef>
#include <memory>

namespace edam {

// Small blocks recycled per thread. Reading a note makes a handful of small objects per resource next to
// its large byte buffers; taking them from malloc each time makes the allocator consolidate its small free
// chunks whenever a large buffer is freed, which costs more than the reading itself.
void* poolAllocate(std::size_t bytes);
void poolFree(void* block, std::size_t bytes) noexcept;

template <class T> struct PoolAllocator
{
    using value_type = T;

    PoolAllocator() = default;
    template <class U> PoolAllocator(const PoolAllocator<U>&) noexcept {}

    T* allocate(std::size_t count) { return static_cast<T*>(poolAllocate(count * sizeof(T))); }
    void deallocate(T* block, std::size_t count) noexcept { poolFree(block, count * sizeof(T)); }

    template <class U> bool operator==(const PoolAllocator<U>&) const noexcept { return true; }
};

// ns::make for objects that reading makes in numbers.
template <class T, class... Args> ns::Ref<T> makePooled(Args&&... args)
{
    return std::allocate_shared<T>(PoolAllocator<T>(), std::forward<Args>(args)...);
}

} // namespace edam
