#pragma once

// The application: the looper of the program's main thread. Its Run() takes over the calling
// thread, delivers the command line (B_ARGV_RECEIVED, then B_REFS_RECEIVED for the files it
// names) and B_READY_TO_RUN, then dispatches messages until the application quits. One
// application exists at a time; be_app and be_app_messenger name it.

#include <AppDefs.h>
#include <Looper.h>
#include <Messenger.h>
#include <SupportDefs.h>

#include <string>
#include <vector>

class BResources;

class BApplication : public BLooper {
public:
    // The signature is a MIME type of the form "application/<subtype>"; InitCheck() reports
    // B_BAD_VALUE for anything else and B_NOT_ALLOWED when another application exists. The
    // first form leaves the caller to check InitCheck(); the second stores it in *error too.
    explicit BApplication(const char* signature);
    BApplication(const char* signature, status_t* error);
    // Clears be_app and be_app_messenger. Delete the application after Run() has returned.
    ~BApplication() override;

    status_t InitCheck() const { return fInitStatus; }

    // Runs the loop on the calling thread and returns (with that thread's id) once the
    // application has quit.
    thread_id Run() override;
    // On the application's thread (inside Run, while handling a message): Run() returns after
    // the current message. On another thread: asks the loop to end after the messages posted
    // before, and returns at once. Unlike a BLooper, the application is never deleted by
    // Quit(): the code that made it deletes it after Run().
    void Quit() override;
    bool QuitRequested() override;

    // Hooks, on the application's thread.
    virtual void ReadyToRun();
    // The whole command line, argv[0] included; only when there are arguments.
    virtual void ArgvReceived(int32 argc, char** argv);
    // B_REFS_RECEIVED: entry_refs in "refs", such as the files named on the command line.
    virtual void RefsReceived(BMessage* message);
    virtual void AboutRequested();

    // B_LANGUAGE_CHANGED ('_BLC', Locale.h) switches be_locale to the language it names and
    // goes on to every window, then to MessageReceived().
    void DispatchMessage(BMessage* message, BHandler* handler) override;

    // The command line Run() delivers. Without a call, it is the process's own, read from
    // /proc/self/cmdline; a program (or a test) may set another before Run().
    void SetArgs(int argc, const char* const* argv);

    // thread: the thread running (or about to run) the loop; team: the process; ref: the
    // executable (/proc/self/exe); flags: B_MULTIPLE_LAUNCH; port: the inbox the roster
    // gave the application, -1 without one. B_NO_INIT when InitCheck() failed.
    status_t GetAppInfo(app_info* info) const;
    const char* Signature() const { return fSignature.c_str(); }

    // The running executable's own resources; defined with BResources.
    static BResources* AppResources();

private:
    void _Init(const char* signature);
    void _DeliverCommandLine();
    // B_LANGUAGE_CHANGED: the catalogue of the new language, and the message to every window.
    void _LanguageChanged(const BMessage* message);

    std::string fSignature;
    std::vector<std::string> fArgs;
    bool fArgsSet = false;
    port_id fInbox = -1;
    status_t fInitStatus = B_NO_INIT;
};

extern BApplication* be_app;
extern BMessenger be_app_messenger;

namespace BPrivate {

// For a kit that attaches a service to every application: the roster gives each one an inbox
// for the messages of other processes. started runs at the end of a BApplication constructor
// that succeeded (be_app is set) and returns the service's port (or an error), which
// GetAppInfo() reports; stopping runs at the start of the destructor. Both run on the thread
// that makes or deletes the application. Set them before the application is made; the hooks
// they replace are returned.
struct application_hooks {
    port_id (*started)(BApplication* application) = nullptr;
    void (*stopping)(BApplication* application) = nullptr;
};
application_hooks set_application_hooks(const application_hooks& hooks);

} // namespace BPrivate
