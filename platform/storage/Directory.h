#pragma once

// BDirectory is an open folder: it lists its entries and creates files and folders in it.

#include <Node.h>

#include <dirent.h>
#include <string>

class BEntry;
class BFile;
struct entry_ref;

class BDirectory : public BNode {
public:
    BDirectory() = default;
    explicit BDirectory(const char* path);
    explicit BDirectory(const entry_ref* ref);
    explicit BDirectory(const BEntry* entry);
    BDirectory(const BDirectory* dir, const char* path);
    ~BDirectory() override;

    status_t SetTo(const char* path);
    status_t SetTo(const entry_ref* ref);
    status_t SetTo(const BEntry* entry);
    status_t SetTo(const BDirectory* dir, const char* path);
    void Unset() override;

    // The folder itself, by its real path (symbolic links on the way resolved).
    status_t GetEntry(BEntry* entry) const;

    // Whether path names an entry of the given kinds in this folder: a relative path directly
    // below it, an absolute path anywhere beneath it.
    bool Contains(const char* path, int32 nodeFlags = B_ANY_NODE) const;
    bool Contains(const BEntry* entry, int32 nodeFlags = B_ANY_NODE) const;

    // The entries one by one, "." and ".." left out, in no particular order; B_ENTRY_NOT_FOUND
    // after the last. With traverse, a link that cannot be followed is given as the link itself,
    // so that a broken link does not look like the end. CountEntries() does not disturb the
    // iteration.
    status_t GetNextEntry(BEntry* entry, bool traverse = false);
    status_t GetNextRef(entry_ref* ref);
    status_t Rewind();
    int32 CountEntries() const;

    // path is relative to this folder. CreateFile opens the file for reading and writing,
    // emptied; file and dir may be nullptr when the caller only wants the entry made.
    status_t CreateFile(const char* path, BFile* file, bool failIfExists = false);
    status_t CreateDirectory(const char* path, BDirectory* dir);

private:
    friend class BFile;

    status_t OpenFolder(int folder, const char* path);
    status_t NextName(std::string& name);

    std::string fPath;
    DIR* fIterator = nullptr;
};

// Creates the folder at path and every missing one above it. B_OK when it is already there.
status_t create_directory(const char* path, mode_t mode);
