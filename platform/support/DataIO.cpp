#include <DataIO.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <stdexcept>

BDataIO::~BDataIO() = default;

ssize_t BPositionIO::Read(void* buffer, size_t size)
{
    off_t position = Position();
    ssize_t result = ReadAt(position, buffer, size);
    if (result > 0)
        Seek(position + result, SEEK_SET);
    return result;
}

ssize_t BPositionIO::Write(const void* buffer, size_t size)
{
    off_t position = Position();
    ssize_t result = WriteAt(position, buffer, size);
    if (result > 0)
        Seek(position + result, SEEK_SET);
    return result;
}

status_t BPositionIO::SetSize(off_t)
{
    return B_ERROR;
}

status_t BPositionIO::GetSize(off_t* size) const
{
    // Streams that know no better: the size is where the end is when seeking there.
    auto* self = const_cast<BPositionIO*>(this);
    off_t current = Position();
    off_t end = self->Seek(0, SEEK_END);
    if (end < 0)
        return (status_t)end;
    self->Seek(current, SEEK_SET);
    *size = end;
    return B_OK;
}

// Resolves a seek request against the current position and length; B_BAD_VALUE when it would
// land before the start or beyond what off_t holds.
static off_t resolve_seek(off_t position, uint32 seekMode, off_t current, off_t length)
{
    off_t base;
    switch (seekMode) {
    case SEEK_SET:
        base = 0;
        break;
    case SEEK_CUR:
        base = current;
        break;
    case SEEK_END:
        base = length;
        break;
    default:
        return B_BAD_VALUE;
    }
    // base is never negative, so base + position cannot overflow here, while -position could.
    if (position < 0 && base + position < 0)
        return B_BAD_VALUE;
    if (position > 0 && base > INT64_MAX - position)
        return B_BAD_VALUE;
    return base + position;
}

// #pragma mark - BMemoryIO

BMemoryIO::BMemoryIO(void* data, size_t length)
    : fReadOnly(false), fBuffer(static_cast<uint8*>(data)), fLength(length), fBufferSize(length)
{
}

BMemoryIO::BMemoryIO(const void* data, size_t length)
    : fReadOnly(true),
      fBuffer(static_cast<uint8*>(const_cast<void*>(data))),
      fLength(length),
      fBufferSize(length)
{
}

ssize_t BMemoryIO::ReadAt(off_t position, void* buffer, size_t size)
{
    if (buffer == nullptr || position < 0)
        return B_BAD_VALUE;
    if ((uint64)position >= fLength)
        return 0;
    size_t count = std::min(size, fLength - (size_t)position);
    memcpy(buffer, fBuffer + position, count);
    return (ssize_t)count;
}

ssize_t BMemoryIO::WriteAt(off_t position, const void* buffer, size_t size)
{
    if (fReadOnly)
        return B_NOT_ALLOWED;
    if (buffer == nullptr || position < 0)
        return B_BAD_VALUE;
    if ((uint64)position >= fBufferSize)
        return 0;
    size_t count = std::min(size, fBufferSize - (size_t)position);
    if (count == 0)
        return 0;
    memcpy(fBuffer + position, buffer, count);
    fLength = std::max(fLength, (size_t)position + count);
    return (ssize_t)count;
}

off_t BMemoryIO::Seek(off_t position, uint32 seekMode)
{
    off_t result = resolve_seek(position, seekMode, fPosition, (off_t)fLength);
    if (result >= 0)
        fPosition = result;
    return result;
}

off_t BMemoryIO::Position() const
{
    return fPosition;
}

status_t BMemoryIO::SetSize(off_t size)
{
    if (fReadOnly)
        return B_NOT_ALLOWED;
    if (size < 0 || (uint64)size > fBufferSize)
        return B_BAD_VALUE;
    fLength = (size_t)size;
    return B_OK;
}

status_t BMemoryIO::GetSize(off_t* size) const
{
    *size = (off_t)fLength;
    return B_OK;
}

// #pragma mark - BMallocIO

BMallocIO::BMallocIO() = default;

// Streams in memory are written in many small pieces: appending skips the general way
// through Position, WriteAt and Seek.
ssize_t BMallocIO::Write(const void* buffer, size_t size)
{
    // Appending a few bytes within the buffer: the common case, done here.
    if (buffer != nullptr && (size_t)fPosition == fLength && size <= fData.size() - fLength) {
        memcpy(fData.data() + fLength, buffer, size);
        fLength += size;
        fPosition += (off_t)size;
        return (ssize_t)size;
    }
    ssize_t result = WriteAt(fPosition, buffer, size);
    if (result > 0)
        fPosition += result;
    return result;
}

ssize_t BMallocIO::ReadAt(off_t position, void* buffer, size_t size)
{
    if (buffer == nullptr || position < 0)
        return B_BAD_VALUE;
    if ((uint64)position >= fLength)
        return 0;
    size_t count = std::min(size, fLength - (size_t)position);
    memcpy(buffer, fData.data() + position, count);
    return (ssize_t)count;
}

ssize_t BMallocIO::WriteAt(off_t position, const void* buffer, size_t size)
{
    if (buffer == nullptr || position < 0)
        return B_BAD_VALUE;
    if (size == 0)
        return 0;
    if ((uint64)position > SIZE_MAX - size)
        return B_NO_MEMORY;
    size_t end = (size_t)position + size;
    if (end > fData.size()) {
        try {
            // Grow geometrically: streams are written in many small pieces.
            fData.resize(std::max(end, fData.size() + fData.size() / 2 + 64));
        } catch (const std::bad_alloc&) {
            return B_NO_MEMORY;
        } catch (const std::length_error&) {
            return B_NO_MEMORY;
        }
    }
    // Bytes beyond the length may be left from before a SetSize that shrank the stream.
    if ((size_t)position > fLength)
        memset(fData.data() + fLength, 0, (size_t)position - fLength);
    memcpy(fData.data() + position, buffer, size);
    fLength = std::max(fLength, end);
    return (ssize_t)size;
}

off_t BMallocIO::Seek(off_t position, uint32 seekMode)
{
    off_t result = resolve_seek(position, seekMode, fPosition, (off_t)fLength);
    if (result >= 0)
        fPosition = result;
    return result;
}

off_t BMallocIO::Position() const
{
    return fPosition;
}

status_t BMallocIO::SetSize(off_t size)
{
    if (size < 0)
        return B_BAD_VALUE;
    try {
        if ((uint64)size > fData.size())
            fData.resize((size_t)size);
    } catch (const std::exception&) {
        return B_NO_MEMORY;
    }
    if ((uint64)size > fLength)
        memset(fData.data() + fLength, 0, (size_t)size - fLength);
    fLength = (size_t)size;
    return B_OK;
}

status_t BMallocIO::GetSize(off_t* size) const
{
    *size = (off_t)fLength;
    return B_OK;
}
