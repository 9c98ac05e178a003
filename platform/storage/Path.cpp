#include <Path.h>

#include <Directory.h>
#include <Entry.h>

#include "PathNames.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

using namespace BPrivate;

BPath::BPath(const char* dir, const char* leaf, bool normalize)
{
    SetTo(dir, leaf, normalize);
}

BPath::BPath(const BDirectory* dir, const char* leaf)
{
    SetTo(dir, leaf);
}

BPath::BPath(const entry_ref* ref)
{
    SetTo(ref);
}

BPath::BPath(const BEntry* entry)
{
    SetTo(entry);
}

status_t BPath::Fail(status_t error)
{
    fPath.clear();
    fStatus = error;
    return error;
}

// The path with its folders resolved by the kernel and its leaf kept as it is.
static status_t resolve_folders(std::string& path)
{
    if (path == "/")
        return B_OK;
    std::string parent = parent_path(path);
    char* resolved = realpath(parent.c_str(), nullptr);
    if (resolved == nullptr)
        return B_FROM_POSIX_ERROR(errno);
    path = join_path(resolved, leaf_name(path));
    free(resolved);
    return B_OK;
}

status_t BPath::SetTo(const char* dir, const char* leaf, bool normalize)
{
    if (dir == nullptr || *dir == '\0')
        return Fail(B_BAD_VALUE);
    if (leaf != nullptr && leaf[0] == '/')
        return Fail(B_BAD_VALUE);

    std::string path;
    status_t status = make_absolute_path(join_path(dir, leaf ? leaf : ""), path);
    if (status == B_OK && normalize)
        status = resolve_folders(path);
    if (status != B_OK)
        return Fail(status);
    fPath = std::move(path);
    fStatus = B_OK;
    return B_OK;
}

status_t BPath::SetTo(const BDirectory* dir, const char* leaf)
{
    if (dir == nullptr)
        return Fail(B_BAD_VALUE);
    BEntry entry;
    status_t status = dir->GetEntry(&entry);
    if (status != B_OK)
        return Fail(status);
    BPath folder(&entry);
    if (folder.InitCheck() != B_OK)
        return Fail(folder.InitCheck());
    return SetTo(folder.Path(), leaf);
}

status_t BPath::SetTo(const entry_ref* ref)
{
    if (ref == nullptr || (ref->directory.empty() && ref->name.empty()))
        return Fail(B_BAD_VALUE);
    return SetTo(ref->Path().c_str());
}

status_t BPath::SetTo(const BEntry* entry)
{
    if (entry == nullptr)
        return Fail(B_BAD_VALUE);
    return entry->GetPath(this);
}

void BPath::Unset()
{
    Fail(B_NO_INIT);
}

status_t BPath::Append(const char* path)
{
    if (fStatus != B_OK)
        return B_NO_INIT;
    if (path == nullptr || *path == '\0')
        return B_OK;
    if (path[0] == '/')
        return B_BAD_VALUE;
    fPath = join_path(fPath, path);
    return B_OK;
}

const char* BPath::Path() const
{
    return fStatus == B_OK ? fPath.c_str() : nullptr;
}

const char* BPath::Leaf() const
{
    if (fStatus != B_OK)
        return nullptr;
    return fPath.c_str() + fPath.rfind('/') + 1;
}

status_t BPath::GetParent(BPath* parent) const
{
    if (parent == nullptr)
        return B_BAD_VALUE;
    if (fStatus != B_OK)
        return parent->Fail(B_NO_INIT);
    if (fPath == "/")
        return parent->Fail(B_ENTRY_NOT_FOUND);
    return parent->SetTo(parent_path(fPath).c_str());
}

bool BPath::operator==(const BPath& other) const
{
    if (fStatus != B_OK || other.fStatus != B_OK)
        return fStatus != B_OK && other.fStatus != B_OK;
    return fPath == other.fPath;
}

bool BPath::operator==(const char* path) const
{
    if (fStatus != B_OK || path == nullptr)
        return fStatus != B_OK && path == nullptr;
    return fPath == path;
}
