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

status_t open_folder(const char* runtimeDir, uid_t uid, int* fd, std::string* path)
{
    struct stat status;
    std::string base = "/tmp";
    std::string leaf = "be-ports-" + std::to_string(uid);
    if (runtimeDir != nullptr && runtimeDir[0] == '/' && lstat(runtimeDir, &status) == 0 &&
        privateFolder(status, uid)) {
        base = runtimeDir;
        leaf = "be-ports";
    }
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
    if (fstat(opened, &status) != 0 || !privateFolder(status, uid)) {
        close(opened);
        return B_PERMISSION_DENIED;
    }
    *fd = opened;
    *path = base + "/" + leaf;
    return B_OK;
}

int folder()
{
    static int opened = [] {
        int fd = -1;
        std::string path;
        status_t status = open_folder(getenv("XDG_RUNTIME_DIR"), geteuid(), &fd, &path);
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
