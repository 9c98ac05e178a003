// The SDL display on a real X server: what its windows show, where they are, and what the
// window system's own requests to them become.

#include "SDLDisplayFixture.h"

#include <X11/Xlib.h>
#include <cairo.h>

#include <chrono>
#include <thread>

using namespace display_test;
using BPrivate::display_window_id;

namespace {

// Sets an environment variable for the scope.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const char* value) : fName(name)
    {
        const char* old = getenv(name);
        fHadValue = old != nullptr;
        if (fHadValue)
            fOld = old;
        setenv(name, value, 1);
    }
    ~ScopedEnvironment()
    {
        if (fHadValue)
            setenv(fName.c_str(), fOld.c_str(), 1);
        else
            unsetenv(fName.c_str());
    }

private:
    std::string fName;
    std::string fOld;
    bool fHadValue = false;
};

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

TEST(SDLDisplayOpenTest, NoDisplayWithoutAReachableServer)
{
    looper_test::Watchdog watchdog;
    {
        ScopedEnvironment none("DISPLAY", "");
        EXPECT_EQ(BPrivate::make_sdl_display(), nullptr);
    }
    {
        ScopedEnvironment nowhere("DISPLAY", ":4097");
        EXPECT_EQ(BPrivate::make_sdl_display(), nullptr);
    }
    // A failed start leaves nothing behind that stops the next one.
    EXPECT_NE(open_again(), nullptr);
}

TEST(SDLDisplayOpenTest, OneDisplayAtATime)
{
    looper_test::Watchdog watchdog;
    std::unique_ptr<BPrivate::Display> first = BPrivate::make_sdl_display();
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
            const Window gone =
                XCreateSimpleWindow(x, DefaultRootWindow(x), 0, 0, 10, 10, 0, 0, 0);
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

TEST_F(SDLDisplayTest, PresentedFrameFillsTheWindowAtItsFrame)
{
    // BRect units: 350 by 150 pixels at 100, 100.
    OpenWindow("Quarters", BRect(100, 100, 449, 249));
    XWindowID window = XWindowOf("Quarters");
    ASSERT_NE(window, 0u);

    XPicture picture;
    ASSERT_TRUE(fX->Capture(window, picture));
    ASSERT_EQ(picture.width, 350);
    ASSERT_EQ(picture.height, 150);
    Quarters colors;
    EXPECT_EQ(picture.At(0, 0), colors.leftTop);
    EXPECT_EQ(picture.At(174, 74), colors.leftTop);
    EXPECT_EQ(picture.At(175, 0), colors.rightTop);
    EXPECT_EQ(picture.At(0, 149), colors.leftBottom);
    EXPECT_EQ(picture.At(349, 149), colors.rightBottom);

    // What the screen shows there, not only what the window holds.
    XPicture screen;
    ASSERT_TRUE(fX->Capture(fX->Root(), screen));
    EXPECT_EQ(screen.At(100, 100), colors.leftTop);
    EXPECT_EQ(screen.At(449, 249), colors.rightBottom);
    EXPECT_NE(screen.At(450, 250), colors.rightBottom);
    EXPECT_NE(screen.At(99, 99), colors.leftTop);
}

TEST_F(SDLDisplayTest, LastOfABurstOfFramesStaysOnTheScreen)
{
    display_window_id window = OpenWindow("Burst", BRect(50, 50, 249, 149));
    Quarters last{0x101010, 0x202020, 0x303030, 0x404040};
    for (uint32_t i = 0; i < 20; i++)
        PresentQuarters(window, 200, 100, Quarters{i, i, i, i});
    PresentQuarters(window, 200, 100, last);

    EXPECT_TRUE(ShowsColor("Burst", 150, 80, last.rightBottom));
    std::this_thread::sleep_for(200ms);
    XPicture picture;
    ASSERT_TRUE(fX->Capture(XWindowOf("Burst"), picture));
    ASSERT_EQ(picture.width, 200);
    ASSERT_EQ(picture.height, 100);
    EXPECT_EQ(picture.At(0, 0), last.leftTop);
    EXPECT_EQ(picture.At(199, 99), last.rightBottom);
}

TEST_F(SDLDisplayTest, HiddenWindowShowsItsLastFrameAgainWhenShown)
{
    display_window_id window = OpenWindow("Hide and seek", BRect(80, 60, 279, 159));
    fDisplay->Hide(window);
    EXPECT_TRUE(looper_test::eventually([&] { return fX->FindWindow("Hide and seek") == 0; }));

    // The window system lost the pixels; the display still has the frame.
    fDisplay->Show(window);
    EXPECT_TRUE(ShowsColor("Hide and seek", 199, 99, Quarters().rightBottom));
}

TEST_F(SDLDisplayTest, WindowShownBeforeItsFirstFrameIsAskedForOne)
{
    display_window_id window = OpenWindow("Empty", BRect(80, 60, 279, 159), false);
    fDisplay->Show(window);
    EXPECT_FALSE(fLog->WaitFor(BPrivate::B_DISPLAY_EXPOSED).empty());
    PresentQuarters(window, 200, 100);
    EXPECT_TRUE(ShowsColor("Empty", 199, 99, Quarters().rightBottom));
}

TEST_F(SDLDisplayTest, MovingAndResizingReachTheScreenAndAreReported)
{
    display_window_id window = OpenWindow("Mover", BRect(100, 100, 299, 199));
    fDisplay->MoveTo(window, BPoint(300, 220));
    EXPECT_TRUE(looper_test::eventually([&] {
        int x = 0, y = 0;
        return fX->ToRoot(XWindowOf("Mover"), 0, 0, &x, &y) && x == 300 && y == 220;
    }));
    bool movedThere = false;
    for (const auto& entry : fLog->WaitFor(B_WINDOW_MOVED)) {
        BPoint where;
        if (entry.message.FindPoint("where", &where) == B_OK && where == BPoint(300, 220))
            movedThere = true;
    }
    EXPECT_TRUE(movedThere);

    // Larger than its frame: the frame at the left top, the panel colour elsewhere until
    // the window presents a frame of the new size.
    fDisplay->ResizeTo(window, 399, 249);
    auto resized = fLog->WaitFor(B_WINDOW_RESIZED);
    ASSERT_FALSE(resized.empty());
    EXPECT_EQ(int32_of(resized.back().message, "width"), 399);
    EXPECT_EQ(int32_of(resized.back().message, "height"), 249);
    EXPECT_TRUE(ShowsColor("Mover", 399, 249, 0xd8d8d8));
    XPicture picture;
    ASSERT_TRUE(fX->Capture(XWindowOf("Mover"), picture));
    ASSERT_EQ(picture.width, 400);
    ASSERT_EQ(picture.height, 250);
    EXPECT_EQ(picture.At(0, 0), Quarters().leftTop);
    EXPECT_EQ(picture.At(199, 99), Quarters().rightBottom);
    EXPECT_EQ(picture.At(200, 50), 0xd8d8d8u);
}

TEST_F(SDLDisplayTest, CloseBoxAsksTheWindowToQuit)
{
    OpenWindow("Closable", BRect(100, 100, 299, 199));
    ASSERT_TRUE(fX->RequestClose(XWindowOf("Closable")));
    EXPECT_EQ(fLog->WaitFor(B_QUIT_REQUESTED).size(), 1u);
    // Asking is all: the window stays until it is destroyed.
    EXPECT_NE(fX->FindWindow("Closable"), 0u);
}

TEST_F(SDLDisplayTest, DestroyedWindowLeavesTheScreenAndSendsNothingMore)
{
    display_window_id window = OpenWindow("Short-lived", BRect(100, 100, 299, 199));
    XWindowID xWindow = XWindowOf("Short-lived");
    fDisplay->DestroyWindow(window);
    EXPECT_TRUE(looper_test::eventually([&] { return fX->FindWindow("Short-lived") == 0; }));
    // The X window is gone, so a late close request reaches nobody.
    fX->RequestClose(xWindow);
    std::this_thread::sleep_for(200ms);
    EXPECT_TRUE(fLog->Of(B_QUIT_REQUESTED).empty());
    // Calls about a destroyed window are harmless.
    PresentQuarters(window, 200, 100);
    fDisplay->Show(window);
    fDisplay->SetTitle(window, "Short-lived");
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(fX->FindWindow("Short-lived"), 0u);
}

TEST_F(SDLDisplayTest, ScreenFrameIsTheWholeXScreen)
{
    XPicture screen;
    ASSERT_TRUE(fX->Capture(fX->Root(), screen));
    EXPECT_EQ(fDisplay->ScreenFrame(),
              BRect(0, 0, (float)screen.width - 1, (float)screen.height - 1));
}

TEST_F(SDLDisplayTest, ScreenshotToolSavesTheWindowAsPNG)
{
    OpenWindow("Photographed", BRect(120, 90, 319, 189));
    TempFolder folder;
    std::string path = folder.Path() + "/window.png";
    std::string errors;
    ASSERT_EQ(
        run_program({XDND_DROP, "--screenshot", path, "--window-title", "Photographed"}, &errors),
        0)
        << errors;

    cairo_surface_t* image = cairo_image_surface_create_from_png(path.c_str());
    ASSERT_EQ(cairo_surface_status(image), CAIRO_STATUS_SUCCESS);
    ASSERT_EQ(cairo_image_surface_get_width(image), 200);
    ASSERT_EQ(cairo_image_surface_get_height(image), 100);
    cairo_surface_flush(image);
    auto at = [&](int x, int y) {
        const unsigned char* row =
            cairo_image_surface_get_data(image) + (size_t)y * cairo_image_surface_get_stride(image);
        return reinterpret_cast<const uint32_t*>(row)[x] & 0xffffff;
    };
    Quarters colors;
    EXPECT_EQ(at(10, 10), colors.leftTop);
    EXPECT_EQ(at(190, 10), colors.rightTop);
    EXPECT_EQ(at(10, 90), colors.leftBottom);
    EXPECT_EQ(at(190, 90), colors.rightBottom);
    cairo_surface_destroy(image);

    // No such window: a clear failure, not an empty picture.
    EXPECT_EQ(
        run_program({XDND_DROP, "--screenshot", path, "--window-title", "Nobody", "--timeout", "1"},
                    &errors),
        1);
    EXPECT_NE(errors.find("no window titled \"Nobody\""), std::string::npos) << errors;
}
