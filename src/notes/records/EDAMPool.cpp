#include "notes/records/EDAMPool.h"

#include <array>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#define EDAM_POOL_PASS_THROUGH 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define EDAM_POOL_PASS_THROUGH 1
#endif
#endif

namespace edam {

namespace {

constexpr std::size_t Granule = 16;
constexpr std::size_t ClassCount = 32;         // blocks up to 512 bytes
constexpr std::size_t MaxBlocksPerClass = 256; // what a thread keeps back at most, per size

struct FreeBlock
{
    FreeBlock* next;
};

class Pool
{
public:
    ~Pool();

    void* take(std::size_t sizeClass);
    bool give(void* block, std::size_t sizeClass);

private:
    struct List
    {
        FreeBlock* head = nullptr;
        std::size_t count = 0;
    };
    std::array<List, ClassCount> m_lists{};
};

// Set once the thread's pool is gone, so that objects freed later in the thread's exit go straight back.
thread_local bool t_poolGone = false;

Pool& threadPool()
{
    thread_local Pool pool;
    return pool;
}

Pool::~Pool()
{
    t_poolGone = true;
    for (auto& list : m_lists) {
        while (list.head) {
            FreeBlock* next = list.head->next;
            ::operator delete(list.head);
            list.head = next;
        }
    }
}

void* Pool::take(std::size_t sizeClass)
{
    List& list = m_lists[sizeClass];
    if (!list.head)
        return ::operator new((sizeClass + 1) * Granule);
    FreeBlock* block = list.head;
    list.head = block->next;
    --list.count;
    return block;
}

bool Pool::give(void* block, std::size_t sizeClass)
{
    List& list = m_lists[sizeClass];
    if (list.count >= MaxBlocksPerClass)
        return false;
    auto* free = static_cast<FreeBlock*>(block);
    free->next = list.head;
    list.head = free;
    ++list.count;
    return true;
}

std::size_t sizeClassOf(std::size_t bytes)
{
    return (bytes + Granule - 1) / Granule - 1;
}

bool pooled(std::size_t bytes)
{
#ifdef EDAM_POOL_PASS_THROUGH
    // Under the address sanitizer every object gets its own allocation, so that misuse is still caught.
    (void)bytes;
    return false;
#else
    return bytes > 0 && bytes <= ClassCount * Granule;
#endif
}

} // namespace

void* poolAllocate(std::size_t bytes)
{
    if (!pooled(bytes))
        return ::operator new(bytes);
    // Always the whole size of the class: the block may be freed into another thread's pool.
    if (t_poolGone)
        return ::operator new((sizeClassOf(bytes) + 1) * Granule);
    return threadPool().take(sizeClassOf(bytes));
}

void poolFree(void* block, std::size_t bytes) noexcept
{
    if (!pooled(bytes) || t_poolGone || !threadPool().give(block, sizeClassOf(bytes)))
        ::operator delete(block);
}

} // namespace edam
