#pragma once

// Memory for the nodes of the event maps of one conversion. A song of a million notes makes
// millions of small nodes, and the conversion builds and drops whole maps of them: the
// tracks, the merged source, the destination. The pool hands out blocks from large chunks in
// address order and counts the live blocks of each chunk; a chunk whose blocks are all free
// again goes back to be handed out from its start. So a map built in order lies in memory in
// order, walking it runs through memory instead of jumping about, and memory of a dropped
// map serves the next one. Not thread-safe: one conversion runs on one thread.
//
// Committing fresh memory is a large part of the cost of a big conversion. Once a pool has
// grown past a few chunks, a helper thread commits the next chunks ahead of need on the other
// processor, so that the conversion rarely waits for memory.

#include <OS.h>

#include <condition_variable>
#include <cstddef>
#include <memory_resource>
#include <mutex>
#include <thread>
#include <vector>

class TEventPool : public std::pmr::memory_resource {
public:
    TEventPool() = default;
    ~TEventPool() override;

    TEventPool(const TEventPool&) = delete;
    TEventPool& operator=(const TEventPool&) = delete;

    // Bytes taken from the system so far (for measurements).
    size_t ReservedBytes() const
    {
        std::lock_guard<std::mutex> guard(fLock);
        return fAreas.size() * kChunkSize;
    }

private:
    struct Chunk {
        size_t liveBlocks;
        Chunk* nextFree;
    };

    // Chunks are areas aligned to their size, committed whole when they are made, which
    // costs less than a page fault at the first touch of every page.
    static constexpr size_t kChunkSize = 2 << 20;
    static constexpr size_t kHeaderSize = 64;
    static constexpr size_t kLargestPooled = 256;
    // Nodes hold pointers and integers: eight-byte alignment serves them.
    static constexpr size_t kAlignment = 8;

    void* do_allocate(size_t bytes, size_t alignment) override;
    void do_deallocate(void* pointer, size_t bytes, size_t alignment) override;
    bool do_is_equal(const std::pmr::memory_resource& other) const noexcept override
    {
        return this == &other;
    }

    static bool Pooled(size_t bytes, size_t alignment)
    {
        return bytes <= kLargestPooled && alignment <= kAlignment;
    }
    static Chunk* ChunkOf(void* block);
    void StartChunk();
    Chunk* NewChunk();
    void MakeChunksAhead();

    // Chunks made ahead: the helper thread starts when the pool has this many, and keeps at
    // most kChunksAhead ready.
    static constexpr size_t kChunksBeforeHelp = 4;
    static constexpr size_t kChunksAhead = 6;

    Chunk* fCurrent = nullptr; // the chunk blocks are cut from
    char* fCursor = nullptr;
    char* fEnd = nullptr;
    Chunk* fFreeChunks = nullptr;

    mutable std::mutex fLock; // guards what follows
    std::vector<area_id> fAreas;
    std::vector<Chunk*> fReady;
    std::condition_variable fWanted;
    bool fQuitting = false;
    bool fNoHelper = false;
    std::thread fHelper;
};
