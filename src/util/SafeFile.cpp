#include "SafeFile.h"

#include "util/PathUtils.h"

#include <Entry.h>
#include <Path.h>

#include <random>

TSafeFile::TSafeFile(const std::string& destination) : fDestination(destination), fStatus(B_OK)
{
    // Write through a link to the file it names, as opening the destination would.
    BEntry entry(destination.c_str(), true);
    BPath resolved;
    if (entry.InitCheck() == B_OK && entry.GetPath(&resolved) == B_OK)
        fDestination = resolved.Path();

    // Whatever would keep the destination from being opened for writing keeps it from being
    // replaced: a read-only file, a folder of that name, a folder that cannot be written.
    if (BEntry(fDestination.c_str()).Exists()) {
        BFile existing(fDestination.c_str(), B_WRITE_ONLY);
        fStatus = existing.InitCheck();
        if (fStatus != B_OK)
            return;
    }

    std::random_device random;
    const std::string stem = extract_file_folder_path_kernel(fDestination, 1) + "." +
                             extract_file_name(fDestination) + ".";
    for (int attempt = 0; attempt < 16; attempt++) {
        fTemporary = stem + std::to_string(random() % 1000000);
        fStatus = fFile.SetTo(fTemporary.c_str(), B_WRITE_ONLY | B_CREATE_FILE | B_FAIL_IF_EXISTS);
        if (fStatus != B_FILE_EXISTS)
            break;
    }
    if (fStatus != B_OK)
        fTemporary.clear();
}

TSafeFile::~TSafeFile()
{
    if (!fCommitted && !fTemporary.empty()) {
        fFile.Unset();
        BEntry(fTemporary.c_str()).Remove();
    }
}

status_t TSafeFile::Commit()
{
    if (fStatus != B_OK)
        return fStatus;
    status_t status = fFile.Sync();
    fFile.Unset();
    if (status == B_OK)
        status = BEntry(fTemporary.c_str()).Rename(fDestination.c_str(), true);
    if (status == B_OK)
        fCommitted = true;
    return status;
}
