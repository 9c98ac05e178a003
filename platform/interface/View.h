#pragma once

// The base of everything drawn in a window. For now only what holds a view's identity; the
// window system grows the rest.

#include <Rect.h>
#include <SupportDefs.h>

#include <string>

class BMessage;

class BView {
public:
    BView(BRect frame, const char* name, uint32 resizingMode, uint32 flags);
    explicit BView(BMessage* archive);
    virtual ~BView();

    BView(const BView&) = delete;
    BView& operator=(const BView&) = delete;

    const char* Name() const { return fName.c_str(); }
    BRect Frame() const { return fFrame; }
    uint32 ResizingMode() const { return fResizingMode; }
    uint32 Flags() const { return fFlags; }

private:
    std::string fName;
    BRect fFrame;
    uint32 fResizingMode = 0;
    uint32 fFlags = 0;
};
