#include "ui/DialogWindow.h"

#include "ui/DialogView.h"
#include "ui/ShortCuts.h"

#include <AppDefs.h>
#include <Message.h>
#include <OS.h>

TDialogWindow::TDialogWindow(BRect frame, const char* title, window_type type, uint32 flags,
                             uint32 workspaces)
    : TBasicWindow(frame, title, type, flags, workspaces)
{
    Init();
}

TDialogWindow::TDialogWindow(BRect frame, const char* title, window_look look, window_feel feel,
                             uint32 flags, uint32 workspaces)
    : TBasicWindow(frame, title, look, feel, flags, workspaces)
{
    Init();
}

TDialogWindow::~TDialogWindow()
{
    delete fMessage;
}

void TDialogWindow::Init()
{
    AddCommonFilter(new TShortCutFilter(nullptr));
    fMessage = nullptr;
}

void TDialogWindow::MessageReceived(BMessage* message)
{
    // The window also gets the keys that find no focus view; only the ones the shortcut
    // filter sends here are shortcuts; the rest (Tab into the window) go on as usual.
    if (message->what == B_KEY_DOWN && TShortCutFilter::IsShortCut(message)) {
        KeyDown(message);
        return;
    }
    TBasicWindow::MessageReceived(message);
}

void TDialogWindow::KeyDown(BMessage* message)
{
    auto* view = dynamic_cast<TDialogView*>(ChildAt(0));
    if (view == nullptr)
        return;
    int32 rawChar = 0;
    int32 key = 0;
    message->FindInt32("raw_char", &rawChar);
    message->FindInt32("key", &key);
    view->ShortCutDown(rawChar, key);
}

void TDialogWindow::Show()
{
    // The first Show() starts the thread: its priority can only be set after.
    BWindow::Show();
    set_thread_priority(Thread(), B_DISPLAY_PRIORITY);
}

void TDialogWindow::Hide()
{
    BWindow::Hide();
    set_thread_priority(Thread(), B_LOW_PRIORITY);
}

status_t TDialogWindow::SetMessage(BMessage* message)
{
    delete fMessage;
    fMessage = message;
    return 0;
}

status_t TDialogWindow::Invoke(BMessage* message)
{
    BMessage* sent = message != nullptr ? message : fMessage;
    if (sent == nullptr)
        return B_BAD_VALUE;
    return fTarget.SendMessage(sent);
}
