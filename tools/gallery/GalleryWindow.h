#pragma once

// The gallery: one window that shows every control and menu of the interface kit in each of
// its states, to look at the kit and to compare it with its golden screenshot. Files dropped
// on its drop zone are named in the zone and reported to the window's drop hook.

#include <View.h>
#include <Window.h>

#include <functional>
#include <string>

// The window's content below the menu bar, as one view tree (archivable as a whole).
BView* make_gallery_view();

class GalleryWindow : public BWindow {
public:
    explicit GalleryWindow(BPoint where = BPoint(100, 100));

    // Called on the window's thread with the path of every file dropped on the drop zone.
    void SetDropHook(std::function<void(const std::string&)> hook);

    void MessageReceived(BMessage* message) override;
    bool QuitRequested() override;

private:
    std::function<void(const std::string&)> fDropHook;
};
