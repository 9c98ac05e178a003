#include "settings/PrefsWindow.h"

#include "settings/PrefsView.h"
#include "ui/ViewResource.h"
#include "util/Alerts.h"

#include <Application.h>
#include <OS.h>

namespace {

constexpr uint32 kPrefsWindowFlags = B_NOT_RESIZABLE | B_NOT_ZOOMABLE | B_ASYNCHRONOUS_CONTROLS;
constexpr char kViewResourceName[] = "PrefsViewRsrc";

} // namespace

TPrefsWindow::TPrefsWindow(BRect frame)
    : TDialogWindow(frame, "PrefsWindow", B_TITLED_WINDOW, kPrefsWindowFlags, 0)
{
    fPrefsView = view_from_resource<TPrefsView>(kViewResourceName);
    if (fPrefsView == nullptr)
        return;
    ResizeTo(fPrefsView->Frame().Width(), fPrefsView->Frame().Height());
    AddChild(fPrefsView);
    SetWindowTitle();
    fInitStatus = B_OK;
}

TPrefsWindow::~TPrefsWindow() = default;

void TPrefsWindow::SetWindowTitle()
{
    SetTitle(locale_text("Preferences Window").c_str());
}

void TPrefsWindow::LanguageChanged()
{
    if (fPrefsView != nullptr)
        SetWindowTitle();
}

void TPrefsWindow::MessageReceived(BMessage* message)
{
    if (message->what == kPrefChMasksChanged) {
        // At once, not through the queue again: a Cancel or close already waiting there must
        // not put back the channels the main window has just saved.
        if (fPrefsView != nullptr)
            fPrefsView->PrefChMasksChanged();
        return;
    }
    TDialogWindow::MessageReceived(message);
}

bool TPrefsWindow::QuitRequested()
{
    // Only the close box asks on the window's own thread; the application quitting asks
    // from its own and leaves the preferences alone.
    if (find_thread(nullptr) == Thread() && fPrefsView != nullptr)
        fPrefsView->ButtonCancelClicked();
    return TDialogWindow::QuitRequested();
}
