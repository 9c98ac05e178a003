// The alert helpers with real processes, files and loopers: opening documents and pages with
// the desktop's opener, sending under a lock, clicking buttons, and the spy's bounded send.

#include "Environment.h"
#include "LooperTestSupport.h"
#include "TempFolder.h"
#include "Watchdog.h"
#include "util/Alerts.h"
#include "util/SpyFilter.h"

#include <Button.h>
#include <Entry.h>
#include <Handler.h>
#include <Looper.h>
#include <Message.h>
#include <Messenger.h>
#include <OS.h>
#include <Path.h>
#include <Window.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>

namespace {

using namespace std::chrono_literals;

// An xdg-open first on the PATH that writes its argument to a file, for the test's life.
class FakeOpener {
public:
    FakeOpener()
    {
        const std::string script = fFolder / "xdg-open";
        std::ofstream(script) << "#!/bin/sh\nprintf '%s' \"$1\" > '" << Received() << ".part'\n"
                              << "mv '" << Received() << ".part' '" << Received() << "'\n";
        std::filesystem::permissions(script, std::filesystem::perms::owner_all);
        const char* path = getenv("PATH");
        fPath.emplace("PATH", fFolder.Path() + ":" + (path != nullptr ? path : ""));
    }

    std::string Received() const { return fFolder / "received"; }
    // What the opener was given last; "" when it did not run within five seconds.
    std::string WaitForArgument() const
    {
        for (auto deadline = std::chrono::steady_clock::now() + 5s;
             std::chrono::steady_clock::now() < deadline; std::this_thread::sleep_for(2ms)) {
            if (std::filesystem::exists(Received())) {
                const std::string argument = TempFolder::ReadText(Received());
                std::filesystem::remove(Received());
                return argument;
            }
        }
        return "";
    }

    TempFolder fFolder;

private:
    std::optional<ScopedVariable> fPath;
};

// The path or address reaches the opener as one argument, whatever it holds; a missing
// document fails without launching it (else the next look would see its path).
TEST(ShowHelpAndShowUrl, OpenDocumentsAndPagesWithTheDesktopsOpener)
{
    FakeOpener opener;
    EXPECT_EQ(show_help((opener.fFolder / "ReadMe_enUS.txt").c_str()), -1);
    EXPECT_EQ(show_help(nullptr), -1);
    const std::string path = opener.fFolder / "Read Me; $(echo no).txt";
    std::ofstream(path) << "help";
    EXPECT_EQ(show_help(path.c_str()), 0);
    EXPECT_EQ(opener.WaitForArgument(), path);
    const char* url = "https://www.vantor.example/?a=1&b=2";
    EXPECT_EQ(show_url(url), 0);
    EXPECT_EQ(opener.WaitForArgument(), url);
}

TEST(GetSaveRef, NamesTheFileInTheChosenFolder)
{
    TempFolder folder;
    entry_ref directory;
    ASSERT_EQ(BEntry(folder.Path().c_str()).GetRef(&directory), B_OK);
    BMessage saved('save');
    saved.AddRef("directory", &directory);
    saved.AddString("name", "song.fem");
    entry_ref ref;
    ASSERT_EQ(get_save_ref(&saved, &ref), B_OK);
    EXPECT_EQ(BPath(&ref).Path(), folder / "song.fem");
    BMessage empty('save');
    EXPECT_NE(get_save_ref(&empty, &ref), B_OK);
}

TEST(SendMessageWithLock, GivesUpOnATargetThatVanishedOrStaysLocked)
{
    Watchdog watchdog;
    // A handler whose looper has gone.
    BHandler orphan("orphan");
    auto* gone = new BLooper("gone");
    gone->AddHandler(&orphan);
    gone->Run();
    gone->Lock();
    gone->Quit();
    EXPECT_NE(send_message_with_lock(&orphan, BMessage('test')), B_OK);

    // A looper whose lock another thread keeps.
    BHandler held("held");
    auto* looper = new BLooper("held");
    looper->AddHandler(&held);
    looper->Run();
    std::atomic<bool> locked{false}, release{false};
    std::thread holder([&] {
        looper->Lock();
        locked = true;
        while (!release)
            snooze(1000);
        looper->Unlock();
    });
    while (!locked)
        snooze(1000);
    EXPECT_EQ(send_message_with_lock(&held, BMessage('test')), B_TIMED_OUT);
    release = true;
    holder.join();
    EXPECT_EQ(send_message_with_lock(&held, BMessage('test')), B_OK);
    looper->Lock();
    looper->RemoveHandler(&held);
    looper->Quit();
}

// A button that counts what click_button does to it.
class CountingButton : public BButton {
public:
    CountingButton() : BButton(BRect(0, 0, 80, 20), "button", "OK", new BMessage('clik')) {}
    void SetValue(int32 value) override
    {
        values++;
        BButton::SetValue(value);
    }
    status_t Invoke(BMessage* message = nullptr) override
    {
        invoked++;
        return BButton::Invoke(message);
    }
    int values = 0;
    int invoked = 0;
};

TEST(ClickButton, DisabledButtonIsClickedOnlyWhenForced)
{
    const struct {
        bool enabled, force;
        int invoked;
    } cases[] = {{true, false, 1}, {false, false, 0}, {false, true, 1}};
    for (const auto& each : cases) {
        CountingButton button;
        button.SetEnabled(each.enabled);
        click_button(&button, each.force);
        EXPECT_EQ(button.invoked, each.invoked) << each.enabled << each.force;
        // Pressed and let go again, or not touched at all.
        EXPECT_EQ(button.values, 2 * each.invoked) << each.enabled << each.force;
        EXPECT_EQ(button.Value(), 0);
    }
    click_button(nullptr, true);
}

TEST(CloseWindow, QuitsAndForgetsTheWindow)
{
    BWindow* none = nullptr;
    close_window(&none);
    EXPECT_EQ(none, nullptr);
    BWindow* window = new BWindow(BRect(0, 0, 99, 99), "w", B_TITLED_WINDOW, 0);
    close_window(&window);
    EXPECT_EQ(window, nullptr);
}

TEST(SpyFilter, WatchedMessageGoesOnWhenTheTargetsQueueStaysFull)
{
    Watchdog watchdog;
    // Never run: its queue of one is never emptied, and this thread holds its lock.
    auto* full = new BLooper("full", B_NORMAL_PRIORITY, 1);
    std::thread([full] { BMessenger(full).SendMessage('fill', (BHandler*)nullptr); }).join();

    auto* watched = new looper_test::RecordingLooper();
    watched->AddCommonFilter(new TSpyFilter('_BLC', BMessenger(full)));
    watched->Run();
    watched->PostMessage('_BLC');
    EXPECT_TRUE(eventually([&] { return watched->Received() == std::vector<uint32>{'_BLC'}; }));
    watched->Lock();
    watched->Quit();
    delete full;
}

} // namespace
