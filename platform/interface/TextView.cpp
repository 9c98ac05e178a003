#include <TextView.h>

#include <AppDefs.h>
#include <Message.h>
#include <Window.h>

#include "ArchiveClasses.h"
#include "FontRendering.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>

namespace {

// The clipboard of the process: text views cut to it and paste from it. Text moves between
// windows of the process, each on its own thread, hence the lock.
std::mutex sClipboardLock;
std::string sClipboard;

bool is_continuation(char byte)
{
    return ((uint8)byte & 0xc0) == 0x80;
}

// Letters, digits and every character beyond ASCII make up words.
bool is_word_byte(char byte)
{
    const uint8 value = (uint8)byte;
    return value >= 0x80 || isalnum(value) || value == '_';
}

// How many bytes the UTF-8 sequence that starts with this byte has; 1 for a byte that starts
// none (ASCII, or a byte that is no first byte), so that such bytes count one by one and
// every walk stays short and inside the text.
int32 sequence_length(char byte)
{
    const uint8 value = (uint8)byte;
    if (value >= 0xc0 && value < 0xe0)
        return 2;
    if (value >= 0xe0 && value < 0xf0)
        return 3;
    if (value >= 0xf0 && value < 0xf8)
        return 4;
    return 1;
}

} // namespace

BTextView::BTextView(BRect frame, const char* name, BRect textRect, uint32 resizingMode,
                     uint32 flags)
    : BView(frame, name, resizingMode, flags | B_WILL_DRAW), fTextRect(textRect)
{
    SetViewColor(ui_color(B_DOCUMENT_BACKGROUND_COLOR));
    SetLowColor(ViewColor());
    SetHighColor(ui_color(B_DOCUMENT_TEXT_COLOR));
}

BTextView::BTextView(BMessage* archive) : BView(archive), fTextRect(Bounds())
{
    if (archive == nullptr)
        return;
    const char* text;
    if (archive->FindString("_text", &text) == B_OK)
        fText = text;
    bool notEditable;
    if (archive->FindBool("_nedit", &notEditable) == B_OK)
        fEditable = !notEditable;
    int32 max;
    if (archive->FindInt32("_max", &max) == B_OK)
        fMaxBytes = max;
    int32 start;
    int32 end;
    if (archive->FindInt32("_sel", 0, &start) == B_OK &&
        archive->FindInt32("_sel", 1, &end) == B_OK)
        Select(start, end);
    else
        Select(TextLength(), TextLength());
}

BTextView::~BTextView() = default;

BArchivable* BTextView::Instantiate(BMessage* archive)
{
    if (!validate_instantiation(archive, "BTextView"))
        return nullptr;
    return new BTextView(archive);
}

status_t BTextView::Archive(BMessage* into, bool deep) const
{
    status_t status = BView::Archive(into, deep);
    if (status == B_OK)
        status = BPrivate::add_archived_class(into, "BTextView");
    if (status != B_OK)
        return status;
    into->AddString("_text", fText.c_str());
    int32 start;
    int32 end;
    GetSelection(&start, &end);
    into->AddInt32("_sel", start);
    into->AddInt32("_sel", end);
    if (!fEditable)
        into->AddBool("_nedit", true);
    if (fMaxBytes >= 0)
        into->AddInt32("_max", fMaxBytes);
    return B_OK;
}

void BTextView::AttachedToWindow()
{
    _ScrollToCaret();
}

// #pragma mark - characters and lines

int32 BTextView::_NextCharacter(int32 offset) const
{
    const int32 length = TextLength();
    if (offset >= length)
        return length;
    const int32 sequence = sequence_length(fText[offset]);
    offset++;
    for (int32 i = 1; i < sequence && offset < length && is_continuation(fText[offset]); i++)
        offset++;
    return offset;
}

int32 BTextView::_CharacterStart(int32 offset) const
{
    offset = std::clamp(offset, (int32)0, TextLength());
    // The text's first byte starts a character even when it is a stray continuation byte.
    if (offset == 0 || offset == TextLength() || !is_continuation(fText[offset]))
        return offset;
    // Inside a character when a first byte a few bytes back reaches this far; a
    // continuation byte that no first byte claims is a character of its own.
    int32 start = offset - 1;
    while (start > 0 && offset - start < 3 && is_continuation(fText[start]))
        start--;
    if (!is_continuation(fText[start]) && start + sequence_length(fText[start]) > offset)
        return start;
    return offset;
}

int32 BTextView::_PreviousCharacter(int32 offset) const
{
    if (offset <= 0)
        return 0;
    return _CharacterStart(offset - 1);
}

int32 BTextView::_LineStart(int32 offset) const
{
    while (offset > 0 && fText[offset - 1] != '\n')
        offset--;
    return offset;
}

int32 BTextView::_LineEnd(int32 offset) const
{
    const int32 length = TextLength();
    while (offset < length && fText[offset] != '\n')
        offset++;
    return offset;
}

// #pragma mark - the text

void BTextView::SetText(const char* text)
{
    SetText(text, text != nullptr ? (int32)strlen(text) : 0);
}

void BTextView::SetText(const char* text, int32 length)
{
    if (!fText.empty())
        DeleteText(0, TextLength());
    if (text != nullptr && length > 0)
        InsertText(text, length, 0, nullptr);
    fAnchor = fCaret = TextLength();
    fScrollX = 0;
    _ScrollToCaret();
    Invalidate();
}

void BTextView::InsertText(const char* text, int32 length, int32 offset, const text_run_array*)
{
    if (text == nullptr || length <= 0)
        return;
    length = (int32)strnlen(text, (size_t)length);
    offset = _CharacterStart(offset);
    if (fMaxBytes >= 0) {
        const int32 room = std::max(fMaxBytes - TextLength(), (int32)0);
        if (length > room) {
            // Cut where a character starts, so that no half character goes in.
            length = room;
            while (length > 0 && is_continuation(text[length]))
                length--;
        }
    }
    if (length <= 0)
        return;
    fText.insert((size_t)offset, text, (size_t)length);
    // The selection keeps to the text it was on.
    if (fAnchor >= offset)
        fAnchor += length;
    if (fCaret >= offset)
        fCaret += length;
    Invalidate();
}

void BTextView::DeleteText(int32 fromOffset, int32 toOffset)
{
    fromOffset = _CharacterStart(fromOffset);
    toOffset = _CharacterStart(toOffset);
    if (toOffset <= fromOffset)
        return;
    fText.erase((size_t)fromOffset, (size_t)(toOffset - fromOffset));
    const auto shift = [&](int32 at) {
        if (at >= toOffset)
            return at - (toOffset - fromOffset);
        return std::min(at, fromOffset);
    };
    fAnchor = shift(fAnchor);
    fCaret = shift(fCaret);
    Invalidate();
}

void BTextView::Insert(const char* text)
{
    Insert(text, text != nullptr ? (int32)strlen(text) : 0);
}

void BTextView::Insert(const char* text, int32 length)
{
    int32 start;
    int32 end;
    GetSelection(&start, &end);
    if (end > start)
        DeleteText(start, end);
    InsertText(text, length, start, nullptr);
    _ScrollToCaret();
}

void BTextView::Insert(int32 offset, const char* text, int32 length)
{
    InsertText(text, length, offset, nullptr);
    _ScrollToCaret();
}

void BTextView::Delete()
{
    int32 start;
    int32 end;
    GetSelection(&start, &end);
    Delete(start, end);
}

void BTextView::Delete(int32 start, int32 end)
{
    DeleteText(std::clamp(start, (int32)0, TextLength()), std::clamp(end, (int32)0, TextLength()));
    _ScrollToCaret();
}

// #pragma mark - the selection

void BTextView::Select(int32 start, int32 end)
{
    start = _CharacterStart(start);
    end = _CharacterStart(end);
    if (end < start)
        std::swap(start, end);
    if (start == std::min(fAnchor, fCaret) && end == std::max(fAnchor, fCaret))
        return;
    fAnchor = start;
    fCaret = end;
    _ScrollToCaret();
    Invalidate();
}

void BTextView::SelectAll()
{
    Select(0, TextLength());
}

void BTextView::GetSelection(int32* start, int32* end) const
{
    if (start != nullptr)
        *start = std::min(fAnchor, fCaret);
    if (end != nullptr)
        *end = std::max(fAnchor, fCaret);
}

void BTextView::_MoveCaret(int32 offset, bool extend)
{
    offset = _CharacterStart(offset);
    if (!extend)
        fAnchor = offset;
    fCaret = offset;
    _ScrollToCaret();
    Invalidate();
}

void BTextView::_SelectWord(int32 offset)
{
    const int32 length = TextLength();
    int32 start = _CharacterStart(offset);
    int32 end = _NextCharacter(start);
    if (start < length && is_word_byte(fText[start])) {
        while (start > 0 && is_word_byte(fText[start - 1]))
            start = _PreviousCharacter(start);
        while (end < length && is_word_byte(fText[end]))
            end = _NextCharacter(end);
    }
    fAnchor = start;
    fCaret = end;
    _ScrollToCaret();
    Invalidate();
}

// #pragma mark - the clipboard

void BTextView::Cut()
{
    if (!fEditable)
        return;
    Copy();
    Delete();
}

void BTextView::Copy()
{
    int32 start;
    int32 end;
    GetSelection(&start, &end);
    if (end <= start)
        return;
    std::lock_guard<std::mutex> lock(sClipboardLock);
    sClipboard = fText.substr((size_t)start, (size_t)(end - start));
}

void BTextView::Paste()
{
    if (!fEditable)
        return;
    std::string text;
    {
        std::lock_guard<std::mutex> lock(sClipboardLock);
        text = sClipboard;
    }
    _Replace(text.c_str(), (int32)text.size());
}

void BTextView::_Replace(const char* text, int32 length)
{
    int32 start;
    int32 end;
    GetSelection(&start, &end);
    if (end > start)
        DeleteText(start, end);
    fAnchor = fCaret = start;
    InsertText(text, length, start, nullptr);
    // The caret follows what went in (a subclass may have let less in, or more).
    fAnchor = fCaret;
    _ScrollToCaret();
    Invalidate();
}

// #pragma mark - settings

void BTextView::MakeEditable(bool editable)
{
    if (editable == fEditable)
        return;
    fEditable = editable;
    Invalidate();
}

void BTextView::SetMaxBytes(int32 max)
{
    fMaxBytes = max < 0 ? -1 : max;
    if (fMaxBytes >= 0 && TextLength() > fMaxBytes)
        DeleteText(_CharacterStart(fMaxBytes), TextLength());
}

void BTextView::SetTextRect(BRect rect)
{
    fTextRect = rect;
    _ScrollToCaret();
    Invalidate();
}

float BTextView::LineHeight() const
{
    font_height height;
    GetFontHeight(&height);
    return std::ceil(height.ascent + height.descent + height.leading);
}

// #pragma mark - geometry

BPoint BTextView::PointAt(int32 offset, float* height) const
{
    offset = _CharacterStart(offset);
    const int32 lineStart = _LineStart(offset);
    int32 line = 0;
    for (int32 i = 0; i < lineStart; i++)
        line += fText[i] == '\n' ? 1 : 0;
    BFont font;
    GetFont(&font);
    const float x = BPrivate::offset_to_x(font, fText.c_str() + lineStart,
                                          _LineEnd(offset) - lineStart, offset - lineStart);
    const float lineHeight = LineHeight();
    if (height != nullptr)
        *height = lineHeight;
    return BPoint(fTextRect.left - fScrollX + x, fTextRect.top + line * lineHeight);
}

int32 BTextView::OffsetAt(BPoint point) const
{
    const float lineHeight = LineHeight();
    const int32 wanted = (int32)std::floor((point.y - fTextRect.top) / std::max(lineHeight, 1.f));
    int32 lineStart = 0;
    for (int32 line = 0; line < wanted; line++) {
        const int32 end = _LineEnd(lineStart);
        if (end >= TextLength())
            break;
        lineStart = end + 1;
    }
    BFont font;
    GetFont(&font);
    const int32 lineLength = _LineEnd(lineStart) - lineStart;
    return lineStart + BPrivate::x_to_offset(font, fText.c_str() + lineStart, lineLength,
                                             point.x - fTextRect.left + fScrollX);
}

void BTextView::_ScrollToCaret()
{
    // Only the line a single-line field shows scrolls; longer text of several lines is cut.
    BFont font;
    GetFont(&font);
    const int32 lineStart = _LineStart(fCaret);
    const float x = BPrivate::offset_to_x(font, fText.c_str() + lineStart,
                                          _LineEnd(fCaret) - lineStart, fCaret - lineStart);
    const float width = fTextRect.Width();
    if (x - fScrollX > width)
        fScrollX = x - width;
    else if (x < fScrollX)
        fScrollX = x;
    fScrollX = std::max(std::floor(fScrollX), 0.f);
}

void BTextView::FrameResized(float, float)
{
    _ScrollToCaret();
    Invalidate();
}

// #pragma mark - drawing

void BTextView::Draw(BRect)
{
    const bool active = IsFocus() && Window() != nullptr && Window()->IsActive();
    const float lineHeight = LineHeight();
    font_height height;
    GetFontHeight(&height);
    int32 start;
    int32 end;
    GetSelection(&start, &end);

    // The high colour is the text's: a field that is switched off greys it.
    const rgb_color textColor = HighColor();
    int32 lineStart = 0;
    for (int32 line = 0;; line++) {
        const int32 lineEnd = _LineEnd(lineStart);
        const float top = fTextRect.top + line * lineHeight;
        const float left = fTextRect.left - fScrollX;
        if (active && end > start && start <= lineEnd && end >= lineStart) {
            // The selected part of this line; a selected line break shows as a little room.
            const BPoint from = PointAt(std::max(start, lineStart));
            float to = PointAt(std::min(end, lineEnd)).x;
            if (end > lineEnd && lineEnd < TextLength())
                to += 4;
            SetHighColor(tint_color(ui_color(B_CONTROL_HIGHLIGHT_COLOR), B_LIGHTEN_1_TINT));
            FillRect(BRect(from.x, top, to - 1, top + lineHeight - 1));
        }
        SetHighColor(textColor);
        DrawString(fText.c_str() + lineStart, lineEnd - lineStart,
                   BPoint(left, top + std::ceil(height.ascent)));
        if (lineEnd >= TextLength() || top + lineHeight > Bounds().bottom)
            break;
        lineStart = lineEnd + 1;
    }

    if (active && fEditable && start == end) {
        const BPoint caret = PointAt(fCaret);
        StrokeLine(BPoint(caret.x, caret.y), BPoint(caret.x, caret.y + lineHeight - 1));
    }
    SetHighColor(textColor);
}

// #pragma mark - input

uint32 BTextView::_HeldModifiers() const
{
    int32 held = (int32)modifiers();
    if (Window() != nullptr && Window()->CurrentMessage() != nullptr)
        Window()->CurrentMessage()->FindInt32("modifiers", &held);
    return (uint32)held;
}

void BTextView::KeyDown(const char* bytes, int32 numBytes)
{
    if (numBytes <= 0 || bytes == nullptr)
        return;
    const uint32 held = _HeldModifiers();
    if ((held & B_COMMAND_KEY) != 0) {
        // Shortcuts of the window's menus were tried first; these are what is left.
        switch (numBytes == 1 ? tolower((uint8)bytes[0]) : 0) {
        case 'x':
            Cut();
            return;
        case 'c':
            Copy();
            return;
        case 'v':
            Paste();
            return;
        case 'a':
            SelectAll();
            return;
        default:
            BView::KeyDown(bytes, numBytes);
            return;
        }
    }

    if ((held & B_CONTROL_KEY) != 0 && (uint8)bytes[0] >= 0x20) {
        // Control with a character is a command, never text: Control+A selects all, the
        // rest are the window's (its filters route them to the controls they name).
        if (numBytes == 1 && tolower((uint8)bytes[0]) == 'a')
            SelectAll();
        else
            BView::KeyDown(bytes, numBytes);
        return;
    }

    int32 start;
    int32 end;
    GetSelection(&start, &end);
    const bool extend = (held & B_SHIFT_KEY) != 0;
    switch (numBytes == 1 ? bytes[0] : 0) {
    case B_BACKSPACE:
        if (fEditable) {
            if (end > start)
                Delete(start, end);
            else if (start > 0)
                Delete(_PreviousCharacter(start), start);
        }
        return;
    case B_DELETE:
        if (fEditable) {
            if (end > start)
                Delete(start, end);
            else
                Delete(start, _NextCharacter(start));
        }
        return;
    case B_LEFT_ARROW:
        if (!extend && end > start)
            _MoveCaret(start, false);
        else
            _MoveCaret(_PreviousCharacter(fCaret), extend);
        return;
    case B_RIGHT_ARROW:
        if (!extend && end > start)
            _MoveCaret(end, false);
        else
            _MoveCaret(_NextCharacter(fCaret), extend);
        return;
    case B_HOME:
        _MoveCaret(_LineStart(fCaret), extend);
        return;
    case B_END:
        _MoveCaret(_LineEnd(fCaret), extend);
        return;
    case B_UP_ARROW:
    case B_DOWN_ARROW:
    case B_PAGE_UP:
    case B_PAGE_DOWN:
        return;
    case B_ENTER:
        if (fEditable)
            _Replace("\n", 1);
        return;
    default:
        break;
    }
    // Control characters (Tab, Escape, function keys) are the window's.
    if ((uint8)bytes[0] < 0x20) {
        BView::KeyDown(bytes, numBytes);
        return;
    }
    if (fEditable)
        _Replace(bytes, numBytes);
}

void BTextView::MouseDown(BPoint where)
{
    if (!IsFocus())
        MakeFocus(true);
    int32 clicks = 1;
    if (Window() != nullptr && Window()->CurrentMessage() != nullptr)
        Window()->CurrentMessage()->FindInt32("clicks", &clicks);
    const int32 offset = OffsetAt(where);
    if (clicks >= 2)
        _SelectWord(offset);
    else
        _MoveCaret(offset, (_HeldModifiers() & B_SHIFT_KEY) != 0);
    fTracking = true;
    SetMouseEventMask(B_POINTER_EVENTS, B_LOCK_WINDOW_FOCUS);
}

void BTextView::MouseMoved(BPoint where, uint32, const BMessage*)
{
    if (!fTracking)
        return;
    const int32 offset = OffsetAt(where);
    if (offset != fCaret)
        _MoveCaret(offset, true);
}

void BTextView::MouseUp(BPoint)
{
    fTracking = false;
}

void BTextView::MakeFocus(bool focus)
{
    BView::MakeFocus(focus);
    Invalidate();
}

void BTextView::WindowActivated(bool)
{
    if (IsFocus())
        Invalidate();
}

void BTextView::MessageReceived(BMessage* message)
{
    switch (message->what) {
    case B_CUT:
        Cut();
        break;
    case B_COPY:
        Copy();
        break;
    case B_PASTE:
        Paste();
        break;
    case B_SELECT_ALL:
        SelectAll();
        break;
    default:
        BView::MessageReceived(message);
        break;
    }
}
