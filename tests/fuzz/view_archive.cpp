// Feeds arbitrary bytes to the making of views from archives, as a damaged resource would:
// whatever instantiate_object() makes of an accepted message must attach to a window, draw,
// archive itself again and be deleted, without reading or writing out of bounds.

#include <Archivable.h>
#include <Bitmap.h>
#include <Message.h>
#include <View.h>

#include "ArchiveClasses.h"

#include <cstdint>
#include <memory>

namespace {

// Views draw into a bitmap: no window system, no other thread.
void exercise(BView* view)
{
    BBitmap canvas(BRect(0, 0, 63, 63), B_BITMAP_ACCEPTS_VIEWS, B_RGBA32);
    canvas.AddChild(view);
    if (canvas.Lock()) {
        view->Draw(view->Bounds());
        for (int32 i = 0; i < view->CountChildren(); i++)
            view->ChildAt(i)->Draw(view->ChildAt(i)->Bounds());
        float width;
        float height;
        view->GetPreferredSize(&width, &height);
        view->ResizeBy(7, 3);
        canvas.Unlock();
    }
    BMessage again;
    if (view->Archive(&again, true) == B_OK)
        delete instantiate_object(&again);
    canvas.RemoveChild(view);
}

} // namespace

// fontconfig keeps what it parsed of its configuration to the end of the process.
extern "C" const char* __lsan_default_options()
{
    return "suppressions=" VIEW_ARCHIVE_LSAN_SUPPRESSIONS;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    BPrivate::register_interface_classes();
    BMessage archive;
    if (archive.Unflatten(reinterpret_cast<const char*>(data), size) != B_OK)
        return 0;
    std::unique_ptr<BArchivable> object(instantiate_object(&archive));
    if (auto* view = dynamic_cast<BView*>(object.get()))
        exercise(view);
    return 0;
}
