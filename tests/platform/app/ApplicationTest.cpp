#include "LooperTestSupport.h"
#include "TempFolder.h"

#include <Application.h>
#include <Entry.h>
#include <OS.h>

#include <filesystem>
#include <string>
#include <unistd.h>

using namespace looper_test;

namespace {

constexpr const char* kSignature = "application/x-vnd.Test-App";

// Notes which hooks ran, in order; everything it notes happens on the application's thread.
class TestApp : public BApplication {
public:
    TestApp() : BApplication(kSignature) {}

    void ArgvReceived(int32 argc, char** argv) override
    {
        fHooks.push_back("argv");
        fArgs.assign(argv, argv + argc);
    }
    void RefsReceived(BMessage* message) override
    {
        fHooks.push_back("refs");
        entry_ref ref;
        for (int32 i = 0; message->FindRef("refs", i, &ref) == B_OK; i++)
            fRefs.push_back(ref.Path());
    }
    void ReadyToRun() override
    {
        fHooks.push_back("ready");
        fReadyThread = find_thread(nullptr);
        if (fOnReady)
            fOnReady();
    }
    void AboutRequested() override { fHooks.push_back("about"); }
    bool QuitRequested() override
    {
        fHooks.push_back("quit?");
        return fQuitRequests++ >= fRefusals;
    }
    void MessageReceived(BMessage*) override { fHooks.push_back("other"); }

    std::vector<std::string> fHooks;
    std::vector<std::string> fArgs;
    std::vector<std::string> fRefs;
    std::function<void()> fOnReady;
    thread_id fReadyThread = -1;
    int fQuitRequests = 0;
    int fRefusals = 0;
};

void set_args(BApplication& app, std::vector<const char*> args)
{
    app.SetArgs((int)args.size(), args.data());
}

TEST(ApplicationTest, RunTakesTheCallingThreadAndEndsWhenAQuitRequestIsGranted)
{
    Watchdog watchdog;
    TestApp app;
    ASSERT_EQ(app.InitCheck(), B_OK);
    set_args(app, {"test"});
    app.fRefusals = 1;
    app.PostMessage(B_ABOUT_REQUESTED);
    app.PostMessage(B_QUIT_REQUESTED);
    app.PostMessage(B_QUIT_REQUESTED);
    app.PostMessage('late');

    EXPECT_EQ(app.Run(), find_thread(nullptr));
    // No arguments: no B_ARGV_RECEIVED. What came after the granted request is discarded.
    EXPECT_EQ(app.fHooks, (std::vector<std::string>{"ready", "about", "quit?", "quit?"}));
    EXPECT_EQ(app.fReadyThread, find_thread(nullptr));
    EXPECT_EQ(app.Thread(), find_thread(nullptr));
}

TEST(ApplicationTest, FilesNamedOnTheCommandLineArriveAsRefsAndQuitFromElsewhereEndsRun)
{
    Watchdog watchdog;
    TempFolder folder;
    std::string first = folder.WriteText("first.mid", "x");
    std::string second = std::filesystem::relative(folder.WriteText("second.mid", "x")).string();
    ASSERT_NE(second[0], '/');

    TestApp app;
    set_args(app, {"cadenza", first.c_str(), "--batch", second.c_str(), "/no/such/file"});
    std::thread quitter;
    app.fOnReady = [&] { quitter = std::thread([] { be_app->Quit(); }); };
    app.Run();
    quitter.join();

    // Quit() from another thread ends Run, and is not a request: nobody was asked.
    EXPECT_EQ(app.fHooks, (std::vector<std::string>{"argv", "refs", "ready"}));
    EXPECT_EQ(app.fArgs,
              (std::vector<std::string>{"cadenza", first, "--batch", second, "/no/such/file"}));
    EXPECT_EQ(app.fRefs, (std::vector<std::string>{first, folder / "second.mid"}));
}

std::atomic<int> sStopped{0};

// The roster's inbox hangs on the service hooks; what arrives through it the roster's process
// tests check. A process that ends unpublishes its ports anyway, so only here is a missed
// stopping hook seen.
TEST(ApplicationTest, TheGlobalsNameTheOneApplicationWithAValidSignatureAndItsInbox)
{
    sStopped = 0;
    BPrivate::application_hooks hooks;
    hooks.started = [](BApplication*) { return create_port(8, nullptr); };
    hooks.stopping = [](BApplication* application) {
        app_info info;
        if (application->GetAppInfo(&info) == B_OK && delete_port(info.port) == B_OK)
            sStopped++;
    };
    BPrivate::application_hooks before = BPrivate::set_application_hooks(hooks);
    for (const char* bad : {"text/plain", "application/", "application/two words",
                            "application/a/b", "", static_cast<const char*>(nullptr)}) {
        status_t error = B_OK;
        BApplication app(bad, &error);
        EXPECT_EQ(error, (status_t)B_BAD_VALUE) << (bad != nullptr ? bad : "(null)");
        EXPECT_EQ(app.InitCheck(), (status_t)B_BAD_VALUE);
        EXPECT_EQ(be_app, nullptr);
    }
    {
        TestApp app;
        EXPECT_EQ(be_app, &app);
        EXPECT_STREQ(be_app->Signature(), kSignature);
        BLooper* target = nullptr;
        EXPECT_TRUE(be_app_messenger.IsValid());
        be_app_messenger.Target(&target);
        EXPECT_EQ(target, &app);

        status_t error = B_OK;
        BApplication second("application/x-vnd.Test-Second", &error);
        EXPECT_EQ(error, (status_t)B_NOT_ALLOWED);
        EXPECT_EQ(be_app, &app);

        // MIME types compare without regard to case.
        BMessenger bySignature("Application/X-Vnd.Test-App", -1, &error);
        EXPECT_EQ(error, B_OK);
        EXPECT_EQ(bySignature, be_app_messenger);
        EXPECT_FALSE(BMessenger("application/x-vnd.Test-Second").IsValid());

        app_info info;
        ASSERT_EQ(app.GetAppInfo(&info), B_OK);
        EXPECT_EQ(info.thread, find_thread(nullptr));
        EXPECT_EQ(info.team, getpid());
        EXPECT_STREQ(info.signature, kSignature);
        EXPECT_EQ(info.flags, (uint32)B_MULTIPLE_LAUNCH);
        EXPECT_EQ(info.ref.Path(), std::filesystem::read_symlink("/proc/self/exe").string());
        EXPECT_GT(info.port, 0);
    }
    BPrivate::set_application_hooks(before);
    EXPECT_EQ(sStopped, 1) << "the application gave its inbox back";
    EXPECT_EQ(be_app, nullptr);
    EXPECT_FALSE(be_app_messenger.IsValid());
}

} // namespace
