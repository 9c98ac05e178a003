#pragma once

// The base of every dialog: a target and a message to send it, keyboard shortcuts handed to
// the top view, and a thread that runs at low priority while the window is hidden.

#include "ui/BasicWindow.h"

#include <Messenger.h>

class TDialogWindow : public TBasicWindow {
public:
    TDialogWindow(BRect frame, const char* title, window_type type, uint32 flags,
                  uint32 workspaces);
    TDialogWindow(BRect frame, const char* title, window_look look, window_feel feel, uint32 flags,
                  uint32 workspaces);
    ~TDialogWindow() override;

    void MessageReceived(BMessage* message) override;
    void Show() override;
    void Hide() override;
    // A key the shortcut filter redirected: the top view's ShortCutDown, when it is a
    // TDialogView.
    virtual void KeyDown(BMessage* message);

    BMessenger Target() const { return fTarget; }
    void SetTarget(const BMessenger& target) { fTarget = target; }
    // Takes ownership, deleting the previous message; 0.
    status_t SetMessage(BMessage* message);
    BMessage* Message() const { return fMessage; }
    // Sends message, or the window's own message without one, to the target.
    status_t Invoke(BMessage* message = nullptr);

private:
    void Init();

    BMessenger fTarget;
    BMessage* fMessage = nullptr;
};
