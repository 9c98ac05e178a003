// The SDL display on a real X server: what its windows show, where they are, and what the
// window system's own requests to them become.

#include "Environment.h"
#include "SDLDisplayFixture.h"

#include <X11/Xlib.h>

#include <algorithm>
#include <chrono>
#include <thread>

using namespace display_test;
using BPrivate::display_window_id;

namespace {

// The X server may take a moment to take a new connection right after one closed, and now
// and then refuses one made at once: what counts is that the next display opens at all.
std::unique_ptr<BPrivate::Display> open_again()
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    for (;;) {
        std::unique_ptr<BPrivate::Display> display = BPrivate::make_sdl_display();
        if (display != nullptr || std::chrono::steady_clock::now() > end)
            return display;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

} // namespace

TEST(SDLDisplayOpenTest, OneDisplayAtATimeAndNoneWithoutAReachableServer)
{
    looper_test::Watchdog watchdog;
    for (const char* unreachable : {"", ":4097"}) {
        ScopedVariable display("DISPLAY", unreachable);
        EXPECT_EQ(BPrivate::make_sdl_display(), nullptr) << "DISPLAY=" << unreachable;
    }
    // A failed start leaves nothing behind that stops the next one.
    std::unique_ptr<BPrivate::Display> first = open_again();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(BPrivate::make_sdl_display(), nullptr);
    first.reset();
    EXPECT_NE(open_again(), nullptr);
}

// SDL wakes its event wait by sending an event to one of the windows from a second
// connection, which may reach the server just after the display thread destroyed that
// window. The program goes on, where Xlib's default handler would end it.
TEST(SDLDisplayOpenTest, AnEventSentToAVanishedWindowDoesNotEndTheProgram)
{
    // The watchdog's thread is running: the child starts afresh rather than from a fork.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    looper_test::Watchdog watchdog;
    EXPECT_EXIT(
        {
            XSetErrorHandler(nullptr); // Xlib's own, which ends the program
            std::unique_ptr<BPrivate::Display> display = open_again();
            ::Display* x = XOpenDisplay(nullptr);
            if (display == nullptr || x == nullptr)
                _exit(2);
            const Window gone = XCreateSimpleWindow(x, DefaultRootWindow(x), 0, 0, 10, 10, 0, 0, 0);
            XDestroyWindow(x, gone);
            XEvent event{};
            event.xclient.type = ClientMessage;
            event.xclient.window = gone;
            event.xclient.format = 32;
            XSendEvent(x, gone, False, NoEventMask, &event);
            XSync(x, False);
            _exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(SDLDisplayTest, LastOfABurstOfFramesStaysOnTheScreen)
{
    display_window_id window = OpenWindow("Burst", BRect(50, 50, 249, 149));
    const Quarters last{0x101010, 0x202020, 0x303030, 0x404040};
    for (uint32_t i = 0; i < 20; i++)
        PresentQuarters(window, 200, 100, Quarters{i, i, i, i});
    PresentQuarters(window, 200, 100, last);
    EXPECT_TRUE(ShowsColor("Burst", 150, 80, last.rightBottom));
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(corners(PictureOf("Burst")), corners(200, 100, last));
}

TEST_F(SDLDisplayTest, ShowingHidingMovingAndResizingReachTheScreenAndAreReported)
{
    // Shown before its first frame, the window is asked for one. BRect units: 200 by 100
    // pixels at 100, 100.
    display_window_id window = OpenWindow("Mover", BRect(100, 100, 299, 199), false);
    fDisplay->Show(window);
    EXPECT_FALSE(fLog->WaitFor(BPrivate::B_DISPLAY_EXPOSED).empty());
    PresentQuarters(window, 200, 100);
    EXPECT_TRUE(ShowsColor("Mover", 199, 99, Quarters().rightBottom));
    EXPECT_EQ(corners(PictureOf("Mover")), corners(200, 100));
    // What the screen shows there, not only what the window holds; the screen is the
    // display's screen.
    XPicture screen;
    ASSERT_TRUE(fX->Capture(fX->Root(), screen));
    EXPECT_EQ(fDisplay->ScreenFrame(),
              BRect(0, 0, (float)screen.width - 1, (float)screen.height - 1));
    EXPECT_EQ(screen.At(100, 100), Quarters().leftTop);
    EXPECT_EQ(screen.At(299, 199), Quarters().rightBottom);
    EXPECT_NE(screen.At(300, 200), Quarters().rightBottom);
    EXPECT_NE(screen.At(99, 99), Quarters().leftTop);

    fDisplay->Hide(window);
    EXPECT_TRUE(looper_test::eventually([&] { return fX->FindWindow("Mover") == 0; }));
    // The window system lost the pixels; the display still has the frame.
    fDisplay->Show(window);
    EXPECT_TRUE(ShowsColor("Mover", 199, 99, Quarters().rightBottom));

    fDisplay->MoveTo(window, BPoint(300, 220));
    EXPECT_TRUE(looper_test::eventually([&] {
        int x = 0, y = 0;
        return fX->ToRoot(XWindowOf("Mover"), 0, 0, &x, &y) && x == 300 && y == 220;
    }));
    const auto moves = fLog->WaitFor(B_WINDOW_MOVED);
    EXPECT_TRUE(std::any_of(moves.begin(), moves.end(), [](const BMessage& message) {
        return point_of(message) == BPoint(300, 220);
    }));

    // Larger than its frame: the frame at the left top, the panel colour elsewhere until
    // the window presents a frame of the new size.
    fDisplay->ResizeTo(window, 399, 249);
    const auto resized = fLog->WaitFor(B_WINDOW_RESIZED);
    ASSERT_FALSE(resized.empty());
    EXPECT_EQ(int32_of(resized.back(), "width"), 399);
    EXPECT_EQ(int32_of(resized.back(), "height"), 249);
    const uint32_t panel = 0xd8d8d8;
    EXPECT_TRUE(ShowsColor("Mover", 399, 249, panel));
    const XPicture picture = PictureOf("Mover");
    ASSERT_EQ(corners(picture), corners(400, 250, {Quarters().leftTop, panel, panel, panel}));
    EXPECT_EQ(picture.At(199, 99), Quarters().rightBottom);
}

TEST_F(SDLDisplayTest, CloseBoxAsksTheWindowToQuitUntilTheWindowIsDestroyed)
{
    display_window_id window = OpenWindow("Closable", BRect(100, 100, 299, 199));
    const XWindowID xWindow = XWindowOf("Closable");
    ASSERT_TRUE(fX->RequestClose(xWindow));
    EXPECT_EQ(fLog->WaitFor(B_QUIT_REQUESTED).size(), 1u);
    // Asking is all: the window stays until it is destroyed.
    EXPECT_NE(fX->FindWindow("Closable"), 0u);

    fDisplay->DestroyWindow(window);
    EXPECT_TRUE(looper_test::eventually([&] { return fX->FindWindow("Closable") == 0; }));
    // The X window is gone, so a late close request reaches nobody.
    fX->RequestClose(xWindow);
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(fLog->Of(B_QUIT_REQUESTED).size(), 1u);
    // Calls about a destroyed window are harmless.
    PresentQuarters(window, 200, 100);
    fDisplay->Show(window);
    fDisplay->SetTitle(window, "Closable");
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(fX->FindWindow("Closable"), 0u);
}

// The tool photographs a window as the tests do (X11Connection::Capture); its own part is
// finding the window by its title, writing the file, and saying why it could not.
TEST_F(SDLDisplayTest, DropToolPhotographsTheWindowOfATitleOrSaysThereIsNone)
{
    OpenWindow("Photographed", BRect(120, 90, 319, 189));
    TempFolder folder;
    std::string errors;
    ASSERT_EQ(
        run_drop_tool({"--screenshot", folder / "taken.png", "--window-title", "Photographed"},
                      &errors),
        0)
        << errors;
    ASSERT_TRUE(PictureOf("Photographed").WritePNG(folder / "window.png"));
    EXPECT_EQ(TempFolder::ReadText(folder / "taken.png"),
              TempFolder::ReadText(folder / "window.png"));

    // No such window: a clear failure, not an empty picture.
    EXPECT_EQ(run_drop_tool({"--screenshot", folder / "none.png", "--window-title", "Nobody",
                             "--timeout", "1"},
                            &errors),
              1);
    EXPECT_NE(errors.find("no window titled \"Nobody\""), std::string::npos) << errors;
}
