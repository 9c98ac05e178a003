#pragma once

// Byte streams: BDataIO reads and writes in sequence, BPositionIO adds a position that can be
// moved. BMemoryIO works on a caller's buffer of fixed size, BMallocIO on a buffer it owns and
// grows.

#include <SupportDefs.h>

#include <vector>

class BDataIO {
public:
    BDataIO() = default;
    virtual ~BDataIO();

    BDataIO(const BDataIO&) = delete;
    BDataIO& operator=(const BDataIO&) = delete;

    // Number of bytes transferred, which may be fewer than asked, or a negative error.
    virtual ssize_t Read(void* buffer, size_t size) = 0;
    virtual ssize_t Write(const void* buffer, size_t size) = 0;
};

class BPositionIO : public BDataIO {
public:
    ssize_t Read(void* buffer, size_t size) override;
    ssize_t Write(const void* buffer, size_t size) override;

    virtual ssize_t ReadAt(off_t position, void* buffer, size_t size) = 0;
    virtual ssize_t WriteAt(off_t position, const void* buffer, size_t size) = 0;

    // seekMode is SEEK_SET, SEEK_CUR or SEEK_END; the result is the new position or an error.
    virtual off_t Seek(off_t position, uint32 seekMode) = 0;
    virtual off_t Position() const = 0;

    virtual status_t SetSize(off_t size);
    virtual status_t GetSize(off_t* size) const;
};

class BMemoryIO : public BPositionIO {
public:
    BMemoryIO(void* data, size_t length);
    BMemoryIO(const void* data, size_t length); // read-only

    ssize_t ReadAt(off_t position, void* buffer, size_t size) override;
    ssize_t WriteAt(off_t position, const void* buffer, size_t size) override;
    off_t Seek(off_t position, uint32 seekMode) override;
    off_t Position() const override;
    // Can shrink the visible length, never grow it past the buffer given at construction.
    status_t SetSize(off_t size) override;
    status_t GetSize(off_t* size) const override;

private:
    bool fReadOnly;
    uint8* fBuffer;
    size_t fLength;
    size_t fBufferSize;
    off_t fPosition = 0;
};

class BMallocIO : public BPositionIO {
public:
    BMallocIO();

    ssize_t Write(const void* buffer, size_t size) override;
    ssize_t ReadAt(off_t position, void* buffer, size_t size) override;
    ssize_t WriteAt(off_t position, const void* buffer, size_t size) override;
    off_t Seek(off_t position, uint32 seekMode) override;
    off_t Position() const override;
    status_t SetSize(off_t size) override;
    status_t GetSize(off_t* size) const override;

    const void* Buffer() const { return fData.data(); }
    size_t BufferLength() const { return fLength; }

private:
    std::vector<uint8> fData;
    size_t fLength = 0;
    off_t fPosition = 0;
};
