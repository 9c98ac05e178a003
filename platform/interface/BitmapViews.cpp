// Views that draw into a bitmap. Such views live in a window that is never shown and whose
// back buffer is the bitmap's own pixels, so every drawing call lands in the bitmap at once;
// Draw() is not called by itself, as on the original system: the owner draws between
// Lock() and Unlock() and then uses the pixels.

#include <Bitmap.h>
#include <View.h>
#include <Window.h>

#include "BitmapPrivate.h"

class BBitmapViews {
public:
    // Only 32-bit pixels are what the back buffer is made of.
    static BWindow* WindowOf(BBitmap* bitmap, bool create)
    {
        if (bitmap->fWindow == nullptr && create && bitmap->IsValid() &&
            (bitmap->Flags() & B_BITMAP_ACCEPTS_VIEWS) != 0 &&
            (bitmap->ColorSpace() == B_RGB32 || bitmap->ColorSpace() == B_RGBA32)) {
            BPrivate::set_bitmap_window_deleter(&DeleteWindow);
            bitmap->fWindow = new BWindow(BWindow::Offscreen{}, bitmap->Bounds(),
                                          (uint8*)bitmap->Bits(), bitmap->BytesPerRow());
        }
        return bitmap->fWindow;
    }

    static BWindow* WindowOf(const BBitmap* bitmap) { return bitmap->fWindow; }

    static void DeleteWindow(BBitmap* bitmap)
    {
        BWindow* window = bitmap->fWindow;
        bitmap->fWindow = nullptr;
        window->Lock();
        delete window; // never ran: deleted directly
    }
};

void BBitmap::AddChild(BView* view)
{
    BWindow* window = BBitmapViews::WindowOf(this, true);
    if (window == nullptr || view == nullptr)
        return;
    window->Lock();
    window->AddChild(view);
    window->Unlock();
}

bool BBitmap::RemoveChild(BView* view)
{
    BWindow* window = BBitmapViews::WindowOf(this, false);
    if (window == nullptr)
        return false;
    window->Lock();
    const bool removed = window->RemoveChild(view);
    window->Unlock();
    return removed;
}

int32 BBitmap::CountChildren() const
{
    BWindow* window = BBitmapViews::WindowOf(this);
    return window != nullptr ? window->CountChildren() : 0;
}

BView* BBitmap::ChildAt(int32 index) const
{
    BWindow* window = BBitmapViews::WindowOf(this);
    return window != nullptr ? window->ChildAt(index) : nullptr;
}

BView* BBitmap::FindView(const char* name) const
{
    BWindow* window = BBitmapViews::WindowOf(this);
    return window != nullptr ? window->FindView(name) : nullptr;
}

bool BBitmap::Lock()
{
    BWindow* window = BBitmapViews::WindowOf(this, false);
    return window != nullptr && window->Lock();
}

void BBitmap::Unlock()
{
    if (BWindow* window = BBitmapViews::WindowOf(this, false))
        window->Unlock();
}

bool BBitmap::IsLocked() const
{
    BWindow* window = BBitmapViews::WindowOf(this);
    return window != nullptr && window->IsLocked();
}
