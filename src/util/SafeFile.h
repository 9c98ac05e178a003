#pragma once

// A file that replaces another only once it is complete. It is written as a temporary file in
// the destination's folder and renamed over the destination by Commit(), so that a failed or
// interrupted write never destroys what the destination held before. A SafeFile that is
// destroyed without a successful Commit() removes its temporary.
//
// A destination that is a symbolic link is followed the way the system follows it for this
// user when the link is opened (so the system's protection of links in shared folders
// applies), and a link that another user planted in a sticky folder is refused outright; the
// file replaced is then the one the link led to when it was opened. A replaced file keeps its
// permission bits. Temporaries are named ".NAME.PID.XXXXXX"; one of that form beside the
// destination whose process is gone was left by a killed run and is removed.

#include <File.h>

#include <string>

class TSafeFile {
public:
    // Checks that the destination could be written as it stands (an existing file must be a
    // writable regular file, a missing one creatable) and creates the temporary.
    explicit TSafeFile(const std::string& destination);
    ~TSafeFile();

    TSafeFile(const TSafeFile&) = delete;
    TSafeFile& operator=(const TSafeFile&) = delete;

    // B_OK, or the error of opening the destination or creating the temporary.
    status_t InitCheck() const { return fStatus; }
    // The stream to write to.
    BFile* File() { return &fFile; }
    // Writes all of size bytes to the temporary: B_OK or the error that stopped it (a file
    // size limit reads as B_DEVICE_FULL, as a full disk does).
    status_t WriteAll(const void* buffer, size_t size);
    // Flushes the temporary and puts it in the destination's place.
    status_t Commit();

    // Makes SIGINT, SIGTERM and SIGHUP remove the temporaries of every SafeFile still open
    // before the program ends as the signal would end it, and makes a file size limit a write
    // error rather than the end of the program. For main() to call once.
    static void RemoveTemporariesOnSignals();

private:
    status_t OpenDestination(const std::string& destination);
    void RemoveLeftTemporaries() const;
    status_t CreateTemporary();

    std::string fLeaf;      // the name replaced, in fFolder
    std::string fTemporary; // the temporary's name, in fFolder
    int fFolder = -1;       // the folder of both, open
    int fSlot = -1;         // where the signal handlers find the temporary
    bool fReplaces = false; // whether a file is there to be replaced
    unsigned fKeptMode = 0; // its permission bits
    unsigned long long fDevice = 0, fInode = 0;
    BFile fFile;
    status_t fStatus = B_OK;
    bool fCommitted = false;
};
