#pragma once

// A radio button: one of a group of choices, the group being the radio buttons that share a
// parent. Choosing it (a click let go over it, or Space while it has the focus) turns it on,
// turns its siblings off and invokes; choosing it again changes nothing but invokes again.

#include <Control.h>

class BRadioButton : public BControl {
public:
    BRadioButton(BRect frame, const char* name, const char* label, BMessage* message,
                 uint32 resizingMode = B_FOLLOW_LEFT | B_FOLLOW_TOP,
                 uint32 flags = B_WILL_DRAW | B_NAVIGABLE);
    explicit BRadioButton(BMessage* archive);
    ~BRadioButton() override;

    static BArchivable* Instantiate(BMessage* archive);
    status_t Archive(BMessage* into, bool deep = true) const override;

    void Draw(BRect updateRect) override;
    void MouseDown(BPoint where) override;
    void MouseMoved(BPoint where, uint32 transit, const BMessage* dragMessage) override;
    void MouseUp(BPoint where) override;
    void KeyDown(const char* bytes, int32 numBytes) override;
    void GetPreferredSize(float* width, float* height) override;
    // Turning one on turns the others of the group off.
    void SetValue(int32 value) override;
};
