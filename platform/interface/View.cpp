#include <View.h>

#include <Message.h>

BView::BView(BRect frame, const char* name, uint32 resizingMode, uint32 flags)
    : fName(name ? name : ""), fFrame(frame), fResizingMode(resizingMode), fFlags(flags)
{
}

BView::BView(BMessage* archive)
{
    if (archive == nullptr)
        return;
    const char* name;
    if (archive->FindString("_name", &name) == B_OK)
        fName = name;
    archive->FindRect("_frame", &fFrame);
    archive->FindInt32("_resize_mode", (int32*)&fResizingMode);
    archive->FindInt32("_flags", (int32*)&fFlags);
}

BView::~BView() = default;
