#pragma once

// The base of every top-level view: a view whose mouse events become gestures, and which
// hears of language and common-preference changes after its window did.

#include "ui/MouseDownManager.h"

#include <View.h>

class TBasicView : public BView, public TMouseDownManager {
public:
    TBasicView(BRect frame, const char* name, uint32 resizingMode, uint32 flags);
    explicit TBasicView(BMessage* archive);
    ~TBasicView() override;

    void MessageReceived(BMessage* message) override;
    void MouseDown(BPoint where) override;
    void MouseUp(BPoint where) override;
    void MouseMoved(BPoint where, uint32 transit, const BMessage* dragMessage) override;

    // '_ipc': a common preference changed. Does nothing here.
    virtual void IAPChanged(BMessage* message);
    // '_BLC': the user interface language changed. Does nothing here.
    virtual void LanguageChanged();
};
