#include <Directory.h>

#include <Entry.h>
#include <File.h>
#include <Path.h>

#include "PathNames.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

using namespace BPrivate;

BDirectory::BDirectory(const char* path)
{
    SetTo(path);
}

BDirectory::BDirectory(const entry_ref* ref)
{
    SetTo(ref);
}

BDirectory::BDirectory(const BEntry* entry)
{
    SetTo(entry);
}

BDirectory::BDirectory(const BDirectory* dir, const char* path)
{
    SetTo(dir, path);
}

BDirectory::~BDirectory()
{
    if (fIterator != nullptr)
        closedir(fIterator);
}

status_t BDirectory::SetTo(const char* path)
{
    if (path == nullptr || *path == '\0') {
        Unset();
        return SetStatus(B_BAD_VALUE);
    }
    status_t status = OpenNode(AT_FDCWD, path, O_RDONLY | O_DIRECTORY);
    if (status != B_OK)
        return status;

    char* real = realpath(path, nullptr);
    if (real == nullptr) {
        status = B_FROM_POSIX_ERROR(errno);
        Unset();
        return SetStatus(status);
    }
    fPath = real;
    free(real);
    return B_OK;
}

status_t BDirectory::SetTo(const entry_ref* ref)
{
    if (ref == nullptr) {
        Unset();
        return SetStatus(B_BAD_VALUE);
    }
    return SetTo(ref->Path().c_str());
}

status_t BDirectory::SetTo(const BEntry* entry)
{
    BPath path;
    if (entry == nullptr || entry->GetPath(&path) != B_OK) {
        Unset();
        return SetStatus(B_BAD_VALUE);
    }
    return SetTo(path.Path());
}

status_t BDirectory::SetTo(const BDirectory* dir, const char* path)
{
    if (dir == nullptr || dir->InitCheck() != B_OK || path == nullptr) {
        Unset();
        return SetStatus(B_BAD_VALUE);
    }
    // Copied first: dir may be this very object, which SetTo empties.
    std::string full = path[0] == '/' ? std::string(path) : join_path(dir->fPath, path);
    return SetTo(full.c_str());
}

void BDirectory::Unset()
{
    if (fIterator != nullptr)
        closedir(fIterator);
    fIterator = nullptr;
    fPath.clear();
    BNode::Unset();
}

status_t BDirectory::GetEntry(BEntry* entry) const
{
    if (entry == nullptr)
        return B_BAD_VALUE;
    if (InitCheck() != B_OK) {
        entry->Unset();
        return B_NO_INIT;
    }
    return entry->SetTo(fPath.c_str());
}

// A stream of the folder's entries with its own position, so that iterations do not meet.
static DIR* open_listing(int folder, status_t* status)
{
    int descriptor = openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* listing = descriptor >= 0 ? fdopendir(descriptor) : nullptr;
    if (listing == nullptr) {
        *status = B_FROM_POSIX_ERROR(errno);
        if (descriptor >= 0)
            close(descriptor);
    }
    return listing;
}

// The next name in listing, "." and ".." left out; nullptr at the end or on an error, which
// *status then tells apart.
static const char* next_name(DIR* listing, status_t* status)
{
    for (;;) {
        errno = 0;
        struct dirent* entry = readdir(listing);
        if (entry == nullptr) {
            *status = errno != 0 ? B_FROM_POSIX_ERROR(errno) : B_ENTRY_NOT_FOUND;
            return nullptr;
        }
        if (strcmp(entry->d_name, ".") != 0 && strcmp(entry->d_name, "..") != 0)
            return entry->d_name;
    }
}

status_t BDirectory::NextName(std::string& name)
{
    if (InitCheck() != B_OK)
        return B_NO_INIT;
    status_t status = B_OK;
    if (fIterator == nullptr && (fIterator = open_listing(Descriptor(), &status)) == nullptr)
        return status;
    const char* next = next_name(fIterator, &status);
    if (next == nullptr)
        return status;
    name = next;
    return B_OK;
}

status_t BDirectory::GetNextEntry(BEntry* entry, bool traverse)
{
    if (entry == nullptr)
        return B_BAD_VALUE;
    std::string name;
    status_t status = NextName(name);
    if (status != B_OK) {
        entry->Unset();
        return status;
    }
    std::string path = join_path(fPath, name);
    status = entry->SetTo(path.c_str(), traverse);
    if (status != B_OK && traverse)
        status = entry->SetTo(path.c_str(), false);
    return status;
}

status_t BDirectory::GetNextRef(entry_ref* ref)
{
    if (ref == nullptr)
        return B_BAD_VALUE;
    std::string name;
    status_t status = NextName(name);
    if (status != B_OK)
        return status;
    ref->directory = fPath;
    ref->name = std::move(name);
    return B_OK;
}

status_t BDirectory::Rewind()
{
    if (InitCheck() != B_OK)
        return B_NO_INIT;
    if (fIterator != nullptr)
        rewinddir(fIterator);
    return B_OK;
}

int32 BDirectory::CountEntries() const
{
    if (InitCheck() != B_OK)
        return B_NO_INIT;
    status_t status = B_OK;
    DIR* listing = open_listing(Descriptor(), &status);
    if (listing == nullptr)
        return status;
    int32 count = 0;
    while (next_name(listing, &status) != nullptr)
        count++;
    closedir(listing);
    return status == B_ENTRY_NOT_FOUND ? count : status;
}

bool BDirectory::Contains(const char* path, int32 nodeFlags) const
{
    if (path == nullptr || InitCheck() != B_OK)
        return false;
    BEntry entry(this, path);
    return Contains(&entry, nodeFlags);
}

bool BDirectory::Contains(const BEntry* entry, int32 nodeFlags) const
{
    BPath path;
    if (entry == nullptr || InitCheck() != B_OK || entry->GetPath(&path) != B_OK)
        return false;

    // The entry's folder by its real path: fPath is real too, and links on the way to the
    // entry must not make it look outside (or inside).
    char* folder = realpath(parent_path(path.Path()).c_str(), nullptr);
    if (folder == nullptr)
        return false;
    std::string candidate = join_path(folder, path.Leaf());
    free(folder);
    std::string prefix = fPath == "/" ? fPath : fPath + "/";
    if (candidate.size() <= prefix.size() || candidate.compare(0, prefix.size(), prefix) != 0)
        return false;

    struct stat st;
    if (lstat(candidate.c_str(), &st) != 0)
        return false;
    int32 flavor = S_ISDIR(st.st_mode)   ? B_DIRECTORY_NODE
                   : S_ISLNK(st.st_mode) ? B_SYMLINK_NODE
                                         : B_FILE_NODE;
    return (flavor & nodeFlags) != 0;
}

status_t BDirectory::CreateFile(const char* path, BFile* file, bool failIfExists)
{
    if (InitCheck() != B_OK)
        return B_NO_INIT;
    if (path == nullptr || *path == '\0')
        return B_BAD_VALUE;
    BFile created;
    BFile* target = file != nullptr ? file : &created;
    uint32 openMode = B_READ_WRITE | B_CREATE_FILE | B_ERASE_FILE;
    if (failIfExists)
        openMode |= B_FAIL_IF_EXISTS;
    return target->SetTo(this, path, openMode);
}

status_t BDirectory::CreateDirectory(const char* path, BDirectory* dir)
{
    if (InitCheck() != B_OK)
        return B_NO_INIT;
    if (path == nullptr || *path == '\0')
        return B_BAD_VALUE;
    if (mkdirat(Descriptor(), path, 0777) != 0)
        return B_FROM_POSIX_ERROR(errno);
    return dir != nullptr ? dir->SetTo(this, path) : B_OK;
}

status_t create_directory(const char* path, mode_t mode)
{
    if (path == nullptr || *path == '\0')
        return B_BAD_VALUE;
    std::string target;
    status_t status = make_absolute_path(path, target);
    if (status != B_OK)
        return status;

    // Each level from the top down: the ones there are checked, the missing ones made.
    size_t end = 0;
    do {
        end = target.find('/', end + 1);
        std::string level = target.substr(0, end);
        struct stat st;
        if (stat(level.c_str(), &st) == 0) {
            if (!S_ISDIR(st.st_mode))
                return end == std::string::npos ? B_FILE_EXISTS : B_NOT_A_DIRECTORY;
            continue;
        }
        if (errno != ENOENT)
            return B_FROM_POSIX_ERROR(errno);
        if (mkdir(level.c_str(), mode) != 0) {
            // Someone else may have made it in the meantime; that is as good.
            int error = errno;
            if (error != EEXIST || stat(level.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
                return B_FROM_POSIX_ERROR(error);
        }
    } while (end != std::string::npos);
    return B_OK;
}
