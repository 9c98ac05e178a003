#pragma once

// The roster knows the running applications of this user: it delivers a message to all of
// them (Broadcast), tells which are running, and launches documents and web pages in the
// applications the desktop prefers for them. docs/roster.md explains how, on this system.

#include <AppDefs.h>
#include <OS.h>
#include <SupportDefs.h>

#include <vector>

class BMessage;
struct entry_ref;

class BRoster {
public:
    constexpr BRoster() = default;

    // Flattens the message once and delivers a copy to every running BApplication of this
    // user, the caller's own included; each gets it posted to its looper, marked as coming
    // from another process (B_ORIGIN_REMOTE), with any pointer fields removed.
    // Inboxes left behind by processes that died are removed on the way. An application whose
    // inbox stays full for kBroadcastTimeout (250 ms; stuck, or stopped) is passed by and does
    // not get this message: Broadcast never waits longer than that for any one application.
    // B_OK once the message went out, whatever the number of receivers; B_BAD_VALUE for a
    // null message or one flattening to more than B_MAX_PORT_RECORD_SIZE bytes.
    status_t Broadcast(BMessage* message) const;

    // Whether an application of that signature runs for this user, and which processes run
    // it (or, with the second form, every application). Applications are told apart by a
    // 32-bit hash of their signature: two signatures with the same hash look the same here.
    bool IsRunning(const char* signature) const;
    void GetAppList(const char* signature, std::vector<team_id>* teams) const;
    void GetAppList(std::vector<team_id>* teams) const;

    // Opens each of the arguments — a document's path or a URL — with the desktop's opener,
    // xdg-open, found through PATH and started without a shell. The opener picks the
    // application from the document itself, so mimeType only has to be given ("text/html" for
    // a web page is the usual one). Returns as soon as the opener started, without waiting for
    // it: B_OK; B_BAD_VALUE without a type or without arguments;
    // B_LAUNCH_FAILED_NO_PREFERRED_APP when no executable xdg-open is on the PATH;
    // B_LAUNCH_FAILED when it cannot be started. Never B_ALREADY_RUNNING: the opener cannot
    // tell whether the application was already running, so a launch always counts as new,
    // and *appTeam (when given) gets -1, as the process of the application is not known.
    status_t Launch(const char* mimeType, int argc, const char* const* args,
                    team_id* appTeam = nullptr) const;
    status_t Launch(const char* mimeType, int argc, char** args, team_id* appTeam = nullptr) const
    {
        return Launch(mimeType, argc, const_cast<const char* const*>(args), appTeam);
    }
    // Opens the document itself: B_BAD_VALUE without one, B_ENTRY_NOT_FOUND when it does not
    // exist, otherwise as above.
    status_t Launch(const entry_ref* ref, team_id* appTeam = nullptr) const;

private:
    void _ListApps(const char* signature, std::vector<team_id>* teams) const;
};

extern const BRoster* be_roster;
