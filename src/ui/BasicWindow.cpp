#include "ui/BasicWindow.h"

#include "ui/BasicView.h"

#include <Message.h>
#include <Messenger.h>
#include <OS.h>
#include <Screen.h>

namespace {

// How long Appear waits for the window system to activate the window: some refuse.
constexpr bigtime_t kActivationTimeout = 500000;
constexpr bigtime_t kActivationRetry = 5000;
// A hidden window needs as many Show() calls as it had Hide() calls; more than this many is
// not a window anyone meant to show.
constexpr int kMaxShows = 64;
// The window's own thread never waits on its own queue, but another thread may call this.
constexpr bigtime_t kTransferTimeout = 1000000;

} // namespace

TBasicWindow::TBasicWindow(BRect frame, const char* title, window_type type, uint32 flags,
                           uint32 workspaces)
    : BWindow(frame, title, type, flags, workspaces)
{
    Init();
}

TBasicWindow::TBasicWindow(BRect frame, const char* title, window_look look, window_feel feel,
                           uint32 flags, uint32 workspaces)
    : BWindow(frame, title, look, feel, flags, workspaces)
{
    Init();
}

TBasicWindow::~TBasicWindow() = default;

void TBasicWindow::Init() {}

void TBasicWindow::MessageReceived(BMessage* message)
{
    switch (message->what) {
    case kLanguageChangedMessage:
        LanguageChanged();
        TransferToView(message);
        break;
    case kIAPChangedMessage:
        IAPChanged(message);
        TransferToView(message);
        break;
    default:
        BWindow::MessageReceived(message);
        break;
    }
}

bool TBasicWindow::QuitRequested()
{
    // Decided by the calling thread, not by whether a message is being handled: while the
    // window's thread works through a long message, a direct call from the application is
    // still a call from outside, and must be allowed to quit.
    if (find_thread(nullptr) != Thread())
        return true;
    if (!IsHidden())
        Hide();
    return false;
}

void TBasicWindow::Appear()
{
    for (int shows = 0; IsHidden() && shows < kMaxShows; shows++)
        Show();
    if ((Flags() & B_AVOID_FOCUS) != 0)
        return;
    const bigtime_t deadline = system_time() + kActivationTimeout;
    for (;;) {
        Activate(true);
        if (IsActive() || system_time() >= deadline)
            break;
        snooze(kActivationRetry);
    }
}

void TBasicWindow::IAPChanged(BMessage*) {}

void TBasicWindow::LanguageChanged() {}

BPoint TBasicWindow::IntelligentMoveTo(BPoint where)
{
    const BRect screen = BScreen(this).Frame();
    const BRect bounds = Bounds();
    if (screen.right - 5 < where.x + bounds.right)
        where.x = screen.right - bounds.right - 5;
    if (screen.bottom - 5 < where.y + bounds.bottom)
        where.y = screen.bottom - bounds.bottom - 5;
    if (where.x < 0)
        where.x = 0;
    if (where.y < 0)
        where.y = 0;
    MoveTo(where);
    return where;
}

BPoint TBasicWindow::IntelligentCentering()
{
    const BRect screen = BScreen(this).Frame();
    const BRect bounds = Bounds();
    BPoint where((screen.right - bounds.right) * 0.5f, (screen.bottom - bounds.bottom) * 0.5f);
    MoveTo(where);
    return where;
}

void TBasicWindow::TransferToView(BMessage* message)
{
    auto* view = dynamic_cast<TBasicView*>(ChildAt(0));
    if (view == nullptr)
        return;
    BMessenger(view).SendMessage(message, static_cast<BHandler*>(nullptr), kTransferTimeout);
}
