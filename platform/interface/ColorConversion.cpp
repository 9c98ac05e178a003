#include "ColorConversion.h"

#include <cstring>

namespace {

uint8 luminance(rgb_color color)
{
    // The weights of ITU-R BT.601 in 16.16 fixed point.
    return (uint8)((color.red * 19595u + color.green * 38470u + color.blue * 7471u + 32768u) >> 16);
}

uint8 expand(uint32 value, int bits)
{
    // Widens a channel so that its largest value becomes 255.
    return (uint8)(bits == 5 ? (value << 3) | (value >> 2) : (value << 2) | (value >> 4));
}

uint16 read16(const uint8* at)
{
    uint16 value;
    memcpy(&value, at, sizeof(value));
    return value;
}

void write16(uint8* at, uint16 value)
{
    memcpy(at, &value, sizeof(value));
}

} // namespace

namespace BPrivate {

int32 bits_per_pixel(color_space space)
{
    switch (space) {
    case B_RGB32:
    case B_RGBA32:
        return 32;
    case B_RGB24:
        return 24;
    case B_RGB16:
    case B_RGB15:
    case B_RGBA15:
        return 16;
    case B_CMAP8:
    case B_GRAY8:
        return 8;
    case B_GRAY1:
        return 1;
    default:
        return 0;
    }
}

int32 padded_row_length(color_space space, int32 width)
{
    int64 bits = (int64)bits_per_pixel(space) * width;
    return (int32)((bits + 31) / 32 * 4);
}

uint8 palette_index(rgb_color color)
{
    if (color.alpha < 128)
        return B_TRANSPARENT_MAGIC_CMAP8;
    uint32 rgb15 = ((color.red >> 3) << 10) | ((color.green >> 3) << 5) | (color.blue >> 3);
    return system_colors()->index_map[rgb15];
}

rgb_color read_pixel(const uint8* data, int64 bitPosition, color_space space)
{
    const uint8* at = data + bitPosition / 8;
    switch (space) {
    case B_RGB32:
        return make_color(at[2], at[1], at[0]);
    case B_RGBA32:
        return make_color(at[2], at[1], at[0], at[3]);
    case B_RGB24:
        return make_color(at[2], at[1], at[0]);
    case B_RGB16: {
        uint16 value = read16(at);
        return make_color(expand(value >> 11, 5), expand((value >> 5) & 0x3f, 6),
                          expand(value & 0x1f, 5));
    }
    case B_RGB15:
    case B_RGBA15: {
        uint16 value = read16(at);
        uint8 alpha = space == B_RGB15 || (value & 0x8000) != 0 ? 255 : 0;
        return make_color(expand((value >> 10) & 0x1f, 5), expand((value >> 5) & 0x1f, 5),
                          expand(value & 0x1f, 5), alpha);
    }
    case B_CMAP8:
        return system_colors()->color_list[*at];
    case B_GRAY8:
        return make_color(*at, *at, *at);
    case B_GRAY1: {
        bool black = (*at & (0x80 >> (bitPosition % 8))) != 0;
        return black ? make_color(0, 0, 0) : make_color(255, 255, 255);
    }
    default:
        return make_color(0, 0, 0, 0);
    }
}

void write_pixel(uint8* data, int64 bitPosition, color_space space, rgb_color color)
{
    uint8* at = data + bitPosition / 8;
    switch (space) {
    case B_RGB32:
    case B_RGBA32:
        at[0] = color.blue;
        at[1] = color.green;
        at[2] = color.red;
        // B_RGB32 does not use its fourth byte; keeping the alpha there lets a
        // transparent pixel stay recognisable.
        at[3] = color.alpha;
        break;
    case B_RGB24:
        at[0] = color.blue;
        at[1] = color.green;
        at[2] = color.red;
        break;
    case B_RGB16:
        write16(at,
                (uint16)(((color.red >> 3) << 11) | ((color.green >> 2) << 5) | (color.blue >> 3)));
        break;
    case B_RGB15:
    case B_RGBA15: {
        uint16 alpha = space == B_RGBA15 && color.alpha >= 128 ? 0x8000 : 0;
        write16(at, (uint16)(alpha | ((color.red >> 3) << 10) | ((color.green >> 3) << 5) |
                             (color.blue >> 3)));
        break;
    }
    case B_CMAP8:
        *at = palette_index(color);
        break;
    case B_GRAY8:
        *at = luminance(color);
        break;
    case B_GRAY1: {
        uint8 bit = (uint8)(0x80 >> (bitPosition % 8));
        if (luminance(color) < 128)
            *at |= bit;
        else
            *at &= (uint8)~bit;
        break;
    }
    default:
        break;
    }
}

} // namespace BPrivate
