#pragma once

#include <cstddef>
#include <memory>
#include <new>
#include <utility>

// Small blocks for the decoder's values and containers. A parse of a large reply makes hundreds of
// thousands of numbers, strings and small containers; recycling their blocks through per-thread free
// lists costs a few instructions where the general allocator costs a few dozen. Blocks larger than the
// biggest class go to the general allocator. Under the sanitizers every block goes there too, so that
// use after free stays detectable.
namespace jk_pool {

void* allocate(std::size_t bytes);
void deallocate(void* block, std::size_t bytes) noexcept;

} // namespace jk_pool

template <class T> struct JKPoolAllocator
{
    using value_type = T;

    JKPoolAllocator() noexcept = default;
    template <class U> JKPoolAllocator(const JKPoolAllocator<U>&) noexcept {}

    T* allocate(std::size_t count)
    {
        if (count > std::size_t(-1) / sizeof(T))
            throw std::bad_alloc();
        return static_cast<T*>(jk_pool::allocate(count * sizeof(T)));
    }
    void deallocate(T* block, std::size_t count) noexcept { jk_pool::deallocate(block, count * sizeof(T)); }

    template <class U> bool operator==(const JKPoolAllocator<U>&) const noexcept { return true; }
};

// make_shared through the pool: object and reference counts in one pooled block.
template <class T, class... Args> std::shared_ptr<T> JKMakeShared(Args&&... args)
{
    return std::allocate_shared<T>(JKPoolAllocator<T>(), std::forward<Args>(args)...);
}
