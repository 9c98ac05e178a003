#pragma once

// BNode is an open file system node: a file or a directory, held by a file descriptor, with
// its attributes. Attributes are Linux extended attributes in the "user." namespace; they
// carry no type of their own, so the type codes passed here are accepted and not stored.

#include <StorageDefs.h>

#include <string>
#include <sys/stat.h>
#include <vector>

class BEntry;
class BString;
struct entry_ref;

// What GetAttrInfo() tells of an attribute. The type is B_RAW_TYPE: no type is stored.
struct attr_info {
    uint32 type;
    off_t size;
};

class BNode {
public:
    BNode() = default;
    explicit BNode(const entry_ref* ref);
    explicit BNode(const BEntry* entry);
    explicit BNode(const char* path);
    virtual ~BNode();

    BNode(const BNode&) = delete;
    BNode& operator=(const BNode&) = delete;

    status_t SetTo(const entry_ref* ref);
    status_t SetTo(const BEntry* entry);
    status_t SetTo(const char* path);
    virtual void Unset();
    // B_NO_INIT when unset, else the result of the last SetTo.
    status_t InitCheck() const { return fStatus; }

    status_t GetStat(struct stat* st) const;
    status_t Sync();

    // Number of bytes read or written, or an error: B_ENTRY_NOT_FOUND for a missing
    // attribute, B_UNSUPPORTED where the file system keeps no attributes. Writing at offset 0
    // replaces the whole value; writing further in keeps what is before it.
    ssize_t ReadAttr(const char* name, type_code type, off_t offset, void* buffer, size_t size);
    ssize_t WriteAttr(const char* name, type_code type, off_t offset, const void* buffer,
                      size_t size);
    status_t RemoveAttr(const char* name);
    status_t ReadAttrString(const char* name, BString* result);
    status_t WriteAttrString(const char* name, const BString* value);
    status_t GetAttrInfo(const char* name, attr_info* info) const;

    // The names of the attributes one by one, into a buffer of B_ATTR_NAME_LENGTH + 1 bytes;
    // B_ENTRY_NOT_FOUND after the last. The names are taken when the walk starts (at the first
    // call, or the first after RewindAttrs()), so writing attributes meanwhile does not
    // disturb it.
    status_t GetNextAttrName(char* buffer);
    status_t RewindAttrs();

protected:
    // Opens path (relative paths from folder, a descriptor or AT_FDCWD) with the open(2)
    // flags given; close-on-exec is added. The result becomes InitCheck().
    status_t OpenNode(int folder, const char* path, int flags);
    status_t SetStatus(status_t status);
    int Descriptor() const { return fDescriptor; }

private:
    friend class BNodeInfo;

    status_t ReadWholeAttr(const std::string& name, std::string& value) const;

    int fDescriptor = -1;
    status_t fStatus = B_NO_INIT;
    std::vector<std::string> fAttrNames;
    size_t fNextAttr = 0;
    bool fAttrsListed = false;
};
