#pragma once

#include <SupportDefs.h>

struct rgb_color {
    uint8 red;
    uint8 green;
    uint8 blue;
    uint8 alpha;

    constexpr bool operator==(const rgb_color& other) const = default;
};

inline constexpr rgb_color make_color(uint8 red, uint8 green, uint8 blue, uint8 alpha = 255)
{
    return rgb_color{red, green, blue, alpha};
}

// The colour that stands for "no colour" (a view colour of B_TRANSPARENT_COLOR, for example).
inline constexpr rgb_color B_TRANSPARENT_COLOR = {0x77, 0x74, 0x77, 0x00};
inline constexpr rgb_color B_TRANSPARENT_32_BIT = B_TRANSPARENT_COLOR;
// The same as a B_RGBA32 pixel read as a little-endian uint32 (B, G, R, A in memory).
inline constexpr uint32 B_TRANSPARENT_MAGIC_RGBA32 = 0x00777477;
// The palette index that means "transparent" in a B_CMAP8 bitmap.
inline constexpr uint8 B_TRANSPARENT_MAGIC_CMAP8 = 0xff;
inline constexpr uint8 B_TRANSPARENT_8_BIT = B_TRANSPARENT_MAGIC_CMAP8;

// How the pixels of a bitmap (or a screen) are laid out. The 32-bit spaces store a pixel as
// the bytes B, G, R, A (or B, G, R, unused) in memory; the _BIG variants reverse that.
enum color_space : uint32 {
    B_NO_COLOR_SPACE = 0x0000,

    B_RGB32 = 0x0008,
    B_RGBA32 = 0x2008,
    B_RGB24 = 0x0003,
    B_RGB16 = 0x0005,
    B_RGB15 = 0x0010,
    B_RGBA15 = 0x2010,
    B_CMAP8 = 0x0004,
    B_GRAY8 = 0x0002,
    B_GRAY1 = 0x0001,

    B_RGB32_BIG = 0x1008,
    B_RGBA32_BIG = 0x3008,
    B_RGB24_BIG = 0x1003,
    B_RGB16_BIG = 0x1005,
    B_RGB15_BIG = 0x1010,
    B_RGBA15_BIG = 0x3010,

    B_RGB32_LITTLE = B_RGB32,
    B_RGBA32_LITTLE = B_RGBA32,
    B_RGB24_LITTLE = B_RGB24,
    B_RGB16_LITTLE = B_RGB16,
    B_RGB15_LITTLE = B_RGB15,
    B_RGBA15_LITTLE = B_RGBA15,
};

// How a drawing call combines its colour with the pixels already there.
enum drawing_mode : int32 {
    B_OP_COPY,
    B_OP_OVER,
    B_OP_ERASE,
    B_OP_INVERT,
    B_OP_ADD,
    B_OP_SUBTRACT,
    B_OP_BLEND,
    B_OP_MIN,
    B_OP_MAX,
    B_OP_SELECT,
    B_OP_ALPHA,
};

// Where B_OP_ALPHA takes its alpha from, and how it uses it.
enum source_alpha : int32 {
    B_PIXEL_ALPHA = 0,
    B_CONSTANT_ALPHA,
};

enum alpha_function : int32 {
    B_ALPHA_OVERLAY = 0,
    B_ALPHA_COMPOSITE,
};

// A palette of 256 colours. index_map maps a 15-bit colour (5 bits each of red, green and
// blue, red highest) to the index of the nearest palette colour; inversion_map maps an index
// to the index nearest to the inverse of its colour.
struct color_map {
    int32 id;
    rgb_color color_list[256];
    uint8 inversion_map[256];
    uint8 index_map[32768];
};

// The system palette of B_CMAP8 bitmaps. Its last entry, B_TRANSPARENT_MAGIC_CMAP8, is
// transparent. Never null; the same object for the life of the process.
const color_map* system_colors();

// An 8 x 8 pattern of high (bit set) and low (bit clear) colour, one byte per row.
struct pattern {
    uint8 data[8];

    constexpr bool operator==(const pattern& other) const = default;
};

inline constexpr pattern B_SOLID_HIGH = {{0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff}};
inline constexpr pattern B_SOLID_LOW = {{0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}};
inline constexpr pattern B_MIXED_COLORS = {{0xaa, 0x55, 0xaa, 0x55, 0xaa, 0x55, 0xaa, 0x55}};

// A screen; this system has one.
struct screen_id {
    int32 id;

    constexpr bool operator==(const screen_id& other) const = default;
};

inline constexpr screen_id B_MAIN_SCREEN_ID = {0};
