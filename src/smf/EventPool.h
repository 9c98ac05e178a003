#pragma once

// Memory for the nodes of the event maps of one conversion. A song of a million notes makes
// millions of small nodes of a handful of sizes; a pool with one free list per size hands
// them out and takes them back at a fraction of the cost of the general heap, packs them
// without per-block headers, and gives everything back at once when the conversion ends.
// Not thread-safe: one conversion runs on one thread.

#include <memory_resource>
#include <vector>

class TEventPool : public std::pmr::memory_resource {
public:
    TEventPool() = default;
    ~TEventPool() override;

    TEventPool(const TEventPool&) = delete;
    TEventPool& operator=(const TEventPool&) = delete;

    // Bytes taken from the system so far (for measurements).
    size_t ReservedBytes() const { return fReserved; }

private:
    void* do_allocate(size_t bytes, size_t alignment) override;
    void do_deallocate(void* pointer, size_t bytes, size_t alignment) override;
    bool do_is_equal(const std::pmr::memory_resource& other) const noexcept override
    {
        return this == &other;
    }

    static constexpr size_t kGrain = 8;
    static constexpr size_t kLargestPooled = 256;
    static constexpr size_t kChunkSize = 1 << 20;

    struct FreeBlock {
        FreeBlock* next;
    };

    static size_t ClassOf(size_t bytes) { return (bytes + kGrain - 1) / kGrain; }
    bool Pooled(size_t bytes, size_t alignment) const
    {
        // Blocks are multiples of kGrain carved from chunks aligned for anything.
        return bytes <= kLargestPooled && alignment <= kGrain;
    }

    FreeBlock* fFree[kLargestPooled / kGrain + 1] = {};
    std::vector<void*> fChunks;
    char* fCursor = nullptr;
    char* fChunkEnd = nullptr;
    size_t fReserved = 0;
};
