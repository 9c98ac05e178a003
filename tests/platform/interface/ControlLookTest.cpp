// What the controls look like in each of their states, and that a tree of them survives an
// archive.

#include "WindowTestSupport.h"

#include "GoldenImage.h"
#include "ViewDump.h"

#include <Archivable.h>
#include <Box.h>
#include <Button.h>
#include <CheckBox.h>
#include <Font.h>
#include <RadioButton.h>
#include <StringView.h>
#include <TextControl.h>
#include <TextView.h>
#include <View.h>
#include <Window.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

using namespace window_test;

namespace {

constexpr rgb_color kPanel = {216, 216, 216, 255};

// A panel like a dialog's: a string view, a box of sixteen check boxes, a text control and
// buttons.
BView* make_dialog_panel()
{
    auto* panel = new BView(BRect(0, 0, 359, 239), "panel", B_FOLLOW_ALL, B_WILL_DRAW);
    panel->SetViewColor(kPanel);
    auto* status = new BStringView(BRect(10, 8, 340, 24), "status", "Drop files here");
    status->SetAlignment(B_ALIGN_CENTER);
    panel->AddChild(status);
    auto* box = new BBox(BRect(10, 30, 349, 120), "channels");
    box->SetLabel("Channels");
    for (int i = 0; i < 16; i++) {
        const float left = 10 + (i % 8) * 41;
        const float top = 20 + (i / 8) * 30;
        auto* check =
            new BCheckBox(BRect(left, top, left + 38, top + 18), ("ch" + std::to_string(i)).c_str(),
                          std::to_string(i + 1).c_str(), new BMessage('cchm'));
        check->SetValue(i % 3 == 0 ? B_CONTROL_ON : B_CONTROL_OFF);
        if (i >= 14)
            check->SetEnabled(false);
        box->AddChild(check);
    }
    panel->AddChild(box);
    auto* margin = new BTextControl(BRect(10, 130, 200, 147), "margin", "Tail margin", "250",
                                    new BMessage('invk'));
    margin->SetDivider(70);
    margin->SetModificationMessage(new BMessage('ttmc'));
    panel->AddChild(margin);
    auto* radio = new BRadioButton(BRect(210, 130, 349, 148), "radio", "Per track", nullptr);
    radio->SetValue(B_CONTROL_ON);
    panel->AddChild(radio);
    auto* other = new BRadioButton(BRect(210, 152, 349, 170), "other", "Per file", nullptr);
    panel->AddChild(other);
    auto* disabled = new BButton(BRect(10, 200, 90, 222), "help", "Help", new BMessage('help'));
    disabled->SetEnabled(false);
    panel->AddChild(disabled);
    panel->AddChild(
        new BButton(BRect(170, 200, 250, 222), "ButtonCancel", "Cancel", new BMessage('_cnc')));
    auto* ok = new BButton(BRect(260, 197, 349, 225), "ButtonOK", "OK", new BMessage('_ok'));
    ok->MakeDefault(true);
    panel->AddChild(ok);
    return panel;
}

class ControlLookTest : public ::testing::Test {
protected:
    void SetUp() override { offscreen(); }
    Watchdog watchdog;
};

} // namespace

TEST_F(ControlLookTest, DialogOfControlsLooksAsDesigned)
{
    auto* window = new BWindow(BRect(50, 50, 409, 289), "look", B_TITLED_WINDOW, 0);
    BView* panel = make_dialog_panel();
    window->AddChild(panel);
    window->Show();
    {
        Locked lock(window);
        // The field has the keyboard, with its text selected as Tab leaves it.
        panel->FindView("margin")->MakeFocus(true);
    }
    const BPrivate::DisplayFrame frame = frame_of(window);
    if (const char* path = getenv("CONTROLS_SCREENSHOT"))
        frame.WritePNG(path);

    // The focused field is framed in the navigation colour; the disabled button's label is
    // lighter than the enabled ones'.
    int32 blue = 0;
    for (int32 x = 80; x < 200; x++)
        blue += pixel(frame, x, 131) == ui_color(B_NAVIGATION_BASE_COLOR) ? 1 : 0;
    EXPECT_GT(blue, 100);
    auto darkest = [&frame](BRect area) {
        int32 dark = 255;
        for (int32 y = (int32)area.top; y <= area.bottom; y++)
            for (int32 x = (int32)area.left; x <= area.right; x++)
                dark = std::min(dark, (int32)pixel(frame, x, y).green);
        return dark;
    };
    EXPECT_GT(darkest(BRect(30, 205, 70, 218)), darkest(BRect(190, 205, 230, 218)) + 60);
    EXPECT_TRUE(matches_golden(frame, "controls"));
    close(window);
}

TEST_F(ControlLookTest, TreeOfControlsSurvivesADeepArchiveAndItsFlattenedForm)
{
    std::unique_ptr<BView> panel(make_dialog_panel());
    BFont bold(be_bold_font);
    bold.SetSize(10);
    panel->FindView("status")->SetFont(&bold);
    BMessage archive;
    ASSERT_EQ(panel->Archive(&archive, true), B_OK);
    std::vector<char> flat((size_t)archive.FlattenedSize());
    ASSERT_EQ(archive.Flatten(flat.data(), (ssize_t)flat.size()), B_OK);
    BMessage restored;
    ASSERT_EQ(restored.Unflatten(flat.data(), flat.size()), B_OK);
    std::unique_ptr<BView> copy(dynamic_cast<BView*>(instantiate_object(&restored)));
    ASSERT_NE(copy, nullptr);
    // The text control's field is in the dump once: a copy that made another would show it.
    EXPECT_EQ(view_dump::dump(copy.get()), view_dump::dump(panel.get()));

    // A disabled check box comes back navigable once it is enabled again.
    auto* last = static_cast<BCheckBox*>(copy->FindView("ch15"));
    EXPECT_EQ(last->Flags() & B_NAVIGABLE, 0u);
    last->SetEnabled(true);
    EXPECT_NE(last->Flags() & B_NAVIGABLE, 0u);

    // An archive of a class this program does not know makes the nearest class it does.
    BMessage unknown(restored);
    unknown.RemoveName("class");
    for (const char* name : {"SomeoneElsesView", "BView", "BHandler"})
        unknown.AddString("class", name);
    std::unique_ptr<BArchivable> nearest(instantiate_object(&unknown));
    EXPECT_NE(dynamic_cast<BView*>(nearest.get()), nullptr);
}
