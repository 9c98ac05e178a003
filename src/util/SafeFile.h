#pragma once

// A file that replaces another only once it is complete. It is written as a temporary file in
// the same folder and renamed over the destination by Commit(), so that a failed or
// interrupted write never destroys what the destination held before. A SafeFile that is
// destroyed without a successful Commit() removes its temporary.

#include <File.h>

#include <string>

class TSafeFile {
public:
    // Checks that the destination could be written as it stands (an existing file must be
    // writable, a missing one creatable) and creates the temporary.
    explicit TSafeFile(const std::string& destination);
    ~TSafeFile();

    TSafeFile(const TSafeFile&) = delete;
    TSafeFile& operator=(const TSafeFile&) = delete;

    // B_OK, or the error of opening the destination or creating the temporary.
    status_t InitCheck() const { return fStatus; }
    // The stream to write to.
    BFile* File() { return &fFile; }
    // Flushes the temporary and puts it in the destination's place.
    status_t Commit();

private:
    std::string fDestination;
    std::string fTemporary;
    BFile fFile;
    status_t fStatus;
    bool fCommitted = false;
};
