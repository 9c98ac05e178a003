#pragma once

// The row of menu titles across the top of a window. A click on a title opens its menu below
// it; the item under the pointer highlights while the button is held, and letting go over an
// item chooses it. A click that lets go on the title leaves the menu open until the next click
// (in the menu: choose; anywhere else: close). While a menu is open the keyboard moves
// through it: up and down, Enter or Space to choose, Escape to close, left and right to the
// neighbouring menus.
//
// With resizeToFit, the bar's height is final when it is constructed (the plain font's
// height plus margins), so that views can be placed below Frame().bottom right after
// AddChild; its width becomes its parent's when it is attached.

#include <Menu.h>

#include <memory>

namespace BPrivate {
class MenuTracker;
}

class BMenuBar : public BMenu {
public:
    BMenuBar(BRect frame, const char* name,
             uint32 resizingMode = B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP,
             menu_layout layout = B_ITEMS_IN_ROW, bool resizeToFit = true);
    // "_rsize_to_fit" besides the menu's fields.
    explicit BMenuBar(BMessage* archive);
    ~BMenuBar() override;

    static BArchivable* Instantiate(BMessage* archive);
    status_t Archive(BMessage* into, bool deep = true) const override;

    void AttachedToWindow() override;
    void DetachedFromWindow() override;
    void MouseDown(BPoint where) override;
    void MouseUp(BPoint where) override;
    void MouseMoved(BPoint where, uint32 transit, const BMessage* dragMessage) override;
    void MessageReceived(BMessage* message) override;

private:
    void _Init();
    void _OpenTitle(int32 index, bool selectFirst);

    bool fResizeToFit = true;
    std::unique_ptr<BPrivate::MenuTracker> fTracker;
    int32 fOpenIndex = -1;
    bool fTracking = false;
};
