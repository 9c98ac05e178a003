#pragma once

// A push button. Pressed with the mouse it shows itself down while the pointer is over it and
// invokes on release inside; Space or Enter invokes a focused button. The window's default
// button (MakeDefault) has a heavier frame and is what Enter clicks.

#include <Control.h>

class BButton : public BControl {
public:
    BButton(BRect frame, const char* name, const char* label, BMessage* message,
            uint32 resizingMode = B_FOLLOW_LEFT | B_FOLLOW_TOP,
            uint32 flags = B_WILL_DRAW | B_NAVIGABLE);
    // "_default" besides the control's fields.
    explicit BButton(BMessage* archive);
    ~BButton() override;

    static BArchivable* Instantiate(BMessage* archive);
    status_t Archive(BMessage* into, bool deep = true) const override;

    void Draw(BRect updateRect) override;
    void MouseDown(BPoint where) override;
    void MouseUp(BPoint where) override;
    void MouseMoved(BPoint where, uint32 transit, const BMessage* dragMessage) override;
    void KeyDown(const char* bytes, int32 numBytes) override;
    void AttachedToWindow() override;
    void GetPreferredSize(float* width, float* height) override;

    virtual void MakeDefault(bool flag);
    bool IsDefault() const { return fDefault; }

private:
    // The button's face: its bounds, less the ring a default button has.
    BRect _FaceRect() const;

    bool fDefault = false;
};
