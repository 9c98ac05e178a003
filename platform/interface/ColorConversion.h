#pragma once

// Pixels of the colour spaces bitmaps can have, one at a time, as straight (not
// premultiplied) rgb_color values. Private to the interface kit.
//
// A pixel is addressed by its position in bits from the start of the data, so that B_GRAY1
// (eight pixels a byte, the highest bit first; a set bit is black) is addressed like the
// others.

#include <GraphicsDefs.h>
#include <SupportDefs.h>

namespace BPrivate {

// 0 for a colour space bitmaps cannot have: the 32, 24, 16 and 15-bit spaces (host byte
// order), B_CMAP8, B_GRAY8 and B_GRAY1.
int32 bits_per_pixel(color_space space);
// The length of a row of `width` pixels, padded to a multiple of four bytes; 0 for a colour
// space bitmaps cannot have.
int32 padded_row_length(color_space space, int32 width);

rgb_color read_pixel(const uint8* data, int64 bitPosition, color_space space);
void write_pixel(uint8* data, int64 bitPosition, color_space space, rgb_color color);

// The B_CMAP8 index of a colour: the nearest palette colour, or B_TRANSPARENT_MAGIC_CMAP8
// for a colour that is more transparent than opaque.
uint8 palette_index(rgb_color color);

} // namespace BPrivate
