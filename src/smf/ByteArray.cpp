#include "ByteArray.h"

#include <algorithm>
#include <new>

void TByteArray::assignSlowly(const uint8* bytes, size_t count)
{
    if (count > UINT32_MAX)
        throw std::bad_alloc();
    if (count <= kInlineCapacity) {
        // bytes may point into our own heap block: copy before releasing it.
        uint8 copy[kInlineCapacity];
        if (count > 0)
            memcpy(copy, bytes, count);
        release();
        fTag = (uint8)count;
        if (count > 0)
            memcpy(fStore, copy, count);
        return;
    }
    uint8* block = newBlock((uint32)count);
    memcpy(block + sizeof(uint32), bytes, count);
    release();
    setHeap(block);
}

void TByteArray::resize(size_t count)
{
    size_t old = size();
    if (count == old)
        return;
    if (count > UINT32_MAX)
        throw std::bad_alloc();
    if (count <= kInlineCapacity) {
        uint8 copy[kInlineCapacity] = {};
        memcpy(copy, data(), std::min(old, count));
        release();
        fTag = (uint8)count;
        memcpy(fStore, copy, count);
        return;
    }
    uint8* block = newBlock((uint32)count);
    const size_t kept = std::min(old, count);
    memcpy(block + sizeof(uint32), data(), kept);
    memset(block + sizeof(uint32) + kept, 0, count - kept);
    release();
    setHeap(block);
}
