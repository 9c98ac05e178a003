#pragma once

// entry_ref names an entry of the file system by the path of its folder and its leaf name;
// the entry itself need not exist. BEntry is an entry one can ask about, move and remove.

#include <StorageDefs.h>
#include <SupportDefs.h>

#include <string>

class BDirectory;
class BPath;

struct entry_ref {
    entry_ref() = default;
    entry_ref(const char* folderPath, const char* leafName)
        : directory(folderPath ? folderPath : ""), name(leafName ? leafName : "")
    {
    }

    status_t set_name(const char* leafName)
    {
        name = leafName ? leafName : "";
        return B_OK;
    }

    // The absolute path of the entry: folder, "/", leaf. Empty for an unset ref.
    std::string Path() const;

    bool operator==(const entry_ref& other) const = default;

    std::string directory; // absolute path of the folder, without a trailing "/"
    std::string name;      // the leaf name
};

// A BEntry holds an absolute, lexically normalised path. The entry may be missing, but its
// folder must exist: otherwise InitCheck() reports B_ENTRY_NOT_FOUND.
class BEntry {
public:
    BEntry() = default;
    explicit BEntry(const char* path, bool traverse = false);
    explicit BEntry(const entry_ref* ref, bool traverse = false);
    BEntry(const BDirectory* dir, const char* path, bool traverse = false);

    // With traverse, a symbolic link is followed to its final target, so the entry names the
    // target's folder and leaf. A relative path in the BDirectory form starts at dir.
    status_t SetTo(const char* path, bool traverse = false);
    status_t SetTo(const entry_ref* ref, bool traverse = false);
    status_t SetTo(const BDirectory* dir, const char* path, bool traverse = false);
    void Unset();
    status_t InitCheck() const { return fStatus; }

    bool Exists() const;
    // About the entry itself: a symbolic link is neither a file nor a directory.
    bool IsFile() const;
    bool IsDirectory() const;
    bool IsSymLink() const;

    status_t GetRef(entry_ref* ref) const;
    status_t GetPath(BPath* path) const;
    status_t GetName(char* buffer) const; // buffer of B_FILE_NAME_LENGTH bytes
    status_t GetParent(BEntry* parent) const;
    status_t GetParent(BDirectory* parent) const;

    // Removes a file, a link or an empty directory; the BEntry keeps naming the place.
    status_t Remove();
    // A relative path is taken from the entry's folder. Without clobber an existing entry at
    // the destination is left alone and B_FILE_EXISTS returned.
    status_t Rename(const char* path, bool clobber = false);
    // Moves into dir, under path (relative to dir) or under the current name.
    status_t MoveTo(BDirectory* dir, const char* path = nullptr, bool clobber = false);

    bool operator==(const BEntry& other) const;
    bool operator!=(const BEntry& other) const { return !(*this == other); }

private:
    status_t Fail(status_t error);
    status_t SetToAbsolute(std::string path, bool traverse);
    status_t MoveToPath(const std::string& destination, bool clobber);
    int FileType() const;

    std::string fPath;
    status_t fStatus = B_NO_INIT;
};

status_t get_ref_for_path(const char* path, entry_ref* ref);
