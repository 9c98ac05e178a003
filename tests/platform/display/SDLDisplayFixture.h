#pragma once

// What the SDL display's tests share: a looper that logs what a window is sent, windows
// opened on a real X server with a frame of four coloured quarters, and the drop tool run as
// the separate program it is.

#include "LooperTestSupport.h"
#include "MessageFields.h"
#include "MessageLog.h"
#include "TempFolder.h"
#include "X11Connection.h"

#include <AppDefs.h>
#include <Display.h>
#include <Entry.h>
#include <Looper.h>
#include <Message.h>
#include <Messenger.h>

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace display_test {

using namespace std::chrono_literals;

// The target of a window's messages, running from its construction: keeps a copy of each.
class WindowLog : public BLooper {
public:
    WindowLog() : BLooper("window log") { Run(); }

    void DispatchMessage(BMessage* message, BHandler* handler) override;

    // The messages of that command so far, once there are at least count of them or the
    // limit has passed.
    std::vector<BMessage> WaitFor(uint32 what, size_t count = 1,
                                  std::chrono::milliseconds limit = 10s);
    std::vector<BMessage> Of(uint32 what) { return WaitFor(what, 0, 0ms); }
    // Every message so far, in the order they came.
    std::vector<BMessage> All();

private:
    std::mutex fLock;
    std::condition_variable fArrived;
    std::vector<BMessage> fMessages;
};

// The colours of the four quarters of a test frame, 0x00RRGGBB as the screen shows them.
struct Quarters {
    uint32_t leftTop = 0xd02020;
    uint32_t rightTop = 0x20a040;
    uint32_t leftBottom = 0x3050e0;
    uint32_t rightBottom = 0xf0c000;
};

// A picture's size and the colours at its corners, "200x100 d02020 20a040 3050e0 f0c000"
// (left top, right top, left bottom, right bottom); the same of a frame of quarters.
std::string corners(const XPicture& picture);
std::string corners(int width, int height, const Quarters& colors = Quarters());

// A point field of a message; (-1, -1) when it has none.
BPoint point_of(const BMessage& message, const char* name = "where");
// The paths of the files a message refers to ("refs"), in order, each the ref's folder and
// name joined by "/".
std::vector<std::string> paths_of(const BMessage& message);

class SDLDisplayTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A window of the display, its messages logged (in fLog unless told otherwise); shown
    // with a frame of quarters unless told not to, and then only returned once the screen
    // shows that frame.
    BPrivate::display_window_id
    OpenWindow(const char* title, BRect frame, bool show = true,
               BPrivate::display_window_kind kind = BPrivate::B_DISPLAY_NORMAL_WINDOW,
               WindowLog* log = nullptr);
    // Another log, for a test that tells windows apart by where their messages go.
    WindowLog* AddLog();
    void PresentQuarters(BPrivate::display_window_id window, int width, int height,
                         const Quarters& colors = Quarters());
    // Whether the screen shows that colour at a point of the window within the limit.
    bool ShowsColor(const char* title, int x, int y, uint32_t color,
                    std::chrono::milliseconds limit = 5s);
    XWindowID XWindowOf(const char* title);
    // What the window shows now; an empty picture when it is not on the screen.
    XPicture PictureOf(const char* title);

    // The order matters: the watchdog outlives everything else, and our X connection (whose
    // error handler SDL chains to) is there before SDL starts.
    looper_test::Watchdog fWatchdog{std::chrono::seconds(90)};
    std::unique_ptr<X11Connection> fX;
    std::unique_ptr<BPrivate::Display> fDisplay;
    WindowLog* fLog = nullptr;
    std::vector<WindowLog*> fLogs;
};

// Runs the drop tool with those arguments to its end (see run_process); what it wrote goes
// to *errors.
int run_drop_tool(const std::vector<std::string>& arguments, std::string* errors = nullptr);

} // namespace display_test
