#include <Button.h>

#include <Message.h>
#include <OS.h>
#include <Window.h>

#include "ArchiveClasses.h"
#include "ControlLook.h"

#include <algorithm>
#include <cmath>

namespace {

// The ring of a default button: room for it on every side.
constexpr float kDefaultRing = 3;
constexpr float kMinimumWidth = 75;

} // namespace

BButton::BButton(BRect frame, const char* name, const char* label, BMessage* message,
                 uint32 resizingMode, uint32 flags)
    : BControl(frame, name, label, message, resizingMode, flags | B_WILL_DRAW)
{
}

BButton::BButton(BMessage* archive) : BControl(archive)
{
    bool isDefault;
    if (archive != nullptr && archive->FindBool("_default", &isDefault) == B_OK)
        fDefault = isDefault;
}

BButton::~BButton() = default;

BArchivable* BButton::Instantiate(BMessage* archive)
{
    if (!validate_instantiation(archive, "BButton"))
        return nullptr;
    return new BButton(archive);
}

status_t BButton::Archive(BMessage* into, bool deep) const
{
    status_t status = BControl::Archive(into, deep);
    if (status == B_OK)
        status = BPrivate::add_archived_class(into, "BButton");
    if (status == B_OK && fDefault)
        status = into->AddBool("_default", true);
    return status;
}

void BButton::AttachedToWindow()
{
    BControl::AttachedToWindow();
    // A button made default before it had a window takes the role now.
    if (fDefault && Window()->DefaultButton() != this)
        Window()->SetDefaultButton(this);
}

BRect BButton::_FaceRect() const
{
    BRect face = Bounds();
    if (fDefault)
        face.InsetBy(kDefaultRing, kDefaultRing);
    return face;
}

void BButton::Draw(BRect)
{
    using BPrivate::ControlLook;
    const rgb_color panel =
        ViewColor() == B_TRANSPARENT_COLOR ? ui_color(B_PANEL_BACKGROUND_COLOR) : ViewColor();
    const bool pressed = IsEnabled() && Value() != B_CONTROL_OFF;
    const uint32 flags =
        (IsEnabled() ? 0 : ControlLook::kDisabled) | (pressed ? ControlLook::kPressed : 0);
    if (fDefault)
        ControlLook::DrawDefaultButtonFrame(this, Bounds(), panel, flags);
    BRect face = _FaceRect();
    const rgb_color fill = ControlLook::DrawButton(this, face, flags);
    face.InsetBy(1, 1);

    const char* label = Label();
    if (label == nullptr || label[0] == '\0')
        return;
    font_height height;
    GetFontHeight(&height);
    const float width = StringWidth(label);
    const float offset = pressed ? 1 : 0;
    const float x = std::floor(face.left + (face.Width() + 1 - width) / 2) + offset;
    const float y = std::floor(face.top + (face.Height() + 1 - height.ascent - height.descent) / 2 +
                               height.ascent) +
                    offset;
    SetLowColor(fill);
    SetHighColor(LabelColor());
    DrawString(label, BPoint(x, y));
    DrawFocusLine(x, x + std::ceil(width) - 1, y + 2);
}

void BButton::MouseDown(BPoint)
{
    StartPress();
    if (IsPressed())
        SetValue(B_CONTROL_ON);
}

void BButton::MouseMoved(BPoint where, uint32, const BMessage*)
{
    if (!IsTracking())
        return;
    // Down while the pointer is over the button; up when it leaves, to show that letting go
    // there does nothing.
    FollowPress(where);
    SetValue(IsPressed() ? B_CONTROL_ON : B_CONTROL_OFF);
}

void BButton::MouseUp(BPoint where)
{
    // Up again in any case: a button switched off while it was held is no longer tracked,
    // but must not stay drawn down.
    const bool clicked = EndPress(where);
    SetValue(B_CONTROL_OFF);
    if (clicked)
        Invoke();
}

void BButton::KeyDown(const char* bytes, int32 numBytes)
{
    if (numBytes == 1 && (bytes[0] == B_SPACE || bytes[0] == B_ENTER)) {
        // Shown pressed for a moment, as a click would.
        SetValue(B_CONTROL_ON);
        if (Window() != nullptr)
            Window()->UpdateIfNeeded();
        snooze(25000);
        SetValue(B_CONTROL_OFF);
        Invoke();
        return;
    }
    BView::KeyDown(bytes, numBytes);
}

void BButton::GetPreferredSize(float* width, float* height)
{
    font_height metrics;
    GetFontHeight(&metrics);
    const char* label = Label();
    float preferredWidth =
        std::max(std::ceil(label != nullptr ? StringWidth(label) : 0) + 20, kMinimumWidth);
    float preferredHeight = std::ceil(metrics.ascent + metrics.descent) + 7;
    if (fDefault) {
        preferredWidth += 2 * kDefaultRing;
        preferredHeight += 2 * kDefaultRing;
    }
    if (width != nullptr)
        *width = preferredWidth;
    if (height != nullptr)
        *height = preferredHeight;
}

void BButton::MakeDefault(bool flag)
{
    if (flag == fDefault)
        return;
    fDefault = flag;
    // The window calls back with the same flag, which ends the exchange above.
    if (Window() != nullptr) {
        if (flag && Window()->DefaultButton() != this)
            Window()->SetDefaultButton(this);
        else if (!flag && Window()->DefaultButton() == this)
            Window()->SetDefaultButton(nullptr);
    }
    Invalidate();
}
