#include <BufferIO.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

BBufferIO::BBufferIO(BPositionIO* stream, size_t bufferSize, bool ownsStream)
    : fStream(stream), fOwnsStream(ownsStream), fBuffer(std::max<size_t>(bufferSize, 512))
{
    if (fStream != nullptr)
        fPosition = std::max<off_t>(fStream->Position(), 0);
}

BBufferIO::~BBufferIO()
{
    Flush();
    if (fOwnsStream)
        delete fStream;
}

status_t BBufferIO::Flush()
{
    if (fBuffered == 0)
        return B_OK;
    if (fStream == nullptr)
        return B_NO_INIT;
    ssize_t written = fStream->WriteAt(fBufferStart, fBuffer.data(), fBuffered);
    if (written != (ssize_t)fBuffered)
        return written < 0 ? (status_t)written : B_IO_ERROR;
    fBuffered = 0;
    return B_OK;
}

ssize_t BBufferIO::Write(const void* buffer, size_t size)
{
    ssize_t result = WriteAt(fPosition, buffer, size);
    if (result > 0)
        fPosition += result;
    return result;
}

ssize_t BBufferIO::ReadAt(off_t position, void* buffer, size_t size)
{
    if (fStream == nullptr)
        return B_NO_INIT;
    // Reads are rare where this class is used: make the stream whole and read from it.
    status_t status = Flush();
    if (status != B_OK)
        return status;
    return fStream->ReadAt(position, buffer, size);
}

ssize_t BBufferIO::WriteAt(off_t position, const void* buffer, size_t size)
{
    if (fStream == nullptr)
        return B_NO_INIT;
    if (buffer == nullptr || position < 0)
        return B_BAD_VALUE;
    // A write that does not continue the buffered bytes starts a buffer of its own.
    if (fBuffered > 0 && position != fBufferStart + (off_t)fBuffered) {
        status_t status = Flush();
        if (status != B_OK)
            return status;
    }
    if (fBuffered == 0)
        fBufferStart = position;
    if (size > fBuffer.size() - fBuffered) {
        status_t status = Flush();
        if (status != B_OK)
            return status;
        fBufferStart = position;
        if (size >= fBuffer.size())
            return fStream->WriteAt(position, buffer, size);
    }
    memcpy(fBuffer.data() + fBuffered, buffer, size);
    fBuffered += size;
    return (ssize_t)size;
}

off_t BBufferIO::Seek(off_t position, uint32 seekMode)
{
    off_t base;
    switch (seekMode) {
    case SEEK_SET:
        base = 0;
        break;
    case SEEK_CUR:
        base = fPosition;
        break;
    case SEEK_END: {
        off_t size;
        status_t status = GetSize(&size);
        if (status != B_OK)
            return status;
        base = size;
        break;
    }
    default:
        return B_BAD_VALUE;
    }
    if (base + position < 0)
        return B_BAD_VALUE;
    fPosition = base + position;
    return fPosition;
}

status_t BBufferIO::SetSize(off_t size)
{
    if (fStream == nullptr)
        return B_NO_INIT;
    status_t status = Flush();
    return status != B_OK ? status : fStream->SetSize(size);
}

status_t BBufferIO::GetSize(off_t* size) const
{
    if (fStream == nullptr)
        return B_NO_INIT;
    off_t streamSize;
    status_t status = fStream->GetSize(&streamSize);
    if (status != B_OK)
        return status;
    *size = std::max<off_t>(streamSize, fBufferStart + (off_t)fBuffered);
    return B_OK;
}
