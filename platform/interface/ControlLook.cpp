#include "ControlLook.h"

#include <View.h>

namespace BPrivate {

namespace {

rgb_color panel_base()
{
    return ui_color(B_PANEL_BACKGROUND_COLOR);
}

bool enabled_in(uint32 flags)
{
    return (flags & ControlLook::kDisabled) == 0;
}

// The dark outline of a control, lighter while it is disabled.
rgb_color frame_color(uint32 flags)
{
    return tint_color(panel_base(), enabled_in(flags) ? B_DARKEN_4_TINT : B_DARKEN_2_TINT);
}

// A check box's cross or a radio button's dot: the highlight colour, grey while disabled.
rgb_color mark_color(uint32 flags, float tint)
{
    const rgb_color mark = enabled_in(flags) ? ui_color(B_CONTROL_HIGHLIGHT_COLOR)
                                             : tint_color(panel_base(), B_DARKEN_2_TINT);
    return tint_color(mark, tint);
}

} // namespace

void ControlLook::StrokeBevel(BView* view, BRect rect, rgb_color topLeft, rgb_color bottomRight)
{
    view->SetHighColor(topLeft);
    view->StrokeLine(rect.LeftBottom(), rect.LeftTop());
    view->StrokeLine(rect.LeftTop(), rect.RightTop());
    view->SetHighColor(bottomRight);
    view->StrokeLine(BPoint(rect.left + 1, rect.bottom), rect.RightBottom());
    view->StrokeLine(rect.RightBottom(), BPoint(rect.right, rect.top + 1));
}

void ControlLook::StrokeEtchedFrame(BView* view, BRect rect)
{
    const rgb_color base = panel_base();
    StrokeBevel(view, rect, tint_color(base, B_DARKEN_1_TINT),
                tint_color(base, B_LIGHTEN_MAX_TINT));
}

void ControlLook::StrokeRoundedFrame(BView* view, BRect rect, rgb_color color)
{
    view->SetHighColor(color);
    view->StrokeLine(BPoint(rect.left + 1, rect.top), BPoint(rect.right - 1, rect.top));
    view->StrokeLine(BPoint(rect.left + 1, rect.bottom), BPoint(rect.right - 1, rect.bottom));
    view->StrokeLine(BPoint(rect.left, rect.top + 1), BPoint(rect.left, rect.bottom - 1));
    view->StrokeLine(BPoint(rect.right, rect.top + 1), BPoint(rect.right, rect.bottom - 1));
}

void ControlLook::DrawDefaultButtonFrame(BView* view, BRect bounds, rgb_color panel, uint32 flags)
{
    // A dark line around a darkened band.
    view->SetHighColor(tint_color(panel, B_DARKEN_1_TINT));
    view->FillRect(bounds);
    StrokeRoundedFrame(view, bounds, frame_color(flags));
    view->SetHighColor(panel);
    view->StrokeRect(bounds.InsetByCopy(1, 1));
}

rgb_color ControlLook::DrawButton(BView* view, BRect face, uint32 flags)
{
    const rgb_color base = panel_base();
    const bool enabled = enabled_in(flags);
    const bool pressed = (flags & kPressed) != 0;
    StrokeRoundedFrame(view, face, frame_color(flags));

    // Lit from the top left, or sunk when pressed.
    face.InsetBy(1, 1);
    const rgb_color fill = pressed   ? tint_color(base, B_DARKEN_1_TINT)
                           : enabled ? tint_color(base, B_LIGHTEN_1_TINT)
                                     : tint_color(base, B_LIGHTEN_2_TINT);
    view->SetHighColor(fill);
    view->FillRect(face);
    const rgb_color light =
        pressed ? tint_color(base, B_DARKEN_2_TINT) : tint_color(base, B_LIGHTEN_MAX_TINT);
    const rgb_color shadow = pressed ? tint_color(base, B_NO_TINT)
                                     : tint_color(base, enabled ? B_DARKEN_1_TINT : B_NO_TINT);
    StrokeBevel(view, face, light, shadow);
    return fill;
}

void ControlLook::DrawRaisedButton(BView* view, BRect rect, rgb_color fill, rgb_color base,
                                   float shadowTint, bool bevelled)
{
    view->SetHighColor(fill);
    view->FillRect(rect);
    view->SetHighColor(tint_color(base, B_DARKEN_4_TINT));
    view->StrokeRect(rect);
    if (bevelled) {
        StrokeBevel(view, rect.InsetByCopy(1, 1), tint_color(base, B_LIGHTEN_MAX_TINT),
                    tint_color(base, shadowTint));
    }
}

void ControlLook::DrawCheckBox(BView* view, BRect mark, uint32 flags)
{
    StrokeEtchedFrame(view, mark);
    mark.InsetBy(1, 1);
    view->SetHighColor(frame_color(flags));
    view->StrokeRect(mark);
    mark.InsetBy(1, 1);
    view->SetHighColor(WellFill(flags));
    view->FillRect(mark);
    if ((flags & kMarked) == 0)
        return;
    // A cross.
    view->SetHighColor(mark_color(flags, B_DARKEN_3_TINT));
    const BRect inner = mark.InsetByCopy(1, 1);
    view->SetPenSize(1.5f);
    view->StrokeLine(inner.LeftTop(), inner.RightBottom());
    view->StrokeLine(inner.LeftBottom(), inner.RightTop());
    view->SetPenSize(1);
}

void ControlLook::DrawRadioButton(BView* view, BRect mark, uint32 flags)
{
    // A round well, etched like the check box's, with a dark ring inside.
    const rgb_color base = panel_base();
    view->SetHighColor(tint_color(base, B_LIGHTEN_MAX_TINT));
    view->FillEllipse(mark.OffsetByCopy(0.5f, 0.5f));
    view->SetHighColor(tint_color(base, B_DARKEN_1_TINT));
    view->FillEllipse(mark.OffsetByCopy(-0.5f, -0.5f));
    const BRect ring = mark.InsetByCopy(1, 1);
    view->SetHighColor(frame_color(flags));
    view->FillEllipse(ring);
    view->SetHighColor(WellFill(flags));
    view->FillEllipse(ring.InsetByCopy(1, 1));
    if ((flags & kMarked) == 0)
        return;
    view->SetHighColor(mark_color(flags, B_DARKEN_2_TINT));
    view->FillEllipse(ring.InsetByCopy(3, 3));
}

void ControlLook::DrawTextFieldFrame(BView* view, BRect frame, uint32 flags)
{
    const rgb_color base = panel_base();
    StrokeEtchedFrame(view, frame);
    // A dark line inside, blue while the field has the keyboard.
    const BRect inner = frame.InsetByCopy(1, 1);
    if ((flags & kFocused) != 0) {
        view->SetHighColor(ui_color(B_NAVIGATION_BASE_COLOR));
        view->StrokeRect(inner);
        return;
    }
    StrokeBevel(view, inner,
                tint_color(base, enabled_in(flags) ? B_DARKEN_3_TINT : B_DARKEN_1_TINT), base);
}

void ControlLook::DrawBoxBorder(BView* view, BRect frame, border_style border)
{
    const rgb_color base = panel_base();
    switch (border) {
    case B_FANCY_BORDER:
        // Etched into the panel: a shadow line with a light line below and right of it.
        view->SetHighColor(tint_color(base, B_LIGHTEN_MAX_TINT));
        view->StrokeRect(BRect(frame.left + 1, frame.top + 1, frame.right, frame.bottom));
        view->SetHighColor(tint_color(base, B_DARKEN_1_TINT));
        view->StrokeRect(BRect(frame.left, frame.top, frame.right - 1, frame.bottom - 1));
        break;
    case B_PLAIN_BORDER:
        view->SetHighColor(tint_color(base, B_DARKEN_2_TINT));
        view->StrokeRect(frame);
        break;
    case B_NO_BORDER:
        break;
    }
}

rgb_color ControlLook::WellFill(uint32 flags)
{
    if ((flags & kPressed) != 0)
        return tint_color(panel_base(), B_DARKEN_1_TINT);
    return enabled_in(flags) ? ui_color(B_DOCUMENT_BACKGROUND_COLOR)
                             : tint_color(panel_base(), B_LIGHTEN_1_TINT);
}

rgb_color ControlLook::FieldTextColor(uint32 flags)
{
    return enabled_in(flags) ? ui_color(B_DOCUMENT_TEXT_COLOR)
                             : tint_color(panel_base(), B_DISABLED_LABEL_TINT);
}

} // namespace BPrivate
