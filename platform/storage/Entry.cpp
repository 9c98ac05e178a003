#include <Entry.h>

#include <Directory.h>
#include <Path.h>

#include "PathNames.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace BPrivate;

// The kernel gives up after 40 links too; a loop of links must end somewhere.
static const int kMaxLinksFollowed = 40;

std::string entry_ref::Path() const
{
    if (directory.empty())
        return name;
    return join_path(directory, name);
}

BEntry::BEntry(const char* path, bool traverse)
{
    SetTo(path, traverse);
}

BEntry::BEntry(const entry_ref* ref, bool traverse)
{
    SetTo(ref, traverse);
}

BEntry::BEntry(const BDirectory* dir, const char* path, bool traverse)
{
    SetTo(dir, path, traverse);
}

status_t BEntry::Fail(status_t error)
{
    fPath.clear();
    fStatus = error;
    return error;
}

status_t BEntry::SetTo(const char* path, bool traverse)
{
    if (path == nullptr || *path == '\0')
        return Fail(B_BAD_VALUE);
    std::string absolute;
    status_t status = make_absolute_path(path, absolute);
    if (status != B_OK)
        return Fail(status);
    return SetToAbsolute(std::move(absolute), traverse);
}

status_t BEntry::SetTo(const entry_ref* ref, bool traverse)
{
    if (ref == nullptr)
        return Fail(B_BAD_VALUE);
    return SetTo(ref->Path().c_str(), traverse);
}

status_t BEntry::SetTo(const BDirectory* dir, const char* path, bool traverse)
{
    if (dir == nullptr || path == nullptr)
        return Fail(B_BAD_VALUE);
    if (path[0] == '/')
        return SetTo(path, traverse);
    BEntry folder;
    status_t status = dir->GetEntry(&folder);
    if (status != B_OK)
        return Fail(status);
    return SetTo(join_path(folder.fPath, path).c_str(), traverse);
}

// Where a symbolic link points, taken from the link's real folder when it is relative.
static status_t read_link_target(const std::string& link, std::string& target)
{
    std::vector<char> buffer(PATH_MAX + 1);
    ssize_t length = readlink(link.c_str(), buffer.data(), buffer.size());
    if (length < 0)
        return B_FROM_POSIX_ERROR(errno);
    if ((size_t)length == buffer.size())
        return B_NAME_TOO_LONG;
    std::string_view contents(buffer.data(), (size_t)length);
    if (contents.empty())
        return B_ENTRY_NOT_FOUND;
    if (contents.front() == '/')
        return make_absolute_path(contents, target);

    // The link's folder may itself be reached through links; ".." in the target means the
    // parent of where the link really is.
    char* folder = realpath(parent_path(link).c_str(), nullptr);
    if (folder == nullptr)
        return B_FROM_POSIX_ERROR(errno);
    std::string joined = join_path(folder, contents);
    free(folder);
    return make_absolute_path(joined, target);
}

status_t BEntry::SetToAbsolute(std::string path, bool traverse)
{
    for (int followed = 0; traverse; followed++) {
        struct stat st;
        if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            break;
        if (followed == kMaxLinksFollowed)
            return Fail(B_LINK_LIMIT);
        std::string target;
        status_t status = read_link_target(path, target);
        if (status != B_OK)
            return Fail(status);
        path = std::move(target);
    }

    if (leaf_name(path).size() >= B_FILE_NAME_LENGTH)
        return Fail(B_NAME_TOO_LONG);
    if (path != "/") {
        struct stat st;
        if (stat(parent_path(path).c_str(), &st) != 0) {
            if (errno != ENOENT && errno != ENOTDIR)
                return Fail(B_FROM_POSIX_ERROR(errno));
            return Fail(B_ENTRY_NOT_FOUND);
        }
        if (!S_ISDIR(st.st_mode))
            return Fail(B_ENTRY_NOT_FOUND);
    }
    fPath = std::move(path);
    fStatus = B_OK;
    return B_OK;
}

void BEntry::Unset()
{
    Fail(B_NO_INIT);
}

// The S_IFMT bits of the entry itself, 0 when it is missing or the entry is not initialised.
int BEntry::FileType() const
{
    struct stat st;
    if (fStatus != B_OK || lstat(fPath.c_str(), &st) != 0)
        return 0;
    return st.st_mode & S_IFMT;
}

bool BEntry::Exists() const
{
    return FileType() != 0;
}

bool BEntry::IsFile() const
{
    return FileType() == S_IFREG;
}

bool BEntry::IsDirectory() const
{
    return FileType() == S_IFDIR;
}

bool BEntry::IsSymLink() const
{
    return FileType() == S_IFLNK;
}

status_t BEntry::GetRef(entry_ref* ref) const
{
    if (ref == nullptr)
        return B_BAD_VALUE;
    if (fStatus != B_OK)
        return B_NO_INIT;
    ref->directory = parent_path(fPath);
    ref->name = leaf_name(fPath);
    return B_OK;
}

status_t BEntry::GetPath(BPath* path) const
{
    if (path == nullptr)
        return B_BAD_VALUE;
    if (fStatus != B_OK) {
        path->Unset();
        return B_NO_INIT;
    }
    return path->SetTo(fPath.c_str());
}

status_t BEntry::GetName(char* buffer) const
{
    if (buffer == nullptr)
        return B_BAD_VALUE;
    buffer[0] = '\0';
    if (fStatus != B_OK)
        return B_NO_INIT;
    // SetTo refused longer leaves, so this always fits.
    std::string_view leaf = leaf_name(fPath);
    memcpy(buffer, leaf.data(), leaf.size());
    buffer[leaf.size()] = '\0';
    return B_OK;
}

status_t BEntry::GetParent(BEntry* parent) const
{
    if (parent == nullptr)
        return B_BAD_VALUE;
    if (fStatus != B_OK)
        return parent->Fail(B_NO_INIT);
    if (fPath == "/")
        return parent->Fail(B_ENTRY_NOT_FOUND);
    return parent->SetTo(parent_path(fPath).c_str());
}

status_t BEntry::GetParent(BDirectory* parent) const
{
    if (parent == nullptr)
        return B_BAD_VALUE;
    parent->Unset();
    if (fStatus != B_OK)
        return B_NO_INIT;
    if (fPath == "/")
        return B_ENTRY_NOT_FOUND;
    return parent->SetTo(parent_path(fPath).c_str());
}

status_t BEntry::Remove()
{
    if (fStatus != B_OK)
        return B_NO_INIT;
    int result = IsDirectory() ? rmdir(fPath.c_str()) : unlink(fPath.c_str());
    return result == 0 ? B_OK : B_FROM_POSIX_ERROR(errno);
}

status_t BEntry::Rename(const char* path, bool clobber)
{
    if (fStatus != B_OK)
        return B_NO_INIT;
    if (path == nullptr || *path == '\0')
        return B_BAD_VALUE;
    std::string destination;
    status_t status = make_absolute_path(
        path[0] == '/' ? std::string(path) : join_path(parent_path(fPath), path), destination);
    if (status != B_OK)
        return status;
    return MoveToPath(destination, clobber);
}

status_t BEntry::MoveTo(BDirectory* dir, const char* path, bool clobber)
{
    if (fStatus != B_OK)
        return B_NO_INIT;
    if (dir == nullptr)
        return B_BAD_VALUE;
    BEntry folder;
    status_t status = dir->GetEntry(&folder);
    if (status != B_OK)
        return status;
    std::string leaf = path != nullptr && *path != '\0' ? path : std::string(leaf_name(fPath));
    std::string destination;
    status = make_absolute_path(leaf[0] == '/' ? leaf : join_path(folder.fPath, leaf), destination);
    if (status != B_OK)
        return status;
    return MoveToPath(destination, clobber);
}

status_t BEntry::MoveToPath(const std::string& destination, bool clobber)
{
    if (destination == fPath)
        return B_OK;
    if (leaf_name(destination).size() >= B_FILE_NAME_LENGTH)
        return B_NAME_TOO_LONG;

    int result;
    if (clobber) {
        result = rename(fPath.c_str(), destination.c_str());
    } else {
        // Asking the kernel not to replace closes the gap between a check and the rename;
        // file systems that cannot do that get the check.
        result =
            renameat2(AT_FDCWD, fPath.c_str(), AT_FDCWD, destination.c_str(), RENAME_NOREPLACE);
        if (result != 0 && (errno == EINVAL || errno == ENOSYS)) {
            struct stat st;
            if (lstat(destination.c_str(), &st) == 0)
                return B_FILE_EXISTS;
            result = rename(fPath.c_str(), destination.c_str());
        }
    }
    if (result != 0)
        return B_FROM_POSIX_ERROR(errno);
    fPath = destination;
    return B_OK;
}

bool BEntry::operator==(const BEntry& other) const
{
    if (fStatus != B_OK || other.fStatus != B_OK)
        return fStatus != B_OK && other.fStatus != B_OK;
    return fPath == other.fPath;
}

status_t get_ref_for_path(const char* path, entry_ref* ref)
{
    if (path == nullptr || ref == nullptr)
        return B_BAD_VALUE;
    BEntry entry(path);
    if (entry.InitCheck() != B_OK)
        return entry.InitCheck();
    return entry.GetRef(ref);
}
