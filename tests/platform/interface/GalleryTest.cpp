// The gallery and an archived view tree, as a person would look at them: against golden
// screenshots kept in golden/, so that a drawing regression fails here.

#include "GalleryWindow.h"
#include "GoldenImage.h"
#include "WindowTestSupport.h"

#include <Archivable.h>
#include <Box.h>
#include <CheckBox.h>
#include <DataIO.h>
#include <MenuField.h>
#include <MenuItem.h>
#include <PopUpMenu.h>
#include <StringView.h>
#include <TextControl.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

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

BView* through_archive(BView* view)
{
    BMessage archive;
    EXPECT_EQ(view->Archive(&archive, true), B_OK);
    BMallocIO flat;
    EXPECT_EQ(archive.Flatten(&flat), B_OK);
    flat.Seek(0, SEEK_SET);
    BMessage read;
    EXPECT_EQ(read.Unflatten(&flat), B_OK);
    return dynamic_cast<BView*>(instantiate_object(&read));
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

TEST_F(GalleryTest, PanelSurvivesArchiveFlattenAndInstantiate)
{
    std::unique_ptr<BView> original(make_panel());
    std::unique_ptr<BView> copy(through_archive(original.get()));
    ASSERT_NE(copy, nullptr);
    EXPECT_STREQ(copy->Name(), "BGView");
    EXPECT_EQ(copy->Frame(), original->Frame());

    auto* status = dynamic_cast<BStringView*>(copy->FindView("StrViewStatus"));
    ASSERT_NE(status, nullptr);
    EXPECT_STREQ(status->Text(), "Ready.");
    EXPECT_EQ(status->Frame(), BRect(10, 10, 340, 30));

    auto* box = dynamic_cast<BBox*>(copy->FindView("BoxChMasks"));
    ASSERT_NE(box, nullptr);
    EXPECT_STREQ(box->Label(), "Channels");
    ASSERT_EQ(box->CountChildren(), 16);
    for (int32 i = 0; i < 16; i++) {
        auto* check = dynamic_cast<BCheckBox*>(box->ChildAt(i));
        ASSERT_NE(check, nullptr) << i;
        EXPECT_STREQ(check->Name(), "New BCheckBox");
        EXPECT_EQ(check->Frame(), box->ChildAt(i)->Frame());
        EXPECT_EQ(check->Frame(),
                  dynamic_cast<BBox*>(original->FindView("BoxChMasks"))->ChildAt(i)->Frame());
        EXPECT_EQ(std::string(check->Label()), std::string(1, char('A' + i)));
        EXPECT_EQ(check->Value(), i % 3 != 0 ? 1 : 0);
        ASSERT_NE(check->Message(), nullptr);
        EXPECT_EQ(check->Message()->what, (uint32)'cchm');
        int32 channel = -1;
        EXPECT_EQ(check->Message()->FindInt32("channel", &channel), B_OK);
        EXPECT_EQ(channel, i);
    }

    auto* tail = dynamic_cast<BTextControl*>(copy->FindView("TxtCtrlTailMargin"));
    ASSERT_NE(tail, nullptr);
    EXPECT_STREQ(tail->Label(), "Tail:");
    EXPECT_STREQ(tail->Text(), "500");
    EXPECT_EQ(tail->Divider(), 50);
    ASSERT_NE(tail->Message(), nullptr);
    EXPECT_EQ(tail->Message()->what, (uint32)'tail');
    ASSERT_NE(tail->ModificationMessage(), nullptr);
    EXPECT_EQ(tail->ModificationMessage()->what, (uint32)'tmod');

    auto* field = dynamic_cast<BMenuField*>(copy->FindView("MenuFieldFormat"));
    ASSERT_NE(field, nullptr);
    EXPECT_STREQ(field->Label(), "Format:");
    EXPECT_EQ(field->Divider(), 50);
    ASSERT_NE(field->Menu(), nullptr);
    ASSERT_EQ(field->Menu()->CountItems(), 2);
    EXPECT_TRUE(field->Menu()->ItemAt(1)->IsMarked());
    EXPECT_FALSE(field->Menu()->ItemAt(0)->IsMarked());
    EXPECT_EQ(field->Menu()->ItemAt(0)->Message()->what, (uint32)'fm0');
}

TEST_F(GalleryTest, ArchivedPanelLooksAsTheOriginal)
{
    BWindow* original = window_with(make_panel());
    EXPECT_TRUE(matches_golden(frame_of(original), "archived_panel"));
    BView* copy;
    {
        Locked lock(original);
        copy = through_archive(original->FindView("BGView"));
    }
    ASSERT_NE(copy, nullptr);
    BWindow* restored = window_with(copy);
    EXPECT_TRUE(matches_golden(frame_of(restored), "archived_panel"));
    close(restored);
    close(original);
}
