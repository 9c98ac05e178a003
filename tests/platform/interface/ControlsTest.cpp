// The kit's controls in real windows on the offscreen display, driven by injected input:
// what they send, the values and focus they end with, what they look like in each of their
// states, and that a tree of them survives an archive.

#include "ControlTestSupport.h"

#include "GoldenImage.h"
#include "ViewDump.h"

#include <Box.h>
#include <Button.h>
#include <CheckBox.h>
#include <Control.h>
#include <Font.h>
#include <InterfaceDefs.h>
#include <RadioButton.h>
#include <StringView.h>
#include <TextControl.h>

#include <cmath>
#include <memory>
#include <utility>

using namespace control_test;

namespace {

using ControlsTest = control_test::ControlsFixture;

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

// The size a view asks for, as a point; of a view made for the purpose, too.
template <typename View>
BPoint preferred_size(View&& view)
{
    float width;
    float height;
    view.GetPreferredSize(&width, &height);
    return BPoint(width, height);
}

} // namespace

TEST_F(ControlsTest, CheckBoxTogglesOnReleaseInsideAndTellsItsTargetTheNewValue)
{
    auto* box =
        new BCheckBox(BRect(10, 10, 150, 30), "box", "Remove silence", new BMessage('chck'));
    Show({box});
    const BPoint where = At(box);
    click(window, where);
    click(window, BPoint(where.x + 40, where.y)); // on the label: the whole frame counts
    // Pressed, dragged off and let go outside: nothing happens.
    offscreen()->MouseDown(id_of(window), where);
    offscreen()->MouseMoved(id_of(window), BPoint(300, 150));
    offscreen()->MouseUp(id_of(window), BPoint(300, 150));

    const std::vector<BMessage> sent = Received('chck');
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(view_dump::message_text(&sent[0]) + "; " + view_dump::message_text(&sent[1]),
              "chck when source be:value=1; chck when source be:value=0");
    void* source = nullptr;
    sent[0].FindPointer("source", &source);
    EXPECT_EQ(source, box);
    EXPECT_EQ(ValueOf(box), B_CONTROL_OFF);
}

TEST_F(ControlsTest, DisabledControlsTakeNoClicksKeysOrEnterAndTabPassesThem)
{
    auto* first = new BCheckBox(BRect(10, 10, 150, 28), "first", "First", new BMessage('frst'));
    auto* middle = new BCheckBox(BRect(10, 40, 150, 58), "middle", "Middle", new BMessage('midl'));
    auto* last = new BCheckBox(BRect(10, 70, 150, 88), "last", "Last", new BMessage('last'));
    auto* button = new BButton(BRect(200, 10, 290, 34), "button", "OK", new BMessage('bttn'));
    auto* radio = new BRadioButton(BRect(200, 50, 300, 68), "radio", "One", new BMessage('rdio'));
    for (BControl* each : std::initializer_list<BControl*>{middle, button, radio})
        each->SetEnabled(false);
    Show({first, middle, last, button, radio});
    {
        Locked lock(window);
        window->SetDefaultButton(button);
    }
    click(window, At(middle));
    for (const auto& [modifiers, name] :
         {std::pair<uint32, const char*>{0, "first"}, {0, "last"}, {B_SHIFT_KEY, "first"}}) {
        type(window, "\t", modifiers);
        EXPECT_EQ(FocusName(), name);
    }
    for (BControl* each : std::initializer_list<BControl*>{middle, button, radio}) {
        // Given the keyboard by hand, as a disabled control never is otherwise.
        Focus(each);
        click(window, At(each));
        type(window, " ");
        type(window, "\n");
        EXPECT_EQ(ValueOf(each), B_CONTROL_OFF) << each->Name();
    }
    {
        Locked lock(window);
        radio->MakeFocus(false);
    }
    type(window, "\n");
    for (uint32 what : {'midl', 'bttn', 'rdio'})
        EXPECT_TRUE(Received(what).empty());
    {
        Locked lock(window);
        middle->SetEnabled(true);
        first->MakeFocus(true);
    }
    type(window, "\t");
    EXPECT_EQ(FocusName(), "middle");
    Locked lock(window);
    // Disabling the focus takes the focus away, so that Tab is never swallowed.
    middle->SetEnabled(false);
    EXPECT_EQ(window->CurrentFocus(), nullptr);
}

TEST_F(ControlsTest, SpaceUsesTheFocusedControlTabLeavesItAndEnterGoesToTheDefaultButton)
{
    auto* box = new BCheckBox(BRect(10, 10, 150, 28), "box", "Option", new BMessage('chck'));
    auto* cancel = new BButton(BRect(110, 140, 190, 162), "cancel", "Cancel", new BMessage('cncl'));
    auto* ok = new BButton(BRect(200, 140, 280, 162), "ok", "OK", new BMessage('_ok'));
    Show({box, cancel, ok});
    {
        Locked lock(window);
        window->SetDefaultButton(ok);
        EXPECT_TRUE(ok->IsDefault());
        box->MakeFocus(true);
    }
    type(window, " ");  // toggles the check box
    type(window, "\n"); // the default button, not the check box
    EXPECT_EQ(ValueOf(box), B_CONTROL_ON);
    Focus(cancel);
    type(window, " ");  // presses the focused button
    type(window, "\t"); // a button passes Tab on
    EXPECT_EQ(FocusName(), "ok");
    EXPECT_EQ(Received('chck').size(), 1u);
    EXPECT_EQ(Received('_ok').size(), 1u);
    EXPECT_EQ(Received('cncl').size(), 1u);

    Locked lock(window);
    // One default button at a time; the old one gives up its heavier frame.
    const BPoint plain = preferred_size(*cancel);
    cancel->MakeDefault(true);
    EXPECT_EQ(window->DefaultButton(), cancel);
    EXPECT_FALSE(ok->IsDefault());
    const BPoint heavier = preferred_size(*cancel);
    EXPECT_GT(heavier.x, plain.x);
    EXPECT_GT(heavier.y, plain.y);
    EXPECT_GE(plain.x, 75);
    window->SetDefaultButton(nullptr);
    EXPECT_FALSE(cancel->IsDefault());
}

TEST_F(ControlsTest, ButtonShowsPressedWhileTrackedInsideAndInvokesOnlyOnReleaseInside)
{
    auto* button = new BButton(BRect(20, 20, 120, 44), "button", "Press", new BMessage('prss'));
    Show({button});
    const BPoint where = At(button);
    const rgb_color up = pixel(frame_of(window), 30, 40);
    BPrivate::Display* display = offscreen();
    display->MouseDown(id_of(window), where);
    EXPECT_NE(pixel(frame_of(window), 30, 40), up);
    display->MouseMoved(id_of(window), BPoint(250, 150));
    EXPECT_EQ(pixel(frame_of(window), 30, 40), up);
    EXPECT_EQ(ValueOf(button), B_CONTROL_OFF);
    display->MouseMoved(id_of(window), where);
    settle(window);
    EXPECT_EQ(ValueOf(button), B_CONTROL_ON);
    display->MouseUp(id_of(window), where);
    // Let go outside: no message.
    display->MouseDown(id_of(window), where);
    display->MouseUp(id_of(window), BPoint(250, 150));
    EXPECT_EQ(Received('prss').size(), 1u);
    EXPECT_EQ(ValueOf(button), B_CONTROL_OFF);

    // Switched off while held, it comes up when let go, sends nothing, and once enabled
    // again looks as it did before the press.
    display->MouseDown(id_of(window), where);
    settle(window);
    {
        Locked lock(window);
        EXPECT_EQ(button->Value(), B_CONTROL_ON);
        button->SetEnabled(false);
    }
    display->MouseUp(id_of(window), where);
    settle(window);
    {
        Locked lock(window);
        EXPECT_EQ(button->Value(), B_CONTROL_OFF);
        button->SetEnabled(true);
    }
    EXPECT_EQ(pixel(frame_of(window), 30, 40), up);
    EXPECT_EQ(Received('prss').size(), 1u);
}

TEST_F(ControlsTest, RadioButtonTurnsOffTheOthersOfItsParentOnly)
{
    auto* group = new BBox(BRect(10, 10, 150, 110), "group");
    auto* other = new BBox(BRect(160, 10, 300, 110), "other");
    BRadioButton* radios[3];
    for (int i = 0; i < 3; i++) {
        radios[i] = new BRadioButton(BRect(10, 10 + 25 * i, 130, 28 + 25 * i),
                                     ("radio" + std::to_string(i)).c_str(), "Choice",
                                     new BMessage('rad0' + i));
        radios[i]->SetTarget(recorder);
        group->AddChild(radios[i]);
    }
    auto* elsewhere = new BRadioButton(BRect(10, 10, 130, 28), "elsewhere", "Elsewhere", nullptr);
    other->AddChild(elsewhere);
    radios[0]->SetValue(B_CONTROL_ON);
    elsewhere->SetValue(B_CONTROL_ON);
    Show({group, other});

    click(window, At(radios[1]));
    EXPECT_EQ(ValueOf(radios[0]), B_CONTROL_OFF);
    EXPECT_EQ(ValueOf(radios[1]), B_CONTROL_ON);
    EXPECT_EQ(ValueOf(elsewhere), B_CONTROL_ON);
    Focus(radios[2]);
    type(window, " ");
    EXPECT_EQ(ValueOf(radios[1]), B_CONTROL_OFF);
    EXPECT_EQ(ValueOf(radios[2]), B_CONTROL_ON);
    ASSERT_EQ(Received('rad1').size(), 1u);
    EXPECT_EQ(int32_of(Received('rad1')[0], "be:value"), 1);
    EXPECT_EQ(Received('rad2').size(), 1u);
}

TEST_F(ControlsTest, CheckBoxAndRadioButtonAskForTheirMarkAndTheWholeLabel)
{
    const char* kLong = "Remove silence at the end";
    const BPoint shortBox = preferred_size(BCheckBox(BRect(0, 0, 10, 10), "short", "On", nullptr));
    const BPoint longBox = preferred_size(BCheckBox(BRect(0, 0, 10, 10), "long", kLong, nullptr));
    const BPoint bare = preferred_size(BCheckBox(BRect(0, 0, 10, 10), "bare", nullptr, nullptr));
    const BPoint radio = preferred_size(BRadioButton(BRect(0, 0, 10, 10), "radio", kLong, nullptr));

    // The label starts after the mark and is measured whole; the height is that of a line
    // of text, and never less than the mark's.
    EXPECT_EQ(longBox.x - shortBox.x, std::ceil(be_plain_font->StringWidth(kLong)) -
                                          std::ceil(be_plain_font->StringWidth("On")));
    EXPECT_GE(bare.x, 14);
    EXPECT_LT(bare.x, shortBox.x);
    EXPECT_GE(bare.y, 14);
    EXPECT_EQ(longBox.y, shortBox.y);
    // Both kinds put the same mark before the same label.
    EXPECT_EQ(radio, longBox);
}

TEST_F(ControlsTest, DialogOfControlsLooksAsDesignedAndSurvivesADeepArchiveAndItsFlattenedForm)
{
    window = new BWindow(BRect(50, 50, 409, 289), "look", B_TITLED_WINDOW, 0);
    BView* panel = make_dialog_panel();
    window->AddChild(panel);
    window->Show();
    // The field has the keyboard, with its text selected as Tab leaves it.
    Focus(panel->FindView("margin"));
    const BPrivate::DisplayFrame frame = frame_of(window);
    // The focused field is framed in the navigation colour (too thin a line for the golden's
    // tolerance to notice).
    int32 blue = 0;
    for (int32 x = 80; x < 200; x++)
        blue += pixel(frame, x, 131) == ui_color(B_NAVIGATION_BASE_COLOR) ? 1 : 0;
    EXPECT_GT(blue, 100);
    EXPECT_TRUE(matches_golden(frame, "controls"));

    std::unique_ptr<BView> copy;
    {
        Locked lock(window);
        BFont bold(be_bold_font);
        bold.SetSize(10);
        panel->FindView("status")->SetFont(&bold);
        copy = view_dump::copy_through_archive<BView>(*panel);
        ASSERT_NE(copy, nullptr);
        // The text control's field is in the dump once: a copy that made another would show
        // it.
        EXPECT_EQ(view_dump::dump(copy.get()), view_dump::dump(panel));
    }
    // A disabled check box comes back navigable once it is enabled again.
    auto* last = static_cast<BCheckBox*>(copy->FindView("ch15"));
    EXPECT_EQ(last->Flags() & B_NAVIGABLE, 0u);
    last->SetEnabled(true);
    EXPECT_NE(last->Flags() & B_NAVIGABLE, 0u);
}
