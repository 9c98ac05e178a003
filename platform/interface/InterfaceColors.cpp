#include <InterfaceDefs.h>

#include <cmath>

namespace {

struct RoleColor {
    color_which which;
    rgb_color color;
};

// The classic look: grey panels and menus, white documents, a yellow window tab and a blue
// focus mark.
constexpr RoleColor kRoleColors[] = {
    {B_PANEL_BACKGROUND_COLOR, make_color(216, 216, 216)},
    {B_MENU_BACKGROUND_COLOR, make_color(216, 216, 216)},
    {B_WINDOW_TAB_COLOR, make_color(255, 203, 0)},
    {B_KEYBOARD_NAVIGATION_COLOR, make_color(0, 0, 229)},
    {B_DESKTOP_COLOR, make_color(51, 102, 152)},
    {B_MENU_SELECTED_BACKGROUND_COLOR, make_color(153, 153, 153)},
    {B_MENU_ITEM_TEXT_COLOR, make_color(0, 0, 0)},
    {B_MENU_SELECTED_ITEM_TEXT_COLOR, make_color(0, 0, 0)},
    {B_MENU_SELECTED_BORDER_COLOR, make_color(0, 0, 0)},
    {B_PANEL_TEXT_COLOR, make_color(0, 0, 0)},
    {B_DOCUMENT_BACKGROUND_COLOR, make_color(255, 255, 255)},
    {B_DOCUMENT_TEXT_COLOR, make_color(0, 0, 0)},
    {B_CONTROL_BACKGROUND_COLOR, make_color(245, 245, 245)},
    {B_CONTROL_TEXT_COLOR, make_color(0, 0, 0)},
    {B_CONTROL_BORDER_COLOR, make_color(0, 0, 0)},
    {B_CONTROL_HIGHLIGHT_COLOR, make_color(102, 152, 203)},
    {B_NAVIGATION_PULSE_COLOR, make_color(0, 0, 0)},
    {B_SHINE_COLOR, make_color(255, 255, 255)},
    {B_SHADOW_COLOR, make_color(0, 0, 0)},
};

uint8 to_channel(float value)
{
    // Rounded rather than cut, so that the documented tints of the panel grey come out as
    // whole steps (B_LIGHTEN_2_TINT gives 240, not 239).
    return (uint8)std::lround(std::fmin(std::fmax(value, 0.0f), 255.0f));
}

} // namespace

rgb_color ui_color(color_which which)
{
    for (const RoleColor& role : kRoleColors) {
        if (role.which == which)
            return role.color;
    }
    return make_color(0, 0, 0);
}

rgb_color keyboard_navigation_color()
{
    return ui_color(B_NAVIGATION_BASE_COLOR);
}

rgb_color tint_color(rgb_color color, float tint)
{
    if (std::isnan(tint))
        return color;
    tint = std::fmin(std::fmax(tint, B_LIGHTEN_MAX_TINT), B_DARKEN_MAX_TINT);

    auto tinted = [tint](uint8 channel) {
        if (tint < 1.0f)
            return to_channel(255.0f - (255.0f - channel) * tint);
        return to_channel(channel * (2.0f - tint));
    };
    return make_color(tinted(color.red), tinted(color.green), tinted(color.blue), color.alpha);
}
