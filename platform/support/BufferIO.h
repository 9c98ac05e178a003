#pragma once

// A buffer in front of a positionable stream: many small reads and writes become few large
// ones. Writes are kept until the buffer is full, a read or write lands elsewhere, or Flush()
// is called. Destroying the object flushes too, but only Flush() can report a failure.

#include <DataIO.h>

#include <vector>

class BBufferIO : public BPositionIO {
public:
    BBufferIO(BPositionIO* stream, size_t bufferSize = 65536, bool ownsStream = true);
    ~BBufferIO() override;

    // The writer's hot path; reads go the general way.
    ssize_t Write(const void* buffer, size_t size) override;
    ssize_t ReadAt(off_t position, void* buffer, size_t size) override;
    ssize_t WriteAt(off_t position, const void* buffer, size_t size) override;
    off_t Seek(off_t position, uint32 seekMode) override;
    off_t Position() const override { return fPosition; }
    status_t SetSize(off_t size) override;
    status_t GetSize(off_t* size) const override;

    // Writes what the buffer holds to the stream.
    status_t Flush();

    BPositionIO* Stream() const { return fStream; }
    size_t BufferSize() const { return fBuffer.size(); }
    bool OwnsStream() const { return fOwnsStream; }
    void SetOwnsStream(bool ownsStream) { fOwnsStream = ownsStream; }

private:
    BPositionIO* fStream;
    bool fOwnsStream;
    std::vector<uint8> fBuffer;
    off_t fBufferStart = 0; // where the buffered bytes belong in the stream
    size_t fBuffered = 0;   // how many bytes wait to be written
    off_t fPosition = 0;
};
