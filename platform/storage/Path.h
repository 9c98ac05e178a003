#pragma once

// BPath is an absolute path name held as a string. Building one never needs the entry to
// exist; a relative folder is taken from the current folder, and "." and ".." are resolved by
// the letters of the path alone.

#include <StorageDefs.h>

#include <string>

class BDirectory;
class BEntry;
struct entry_ref;

class BPath {
public:
    BPath() = default;
    BPath(const char* dir, const char* leaf = nullptr, bool normalize = false);
    BPath(const BDirectory* dir, const char* leaf);
    explicit BPath(const entry_ref* ref);
    explicit BPath(const BEntry* entry);

    // With normalize, symbolic links in the folders above the leaf are resolved too; the
    // folder must then exist (else B_ENTRY_NOT_FOUND). A leaf must be relative.
    status_t SetTo(const char* dir, const char* leaf = nullptr, bool normalize = false);
    status_t SetTo(const BDirectory* dir, const char* leaf);
    status_t SetTo(const entry_ref* ref);
    status_t SetTo(const BEntry* entry);
    void Unset();
    status_t InitCheck() const { return fStatus; }

    // Adds "/" and path, exactly as given. path must be relative.
    status_t Append(const char* path);

    // nullptr while the path is not initialised.
    const char* Path() const;
    const char* Leaf() const;
    status_t GetParent(BPath* parent) const;

    bool operator==(const BPath& other) const;
    bool operator==(const char* path) const;
    bool operator!=(const BPath& other) const { return !(*this == other); }
    bool operator!=(const char* path) const { return !(*this == path); }

private:
    status_t Fail(status_t error);

    std::string fPath;
    status_t fStatus = B_NO_INIT;
};
