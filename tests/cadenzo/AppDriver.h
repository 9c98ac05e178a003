#pragma once

// The whole application in the test's process, on the offscreen display, driven the way a
// user drives it: clicks, keys and file drops go in through the display, and what the main
// window shows comes back as the frames it presented. Alerts go to the terminal (captured
// here) unless BE_ALERT=window is set before the start. The Preferences window, the About box
// and the common preferences window are opened from its menus with real clicks.

#include "Environment.h"
#include "MidiBytes.h"
#include "TempFolder.h"
#include "WindowTestSupport.h"
#ifdef APP_GOLDEN_DIR
#include "GoldenImage.h"
#endif
#include "about/VANTORAboutWindow.h"
#include "app/CadenzoApp.h"
#include "app/CadenzoView.h"
#include "app/CadenzoWindow.h"
#include "iap/IAPItem.h"
#include "settings/Prefs.h"
#include "settings/PrefsWindow.h"

#include <Application.h>
#include <CheckBox.h>
#include <MenuBar.h>
#include <MenuItem.h>
#include <Resources.h>
#include <StringView.h>
#include <TextControl.h>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <future>
#include <sys/stat.h>
#include <unistd.h>

namespace app_test {

using namespace window_test;

// Everything written to standard error (the terminal form of alerts) while it lives.
class StderrCapture {
public:
    StderrCapture() : fFile(tmpfile())
    {
        fflush(stderr);
        fSaved = dup(STDERR_FILENO);
        dup2(fileno(fFile), STDERR_FILENO);
    }
    ~StderrCapture()
    {
        fflush(stderr);
        dup2(fSaved, STDERR_FILENO);
        close(fSaved);
        fclose(fFile);
    }
    std::string Text()
    {
        fflush(stderr);
        // Read through a descriptor of its own, from the start.
        return TempFolder::ReadText("/proc/self/fd/" + std::to_string(fileno(fFile)));
    }
    size_t Count(const std::string& part)
    {
        const std::string text = Text();
        size_t count = 0;
        for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
            count++;
        return count;
    }

private:
    FILE* fFile;
    int fSaved;
};

// A MIDI file that holds its conversion until the test lets it through: a named pipe that
// the test keeps open for writing, so that the conversion waits for its bytes right after the
// window drew the file's status line. Released with a song at the end at the latest.
class GatedFile {
public:
    explicit GatedFile(std::string path) : fPath(std::move(path))
    {
        // Only a new pipe holds the conversion back: the file must not be there yet.
        EXPECT_EQ(mkfifo(fPath.c_str(), 0600), 0) << fPath;
        fWriter = open(fPath.c_str(), O_RDWR | O_NONBLOCK);
    }
    ~GatedFile() { Release(); }

    // Returns once the conversion has opened the file: the window drew the file's status line
    // just before (a drop of files named .mid opens nothing else), and its frame shows it.
    void WaitOpened() const
    {
        for (int i = 0; i < 2000 && OpenedHere() < 2; i++)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    // Lets the conversion read bytes and the end of the file, once it has opened it: bytes
    // written before would go with the pipe when the test closes its end.
    void Release()
    {
        if (fWriter < 0)
            return;
        WaitOpened();
        const Bytes bytes = song();
        [[maybe_unused]] ssize_t written = write(fWriter, bytes.data(), bytes.size());
        close(fWriter);
        fWriter = -1;
        unlink(fPath.c_str());
    }

private:
    // How many descriptors of this process (the test's and the application's) have the pipe
    // open.
    int OpenedHere() const
    {
        int count = 0;
        std::error_code error;
        for (const auto& fd : std::filesystem::directory_iterator("/proc/self/fd", error)) {
            std::error_code unreadable;
            if (std::filesystem::read_symlink(fd.path(), unreadable) == fPath)
                count++;
        }
        return count;
    }

    std::string fPath;
    int fWriter = -1;
};

// One run of the application: started by the constructor as main starts it, on a thread of
// its own, with the main window shown and drawn.
class RunningApp {
public:
    RunningApp()
    {
        offscreen();
        std::future<void> ready = fStarted.get_future();
        fThread = std::thread([this] {
            gExitStates->LoadFromFile();
            gPrefs->LoadFromFile();
            run_application({"cadenzo"}, [this](TCadenzoApp* app) {
                fWindow = app->MainWindow();
                fStarted.set_value();
            });
            std::lock_guard<std::mutex> lock(fLock);
            fEnded = true;
            fChanged.notify_all();
        });
        if (ready.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
            fprintf(stderr, "the application did not start\n");
            std::abort();
        }
        fId = id_of(fWindow);
        for (int i = 0; i < 1000 && Frame().width == 0; i++)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        settle(fWindow);
    }
    ~RunningApp()
    {
        if (!Ended(std::chrono::seconds(0)))
            CloseBox();
        EXPECT_TRUE(Ended(std::chrono::seconds(20)));
        fThread.join();
    }

    TCadenzoWindow* Window() const { return fWindow; }
    TCadenzoView* View() const { return fWindow->MainView(); }
    int32 Id() const { return fId; }

    // The frame last presented, without waiting for the window: it may be busy.
    BPrivate::DisplayFrame Frame() const
    {
        BPrivate::DisplayFrame frame;
        offscreen()->CopyFrame(fId, frame);
        return frame;
    }
    // Returns once the window is idle again and drew everything.
    void Settle() const { settle(fWindow); }

    void Drop(const std::vector<std::string>& paths) const
    {
        offscreen()->DropFiles(fId, BPoint(175, 120), paths);
    }
    void CloseBox() const { offscreen()->CloseRequested(fId); }
    // Clicks the title of one of the menu bar's menus, then one of its items.
    void ChooseMenuItem(int32 menuIndex, int32 itemIndex) const
    {
        BMenuBar* bar = fWindow->KeyMenuBar();
        BPoint title;
        {
            Locked lock(fWindow);
            title = bar->ConvertToParent(center(bar->ItemAt(menuIndex)->Frame()));
        }
        click(fWindow, title);
        BMenu* menu = bar->SubmenuAt(menuIndex);
        BWindow* menuWindow = nullptr;
        BPoint item;
        {
            Locked lock(fWindow);
            menuWindow = menu->Window();
            item = center(menu->ItemAt(itemIndex)->Frame());
        }
        click(menuWindow, item);
    }
    // Whether the application's loop ended and main's work after it is done.
    bool Ended(std::chrono::seconds limit)
    {
        std::unique_lock<std::mutex> lock(fLock);
        return fChanged.wait_for(lock, limit, [this] { return fEnded; });
    }

    BCheckBox* ChannelBox(int32 index) const
    {
        return dynamic_cast<BCheckBox*>(View()->FindView("BoxChMasks")->ChildAt(index));
    }
    // Where the box lies in the window.
    BRect ChannelBoxInWindow(int32 index) const
    {
        Locked lock(fWindow);
        return in_window(ChannelBox(index));
    }

private:
    std::promise<void> fStarted;
    std::thread fThread;
    TCadenzoWindow* fWindow = nullptr;
    int32 fId = -1;
    std::mutex fLock;
    std::condition_variable fChanged;
    bool fEnded = false;
};

// Every test starts as a first start: settings of its own, no read-me beside the executable.
struct AppFixture : ::testing::Test {
    void SetUp() override
    {
        gAppPrivacy->AnalyzeExePath((folder / "bin/cadenzo").c_str());
        *gPrefs = TPrefs();
        gExitStates->WFr = BRect(50, 50, 200, 200);
    }

    Watchdog watchdog;
    TempFolder folder;
    ScopedVariable config{"XDG_CONFIG_HOME", folder / "config"};
};

// A value message of the accelerator format, as the common preferences window sends it.
inline BMessage format_message(const std::string& format, const char* source = nullptr)
{
    BMessage message(kIAPValueMessage);
    if (source != nullptr)
        message.AddString(kIAPSrcAppField, source);
    message.AddString(kIAPSrcItemField, "AccKeyFormat2");
    message.AddString("AccKeyFormat2", format);
    return message;
}

// The archived view tree of a resource of the executable, for damaging it.
inline BMessage archived_tree(const char* name)
{
    size_t size = 0;
    const void* flat = BApplication::AppResources()->LoadResource('ARCV', name, &size);
    BMessage tree;
    if (flat == nullptr || tree.Unflatten(static_cast<const char*>(flat), (ssize_t)size) != B_OK)
        ADD_FAILURE() << "no view tree " << name;
    return tree;
}

#ifdef APP_GOLDEN_DIR
// Whether a frame looks like the golden image of that name; UPDATE_GOLDENS=1 makes it so.
inline ::testing::AssertionResult looks_like(const BPrivate::DisplayFrame& frame,
                                             const std::string& name)
{
    return golden_image::compare(frame, name.c_str(), APP_GOLDEN_DIR, APP_GOLDEN_OUTPUT_DIR);
}
#endif

// Returns once the application has handled everything sent to it so far.
inline void settle_app()
{
    BMessage reply;
    be_app_messenger.SendMessage('sYnC', &reply);
}

// The window the application keeps, read under its lock; null when it has none.
template <typename Window>
Window* kept_window(Window* (TCadenzoApp::*getter)() const)
{
    Locked lock(be_app);
    return (static_cast<TCadenzoApp*>(be_app)->*getter)();
}

// A window of the application looked at from the test, each look under its lock.
class ShownWindow {
public:
    explicit ShownWindow(BWindow* window) : fWindow(window) {}

    BWindow* Window() const { return fWindow; }
    template <typename Look>
    auto Read(Look look) const
    {
        settle(fWindow);
        Locked lock(fWindow);
        return look(fWindow);
    }
    bool Hidden() const
    {
        return Read([](BWindow* w) { return w->IsHidden(); });
    }
    std::string Title() const
    {
        return Read([](BWindow* w) { return std::string(w->Title()); });
    }
    template <typename T = BControl>
    T* Find(const char* name) const
    {
        return dynamic_cast<T*>(fWindow->FindView(name));
    }
    // Where a view lies in the window.
    BRect InWindow(const char* name) const
    {
        return Read([name](BWindow* w) { return in_window(w->FindView(name)); });
    }
    void Click(const char* name) const { click(fWindow, center(InWindow(name))); }
    void Type(const char* bytes, uint32 modifiers = 0) const { type(fWindow, bytes, modifiers); }
    std::string Text(const char* name) const
    {
        return Read([&](BWindow*) { return std::string(Find<BTextControl>(name)->Text()); });
    }
    std::string Label(const char* name) const
    {
        return Read([&](BWindow*) { return std::string(Find(name)->Label()); });
    }
    int32 Value(const char* name) const
    {
        return Read([&](BWindow*) { return Find(name)->Value(); });
    }

private:
    BWindow* fWindow;
};

// Chooses the menu item; returns the window the application keeps for it, once that shows.
template <typename Window>
ShownWindow choose(const RunningApp& app, int32 menuIndex, int32 itemIndex,
                   Window* (TCadenzoApp::*getter)() const)
{
    app.ChooseMenuItem(menuIndex, itemIndex);
    // The command reaches the application a moment after the click.
    Window* window = nullptr;
    EXPECT_TRUE(looper_test::eventually([&] {
        window = kept_window(getter);
        return window != nullptr && !ShownWindow(window).Hidden();
    }));
    return ShownWindow(window);
}

inline ShownWindow open_preferences(const RunningApp& app)
{
    return choose(app, 1, 0, &TCadenzoApp::PrefsWindow);
}

inline ShownWindow open_about(const RunningApp& app)
{
    return choose(app, 2, 4, &TCadenzoApp::AboutWindow);
}

// Types into the seconds field, replacing what it held.
inline void type_seconds(const ShownWindow& prefs, const std::string& text)
{
    prefs.Click("TxtCtrlTailMargin");
    prefs.Type("a", B_COMMAND_KEY);
    prefs.Type("\x08");
    for (char c : text)
        prefs.Type(std::string(1, c).c_str());
}

} // namespace app_test
