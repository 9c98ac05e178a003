#pragma once

// The controls of every common preference that the running applications handed to the
// window, one below the other, with Defaults, Cancel and OK under them. Each control's
// change is broadcast at once to every application as a value message.
//
// The component record holds, under each item's name, three archives of the item's
// configuration view with its value fields ('_ipc'): entry 0 the committed state, entry 1
// the working state, entry 2 the default state.

#include "iap/InterAppPrefs.h"
#include "ui/DialogView.h"

#include <Message.h>

class BButton;

// The buttons' commands.
inline constexpr uint32 kIAPDefaults = '_dfl';
inline constexpr uint32 kIAPCancel = '_cnc';
inline constexpr uint32 kIAPOK = '_ok';

class TIAPView : public TDialogView {
public:
    explicit TIAPView(BRect frame);
    ~TIAPView() override;

    void MessageReceived(BMessage* message) override;
    void LanguageChanged() override;
    // Escape cancels.
    void ShortCutDown(int32 rawChar, int32 key) override;

    // Rebuilds every control from entry index of the record and broadcasts its value.
    void SetComponents(int32 index);
    void SetViewLabels();

    // What the window shows, for looking at it.
    const BMessage& Components() const { return fComponents; }

private:
    enum { kCommitted = 0, kWorking = 1, kDefault = 2 };

    void ButtonDefaultsClicked();
    void ButtonCancelClicked();
    void ButtonOKClicked();
    void IAPActivateWindowRqtd();
    void IAPAddComponentsRqtd(BMessage* message);
    void IAPControlChanged(BMessage* message);

    // A container rebuilt from an archive at top y, added to this view; null when the
    // archive makes no view.
    BView* AddComponent(BMessage archive, float y);
    // Broadcasts to every running application, this one included, and tells the own store.
    void SendMessage(BMessage* message);

    BButton* fButtonCancel;
    BButton* fButtonDefaults;
    BButton* fButtonOK;
    BMessage fComponents;
    BView* fButtonContainer;
    BView* fLastComponent = nullptr;
    // Knows the accelerator format for this window's own labels.
    TInterAppPrefs fIAPs;
};
