#include "webservices/jk/JKAllocator.h"

#include <atomic>
#include <mutex>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define JK_POOL_DISABLED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer)
#define JK_POOL_DISABLED 1
#endif
#endif

namespace jk_pool {

#ifdef JK_POOL_DISABLED

void* allocate(std::size_t bytes)
{
    return ::operator new(bytes);
}

void deallocate(void* block, std::size_t) noexcept
{
    ::operator delete(block);
}

#else

namespace {

constexpr std::size_t Granule = 16;
constexpr std::size_t ClassCount = 32; // blocks of 16 to 512 bytes
constexpr std::size_t LargestBlock = Granule * ClassCount;
constexpr std::size_t ChunkSize = 64 * 1024;

struct FreeBlock
{
    FreeBlock* next;
};

// Per thread and trivially constructible, so that reaching it costs no initialisation check.
struct ThreadPool
{
    FreeBlock* free[ClassCount];
    char* bump;
    char* bumpEnd;
};
thread_local ThreadPool t_pool;

// Chunks are never returned: they stay listed here, and the free lists of a thread that ends are handed
// over to the threads that go on.
struct Shared
{
    std::mutex lock;
    std::vector<void*> chunks;
    FreeBlock* orphans[ClassCount] = {};
    std::atomic<bool> hasOrphans{false};
};

Shared& shared()
{
    static Shared* instance = new Shared; // outlives every thread and every static destructor
    return *instance;
}

struct Reclaimer
{
    ~Reclaimer()
    {
        Shared& s = shared();
        std::lock_guard<std::mutex> guard(s.lock);
        for (std::size_t c = 0; c < ClassCount; ++c) {
            FreeBlock* list = t_pool.free[c];
            if (!list)
                continue;
            FreeBlock* last = list;
            while (last->next)
                last = last->next;
            last->next = s.orphans[c];
            s.orphans[c] = list;
            t_pool.free[c] = nullptr;
            s.hasOrphans.store(true, std::memory_order_relaxed);
        }
    }
};
thread_local Reclaimer t_reclaimer;

void* refill(std::size_t sizeClass)
{
    (void)&t_reclaimer; // registers the hand-over at this thread's end
    Shared& s = shared();
    if (s.hasOrphans.load(std::memory_order_relaxed)) {
        std::lock_guard<std::mutex> guard(s.lock);
        if (FreeBlock* list = s.orphans[sizeClass]) {
            s.orphans[sizeClass] = nullptr;
            t_pool.free[sizeClass] = list->next;
            return list;
        }
    }
    std::size_t bytes = (sizeClass + 1) * Granule;
    if (static_cast<std::size_t>(t_pool.bumpEnd - t_pool.bump) < bytes) {
        void* chunk = ::operator new(ChunkSize, std::nothrow);
        if (!chunk)
            throw std::bad_alloc();
        {
            std::lock_guard<std::mutex> guard(s.lock);
            s.chunks.push_back(chunk);
        }
        t_pool.bump = static_cast<char*>(chunk);
        t_pool.bumpEnd = t_pool.bump + ChunkSize;
    }
    void* block = t_pool.bump;
    t_pool.bump += bytes;
    return block;
}

} // namespace

void* allocate(std::size_t bytes)
{
    if (bytes && bytes <= LargestBlock) {
        std::size_t sizeClass = (bytes - 1) / Granule;
        if (FreeBlock* block = t_pool.free[sizeClass]) {
            t_pool.free[sizeClass] = block->next;
            return block;
        }
        return refill(sizeClass);
    }
    return ::operator new(bytes);
}

void deallocate(void* block, std::size_t bytes) noexcept
{
    if (!block)
        return;
    if (bytes && bytes <= LargestBlock) {
        std::size_t sizeClass = (bytes - 1) / Granule;
        auto* freed = static_cast<FreeBlock*>(block);
        freed->next = t_pool.free[sizeClass];
        t_pool.free[sizeClass] = freed;
        return;
    }
    ::operator delete(block);
}

#endif

} // namespace jk_pool
