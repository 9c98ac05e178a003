// The SDL display on a real X server: what its windows show, where they are, what the window
// system's own requests to them become, and the input made through the server as users make
// it (where the XTEST library is installed): clicks and keys, and which window the keys go to.

#include "Environment.h"
#include "SDLDisplayFixture.h"

#include <InterfaceDefs.h>

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

// 1 when the last B_WINDOW_ACTIVATED a log got said active, 0 when inactive, -1 for none.
int last_activation(WindowLog* log)
{
    auto activations = log->Of(B_WINDOW_ACTIVATED);
    bool active = false;
    if (activations.empty() || activations.back().FindBool("active", &active) != B_OK)
        return -1;
    return active ? 1 : 0;
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
    // What the screen shows there, at both corners, not only what the window holds; the
    // screen is the display's screen.
    XPicture screen;
    ASSERT_TRUE(fX->Capture(fX->Root(), screen));
    EXPECT_EQ(fDisplay->ScreenFrame(),
              BRect(0, 0, (float)screen.width - 1, (float)screen.height - 1));
    EXPECT_EQ(screen.At(100, 100), Quarters().leftTop);
    EXPECT_EQ(screen.At(299, 199), Quarters().rightBottom);

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
    ASSERT_TRUE(fX->RequestClose(XWindowOf("Closable")));
    EXPECT_EQ(fLog->WaitFor(B_QUIT_REQUESTED).size(), 1u);
    // Asking is all: the window stays until it is destroyed.
    EXPECT_NE(fX->FindWindow("Closable"), 0u);

    fDisplay->DestroyWindow(window);
    EXPECT_TRUE(looper_test::eventually([&] { return fX->FindWindow("Closable") == 0; }));
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

TEST_F(SDLDisplayTest, ClicksAndKeysThroughTheServerArriveOnceEachWithButtonsAndModifiers)
{
    if (!fX->CanFakeInput())
        GTEST_SKIP() << "libXtst.so.6 is not installed: no real input can be made";
    OpenWindow("Typewriter", BRect(100, 100, 299, 199));
    // Without a window manager the window shown last has the keyboard.
    ASSERT_FALSE(fLog->WaitFor(B_WINDOW_ACTIVATED).empty());

    ASSERT_TRUE(fX->MovePointer(XWindowOf("Typewriter"), 20, 30));
    for (unsigned int button : {1, 3}) {
        fX->FakeButton(button, true);
        fX->FakeButton(button, false);
    }
    const auto downs = fLog->WaitFor(B_MOUSE_DOWN, 2);
    const auto ups = fLog->WaitFor(B_MOUSE_UP, 2);
    ASSERT_EQ(downs.size(), 2u);
    ASSERT_EQ(ups.size(), 2u);
    EXPECT_EQ(point_of(downs[0]), BPoint(20, 30));
    EXPECT_EQ(point_of(ups[1]), BPoint(20, 30));
    EXPECT_EQ(int32_of(downs[0], "buttons"), 1);
    EXPECT_EQ(int32_of(downs[1], "buttons"), 2); // the right button is the secondary
    // Another button is not a second click of the first.
    EXPECT_EQ(int32_of(downs[1], "clicks"), 1);
    const auto moves = fLog->Of(B_MOUSE_MOVED);
    EXPECT_TRUE(std::any_of(moves.begin(), moves.end(), [](const BMessage& message) {
        return point_of(message) == BPoint(20, 30);
    }));

    const struct {
        const char* key;
        const char* held;
        std::string bytes;
        uint32 modifiers;
    } kKeys[] = {
        {"a", nullptr, "a", 0},
        {"a", "Shift_L", "A", B_SHIFT_KEY | B_LEFT_SHIFT_KEY},
        {"Return", nullptr, "\n", 0},
        {"Left", nullptr, {B_LEFT_ARROW}, 0},
        {"KP_Enter", nullptr, "\n", 0},
        // A shortcut: SDL types no text for it, or text that must not come twice.
        {"q", "Alt_L", "q", B_COMMAND_KEY | B_LEFT_COMMAND_KEY},
        {"w", "Control_L", "w", B_CONTROL_KEY | B_LEFT_CONTROL_KEY},
    };
    std::string expected;
    for (const auto& key : kKeys) {
        fX->Press(key.key, key.held);
        expected += key.bytes + " " + std::to_string(key.modifiers) + ", up " + key.bytes + "; ";
    }
    fLog->WaitFor(B_KEY_UP, std::size(kKeys));
    std::this_thread::sleep_for(300ms);

    // Each key once, down and then up; the modifiers held are in the key's message.
    const uint32 kLocks = B_CAPS_LOCK | B_NUM_LOCK | B_SCROLL_LOCK;
    std::string keys;
    for (const BMessage& message : fLog->All()) {
        if (message.what == B_KEY_DOWN)
            keys += string_of(message, "bytes") + " " +
                    std::to_string(int32_of(message, "modifiers") & ~kLocks);
        else if (message.what == B_KEY_UP)
            keys += ", up " + string_of(message, "bytes") + "; ";
    }
    EXPECT_EQ(keys, expected);

    // A modifier is announced before the key it modifies.
    const auto all = fLog->All();
    const auto announced = std::find_if(all.begin(), all.end(), [](const BMessage& message) {
        return message.what == B_MODIFIERS_CHANGED &&
               (int32_of(message, "modifiers") & B_COMMAND_KEY) != 0;
    });
    const auto shortcut = std::find_if(all.begin(), all.end(), [](const BMessage& message) {
        return message.what == B_KEY_DOWN && string_of(message, "bytes") == "q";
    });
    EXPECT_LT(announced - all.begin(), shortcut - all.begin());
    // Every modifier let go again.
    EXPECT_EQ(modifiers() & (B_SHIFT_KEY | B_COMMAND_KEY | B_CONTROL_KEY), 0u);
}

TEST_F(SDLDisplayTest, KeysGoToTheActivatedWindowAndNeverToAMenuWindow)
{
    if (!fX->CanFakeInput())
        GTEST_SKIP() << "libXtst.so.6 is not installed: no real keys can be typed";
    WindowLog* firstLog = AddLog();
    display_window_id first = OpenWindow("First", BRect(100, 100, 399, 299), true,
                                         BPrivate::B_DISPLAY_NORMAL_WINDOW, firstLog);
    OpenWindow("Second", BRect(500, 100, 699, 199));
    ASSERT_FALSE(fLog->WaitFor(B_WINDOW_ACTIVATED).empty());

    fDisplay->Activate(first);
    // The first window hears that it is active again, and the second that it no longer is.
    EXPECT_TRUE(looper_test::eventually(
        [&] { return last_activation(firstLog) == 1 && last_activation(fLog) == 0; }));
    // A menu shown under the pointer leaves the keyboard where it was.
    WindowLog* menuLog = AddLog();
    OpenWindow("Menu", BRect(150, 150, 249, 249), true, BPrivate::B_DISPLAY_MENU_WINDOW, menuLog);
    ASSERT_TRUE(fX->MovePointer(XWindowOf("Menu"), 10, 10));
    fX->Press("x");

    const auto keys = firstLog->WaitFor(B_KEY_DOWN);
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(string_of(keys[0], "bytes"), "x");
    EXPECT_TRUE(fLog->Of(B_KEY_DOWN).empty());
    EXPECT_TRUE(menuLog->Of(B_KEY_DOWN).empty());
    EXPECT_TRUE(menuLog->Of(B_WINDOW_ACTIVATED).empty());
    // The menu still hears the pointer.
    EXPECT_FALSE(menuLog->WaitFor(B_MOUSE_MOVED).empty());
}
