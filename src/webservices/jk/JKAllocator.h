#pragma once

#include <cstddef>
#include <memory>
#include <new>
#include <utility>

// How the decoder allocates its values and containers. A parse makes a great many small objects, one after
// another, that mostly die together when the tree is released. They are cut in order from chunks that each
// thread owns while it fills them, so that making one costs a few instructions and the objects of a tree lie
// side by side, in the order a reader walks them; a chunk goes back to the general allocator when the last
// block cut from it is freed, on whatever thread that happens. Larger blocks (the slots of big containers)
// come from the general allocator.
namespace jk_arena {

inline constexpr std::size_t ChunkSize = 64 * 1024;
inline constexpr std::size_t LargestBlock = 1024;

// A block of at most LargestBlock bytes.
void* allocate(std::size_t bytes);
void free(void* block) noexcept;

// Whether blocks really come from chunks: under the address sanitizer every block is its own allocation,
// so that misuse is still caught.
bool enabled();

} // namespace jk_arena

template <class T> struct JKPoolAllocator
{
    using value_type = T;

    JKPoolAllocator() = default;
    template <class U> JKPoolAllocator(const JKPoolAllocator<U>&) noexcept {}

    T* allocate(std::size_t count)
    {
        std::size_t bytes = count * sizeof(T);
        if (bytes <= jk_arena::LargestBlock && alignof(T) <= alignof(std::max_align_t))
            return static_cast<T*>(jk_arena::allocate(bytes));
        return static_cast<T*>(::operator new(bytes));
    }
    void deallocate(T* block, std::size_t count) noexcept
    {
        std::size_t bytes = count * sizeof(T);
        if (bytes <= jk_arena::LargestBlock && alignof(T) <= alignof(std::max_align_t))
            jk_arena::free(block);
        else
            ::operator delete(block);
    }

    template <class U> bool operator==(const JKPoolAllocator<U>&) const noexcept { return true; }
};

// An object and its reference counts in one block from the decoder's chunks.
template <class T, class... Args> std::shared_ptr<T> JKMakeShared(Args&&... args)
{
    return std::allocate_shared<T>(JKPoolAllocator<T>(), std::forward<Args>(args)...);
}
