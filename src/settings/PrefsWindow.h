#pragma once

// The Preferences window: made once, on the first use of the Preferences command, and
// hidden rather than closed, so that it comes back as it was left.

#include "ui/DialogWindow.h"

class TPrefsView;

class TPrefsWindow : public TDialogWindow {
public:
    // Only the left-top corner of frame is kept: the window takes the size of its view.
    explicit TPrefsWindow(BRect frame);
    ~TPrefsWindow() override;

    // B_NO_INIT when the view resource is missing, damaged or lacks a control: the window
    // is then empty and must not be shown.
    status_t InitCheck() const { return fInitStatus; }

    void MessageReceived(BMessage* message) override;
    // The close box acts as Cancel, then hides the window.
    bool QuitRequested() override;
    void LanguageChanged() override;

    void SetWindowTitle();
    TPrefsView* PrefsView() const { return fPrefsView; }

private:
    status_t fInitStatus = B_NO_INIT;
    TPrefsView* fPrefsView = nullptr;
};
