// Input to the SDL display made through the X server as users make it (where the XTEST
// library is installed): clicks and keys, and which window the keys go to. Drops are the
// window tests'.

#include "SDLDisplayFixture.h"

#include <InterfaceDefs.h>

#include <algorithm>
#include <thread>

using namespace display_test;
using BPrivate::display_window_id;

namespace {

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

TEST_F(SDLDisplayTest, ClicksAndKeysThroughTheServerArriveOnceEachWithButtonsAndModifiers)
{
    if (!fX->CanFakeInput())
        GTEST_SKIP() << "libXtst.so.6 is not installed: no real input can be made";
    OpenWindow("Typewriter", BRect(100, 100, 299, 199));
    // Without a window manager the window shown last has the keyboard.
    ASSERT_FALSE(fLog->WaitFor(B_WINDOW_ACTIVATED).empty());

    ASSERT_TRUE(move_pointer(*fX, XWindowOf("Typewriter"), 20, 30));
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
    std::vector<std::string> typed, held;
    for (const auto& key : kKeys) {
        press(*fX, key.key, key.held);
        typed.push_back(key.bytes);
        held.push_back(key.bytes + " " + std::to_string(key.modifiers));
    }
    fLog->WaitFor(B_KEY_UP, typed.size());
    std::this_thread::sleep_for(300ms);

    // Each key once, down and up; the modifiers held are in the key's message.
    const uint32 kLocks = B_CAPS_LOCK | B_NUM_LOCK | B_SCROLL_LOCK;
    std::vector<std::string> keyDowns, keyUps;
    for (const BMessage& message : fLog->Of(B_KEY_DOWN)) {
        keyDowns.push_back(string_of(message, "bytes") + " " +
                           std::to_string(int32_of(message, "modifiers") & ~kLocks));
    }
    for (const BMessage& message : fLog->Of(B_KEY_UP))
        keyUps.push_back(string_of(message, "bytes"));
    EXPECT_EQ(keyDowns, held);
    EXPECT_EQ(keyUps, typed);

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
    ASSERT_TRUE(move_pointer(*fX, XWindowOf("Menu"), 10, 10));
    press(*fX, "x");

    const auto keys = firstLog->WaitFor(B_KEY_DOWN);
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(string_of(keys[0], "bytes"), "x");
    EXPECT_TRUE(fLog->Of(B_KEY_DOWN).empty());
    EXPECT_TRUE(menuLog->Of(B_KEY_DOWN).empty());
    EXPECT_TRUE(menuLog->Of(B_WINDOW_ACTIVATED).empty());
    // The menu still hears the pointer.
    EXPECT_FALSE(menuLog->WaitFor(B_MOUSE_MOVED).empty());
}
