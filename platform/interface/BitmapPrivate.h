#pragma once

// What the interface kit's drawing needs of bitmaps: their pixels as cairo surfaces, and
// back. Private to the kit.

#include <Bitmap.h>

#include <cairo.h>

namespace BPrivate {

// A new CAIRO_FORMAT_ARGB32 surface (premultiplied) of the bitmap's size holding its pixels,
// which the caller destroys: B_CMAP8 through the system palette with
// B_TRANSPARENT_MAGIC_CMAP8 fully transparent, B_RGBA32 and B_RGBA15 with their alpha, the
// other spaces opaque. nullptr for a null or invalid bitmap, or when cairo has no memory.
cairo_surface_t* bitmap_surface(const BBitmap* bitmap);

// Writes the pixels of an ARGB32 or RGB24 image surface into the bitmap, converting them to
// its colour space (what views drew into a bitmap's window goes back into its bits this way).
// Copies the part both have, from their left-top corners. B_BAD_VALUE for a null or invalid
// bitmap or a surface that is not such an image surface.
status_t store_surface(BBitmap* bitmap, cairo_surface_t* surface);

// Destroys the window a bitmap that accepts views keeps for them, and with it the views.
// The code that makes that window installs the function before it sets BBitmap::fWindow;
// ~BBitmap calls it when fWindow is set.
typedef void (*bitmap_window_deleter)(BBitmap* bitmap);
void set_bitmap_window_deleter(bitmap_window_deleter deleter);

} // namespace BPrivate
