#include <RadioButton.h>

#include "ArchiveClasses.h"

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
    const rgb_color base = ui_color(B_PANEL_BACKGROUND_COLOR);
    const bool enabled = IsEnabled();
    const BRect mark = MarkRect();

    // A round well, etched like the check box's, with a dark ring inside.
    SetHighColor(tint_color(base, B_LIGHTEN_MAX_TINT));
    FillEllipse(mark.OffsetByCopy(0.5f, 0.5f));
    SetHighColor(tint_color(base, B_DARKEN_1_TINT));
    FillEllipse(mark.OffsetByCopy(-0.5f, -0.5f));
    const BRect ring = mark.InsetByCopy(1, 1);
    SetHighColor(tint_color(base, enabled ? B_DARKEN_4_TINT : B_DARKEN_2_TINT));
    FillEllipse(ring);
    const rgb_color fill = IsPressed() ? tint_color(base, B_DARKEN_1_TINT)
                           : enabled   ? ui_color(B_DOCUMENT_BACKGROUND_COLOR)
                                       : tint_color(base, B_LIGHTEN_1_TINT);
    SetHighColor(fill);
    FillEllipse(ring.InsetByCopy(1, 1));

    if (Value() != B_CONTROL_OFF) {
        const rgb_color dot =
            enabled ? ui_color(B_CONTROL_HIGHLIGHT_COLOR) : tint_color(base, B_DARKEN_2_TINT);
        SetHighColor(tint_color(dot, B_DARKEN_2_TINT));
        FillEllipse(ring.InsetByCopy(3, 3));
    }

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
    if (!IsEnabled())
        return;
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
