#include "TextInput.h"

#include <TextControl.h>

#include "ArchiveClasses.h"

#include <cmath>
#include <cstring>
#include <string>

namespace BPrivate {

TextInput::TextInput(BRect frame, BRect textRect)
    : BTextView(frame, "_input_", textRect, B_FOLLOW_ALL,
                B_WILL_DRAW | B_NAVIGABLE | B_FRAME_EVENTS)
{
}

TextInput::TextInput(BMessage* archive) : BTextView(archive) {}

TextInput::~TextInput() = default;

BArchivable* TextInput::Instantiate(BMessage* archive)
{
    if (!validate_instantiation(archive, "_BTextInput_"))
        return nullptr;
    return new TextInput(archive);
}

status_t TextInput::Archive(BMessage* into, bool deep) const
{
    status_t status = BTextView::Archive(into, deep);
    if (status == B_OK)
        status = add_archived_class(into, "_BTextInput_");
    return status;
}

BTextControl* TextInput::_Control() const
{
    return dynamic_cast<BTextControl*>(Parent());
}

void TextInput::LayoutText()
{
    font_height height;
    GetFontHeight(&height);
    const BRect bounds = Bounds();
    const float top = std::floor((bounds.Height() + 1 - std::ceil(height.ascent + height.descent)) / 2);
    SetTextRect(BRect(2, top, bounds.right - 2, bounds.bottom));
}

void TextInput::FrameResized(float width, float height)
{
    LayoutText();
    BTextView::FrameResized(width, height);
}

void TextInput::InsertText(const char* text, int32 length, int32 offset,
                           const text_run_array* runs)
{
    if (text == nullptr || length <= 0)
        return;
    // A field holds one line: pasted line breaks become spaces.
    std::string line(text, strnlen(text, (size_t)length));
    for (char& byte : line) {
        if (byte == '\n' || byte == '\r')
            byte = ' ';
    }
    const int32 before = TextLength();
    BTextView::InsertText(line.c_str(), (int32)line.size(), offset, runs);
    if (TextLength() != before && _Control() != nullptr)
        _Control()->_TextChanged();
}

void TextInput::DeleteText(int32 fromOffset, int32 toOffset)
{
    const int32 before = TextLength();
    BTextView::DeleteText(fromOffset, toOffset);
    if (TextLength() != before && _Control() != nullptr)
        _Control()->_TextChanged();
}

void TextInput::KeyDown(const char* bytes, int32 numBytes)
{
    BTextControl* control = _Control();
    if (control != nullptr && !control->IsEnabled())
        return;
    if (numBytes == 1 && bytes[0] == B_ENTER) {
        if (control != nullptr)
            control->_Commit();
        SelectAll();
        // Enter in a field also confirms the window: on to the default button.
        BView::KeyDown(bytes, numBytes);
        return;
    }
    BTextView::KeyDown(bytes, numBytes);
}

void TextInput::MouseDown(BPoint where)
{
    BTextControl* control = _Control();
    if (control != nullptr && !control->IsEnabled())
        return;
    BTextView::MouseDown(where);
}

void TextInput::MakeFocus(bool focus)
{
    const bool had = IsFocus();
    BTextView::MakeFocus(focus);
    // Coming in by keyboard selects the whole text, to be typed over; a click then places
    // the caret where it went.
    if (focus && !had)
        SelectAll();
    BTextControl* control = _Control();
    if (control == nullptr)
        return;
    if (!focus)
        control->_Commit();
    control->Invalidate();
}

} // namespace BPrivate
