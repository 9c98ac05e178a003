// The cadenzo program as a user meets it on a real X server: its window drawn on the screen,
// its menus opened with real clicks, a MIDI file named on its command line and another
// dropped on it by another X client, the completion alert answered with a key, and Alt+Q.
// What it writes must be what batch mode writes for the same files.

#include "ChildProcess.h"
#include "LooperTestSupport.h"
#include "MidiBytes.h"
#include "TempFolder.h"
#include "X11Connection.h"
#include "XdndDragSource.h"
#include "settings/ExitStates.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace display_test;
using namespace std::chrono_literals;

namespace {

// The program in a process of its own, with the test's settings folder. Leaks are checked in
// the tests that run the application in their own process; SDL's caches would be reported at
// exit here.
class Cadenzo : public ChildProcess {
public:
    Cadenzo(const TempFolder& folder, const std::vector<std::string>& args)
    {
        std::vector<std::string> argv = {CADENZO};
        argv.insert(argv.end(), args.begin(), args.end());
        Start(argv,
              {"XDG_CONFIG_HOME=" + folder / "config", "BE_ALERT", "ASAN_OPTIONS=detect_leaks=0",
               "TSAN_OPTIONS=suppressions=" CADENZO_TSAN_SUPPRESSIONS});
    }
};

struct CadenzoOnX11 : ::testing::Test {
    void SetUp() override
    {
        ASSERT_TRUE(x11.IsOpen()) << "run this test through scripts/with-xvfb";
        if (!x11.CanFakeInput())
            GTEST_SKIP() << "libXtst.so.6 is not installed: no real input can be made";
        setenv("XDG_CONFIG_HOME", (folder / "config").c_str(), 1);
        std::filesystem::create_directory(folder / "batch");
        for (const char* name : {"a.mid", "b b.mid"}) {
            folder.Write(name, song(name[0] == 'a' ? 0x3C : 0x40));
            folder.Write(std::string("batch/") + name, song(name[0] == 'a' ? 0x3C : 0x40));
        }
        Cadenzo batch(folder, {"--batch", folder / "batch/a.mid", folder / "batch/b b.mid"});
        ASSERT_EQ(batch.WaitForExit(20s), 0);
    }

    // The main window, once its first frame is on the screen.
    XWindowID MainWindow() { return Drawn(x11.FindWindow("Cadenzo", 10000ms)); }
    XWindowID Drawn(XWindowID window)
    {
        EXPECT_TRUE(window != 0 && looper_test::eventually([&] {
                        XPicture picture;
                        return x11.Capture(window, picture) &&
                               (picture.At(picture.width - 1, picture.height - 1) & 0xffffff) ==
                                   0xd8d8d8;
                    }));
        return window;
    }
    // Answers the completion alert with Enter, with the pointer over it (the focus follows
    // the pointer without a window manager).
    void AnswerCompletionAlert()
    {
        const XWindowID alert = x11.FindWindow("* Cadenzo *", 20000ms);
        ASSERT_NE(alert, 0u) << "no completion alert";
        ASSERT_TRUE(x11.MovePointer(alert, 10, 10));
        x11.Press("Return");
        EXPECT_TRUE(looper_test::eventually([&] { return x11.FindWindow("* Cadenzo *") == 0; }));
    }
    // Alt+Q over the window; the run ends and has saved where the window was.
    void QuitAndExpectFrameSaved(Cadenzo& cadenzo, XWindowID window)
    {
        int left = 0, top = 0;
        ASSERT_TRUE(x11.ToRoot(window, 0, 0, &left, &top));
        x11.FakeMotion(left + 100, top + 60);
        // The keyboard is the window's again, an alert answered before included.
        EXPECT_TRUE(looper_test::eventually([&] { return x11.KeyboardFocus() == window; }));
        x11.Press("q", "Alt_L");
        EXPECT_EQ(cadenzo.WaitForExit(10000ms), 0);
        TExitStates saved;
        ASSERT_EQ(saved.LoadFromFile(), 0);
        EXPECT_EQ(saved.WFr.LeftTop(), BPoint(left, top));
    }

    looper_test::Watchdog watchdog{std::chrono::seconds(100)};
    X11Connection x11;
    TempFolder folder;
};

} // namespace

// A file named on the command line converts at the start, a file dropped on the window when
// it is dropped; two running Cadenzos share one common preferences window: a choice made in
// it relabels the menus of both at once, and Escape returns both to the format they had;
// Alt+Q and the close box end a run.
TEST_F(CadenzoOnX11, NamedAndDroppedFilesConvertAsInBatchModeAndTwoCopiesShareOneCommonPreferences)
{
    // Ports and broadcasts of this test only, and the second copy's window beside the first.
    const std::string runtime = folder / "run";
    mkdir(runtime.c_str(), 0700);
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    TempFolder other;
    setenv("XDG_CONFIG_HOME", (other / "config").c_str(), 1);
    TExitStates beside;
    beside.WFr = BRect(450, 300, 800, 430);
    ASSERT_EQ(beside.SaveToFile(), 0);
    setenv("XDG_CONFIG_HOME", (folder / "config").c_str(), 1);

    Cadenzo first(folder, {folder / "a.mid"});
    const XWindowID firstWindow = MainWindow();
    AnswerCompletionAlert();
    XdndDragSource source(x11);
    EXPECT_EQ(source.Drop(firstWindow, 175, 120, {folder / "b b.mid"}, 5000ms), "");
    AnswerCompletionAlert();
    EXPECT_EQ(folder.Read("a.fem"), folder.Read("batch/a.fem"));
    EXPECT_EQ(folder.Read("b b.fem"), folder.Read("batch/b b.fem"));
    EXPECT_FALSE(folder.Read("a.fem").empty());
    Cadenzo second(other, {});
    XWindowID secondWindow = 0;
    ASSERT_TRUE(looper_test::eventually([&] {
        for (XWindowID window : x11.FindWindows("Cadenzo"))
            secondWindow = window != firstWindow ? window : secondWindow;
        return secondWindow != 0;
    }));
    Drawn(secondWindow);

    // Tool > the common preferences, in each: the second finds the first one's window.
    const char* const kTitle = "VANTOR Common Preferences";
    for (XWindowID window : {firstWindow, secondWindow}) {
        ASSERT_TRUE(x11.Click(window, 75, 8));
        const XWindowID tool = x11.FindWindow("Tool(T)", 5000ms);
        ASSERT_NE(tool, 0u);
        XPicture menu;
        ASSERT_TRUE(x11.Capture(tool, menu));
        ASSERT_TRUE(x11.Click(tool, 20, menu.height * 3 / 4));
        ASSERT_NE(Drawn(x11.FindWindow(kTitle, 10000ms)), 0u);
    }
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(x11.FindWindows(kTitle).size(), 1u);

    auto menuBar = [&](XWindowID window) {
        XPicture picture;
        x11.Capture(window, picture);
        return std::vector<uint32_t>(picture.pixels.begin(),
                                     picture.pixels.begin() + picture.width * 16);
    };
    const auto firstBefore = menuBar(firstWindow);
    const auto secondBefore = menuBar(secondWindow);

    // The format below the default in the pop-up menu, chosen with the keyboard.
    const XWindowID common = x11.FindWindow(kTitle);
    ASSERT_TRUE(x11.Click(common, 240, 18));
    // The first Down reaches the marked default, the second the one below it.
    x11.Press("Down");
    x11.Press("Down");
    x11.Press("Return");
    EXPECT_TRUE(looper_test::eventually([&] {
        return menuBar(firstWindow) != firstBefore && menuBar(secondWindow) != secondBefore;
    }));

    ASSERT_TRUE(x11.MovePointer(common, 20, 20));
    x11.Press("Escape");
    EXPECT_TRUE(looper_test::eventually([&] { return x11.FindWindow(kTitle) == 0; }));
    EXPECT_TRUE(looper_test::eventually([&] {
        return menuBar(firstWindow) == firstBefore && menuBar(secondWindow) == secondBefore;
    }));

    QuitAndExpectFrameSaved(first, firstWindow);
    x11.RequestClose(secondWindow);
    EXPECT_EQ(second.WaitForExit(10000ms), 0);
}
