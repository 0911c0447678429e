#include "webservices/jk/JKAllocator.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <sys/single_threaded.h>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define JK_ARENA_PASS_THROUGH 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define JK_ARENA_PASS_THROUGH 1
#endif
#endif

namespace jk_arena {

#ifndef JK_ARENA_PASS_THROUGH
namespace {

constexpr std::size_t Granule = 16;
constexpr std::size_t HeaderSize = 64; // the count on a line of its own, ahead of the first block

// While a thread cuts blocks from a chunk, the count of blocks still out carries this bias, so that it
// cannot reach zero however many of the blocks cut so far are freed meanwhile.
constexpr int64_t Bias = int64_t(1) << 40;

struct Chunk
{
    std::atomic<int64_t> live;
};

static_assert(sizeof(Chunk) <= HeaderSize);

Chunk* chunkOf(void* block)
{
    return reinterpret_cast<Chunk*>(reinterpret_cast<uintptr_t>(block) & ~(uintptr_t(ChunkSize) - 1));
}

// Chunks that were freed, kept for the next ones up to a bound, so that a program that decodes and releases
// large trees again and again reuses the same memory instead of having it mapped and faulted in afresh.
class ChunkPool
{
public:
    static constexpr std::size_t Kept = 256; // 16 MiB

    void* take()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (!m_free.empty()) {
                void* chunk = m_free.back();
                m_free.pop_back();
                return chunk;
            }
        }
        return ::operator new(ChunkSize, std::align_val_t(ChunkSize));
    }
    void give(void* chunk) noexcept
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_free.size() < Kept) {
                m_free.push_back(chunk); // never grows: the room was reserved
                return;
            }
        }
        ::operator delete(chunk, std::align_val_t(ChunkSize));
    }

    ChunkPool() { m_free.reserve(Kept); }

private:
    std::mutex m_mutex;
    std::vector<void*> m_free;
};

// Never destroyed: blocks may be freed during the program's exit, after static objects are gone.
ChunkPool& pool()
{
    static ChunkPool* chunks = new ChunkPool;
    return *chunks;
}

Chunk* newChunk(int64_t live)
{
    auto* chunk = static_cast<Chunk*>(pool().take());
    new (&chunk->live) std::atomic<int64_t>(live);
    return chunk;
}

// Takes `count` off the chunk's count and frees it when nothing is left.
void release(Chunk* chunk, int64_t count) noexcept
{
    int64_t before;
    if (__libc_single_threaded) {
        // No other thread exists to free a block of it meanwhile.
        before = chunk->live.load(std::memory_order_relaxed);
        chunk->live.store(before - count, std::memory_order_relaxed);
    } else {
        before = chunk->live.fetch_sub(count, std::memory_order_acq_rel);
    }
    if (before == count) {
        chunk->live.~atomic();
        pool().give(chunk);
    }
}

// The chunk this thread cuts from. Plain data, so that reaching it costs no more than a thread-local load.
struct Cutter
{
    Chunk* chunk;
    char* next;
    char* end;
    int64_t cut; // blocks cut from the chunk so far
};
thread_local Cutter t_cutter = {nullptr, nullptr, nullptr, 0};
thread_local bool t_gone = false;

void retire(Cutter& cutter) noexcept
{
    if (!cutter.chunk)
        return;
    release(cutter.chunk, Bias - cutter.cut);
    cutter = {nullptr, nullptr, nullptr, 0};
}

// Hands the thread's chunk back when the thread ends; made on the thread's first chunk.
struct Retirer
{
    ~Retirer()
    {
        retire(t_cutter);
        t_gone = true;
    }
};

[[gnu::noinline]] void* refill(std::size_t bytes)
{
    if (t_gone) {
        // The thread is ending and its chunk is gone: a chunk of the block's own, freed with it.
        Chunk* chunk = newChunk(1);
        return reinterpret_cast<char*>(chunk) + HeaderSize;
    }
    thread_local Retirer retirer;
    (void)retirer;
    Cutter& cutter = t_cutter;
    retire(cutter);
    Chunk* chunk = newChunk(Bias);
    cutter.chunk = chunk;
    cutter.next = reinterpret_cast<char*>(chunk) + HeaderSize + bytes;
    cutter.end = reinterpret_cast<char*>(chunk) + ChunkSize;
    cutter.cut = 1;
    return reinterpret_cast<char*>(chunk) + HeaderSize;
}

} // namespace
#endif

bool enabled()
{
#ifdef JK_ARENA_PASS_THROUGH
    return false;
#else
    return true;
#endif
}

void* allocate(std::size_t bytes)
{
#ifdef JK_ARENA_PASS_THROUGH
    return ::operator new(bytes);
#else
    bytes = (bytes + Granule - 1) & ~(Granule - 1);
    Cutter& cutter = t_cutter;
    if (static_cast<std::size_t>(cutter.end - cutter.next) < bytes) [[unlikely]]
        return refill(bytes);
    void* block = cutter.next;
    cutter.next += bytes;
    ++cutter.cut;
    return block;
#endif
}

void free(void* block) noexcept
{
#ifdef JK_ARENA_PASS_THROUGH
    ::operator delete(block);
#else
    release(chunkOf(block), 1);
#endif
}

} // namespace jk_arena
