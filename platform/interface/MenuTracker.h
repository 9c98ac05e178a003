#pragma once

// What a view that opens menus (a menu bar, a menu field, a menu shown in a window as a view)
// needs while one of its menus is open in a menu window: the open menus and their windows (a
// chain, when submenus open from them), the window's keys routed to the deepest, a click
// elsewhere in the window closing them, and the pointer held down since the opening click
// followed into them. Everything here runs on the owner's window thread; the menu window is
// only ever told things by message, or changed with its lock held.

#include <Messenger.h>
#include <Rect.h>
#include <SupportDefs.h>

#include <functional>
#include <vector>

class BMenu;
class BMessage;
class BMessageFilter;
class BView;

namespace BPrivate {

class MenuWindow;

// Between the open menus (each in its menu window) and their owner. A menu of the chain is
// named by its level: 0 for the menu the owner opened, 1 for a submenu opened from it, and so
// on; -1 is the owner itself when it is a menu.
enum {
    kMenuKey = '_MNK',       // to the deepest menu: "key" int32 (up, down, enter, space)
    kMenuHighlight = '_MNH', // to a menu: "where" BPoint (screen), the pointer held down
    kMenuRelease = '_MNR',   // to a menu: "where" BPoint (screen), the button let go there
    // To the owner, each with "serial" int32 (of the opening) and "level" int32 (the sender's):
    kMenuChosen = '_MNC',  // "index" int32: the item chosen
    kMenuSubmenu = '_MNS', // "index" int32, "select" bool: the item highlighted (-1: none)
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
    // Closes the whole chain.
    void Close();
    bool IsOpen() const { return !fLevels.empty(); }
    BMenu* OpenMenu() const { return fLevels.empty() ? nullptr : fLevels.front().menu; }

    // The item at index of the menu at level was highlighted: its submenu opens beside it
    // (its first item highlighted when selectFirst), and any menu deeper than level that
    // another item opened closes. index -1 only closes the deeper ones.
    void OpenSubmenu(int32 level, int32 index, bool selectFirst);

    // The pointer, held down since the click that opened the menu, moved to or was let go at
    // where (screen). Released returns true when it was let go over a menu of the chain,
    // which then chooses the item there.
    void PointerMoved(BPoint where);
    bool PointerReleased(BPoint where);
    bool PointerWasInMenu() const { return fDragged; }

    // For the owner's MessageReceived: a message from the open menus. A choice closes the
    // chain and says which item of which menu was chosen (*menu stays nullptr for anything
    // else); false for a message that is not the tracker's. Messages of an earlier opening
    // are taken and dropped.
    bool TakeChoice(BMessage* message, BMenu** menu, int32* index);

    // Left and right arrows that leave the chain (a menu bar moves to its neighbour).
    std::function<void(int32 direction)> onArrow;
    // After the menu closed, however that happened.
    std::function<void()> onClosed;

    // The filter's questions.
    bool _KeyDown(BMessage* message);
    bool _MouseDown(BMessage* message);

private:
    struct Level {
        BMenu* menu = nullptr;
        MenuWindow* window = nullptr;
        BMessenger messenger;
        BRect frame; // screen
    };

    // Shows menu in a menu window at frame's size, its left top at where; a frame that would
    // leave the screen on the right goes to the left of besideLeft (a submenu to the left of
    // its parent) or, without one, just far enough left.
    void _OpenLevel(BMenu* menu, BPoint where, int32 select, float besideLeft = -1);
    // Closes the menus from level on, the deepest first.
    void _CloseFrom(size_t level);
    // The deepest menu of the chain that where (screen) is in.
    Level* _LevelAt(BPoint where);

    BView* fOwner;
    BMessageFilter* fFilter = nullptr;
    std::vector<Level> fLevels;
    int32 fSerial = 0;
    bool fDragged = false;
};

} // namespace BPrivate
