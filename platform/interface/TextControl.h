#pragma once

// A labelled one-line text field: the label left of the divider, an editable text view (the
// child "_input_") in a sunken frame right of it. Every change the user makes to the text
// sends the modification message; Enter, or the focus leaving the field, after a change
// invokes the control's own message (and Enter still goes on to the default button).
// SetText() is the program's own change and sends neither.

#include <Control.h>

#include <memory>

class BTextView;

namespace BPrivate {
class TextInput;
}

class BTextControl : public BControl {
public:
    BTextControl(BRect frame, const char* name, const char* label, const char* text,
                 BMessage* message, uint32 resizingMode = B_FOLLOW_LEFT | B_FOLLOW_TOP,
                 uint32 flags = B_WILL_DRAW | B_NAVIGABLE);
    // "_text", "_divide", "_mod_msg" besides the control's fields.
    explicit BTextControl(BMessage* archive);
    ~BTextControl() override;

    static BArchivable* Instantiate(BMessage* archive);
    status_t Archive(BMessage* into, bool deep = true) const override;

    void AttachedToWindow() override;
    void Draw(BRect updateRect) override;
    void MouseDown(BPoint where) override;
    void MakeFocus(bool focus = true) override;
    void GetPreferredSize(float* width, float* height) override;
    void SetEnabled(bool enabled) override;

    virtual void SetText(const char* text);
    const char* Text() const;
    BTextView* TextView() const;

    // Takes ownership of message; sent with "when" and "source" on every change of the text.
    virtual void SetModificationMessage(BMessage* message);
    BMessage* ModificationMessage() const { return fModificationMessage.get(); }

    // Where the label ends and the field begins, in the control's coordinates.
    virtual void SetDivider(float position);
    float Divider() const { return fDivider; }

private:
    friend class BPrivate::TextInput;

    void _MakeInput(const char* text);
    void _LayoutInput();
    // The input's colours and editability follow the control's state.
    void _UpdateInputState();
    // From the input: the user changed the text.
    void _TextChanged();
    // From the input: Enter, or the focus left; invokes when the text changed since.
    void _Commit();

    BPrivate::TextInput* fInput = nullptr;
    std::unique_ptr<BMessage> fModificationMessage;
    float fDivider = 0;
    bool fChanged = false;
    bool fSettingText = false;
};
