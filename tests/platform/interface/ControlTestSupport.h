#pragma once

// The controls' tests show their views in a panel window and watch what reaches a recorder:
// where a view lies, the values and focus the window ends with, the messages it sent.

#include "WindowTestSupport.h"

#include <Control.h>

#include <string>
#include <vector>

namespace control_test {

using namespace window_test;

constexpr rgb_color kPanel = {216, 216, 216, 255};

class ControlsFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        offscreen();
        recorder = new Recorder();
    }
    void TearDown() override
    {
        if (window != nullptr)
            close(window);
        recorder->Stop();
    }

    // Shows a panel with the views; the controls among them send to the recorder.
    void Show(std::initializer_list<BView*> views)
    {
        window = new BWindow(BRect(100, 100, 419, 279), "controls", B_TITLED_WINDOW,
                             B_ASYNCHRONOUS_CONTROLS);
        auto* panel = new BView(window->Bounds(), "panel", B_FOLLOW_ALL, B_WILL_DRAW);
        panel->SetViewColor(kPanel);
        window->AddChild(panel);
        for (BView* view : views) {
            if (auto* control = dynamic_cast<BControl*>(view))
                control->SetTarget(recorder);
            panel->AddChild(view);
        }
        window->Show();
    }
    // Where a view's centre lies in the window.
    BPoint At(BView* view)
    {
        Locked lock(window);
        return center(in_window(view));
    }
    int32 ValueOf(BControl* control)
    {
        Locked lock(window);
        return control->Value();
    }
    // The messages of one command that reached the recorder, once the window has handled
    // everything and the recorder has answered a message sent after that.
    std::vector<BMessage> Received(uint32 what)
    {
        settle(window);
        BMessage reply;
        BMessenger(nullptr, recorder).SendMessage('sync', &reply);
        std::vector<BMessage> found;
        for (const BMessage& message : recorder->Messages()) {
            if (message.what == what)
                found.push_back(message);
        }
        return found;
    }
    std::string FocusName()
    {
        Locked lock(window);
        BView* focus = window->CurrentFocus();
        return focus != nullptr ? focus->Name() : "none";
    }
    void Focus(BView* view)
    {
        Locked lock(window);
        view->MakeFocus(true);
    }

    Recorder* recorder = nullptr;
    BWindow* window = nullptr;
    Watchdog watchdog;
};

} // namespace control_test
