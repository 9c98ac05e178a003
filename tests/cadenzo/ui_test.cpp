// The window framework in real windows on the offscreen display, driven by injected input:
// accelerator labels, placement, closing by hiding, notifications, targets, shortcuts and
// gestures.

#include "WindowTestSupport.h"

#include "iap/IAPItemAccKeyFormat.h"
#include "settings/Prefs.h"
#include "ui/DialogView.h"
#include "ui/DialogWindow.h"
#include "ui/ShortCuts.h"

#include <Button.h>
#include <InterfaceDefs.h>
#include <Screen.h>
#include <TextView.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>

using namespace window_test;

namespace {

// What the windows and views of a test did, in order.
class Log : public MessageLog {
public:
    void Add(const std::string& entry) { MessageLog::Add(entry, BMessage()); }
    std::string Joined()
    {
        std::string all;
        for (const auto& entry : Entries())
            all += (all.empty() ? "" : " ") + entry.first;
        return all;
    }
};

// A top view that logs its notifications and every gesture.
class LoggingView : public TDialogView {
public:
    LoggingView(BRect frame, Log* log)
        : TDialogView(frame, "top", B_FOLLOW_NONE, B_WILL_DRAW), fLog(log)
    {
    }
    void LanguageChanged() override { fLog->Add("view"); }
    void MouseClickLeftDouble(BPoint) override { fLog->Add("ClickLeftDouble"); }
    void MouseClickLeftSingle(BPoint) override { fLog->Add("ClickLeftSingle"); }
    void MouseClickRightSingle(BPoint) override { fLog->Add("ClickRightSingle"); }
    void MouseDownLeft(BPoint) override { fLog->Add("DownLeft"); }
    void MouseDownRight(BPoint) override { fLog->Add("DownRight"); }
    void MouseDragBeginLeft(BPoint, BPoint) override { fLog->Add("DragBeginLeft"); }
    void MouseDragEndLeft(BPoint, BPoint) override { fLog->Add("DragEndLeft"); }
    void MouseDraggingLeft(BPoint, BPoint) override { fLog->Add("DraggingLeft"); }
    void MouseUpLeft(BPoint) override { fLog->Add("UpLeft"); }
    void MouseUpRight(BPoint) override { fLog->Add("UpRight"); }

private:
    Log* fLog;
};

// A dialog window whose top view is a LoggingView of 100 by 100 in a 200 by 150 window, so
// that the pointer can leave the view.
class TestWindow : public TDialogWindow {
public:
    explicit TestWindow(Log* log, BRect frame = BRect(100, 100, 299, 249))
        : TDialogWindow(frame, "test", B_TITLED_WINDOW, 0, B_CURRENT_WORKSPACE), fLog(log)
    {
        view = new LoggingView(BRect(0, 0, 99, 99), log);
        AddChild(view);
    }
    BButton* AddButton(const char* name, const char* label, BHandler* target)
    {
        Locked lock(this);
        auto* button = new BButton(BRect(0, 0, 80, 20), name, label, new BMessage('clik'));
        view->AddChild(button);
        button->SetTarget(target);
        return button;
    }
    void LanguageChanged() override { fLog->Add("window"); }

    LoggingView* view;

private:
    Log* fLog;
};

class UITest : public ::testing::Test {
protected:
    void SetUp() override
    {
        offscreen();
        window = new TestWindow(&log);
        window->Show();
        recorder = new Recorder();
    }
    void TearDown() override
    {
        close(window);
        recorder->Stop();
    }
    // The names of the buttons that the recorder heard from, once the window is done.
    std::string Clicked()
    {
        settle(window);
        BMessage reply;
        BMessenger(nullptr, recorder).SendMessage('sync', &reply);
        std::string names;
        for (const BMessage& message : recorder->Messages()) {
            BView* source = nullptr;
            if (message.what == 'clik' && message.FindPointer("source", (void**)&source) == B_OK)
                names += (names.empty() ? "" : " ") + std::string(source->Name());
        }
        return names;
    }

    Watchdog watchdog;
    Log log;
    TestWindow* window;
    Recorder* recorder;
};

TEST(AccLabel, PlacesTheLetterAsTheFormatSays)
{
    const std::string dots = "Preferences...";
    const struct {
        std::string format, key, label, expected;
    } cases[] = {
        // The five formats of the common preference, in order.
        {kAccKeyFormats[0], "Q", "Quit", "Quit(Q)"},
        {kAccKeyFormats[1], "Q", "Quit", "Q) Quit"},
        {kAccKeyFormats[2], "Q", "Quit", "Q\u30FBQuit"},
        {kAccKeyFormats[3], "Q", "Quit", "Q - Quit"},
        {kAccKeyFormats[4], "Q", "Quit", "Quit"},
        // After the text, before a trailing marker and the spaces in front of it.
        {kAccKeyFormats[0], "P", dots, "Preferences(P)..."},
        {kAccKeyFormats[1], "P", dots, "P) Preferences..."},
        {kAccKeyFormats[0], "N", "Name :", "Name(N) :"},
        {kAccKeyFormats[0], "S", "Save as [text]...", "Save as [text](S)..."},
        {kAccKeyFormats[0], "W", "Width\uFF1A", "Width(W)\uFF1A"},
        {kAccKeyFormats[0], "N", "Next \u2192", "Next(N) \u2192"},
        // Formats from outside: the template's "a" never stands at the placement byte.
        {"a", "Q", "Quit", "Quit"},
        {"a(a)", "Q", "Quit", "Quit(Q)"},
        {"\002", "Q", "Quit", "Quit"},
        {"\001", "Q", "Quit", "Quit"},
    };
    for (const auto& each : cases) {
        EXPECT_EQ(merge_accelerator_key(each.format, each.key, each.label), each.expected)
            << each.label;
        gAppPrivacy->SetAccFormat(each.format);
        EXPECT_EQ(acc_label(each.key, each.label), each.expected) << each.label;
    }
    gAppPrivacy->SetAccFormat("");
}

TEST(ShortCutFromLabel, FindsTheLetterOfEveryFormat)
{
    const struct {
        const char* label;
        char letter;
    } cases[] = {
        {"Quit(Q)", 'q'},  {"Q) Quit", 'q'}, {"Q\u30FBQuit", 'q'},
        {"Q - Quit", 'q'}, {"Quit", 0},      {"(x) Yes", 'x'},
        {"Exit (now)", 0}, {"", 0},          {"Q", 0},
    };
    for (const auto& each : cases)
        EXPECT_EQ(short_cut_from_label(each.label), each.letter) << each.label;
}

TEST_F(UITest, IntelligentMoveToKeepsTheWindowOnTheScreen)
{
    const BRect screen = BScreen().Frame();
    const struct {
        float width;
        BPoint where, expected;
    } cases[] = {
        {300, BPoint(100, 100), BPoint(100, 100)},
        // 5 pixels from the right and bottom edges.
        {300, BPoint(2000, 1500), BPoint(screen.right - 305, screen.bottom - 205)},
        {300, BPoint(-50, -50), BPoint(0, 0)},
        // Wider than the screen: the left edge wins.
        {screen.Width() + 100, BPoint(50, 50), BPoint(0, 50)},
    };
    for (const auto& each : cases) {
        Locked lock(window);
        window->ResizeTo(each.width, 200);
        EXPECT_EQ(window->IntelligentMoveTo(each.where), each.expected);
        EXPECT_EQ(window->Frame().LeftTop(), each.expected);
    }
}

TEST_F(UITest, LanguageChangeReachesTheWindowThenItsTopView)
{
    window->PostMessage(kLanguageChangedMessage);
    settle(window);
    EXPECT_EQ(log.Joined(), "window view");
}

// The close box only hides the window; Appear shows it again, activated.
TEST_F(UITest, CloseBoxHidesAndAppearShowsAndActivates)
{
    offscreen()->CloseRequested(id_of(window));
    settle(window);
    EXPECT_TRUE(window->IsHidden());
    window->Appear();
    EXPECT_FALSE(window->IsHidden());
    EXPECT_TRUE(window->IsActive());
}

TEST_F(UITest, SetTargetToThisKeepsAimedControlsUnlessForced)
{
    BButton* aimed = window->AddButton("aimed", "Aimed", recorder);
    BButton* plain = window->AddButton("plain", "Plain", nullptr);
    Locked lock(window);
    window->view->SetTargetToThis(window->view, false);
    EXPECT_EQ(aimed->Target(), recorder);
    EXPECT_EQ(plain->Target(), window->view);
    window->view->SetTargetToThis(window->view, true);
    EXPECT_EQ(aimed->Target(), window->view);
}

// A button's Control letter clicks it while it is enabled, Escape the cancel button whatever
// its letter, Enter the default one unless a free text area has the focus, which takes the
// line break; Tab moves the focus even when no view had it.
TEST_F(UITest, KeysClickTheButtonsTheyStandFor)
{
    BButton* understand = window->AddButton("understand", "Understand(U)", recorder);
    window->AddButton("ButtonCancel", "Close(X)", recorder);
    BButton* ok = window->AddButton("ok", "OK", recorder);
    {
        Locked lock(window);
        ok->MakeDefault(true);
        ASSERT_EQ(window->CurrentFocus(), nullptr);
    }
    const struct {
        const char* key;
        uint32 modifiers;
        const char* clicked;
    } steps[] = {
        {"u", 0, ""},
        {"u", B_CONTROL_KEY, "understand"},
        {"\x1b", 0, "understand ButtonCancel"},
        {"\n", 0, "understand ButtonCancel ok"},
    };
    for (const auto& step : steps) {
        type(window, step.key, step.modifiers);
        EXPECT_EQ(Clicked(), step.clicked) << step.key;
    }
    type(window, "\t");
    {
        Locked lock(window);
        ASSERT_NE(window->CurrentFocus(), nullptr);
        EXPECT_STREQ(window->CurrentFocus()->Name(), "understand");
        understand->SetEnabled(false);
    }
    type(window, "u", B_CONTROL_KEY);
    EXPECT_EQ(Clicked(), "understand ButtonCancel ok") << "disabled";
    BTextView* area;
    {
        Locked lock(window);
        area = new BTextView(BRect(0, 30, 99, 99), "area", BRect(0, 0, 99, 69), B_FOLLOW_NONE,
                             B_WILL_DRAW | B_NAVIGABLE);
        window->view->AddChild(area);
        area->MakeFocus(true);
    }
    type(window, "\n");
    EXPECT_EQ(Clicked(), "understand ButtonCancel ok") << "Enter in a free text area";
    Locked lock(window);
    EXPECT_STREQ(area->Text(), "\n");
}

// Sends pointer events written as "d<x>,<y>[,<buttons>]" (down), "m<x>,<y>" (moved) and
// "u<x>,<y>" (up), separated by spaces.
void send_pointer(BWindow* window, const std::string& events)
{
    std::istringstream in(events);
    for (std::string event; in >> event;) {
        float x = 0, y = 0;
        int32 buttons = 1;
        sscanf(event.c_str() + 1, "%f,%f,%d", &x, &y, &buttons);
        if (event[0] == 'd')
            offscreen()->MouseDown(id_of(window), BPoint(x, y), buttons);
        else if (event[0] == 'm')
            offscreen()->MouseMoved(id_of(window), BPoint(x, y));
        else
            offscreen()->MouseUp(id_of(window), BPoint(x, y));
    }
}

TEST(Gestures, MouseEventsBecomeGestures)
{
    offscreen();
    Watchdog watchdog;
    const struct {
        const char* name;
        const char* events;
        const char* expected;
    } cases[] = {
        {"4 pixels is a click", "d50,50 m54,50 u54,50", "DownLeft ClickLeftSingle UpLeft"},
        // Held outside the view, the pointer still reports to it.
        {"5 pixels is a drag", "d50,50 m55,50 m150,50 u150,50",
         "DownLeft DragBeginLeft DraggingLeft DraggingLeft DragEndLeft UpLeft"},
        {"3 by 3 is a drag", "d50,50 m53,53 u53,53",
         "DownLeft DragBeginLeft DraggingLeft DragEndLeft UpLeft"},
        {"triple click", "d50,50 u50,50 d50,50 u50,50 d50,50 u50,50",
         "DownLeft ClickLeftSingle UpLeft ClickLeftDouble"},
        {"right click", "d50,50,2 u50,50", "DownRight ClickRightSingle UpRight"},
        {"both buttons", "d50,50,3 m70,70 u50,50", ""},
        {"release alone", "u50,50", ""},
    };
    for (const auto& each : cases) {
        Log log;
        auto* window = new TestWindow(&log);
        window->Show();
        send_pointer(window, each.events);
        settle(window);
        EXPECT_EQ(log.Joined(), each.expected) << each.name;
        close(window);
    }
}

} // namespace
