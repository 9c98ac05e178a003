#include <FindDirectory.h>

#include <Directory.h>
#include <Path.h>

#include <cstdlib>
#include <pwd.h>
#include <string>
#include <unistd.h>
#include <vector>

// The value of an environment variable, when it names an absolute path.
static const char* absolute_variable(const char* name)
{
    const char* value = getenv(name);
    return value != nullptr && value[0] == '/' ? value : nullptr;
}

static status_t home_folder(std::string& home)
{
    if (const char* value = absolute_variable("HOME")) {
        home = value;
        return B_OK;
    }
    long suggested = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(suggested > 0 ? (size_t)suggested : 16384);
    struct passwd account;
    struct passwd* found = nullptr;
    int error = getpwuid_r(getuid(), &account, buffer.data(), buffer.size(), &found);
    if (found == nullptr || found->pw_dir == nullptr || found->pw_dir[0] != '/')
        return error != 0 ? B_FROM_POSIX_ERROR(error) : B_ENTRY_NOT_FOUND;
    home = found->pw_dir;
    return B_OK;
}

// $variable, else fallback below the home folder.
static status_t xdg_folder(const char* variable, const char* fallback, std::string& folder)
{
    if (const char* value = variable ? absolute_variable(variable) : nullptr) {
        folder = value;
        return B_OK;
    }
    status_t status = home_folder(folder);
    if (status == B_OK)
        folder += fallback;
    return status;
}

static status_t folder_for(directory_which which, std::string& folder)
{
    switch (which) {
    case B_USER_DIRECTORY:
        return home_folder(folder);
    case B_DESKTOP_DIRECTORY:
    case B_USER_DESKTOP_DIRECTORY:
        return xdg_folder(nullptr, "/Desktop", folder);
    case B_USER_CONFIG_DIRECTORY:
    case B_USER_SETTINGS_DIRECTORY:
        return xdg_folder("XDG_CONFIG_HOME", "/.config", folder);
    case B_USER_DATA_DIRECTORY:
        return xdg_folder("XDG_DATA_HOME", "/.local/share", folder);
    case B_USER_CACHE_DIRECTORY:
        return xdg_folder("XDG_CACHE_HOME", "/.cache", folder);
    case B_SYSTEM_TEMP_DIRECTORY: {
        const char* value = absolute_variable("TMPDIR");
        folder = value != nullptr ? value : "/tmp";
        return B_OK;
    }
    }
    return B_BAD_VALUE;
}

status_t find_directory(directory_which which, BPath* path, bool createIt, BVolume*)
{
    if (path == nullptr)
        return B_BAD_VALUE;
    std::string folder;
    status_t status = folder_for(which, folder);
    if (status == B_OK && createIt)
        status = create_directory(folder.c_str(), 0700);
    if (status == B_OK)
        status = path->SetTo(folder.c_str());
    if (status != B_OK)
        path->Unset();
    return status;
}
