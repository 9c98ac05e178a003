#include <Node.h>

#include <Entry.h>
#include <Path.h>
#include <String.h>
#include <TypeConstants.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/xattr.h>
#include <unistd.h>

// Linux refuses attribute values above 64 KiB; refusing them here too keeps a bad offset
// from making us allocate gigabytes first.
static const size_t kMaxAttrSize = 64 * 1024;

BNode::BNode(const entry_ref* ref)
{
    SetTo(ref);
}

BNode::BNode(const BEntry* entry)
{
    SetTo(entry);
}

BNode::BNode(const char* path)
{
    SetTo(path);
}

BNode::~BNode()
{
    if (fDescriptor >= 0)
        close(fDescriptor);
}

status_t BNode::SetTo(const entry_ref* ref)
{
    if (ref == nullptr) {
        Unset();
        return SetStatus(B_BAD_VALUE);
    }
    return SetTo(ref->Path().c_str());
}

status_t BNode::SetTo(const BEntry* entry)
{
    BPath path;
    if (entry == nullptr || entry->GetPath(&path) != B_OK) {
        Unset();
        return SetStatus(B_BAD_VALUE);
    }
    return SetTo(path.Path());
}

status_t BNode::SetTo(const char* path)
{
    return OpenNode(AT_FDCWD, path, O_RDONLY);
}

void BNode::Unset()
{
    if (fDescriptor >= 0)
        close(fDescriptor);
    fDescriptor = -1;
    fStatus = B_NO_INIT;
    RewindAttrs();
}

status_t BNode::SetStatus(status_t status)
{
    fStatus = status;
    return status;
}

status_t BNode::OpenNode(int folder, const char* path, int flags)
{
    Unset();
    if (path == nullptr || *path == '\0')
        return SetStatus(B_BAD_VALUE);

    // Opened without blocking, so that naming a FIFO does not wait for a writer forever.
    int descriptor;
    do {
        descriptor = openat(folder, path, flags | O_CLOEXEC | O_NONBLOCK, 0666);
    } while (descriptor < 0 && errno == EINTR);
    if (descriptor < 0)
        return SetStatus(B_FROM_POSIX_ERROR(errno));
    if ((flags & O_NONBLOCK) == 0)
        fcntl(descriptor, F_SETFL, fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);

    fDescriptor = descriptor;
    return SetStatus(B_OK);
}

status_t BNode::GetStat(struct stat* st) const
{
    if (st == nullptr)
        return B_BAD_VALUE;
    if (fStatus != B_OK)
        return B_NO_INIT;
    return fstat(fDescriptor, st) == 0 ? B_OK : B_FROM_POSIX_ERROR(errno);
}

status_t BNode::Sync()
{
    if (fStatus != B_OK)
        return B_NO_INIT;
    return fsync(fDescriptor) == 0 ? B_OK : B_FROM_POSIX_ERROR(errno);
}

// #pragma mark - attributes

static status_t attribute_key(const char* name, std::string& key)
{
    if (name == nullptr || *name == '\0')
        return B_BAD_VALUE;
    if (strlen(name) > B_ATTR_NAME_LENGTH)
        return B_NAME_TOO_LONG;
    key = std::string("user.") + name;
    return B_OK;
}

static status_t attribute_error(int error)
{
    switch (error) {
    case ENODATA:
        return B_ENTRY_NOT_FOUND;
    case ENOTSUP:
        return B_UNSUPPORTED;
    case E2BIG:
    case ERANGE:
        return B_BAD_VALUE;
    default:
        return B_FROM_POSIX_ERROR(error);
    }
}

status_t BNode::ReadWholeAttr(const std::string& key, std::string& value) const
{
    // Another process may change the value between asking its size and reading it.
    for (int attempt = 0; attempt < 4; attempt++) {
        ssize_t size = fgetxattr(fDescriptor, key.c_str(), nullptr, 0);
        if (size < 0)
            return attribute_error(errno);
        value.resize((size_t)size);
        ssize_t read = fgetxattr(fDescriptor, key.c_str(), value.data(), value.size());
        if (read >= 0) {
            value.resize((size_t)read);
            return B_OK;
        }
        if (errno != ERANGE)
            return attribute_error(errno);
    }
    return B_BUSY;
}

ssize_t BNode::ReadAttr(const char* name, type_code, off_t offset, void* buffer, size_t size)
{
    if (fStatus != B_OK)
        return B_NO_INIT;
    if ((buffer == nullptr && size > 0) || offset < 0)
        return B_BAD_VALUE;
    std::string key;
    std::string value;
    status_t status = attribute_key(name, key);
    if (status == B_OK)
        status = ReadWholeAttr(key, value);
    if (status != B_OK)
        return status;
    if ((uint64)offset >= value.size())
        return 0;
    size_t count = std::min(size, value.size() - (size_t)offset);
    memcpy(buffer, value.data() + offset, count);
    return (ssize_t)count;
}

ssize_t BNode::WriteAttr(const char* name, type_code, off_t offset, const void* buffer, size_t size)
{
    if (fStatus != B_OK)
        return B_NO_INIT;
    if ((buffer == nullptr && size > 0) || offset < 0)
        return B_BAD_VALUE;
    if ((uint64)offset > kMaxAttrSize || size > kMaxAttrSize - (size_t)offset)
        return B_BAD_VALUE;
    std::string key;
    status_t status = attribute_key(name, key);
    if (status != B_OK)
        return status;

    std::string value;
    if (offset > 0) {
        status = ReadWholeAttr(key, value);
        if (status != B_OK && status != B_ENTRY_NOT_FOUND)
            return status;
        value.resize(std::max(value.size(), (size_t)offset + size));
    } else {
        value.resize(size);
    }
    if (size > 0)
        memcpy(value.data() + offset, buffer, size);
    if (fsetxattr(fDescriptor, key.c_str(), value.data(), value.size(), 0) != 0)
        return attribute_error(errno);
    return (ssize_t)size;
}

status_t BNode::RemoveAttr(const char* name)
{
    if (fStatus != B_OK)
        return B_NO_INIT;
    std::string key;
    status_t status = attribute_key(name, key);
    if (status != B_OK)
        return status;
    return fremovexattr(fDescriptor, key.c_str()) == 0 ? B_OK : attribute_error(errno);
}

status_t BNode::ReadAttrString(const char* name, BString* result)
{
    if (result == nullptr)
        return B_BAD_VALUE;
    if (fStatus != B_OK)
        return B_NO_INIT;
    std::string key;
    std::string value;
    status_t status = attribute_key(name, key);
    if (status == B_OK)
        status = ReadWholeAttr(key, value);
    if (status != B_OK)
        return status;
    // Values written by other programs may or may not end in a NUL; the text stops at one.
    result->SetTo(value.c_str(), (int32)value.size());
    return B_OK;
}

status_t BNode::WriteAttrString(const char* name, const BString* value)
{
    if (value == nullptr)
        return B_BAD_VALUE;
    // Without the NUL, as the desktop's own tools write string attributes.
    ssize_t written = WriteAttr(name, B_STRING_TYPE, 0, value->String(), (size_t)value->Length());
    return written < 0 ? (status_t)written : B_OK;
}

status_t BNode::GetAttrInfo(const char* name, attr_info* info) const
{
    if (info == nullptr)
        return B_BAD_VALUE;
    if (fStatus != B_OK)
        return B_NO_INIT;
    std::string key;
    status_t status = attribute_key(name, key);
    if (status != B_OK)
        return status;
    ssize_t size = fgetxattr(fDescriptor, key.c_str(), nullptr, 0);
    if (size < 0)
        return attribute_error(errno);
    info->type = B_RAW_TYPE;
    info->size = size;
    return B_OK;
}

// The names of the node's attributes of the user namespace, without its prefix.
static status_t list_user_attributes(int descriptor, std::vector<std::string>& names)
{
    // Another process may add names between asking the size and reading them.
    std::string list;
    for (int attempt = 0;; attempt++) {
        ssize_t size = flistxattr(descriptor, nullptr, 0);
        if (size < 0)
            return attribute_error(errno);
        list.resize((size_t)size);
        ssize_t read = flistxattr(descriptor, list.data(), list.size());
        if (read >= 0) {
            list.resize((size_t)read);
            break;
        }
        if (errno != ERANGE || attempt == 3)
            return errno == ERANGE ? B_BUSY : attribute_error(errno);
    }
    static const std::string kPrefix = "user.";
    for (size_t start = 0; start < list.size();) {
        size_t end = list.find('\0', start);
        if (end == std::string::npos)
            end = list.size();
        std::string name = list.substr(start, end - start);
        if (name.compare(0, kPrefix.size(), kPrefix) == 0 && name.size() > kPrefix.size() &&
            name.size() - kPrefix.size() <= B_ATTR_NAME_LENGTH)
            names.push_back(name.substr(kPrefix.size()));
        start = end + 1;
    }
    return B_OK;
}

status_t BNode::GetNextAttrName(char* buffer)
{
    if (buffer == nullptr)
        return B_BAD_VALUE;
    if (fStatus != B_OK)
        return B_NO_INIT;
    if (!fAttrsListed) {
        fAttrNames.clear();
        fNextAttr = 0;
        status_t status = list_user_attributes(fDescriptor, fAttrNames);
        // A file system without attributes simply has none to list.
        if (status != B_OK && status != B_UNSUPPORTED)
            return status;
        fAttrsListed = true;
    }
    if (fNextAttr >= fAttrNames.size())
        return B_ENTRY_NOT_FOUND;
    const std::string& name = fAttrNames[fNextAttr++];
    memcpy(buffer, name.c_str(), name.size() + 1);
    return B_OK;
}

status_t BNode::RewindAttrs()
{
    fAttrNames.clear();
    fNextAttr = 0;
    fAttrsListed = false;
    return fStatus == B_OK ? B_OK : B_NO_INIT;
}
