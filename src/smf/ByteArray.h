#pragma once

// The data bytes of one MIDI event. Almost every event carries one to three bytes, so short
// arrays live inside the object and only long payloads (system exclusive, long meta texts) go
// to the heap. The object is 9 bytes with byte alignment, which keeps an event at 12 bytes and
// an event with its tick at 16: a converted song holds millions of them, twice over.

#include <SupportDefs.h>

#include <cstddef>
#include <cstring>
#include <initializer_list>

class TByteArray {
public:
    TByteArray() noexcept : fTag(0) {}
    TByteArray(const uint8* bytes, size_t count) : fTag(0) { assign(bytes, count); }
    TByteArray(std::initializer_list<uint8> bytes) : fTag(0)
    {
        assign(bytes.begin(), bytes.size());
    }
    TByteArray(const TByteArray& other) : fTag(0)
    {
        if (other.onHeap()) {
            assignSlowly(other.data(), other.size());
        } else {
            fTag = other.fTag;
            memcpy(fStore, other.fStore, sizeof(fStore));
        }
    }
    TByteArray(TByteArray&& other) noexcept : fTag(other.fTag)
    {
        memcpy(fStore, other.fStore, sizeof(fStore));
        other.fTag = 0;
    }
    ~TByteArray() { release(); }

    TByteArray& operator=(const TByteArray& other)
    {
        if (this != &other)
            assign(other.data(), other.size());
        return *this;
    }
    TByteArray& operator=(TByteArray&& other) noexcept
    {
        if (this != &other) {
            release();
            fTag = other.fTag;
            memcpy(fStore, other.fStore, sizeof(fStore));
            other.fTag = 0;
        }
        return *this;
    }

    size_t size() const { return onHeap() ? heapSize() : fTag; }
    bool empty() const { return size() == 0; }
    const uint8* data() const { return onHeap() ? heapData() : fStore; }
    uint8* data() { return onHeap() ? heapData() : fStore; }
    const uint8* begin() const { return data(); }
    const uint8* end() const { return data() + size(); }
    uint8& operator[](size_t index) { return data()[index]; }
    const uint8& operator[](size_t index) const { return data()[index]; }

    // Replaces the contents with count bytes copied from bytes.
    void assign(const uint8* bytes, size_t count)
    {
        // The common case, a channel message's bytes into an array that holds no heap
        // block, stays out of line of nothing.
        if (count <= kInlineCapacity && !onHeap()) {
            for (size_t i = 0; i < count; i++)
                fStore[i] = bytes[i];
            fTag = (uint8)count;
            return;
        }
        assignSlowly(bytes, count);
    }
    // Changes the size; new bytes are zero, kept bytes keep their values.
    void resize(size_t count);
    void clear()
    {
        release();
        fTag = 0;
    }

    bool operator==(const TByteArray& other) const
    {
        return size() == other.size() && memcmp(data(), other.data(), size()) == 0;
    }

    static constexpr size_t kInlineCapacity = 8;

private:
    static constexpr uint8 kHeapTag = 0xFF;

    void assignSlowly(const uint8* bytes, size_t count);

    bool onHeap() const { return fTag == kHeapTag; }
    // On the heap, the store holds the pointer to a block that begins with the size (4
    // bytes) and then holds the bytes. Both are copied in and out because neither the store
    // nor the bytes after the size are aligned.
    uint8* heapBlock() const
    {
        uint8* block;
        memcpy(&block, fStore, sizeof(block));
        return block;
    }
    size_t heapSize() const
    {
        uint32 size;
        memcpy(&size, heapBlock(), sizeof(size));
        return size;
    }
    uint8* heapData() const { return heapBlock() + sizeof(uint32); }
    // A block for count bytes after their size; the bytes are not initialised.
    static uint8* newBlock(uint32 count)
    {
        uint8* block = new uint8[sizeof(uint32) + count];
        memcpy(block, &count, sizeof(count));
        return block;
    }
    void setHeap(uint8* block)
    {
        fTag = kHeapTag;
        memcpy(fStore, &block, sizeof(block));
    }
    void release()
    {
        if (onHeap())
            delete[] heapBlock();
        fTag = 0;
    }

    uint8 fTag; // the size while the bytes are inline, kHeapTag otherwise
    uint8 fStore[kInlineCapacity] = {};
};

static_assert(sizeof(TByteArray) == 9);
