#pragma once

// The main window: a menu bar over the drop view, sized to the view, with menus whose labels
// carry their accelerator letters. Closing it ends the application.

#include "ui/DialogWindow.h"

class BMenuBar;
class TCadenzoView;

class TCadenzoWindow : public TDialogWindow {
public:
    // Only the left-top corner of frame is kept: the window takes the size of its view.
    explicit TCadenzoWindow(BRect frame);
    ~TCadenzoWindow() override;

    // B_NO_INIT when the view resource is missing or unusable: the window is then empty.
    status_t InitCheck() const { return fInitStatus; }

    void MessageReceived(BMessage* message) override;
    void Quit() override;
    bool QuitRequested() override;
    void IAPChanged(BMessage* message) override;
    void LanguageChanged() override;

    void CreateMenu();
    void DestroyMenu();
    void SetWinTitle();

    // The drop view, or null in an empty window.
    TCadenzoView* MainView() const { return fMainView; }

private:
    status_t fInitStatus = B_NO_INIT;
    BMenuBar* fMenuBar = nullptr;
    TCadenzoView* fMainView = nullptr;
};
