// A view's drawing calls: into the window's back buffer, through the cairo context the
// window gives the view, inside Draw() or outside it.

#include <View.h>

#include <Bitmap.h>
#include <Window.h>

#include "BitmapPrivate.h"
#include "FontRendering.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>

// #pragma mark - drawing

void BView::Invalidate(BRect rect)
{
    if (fWindow == nullptr)
        return;
    const BPoint origin = _OriginInWindow();
    fWindow->_Invalidate(rect.OffsetByCopy(origin.x, origin.y) & _VisibleInWindow());
}

void BView::Invalidate()
{
    Invalidate(Bounds());
}

void BView::Flush() const
{
    if (fWindow != nullptr)
        fWindow->Flush();
}

void BView::Sync() const
{
    Flush();
}

cairo_t* BView::_Context()
{
    return fWindow != nullptr ? fWindow->_ContextFor(this) : nullptr;
}

void BView::_SetSource(cairo_t* cr, rgb_color color) const
{
    // Copying ignores alpha, as on the original system; the blending modes use it.
    const double alpha =
        fDrawingMode == B_OP_ALPHA || fDrawingMode == B_OP_BLEND ? color.alpha / 255.0 : 1.0;
    cairo_set_source_rgba(cr, color.red / 255.0, color.green / 255.0, color.blue / 255.0, alpha);
}

void BView::_SetSource(cairo_t* cr, const ::pattern& pattern) const
{
    _SetSource(cr, pattern == B_SOLID_LOW ? fLowColor : fHighColor);
}

void BView::FillRect(BRect rect, ::pattern pattern)
{
    cairo_t* cr = _Context();
    if (cr == nullptr || !rect.IsValid())
        return;
    _SetSource(cr, pattern);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    cairo_rectangle(cr, std::floor(rect.left), std::floor(rect.top),
                    std::floor(rect.right) - std::floor(rect.left) + 1,
                    std::floor(rect.bottom) - std::floor(rect.top) + 1);
    cairo_fill(cr);
}

void BView::StrokeRect(BRect rect, ::pattern pattern)
{
    if (!rect.IsValid())
        return;
    // Four one-pixel edges, so that every covered pixel is a whole pixel.
    const BRect edges[4] = {
        BRect(rect.left, rect.top, rect.right, rect.top),
        BRect(rect.left, rect.bottom, rect.right, rect.bottom),
        BRect(rect.left, rect.top, rect.left, rect.bottom),
        BRect(rect.right, rect.top, rect.right, rect.bottom),
    };
    for (const BRect& edge : edges)
        FillRect(edge, pattern);
}

void BView::StrokeLine(BPoint start, BPoint end, ::pattern pattern)
{
    fPenLocation = end;
    cairo_t* cr = _Context();
    if (cr == nullptr)
        return;
    _SetSource(cr, pattern);
    if (start.x == end.x || start.y == end.y) {
        cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
        const float half = std::max(fPenSize, 1.f) / 2;
        cairo_rectangle(
            cr, std::min(start.x, end.x) + 0.5 - half, std::min(start.y, end.y) + 0.5 - half,
            std::fabs(end.x - start.x) + 2 * half, std::fabs(end.y - start.y) + 2 * half);
        cairo_fill(cr);
        return;
    }
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_DEFAULT);
    cairo_set_line_width(cr, std::max(fPenSize, 1.f));
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_SQUARE);
    cairo_move_to(cr, start.x + 0.5, start.y + 0.5);
    cairo_line_to(cr, end.x + 0.5, end.y + 0.5);
    cairo_stroke(cr);
}

void BView::StrokeLine(BPoint end, ::pattern pattern)
{
    StrokeLine(fPenLocation, end, pattern);
}

namespace {

void ellipse_path(cairo_t* cr, BRect rect, double inset)
{
    const double width = rect.Width() + 1 - 2 * inset;
    const double height = rect.Height() + 1 - 2 * inset;
    if (width <= 0 || height <= 0)
        return;
    cairo_save(cr);
    cairo_translate(cr, rect.left + inset + width / 2, rect.top + inset + height / 2);
    cairo_scale(cr, width / 2, height / 2);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(cr);
}

} // namespace

void BView::FillEllipse(BRect rect, ::pattern pattern)
{
    cairo_t* cr = _Context();
    if (cr == nullptr || !rect.IsValid())
        return;
    _SetSource(cr, pattern);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_DEFAULT);
    ellipse_path(cr, rect, 0);
    cairo_fill(cr);
}

void BView::StrokeEllipse(BRect rect, ::pattern pattern)
{
    cairo_t* cr = _Context();
    if (cr == nullptr || !rect.IsValid())
        return;
    _SetSource(cr, pattern);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_DEFAULT);
    cairo_set_line_width(cr, std::max(fPenSize, 1.f));
    ellipse_path(cr, rect, std::max(fPenSize, 1.f) / 2);
    cairo_stroke(cr);
}

void BView::FillTriangle(BPoint a, BPoint b, BPoint c, ::pattern pattern)
{
    cairo_t* cr = _Context();
    if (cr == nullptr)
        return;
    _SetSource(cr, pattern);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_DEFAULT);
    cairo_move_to(cr, a.x + 0.5, a.y + 0.5);
    cairo_line_to(cr, b.x + 0.5, b.y + 0.5);
    cairo_line_to(cr, c.x + 0.5, c.y + 0.5);
    cairo_close_path(cr);
    cairo_fill(cr);
}

void BView::DrawString(const char* string, int32 length, BPoint where)
{
    if (string == nullptr)
        return;
    const int32 bytes = (int32)strnlen(string, (size_t)std::max(length, 0));
    fPenLocation = BPoint(where.x + fFont.StringWidth(string, bytes), where.y);
    cairo_t* cr = _Context();
    if (cr == nullptr)
        return;
    cairo_save(cr);
    rgb_color color = fHighColor;
    if (fDrawingMode != B_OP_ALPHA && fDrawingMode != B_OP_BLEND)
        color.alpha = 255;
    cairo_set_source_rgba(cr, color.red / 255.0, color.green / 255.0, color.blue / 255.0,
                          color.alpha / 255.0);
    BPrivate::draw_string(cr, fFont, string, bytes, where);
    cairo_restore(cr);
}

void BView::DrawString(const char* string, BPoint where)
{
    if (string != nullptr)
        DrawString(string, (int32)strlen(string), where);
}

void BView::DrawString(const char* string)
{
    DrawString(string, fPenLocation);
}

void BView::DrawBitmap(const BBitmap* bitmap, BRect destRect)
{
    cairo_t* cr = _Context();
    if (cr == nullptr || bitmap == nullptr || !destRect.IsValid())
        return;
    cairo_surface_t* surface = BPrivate::bitmap_surface(bitmap);
    if (surface == nullptr)
        return;
    const BRect source = bitmap->Bounds();
    cairo_save(cr);
    cairo_rectangle(cr, destRect.left, destRect.top, destRect.Width() + 1, destRect.Height() + 1);
    cairo_clip(cr);
    cairo_translate(cr, destRect.left, destRect.top);
    cairo_scale(cr, (destRect.Width() + 1) / (source.Width() + 1),
                (destRect.Height() + 1) / (source.Height() + 1));
    cairo_set_source_surface(cr, surface, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    if (fDrawingMode == B_OP_COPY)
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_paint(cr);
    cairo_restore(cr);
    cairo_surface_destroy(surface);
}

void BView::DrawBitmap(const BBitmap* bitmap, BPoint where)
{
    if (bitmap == nullptr)
        return;
    const BRect bounds = bitmap->Bounds();
    DrawBitmap(bitmap, bounds.OffsetToCopy(where.x, where.y));
}

void BView::DrawBitmap(const BBitmap* bitmap)
{
    DrawBitmap(bitmap, fPenLocation);
}

void BView::_Draw(cairo_t* cr, BRect clip)
{
    if (fHidden)
        return;
    const BRect visible = _FrameInWindow() & clip;
    if (!visible.IsValid())
        return;
    const BPoint origin = _OriginInWindow();
    cairo_save(cr);
    cairo_rectangle(cr, visible.left, visible.top, visible.Width() + 1, visible.Height() + 1);
    cairo_clip(cr);
    cairo_translate(cr, origin.x, origin.y);
    if (!(fViewColor == B_TRANSPARENT_COLOR)) {
        cairo_set_source_rgb(cr, fViewColor.red / 255.0, fViewColor.green / 255.0,
                             fViewColor.blue / 255.0);
        cairo_paint(cr);
    }
    const BRect update = visible.OffsetByCopy(-origin.x, -origin.y);
    if ((fFlags & B_WILL_DRAW) != 0) {
        fWindow->_BeginViewDraw(this, cr);
        Draw(update);
        fWindow->_EndViewDraw();
    }
    cairo_restore(cr);

    for (BView* child : fChildren)
        child->_Draw(cr, visible);

    if ((fFlags & B_DRAW_ON_CHILDREN) != 0) {
        cairo_save(cr);
        cairo_rectangle(cr, visible.left, visible.top, visible.Width() + 1, visible.Height() + 1);
        cairo_clip(cr);
        cairo_translate(cr, origin.x, origin.y);
        fWindow->_BeginViewDraw(this, cr);
        DrawAfterChildren(update);
        fWindow->_EndViewDraw();
        cairo_restore(cr);
    }
}
