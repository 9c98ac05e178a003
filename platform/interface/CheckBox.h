#pragma once

// A check box: a small box, ticked while the value is B_CONTROL_ON, with its label to the
// right. A click anywhere on it (let go over it) or Space while it has the focus toggles it
// and invokes; Enter is left to the window's default button.

#include <Control.h>

class BCheckBox : public BControl {
public:
    BCheckBox(BRect frame, const char* name, const char* label, BMessage* message,
              uint32 resizingMode = B_FOLLOW_LEFT | B_FOLLOW_TOP,
              uint32 flags = B_WILL_DRAW | B_NAVIGABLE);
    explicit BCheckBox(BMessage* archive);
    ~BCheckBox() override;

    static BArchivable* Instantiate(BMessage* archive);
    status_t Archive(BMessage* into, bool deep = true) const override;

    void Draw(BRect updateRect) override;
    void MouseDown(BPoint where) override;
    void MouseMoved(BPoint where, uint32 transit, const BMessage* dragMessage) override;
    void MouseUp(BPoint where) override;
    void GetPreferredSize(float* width, float* height) override;
};
