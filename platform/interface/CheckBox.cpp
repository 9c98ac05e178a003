#include <CheckBox.h>

#include "ArchiveClasses.h"
#include "ControlLook.h"

BCheckBox::BCheckBox(BRect frame, const char* name, const char* label, BMessage* message,
                     uint32 resizingMode, uint32 flags)
    : BControl(frame, name, label, message, resizingMode, flags | B_WILL_DRAW)
{
}

BCheckBox::BCheckBox(BMessage* archive) : BControl(archive) {}

BCheckBox::~BCheckBox() = default;

BArchivable* BCheckBox::Instantiate(BMessage* archive)
{
    if (!validate_instantiation(archive, "BCheckBox"))
        return nullptr;
    return new BCheckBox(archive);
}

status_t BCheckBox::Archive(BMessage* into, bool deep) const
{
    status_t status = BControl::Archive(into, deep);
    if (status == B_OK)
        status = BPrivate::add_archived_class(into, "BCheckBox");
    return status;
}

void BCheckBox::Draw(BRect)
{
    using BPrivate::ControlLook;
    ControlLook::DrawCheckBox(this, MarkRect(),
                              (IsEnabled() ? 0 : ControlLook::kDisabled) |
                                  (IsPressed() ? ControlLook::kPressed : 0) |
                                  (Value() != B_CONTROL_OFF ? ControlLook::kMarked : 0));
    DrawLabelAfterMark();
}

void BCheckBox::MouseDown(BPoint)
{
    StartPress();
}

void BCheckBox::MouseMoved(BPoint where, uint32, const BMessage*)
{
    FollowPress(where);
}

void BCheckBox::MouseUp(BPoint where)
{
    if (EndPress(where)) {
        SetValue(Value() != B_CONTROL_OFF ? B_CONTROL_OFF : B_CONTROL_ON);
        Invoke();
    }
}

void BCheckBox::GetPreferredSize(float* width, float* height)
{
    GetMarkAndLabelSize(width, height);
}
