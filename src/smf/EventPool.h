#pragma once

// Memory for the nodes of the event maps of one conversion. A song of a million notes makes
// millions of small nodes, and the conversion builds and drops whole maps of them: the
// tracks, the merged source, the destination. The pool hands out blocks from large chunks in
// address order and counts the live blocks of each chunk; a chunk whose blocks are all free
// again goes back to be handed out from its start. So a map built in order lies in memory in
// order, walking it runs through memory instead of jumping about, and memory of a dropped
// map serves the next one. Not thread-safe: one conversion runs on one thread.

#include <OS.h>

#include <cstddef>
#include <memory_resource>
#include <vector>

class TEventPool : public std::pmr::memory_resource {
public:
    TEventPool() = default;
    ~TEventPool() override;

    TEventPool(const TEventPool&) = delete;
    TEventPool& operator=(const TEventPool&) = delete;

    // Bytes taken from the system so far (for measurements).
    size_t ReservedBytes() const { return fAreas.size() * kChunkSize; }

private:
    struct Chunk {
        size_t liveBlocks;
        Chunk* nextFree;
    };

    // Chunks are areas of the size of a large page, aligned to it, so that the system can
    // back them with large pages: a song's worth of nodes then costs a few hundred page
    // faults instead of tens of thousands.
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

    Chunk* fCurrent = nullptr; // the chunk blocks are cut from
    char* fCursor = nullptr;
    char* fEnd = nullptr;
    Chunk* fFreeChunks = nullptr;
    std::vector<area_id> fAreas;
};
