#include "PortFolder.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace {

constexpr size_t kMaxEscapedName = 80;

bool privateFolder(const struct stat& status, uid_t uid)
{
    return S_ISDIR(status.st_mode) && status.st_uid == uid && (status.st_mode & 07777) == 0700;
}

bool keptAsIs(uint8 byte, bool first)
{
    return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
           (byte >= '0' && byte <= '9') || byte == '_' || byte == '-' || (byte == '.' && !first);
}

int hexValue(char digit, bool upper)
{
    if (digit >= '0' && digit <= '9')
        return digit - '0';
    char ten = upper ? 'A' : 'a';
    if (digit >= ten && digit <= ten + 5)
        return digit - ten + 10;
    return -1;
}

} // namespace

namespace BPortFolder {

namespace {

// Makes base/leaf with mode 0700 when missing, then opens it without following a link and
// accepts only a folder of uid with mode exactly 0700.
status_t open_private(const std::string& base, const std::string& leaf, uid_t uid, int* fd,
                      std::string* path)
{
    int baseFd = open(base.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (baseFd < 0)
        return B_FROM_POSIX_ERROR(errno);
    if (mkdirat(baseFd, leaf.c_str(), 0700) != 0 && errno != EEXIST) {
        status_t error = B_FROM_POSIX_ERROR(errno);
        close(baseFd);
        return error;
    }
    int opened = openat(baseFd, leaf.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    int openError = errno;
    close(baseFd);
    if (opened < 0)
        return openError == ELOOP || openError == ENOTDIR
                   ? static_cast<status_t>(B_PERMISSION_DENIED)
                   : B_FROM_POSIX_ERROR(openError);
    struct stat status;
    if (fstat(opened, &status) != 0 || !privateFolder(status, uid)) {
        close(opened);
        return B_PERMISSION_DENIED;
    }
    *fd = opened;
    *path = base + "/" + leaf;
    return B_OK;
}

// The folder open_folder wants: base and leaf.
std::pair<std::string, std::string> usual_folder(const char* runtimeDir, uid_t uid)
{
    struct stat status;
    if (runtimeDir != nullptr && runtimeDir[0] == '/' && lstat(runtimeDir, &status) == 0 &&
        privateFolder(status, uid))
        return {runtimeDir, "be-ports"};
    return {"/tmp", "be-ports-" + std::to_string(uid)};
}

std::string reason(status_t status)
{
    if (status == B_PERMISSION_DENIED)
        return "not a private folder of this user (another user's, open to others, or a link)";
    return "unusable (error " + std::to_string(status) + ")";
}

} // namespace

status_t open_folder(const char* runtimeDir, uid_t uid, int* fd, std::string* path)
{
    const auto [base, leaf] = usual_folder(runtimeDir, uid);
    return open_private(base, leaf, uid, fd, path);
}

status_t open_fallback_folder(const char* cacheHome, const char* home, uid_t uid, int* fd,
                              std::string* path)
{
    std::string base;
    if (cacheHome != nullptr && cacheHome[0] == '/') {
        base = cacheHome;
    } else if (home != nullptr && home[0] == '/') {
        base = std::string(home) + "/.cache";
    } else {
        return B_ENTRY_NOT_FOUND;
    }
    if (mkdir(base.c_str(), 0700) != 0 && errno != EEXIST)
        return B_FROM_POSIX_ERROR(errno);
    // A home folder shared by several machines holds each machine's sockets apart.
    char host[256] = {};
    gethostname(host, sizeof host - 1);
    std::string leaf = "be-ports-" + std::to_string(uid) + "-";
    for (const char* c = host; *c != '\0'; c++)
        leaf += keptAsIs(static_cast<uint8>(*c), false) ? *c : '_';
    return open_private(base, leaf, uid, fd, path);
}

status_t choose_folder(const char* runtimeDir, const char* cacheHome, const char* home, uid_t uid,
                       int* fd, std::string* path, std::string* note)
{
    note->clear();
    status_t status = open_folder(runtimeDir, uid, fd, path);
    if (status == B_OK)
        return B_OK;
    const auto [base, leaf] = usual_folder(runtimeDir, uid);
    *note = base + "/" + leaf + " is " + reason(status);
    status_t fallback = open_fallback_folder(cacheHome, home, uid, fd, path);
    if (fallback == B_OK) {
        *note += "; using " + *path + " instead";
        return B_OK;
    }
    *note += ", and no folder in the user's cache could be used either: named ports and "
             "messages between programs are unavailable";
    return status;
}

int folder()
{
    static int opened = [] {
        int fd = -1;
        std::string path;
        std::string note;
        status_t status = choose_folder(getenv("XDG_RUNTIME_DIR"), getenv("XDG_CACHE_HOME"),
                                        getenv("HOME"), geteuid(), &fd, &path, &note);
        // Said once, where the user of the program sees it.
        if (!note.empty())
            fprintf(stderr, "%s: %s\n", program_invocation_short_name, note.c_str());
        return status == B_OK ? fd : status;
    }();
    return opened;
}

std::string file_name(const std::string& portName)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string escaped;
    for (size_t i = 0; i < portName.size(); i++) {
        auto byte = static_cast<uint8>(portName[i]);
        if (keptAsIs(byte, i == 0)) {
            escaped += static_cast<char>(byte);
        } else {
            escaped += '%';
            escaped += kHex[byte >> 4];
            escaped += kHex[byte & 15];
        }
    }
    if (escaped.size() <= kMaxEscapedName)
        return escaped;
    std::string hex = "=";
    for (char c : portName) {
        auto byte = static_cast<uint8>(c);
        hex += static_cast<char>(tolower(kHex[byte >> 4]));
        hex += static_cast<char>(tolower(kHex[byte & 15]));
    }
    return hex;
}

bool port_name(const std::string& fileName, std::string* portName)
{
    std::string name;
    if (!fileName.empty() && fileName[0] == '=') {
        if (fileName.size() % 2 != 1)
            return false;
        for (size_t i = 1; i < fileName.size(); i += 2) {
            int high = hexValue(fileName[i], false);
            int low = hexValue(fileName[i + 1], false);
            if (high < 0 || low < 0)
                return false;
            name += static_cast<char>(high << 4 | low);
        }
    } else {
        for (size_t i = 0; i < fileName.size(); i++) {
            if (fileName[i] != '%') {
                name += fileName[i];
                continue;
            }
            if (i + 2 >= fileName.size())
                return false;
            int high = hexValue(fileName[i + 1], true);
            int low = hexValue(fileName[i + 2], true);
            if (high < 0 || low < 0)
                return false;
            name += static_cast<char>(high << 4 | low);
            i += 2;
        }
    }
    // Only names that file_name makes: anything else in the folder is not a port.
    if (name.empty() || name.size() >= B_OS_NAME_LENGTH || name.find('\0') != std::string::npos ||
        file_name(name) != fileName)
        return false;
    *portName = name;
    return true;
}

bool make_address(int folderFd, const std::string& fileName, sockaddr_un* address,
                  socklen_t* length)
{
    memset(address, 0, sizeof *address);
    address->sun_family = AF_UNIX;
    int written = snprintf(address->sun_path, sizeof address->sun_path, "/proc/self/fd/%d/%s",
                           folderFd, fileName.c_str());
    if (written < 0 || static_cast<size_t>(written) >= sizeof address->sun_path)
        return false;
    *length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + written + 1);
    return true;
}

} // namespace BPortFolder
