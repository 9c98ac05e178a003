#include "EventPool.h"

#include <cstdint>
#include <new>
#include <system_error>

TEventPool::~TEventPool()
{
    if (fHelper.joinable()) {
        {
            std::lock_guard<std::mutex> guard(fLock);
            fQuitting = true;
        }
        fWanted.notify_one();
        fHelper.join();
    }
    for (area_id area : fAreas)
        delete_area(area);
}

// A committed chunk, or nullptr when memory is exhausted.
TEventPool::Chunk* TEventPool::NewChunk()
{
    void* address;
    area_id area = create_area("event nodes", &address, B_ANY_ADDRESS, kChunkSize, B_FULL_LOCK,
                               B_READ_AREA | B_WRITE_AREA);
    if (area < 0)
        return nullptr;
    std::lock_guard<std::mutex> guard(fLock);
    fAreas.push_back(area);
    return static_cast<Chunk*>(address);
}

void TEventPool::MakeChunksAhead()
{
    std::unique_lock<std::mutex> lock(fLock);
    while (!fQuitting) {
        if (fReady.size() >= kChunksAhead) {
            fWanted.wait(lock);
            continue;
        }
        lock.unlock();
        Chunk* chunk = NewChunk();
        lock.lock();
        if (chunk == nullptr)
            return;
        fReady.push_back(chunk);
    }
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
        {
            std::lock_guard<std::mutex> guard(fLock);
            if (!fReady.empty()) {
                chunk = fReady.back();
                fReady.pop_back();
            }
            if (!fHelper.joinable() && !fNoHelper && fAreas.size() >= kChunksBeforeHelp) {
                try {
                    fHelper = std::thread(&TEventPool::MakeChunksAhead, this);
                } catch (const std::system_error&) {
                    // No thread to be had: the conversion commits its memory itself.
                    fNoHelper = true;
                }
            }
        }
        fWanted.notify_one();
        if (chunk == nullptr)
            chunk = NewChunk();
        if (chunk == nullptr)
            throw std::bad_alloc();
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
