#include <File.h>

#include <Directory.h>
#include <Entry.h>
#include <Path.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <unistd.h>

static const uint32 kKnownOpenModeBits =
    B_OPEN_MODE_MASK | B_FAIL_IF_EXISTS | B_CREATE_FILE | B_ERASE_FILE | B_OPEN_AT_END;

// open(2) flags for an open mode, or -1 when the mode makes no sense.
static int posix_open_flags(uint32 openMode)
{
    if ((openMode & ~kKnownOpenModeBits) != 0)
        return -1;
    int flags;
    switch (openMode & B_OPEN_MODE_MASK) {
    case B_READ_ONLY:
        flags = O_RDONLY;
        break;
    case B_WRITE_ONLY:
        flags = O_WRONLY;
        break;
    case B_READ_WRITE:
        flags = O_RDWR;
        break;
    default:
        return -1;
    }
    if (openMode & B_CREATE_FILE)
        flags |= O_CREAT;
    if (openMode & B_FAIL_IF_EXISTS)
        flags |= O_EXCL;
    if (openMode & B_ERASE_FILE)
        flags |= O_TRUNC;
    if (openMode & B_OPEN_AT_END)
        flags |= O_APPEND;
    return flags;
}

BFile::BFile(const entry_ref* ref, uint32 openMode)
{
    SetTo(ref, openMode);
}

BFile::BFile(const BEntry* entry, uint32 openMode)
{
    SetTo(entry, openMode);
}

BFile::BFile(const char* path, uint32 openMode)
{
    SetTo(path, openMode);
}

BFile::BFile(const BDirectory* dir, const char* path, uint32 openMode)
{
    SetTo(dir, path, openMode);
}

status_t BFile::SetTo(const entry_ref* ref, uint32 openMode)
{
    if (ref == nullptr) {
        Unset();
        return SetStatus(B_BAD_VALUE);
    }
    return Open(AT_FDCWD, ref->Path().c_str(), openMode);
}

status_t BFile::SetTo(const BEntry* entry, uint32 openMode)
{
    BPath path;
    if (entry == nullptr || entry->GetPath(&path) != B_OK) {
        Unset();
        return SetStatus(B_BAD_VALUE);
    }
    return Open(AT_FDCWD, path.Path(), openMode);
}

status_t BFile::SetTo(const char* path, uint32 openMode)
{
    return Open(AT_FDCWD, path, openMode);
}

status_t BFile::SetTo(const BDirectory* dir, const char* path, uint32 openMode)
{
    if (dir == nullptr || dir->InitCheck() != B_OK) {
        Unset();
        return SetStatus(B_BAD_VALUE);
    }
    return Open(dir->Descriptor(), path, openMode);
}

void BFile::Unset()
{
    BNode::Unset();
    fOpenMode = 0;
}

status_t BFile::Open(int folder, const char* path, uint32 openMode)
{
    int flags = posix_open_flags(openMode);
    if (flags < 0) {
        Unset();
        return SetStatus(B_BAD_VALUE);
    }
    status_t status = OpenNode(folder, path, flags);
    if (status != B_OK)
        return status;

    // Reading a directory through read(2) only yields EISDIR later; say so now.
    struct stat st;
    if (GetStat(&st) != B_OK || S_ISDIR(st.st_mode)) {
        Unset();
        return SetStatus(B_IS_A_DIRECTORY);
    }
    fOpenMode = openMode;
    return B_OK;
}

bool BFile::IsReadable() const
{
    uint32 access = fOpenMode & B_OPEN_MODE_MASK;
    return InitCheck() == B_OK && (access == B_READ_ONLY || access == B_READ_WRITE);
}

bool BFile::IsWritable() const
{
    uint32 access = fOpenMode & B_OPEN_MODE_MASK;
    return InitCheck() == B_OK && (access == B_WRITE_ONLY || access == B_READ_WRITE);
}

// Repeats transfer until size bytes have moved, the end of the file is reached or an error
// occurs; signals and short transfers are not errors.
template <typename Transfer>
static ssize_t transfer_fully(size_t size, Transfer transfer)
{
    size = std::min<size_t>(size, SSIZE_MAX);
    size_t done = 0;
    while (done < size) {
        ssize_t result = transfer(done, size - done);
        if (result < 0) {
            if (errno == EINTR)
                continue;
            if (done > 0)
                break;
            return B_FROM_POSIX_ERROR(errno);
        }
        if (result == 0)
            break;
        done += (size_t)result;
    }
    return (ssize_t)done;
}

ssize_t BFile::Read(void* buffer, size_t size)
{
    if (!IsReadable())
        return InitCheck() != B_OK ? B_NO_INIT : B_NOT_ALLOWED;
    if (buffer == nullptr)
        return B_BAD_VALUE;
    auto* bytes = static_cast<uint8*>(buffer);
    return transfer_fully(
        size, [&](size_t done, size_t count) { return read(Descriptor(), bytes + done, count); });
}

ssize_t BFile::Write(const void* buffer, size_t size)
{
    if (!IsWritable())
        return InitCheck() != B_OK ? B_NO_INIT : B_NOT_ALLOWED;
    if (buffer == nullptr)
        return B_BAD_VALUE;
    auto* bytes = static_cast<const uint8*>(buffer);
    return transfer_fully(
        size, [&](size_t done, size_t count) { return write(Descriptor(), bytes + done, count); });
}

ssize_t BFile::ReadAt(off_t position, void* buffer, size_t size)
{
    if (!IsReadable())
        return InitCheck() != B_OK ? B_NO_INIT : B_NOT_ALLOWED;
    if (buffer == nullptr || position < 0)
        return B_BAD_VALUE;
    auto* bytes = static_cast<uint8*>(buffer);
    return transfer_fully(size, [&](size_t done, size_t count) {
        return pread(Descriptor(), bytes + done, count, position + (off_t)done);
    });
}

ssize_t BFile::WriteAt(off_t position, const void* buffer, size_t size)
{
    if (!IsWritable())
        return InitCheck() != B_OK ? B_NO_INIT : B_NOT_ALLOWED;
    if (buffer == nullptr || position < 0)
        return B_BAD_VALUE;
    auto* bytes = static_cast<const uint8*>(buffer);
    return transfer_fully(size, [&](size_t done, size_t count) {
        return pwrite(Descriptor(), bytes + done, count, position + (off_t)done);
    });
}

off_t BFile::Seek(off_t position, uint32 seekMode)
{
    if (InitCheck() != B_OK)
        return B_NO_INIT;
    if (seekMode != SEEK_SET && seekMode != SEEK_CUR && seekMode != SEEK_END)
        return B_BAD_VALUE;
    off_t result = lseek(Descriptor(), position, (int)seekMode);
    return result < 0 ? B_FROM_POSIX_ERROR(errno) : result;
}

off_t BFile::Position() const
{
    if (InitCheck() != B_OK)
        return B_NO_INIT;
    off_t result = lseek(Descriptor(), 0, SEEK_CUR);
    return result < 0 ? B_FROM_POSIX_ERROR(errno) : result;
}

status_t BFile::GetSize(off_t* size) const
{
    if (size == nullptr)
        return B_BAD_VALUE;
    struct stat st;
    status_t status = GetStat(&st);
    if (status == B_OK)
        *size = st.st_size;
    return status;
}

status_t BFile::SetSize(off_t size)
{
    if (!IsWritable())
        return InitCheck() != B_OK ? B_NO_INIT : B_NOT_ALLOWED;
    if (size < 0)
        return B_BAD_VALUE;
    int result;
    do {
        result = ftruncate(Descriptor(), size);
    } while (result != 0 && errno == EINTR);
    return result == 0 ? B_OK : B_FROM_POSIX_ERROR(errno);
}
