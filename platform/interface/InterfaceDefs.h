#pragma once

// Keyboard state and the constants of the interface kit that the other kits share.

#include <GraphicsDefs.h>
#include <SupportDefs.h>

enum {
    B_SHIFT_KEY = 0x00000001,
    B_COMMAND_KEY = 0x00000002,
    B_CONTROL_KEY = 0x00000004,
    B_CAPS_LOCK = 0x00000008,
    B_SCROLL_LOCK = 0x00000010,
    B_NUM_LOCK = 0x00000020,
    B_OPTION_KEY = 0x00000040,
    B_MENU_KEY = 0x00000080,
    B_LEFT_SHIFT_KEY = 0x00000100,
    B_RIGHT_SHIFT_KEY = 0x00000200,
    B_LEFT_COMMAND_KEY = 0x00000400,
    B_RIGHT_COMMAND_KEY = 0x00000800,
    B_LEFT_CONTROL_KEY = 0x00001000,
    B_RIGHT_CONTROL_KEY = 0x00002000,
    B_LEFT_OPTION_KEY = 0x00004000,
    B_RIGHT_OPTION_KEY = 0x00008000,
};

enum {
    B_BACKSPACE = 0x08,
    B_RETURN = 0x0a,
    B_ENTER = 0x0a,
    B_SPACE = 0x20,
    B_TAB = 0x09,
    B_ESCAPE = 0x1b,
    B_LEFT_ARROW = 0x1c,
    B_RIGHT_ARROW = 0x1d,
    B_UP_ARROW = 0x1e,
    B_DOWN_ARROW = 0x1f,
    B_INSERT = 0x05,
    B_DELETE = 0x7f,
    B_HOME = 0x01,
    B_END = 0x04,
    B_PAGE_UP = 0x0b,
    B_PAGE_DOWN = 0x0c,
    B_FUNCTION_KEY = 0x10,
};

// The modifier keys held now. Before a display reports the keyboard (early in main, say), the
// X server is asked; without one, nothing is held.
uint32 modifiers();

namespace BPrivate {
// The keyboard state as the window system (or a test) last reported it.
void set_modifiers(uint32 modifiers);
} // namespace BPrivate

// ---- Colours of the interface ----

// The colours the kit draws with, by role.
enum color_which : int32 {
    B_PANEL_BACKGROUND_COLOR = 1,
    B_MENU_BACKGROUND_COLOR = 2,
    B_WINDOW_TAB_COLOR = 3,
    B_KEYBOARD_NAVIGATION_COLOR = 4,
    B_NAVIGATION_BASE_COLOR = B_KEYBOARD_NAVIGATION_COLOR,
    B_DESKTOP_COLOR = 5,
    B_MENU_SELECTED_BACKGROUND_COLOR = 6,
    B_MENU_SELECTION_BACKGROUND_COLOR = B_MENU_SELECTED_BACKGROUND_COLOR,
    B_MENU_ITEM_TEXT_COLOR = 7,
    B_MENU_SELECTED_ITEM_TEXT_COLOR = 8,
    B_MENU_SELECTED_BORDER_COLOR = 9,
    B_PANEL_TEXT_COLOR = 10,
    B_DOCUMENT_BACKGROUND_COLOR = 11,
    B_DOCUMENT_TEXT_COLOR = 12,
    B_CONTROL_BACKGROUND_COLOR = 13,
    B_CONTROL_TEXT_COLOR = 14,
    B_CONTROL_BORDER_COLOR = 15,
    B_CONTROL_HIGHLIGHT_COLOR = 16,
    B_NAVIGATION_PULSE_COLOR = 17,
    B_SHINE_COLOR = 18,
    B_SHADOW_COLOR = 19,
};

// The colour of a role; black for a value that names no role.
rgb_color ui_color(color_which which);
// The colour keyboard navigation marks the focus with: ui_color(B_NAVIGATION_BASE_COLOR).
rgb_color keyboard_navigation_color();

// Tints: below 1 lightens towards white (0 is white), above 1 darkens towards black (2 is
// black); alpha is kept. The comments give what each does to the panel grey, 216.
inline constexpr float B_LIGHTEN_MAX_TINT = 0.0f; // 255
inline constexpr float B_LIGHTEN_2_TINT = 0.385f; // 240
inline constexpr float B_LIGHTEN_1_TINT = 0.590f; // 232
inline constexpr float B_NO_TINT = 1.0f;          // 216
inline constexpr float B_DARKEN_1_TINT = 1.147f;  // 184
inline constexpr float B_DARKEN_2_TINT = 1.295f;  // 152
inline constexpr float B_DARKEN_3_TINT = 1.407f;  // 128
inline constexpr float B_DARKEN_4_TINT = 1.555f;  // 96
inline constexpr float B_DARKEN_MAX_TINT = 2.0f;  // 0
inline constexpr float B_DISABLED_LABEL_TINT = B_DARKEN_3_TINT;
inline constexpr float B_HIGHLIGHT_BACKGROUND_TINT = B_DARKEN_2_TINT;
inline constexpr float B_DISABLED_MARK_TINT = B_LIGHTEN_2_TINT;

rgb_color tint_color(rgb_color color, float tint);

// ---- Controls ----

// How a line of text sits in its view.
enum alignment {
    B_ALIGN_LEFT,
    B_ALIGN_RIGHT,
    B_ALIGN_CENTER,
};

// The frame of a box.
enum border_style {
    B_PLAIN_BORDER,
    B_FANCY_BORDER,
    B_NO_BORDER,
};
