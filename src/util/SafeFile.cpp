#include "SafeFile.h"

// The one place of the program that writes files, so the one place that speaks to the system
// directly: the storage kit has no way to open a folder once and work inside it, which is what
// keeps a replaced file the file that was checked.

#include <atomic>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <iterator>
#include <map>
#include <mutex>
#include <random>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

// The temporaries being written, for the signal handlers: a slot is taken by setting fUsed,
// filled, then published by storing the folder; the handler reads only published slots.
struct TemporarySlot {
    std::atomic<bool> fUsed{false};
    std::atomic<int> fFolder{-1};
    char fName[NAME_MAX + 1] = {};
};

TemporarySlot gTemporaries[64];

int take_slot(int folder, const std::string& name)
{
    if (name.size() > NAME_MAX)
        return -1;
    for (int i = 0; i < (int)std::size(gTemporaries); i++) {
        bool expected = false;
        if (!gTemporaries[i].fUsed.compare_exchange_strong(expected, true))
            continue;
        memcpy(gTemporaries[i].fName, name.c_str(), name.size() + 1);
        gTemporaries[i].fFolder.store(folder);
        return i;
    }
    return -1;
}

void free_slot(int slot)
{
    if (slot < 0)
        return;
    gTemporaries[slot].fFolder.store(-1);
    gTemporaries[slot].fUsed.store(false);
}

extern "C" void remove_temporaries_and_end(int signal)
{
    const int saved = errno;
    for (TemporarySlot& slot : gTemporaries) {
        const int folder = slot.fFolder.load();
        if (folder >= 0)
            unlinkat(folder, slot.fName, 0);
    }
    errno = saved;
    // End as the signal would have ended the program, so that the shell sees 128 + signal and
    // a script's loop stops on Ctrl-C.
    std::signal(signal, SIG_DFL);
    raise(signal);
}

status_t from_errno()
{
    return B_FROM_POSIX_ERROR(errno);
}

std::string folder_of(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string leaf_of(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A link another user planted in a sticky folder (a shared one such as /tmp) is never
// followed, whatever the system's own protection says; the folder's owner may place links.
bool planted_link(const struct stat& link, const std::string& folder)
{
    struct stat folderStatus;
    if (stat(folder.c_str(), &folderStatus) != 0)
        return true;
    return (folderStatus.st_mode & S_ISVTX) != 0 && link.st_uid != geteuid() &&
           link.st_uid != folderStatus.st_uid;
}

// The pid of a name "." + leaf + ".PID.XXXXXX" (six lower-case hex digits), or 0.
pid_t temporary_pid(const std::string& name, const std::string& leaf)
{
    const std::string stem = "." + leaf + ".";
    if (name.size() < stem.size() + 8 || name.compare(0, stem.size(), stem) != 0)
        return 0;
    const std::string rest = name.substr(stem.size());
    const size_t dot = rest.find('.');
    if (dot == 0 || dot == std::string::npos || dot > 9 || rest.size() - dot - 1 != 6)
        return 0;
    pid_t pid = 0;
    for (size_t i = 0; i < dot; i++) {
        if (rest[i] < '0' || rest[i] > '9')
            return 0;
        pid = pid * 10 + (rest[i] - '0');
    }
    for (size_t i = dot + 1; i < rest.size(); i++) {
        if (!isdigit((unsigned char)rest[i]) && (rest[i] < 'a' || rest[i] > 'f'))
            return 0;
    }
    return pid;
}

bool process_gone(pid_t pid)
{
    return pid != getpid() && kill(pid, 0) != 0 && errno == ESRCH;
}

// The names in a folder of the form ".NAME.PID.XXXXXX", whatever NAME.
std::vector<std::string> temporaries_in(int folderFd)
{
    std::vector<std::string> names;
    const int listed = dup(folderFd);
    DIR* folder = listed >= 0 ? fdopendir(listed) : nullptr;
    if (folder == nullptr) {
        if (listed >= 0)
            close(listed);
        return names;
    }
    while (const dirent* entry = readdir(folder)) {
        const std::string name = entry->d_name;
        const size_t last = name.rfind('.');
        const size_t before =
            last == std::string::npos || last == 0 ? std::string::npos : name.rfind('.', last - 1);
        if (before != std::string::npos && before > 1 && name[0] == '.' &&
            temporary_pid(name, name.substr(1, before - 1)) > 0)
            names.push_back(name);
    }
    closedir(folder);
    return names;
}

struct FolderListing {
    std::chrono::steady_clock::time_point taken;
    std::vector<std::string> names;
};

// How long a folder's listing stands for it; a killed run's temporary that appears later
// is found by the next listing.
constexpr auto kListingLife = std::chrono::seconds(2);
std::mutex gListingsLock;
std::map<std::pair<dev_t, ino_t>, FolderListing> gListings;

} // namespace

TSafeFile::TSafeFile(const std::string& destination)
{
    fStatus = OpenDestination(destination);
    if (fStatus != B_OK)
        return;
    RemoveLeftTemporaries();
    fStatus = CreateTemporary();
}

TSafeFile::~TSafeFile()
{
    if (!fCommitted && !fTemporary.empty()) {
        fFile.Unset();
        unlinkat(fFolder, fTemporary.c_str(), 0);
    }
    free_slot(fSlot);
    if (fFolder >= 0)
        close(fFolder);
}

status_t TSafeFile::OpenDestination(const std::string& destination)
{
    std::string folder = folder_of(destination);
    fLeaf = leaf_of(destination);
    if (fLeaf.empty() || fLeaf == "." || fLeaf == "..")
        return B_IS_A_DIRECTORY;

    struct stat status;
    if (lstat(destination.c_str(), &status) == 0) {
        const bool link = S_ISLNK(status.st_mode);
        if (link && planted_link(status, folder))
            return B_PERMISSION_DENIED;
        // Whatever would keep the destination from being opened for writing keeps it from
        // being replaced: a read-only file, a folder of that name. Opened as the system opens
        // it, through a link only where the system allows this user to follow it; never
        // truncated, and a pipe without a reader does not block.
        const int flags = O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | (link ? 0 : O_NOFOLLOW);
        const int file = open(destination.c_str(), flags);
        if (file < 0)
            return errno == ENXIO ? B_NOT_ALLOWED : from_errno();
        char resolved[PATH_MAX];
        const std::string self = "/proc/self/fd/" + std::to_string(file);
        const ssize_t length = readlink(self.c_str(), resolved, sizeof resolved - 1);
        const bool opened = fstat(file, &status) == 0;
        close(file);
        if (!opened || length <= 0)
            return B_ERROR;
        if (!S_ISREG(status.st_mode))
            return B_NOT_ALLOWED;
        if (link) {
            resolved[length] = '\0';
            folder = folder_of(resolved);
            fLeaf = leaf_of(resolved);
        }
        fReplaces = true;
        fKeptMode = status.st_mode & 07777;
        fDevice = status.st_dev;
        fInode = status.st_ino;
    } else if (errno != ENOENT) {
        return from_errno();
    }
    fFolder = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    return fFolder >= 0 ? B_OK : from_errno();
}

void TSafeFile::RemoveLeftTemporaries() const
{
    struct stat folderStatus;
    if (fstat(fFolder, &folderStatus) != 0)
        return;
    // A run writes many files into one folder: listing it for each would cost time in the
    // square of its size. The names that look like temporaries are kept for a moment instead.
    std::lock_guard<std::mutex> lock(gListingsLock);
    FolderListing& listing = gListings[{folderStatus.st_dev, folderStatus.st_ino}];
    const auto now = std::chrono::steady_clock::now();
    if (listing.taken == std::chrono::steady_clock::time_point() ||
        now - listing.taken > kListingLife) {
        listing.names = temporaries_in(fFolder);
        listing.taken = now;
    }
    for (auto name = listing.names.begin(); name != listing.names.end();) {
        const pid_t pid = temporary_pid(*name, fLeaf);
        struct stat status;
        if (pid > 0 && fstatat(fFolder, name->c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(status.st_mode) && status.st_uid == geteuid() && process_gone(pid)) {
            unlinkat(fFolder, name->c_str(), 0);
            name = listing.names.erase(name);
        } else {
            ++name;
        }
    }
}

status_t TSafeFile::CreateTemporary()
{
    std::random_device random;
    const std::string stem = "." + fLeaf + "." + std::to_string(getpid()) + ".";
    // A file being replaced keeps its bits, so its contents are never readable by more users
    // on the way; a new file is made as any other, under the user's umask.
    const mode_t mode = fReplaces ? 0600 : 0666;
    for (int attempt = 0; attempt < 16; attempt++) {
        char suffix[8];
        snprintf(suffix, sizeof suffix, "%06x", (unsigned)(random() & 0xFFFFFF));
        const std::string name = stem + suffix;
        // Known to the signal handlers before it exists, so that no moment is left when a
        // signal would leave it behind.
        fSlot = take_slot(fFolder, name);
        const int file = openat(fFolder, name.c_str(),
                                O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (file < 0) {
            const int error = errno;
            free_slot(fSlot);
            fSlot = -1;
            if (error == EEXIST)
                continue;
            return B_FROM_POSIX_ERROR(error);
        }
        fTemporary = name;
        const std::string self = "/proc/self/fd/" + std::to_string(file);
        const status_t status = fFile.SetTo(self.c_str(), B_WRITE_ONLY);
        close(file);
        return status;
    }
    return B_FILE_EXISTS;
}

status_t TSafeFile::WriteAll(const void* buffer, size_t size)
{
    if (fStatus != B_OK)
        return fStatus;
    const auto* bytes = static_cast<const char*>(buffer);
    while (size > 0) {
        const ssize_t written = fFile.Write(bytes, size);
        if (written < 0)
            return written == B_FROM_POSIX_ERROR(EFBIG) ? B_DEVICE_FULL : (status_t)written;
        if (written == 0)
            return B_IO_ERROR;
        bytes += written;
        size -= (size_t)written;
    }
    return B_OK;
}

status_t TSafeFile::Commit()
{
    if (fStatus != B_OK)
        return fStatus;
    status_t status = fFile.Sync();
    fFile.Unset();
    if (status != B_OK)
        return status;
    if (fReplaces) {
        // The file replaced must still be the one that was opened and checked.
        struct stat current;
        if (fstatat(fFolder, fLeaf.c_str(), &current, AT_SYMLINK_NOFOLLOW) != 0 ||
            current.st_dev != fDevice || current.st_ino != fInode)
            return B_BUSY;
        if (fchmodat(fFolder, fTemporary.c_str(), fKeptMode, 0) != 0)
            return from_errno();
    }
    if (renameat(fFolder, fTemporary.c_str(), fFolder, fLeaf.c_str()) != 0)
        return from_errno();
    fCommitted = true;
    return B_OK;
}

void TSafeFile::RemoveTemporariesOnSignals()
{
    struct sigaction action = {};
    action.sa_handler = remove_temporaries_and_end;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&action.sa_mask, signal);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction previous;
        // A signal the program was started to ignore (nohup) stays ignored.
        if (sigaction(signal, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN)
            continue;
        sigaction(signal, &action, nullptr);
    }
    std::signal(SIGXFSZ, SIG_IGN);
}
