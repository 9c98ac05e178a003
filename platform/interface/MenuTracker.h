#pragma once

// What a view that opens menus (a menu bar, a menu field) needs while one of its menus is
// open in a menu window: the open menu and its window, the window's keys routed to it, a click
// elsewhere in the window closing it, and the pointer held down since the opening click
// followed into it. Everything here runs on the owner's window thread; the menu window is
// only ever told things by message, or changed with its lock held.

#include <Messenger.h>
#include <Rect.h>
#include <SupportDefs.h>

#include <functional>

class BMenu;
class BMessage;
class BMessageFilter;
class BView;

namespace BPrivate {

class MenuWindow;

// Between an open menu (in its menu window) and its owner.
enum {
    kMenuKey = '_MNK',       // to the menu: "key" int32 (up, down, enter, space)
    kMenuHighlight = '_MNH', // to the menu: "where" BPoint (screen), the pointer held down
    kMenuRelease = '_MNR',   // to the menu: "where" BPoint (screen), the button let go there
    kMenuChosen = '_MNC',    // to the owner: "serial" int32 (of the opening), "index" int32
};

class MenuTracker {
public:
    explicit MenuTracker(BView* owner);
    ~MenuTracker();

    MenuTracker(const MenuTracker&) = delete;
    MenuTracker& operator=(const MenuTracker&) = delete;

    // When the owner joins and leaves its window.
    void Attach();
    void Detach();

    // Opens menu with its left top at where (screen), moved onto the screen if needed, with
    // the item at select highlighted (-1: none).
    bool Open(BMenu* menu, BPoint where, int32 select = -1);
    void Close();
    bool IsOpen() const { return fMenu != nullptr; }
    BMenu* OpenMenu() const { return fMenu; }

    // The pointer, held down since the click that opened the menu, moved to or was let go at
    // where (screen). Released returns true when it was let go over the menu, which then
    // chooses the item there.
    void PointerMoved(BPoint where);
    bool PointerReleased(BPoint where);
    bool PointerWasInMenu() const { return fDragged; }

    // For the owner's MessageReceived: a choice made in the open menu. Closes the menu and
    // says which item was chosen; false for anything else (or a choice from an earlier
    // opening).
    bool TakeChoice(BMessage* message, BMenu** menu, int32* index);

    // Left and right arrows while a menu is open (a menu bar moves to its neighbour).
    std::function<void(int32 direction)> onArrow;
    // After the menu closed, however that happened.
    std::function<void()> onClosed;

    // The filter's questions.
    bool _KeyDown(BMessage* message);
    bool _MouseDown(BMessage* message);

private:
    BView* fOwner;
    BMessageFilter* fFilter = nullptr;
    BMenu* fMenu = nullptr;
    MenuWindow* fWindow = nullptr;
    BMessenger fMenuMessenger;
    BRect fFrame;
    int32 fSerial = 0;
    bool fDragged = false;
};

} // namespace BPrivate
