// The window's back buffer: what views draw into, updates of the parts invalidated, and
// handing finished frames to the display.

#include <Window.h>

#include <View.h>

#include "Display.h"
#include "WindowPrivate.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>

using BPrivate::kUpdateMessage;

void BWindow::_CreateBuffer()
{
    if (fBuffer != nullptr)
        cairo_surface_destroy(fBuffer);
    fBuffer = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, fFrame.IntegerWidth() + 1,
                                         fFrame.IntegerHeight() + 1);
    cairo_t* cr = cairo_create(fBuffer);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_destroy(cr);
}

// #pragma mark - drawing

void BWindow::_Invalidate(BRect rect)
{
    rect = rect & Bounds();
    if (!rect.IsValid())
        return;
    // Whole pixels: a rect that starts or ends between pixel centres covers both.
    rect = BRect(std::floor(rect.left), std::floor(rect.top), std::ceil(rect.right),
                 std::ceil(rect.bottom));
    fDirty = fDirty.IsValid() ? (fDirty | rect) : rect;
    if (!fUpdatePosted && !fOffscreen) {
        fUpdatePosted = true;
        PostMessage(kUpdateMessage);
    }
}

bool BWindow::NeedsUpdate() const
{
    return fDirty.IsValid();
}

void BWindow::DisableUpdates()
{
    fUpdatesDisabled++;
}

void BWindow::EnableUpdates()
{
    if (fUpdatesDisabled > 0 && --fUpdatesDisabled == 0)
        _Invalidate(Bounds());
}

void BWindow::UpdateIfNeeded()
{
    if (fDirty.IsValid() || fNeedsPresent)
        _Update();
}

void BWindow::_Update()
{
    _ReleaseContext();
    if (fUpdatesDisabled > 0 || fBuffer == nullptr)
        return;
    if (fDirty.IsValid()) {
        const BRect dirty = fDirty;
        fDirty = BRect();
        cairo_t* cr = cairo_create(fBuffer);
        fInUpdate = true;
        fTopView->_Draw(cr, dirty);
        fInUpdate = false;
        cairo_destroy(cr);
        fNeedsPresent = true;
    }
    if (fNeedsPresent)
        _Present();
}

void BWindow::_Present()
{
    if (fDisplayWindow < 0 || IsHidden() || fBuffer == nullptr)
        return;
    fNeedsPresent = false;
    cairo_surface_flush(fBuffer);
    BPrivate::display()->Present(fDisplayWindow, cairo_image_surface_get_data(fBuffer),
                                 cairo_image_surface_get_width(fBuffer),
                                 cairo_image_surface_get_height(fBuffer),
                                 cairo_image_surface_get_stride(fBuffer));
}

void BWindow::Flush() const
{
    auto* self = const_cast<BWindow*>(this);
    self->_ReleaseContext();
    if (self->fNeedsPresent)
        self->_Present();
}

void BWindow::Sync() const
{
    Flush();
}

void BWindow::_BeginViewDraw(BView* view, cairo_t* context)
{
    fDrawView = view;
    fDrawContext = context;
}

void BWindow::_EndViewDraw()
{
    fDrawView = nullptr;
    fDrawContext = nullptr;
}

cairo_t* BWindow::_ContextFor(BView* view)
{
    BPrivate::check_locked(this, "drawing in a view");
    if (fBuffer == nullptr)
        return nullptr;
    if (fInUpdate && view == fDrawView)
        return fDrawContext;
    if (fContext != nullptr && fContextView == view)
        return fContext;
    _ReleaseContext();
    const BRect visible = view->_VisibleInWindow();
    const BPoint origin = view->_OriginInWindow();
    fContext = cairo_create(fBuffer);
    cairo_rectangle(fContext, visible.left, visible.top, std::max(visible.Width() + 1, 0.f),
                    std::max(visible.Height() + 1, 0.f));
    cairo_clip(fContext);
    cairo_translate(fContext, origin.x, origin.y);
    fContextView = view;
    // What is drawn outside an update is shown with the next one.
    if (!fOffscreen) {
        fNeedsPresent = true;
        if (!fUpdatePosted) {
            fUpdatePosted = true;
            PostMessage(kUpdateMessage);
        }
    }
    return fContext;
}

void BWindow::_ReleaseContext()
{
    if (fContext == nullptr)
        return;
    cairo_destroy(fContext);
    fContext = nullptr;
    fContextView = nullptr;
}
