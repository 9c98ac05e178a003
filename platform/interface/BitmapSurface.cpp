#include "BitmapPrivate.h"
#include "ColorConversion.h"

#include <algorithm>
#include <cmath>

namespace {

int32 width_of(const BBitmap* bitmap)
{
    return (int32)std::lround(bitmap->Bounds().Width()) + 1;
}

int32 height_of(const BBitmap* bitmap)
{
    return (int32)std::lround(bitmap->Bounds().Height()) + 1;
}

uint32 premultiplied(rgb_color color)
{
    uint32 alpha = color.alpha;
    auto scale = [alpha](uint32 channel) { return (channel * alpha + 127) / 255; };
    return (alpha << 24) | (scale(color.red) << 16) | (scale(color.green) << 8) | scale(color.blue);
}

rgb_color unpremultiplied(uint32 pixel, bool hasAlpha)
{
    uint32 alpha = hasAlpha ? pixel >> 24 : 255;
    if (alpha == 0)
        return make_color(0, 0, 0, 0);
    auto scale = [alpha](uint32 channel) {
        return (uint8)std::min<uint32>(255, (channel * 255 + alpha / 2) / alpha);
    };
    return make_color(scale((pixel >> 16) & 0xff), scale((pixel >> 8) & 0xff), scale(pixel & 0xff),
                      (uint8)alpha);
}

} // namespace

namespace BPrivate {

cairo_surface_t* bitmap_surface(const BBitmap* bitmap)
{
    if (bitmap == nullptr || !bitmap->IsValid())
        return nullptr;
    int32 width = width_of(bitmap);
    int32 height = height_of(bitmap);
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    cairo_surface_flush(surface);

    color_space space = bitmap->ColorSpace();
    // B_RGB32 keeps whatever its fourth byte holds; it is opaque all the same.
    bool opaque = space != B_RGBA32 && space != B_RGBA15 && space != B_CMAP8;
    int32 bits = bits_per_pixel(space);
    const uint8* source = (const uint8*)bitmap->Bits();
    uint8* target = cairo_image_surface_get_data(surface);
    int stride = cairo_image_surface_get_stride(surface);
    for (int32 y = 0; y < height; y++) {
        uint32* row = (uint32*)(target + (size_t)y * stride);
        int64 rowStart = (int64)y * bitmap->BytesPerRow() * 8;
        for (int32 x = 0; x < width; x++) {
            rgb_color color = read_pixel(source, rowStart + (int64)x * bits, space);
            if (opaque)
                color.alpha = 255;
            row[x] = premultiplied(color);
        }
    }
    cairo_surface_mark_dirty(surface);
    return surface;
}

status_t store_surface(BBitmap* bitmap, cairo_surface_t* surface)
{
    if (bitmap == nullptr || !bitmap->IsValid() || surface == nullptr ||
        cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS ||
        cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE)
        return B_BAD_VALUE;
    cairo_format_t format = cairo_image_surface_get_format(surface);
    if (format != CAIRO_FORMAT_ARGB32 && format != CAIRO_FORMAT_RGB24)
        return B_BAD_VALUE;

    cairo_surface_flush(surface);
    int32 width = std::min(width_of(bitmap), (int32)cairo_image_surface_get_width(surface));
    int32 height = std::min(height_of(bitmap), (int32)cairo_image_surface_get_height(surface));
    const uint8* source = cairo_image_surface_get_data(surface);
    int stride = cairo_image_surface_get_stride(surface);
    if (source == nullptr)
        return B_BAD_VALUE;

    color_space space = bitmap->ColorSpace();
    int32 bits = bits_per_pixel(space);
    uint8* target = (uint8*)bitmap->Bits();
    for (int32 y = 0; y < height; y++) {
        const uint32* row = (const uint32*)(source + (size_t)y * stride);
        int64 rowStart = (int64)y * bitmap->BytesPerRow() * 8;
        for (int32 x = 0; x < width; x++) {
            write_pixel(target, rowStart + (int64)x * bits, space,
                        unpremultiplied(row[x], format == CAIRO_FORMAT_ARGB32));
        }
    }
    return B_OK;
}

} // namespace BPrivate
