#pragma once

// The base of every window: placement that keeps it on the screen, show-and-activate,
// closing by hiding, and the language and common-preference notifications, which reach the
// window's hooks first and its top view second.

#include <Window.h>

// The user interface language changed.
inline constexpr uint32 kLanguageChangedMessage = '_BLC';
// A common preference changed.
inline constexpr uint32 kIAPChangedMessage = '_ipc';

class TBasicWindow : public BWindow {
public:
    TBasicWindow(BRect frame, const char* title, window_type type, uint32 flags, uint32 workspaces);
    TBasicWindow(BRect frame, const char* title, window_look look, window_feel feel, uint32 flags,
                 uint32 workspaces);
    ~TBasicWindow() override;

    void MessageReceived(BMessage* message) override;
    // Called from another thread (the application's, shutting down): true. From the
    // window's own thread (the user closed it): hides the window and answers false.
    bool QuitRequested() override;

    // Shows and activates the window, waiting a short while for each.
    virtual void Appear();
    virtual void IAPChanged(BMessage* message);
    virtual void LanguageChanged();

    // Moves the window near where but wholly onto the screen; returns the point used.
    BPoint IntelligentMoveTo(BPoint where);
    // Centres the window on the screen; returns the point used.
    BPoint IntelligentCentering();
    // Passes the message on to the top view when it is a TBasicView.
    void TransferToView(BMessage* message);

private:
    void Init();
};
