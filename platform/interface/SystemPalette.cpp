#include <GraphicsDefs.h>

#include <climits>

namespace {

// The classic 8-bit palette as 0xRRGGBB: 32 greys from black in steps of 8, ramps of pure
// blue, red and green, then a colour cube of the levels 0, 51, 102, 152, 203 and 255 with a
// few colours of the system's own look (its window tab yellow among them) in between. The
// last entry is the transparent index, B_TRANSPARENT_MAGIC_CMAP8.
// clang-format off
constexpr uint32 kSystemPalette[256] = {
    0x000000, 0x080808, 0x101010, 0x181818, 0x202020, 0x282828, 0x303030, 0x383838,  // 0
    0x404040, 0x484848, 0x505050, 0x585858, 0x606060, 0x686868, 0x707070, 0x787878,  // 8
    0x808080, 0x888888, 0x909090, 0x989898, 0xa0a0a0, 0xa8a8a8, 0xb0b0b0, 0xb8b8b8,  // 16
    0xc0c0c0, 0xc8c8c8, 0xd0d0d0, 0xd8d8d8, 0xe0e0e0, 0xe8e8e8, 0xf0f0f0, 0xf8f8f8,  // 24
    0x0000ff, 0x0000e5, 0x0000cc, 0x0000b3, 0x00009a, 0x000081, 0x000069, 0x000050,  // 32
    0x000037, 0x00001e, 0xff0000, 0xe40000, 0xcb0000, 0xb20000, 0x990000, 0x800000,  // 40
    0x690000, 0x500000, 0x370000, 0x1e0000, 0x00ff00, 0x00e400, 0x00cb00, 0x00b200,  // 48
    0x009900, 0x008000, 0x006900, 0x005000, 0x003700, 0x001e00, 0x009833, 0xffffff,  // 56
    0xcbffff, 0xcbffcb, 0xcbff98, 0xcbff66, 0xcbff33, 0xcbff00, 0x98ffff, 0x98ffcb,  // 64
    0x98ff98, 0x98ff66, 0x98ff33, 0x98ff00, 0x66ffff, 0x66ffcb, 0x66ff98, 0x66ff66,  // 72
    0x66ff33, 0x66ff00, 0x33ffff, 0x33ffcb, 0x33ff98, 0x33ff66, 0x33ff33, 0x33ff00,  // 80
    0xff98ff, 0xff98cb, 0xff9898, 0xff9866, 0xff9833, 0xff9800, 0x0066ff, 0x0066cb,  // 88
    0xcbcbff, 0xcbcbcb, 0xcbcb98, 0xcbcb66, 0xcbcb33, 0xcbcb00, 0x98cbff, 0x98cbcb,  // 96
    0x98cb98, 0x98cb66, 0x98cb33, 0x98cb00, 0x66cbff, 0x66cbcb, 0x66cb98, 0x66cb66,  // 104
    0x66cb33, 0x66cb00, 0x33cbff, 0x33cbcb, 0x33cb98, 0x33cb66, 0x33cb33, 0x33cb00,  // 112
    0xff66ff, 0xff66cb, 0xff6698, 0xff6666, 0xff6633, 0xff6600, 0x006698, 0x006666,  // 120
    0xcb98ff, 0xcb98cb, 0xcb9898, 0xcb9866, 0xcb9833, 0xcb9800, 0x9898ff, 0x9898cb,  // 128
    0x989898, 0x989866, 0x989833, 0x989800, 0x6698ff, 0x6698cb, 0x669898, 0x669866,  // 136
    0x669833, 0x669800, 0x3398ff, 0x3398cb, 0x339898, 0x339866, 0x339833, 0x339800,  // 144
    0xe68600, 0xff33cb, 0xff3398, 0xff3366, 0xff3333, 0xff3300, 0x006633, 0x006600,  // 152
    0xcb66ff, 0xcb66cb, 0xcb6698, 0xcb6666, 0xcb6633, 0xcb6600, 0x9866ff, 0x9866cb,  // 160
    0x986698, 0x986666, 0x986633, 0x986600, 0x6666ff, 0x6666cb, 0x666698, 0x666666,  // 168
    0x666633, 0x666600, 0x3366ff, 0x3366cb, 0x336698, 0x336666, 0x336633, 0x336600,  // 176
    0xff00ff, 0xff00cb, 0xff0098, 0xff0066, 0xff0033, 0xffaf13, 0x0033ff, 0x0033cb,  // 184
    0xcb33ff, 0xcb33cb, 0xcb3398, 0xcb3366, 0xcb3333, 0xcb3300, 0x9833ff, 0x9833cb,  // 192
    0x983398, 0x983366, 0x983333, 0x983300, 0x6633ff, 0x6633cb, 0x663398, 0x663366,  // 200
    0x663333, 0x663300, 0x3333ff, 0x3333cb, 0x333398, 0x333366, 0x333333, 0x333300,  // 208
    0xffcb66, 0xffcb98, 0xffcbcb, 0xffcbff, 0x003398, 0x003366, 0x003333, 0x003300,  // 216
    0xcb00ff, 0xcb00cb, 0xcb0098, 0xcb0066, 0xcb0033, 0xffe346, 0x9800ff, 0x9800cb,  // 224
    0x980098, 0x980066, 0x980033, 0x980000, 0x6600ff, 0x6600cb, 0x660098, 0x660066,  // 232
    0x660033, 0x660000, 0x3300ff, 0x3300cb, 0x330098, 0x330066, 0x330033, 0x330000,  // 240
    0xffcb33, 0xffcb00, 0xffff00, 0xffff33, 0xffff66, 0xffff98, 0xffffcb, 0xffffff,  // 248
};
// clang-format on

// How far apart two colours look: squared differences weighted by how sensitive the eye is
// to each channel (green most), with red and blue weighted by how red the pair is.
uint32 color_distance(const rgb_color& a, const rgb_color& b)
{
    int32 dr = (int32)a.red - b.red;
    int32 dg = (int32)a.green - b.green;
    int32 db = (int32)a.blue - b.blue;
    bool reddish = (a.red + b.red) / 2 >= 128;
    return (uint32)((reddish ? 3 : 2) * dr * dr + 4 * dg * dg + (reddish ? 2 : 3) * db * db);
}

// The transparent index is never a match: it has no colour of its own.
uint8 nearest_index(const rgb_color* palette, const rgb_color& color)
{
    uint8 nearest = 0;
    uint32 nearestDistance = UINT32_MAX;
    for (int32 i = 0; i < 256; i++) {
        if (i == B_TRANSPARENT_MAGIC_CMAP8)
            continue;
        uint32 distance = color_distance(palette[i], color);
        if (distance < nearestDistance) {
            nearest = (uint8)i;
            nearestDistance = distance;
            if (distance == 0)
                break;
        }
    }
    return nearest;
}

// Five bits to eight, so that 31 becomes 255 and not 248.
uint8 expand5(uint32 value)
{
    return (uint8)((value << 3) | (value >> 2));
}

color_map make_system_colors()
{
    color_map map{};
    map.id = 0;
    for (int32 i = 0; i < 256; i++) {
        uint32 rgb = kSystemPalette[i];
        map.color_list[i] = make_color((uint8)(rgb >> 16), (uint8)(rgb >> 8), (uint8)rgb,
                                       i == B_TRANSPARENT_MAGIC_CMAP8 ? 0 : 255);
    }
    for (uint32 rgb15 = 0; rgb15 < 32768; rgb15++) {
        rgb_color color = make_color(expand5((rgb15 >> 10) & 0x1f), expand5((rgb15 >> 5) & 0x1f),
                                     expand5(rgb15 & 0x1f));
        map.index_map[rgb15] = nearest_index(map.color_list, color);
    }
    for (int32 i = 0; i < 256; i++) {
        const rgb_color& color = map.color_list[i];
        map.inversion_map[i] =
            i == B_TRANSPARENT_MAGIC_CMAP8
                ? B_TRANSPARENT_MAGIC_CMAP8
                : nearest_index(map.color_list,
                                make_color(255 - color.red, 255 - color.green, 255 - color.blue));
    }
    return map;
}

} // namespace

const color_map* system_colors()
{
    // Built on first use: the index map takes a few milliseconds to compute, which a program
    // that never touches an 8-bit bitmap should not pay.
    static const color_map sMap = make_system_colors();
    return &sMap;
}
