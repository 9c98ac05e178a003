#pragma once

// The one look of the kit's controls: the wells, bevels, frames and marks, and the fills of
// their pressed, enabled, disabled and default states. A control's Draw names what it is
// (a button, a check box, a text field) and its state; how grey each edge is lives here.
// All of it is drawn with the view's own drawing calls, so it changes the view's high colour
// and pen size.

#include <GraphicsDefs.h>
#include <InterfaceDefs.h>
#include <Rect.h>

class BView;

namespace BPrivate {

struct ControlLook {
    // The states a control is drawn in.
    enum {
        kDisabled = 1 << 0,
        kPressed = 1 << 1,
        kMarked = 1 << 2,
        kFocused = 1 << 3,
    };

    // Two lines of an edge: one colour along the left and top, another along the bottom
    // and right, which the light or shadow of a raised or sunk surface is made of.
    static void StrokeBevel(BView* view, BRect rect, rgb_color topLeft, rgb_color bottomRight);
    // A frame sunk into the panel: shadow above and left, light below and right.
    static void StrokeEtchedFrame(BView* view, BRect rect);
    // A rectangle's outline without its corner pixels, so that it looks rounded.
    static void StrokeRoundedFrame(BView* view, BRect rect, rgb_color color);

    // A push button: the heavier frame of the default button around bounds, drawn on panel;
    // then the face (outline, fill and bevel). Answers the face's fill, for the label.
    static void DrawDefaultButtonFrame(BView* view, BRect bounds, rgb_color panel, uint32 flags);
    static rgb_color DrawButton(BView* view, BRect face, uint32 flags);
    // A button drawn in the colours of base (a menu field's, an alert's): filled, framed dark,
    // and, when bevelled, lit along its inside with the shadow tinted by shadowTint.
    static void DrawRaisedButton(BView* view, BRect rect, rgb_color fill, rgb_color base,
                                 float shadowTint, bool bevelled);
    // The marks with a label after them.
    static void DrawCheckBox(BView* view, BRect mark, uint32 flags);
    static void DrawRadioButton(BView* view, BRect mark, uint32 flags);
    // The sunk frame around a text field, kFrameWidth pixels wide, blue while focused.
    static void DrawTextFieldFrame(BView* view, BRect frame, uint32 flags);
    static void DrawBoxBorder(BView* view, BRect frame, border_style border);

    // Inside a well (a check box, a radio button, a text field): white while enabled.
    static rgb_color WellFill(uint32 flags);
    // The text typed into a field.
    static rgb_color FieldTextColor(uint32 flags);
};

} // namespace BPrivate
