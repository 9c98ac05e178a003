#pragma once

// BFile is a regular file opened for reading, writing or both. It is unbuffered: every call is
// a system call, so callers that write in small pieces collect them in a BMallocIO first.

#include <DataIO.h>
#include <Node.h>

class BDirectory;

class BFile : public BNode, public BPositionIO {
public:
    BFile() = default;
    BFile(const entry_ref* ref, uint32 openMode);
    BFile(const BEntry* entry, uint32 openMode);
    BFile(const char* path, uint32 openMode);
    BFile(const BDirectory* dir, const char* path, uint32 openMode);

    // openMode: B_READ_ONLY, B_WRITE_ONLY or B_READ_WRITE, or-ed with B_CREATE_FILE,
    // B_FAIL_IF_EXISTS, B_ERASE_FILE, B_OPEN_AT_END. A directory is never opened as a file
    // (B_IS_A_DIRECTORY).
    status_t SetTo(const entry_ref* ref, uint32 openMode);
    status_t SetTo(const BEntry* entry, uint32 openMode);
    status_t SetTo(const char* path, uint32 openMode);
    status_t SetTo(const BDirectory* dir, const char* path, uint32 openMode);
    void Unset() override;

    bool IsReadable() const;
    bool IsWritable() const;

    // Read and Write move the file position; ReadAt and WriteAt leave it alone. All of them
    // transfer everything asked for unless the end of the file or an error comes first, and
    // report an error only when nothing was transferred.
    ssize_t Read(void* buffer, size_t size) override;
    ssize_t Write(const void* buffer, size_t size) override;
    ssize_t ReadAt(off_t position, void* buffer, size_t size) override;
    ssize_t WriteAt(off_t position, const void* buffer, size_t size) override;

    off_t Seek(off_t position, uint32 seekMode) override;
    off_t Position() const override;
    status_t GetSize(off_t* size) const override;
    status_t SetSize(off_t size) override;

private:
    status_t Open(int folder, const char* path, uint32 openMode);

    uint32 fOpenMode = 0;
};
