#pragma once

// The borderless window an open menu is shown in. It runs its own thread, which draws the menu
// and follows the pointer over it; the menu's owner (a menu bar or menu field in another
// window) opens and closes it, and hears of a choice by message.

#include <Window.h>

class BMenu;

namespace BPrivate {

class MenuWindow : public BWindow {
public:
    // frame is in screen coordinates; the menu becomes the window's only view.
    MenuWindow(BRect frame, BMenu* menu);
    // A menu window ended by anyone but its owner still gives the menu back: the menu
    // belongs to its owner, never to the window.
    ~MenuWindow() override;

    // From the owner's thread: takes the menu out and ends the window (waiting for its
    // thread).
    void CloseMenu();

private:
    void _TakeMenuOut();

    BMenu* fMenu;
};

// Locks the window a menu is shown in for a change made from the owner's thread, so that the
// menu window's thread never draws the menu while it changes. Nothing to lock for a menu that
// is shown nowhere.
class ShownMenuLock {
public:
    explicit ShownMenuLock(BMenu* menu);
    ~ShownMenuLock();
    ShownMenuLock(const ShownMenuLock&) = delete;
    ShownMenuLock& operator=(const ShownMenuLock&) = delete;

private:
    BWindow* fWindow;
};

} // namespace BPrivate
