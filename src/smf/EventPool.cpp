#include "EventPool.h"

#include <cstdint>
#include <new>

TEventPool::~TEventPool()
{
    for (area_id area : fAreas)
        delete_area(area);
}

// Chunks are aligned to their size, so a block finds its chunk by masking its address.
TEventPool::Chunk* TEventPool::ChunkOf(void* block)
{
    return reinterpret_cast<Chunk*>(reinterpret_cast<uintptr_t>(block) & ~(kChunkSize - 1));
}

void TEventPool::StartChunk()
{
    Chunk* chunk = fFreeChunks;
    if (chunk != nullptr) {
        fFreeChunks = chunk->nextFree;
    } else {
        void* address;
        fAreas.reserve(fAreas.size() + 1);
        area_id area = create_area("event nodes", &address, B_ANY_ADDRESS, kChunkSize,
                                   B_FULL_LOCK, B_READ_AREA | B_WRITE_AREA);
        if (area < 0)
            throw std::bad_alloc();
        fAreas.push_back(area);
        chunk = static_cast<Chunk*>(address);
    }
    chunk->liveBlocks = 0;
    chunk->nextFree = nullptr;
    fCurrent = chunk;
    fCursor = reinterpret_cast<char*>(chunk) + kHeaderSize;
    fEnd = reinterpret_cast<char*>(chunk) + kChunkSize;
}

void* TEventPool::do_allocate(size_t bytes, size_t alignment)
{
    if (!Pooled(bytes, alignment))
        return ::operator new(bytes, std::align_val_t(alignment));
    const size_t size = (bytes + kAlignment - 1) & ~(kAlignment - 1);
    if (fCurrent == nullptr || (size_t)(fEnd - fCursor) < size)
        StartChunk();
    void* block = fCursor;
    fCursor += size;
    fCurrent->liveBlocks++;
    return block;
}

void TEventPool::do_deallocate(void* pointer, size_t bytes, size_t alignment)
{
    if (!Pooled(bytes, alignment)) {
        ::operator delete(pointer, std::align_val_t(alignment));
        return;
    }
    Chunk* chunk = ChunkOf(pointer);
    if (--chunk->liveBlocks != 0)
        return;
    if (chunk == fCurrent) {
        // Cut from its start again.
        fCursor = reinterpret_cast<char*>(chunk) + kHeaderSize;
        return;
    }
    chunk->nextFree = fFreeChunks;
    fFreeChunks = chunk;
}
