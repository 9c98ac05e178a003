// The gallery and an archived view tree, as a person would look at them: against golden
// screenshots kept in golden/, so that a drawing regression fails here.

#include "GalleryWindow.h"
#include "GoldenImage.h"
#include "ViewDump.h"
#include "WindowTestSupport.h"

#include <Box.h>
#include <CheckBox.h>
#include <MenuField.h>
#include <MenuItem.h>
#include <PopUpMenu.h>
#include <StringView.h>
#include <TextControl.h>

using namespace window_test;

namespace {

// A tree laid out as a program's settings panel: a status line, a box of sixteen channel
// check boxes, a text field and a pop-up menu field.
BView* make_panel()
{
    auto* root = new BView(BRect(0, 0, 350, 190), "BGView", B_FOLLOW_ALL_SIDES,
                           B_WILL_DRAW | B_FRAME_EVENTS);
    root->SetViewColor(216, 216, 216);
    auto* status = new BStringView(BRect(10, 10, 340, 30), "StrViewStatus", "Ready.");
    root->AddChild(status);
    auto* box = new BBox(BRect(10, 45, 340, 120), "BoxChMasks");
    box->SetLabel("Channels");
    for (int i = 0; i < 16; i++) {
        const float left = 10 + 40 * (i % 8);
        const float top = i < 8 ? 20 : 45;
        auto* message = new BMessage('cchm');
        message->AddInt32("channel", i);
        auto* check = new BCheckBox(BRect(left, top, left + 30, top + 20), "New BCheckBox",
                                    std::string(1, char('A' + i)).c_str(), message);
        check->SetValue(i % 3 != 0);
        box->AddChild(check);
    }
    root->AddChild(box);
    auto* tail = new BTextControl(BRect(10, 130, 200, 150), "TxtCtrlTailMargin", "Tail:", "500",
                                  new BMessage('tail'));
    tail->SetDivider(50);
    tail->SetModificationMessage(new BMessage('tmod'));
    root->AddChild(tail);
    auto* menu = new BPopUpMenu("Format");
    menu->AddItem(new BMenuItem("Quit(Q)", new BMessage('fm0')));
    menu->AddItem(new BMenuItem("Q - Quit", new BMessage('fm1')));
    menu->ItemAt(1)->SetMarked(true);
    auto* field = new BMenuField(BRect(10, 160, 250, 180), "MenuFieldFormat", "Format:", menu);
    field->SetDivider(50);
    root->AddChild(field);
    return root;
}

BWindow* window_with(BView* view)
{
    auto* window =
        new BWindow(BRect(50, 50, 50 + view->Frame().Width(), 50 + view->Frame().Height()), "Panel",
                    B_TITLED_WINDOW, B_NOT_RESIZABLE);
    window->AddChild(view);
    window->Show();
    return window;
}

class GalleryTest : public ::testing::Test {
protected:
    void SetUp() override { offscreen(); }
    Watchdog fWatchdog;
};

} // namespace

TEST_F(GalleryTest, GalleryLooksAsItsGoldenScreenshot)
{
    auto* window = new GalleryWindow();
    window->Show();
    EXPECT_TRUE(matches_golden(frame_of(window), "gallery"));
    close(window);
}

TEST_F(GalleryTest, ArchivedPanelIsAndLooksAsTheOriginal)
{
    BWindow* original = window_with(make_panel());
    EXPECT_TRUE(matches_golden(frame_of(original), "archived_panel"));
    BView* copy;
    std::string dumped;
    {
        Locked lock(original);
        copy = view_dump::copy_through_archive<BView>(*original->FindView("BGView")).release();
        dumped = view_dump::dump(original->FindView("BGView"));
    }
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(view_dump::dump(copy), dumped);
    BWindow* restored = window_with(copy);
    EXPECT_TRUE(matches_golden(frame_of(restored), "archived_panel"));
    close(restored);
    close(original);
}
