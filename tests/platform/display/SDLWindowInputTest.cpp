// A window of the interface kit on the SDL display, used through the X server as a user
// would (XTEST): menus opened and chosen from with real clicks, shortcuts and Control keys in a
// text field, the keyboard passed between windows, files dropped by another program. Its own
// program, since the display of a process is chosen once.

#include "SDLDisplayFixture.h"

#include <Menu.h>
#include <MenuBar.h>
#include <MenuField.h>
#include <MenuItem.h>
#include <PopUpMenu.h>
#include <TextControl.h>
#include <TextView.h>
#include <Window.h>

#include <algorithm>
#include <thread>

using namespace display_test;

namespace {

// Keeps the messages it is sent (noted "dropped" when they came as dropped, which a copy does
// not carry), the quit requests among them, and refuses to quit.
class InputWindow : public BWindow {
public:
    InputWindow(BRect frame = BRect(100, 100, 499, 299), const char* title = "Input",
                window_type type = B_TITLED_WINDOW)
        : BWindow(frame, title, type, B_NOT_RESIZABLE)
    {
    }
    void MessageReceived(BMessage* message) override
    {
        fReceived.Add(message->WasDropped() ? "dropped" : "sent", *message);
        BWindow::MessageReceived(message);
    }
    // Clicks and keys as they reach the window, before any view or shortcut takes them.
    void DispatchMessage(BMessage* message, BHandler* handler) override
    {
        if (message->what == B_MOUSE_DOWN || message->what == B_KEY_DOWN)
            fReceived.Add("sent", *message);
        BWindow::DispatchMessage(message, handler);
    }
    bool QuitRequested() override
    {
        fReceived.Add("sent", BMessage(B_QUIT_REQUESTED));
        return false;
    }
    std::vector<std::pair<std::string, BMessage>> Of(uint32 what)
    {
        std::vector<std::pair<std::string, BMessage>> found = fReceived.Entries();
        std::erase_if(found, [what](const auto& entry) { return entry.second.what != what; });
        return found;
    }

private:
    MessageLog fReceived;
};

class SDLWindowInput : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(fX.IsOpen()) << "this test needs an X server: run it through "
                                    "scripts/with-xvfb";
        if (!fX.CanFakeInput())
            GTEST_SKIP() << "libXtst.so.6 is not installed: no real input can be made";
        ASSERT_TRUE(BPrivate::select_display("sdl"));

        fWindow = new InputWindow;
        auto* bar = new BMenuBar(BRect(0, 0, 0, 0), "bar");
        fFile = new BMenu("File");
        fFile->AddItem(new BMenuItem("Open", new BMessage('open'), 'O'));
        fMore = new BMenu("More");
        fMore->AddItem(new BMenuItem("Inside", new BMessage('insd')));
        fFile->AddItem(fMore);
        fFile->AddItem(new BMenuItem("Quit", new BMessage(B_QUIT_REQUESTED), 'Q'));
        bar->AddItem(fFile);
        fWindow->AddChild(bar);
        fFormat = new BPopUpMenu("Format");
        fFormat->AddItem(new BMenuItem("First", new BMessage('fmtA')));
        fFormat->AddItem(new BMenuItem("Second", new BMessage('fmtB')));
        fFormat->ItemAt(0)->SetMarked(true);
        fField = new BMenuField(BRect(10, 40, 200, 62), "field", "Format:", fFormat);
        fField->SetDivider(60);
        fWindow->AddChild(fField);
        fText = new BTextControl(BRect(10, 80, 200, 100), "text", "Name:", "abc", nullptr);
        fText->SetDivider(60);
        fWindow->AddChild(fText);
        fWindow->Show();
        fXWindow = fX.FindWindow("Input", 5s);
        ASSERT_NE(fXWindow, 0u);
        // The menu bar drawn, and so the window ready for the pointer.
        ASSERT_TRUE(looper_test::eventually([&] {
            XPicture picture;
            return fX.Capture(fXWindow, picture) && picture.At(300, 5) == 0xd8d8d8;
        }));
    }
    void TearDown() override
    {
        if (fWindow != nullptr)
            Close(fWindow);
    }

    void MoveTo(XWindowID window, BPoint where)
    {
        ASSERT_TRUE(fX.MovePointer(window, (int)where.x, (int)where.y));
    }
    // A click (press and let go at once, as a user's quick click) at a point of an X window.
    void Click(XWindowID window, BPoint where)
    {
        ASSERT_TRUE(fX.Click(window, (int)where.x, (int)where.y));
    }
    static BPoint Middle(BRect frame)
    {
        return BPoint((frame.left + frame.right) / 2, (frame.top + frame.bottom) / 2);
    }
    BPoint ItemMiddle(BMenu* menu, int32 index)
    {
        fWindow->Lock();
        const BPoint middle = Middle(menu->ItemAt(index)->Frame());
        fWindow->Unlock();
        return middle;
    }
    // Waits for the menu window of that title and clicks the item at index in it.
    void ClickItem(const char* title, BMenu* menu, int32 index)
    {
        const XWindowID window = fX.FindWindow(title, 5s);
        ASSERT_NE(window, 0u) << "the menu \"" << title << "\" did not open";
        Click(window, ItemMiddle(menu, index));
    }
    bool Received(uint32 what, size_t count = 1)
    {
        return looper_test::eventually([&] { return fWindow->Of(what).size() >= count; });
    }
    // Another window beside the first, shown; returned once it has taken the keyboard from
    // the first.
    InputWindow* OpenSecond(window_type type)
    {
        auto* second = new InputWindow(BRect(600, 100, 799, 199), "Second", type);
        second->Show();
        EXPECT_NE(fX.FindWindow("Second", 5s), 0u);
        EXPECT_TRUE(Becomes(fWindow, false));
        return second;
    }
    // Whether the window is told it is active (or not) within the limit. A key pressed
    // before then goes where the keyboard was, as it would for a quick user.
    static bool Becomes(BWindow* window, bool active)
    {
        return looper_test::eventually([&] {
            window->Lock();
            const bool now = window->IsActive();
            window->Unlock();
            return now == active;
        });
    }
    static void Close(BWindow* window)
    {
        if (window->Lock())
            window->Quit();
    }

    looper_test::Watchdog fWatchdog{std::chrono::seconds(90)};
    X11Connection fX; // before SDL starts: SDL chains to its error handler
    InputWindow* fWindow = nullptr;
    XWindowID fXWindow = 0;
    BMenu* fFile = nullptr;
    BMenu* fMore = nullptr;
    BPopUpMenu* fFormat = nullptr;
    BMenuField* fField = nullptr;
    BTextControl* fText = nullptr;
};

TEST_F(SDLWindowInput, ClicksOpenBarMenusFieldMenusAndSubmenusAndChooseTheirItems)
{
    fWindow->Lock();
    const BPoint title = Middle(fFile->Superitem()->Frame());
    const BPoint field(fField->Frame().left + 80, Middle(fField->Frame()).y);
    fWindow->Unlock();
    // Pressed on the title, dragged to the item and let go there: the window that saw the
    // press has the pointer all the way.
    MoveTo(fXWindow, title);
    fX.FakeButton(1, true);
    const XWindowID menu = fX.FindWindow("File", 5s);
    ASSERT_NE(menu, 0u);
    MoveTo(menu, ItemMiddle(fFile, 0));
    fX.FakeButton(1, false);
    EXPECT_TRUE(Received('open'));
    // Gone before the next click, which an open menu would take as the click that closes it.
    EXPECT_TRUE(looper_test::eventually([&] { return fX.FindWindow("File") == 0; }));

    // The field's button, then the second choice.
    Click(fXWindow, field);
    ClickItem("Format", fFormat, 1);
    EXPECT_TRUE(Received('fmtB'));

    // Clicked: the bar's title, then an item that opens a submenu beside it; the submenu's
    // item chosen closes the whole chain.
    Click(fXWindow, title);
    ClickItem("File", fFile, 1);
    ClickItem("More", fMore, 0);
    EXPECT_TRUE(Received('insd'));
    EXPECT_TRUE(looper_test::eventually(
        [&] { return fX.FindWindow("File") == 0 && fX.FindWindow("More") == 0; }));
}

// A Command shortcut goes to the window whatever view has the focus; a Control key is no
// character for a text field, and reaches the window (its filters, its shortcuts) as the key.
TEST_F(SDLWindowInput, ShortcutsAndControlLettersInATextFieldTypeNothingAndReachTheWindow)
{
    fWindow->Lock();
    fText->TextView()->MakeFocus(true);
    fWindow->Unlock();
    fX.Press("a", "Control_L"); // selects all
    fX.Press("b", "Control_L"); // the window's: nothing in the field
    fX.Press("q", "Alt_L");
    ASSERT_TRUE(Received(B_QUIT_REQUESTED));
    // The field's text, all of it selected.
    fWindow->Lock();
    int32 start = -1, end = -1;
    fText->TextView()->GetSelection(&start, &end);
    EXPECT_EQ(fText->Text() + (" " + std::to_string(start) + "-" + std::to_string(end)), "abc 0-3");
    fWindow->Unlock();
    // Each key as the window saw it: its raw character, and whether Control was held.
    std::string keys;
    for (const auto& [how, key] : fWindow->Of(B_KEY_DOWN)) {
        keys += (char)int32_of(key, "raw_char");
        keys += (int32_of(key, "modifiers") & B_CONTROL_KEY) != 0 ? "+Control " : " ";
    }
    EXPECT_EQ(keys, "a+Control b+Control q ");
}

TEST_F(SDLWindowInput, KeyboardComesBackWhenAWindowGoesAwayOrIsClickedPastUnlessItIsModal)
{
    const BPoint empty(300, 150);
    enum class Away { kClosed, kHidden, kClickedPast };
    const struct {
        const char* how;
        window_type type;
        Away away;
    } kCases[] = {{"closed", B_MODAL_WINDOW, Away::kClosed},
                  {"hidden", B_MODAL_WINDOW, Away::kHidden},
                  {"clicked past", B_TITLED_WINDOW, Away::kClickedPast}};
    size_t expected = 0;
    for (const auto& row : kCases) {
        SCOPED_TRACE(row.how);
        InputWindow* second = OpenSecond(row.type);
        if (row.away == Away::kClosed) {
            Close(second);
        } else if (row.away == Away::kHidden) {
            second->Lock();
            second->Hide();
            second->Unlock();
        } else {
            Click(fXWindow, empty);
        }
        EXPECT_TRUE(Becomes(fWindow, true));
        fX.Press("q", "Alt_L");
        EXPECT_TRUE(Received(B_QUIT_REQUESTED, ++expected));
        if (row.away != Away::kClosed)
            Close(second);
    }

    // A click past a modal window is handed on once the keyboard went where it goes: to the
    // modal window still.
    InputWindow* dialog = OpenSecond(B_MODAL_WINDOW);
    Click(fXWindow, empty);
    ASSERT_TRUE(Received(B_MOUSE_DOWN, 2));
    EXPECT_EQ(fX.KeyboardFocus(), fX.FindWindow("Second"));
    Close(dialog);
}

TEST_F(SDLWindowInput, EachDropIsOneDroppedMessageOfAllItsFilesAtItsPointOnTheScreen)
{
    TempFolder folder;
    // Names that must survive the trip through URIs: a space, a non-ASCII letter, a "%".
    const std::vector<std::string> files = {
        folder.WriteText("first song.mid", "MThd"),
        folder.WriteText("zweite \xc3\x84nderung 100%.mid", "MThd")};
    std::vector<std::string> arguments = {"--window-title", "Input", "--at", "300", "150"};
    arguments.insert(arguments.end(), files.begin(), files.end());
    std::string errors;
    ASSERT_EQ(run_drop_tool(arguments, &errors), 0) << errors;
    ASSERT_TRUE(Received(B_SIMPLE_DATA));
    std::this_thread::sleep_for(300ms); // time for a second message, which must not come
    const auto drops = fWindow->Of(B_SIMPLE_DATA);
    ASSERT_EQ(drops.size(), 1u);
    EXPECT_EQ(drops[0].first, "dropped");
    EXPECT_EQ(paths_of(drops[0].second), files);
    // In screen coordinates, as the kit's drops are.
    EXPECT_NEAR(point_of(drops[0].second, "_drop_point_").x, 400, 1);
    EXPECT_NEAR(point_of(drops[0].second, "_drop_point_").y, 250, 1);
}

} // namespace
