#include <Application.h>

#include <Entry.h>
#include <Locale.h>
#include <ResourceRegistry.h>
#include <Resources.h>

#include <climits>
#include <cstring>
#include <fstream>
#include <iterator>
#include <mutex>
#include <strings.h>
#include <unistd.h>

BApplication* be_app = nullptr;
BMessenger be_app_messenger;

namespace {

std::mutex sHooksLock;
BPrivate::application_hooks sHooks;

BPrivate::application_hooks current_hooks()
{
    std::lock_guard<std::mutex> lock(sHooksLock);
    return sHooks;
}

// "application/" and a subtype of MIME token characters, as the roster and the file types
// expect it.
status_t check_signature(const char* signature)
{
    static const char kPrefix[] = "application/";
    const size_t prefixLength = sizeof(kPrefix) - 1;
    if (signature == nullptr)
        return B_BAD_VALUE;
    size_t length = strlen(signature);
    if (length <= prefixLength || length >= B_MIME_TYPE_LENGTH ||
        strncasecmp(signature, kPrefix, prefixLength) != 0)
        return B_BAD_VALUE;
    for (const char* c = signature + prefixLength; *c != '\0'; c++) {
        auto ch = (unsigned char)*c;
        if (ch <= ' ' || ch >= 0x7f || strchr("()<>@,;:\\\"/[]?=", ch) != nullptr)
            return B_BAD_VALUE;
    }
    return B_OK;
}

// The process's own arguments: NUL-terminated strings back to back.
std::vector<std::string> own_command_line()
{
    std::ifstream file("/proc/self/cmdline", std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::vector<std::string> args;
    for (size_t start = 0; start < bytes.size();) {
        size_t end = bytes.find('\0', start);
        if (end == std::string::npos)
            end = bytes.size();
        args.push_back(bytes.substr(start, end - start));
        start = end + 1;
    }
    return args;
}

std::string current_folder()
{
    char buffer[PATH_MAX];
    return getcwd(buffer, sizeof(buffer)) != nullptr ? buffer : "";
}

} // namespace

BPrivate::application_hooks BPrivate::set_application_hooks(const application_hooks& hooks)
{
    std::lock_guard<std::mutex> lock(sHooksLock);
    application_hooks replaced = sHooks;
    sHooks = hooks;
    return replaced;
}

BApplication::BApplication(const char* signature) : BLooper("application")
{
    _Init(signature);
}

BApplication::BApplication(const char* signature, status_t* error) : BLooper("application")
{
    _Init(signature);
    if (error != nullptr)
        *error = fInitStatus;
}

void BApplication::_Init(const char* signature)
{
    if (be_app != nullptr) {
        fInitStatus = B_NOT_ALLOWED;
        return;
    }
    fInitStatus = check_signature(signature);
    if (fInitStatus != B_OK)
        return;
    fSignature = signature;
    // Until Run() the thread that made the application counts as its thread: messages it
    // sends to itself must not wait for a loop that is not running yet.
    _SetThread(find_thread(nullptr));
    be_app = this;
    be_app_messenger = BMessenger(nullptr, this);
    if (auto started = current_hooks().started)
        fInbox = started(this);
}

BApplication::~BApplication()
{
    if (fInitStatus != B_OK)
        return;
    if (auto stopping = current_hooks().stopping)
        stopping(this);
    be_app = nullptr;
    be_app_messenger = BMessenger();
}

thread_id BApplication::Run()
{
    if (fInitStatus != B_OK)
        return fInitStatus;
    thread_id caller = find_thread(nullptr);
    if (LockingThread() != caller)
        return B_NOT_ALLOWED;
    if (fRunCalled)
        return B_ALREADY_RUNNING;
    fRunCalled = true;
    _SetThread(caller);
    // The command line and B_READY_TO_RUN come before any message posted so far, while the
    // lock the constructor took is still held, as it is for every dispatch.
    _DeliverCommandLine();
    if (!fTerminating)
        _DispatchOne(new BMessage(B_READY_TO_RUN), _Token());
    if (!fTerminating) {
        Unlock();
        _Loop();
    }
    return caller;
}

void BApplication::Quit()
{
    // Only the application's own thread may read fRunCalled; others are told by a message.
    if (find_thread(nullptr) == Thread() && fRunCalled) {
        fTerminating = true;
        return;
    }
    _PostQuit();
}

bool BApplication::QuitRequested()
{
    return true;
}

void BApplication::ReadyToRun() {}

void BApplication::ArgvReceived(int32, char**) {}

void BApplication::RefsReceived(BMessage*) {}

void BApplication::AboutRequested() {}

void BApplication::DispatchMessage(BMessage* message, BHandler* handler)
{
    if (handler != this) {
        BLooper::DispatchMessage(message, handler);
        return;
    }
    switch (message->what) {
    case B_ARGV_RECEIVED: {
        // The strings decide how many there are: "argc" may come from another process.
        std::vector<std::string> args;
        const char* arg = nullptr;
        for (int32 i = 0; message->FindString("argv", i, &arg) == B_OK; i++)
            args.emplace_back(arg);
        std::vector<char*> argv;
        for (std::string& each : args)
            argv.push_back(each.data());
        argv.push_back(nullptr);
        ArgvReceived((int32)args.size(), argv.data());
        break;
    }
    case B_REFS_RECEIVED:
        RefsReceived(message);
        break;
    case B_READY_TO_RUN:
        ReadyToRun();
        break;
    case B_ABOUT_REQUESTED:
        AboutRequested();
        break;
    case B_LANGUAGE_CHANGED:
        _LanguageChanged(message);
        BLooper::DispatchMessage(message, handler);
        break;
    default:
        BLooper::DispatchMessage(message, handler);
        break;
    }
}

void BApplication::_LanguageChanged(const BMessage* message)
{
    // Waits a little for a window whose queue is full, never long: the message comes from
    // outside, and the application must go on.
    static const bigtime_t kRelayTimeout = 500000;

    const char* language = nullptr;
    BMessage relay(B_LANGUAGE_CHANGED);
    if (message->FindString(B_LANGUAGE_FIELD, &language) == B_OK) {
        be_locale->SetLanguage(language);
        relay.AddString(B_LANGUAGE_FIELD, language);
    }
    // Every window is a looper of its own; loopers that are not windows let it pass.
    for (int32 token : _LooperTokens()) {
        if (token != _Token())
            _Deliver(token, token, new BMessage(relay), kRelayTimeout, false);
    }
}

void BApplication::SetArgs(int argc, const char* const* argv)
{
    fArgs.clear();
    for (int i = 0; i < argc && argv != nullptr && argv[i] != nullptr; i++)
        fArgs.emplace_back(argv[i]);
    fArgsSet = true;
}

void BApplication::_DeliverCommandLine()
{
    std::vector<std::string> args = fArgsSet ? fArgs : own_command_line();
    if (args.size() <= 1)
        return;
    std::string folder = current_folder();

    auto* argvMessage = new BMessage(B_ARGV_RECEIVED);
    argvMessage->AddInt32("argc", (int32)args.size());
    for (const std::string& arg : args)
        argvMessage->AddString("argv", arg);
    argvMessage->AddString("cwd", folder);
    _DispatchOne(argvMessage, _Token());
    if (fTerminating)
        return;

    // Arguments that name existing entries are handed over as refs too, as if the files had
    // been opened with the application.
    auto* refsMessage = new BMessage(B_REFS_RECEIVED);
    for (size_t i = 1; i < args.size(); i++) {
        if (args[i].empty())
            continue;
        std::string path = args[i][0] == '/' ? args[i] : folder + "/" + args[i];
        BEntry entry(path.c_str());
        entry_ref ref;
        if (entry.Exists() && entry.GetRef(&ref) == B_OK)
            refsMessage->AddRef("refs", &ref);
    }
    if (refsMessage->HasRef("refs"))
        _DispatchOne(refsMessage, _Token());
    else
        delete refsMessage;
}

status_t BApplication::GetAppInfo(app_info* info) const
{
    if (info == nullptr)
        return B_BAD_VALUE;
    if (fInitStatus != B_OK)
        return B_NO_INIT;
    *info = app_info();
    info->thread = Thread();
    info->team = getpid();
    info->port = fInbox;
    info->flags = B_MULTIPLE_LAUNCH;
    size_t size = 0;
    const void* flags = AppResources()->LoadResource('APPF', "BEOS:APP_FLAGS", &size);
    if (flags != nullptr && size == sizeof(uint32))
        memcpy(&info->flags, flags, sizeof(uint32));
    char executable[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", executable, sizeof(executable) - 1);
    if (length > 0) {
        executable[length] = '\0';
        get_ref_for_path(executable, &info->ref);
    }
    strncpy(info->signature, fSignature.c_str(), sizeof(info->signature) - 1);
    return B_OK;
}

BResources* BApplication::AppResources()
{
    return BPrivate::app_resources();
}
