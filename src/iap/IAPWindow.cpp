#include "iap/IAPWindow.h"

#include "iap/IAPView.h"
#include "util/Alerts.h"

#include <OS.h>

namespace {

constexpr uint32 kIAPWindowFlags = B_NOT_RESIZABLE | B_NOT_ZOOMABLE | B_ASYNCHRONOUS_CONTROLS;
// How long the window waits for the port's thread to stop before it is stopped for good.
constexpr bigtime_t kStopWait = 2000000;
constexpr bigtime_t kStopStep = 10000;

} // namespace

TIAPWindow::TIAPWindow(BRect frame)
    : TDialogWindow(frame, "", B_TITLED_WINDOW, kIAPWindowFlags, B_CURRENT_WORKSPACE)
{
    fView = new TIAPView(frame.OffsetToCopy(0, 0));
    ResizeTo(fView->Bounds().Width(), fView->Bounds().Height());
    AddChild(fView);
    SetWindowTitle();
}

TIAPWindow::~TIAPWindow()
{
    if (fPortManager == nullptr)
        return;
    fPortManager->Terminate();
    fPortManager->PreventBlocking();
    // The thread may be handing a message to this window, whose queue nobody reads now: it
    // gives up at its next step; a thread that does not stop is killed with the manager.
    for (bigtime_t waited = 0; !fPortManager->IsTerminated() && waited < kStopWait;
         waited += kStopStep)
        snooze(kStopStep);
    fPortManager.reset();
}

void TIAPWindow::Show()
{
    TDialogWindow::Show();
    if (fPortManager != nullptr)
        return;
    fPortManager = std::make_unique<TIAPPortManager>(BMessenger(fView));
    fPortManager->Resume();
    fServing.store(true, std::memory_order_release);
}

port_id TIAPWindow::Port() const
{
    return fServing.load(std::memory_order_acquire) ? fPortManager->Port() : kIAPPortPending;
}

bool TIAPWindow::QuitRequested()
{
    // The close box and a request through the port come on the window's own thread; the
    // application quitting asks from its own, and the window then goes.
    if (find_thread(nullptr) == Thread()) {
        if (!IsHidden())
            Hide();
        fView->SetComponents(0);
    }
    return TDialogWindow::QuitRequested();
}

void TIAPWindow::LanguageChanged()
{
    SetWindowTitle();
}

void TIAPWindow::SetWindowTitle()
{
    SetTitle(locale_text("VANTOR Common Preferences").c_str());
}
