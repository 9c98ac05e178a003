#include <GraphicsDefs.h>
#include <InterfaceDefs.h>

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

// The 15-bit index of a colour whose channels are multiples of 8 plus their top bits, which
// is how a 5-bit channel widens to 8 bits.
uint32 rgb15_of(rgb_color color)
{
    return ((color.red >> 3) << 10) | ((color.green >> 3) << 5) | (color.blue >> 3);
}

bool exactly_15_bit(uint8 channel)
{
    uint8 five = channel >> 3;
    return (uint8)((five << 3) | (five >> 2)) == channel;
}

} // namespace

TEST(ColorTest, RolesAndTintsGiveTheClassicColours)
{
    EXPECT_EQ(ui_color(B_PANEL_BACKGROUND_COLOR), make_color(216, 216, 216));
    EXPECT_EQ(ui_color(B_DOCUMENT_BACKGROUND_COLOR), make_color(255, 255, 255));
    EXPECT_EQ(ui_color(B_PANEL_TEXT_COLOR), make_color(0, 0, 0));
    EXPECT_EQ(ui_color(B_NAVIGATION_BASE_COLOR), make_color(0, 0, 229));
    EXPECT_EQ(keyboard_navigation_color(), make_color(0, 0, 229));
    EXPECT_EQ(ui_color(B_WINDOW_TAB_COLOR), make_color(255, 203, 0));
    EXPECT_EQ(ui_color(B_MENU_BACKGROUND_COLOR), make_color(216, 216, 216));
    EXPECT_EQ(ui_color((color_which)9999), make_color(0, 0, 0));
    // The panel's grey through each tint.
    std::vector<int> greys;
    for (float tint : {B_LIGHTEN_MAX_TINT, B_LIGHTEN_2_TINT, B_LIGHTEN_1_TINT, B_NO_TINT,
                       B_DARKEN_1_TINT, B_DARKEN_2_TINT, B_DARKEN_3_TINT, B_DARKEN_4_TINT,
                       B_DARKEN_MAX_TINT, B_DISABLED_LABEL_TINT})
        greys.push_back(tint_color(make_color(216, 216, 216), tint).red);
    EXPECT_EQ(greys, (std::vector<int>{255, 240, 232, 216, 184, 152, 128, 96, 0, 128}));
    // A tint keeps alpha and hue, and stays in range.
    rgb_color blue = make_color(0, 0, 229, 100);
    rgb_color darker = tint_color(blue, B_DARKEN_2_TINT);
    EXPECT_EQ(darker.alpha, 100);
    EXPECT_EQ(darker.red, 0);
    EXPECT_LT(darker.blue, 229);
    EXPECT_EQ(tint_color(blue, -7), make_color(255, 255, 255, 100));
    EXPECT_EQ(tint_color(blue, 9), make_color(0, 0, 0, 100));
    EXPECT_EQ(tint_color(blue, NAN), blue);
}

// BitmapTest converts through the pure colours' entries; these are the greys' ends.
TEST(ColorTest, PaletteHasItsGreysATransparentEntryAndMapsThatFindThem)
{
    const color_map* map = system_colors();
    EXPECT_EQ(map->color_list[8], make_color(64, 64, 64));
    EXPECT_EQ(map->color_list[31], make_color(248, 248, 248));
    EXPECT_EQ(map->color_list[B_TRANSPARENT_MAGIC_CMAP8].alpha, 0);
    // Black and white swap on inversion; pure blue turns yellow.
    EXPECT_EQ(map->inversion_map[0], 63);
    EXPECT_EQ(map->inversion_map[63], 0);
    EXPECT_EQ(map->color_list[map->inversion_map[32]], make_color(255, 255, 0));

    // The index map finds every exact palette colour.
    int checked = 0;
    for (int i = 0; i < 255; i++) {
        rgb_color color = map->color_list[i];
        if (!exactly_15_bit(color.red) || !exactly_15_bit(color.green) ||
            !exactly_15_bit(color.blue))
            continue;
        EXPECT_EQ(map->color_list[map->index_map[rgb15_of(color)]], color) << "index " << i;
        checked++;
    }
    EXPECT_GE(checked, 10); // black, white, the pure ramps' ends, a few greys
    // A colour between entries goes to a near one, never to the transparent index.
    uint8 index = map->index_map[rgb15_of(make_color(250, 250, 250))];
    EXPECT_NE(index, B_TRANSPARENT_MAGIC_CMAP8);
    EXPECT_GE(map->color_list[index].red, 240);
}
