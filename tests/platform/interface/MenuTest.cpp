// Menus driven the way a user drives them: clicks and keys through the offscreen display.

#include <Menu.h>
#include <MenuBar.h>
#include <MenuField.h>
#include <MenuItem.h>
#include <PopUpMenu.h>
#include <Screen.h>

#include "GoldenImage.h"
#include "ViewDump.h"
#include "WindowTestSupport.h"

#include <memory>
#include <set>

using namespace window_test;

namespace {

const char kDown[] = {B_DOWN_ARROW, 0};
const char kEnter[] = {B_ENTER, 0};
const char kEscape[] = {B_ESCAPE, 0};
const char kRight[] = {B_RIGHT_ARROW, 0};

// A window that hands every message it gets as a target on to a recorder.
class RelayWindow : public BWindow {
public:
    RelayWindow(BRect frame, Recorder* recorder)
        : BWindow(frame, "menus", B_TITLED_WINDOW, 0), fRecorder(recorder)
    {
    }
    void MessageReceived(BMessage* message) override
    {
        static const std::set<uint32> kRelayed = {'new ', 'save', 'quit', 'abou', 'bend', 'insd'};
        if (kRelayed.count(message->what) != 0)
            fRecorder->PostMessage(message);
        else
            BWindow::MessageReceived(message);
    }

private:
    Recorder* fRecorder;
};

struct MenuFixture : ::testing::Test {
    void SetUp() override
    {
        offscreen();
        recorder = new Recorder();
        window = new RelayWindow(BRect(100, 100, 399, 249), recorder);
        bar = new BMenuBar(BRect(0, 0, 0, 0), "bar");
        file = new BMenu("File");
        file->AddItem(new BMenuItem("New", new BMessage('new '), 'N'));
        file->AddSeparatorItem();
        auto* old = new BMenuItem("Old", new BMessage('old '));
        old->SetEnabled(false);
        file->AddItem(old);
        file->AddItem(new BMenuItem("Save", new BMessage('save'), 'S'));
        file->AddItem(new BMenuItem("Quit", new BMessage('quit'), 'Q'));
        bar->AddItem(file);
        help = new BMenu("Help");
        help->AddItem(new BMenuItem("About", new BMessage('abou')));
        bar->AddItem(help);
        window->AddChild(bar);
    }
    void TearDown() override
    {
        close(window);
        recorder->Stop();
    }

    BPoint TitleCenter(int32 index)
    {
        Locked lock(window);
        return bar->ConvertToParent(center(bar->ItemAt(index)->Frame()));
    }
    // The window a menu is open in, or nullptr.
    BWindow* OpenWindowOf(BMenu* menu)
    {
        Locked lock(window);
        return menu->Window();
    }
    BPoint ItemCenter(BMenu* menu, int32 index) { return center(menu->ItemAt(index)->Frame()); }
    // Clicks the title of the bar's index-th menu and answers the window it opened in.
    BWindow* ClickTitle(int32 index)
    {
        click(window, TitleCenter(index));
        Locked lock(window);
        return bar->SubmenuAt(index)->Window();
    }
    // The command of the count-th message chosen, once it came; 0 if it never did.
    uint32 Chosen(size_t count)
    {
        return recorder->WaitFor(count) ? recorder->Messages()[count - 1].what : 0;
    }
    // Opens File and keeps its window busy highlighting (and drawing) items.
    BWindow* OpenBusyFile()
    {
        BWindow* menuWindow = ClickTitle(0);
        for (int32 i = 0; menuWindow != nullptr && i < 5; i++)
            offscreen()->MouseMoved(id_of(menuWindow), ItemCenter(file, i % 2 == 0 ? 0 : 3));
        return menuWindow;
    }

    Watchdog watchdog;
    Recorder* recorder = nullptr;
    RelayWindow* window = nullptr;
    BMenuBar* bar = nullptr;
    BMenu* file = nullptr;
    BMenu* help = nullptr;
};

TEST_F(MenuFixture, CommandShortcutSendsItsEnabledItemWithIndexToTheWindowOrTheItemsTarget)
{
    // The bar takes its height at once and the window's width when added.
    EXPECT_GT(bar->Frame().Height(), 12);
    EXPECT_EQ(bar->Frame().left, 0);
    EXPECT_EQ(bar->Frame().Width(), window->Bounds().Width());
    EXPECT_EQ(window->KeyMenuBar(), bar);
    window->Show();
    // No target of their own: the items' messages go to the window of the bar.
    type(window, "s", B_COMMAND_KEY);
    ASSERT_TRUE(recorder->WaitFor(1));
    BMessage message = recorder->Messages()[0];
    EXPECT_EQ(view_dump::message_text(&message), "save when source index=3");
    void* source = nullptr;
    message.FindPointer("source", &source);
    EXPECT_EQ(source, file->ItemAt(3));

    // A disabled item's shortcut does nothing; SetTargetForItems moves the messages.
    auto* other = new Recorder();
    {
        Locked lock(window);
        file->ItemAt(0)->SetEnabled(false);
        file->SetTargetForItems(other);
    }
    type(window, "n", B_COMMAND_KEY);
    type(window, "q", B_COMMAND_KEY);
    ASSERT_TRUE(other->WaitFor(1));
    EXPECT_EQ(other->Messages()[0].what, 'quit');
    settle(window);
    EXPECT_EQ(recorder->Messages().size(), 1u);
    EXPECT_EQ(other->Messages().size(), 1u);
    other->Stop();
}

TEST_F(MenuFixture, SubmenuOpensBesideItsItemByPointerOrKeysAndItsChoiceClosesTheChain)
{
    auto* more = new BMenu("More");
    more->AddItem(new BMenuItem("Inside", new BMessage('insd')));
    file->AddItem(more);
    window->Show();
    const int32 moreIndex = file->IndexOf(more);
    // The pointer over the item opens the submenu to the right of it.
    BWindow* fileWindow = ClickTitle(0);
    ASSERT_NE(fileWindow, nullptr);
    offscreen()->MouseMoved(id_of(fileWindow), ItemCenter(file, moreIndex));
    settle(fileWindow);
    settle(window);
    BWindow* moreWindow = OpenWindowOf(more);
    ASSERT_NE(moreWindow, nullptr);
    EXPECT_EQ(moreWindow->Frame().left, fileWindow->Frame().right + 1);
    click(moreWindow, ItemCenter(more, 0));
    ASSERT_EQ(Chosen(1), 'insd');
    settle(window);
    EXPECT_EQ(OpenWindowOf(file), nullptr);
    EXPECT_EQ(OpenWindowOf(more), nullptr);

    // Keys: down to it, Right opens it at its first item, Left goes back, Enter chooses.
    const char left[] = {B_LEFT_ARROW, 0};
    click(window, TitleCenter(0));
    for (int32 i = 0; i < 4; i++) // New, Save, Quit, More
        type(window, kDown);
    settle(OpenWindowOf(file));
    type(window, kRight);
    ASSERT_NE(OpenWindowOf(more), nullptr);
    type(window, left);
    EXPECT_EQ(OpenWindowOf(more), nullptr);
    EXPECT_NE(OpenWindowOf(file), nullptr);
    type(window, kRight);
    type(window, kEnter);
    ASSERT_EQ(Chosen(2), 'insd');
}

TEST_F(MenuFixture, MenusOpenByClickOrKeysAndChooseOnlyEnabledItems)
{
    window->Show();
    BWindow* menuWindow = ClickTitle(0);
    ASSERT_NE(menuWindow, nullptr);
    // Below the title, on the screen.
    EXPECT_EQ(menuWindow->Frame().top, window->Frame().top + bar->Frame().bottom + 1);
    click(menuWindow, ItemCenter(file, 4));
    ASSERT_EQ(Chosen(1), 'quit');
    EXPECT_EQ(int32_of(recorder->Messages()[0], "index"), 4);
    settle(window);
    EXPECT_EQ(OpenWindowOf(file), nullptr);

    // A separator and a disabled item are never chosen: the menu stays open.
    menuWindow = ClickTitle(0);
    ASSERT_NE(menuWindow, nullptr);
    click(menuWindow, ItemCenter(file, 1));
    click(menuWindow, ItemCenter(file, 2));
    settle(window);
    EXPECT_EQ(OpenWindowOf(file), menuWindow);
    // A click elsewhere in the window closes it without choosing.
    click(window, BPoint(150, 120));
    EXPECT_EQ(OpenWindowOf(file), nullptr);
    EXPECT_EQ(recorder->Messages().size(), 1u);

    // Keys skip the separator and the disabled item; Escape closes.
    ASSERT_NE(ClickTitle(0), nullptr);
    for (const char* key : {kDown, kDown, kEnter})
        type(window, key);
    ASSERT_EQ(Chosen(2), 'save');
    settle(window);
    EXPECT_EQ(OpenWindowOf(file), nullptr);
    ASSERT_NE(ClickTitle(0), nullptr);
    type(window, kEscape);
    EXPECT_EQ(OpenWindowOf(file), nullptr);
    // Right from File opens Help with its first item highlighted.
    click(window, TitleCenter(0));
    type(window, kRight);
    EXPECT_EQ(OpenWindowOf(file), nullptr);
    ASSERT_NE(OpenWindowOf(help), nullptr);
    type(window, kEnter);
    ASSERT_EQ(Chosen(3), 'abou');
}

TEST_F(MenuFixture, SubmenusRemovedAndDeletedWhileShownTakeTheirTitlesAndShortcuts)
{
    window->Show();
    click(window, TitleCenter(0)); // open while the menus are rebuilt
    {
        Locked lock(window);
        while (BMenu* menu = bar->SubmenuAt(0)) {
            ASSERT_TRUE(bar->RemoveItem(menu));
            delete menu;
        }
        EXPECT_EQ(bar->CountItems(), 0);
        auto* datei = new BMenu("Datei");
        datei->AddItem(new BMenuItem("Beenden", new BMessage('bend'), 'B'));
        bar->AddItem(datei);
        file = help = nullptr;
    }
    type(window, "q", B_COMMAND_KEY);
    type(window, "s", B_COMMAND_KEY);
    type(window, "b", B_COMMAND_KEY);
    ASSERT_EQ(Chosen(1), 'bend');
    settle(window);
    EXPECT_EQ(recorder->Messages().size(), 1u);

    // Deleting a submenu still in the bar takes its title along.
    {
        Locked lock(window);
        delete bar->SubmenuAt(0);
        EXPECT_EQ(bar->CountItems(), 0);
    }
    type(window, "b", B_COMMAND_KEY);
    settle(window);
    EXPECT_EQ(recorder->Messages().size(), 1u);
}

TEST_F(MenuFixture, AnOpenMenuChangedWhileItDrawsChoosesOnlyEnabledAndClosesForNewItems)
{
    window->Show();
    BWindow* menuWindow = OpenBusyFile();
    ASSERT_NE(menuWindow, nullptr);
    {
        Locked lock(window);
        file->SetEnabled(false);
        file->SetRadioMode(true);
    }
    click(menuWindow, ItemCenter(file, 3));
    settle(window);
    EXPECT_EQ(OpenWindowOf(file), menuWindow);
    EXPECT_TRUE(recorder->Messages().empty());
    {
        Locked lock(window);
        file->SetEnabled(true);
    }
    click(menuWindow, ItemCenter(file, 3));
    ASSERT_EQ(Chosen(1), 'save');

    for (int32 round = 0; round < 6; round++) {
        ASSERT_NE(OpenBusyFile(), nullptr);
        Locked lock(window);
        for (int32 i = 0; i < 2; i++)
            ASSERT_TRUE(file->AddItem(new BMenuItem("More", nullptr), 0));
        EXPECT_EQ(file->Window(), nullptr);
    }
    // The items that were there move down and still work.
    EXPECT_EQ(file->CountItems(), 5 + 6 * 2);
    menuWindow = ClickTitle(0);
    ASSERT_NE(menuWindow, nullptr);
    click(menuWindow, ItemCenter(file, file->CountItems() - 1));
    ASSERT_EQ(Chosen(2), 'quit');
}

TEST_F(MenuFixture, BarWithOpenMenuLooksRight)
{
    window->Show();
    BWindow* menuWindow = ClickTitle(0);
    ASSERT_NE(menuWindow, nullptr);
    offscreen()->MouseMoved(id_of(menuWindow), ItemCenter(file, 3));
    // The window with the menu window drawn over it where the screen shows it.
    BPrivate::DisplayFrame shot = frame_of(window);
    const BPrivate::DisplayFrame menu = frame_of(menuWindow);
    const BPoint offset = menuWindow->Frame().LeftTop() - window->Frame().LeftTop();
    for (int32 y = 0; y < menu.height; y++) {
        for (int32 x = 0; x < menu.width; x++) {
            const int32 tx = x + (int32)offset.x;
            const int32 ty = y + (int32)offset.y;
            if (tx >= 0 && ty >= 0 && tx < shot.width && ty < shot.height)
                shot.pixels[(size_t)ty * shot.width + tx] = menu.At(x, y);
        }
    }
    EXPECT_TRUE(matches_golden(shot, "menu_bar_open"));
}

// #pragma mark - menu fields

BPopUpMenu* format_menu()
{
    auto* menu = new BPopUpMenu("Choose");
    for (const char* label : {"Alt+F", "F: File", "File (F)"}) {
        auto* message = new BMessage('form');
        message->AddString("format", label);
        menu->AddItem(new BMenuItem(label, message));
    }
    return menu;
}

TEST(MenuFieldTest, ChoosingFromThePopUpMarksShowsAndSendsTheItem)
{
    Watchdog watchdog;
    offscreen();
    auto* recorder = new Recorder();
    auto* window = new BWindow(BRect(100, 100, 359, 159), "field", B_TITLED_WINDOW, 0);
    BPopUpMenu* menu = format_menu();
    menu->ItemAt(0)->SetMarked(true);
    menu->SetTargetForItems(recorder);
    auto* field = new BMenuField(BRect(10, 10, 249, 35), "format", "Format:", menu);
    field->SetDivider(70);
    window->AddChild(field);
    window->Show();
    EXPECT_STREQ(field->MenuItem()->Label(), "Alt+F");

    // The window the pop-up is open in, or nullptr.
    auto open_window = [&] {
        Locked lock(window);
        return menu->Window();
    };
    click(window, BPoint(90, 22));
    BWindow* menuWindow = open_window();
    ASSERT_NE(menuWindow, nullptr);
    click(menuWindow, center(menu->ItemAt(2)->Frame()));
    ASSERT_TRUE(recorder->WaitFor(1));
    EXPECT_STREQ(string_of(recorder->Messages()[0], "format").c_str(), "File (F)");
    settle(window);
    EXPECT_EQ(open_window(), nullptr);
    {
        Locked lock(window);
        EXPECT_TRUE(menu->ItemAt(2)->IsMarked());
        EXPECT_FALSE(menu->ItemAt(0)->IsMarked());
        EXPECT_STREQ(field->MenuItem()->Label(), "File (F)");
    }
    EXPECT_TRUE(matches_golden(frame_of(window), "menu_field"));

    // Focused, Space opens it at the marked item; Up and Enter choose the one above.
    {
        Locked lock(window);
        field->MakeFocus(true);
    }
    type(window, " ");
    const char up[] = {B_UP_ARROW, 0};
    type(window, up);
    type(window, kEnter);
    ASSERT_TRUE(recorder->WaitFor(2));
    EXPECT_STREQ(string_of(recorder->Messages()[1], "format").c_str(), "F: File");

    // Disabled, it is out of the keyboard's way and does not open.
    {
        Locked lock(window);
        field->SetEnabled(false);
        EXPECT_EQ(field->Flags() & B_NAVIGABLE, 0u);
    }
    click(window, BPoint(90, 22));
    EXPECT_EQ(open_window(), nullptr);
    close(window);
    recorder->Stop();
}

TEST(MenuFieldTest, ArchiveKeepsLabelDividerMenuAndItems)
{
    BPopUpMenu* menu = format_menu();
    menu->ItemAt(1)->SetMarked(true);
    menu->ItemAt(2)->SetEnabled(false);
    menu->ItemAt(0)->SetShortcut('f', B_SHIFT_KEY);
    BMenuField field(BRect(0, 0, 199, 24), "format", "Format:", menu, true);
    field.SetDivider(64);
    field.SetEnabled(false);

    std::unique_ptr<BMenuField> copy = view_dump::copy_through_archive<BMenuField>(field);
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(dynamic_cast<BPopUpMenu*>(copy->Menu()), nullptr);
    EXPECT_EQ(view_dump::dump(copy.get()), view_dump::dump(&field));
}

TEST(MenuTest, ItemsAndSubmenusBelongToTheirMenu)
{
    BMenu menu("top");
    auto* sub = new BMenu("sub");
    auto* deep = new BMenuItem("deep", new BMessage('deep'));
    sub->AddItem(deep);
    EXPECT_TRUE(menu.AddItem(sub));
    EXPECT_FALSE(menu.AddItem(deep)); // already in a menu
    auto* stray = new BMenuItem("x", nullptr);
    EXPECT_FALSE(menu.AddItem(stray, 5)); // past the end: still the caller's
    EXPECT_EQ(stray->Menu(), nullptr);
    delete stray;
    EXPECT_EQ(menu.FindItem("deep"), deep);
    EXPECT_EQ(menu.FindItem('deep'), deep);
    EXPECT_EQ(sub->Supermenu(), &menu);
    EXPECT_EQ(sub->Superitem(), menu.ItemAt(0));
    BMenuItem* removed = sub->RemoveItem((int32)0);
    EXPECT_EQ(removed, deep);
    EXPECT_EQ(deep->Menu(), nullptr);
    EXPECT_EQ(sub->RemoveItem((int32)3), nullptr);
    delete removed;
}

TEST(ScreenTest, MainScreenIsTheDisplays)
{
    offscreen();
    EXPECT_EQ(BScreen().Frame(), BPrivate::display()->ScreenFrame());
}

} // namespace
