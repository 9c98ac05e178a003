#include <RadioButton.h>

#include "ArchiveClasses.h"
#include "ControlLook.h"

BRadioButton::BRadioButton(BRect frame, const char* name, const char* label, BMessage* message,
                           uint32 resizingMode, uint32 flags)
    : BControl(frame, name, label, message, resizingMode, flags | B_WILL_DRAW)
{
}

BRadioButton::BRadioButton(BMessage* archive) : BControl(archive) {}

BRadioButton::~BRadioButton() = default;

BArchivable* BRadioButton::Instantiate(BMessage* archive)
{
    if (!validate_instantiation(archive, "BRadioButton"))
        return nullptr;
    return new BRadioButton(archive);
}

status_t BRadioButton::Archive(BMessage* into, bool deep) const
{
    status_t status = BControl::Archive(into, deep);
    if (status == B_OK)
        status = BPrivate::add_archived_class(into, "BRadioButton");
    return status;
}

void BRadioButton::Draw(BRect)
{
    using BPrivate::ControlLook;
    ControlLook::DrawRadioButton(this, MarkRect(),
                                 (IsEnabled() ? 0 : ControlLook::kDisabled) |
                                     (IsPressed() ? ControlLook::kPressed : 0) |
                                     (Value() != B_CONTROL_OFF ? ControlLook::kMarked : 0));
    DrawLabelAfterMark();
}

void BRadioButton::SetValue(int32 value)
{
    if (value != B_CONTROL_OFF)
        value = B_CONTROL_ON;
    if (value == Value())
        return;
    BControl::SetValue(value);
    if (value == B_CONTROL_OFF || Parent() == nullptr)
        return;
    for (BView* sibling = Parent()->ChildAt(0); sibling != nullptr;
         sibling = sibling->NextSibling()) {
        auto* radio = dynamic_cast<BRadioButton*>(sibling);
        if (radio != nullptr && radio != this)
            radio->SetValue(B_CONTROL_OFF);
    }
}

void BRadioButton::MouseDown(BPoint)
{
    StartPress();
}

void BRadioButton::MouseMoved(BPoint where, uint32, const BMessage*)
{
    FollowPress(where);
}

void BRadioButton::MouseUp(BPoint where)
{
    if (EndPress(where)) {
        SetValue(B_CONTROL_ON);
        Invoke();
    }
}

void BRadioButton::KeyDown(const char* bytes, int32 numBytes)
{
    if (numBytes == 1 && bytes[0] == B_SPACE) {
        SetValue(B_CONTROL_ON);
        Invoke();
        return;
    }
    BView::KeyDown(bytes, numBytes);
}

void BRadioButton::GetPreferredSize(float* width, float* height)
{
    GetMarkAndLabelSize(width, height);
}
