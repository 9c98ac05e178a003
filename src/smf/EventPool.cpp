#include "EventPool.h"

#include <cstdlib>
#include <new>

TEventPool::~TEventPool()
{
    for (void* chunk : fChunks)
        ::operator delete(chunk);
}

void* TEventPool::do_allocate(size_t bytes, size_t alignment)
{
    if (!Pooled(bytes, alignment))
        return ::operator new(bytes, std::align_val_t(alignment));

    size_t sizeClass = ClassOf(bytes);
    if (FreeBlock* block = fFree[sizeClass]) {
        fFree[sizeClass] = block->next;
        return block;
    }

    size_t size = sizeClass * kGrain;
    if (fChunkEnd - fCursor < (ptrdiff_t)size) {
        fChunks.reserve(fChunks.size() + 1);
        fChunks.push_back(::operator new(kChunkSize));
        fReserved += kChunkSize;
        fCursor = static_cast<char*>(fChunks.back());
        fChunkEnd = fCursor + kChunkSize;
    }
    void* block = fCursor;
    fCursor += size;
    return block;
}

void TEventPool::do_deallocate(void* pointer, size_t bytes, size_t alignment)
{
    if (!Pooled(bytes, alignment)) {
        ::operator delete(pointer, std::align_val_t(alignment));
        return;
    }
    auto* block = static_cast<FreeBlock*>(pointer);
    size_t sizeClass = ClassOf(bytes);
    block->next = fFree[sizeClass];
    fFree[sizeClass] = block;
}
