#include <CheckBox.h>

#include "ArchiveClasses.h"

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
    const rgb_color base = ui_color(B_PANEL_BACKGROUND_COLOR);
    const bool enabled = IsEnabled();
    BRect box = MarkRect();

    // An etched well: shadow above and left, light below and right.
    SetHighColor(tint_color(base, B_DARKEN_1_TINT));
    StrokeLine(box.LeftBottom(), box.LeftTop());
    StrokeLine(box.LeftTop(), box.RightTop());
    SetHighColor(tint_color(base, B_LIGHTEN_MAX_TINT));
    StrokeLine(BPoint(box.left + 1, box.bottom), box.RightBottom());
    StrokeLine(box.RightBottom(), BPoint(box.right, box.top + 1));
    box.InsetBy(1, 1);
    SetHighColor(tint_color(base, enabled ? B_DARKEN_4_TINT : B_DARKEN_2_TINT));
    StrokeRect(box);
    box.InsetBy(1, 1);
    const rgb_color fill = IsPressed() ? tint_color(base, B_DARKEN_1_TINT)
                           : enabled   ? ui_color(B_DOCUMENT_BACKGROUND_COLOR)
                                       : tint_color(base, B_LIGHTEN_1_TINT);
    SetHighColor(fill);
    FillRect(box);

    if (Value() != B_CONTROL_OFF) {
        // The mark: a cross.
        const rgb_color mark =
            enabled ? ui_color(B_CONTROL_HIGHLIGHT_COLOR) : tint_color(base, B_DARKEN_2_TINT);
        SetHighColor(tint_color(mark, B_DARKEN_3_TINT));
        const BRect inner = box.InsetByCopy(1, 1);
        SetPenSize(1.5f);
        StrokeLine(inner.LeftTop(), inner.RightBottom());
        StrokeLine(inner.LeftBottom(), inner.RightTop());
        SetPenSize(1);
    }

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
