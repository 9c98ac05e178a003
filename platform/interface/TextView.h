#pragma once

// Editable text: UTF-8, with an insertion point and a selection kept on character boundaries
// (byte offsets). Typing replaces the selection; Backspace and Delete remove whole
// characters; the arrows, Home and End move the caret (Shift extends the selection); the
// mouse places the caret, drags a selection and selects a word with a double click.
// Command+X, C, V and A (and B_CUT, B_COPY, B_PASTE, B_SELECT_ALL) cut, copy, paste and
// select all through a clipboard shared by the whole process. A line break typed into a free
// text view starts a new line; the kit's own fields use one line.
//
// Every change of the text goes through InsertText() and DeleteText(), so that a subclass
// hears of each one.

#include <View.h>

#include <string>

struct text_run_array;

class BTextView : public BView {
public:
    BTextView(BRect frame, const char* name, BRect textRect,
              uint32 resizingMode = B_FOLLOW_LEFT | B_FOLLOW_TOP,
              uint32 flags = B_WILL_DRAW | B_NAVIGABLE);
    // "_text", "_sel" (start and end), "_nedit" (not editable), "_max" (a byte limit).
    explicit BTextView(BMessage* archive);
    ~BTextView() override;

    static BArchivable* Instantiate(BMessage* archive);
    status_t Archive(BMessage* into, bool deep = true) const override;

    void AttachedToWindow() override;
    void Draw(BRect updateRect) override;
    void MouseDown(BPoint where) override;
    void MouseMoved(BPoint where, uint32 transit, const BMessage* dragMessage) override;
    void MouseUp(BPoint where) override;
    void KeyDown(const char* bytes, int32 numBytes) override;
    void MakeFocus(bool focus = true) override;
    void WindowActivated(bool active) override;
    void MessageReceived(BMessage* message) override;
    void FrameResized(float width, float height) override;

    // The text. Bytes past length or a NUL are not taken; SetText() selects nothing and puts
    // the caret at the end.
    void SetText(const char* text);
    void SetText(const char* text, int32 length);
    const char* Text() const { return fText.c_str(); }
    int32 TextLength() const { return (int32)fText.size(); }

    // At the selection (replacing it), or at offset.
    void Insert(const char* text);
    void Insert(const char* text, int32 length);
    void Insert(int32 offset, const char* text, int32 length);
    // The selection, or the bytes from start to end.
    void Delete();
    void Delete(int32 start, int32 end);

    // Offsets are clamped to the text and moved back to the start of the character they
    // fall in.
    void Select(int32 start, int32 end);
    void SelectAll();
    void GetSelection(int32* start, int32* end) const;

    void Cut();
    void Copy();
    void Paste();

    void MakeEditable(bool editable = true);
    bool IsEditable() const { return fEditable; }
    // Text that would make it longer is cut, at a character boundary. Negative: no limit.
    void SetMaxBytes(int32 max);
    int32 MaxBytes() const { return fMaxBytes; }

    // Where the text is drawn, in the view's coordinates.
    void SetTextRect(BRect rect);
    BRect TextRect() const { return fTextRect; }
    float LineHeight() const;
    // The offset nearest to a point of the view, and where the caret before offset stands.
    int32 OffsetAt(BPoint point) const;
    BPoint PointAt(int32 offset, float* height = nullptr) const;

protected:
    // The two ways the text changes; a subclass may filter the text before passing it on.
    virtual void InsertText(const char* text, int32 length, int32 offset,
                            const text_run_array* runs);
    virtual void DeleteText(int32 fromOffset, int32 toOffset);

private:
    int32 _NextCharacter(int32 offset) const;
    int32 _PreviousCharacter(int32 offset) const;
    int32 _CharacterStart(int32 offset) const;
    int32 _LineStart(int32 offset) const;
    int32 _LineEnd(int32 offset) const;
    // Replaces the selection with text, as typing and pasting do, and puts the caret after it.
    void _Replace(const char* text, int32 length);
    // Moves the caret; with extend the selection's anchor stays.
    void _MoveCaret(int32 offset, bool extend);
    void _SelectWord(int32 offset);
    // Scrolls sideways so that the caret is in sight.
    void _ScrollToCaret();
    // The modifier keys held when the message being handled was sent.
    uint32 _HeldModifiers() const;

    std::string fText;
    int32 fAnchor = 0; // the end of the selection that stays while it is extended
    int32 fCaret = 0;  // the end that moves
    bool fEditable = true;
    int32 fMaxBytes = -1;
    BRect fTextRect;
    float fScrollX = 0;
    bool fTracking = false;
};
