#pragma once

// The runtime folder where named ports are published, and the file name of each port there.
//
// The folder is $XDG_RUNTIME_DIR/be-ports when XDG_RUNTIME_DIR is an absolute path to a real
// folder (not a link) of ours with mode 0700, else /tmp/be-ports-<uid>. It is made with mode
// 0700 when missing, then opened without following a link and accepted only when it is a
// folder owned by us with mode exactly 0700: anything else is refused. Another user can take
// /tmp/be-ports-<uid> first; then the folder is be-ports-<uid>-<host> in the user's cache
// folder ($XDG_CACHE_HOME, else ~/.cache) under the same rules, a place only the user can
// make, so every process of the user that is refused the same way meets the others there.
// Sockets are reached through the opened folder (/proc/self/fd/<fd>/<file>), so the folder
// checked is the folder used, and long folder paths do not matter.

#include <OS.h>

#include <string>
#include <sys/socket.h>
#include <sys/types.h>

struct sockaddr_un;

namespace BPortFolder {

// Opens and checks the folder under the rules above, for runtimeDir as XDG_RUNTIME_DIR (NULL
// when unset) and uid as our user. On success stores a descriptor (close-on-exec) in *fd and
// the folder's path in *path.
status_t open_folder(const char* runtimeDir, uid_t uid, int* fd, std::string* path);

// The folder in the user's cache folder (cacheHome as XDG_CACHE_HOME, else home/.cache),
// under the same rules.
status_t open_fallback_folder(const char* cacheHome, const char* home, uid_t uid, int* fd,
                              std::string* path);

// open_folder's folder, else open_fallback_folder's. *note is empty when the first was had,
// else it says why it was refused and what was used instead, or that there is none.
status_t choose_folder(const char* runtimeDir, const char* cacheHome, const char* home, uid_t uid,
                       int* fd, std::string* path, std::string* note);

// The folder of this process, chosen once from the environment (the note, if any, is written
// to standard error then): the descriptor, or a negative status.
int folder();

// A port name's file name: the bytes A-Z a-z 0-9 '_' '-', and '.' past the first byte, stand
// for themselves, any other byte is %XX (hex, upper case). A name whose escaped form is longer
// than 80 characters becomes '=' followed by the name in lower-case hex (at most 63 characters).
// Both forms are reversible, and they cannot be confused, since '=' is always escaped.
std::string file_name(const std::string& portName);
// The port name of a file name, or false for a name file_name cannot make.
bool port_name(const std::string& fileName, std::string* portName);

// The address of a file in the folder of descriptor folderFd.
bool make_address(int folderFd, const std::string& fileName, sockaddr_un* address,
                  socklen_t* length);

} // namespace BPortFolder
