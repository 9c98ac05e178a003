#pragma once

// The text view inside a BTextControl: one line (line breaks become spaces), and it tells its
// control of each change, of Enter and of losing the focus. Private to the kit.

#include <TextView.h>

class BTextControl;

namespace BPrivate {

class TextInput : public BTextView {
public:
    TextInput(BRect frame, BRect textRect);
    explicit TextInput(BMessage* archive);
    ~TextInput() override;

    static BArchivable* Instantiate(BMessage* archive);
    status_t Archive(BMessage* into, bool deep = true) const override;

    void KeyDown(const char* bytes, int32 numBytes) override;
    void MouseDown(BPoint where) override;
    void MakeFocus(bool focus = true) override;
    void FrameResized(float width, float height) override;
    // Puts the text, vertically centred, into the bounds.
    void LayoutText();

protected:
    void InsertText(const char* text, int32 length, int32 offset,
                    const text_run_array* runs) override;
    void DeleteText(int32 fromOffset, int32 toOffset) override;

private:
    BTextControl* _Control() const;
};

} // namespace BPrivate
