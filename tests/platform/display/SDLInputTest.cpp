// Input to the SDL display made through the X server as other programs and users make it:
// files dropped by a drag source of another process, and (where the XTEST library is
// installed) clicks and keys.

#include "SDLDisplayFixture.h"

#include <Entry.h>
#include <InterfaceDefs.h>

#include <thread>

using namespace display_test;
using BPrivate::display_window_id;

namespace {

std::string bytes_of(const BMessage& message)
{
    const char* bytes = nullptr;
    return message.FindString("bytes", &bytes) == B_OK ? bytes : "";
}

// 1 when the last B_WINDOW_ACTIVATED a log got said active, 0 when inactive, -1 for none.
int last_activation(MessageLog* log)
{
    auto activations = log->Of(B_WINDOW_ACTIVATED);
    bool active = false;
    if (activations.empty() || activations.back().message.FindBool("active", &active) != B_OK)
        return -1;
    return active ? 1 : 0;
}

} // namespace

TEST_F(SDLDisplayTest, EachDropArrivesAsOneMessageOfAllItsFilesAtItsPoint)
{
    TempFolder folder;
    // Names that must survive the trip through URIs: a space, a non-ASCII letter, a "%".
    std::string first = folder.WriteText("first song.mid", "MThd");
    std::string second = folder.WriteText("zweite \xc3\x84nderung 100%.mid", "MThd");
    OpenWindow("Drop target", BRect(200, 150, 599, 449));

    std::string errors;
    ASSERT_EQ(
        run_program({XDND_DROP, "--window-title", "Drop target", "--at", "40", "30", first, second},
                    &errors),
        0)
        << errors;
    auto drops = fLog->WaitFor(BPrivate::B_DISPLAY_DROP);
    ASSERT_EQ(drops.size(), 1u);
    const BMessage& drop = drops[0].message;
    entry_ref ref;
    ASSERT_EQ(drop.FindRef("refs", 0, &ref), B_OK);
    EXPECT_EQ(ref.directory, folder.Path());
    EXPECT_EQ(ref.Path(), first);
    ASSERT_EQ(drop.FindRef("refs", 1, &ref), B_OK);
    EXPECT_EQ(ref.Path(), second);
    EXPECT_NE(drop.FindRef("refs", 2, &ref), B_OK);
    BPoint where;
    ASSERT_EQ(drop.FindPoint("_drop_point_", &where), B_OK);
    EXPECT_NEAR(where.x, 40, 1);
    EXPECT_NEAR(where.y, 30, 1);

    // A second drop elsewhere is a message of its own, at its own point.
    ASSERT_EQ(
        run_program({XDND_DROP, "--window-title", "Drop target", "--at", "350", "280", second},
                    &errors),
        0)
        << errors;
    drops = fLog->WaitFor(BPrivate::B_DISPLAY_DROP, 2);
    ASSERT_EQ(drops.size(), 2u);
    ASSERT_EQ(drops[1].message.FindPoint("_drop_point_", &where), B_OK);
    EXPECT_NEAR(where.x, 350, 1);
    EXPECT_NEAR(where.y, 280, 1);
    ASSERT_EQ(drops[1].message.FindRef("refs", 0, &ref), B_OK);
    EXPECT_EQ(ref.Path(), second);
    EXPECT_NE(drops[1].message.FindRef("refs", 1, &ref), B_OK);

    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(fLog->Of(BPrivate::B_DISPLAY_DROP).size(), 2u);
}

TEST_F(SDLDisplayTest, DropToolReportsAWindowThatTakesNoDrops)
{
    fX->MakeWindow("Takes nothing", 10, 10, 100, 100, false);
    TempFolder folder;
    std::string errors;
    EXPECT_EQ(run_program({XDND_DROP, "--window-title", "Takes nothing", "--at", "5", "5",
                           folder.WriteText("a.mid", "MThd")},
                          &errors),
              1);
    EXPECT_NE(errors.find("no XdndAware"), std::string::npos) << errors;
}

TEST_F(SDLDisplayTest, DropToolGivesUpOnAWindowThatNeverAnswers)
{
    fX->MakeWindow("Never answers", 10, 10, 100, 100, true);
    TempFolder folder;
    std::string errors;
    EXPECT_EQ(run_program({XDND_DROP, "--window-title", "Never answers", "--at", "5", "5",
                           "--timeout", "1", folder.WriteText("a.mid", "MThd")},
                          &errors),
              1);
    EXPECT_NE(errors.find("did not answer"), std::string::npos) << errors;
}

TEST_F(SDLDisplayTest, ClickThroughTheServerArrivesAsMouseDownAndUp)
{
    if (!fX->CanFakeInput())
        GTEST_SKIP() << "libXtst.so.6 is not installed: no real clicks can be made";
    OpenWindow("Clickable", BRect(100, 100, 299, 199));
    int x = 0, y = 0;
    ASSERT_TRUE(fX->ToRoot(XWindowOf("Clickable"), 20, 30, &x, &y));
    fX->FakeMotion(x, y);
    fX->FakeButton(1, true);
    fX->FakeButton(1, false);
    fX->FakeButton(3, true);
    fX->FakeButton(3, false);

    auto downs = fLog->WaitFor(B_MOUSE_DOWN, 2);
    auto ups = fLog->WaitFor(B_MOUSE_UP, 2);
    ASSERT_EQ(downs.size(), 2u);
    ASSERT_EQ(ups.size(), 2u);
    BPoint where;
    ASSERT_EQ(downs[0].message.FindPoint("where", &where), B_OK);
    EXPECT_EQ(where, BPoint(20, 30));
    EXPECT_EQ(int32_of(downs[0].message, "buttons"), 1);
    EXPECT_EQ(int32_of(downs[1].message, "buttons"), 2); // the right button is the secondary
    // Another button is not a second click of the first.
    EXPECT_EQ(int32_of(downs[1].message, "clicks"), 1);
    ASSERT_EQ(ups[1].message.FindPoint("where", &where), B_OK);
    EXPECT_EQ(where, BPoint(20, 30));

    bool movedThere = false;
    for (const auto& entry : fLog->Of(B_MOUSE_MOVED)) {
        if (entry.message.FindPoint("where", &where) == B_OK && where == BPoint(20, 30))
            movedThere = true;
    }
    EXPECT_TRUE(movedThere);
}

TEST_F(SDLDisplayTest, TypedKeysArriveOnceEachWithTheirModifiers)
{
    if (!fX->CanFakeInput())
        GTEST_SKIP() << "libXtst.so.6 is not installed: no real keys can be typed";
    OpenWindow("Typewriter", BRect(100, 100, 299, 199));
    // Without a window manager the window shown last has the keyboard.
    ASSERT_FALSE(fLog->WaitFor(B_WINDOW_ACTIVATED).empty());

    auto press = [&](const char* key) {
        fX->FakeKey(key, true);
        fX->FakeKey(key, false);
    };
    press("a");
    fX->FakeKey("Shift_L", true);
    press("a");
    fX->FakeKey("Shift_L", false);
    press("Return");
    press("Left");
    press("KP_Enter");
    fX->FakeKey("Alt_L", true);
    press("q"); // a shortcut: SDL types no text for it, or text that must not come twice
    fX->FakeKey("Alt_L", false);
    fX->FakeKey("Control_L", true);
    press("w");
    fX->FakeKey("Control_L", false);

    const std::vector<std::string> typed = {"a", "A", "\n", {B_LEFT_ARROW}, "\n", "q", "w"};
    fLog->WaitFor(B_KEY_UP, typed.size());
    std::this_thread::sleep_for(300ms);
    std::vector<std::string> downs, ups;
    for (const auto& entry : fLog->Of(B_KEY_DOWN))
        downs.push_back(bytes_of(entry.message));
    for (const auto& entry : fLog->Of(B_KEY_UP))
        ups.push_back(bytes_of(entry.message));
    EXPECT_EQ(downs, typed);
    EXPECT_EQ(ups, typed);

    // The modifiers held are in each key's message, and were announced before it.
    auto all = fLog->All();
    int commandAnnounced = -1;
    for (int i = 0; i < (int)all.size(); i++) {
        const BMessage& message = all[i].message;
        uint32 held = (uint32)int32_of(message, "modifiers");
        if (message.what == B_MODIFIERS_CHANGED && (held & B_COMMAND_KEY) != 0 &&
            commandAnnounced < 0)
            commandAnnounced = i;
        if (message.what != B_KEY_DOWN)
            continue;
        std::string bytes = bytes_of(message);
        if (bytes == "a") {
            EXPECT_EQ(held & (B_SHIFT_KEY | B_COMMAND_KEY | B_CONTROL_KEY), 0u);
        } else if (bytes == "A") {
            EXPECT_EQ(held & (B_SHIFT_KEY | B_LEFT_SHIFT_KEY),
                      (uint32)(B_SHIFT_KEY | B_LEFT_SHIFT_KEY));
        } else if (bytes == "q") {
            EXPECT_EQ(held & (B_COMMAND_KEY | B_LEFT_COMMAND_KEY),
                      (uint32)(B_COMMAND_KEY | B_LEFT_COMMAND_KEY));
            EXPECT_GE(commandAnnounced, 0);
            EXPECT_LT(commandAnnounced, i);
        } else if (bytes == "w") {
            EXPECT_NE(held & B_CONTROL_KEY, 0u);
        }
    }
    // Every modifier let go again.
    EXPECT_EQ(modifiers() & (B_SHIFT_KEY | B_COMMAND_KEY | B_CONTROL_KEY), 0u);
}

TEST_F(SDLDisplayTest, ActivatedWindowGetsTheKeys)
{
    if (!fX->CanFakeInput())
        GTEST_SKIP() << "libXtst.so.6 is not installed: no real keys can be typed";
    MessageLog* firstLog = AddLog();
    display_window_id first = OpenWindow("First", BRect(100, 100, 299, 199), true,
                                         BPrivate::B_DISPLAY_NORMAL_WINDOW, false, firstLog);
    OpenWindow("Second", BRect(400, 100, 599, 199));
    ASSERT_FALSE(fLog->WaitFor(B_WINDOW_ACTIVATED).empty());

    fDisplay->Activate(first);
    // The first window hears that it is active again, and the second that it no longer is.
    EXPECT_TRUE(looper_test::eventually(
        [&] { return last_activation(firstLog) == 1 && last_activation(fLog) == 0; }));
    fX->FakeKey("x", true);
    fX->FakeKey("x", false);
    auto keys = firstLog->WaitFor(B_KEY_DOWN);
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(bytes_of(keys[0].message), "x");
    EXPECT_TRUE(fLog->Of(B_KEY_DOWN).empty());
}

TEST_F(SDLDisplayTest, MenuWindowLeavesTheKeyboardWhereItWas)
{
    if (!fX->CanFakeInput())
        GTEST_SKIP() << "libXtst.so.6 is not installed: no real keys can be typed";
    OpenWindow("Main", BRect(100, 100, 399, 299));
    ASSERT_FALSE(fLog->WaitFor(B_WINDOW_ACTIVATED).empty());

    MessageLog* menuLog = AddLog();
    OpenWindow("Menu", BRect(150, 150, 249, 249), true, BPrivate::B_DISPLAY_MENU_WINDOW, true,
               menuLog);
    int x = 0, y = 0;
    ASSERT_TRUE(fX->ToRoot(XWindowOf("Menu"), 10, 10, &x, &y));
    fX->FakeMotion(x, y);
    fX->FakeKey("b", true);
    fX->FakeKey("b", false);

    auto keys = fLog->WaitFor(B_KEY_DOWN);
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(bytes_of(keys[0].message), "b");
    EXPECT_TRUE(menuLog->Of(B_KEY_DOWN).empty());
    EXPECT_TRUE(menuLog->Of(B_WINDOW_ACTIVATED).empty());
    // The menu still hears the pointer.
    EXPECT_FALSE(menuLog->WaitFor(B_MOUSE_MOVED).empty());
}
