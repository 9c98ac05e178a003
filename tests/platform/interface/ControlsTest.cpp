// The kit's controls in real windows on the offscreen display, driven by injected input:
// what they send, the values and focus they end with, and what they draw.

#include "WindowTestSupport.h"

#include "GoldenImage.h"

#include <Archivable.h>
#include <Box.h>
#include <Button.h>
#include <CheckBox.h>
#include <Control.h>
#include <InterfaceDefs.h>
#include <Invoker.h>
#include <RadioButton.h>
#include <StringView.h>
#include <TextControl.h>
#include <TextView.h>
#include <View.h>
#include <Window.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

using namespace window_test;

namespace {

constexpr rgb_color kPanel = {216, 216, 216, 255};

class ControlWindow : public BWindow {
public:
    explicit ControlWindow(BRect frame = BRect(100, 100, 419, 279))
        : BWindow(frame, "controls", B_TITLED_WINDOW, B_ASYNCHRONOUS_CONTROLS)
    {
        panel = new BView(Bounds(), "panel", B_FOLLOW_ALL, B_WILL_DRAW);
        panel->SetViewColor(kPanel);
        AddChild(panel);
    }
    BView* panel;
};

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        offscreen();
        recorder = new Recorder();
    }
    void TearDown() override { recorder->Stop(); }

    // The messages of one command that reached the recorder (after Drain()).
    std::vector<BMessage> Received(uint32 what)
    {
        std::vector<BMessage> found;
        for (const BMessage& message : recorder->Messages()) {
            if (message.what == what)
                found.push_back(message);
        }
        return found;
    }
    // Once the window has handled everything and the recorder has answered a message sent
    // after that, whatever the window sent has arrived.
    void Drain(BWindow* window)
    {
        settle(window);
        BMessage reply;
        BMessenger(nullptr, recorder).SendMessage('sync', &reply);
    }
    std::string FocusName(BWindow* window)
    {
        Locked lock(window);
        BView* focus = window->CurrentFocus();
        return focus != nullptr ? focus->Name() : "none";
    }

    Recorder* recorder = nullptr;
    Watchdog watchdog;
};

BPoint center_of(BView* view)
{
    const BRect frame = view->ConvertToScreen(view->Bounds());
    const BRect window = view->Window()->Frame();
    return BPoint((frame.left + frame.right) / 2 - window.left,
                  (frame.top + frame.bottom) / 2 - window.top);
}

int32 value_of(const BMessage& message)
{
    int32 value = -1;
    message.FindInt32("be:value", &value);
    return value;
}

} // namespace

TEST_F(ControlsTest, CheckBoxTogglesOnReleaseInsideAndTellsItsTargetTheNewValue)
{
    auto* window = new ControlWindow();
    auto* box = new BCheckBox(BRect(10, 10, 150, 30), "box", "Remove silence",
                              new BMessage('chck'));
    box->SetTarget(recorder);
    window->panel->AddChild(box);
    window->Show();
    BPoint where;
    {
        Locked lock(window);
        where = center_of(box);
    }

    click(window, where);
    click(window, BPoint(where.x + 40, where.y)); // on the label: the whole frame counts
    // Pressed, dragged off and let go outside: nothing happens.
    offscreen()->MouseDown(id_of(window), where);
    offscreen()->MouseMoved(id_of(window), BPoint(300, 150));
    offscreen()->MouseUp(id_of(window), BPoint(300, 150));
    Drain(window);

    const std::vector<BMessage> sent = Received('chck');
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(value_of(sent[0]), 1);
    EXPECT_EQ(value_of(sent[1]), 0);
    void* source = nullptr;
    EXPECT_EQ(sent[0].FindPointer("source", &source), B_OK);
    EXPECT_EQ(source, box);
    EXPECT_TRUE(sent[0].HasInt64("when"));
    {
        Locked lock(window);
        EXPECT_EQ(box->Value(), B_CONTROL_OFF);
    }
    close(window);
}

TEST_F(ControlsTest, DisabledCheckBoxIgnoresClicksAndKeysAndTabPassesIt)
{
    auto* window = new ControlWindow();
    auto* first = new BCheckBox(BRect(10, 10, 150, 28), "first", "First", new BMessage('frst'));
    auto* middle = new BCheckBox(BRect(10, 40, 150, 58), "middle", "Middle",
                                 new BMessage('midl'));
    auto* last = new BCheckBox(BRect(10, 70, 150, 88), "last", "Last", new BMessage('last'));
    for (BCheckBox* each : {first, middle, last}) {
        each->SetTarget(recorder);
        window->panel->AddChild(each);
    }
    middle->SetEnabled(false);
    window->Show();
    BPoint where;
    {
        Locked lock(window);
        where = center_of(middle);
    }

    click(window, where);
    type(window, "\t");
    EXPECT_EQ(FocusName(window), "first");
    type(window, "\t");
    EXPECT_EQ(FocusName(window), "last");
    type(window, "\t", B_SHIFT_KEY);
    EXPECT_EQ(FocusName(window), "first");
    {
        Locked lock(window);
        EXPECT_EQ(middle->Value(), B_CONTROL_OFF);
        // Giving it the keyboard by hand does not make it take keys either.
        middle->MakeFocus(true);
    }
    type(window, " ");
    {
        Locked lock(window);
        EXPECT_EQ(middle->Value(), B_CONTROL_OFF);
        middle->SetEnabled(true);
        first->MakeFocus(true);
    }
    type(window, "\t");
    EXPECT_EQ(FocusName(window), "middle");
    {
        Locked lock(window);
        // Disabling the focus takes the focus away, so that Tab is never swallowed.
        middle->SetEnabled(false);
        EXPECT_EQ(window->CurrentFocus(), nullptr);
    }
    Drain(window);
    EXPECT_TRUE(Received('midl').empty());
    close(window);
}

TEST_F(ControlsTest, DisabledButtonsTakeNoClicksKeysOrEnterAsTheDefault)
{
    auto* window = new ControlWindow();
    auto* button = new BButton(BRect(10, 10, 100, 34), "button", "OK", new BMessage('bttn'));
    auto* radio = new BRadioButton(BRect(10, 50, 150, 68), "radio", "One", new BMessage('rdio'));
    for (BControl* each : std::initializer_list<BControl*>{button, radio}) {
        each->SetTarget(recorder);
        window->panel->AddChild(each);
        each->SetEnabled(false);
    }
    window->SetDefaultButton(button);
    window->Show();
    for (BControl* each : std::initializer_list<BControl*>{button, radio}) {
        BPoint where;
        {
            Locked lock(window);
            where = center_of(each);
            // Given the keyboard by hand, as a disabled control never is otherwise.
            each->MakeFocus(true);
        }
        click(window, where);
        type(window, " ");
        type(window, "\n");
    }
    {
        Locked lock(window);
        radio->MakeFocus(false);
    }
    type(window, "\n");
    Drain(window);
    EXPECT_TRUE(Received('bttn').empty());
    EXPECT_TRUE(Received('rdio').empty());
    {
        Locked lock(window);
        EXPECT_EQ(button->Value(), B_CONTROL_OFF);
        EXPECT_EQ(radio->Value(), B_CONTROL_OFF);
    }
    close(window);
}

TEST_F(ControlsTest, SpaceUsesTheFocusedControlAndEnterGoesToTheDefaultButton)
{
    auto* window = new ControlWindow();
    auto* box = new BCheckBox(BRect(10, 10, 150, 28), "box", "Option", new BMessage('chck'));
    auto* cancel = new BButton(BRect(110, 140, 190, 162), "cancel", "Cancel",
                               new BMessage('cncl'));
    auto* ok = new BButton(BRect(200, 140, 280, 162), "ok", "OK", new BMessage('_ok'));
    for (BControl* each : std::initializer_list<BControl*>{box, cancel, ok}) {
        each->SetTarget(recorder);
        window->panel->AddChild(each);
    }
    window->SetDefaultButton(ok);
    window->Show();
    {
        Locked lock(window);
        EXPECT_TRUE(ok->IsDefault());
        box->MakeFocus(true);
    }

    type(window, " ");  // toggles the check box
    type(window, "\n"); // the default button, not the check box
    {
        Locked lock(window);
        EXPECT_EQ(box->Value(), B_CONTROL_ON);
        cancel->MakeFocus(true);
    }
    type(window, " "); // presses the focused button
    Drain(window);
    EXPECT_EQ(Received('chck').size(), 1u);
    EXPECT_EQ(Received('_ok').size(), 1u);
    EXPECT_EQ(Received('cncl').size(), 1u);

    {
        Locked lock(window);
        // One default button at a time; the old one gives up its heavier frame.
        float width;
        float height;
        float defaultWidth;
        float defaultHeight;
        cancel->GetPreferredSize(&width, &height);
        cancel->MakeDefault(true);
        EXPECT_EQ(window->DefaultButton(), cancel);
        EXPECT_FALSE(ok->IsDefault());
        cancel->GetPreferredSize(&defaultWidth, &defaultHeight);
        EXPECT_GT(defaultWidth, width);
        EXPECT_GT(defaultHeight, height);
        EXPECT_GE(width, 75);
        window->SetDefaultButton(nullptr);
        EXPECT_FALSE(cancel->IsDefault());
    }
    close(window);
}

TEST_F(ControlsTest, ButtonShowsPressedWhileTrackedInsideAndInvokesOnlyOnReleaseInside)
{
    auto* window = new ControlWindow();
    auto* button = new BButton(BRect(20, 20, 120, 44), "button", "Press", new BMessage('prss'));
    button->SetTarget(recorder);
    window->panel->AddChild(button);
    window->Show();
    BPoint where;
    {
        Locked lock(window);
        where = center_of(button);
    }
    const rgb_color up = pixel(frame_of(window), 30, 40);

    BPrivate::Display* display = offscreen();
    display->MouseDown(id_of(window), where);
    settle(window);
    const rgb_color down = pixel(frame_of(window), 30, 40);
    EXPECT_NE(down, up);
    display->MouseMoved(id_of(window), BPoint(250, 150));
    settle(window);
    {
        Locked lock(window);
        EXPECT_EQ(button->Value(), B_CONTROL_OFF);
    }
    EXPECT_EQ(pixel(frame_of(window), 30, 40), up);
    display->MouseMoved(id_of(window), where);
    settle(window);
    {
        Locked lock(window);
        EXPECT_EQ(button->Value(), B_CONTROL_ON);
    }
    display->MouseUp(id_of(window), where);
    // Let go outside: no message.
    display->MouseDown(id_of(window), where);
    display->MouseUp(id_of(window), BPoint(250, 150));
    Drain(window);
    EXPECT_EQ(Received('prss').size(), 1u);
    {
        Locked lock(window);
        EXPECT_EQ(button->Value(), B_CONTROL_OFF);
    }
    close(window);
}

TEST_F(ControlsTest, RadioButtonTurnsOffTheOthersOfItsParentOnly)
{
    auto* window = new ControlWindow();
    auto* group = new BBox(BRect(10, 10, 150, 110), "group");
    auto* other = new BBox(BRect(160, 10, 300, 110), "other");
    BRadioButton* radios[3];
    for (int i = 0; i < 3; i++) {
        radios[i] = new BRadioButton(BRect(10, 10 + 25 * i, 130, 28 + 25 * i),
                                     ("radio" + std::to_string(i)).c_str(),
                                     ("Choice " + std::to_string(i)).c_str(),
                                     new BMessage('rad0' + i));
        radios[i]->SetTarget(recorder);
        group->AddChild(radios[i]);
    }
    auto* elsewhere = new BRadioButton(BRect(10, 10, 130, 28), "elsewhere", "Elsewhere", nullptr);
    other->AddChild(elsewhere);
    window->panel->AddChild(group);
    window->panel->AddChild(other);
    BPoint second;
    {
        radios[0]->SetValue(B_CONTROL_ON);
        elsewhere->SetValue(B_CONTROL_ON);
    }
    window->Show();
    {
        Locked lock(window);
        second = center_of(radios[1]);
    }

    click(window, second);
    {
        Locked lock(window);
        EXPECT_EQ(radios[0]->Value(), B_CONTROL_OFF);
        EXPECT_EQ(radios[1]->Value(), B_CONTROL_ON);
        EXPECT_EQ(elsewhere->Value(), B_CONTROL_ON);
        radios[2]->MakeFocus(true);
    }
    type(window, " ");
    {
        Locked lock(window);
        EXPECT_EQ(radios[1]->Value(), B_CONTROL_OFF);
        EXPECT_EQ(radios[2]->Value(), B_CONTROL_ON);
    }
    Drain(window);
    ASSERT_EQ(Received('rad1').size(), 1u);
    EXPECT_EQ(value_of(Received('rad1')[0]), 1);
    EXPECT_EQ(Received('rad2').size(), 1u);
    close(window);
}

TEST_F(ControlsTest, TabCyclesThroughTheNavigableControlsIncludingTheTextField)
{
    auto* window = new ControlWindow();
    auto* label = new BStringView(BRect(10, 10, 150, 25), "label", "Not navigable");
    auto* box = new BCheckBox(BRect(10, 30, 150, 48), "box", "Option", nullptr);
    auto* field = new BTextControl(BRect(10, 60, 200, 77), "field", "Name", "", nullptr);
    auto* button = new BButton(BRect(200, 140, 280, 162), "button", "OK", nullptr);
    window->panel->AddChild(label);
    window->panel->AddChild(box);
    window->panel->AddChild(field);
    window->panel->AddChild(button);
    window->Show();

    type(window, "\t");
    EXPECT_EQ(FocusName(window), "box");
    type(window, "\t");
    EXPECT_EQ(FocusName(window), "_input_");
    type(window, "\t");
    EXPECT_EQ(FocusName(window), "button");
    type(window, "\t");
    EXPECT_EQ(FocusName(window), "box");
    type(window, "\t", B_SHIFT_KEY);
    EXPECT_EQ(FocusName(window), "button");
    type(window, "\t", B_SHIFT_KEY);
    EXPECT_EQ(FocusName(window), "_input_");
    {
        Locked lock(window);
        box->MakeFocus(true);
        // Focusing the control focuses its field.
        field->MakeFocus(true);
        EXPECT_EQ(window->CurrentFocus(), field->TextView());
    }
    close(window);
}

TEST_F(ControlsTest, CheckBoxAndRadioButtonAskForTheirMarkAndTheWholeLabel)
{
    BCheckBox shortBox(BRect(0, 0, 10, 10), "short", "On", nullptr);
    BCheckBox longBox(BRect(0, 0, 10, 10), "long", "Remove silence at the end", nullptr);
    BCheckBox bare(BRect(0, 0, 10, 10), "bare", nullptr, nullptr);
    BRadioButton radio(BRect(0, 0, 10, 10), "radio", "Remove silence at the end", nullptr);
    float shortWidth;
    float shortHeight;
    float longWidth;
    float longHeight;
    float bareWidth;
    float bareHeight;
    float radioWidth;
    float radioHeight;
    shortBox.GetPreferredSize(&shortWidth, &shortHeight);
    longBox.GetPreferredSize(&longWidth, &longHeight);
    bare.GetPreferredSize(&bareWidth, &bareHeight);
    radio.GetPreferredSize(&radioWidth, &radioHeight);

    // The label starts after the mark and is measured whole; the height is that of a line
    // of text, and never less than the mark's.
    EXPECT_EQ(longWidth - shortWidth,
              std::ceil(longBox.StringWidth("Remove silence at the end")) -
                  std::ceil(shortBox.StringWidth("On")));
    EXPECT_GE(bareWidth, 14);
    EXPECT_LT(bareWidth, shortWidth);
    EXPECT_GE(bareHeight, 14);
    EXPECT_EQ(longHeight, shortHeight);
    // Both kinds put the same mark before the same label.
    EXPECT_EQ(radioWidth, longWidth);
    EXPECT_EQ(radioHeight, longHeight);
}

TEST_F(ControlsTest, ButtonSwitchedOffWhileHeldComesUpWhenLetGoAndSendsNothing)
{
    auto* window = new ControlWindow();
    auto* button = new BButton(BRect(20, 20, 120, 44), "button", "Press", new BMessage('prss'));
    button->SetTarget(recorder);
    window->panel->AddChild(button);
    window->Show();
    BPoint where;
    {
        Locked lock(window);
        where = center_of(button);
    }
    const rgb_color up = pixel(frame_of(window), 30, 40);

    BPrivate::Display* display = offscreen();
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
    // Enabled again, it looks as it did before the press.
    EXPECT_EQ(pixel(frame_of(window), 30, 40), up);
    Drain(window);
    EXPECT_TRUE(Received('prss').empty());
    close(window);
}
