#include <Control.h>

#include <Message.h>
#include <OS.h>
#include <Window.h>

#include "ArchiveClasses.h"

#include <algorithm>
#include <cmath>

namespace {

// The mark of a check box or radio button, pixels on a side, and where the label after it
// starts.
constexpr float kMarkSize = 12;
constexpr float kMarkLabelLeft = 17;

} // namespace

BControl::BControl(BRect frame, const char* name, const char* label, BMessage* message,
                   uint32 resizingMode, uint32 flags)
    : BView(frame, name, resizingMode, flags), BInvoker(message, nullptr, nullptr),
      fWantsNavigation((flags & B_NAVIGABLE) != 0)
{
    if (label != nullptr) {
        fLabel = label;
        fHasLabel = true;
    }
    SetViewColor(ui_color(B_PANEL_BACKGROUND_COLOR));
    SetLowColor(ViewColor());
    SetHighColor(ui_color(B_CONTROL_TEXT_COLOR));
}

BControl::BControl(BMessage* archive) : BView(archive), BInvoker()
{
    fWantsNavigation = (Flags() & B_NAVIGABLE) != 0;
    if (archive == nullptr)
        return;
    const char* label;
    if (archive->FindString("_label", &label) == B_OK) {
        fLabel = label;
        fHasLabel = true;
    }
    int32 value;
    if (archive->FindInt32("_val", &value) == B_OK)
        fValue = value;
    BMessage message;
    if (archive->FindMessage("_msg", &message) == B_OK)
        SetMessage(new BMessage(message));
    bool disabled;
    if (archive->FindBool("_disable", &disabled) == B_OK && disabled)
        SetEnabled(false);
}

BControl::~BControl() = default;

BArchivable* BControl::Instantiate(BMessage* archive)
{
    if (!validate_instantiation(archive, "BControl"))
        return nullptr;
    return new BControl(archive);
}

status_t BControl::Archive(BMessage* into, bool deep) const
{
    status_t status = BView::Archive(into, deep);
    if (status == B_OK)
        status = BPrivate::add_archived_class(into, "BControl");
    if (status != B_OK)
        return status;
    // A disabled control keeps the navigation it had when enabled.
    if (!fEnabled && fWantsNavigation)
        into->ReplaceInt32("_flags", (int32)(Flags() | B_NAVIGABLE));
    if (fHasLabel)
        into->AddString("_label", fLabel.c_str());
    into->AddInt32("_val", fValue);
    if (Message() != nullptr)
        into->AddMessage("_msg", Message());
    if (!fEnabled)
        into->AddBool("_disable", true);
    return B_OK;
}

void BControl::AttachedToWindow()
{
    // A control blends into the panel it sits on.
    if (Parent() != nullptr && !(Parent()->ViewColor() == B_TRANSPARENT_COLOR)) {
        SetViewColor(Parent()->ViewColor());
        SetLowColor(ViewColor());
    }
    // Without a target of its own a control talks to its window.
    if (Target() == nullptr && !Messenger().IsValid())
        SetTarget(Window());
}

void BControl::WindowActivated(bool)
{
    if (IsFocus())
        Invalidate();
}

void BControl::MakeFocus(bool focus)
{
    // Called with false by the window after the focus has moved on already; redraw anyway.
    BView::MakeFocus(focus);
    Invalidate();
}

void BControl::KeyDown(const char* bytes, int32 numBytes)
{
    if (numBytes == 1 && bytes[0] == B_SPACE) {
        SetValue(fValue != B_CONTROL_OFF ? B_CONTROL_OFF : B_CONTROL_ON);
        Invoke();
        return;
    }
    BView::KeyDown(bytes, numBytes);
}

void BControl::SetLabel(const char* label)
{
    const bool hasLabel = label != nullptr;
    if (hasLabel == fHasLabel && (!hasLabel || fLabel == label))
        return;
    fHasLabel = hasLabel;
    fLabel = hasLabel ? label : "";
    Invalidate();
}

void BControl::SetValue(int32 value)
{
    if (value == fValue)
        return;
    fValue = value;
    Invalidate();
}

void BControl::SetEnabled(bool enabled)
{
    if (enabled == fEnabled)
        return;
    fEnabled = enabled;
    if (enabled) {
        if (fWantsNavigation)
            SetFlags(Flags() | B_NAVIGABLE);
    } else {
        fWantsNavigation = (Flags() & B_NAVIGABLE) != 0;
        SetFlags(Flags() & ~B_NAVIGABLE);
        // A disabled control takes no keys, not even Tab: it must not keep the focus.
        if (IsFocus())
            MakeFocus(false);
        fTracking = false;
        fPressed = false;
    }
    Invalidate();
}

void BControl::StartPress()
{
    fTracking = true;
    fPressed = true;
    Invalidate();
    SetMouseEventMask(B_POINTER_EVENTS, B_LOCK_WINDOW_FOCUS);
}

void BControl::FollowPress(BPoint where)
{
    if (!fTracking)
        return;
    const bool inside = Bounds().Contains(where);
    if (inside != fPressed) {
        fPressed = inside;
        Invalidate();
    }
}

bool BControl::EndPress(BPoint where)
{
    if (!fTracking)
        return false;
    fTracking = false;
    fPressed = false;
    Invalidate();
    // Disabling ends the press, so only an enabled control gets here.
    return Bounds().Contains(where);
}

status_t BControl::Invoke(BMessage* message)
{
    if (message == nullptr)
        message = Message();
    if (message == nullptr)
        return B_BAD_VALUE;
    BMessage copy(*message);
    copy.AddInt64("when", system_time());
    copy.AddPointer("source", this);
    copy.AddInt32("be:value", fValue);
    return BInvoker::Invoke(&copy);
}

rgb_color BControl::LabelColor() const
{
    const rgb_color text = ui_color(B_CONTROL_TEXT_COLOR);
    if (fEnabled)
        return text;
    // Greyed towards the background the label stands on.
    const rgb_color back = ViewColor();
    return rgb_color{(uint8)((text.red + 2 * back.red) / 3),
                     (uint8)((text.green + 2 * back.green) / 3),
                     (uint8)((text.blue + 2 * back.blue) / 3), 255};
}

void BControl::DrawFocusLine(float left, float right, float y)
{
    if (!IsFocus() || !fEnabled || Window() == nullptr || !Window()->IsActive())
        return;
    const rgb_color saved = HighColor();
    SetHighColor(ui_color(B_NAVIGATION_BASE_COLOR));
    StrokeLine(BPoint(left, y), BPoint(right, y));
    SetHighColor(saved);
}

BRect BControl::MarkRect() const
{
    const float top = std::floor((Bounds().Height() + 1 - kMarkSize) / 2);
    return BRect(1, top, kMarkSize, top + kMarkSize - 1);
}

void BControl::DrawLabelAfterMark()
{
    const char* label = Label();
    if (label == nullptr || label[0] == '\0')
        return;
    font_height height;
    GetFontHeight(&height);
    const float y =
        std::floor((Bounds().Height() + 1 - height.ascent - height.descent) / 2 + height.ascent);
    SetLowColor(ViewColor());
    SetHighColor(LabelColor());
    DrawString(label, BPoint(kMarkLabelLeft, y));
    DrawFocusLine(kMarkLabelLeft, kMarkLabelLeft + std::ceil(StringWidth(label)) - 1, y + 2);
}

void BControl::GetMarkAndLabelSize(float* width, float* height)
{
    font_height metrics;
    GetFontHeight(&metrics);
    const char* label = Label();
    if (width != nullptr)
        *width = kMarkLabelLeft + std::ceil(label != nullptr ? StringWidth(label) : 0) + 2;
    if (height != nullptr)
        *height = std::max(std::ceil(metrics.ascent + metrics.descent), kMarkSize) + 2;
}
