#pragma once

// Driving real windows on the offscreen display the way a user would: input goes in through
// the display's calls, exactly as the SDL backend sends it, and what the window shows comes
// back as the frame it presented.

#include <Display.h>
#include <GraphicsDefs.h>
#include <Looper.h>
#include <Message.h>
#include <Messenger.h>
#include <View.h>
#include <Window.h>

#include "LooperTestSupport.h"
#include "MessageFields.h"
#include "MessageLog.h"
#include "WindowPrivate.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace window_test {

// Every test program of the kit runs on the offscreen display, whatever DISPLAY says.
inline BPrivate::Display* offscreen()
{
    static bool chosen = BPrivate::select_display("offscreen");
    (void)chosen;
    return BPrivate::display();
}

inline int32 id_of(BWindow* window)
{
    return BPrivate::display_window_of(window);
}

// Returns once the window has handled everything posted to it so far, including the
// update that this may have caused.
inline void settle(BWindow* window)
{
    BMessenger messenger(nullptr, window);
    for (int i = 0; i < 3; i++) {
        BMessage reply;
        messenger.SendMessage('sYnC', &reply);
    }
}

// What the window showed last.
inline BPrivate::DisplayFrame frame_of(BWindow* window)
{
    settle(window);
    BPrivate::DisplayFrame frame;
    offscreen()->CopyFrame(id_of(window), frame);
    return frame;
}

inline rgb_color pixel(const BPrivate::DisplayFrame& frame, int32 x, int32 y)
{
    if (x < 0 || y < 0 || x >= frame.width || y >= frame.height)
        return rgb_color{0, 0, 0, 0};
    const uint32_t value = frame.At(x, y);
    return rgb_color{(uint8)(value >> 16), (uint8)(value >> 8), (uint8)value, (uint8)(value >> 24)};
}

inline BPoint center(BRect rect)
{
    return BPoint((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
}

// Where a view lies in its window; call with the window locked.
inline BRect in_window(const BView* view)
{
    BRect rect = view->ConvertToScreen(view->Bounds());
    rect.OffsetBy(-view->Window()->Frame().left, -view->Window()->Frame().top);
    return rect;
}

inline void click(BWindow* window, BPoint where, int32 buttons = 1)
{
    offscreen()->MouseDown(id_of(window), where, buttons);
    offscreen()->MouseUp(id_of(window), where);
    settle(window);
}

// A key press (bytes as typed: "a", "\t", "\n"...) with the given modifiers held.
inline void type(BWindow* window, const char* bytes, uint32 modifiers = 0)
{
    BPrivate::Display* display = offscreen();
    display->SetModifiers(id_of(window), modifiers);
    display->KeyDown(id_of(window), bytes);
    display->KeyUp(id_of(window), bytes);
    display->SetModifiers(id_of(window), 0);
    settle(window);
}

// Locks a window for the scope, for tests that look at views from outside.
class Locked {
public:
    explicit Locked(BLooper* looper) : fLooper(looper) { fLooper->Lock(); }
    ~Locked() { fLooper->Unlock(); }

private:
    BLooper* fLooper;
};

// Quits a shown window at the end of a test.
inline void close(BWindow* window)
{
    window->Lock();
    window->Quit();
}

// Records the messages that reach it (a target for controls and menu items).
class Recorder : public BLooper {
public:
    Recorder() : BLooper("recorder") { Run(); }
    void MessageReceived(BMessage* message) override { fLog.Add(Name(), *message); }
    // Waits up to five seconds for the count-th message; false if it did not come.
    bool WaitFor(size_t count) { return fLog.WaitFor(count); }
    std::vector<BMessage> Messages()
    {
        std::vector<BMessage> messages;
        for (const auto& entry : fLog.Entries())
            messages.push_back(entry.second);
        return messages;
    }
    void Stop()
    {
        Lock();
        Quit();
    }

private:
    MessageLog fLog;
};

} // namespace window_test
