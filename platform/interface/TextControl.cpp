#include <TextControl.h>

#include <Message.h>
#include <Window.h>

#include "ArchiveClasses.h"
#include "ControlLook.h"
#include "TextInput.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// The sunken frame around the field: an etched line and a dark (or focus) line inside it.
constexpr float kFrameWidth = 2;

} // namespace

BTextControl::BTextControl(BRect frame, const char* name, const char* label, const char* text,
                           BMessage* message, uint32 resizingMode, uint32 flags)
    : BControl(frame, name, label, message, resizingMode, (flags | B_WILL_DRAW) & ~B_NAVIGABLE)
{
    // The field takes the focus, not the control around it.
    if (label != nullptr && label[0] != '\0')
        fDivider = std::floor(Bounds().Width() / 2);
    _MakeInput(text);
}

BTextControl::BTextControl(BMessage* archive) : BControl(archive)
{
    const char* text = nullptr;
    float divider;
    if (archive != nullptr) {
        archive->FindString("_text", &text);
        if (archive->FindFloat("_divide", &divider) == B_OK && std::isfinite(divider))
            fDivider = std::clamp(divider, 0.f, Bounds().Width());
        BMessage message;
        if (archive->FindMessage("_mod_msg", &message) == B_OK)
            fModificationMessage = std::make_unique<BMessage>(message);
    }
    _MakeInput(text);
    _UpdateInputState();
}

BTextControl::~BTextControl() = default;

void BTextControl::_MakeInput(const char* text)
{
    // A deep archive brings its field along as a child; anything else by that name is
    // not one and gives way to a new field.
    BView* existing = nullptr;
    for (int32 i = 0; i < CountChildren(); i++) {
        if (strcmp(ChildAt(i)->Name(), "_input_") == 0)
            existing = ChildAt(i);
    }
    fInput = dynamic_cast<BPrivate::TextInput*>(existing);
    if (fInput == nullptr) {
        if (existing != nullptr) {
            RemoveChild(existing);
            delete existing;
        }
        fInput = new BPrivate::TextInput(BRect(0, 0, 10, 10), BRect(0, 0, 10, 10));
        AddChild(fInput);
    }
    _LayoutInput();
    if (text != nullptr) {
        fSettingText = true;
        fInput->SetText(text);
        fSettingText = false;
    }
}

BArchivable* BTextControl::Instantiate(BMessage* archive)
{
    if (!validate_instantiation(archive, "BTextControl"))
        return nullptr;
    return new BTextControl(archive);
}

status_t BTextControl::Archive(BMessage* into, bool deep) const
{
    status_t status = BControl::Archive(into, deep);
    if (status == B_OK)
        status = BPrivate::add_archived_class(into, "BTextControl");
    if (status != B_OK)
        return status;
    into->AddString("_text", Text());
    into->AddFloat("_divide", fDivider);
    if (fModificationMessage != nullptr)
        into->AddMessage("_mod_msg", fModificationMessage.get());
    return B_OK;
}

void BTextControl::AttachedToWindow()
{
    BControl::AttachedToWindow();
    _LayoutInput();
    _UpdateInputState();
}

void BTextControl::_LayoutInput()
{
    BRect frame = Bounds();
    frame.left = fDivider;
    frame.InsetBy(kFrameWidth, kFrameWidth);
    if (frame.right < frame.left)
        frame.right = frame.left;
    if (frame.bottom < frame.top)
        frame.bottom = frame.top;
    fInput->MoveTo(frame.LeftTop());
    fInput->ResizeTo(frame.Width(), frame.Height());
    fInput->LayoutText();
}

void BTextControl::_UpdateInputState()
{
    using BPrivate::ControlLook;
    const bool enabled = IsEnabled();
    fInput->MakeEditable(enabled);
    fInput->SetFlags(enabled ? fInput->Flags() | B_NAVIGABLE : fInput->Flags() & ~B_NAVIGABLE);
    const uint32 flags = enabled ? 0 : ControlLook::kDisabled;
    fInput->SetViewColor(ControlLook::WellFill(flags));
    fInput->SetLowColor(fInput->ViewColor());
    fInput->SetHighColor(ControlLook::FieldTextColor(flags));
    if (!enabled && fInput->IsFocus())
        fInput->MakeFocus(false);
    fInput->Invalidate();
}

void BTextControl::Draw(BRect)
{
    using BPrivate::ControlLook;
    const bool focused = fInput->IsFocus() && Window() != nullptr && Window()->IsActive();
    ControlLook::DrawTextFieldFrame(this, fInput->Frame().InsetByCopy(-kFrameWidth, -kFrameWidth),
                                    (IsEnabled() ? 0 : ControlLook::kDisabled) |
                                        (focused ? ControlLook::kFocused : 0));

    const char* label = Label();
    if (label == nullptr || label[0] == '\0' || fDivider <= 0)
        return;
    // On the field's baseline.
    font_height height;
    GetFontHeight(&height);
    const float baseline = fInput->Frame().top + fInput->TextRect().top + std::ceil(height.ascent);
    SetLowColor(ViewColor());
    SetHighColor(LabelColor());
    DrawString(label, BPoint(0, baseline));
}

void BTextControl::MouseDown(BPoint)
{
    fInput->MakeFocus(true);
}

void BTextControl::MakeFocus(bool focus)
{
    if (focus != fInput->IsFocus())
        fInput->MakeFocus(focus);
}

void BTextControl::GetPreferredSize(float* width, float* height)
{
    font_height metrics;
    GetFontHeight(&metrics);
    const char* label = Label();
    const float labelWidth =
        label != nullptr && label[0] != '\0' ? std::ceil(StringWidth(label)) + 3 : 0;
    const float textWidth = std::max(std::ceil(StringWidth(Text())) + 4, 40.f);
    if (width != nullptr)
        *width = std::max(fDivider, labelWidth) + textWidth + 2 * kFrameWidth;
    if (height != nullptr)
        *height = std::ceil(metrics.ascent + metrics.descent) + 2 * kFrameWidth + 1;
}

void BTextControl::SetEnabled(bool enabled)
{
    if (enabled == IsEnabled())
        return;
    BControl::SetEnabled(enabled);
    _UpdateInputState();
}

void BTextControl::SetText(const char* text)
{
    fSettingText = true;
    fInput->SetText(text);
    fSettingText = false;
    fChanged = false;
}

const char* BTextControl::Text() const
{
    return fInput->Text();
}

BTextView* BTextControl::TextView() const
{
    return fInput;
}

void BTextControl::SetModificationMessage(BMessage* message)
{
    if (message != fModificationMessage.get())
        fModificationMessage.reset(message);
}

void BTextControl::SetDivider(float position)
{
    if (!std::isfinite(position))
        return;
    fDivider = std::clamp(std::floor(position), 0.f, Bounds().Width());
    _LayoutInput();
    Invalidate();
}

void BTextControl::_TextChanged()
{
    if (fSettingText)
        return;
    fChanged = true;
    if (fModificationMessage != nullptr)
        BControl::Invoke(fModificationMessage.get());
}

void BTextControl::_Commit()
{
    if (!fChanged)
        return;
    fChanged = false;
    Invoke();
}
