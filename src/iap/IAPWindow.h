#pragma once

// The common preferences window: one for all running applications of the maker, shown by
// the first that asks for it and reached by the others through its port. It never quits on
// a user's request: it hides, and the next request through the port shows it again.

#include "iap/IAPPortManager.h"
#include "ui/DialogWindow.h"

#include <memory>

class TIAPView;

class TIAPWindow : public TDialogWindow {
public:
    explicit TIAPWindow(BRect frame);
    // Stops the port's thread, which deletes the port.
    ~TIAPWindow() override;

    // The first Show starts serving the port.
    void Show() override;
    // A close request (the close box, or one through the port) hides the window and returns
    // every control, and every application, to the committed values.
    bool QuitRequested() override;
    void LanguageChanged() override;

    // The port, kIAPPortPending until the thread has made it, kIAPPortFailed when it could
    // not. Safe from any thread.
    port_id Port() const;
    TIAPView* View() const { return fView; }

private:
    void SetWindowTitle();

    std::unique_ptr<TIAPPortManager> fPortManager;
    std::atomic<bool> fServing{false};
    TIAPView* fView;
};
