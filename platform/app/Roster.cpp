// The roster on this system: applications are found by the names of their inboxes in the
// runtime folder of ports (RosterProtocol.h), and documents are opened by the desktop's opener.

#include <Roster.h>

#include <Application.h>
#include <Entry.h>
#include <Message.h>
#include <RosterInbox.h>
#include <RosterProtocol.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <set>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

using namespace BPrivate::roster_protocol;

namespace {

const BRoster sRoster;

// Every BApplication gets its inbox from these hooks, so they must be in place before the
// first application is made, whether or not the program ever names the roster. The build
// keeps this object in every program that links the application kit (platform/app).
struct InstallInboxHooks {
    InstallInboxHooks()
    {
        BPrivate::application_hooks hooks;
        hooks.started = BPrivate::start_app_inbox;
        hooks.stopping = BPrivate::stop_app_inbox;
        BPrivate::set_application_hooks(hooks);
    }
} sInstallInboxHooks;

// The published names of inboxes. The kernel lists names by position in a listing it makes
// afresh at every call, so a name removed meanwhile (a dead inbox, cleaned up by another
// process) shifts the later ones down and one of them can be missed; a second listing,
// merged with the first, catches it. *status tells a listing that could not be made (no
// folder of ports) from an empty one.
std::set<std::string> inbox_names(status_t* status = nullptr)
{
    std::set<std::string> names;
    status_t listed = B_OK;
    for (int pass = 0; pass < 2; pass++) {
        int32 cookie = 0;
        char name[B_OS_NAME_LENGTH];
        while ((listed = get_next_port_name(&cookie, name)) == B_OK) {
            if (strncmp(name, kInboxPrefix, sizeof(kInboxPrefix) - 1) == 0)
                names.insert(name);
        }
    }
    if (status != nullptr)
        *status = listed == B_ENTRY_NOT_FOUND ? B_OK : listed;
    return names;
}

// The first executable xdg-open along PATH, as execvp() would find it.
bool find_opener(std::string* path)
{
    const char* search = getenv("PATH");
    if (search == nullptr)
        search = "/usr/local/bin:/usr/bin:/bin";
    for (const char* start = search;; start++) {
        const char* end = strchrnul(start, ':');
        std::string folder(start, end);
        std::string candidate = (folder.empty() ? "." : folder) + "/xdg-open";
        struct stat status;
        if (stat(candidate.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
            access(candidate.c_str(), X_OK) == 0) {
            *path = candidate;
            return true;
        }
        if (*end == '\0')
            return false;
        start = end;
    }
}

// Starts the opener on one argument without waiting for it. A child starts it and leaves at
// once, so that the opener is adopted by init and nobody is left to reap it; the child's own
// end is all this waits for.
status_t start_opener(const std::string& opener, const char* argument)
{
    // Everything the children need is made before fork(): after it, in a process with
    // threads, only async-signal-safe calls are allowed.
    char* const argv[] = {const_cast<char*>(opener.c_str()), const_cast<char*>(argument), nullptr};
    const pid_t child = fork();
    if (child < 0)
        return B_LAUNCH_FAILED;
    if (child == 0) {
        const pid_t grandchild = fork();
        if (grandchild == 0) {
            // Its own session: a Ctrl-C meant for this program's terminal is not for it.
            setsid();
            execve(argv[0], argv, environ);
            _exit(127);
        }
        _exit(grandchild < 0 ? 1 : 0);
    }
    int status;
    pid_t waited;
    do {
        waited = waitpid(child, &status, 0);
    } while (waited < 0 && errno == EINTR);
    if (waited != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return B_LAUNCH_FAILED;
    return B_OK;
}

} // namespace

const BRoster* be_roster = &sRoster;

status_t BRoster::Broadcast(BMessage* message) const
{
    if (message == nullptr)
        return B_BAD_VALUE;
    const ssize_t size = message->FlattenedSize();
    if (size < 0 || size > B_MAX_PORT_RECORD_SIZE)
        return B_BAD_VALUE;
    std::unique_ptr<char[]> bytes(new (std::nothrow) char[(size_t)size]);
    if (bytes == nullptr)
        return B_NO_MEMORY;
    status_t status = message->Flatten(bytes.get(), size);
    if (status != B_OK)
        return status;

    // Without a folder of ports there is no inbox to reach: the message went nowhere.
    status_t listed;
    const std::set<std::string> names = inbox_names(&listed);
    if (listed != B_OK)
        return listed;
    const team_id self = (team_id)getpid();
    for (const std::string& name : names) {
        // A dead owner's socket is removed by find_port itself.
        const port_id port = find_port(name.c_str());
        if (port < 0)
            continue;
        status = write_port_etc(port, kBroadcastRecord, bytes.get(), (size_t)size,
                                B_RELATIVE_TIMEOUT, kBroadcastTimeout);
        team_id team;
        uint32 hash;
        // A writer's handle on an inbox that went away is forgotten; our own inbox is our
        // application's to delete.
        if (status == B_BAD_PORT_ID && parse_inbox_name(name.c_str(), &team, &hash) &&
            team != self) {
            delete_port(port);
        }
    }
    return B_OK;
}

void BRoster::_ListApps(const char* signature, std::vector<team_id>* teams) const
{
    teams->clear();
    const uint32 wanted = signature != nullptr ? signature_hash(signature) : 0;
    for (const std::string& name : inbox_names()) {
        team_id team;
        uint32 hash;
        if (!parse_inbox_name(name.c_str(), &team, &hash))
            continue;
        if (signature != nullptr && hash != wanted)
            continue;
        if (find_port(name.c_str()) < 0)
            continue;
        if (std::find(teams->begin(), teams->end(), team) == teams->end())
            teams->push_back(team);
    }
}

bool BRoster::IsRunning(const char* signature) const
{
    if (signature == nullptr)
        return false;
    std::vector<team_id> teams;
    _ListApps(signature, &teams);
    return !teams.empty();
}

void BRoster::GetAppList(const char* signature, std::vector<team_id>* teams) const
{
    if (teams == nullptr)
        return;
    if (signature == nullptr) {
        teams->clear();
        return;
    }
    _ListApps(signature, teams);
}

void BRoster::GetAppList(std::vector<team_id>* teams) const
{
    if (teams != nullptr)
        _ListApps(nullptr, teams);
}

status_t BRoster::Launch(const char* mimeType, int argc, const char* const* args,
                         team_id* appTeam) const
{
    if (appTeam != nullptr)
        *appTeam = -1;
    if (mimeType == nullptr || argc < 1 || args == nullptr)
        return B_BAD_VALUE;
    for (int i = 0; i < argc; i++) {
        if (args[i] == nullptr)
            return B_BAD_VALUE;
    }
    std::string opener;
    if (!find_opener(&opener))
        return B_LAUNCH_FAILED_NO_PREFERRED_APP;
    for (int i = 0; i < argc; i++) {
        status_t status = start_opener(opener, args[i]);
        if (status != B_OK)
            return status;
    }
    return B_OK;
}

status_t BRoster::Launch(const entry_ref* ref, team_id* appTeam) const
{
    if (appTeam != nullptr)
        *appTeam = -1;
    if (ref == nullptr || ref->name.empty())
        return B_BAD_VALUE;
    const std::string path = ref->Path();
    struct stat status;
    if (stat(path.c_str(), &status) != 0)
        return B_ENTRY_NOT_FOUND;
    const char* args[] = {path.c_str()};
    return Launch("application/octet-stream", 1, args, appTeam);
}
