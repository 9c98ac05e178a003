#pragma once

// A list of items, in a column (a menu that opens) or in a row (a menu bar). A menu owns its
// items, and through them its submenus: deleting a menu deletes them all.
//
// A menu that opens is shown in a window of its own (a borderless menu window with its own
// thread), opened by the menu bar or menu field it belongs to, which stays in charge: the
// window's keys and clicks reach the open menu through its owner, and the owner closes it.
// Changing a menu while it is open is safe from the thread of the window it belongs to; its
// menu window is locked for the change. Adding or removing items closes it.

#include <Messenger.h>
#include <View.h>

#include <memory>
#include <vector>

class BMenuField;
class BMenuItem;

namespace BPrivate {
class MenuTracker;
class MenuWindow;
} // namespace BPrivate

enum menu_layout {
    B_ITEMS_IN_ROW = 0,
    B_ITEMS_IN_COLUMN,
    B_ITEMS_IN_MATRIX,
};

class BMenu : public BView {
public:
    explicit BMenu(const char* name, menu_layout layout = B_ITEMS_IN_COLUMN);
    // "_layout", "_rmode" (radio mode), "_dmark" (label from marked), "_disable", and the
    // items in "_items" (their archives, in order).
    explicit BMenu(BMessage* archive);
    // Deletes the items; a submenu whose item is still in a menu takes that item with it.
    ~BMenu() override;

    static BArchivable* Instantiate(BMessage* archive);
    status_t Archive(BMessage* into, bool deep = true) const override;

    void AttachedToWindow() override;
    void DetachedFromWindow() override;
    void Draw(BRect updateRect) override;
    void MouseDown(BPoint where) override;
    void MouseUp(BPoint where) override;
    void MouseMoved(BPoint where, uint32 transit, const BMessage* dragMessage) override;
    void MessageReceived(BMessage* message) override;
    void GetPreferredSize(float* width, float* height) override;

    // The menu takes ownership of the item. false (and the item stays the caller's) for an
    // item already in a menu or an index past the end.
    bool AddItem(BMenuItem* item);
    bool AddItem(BMenuItem* item, int32 index);
    // A new item that opens submenu.
    bool AddItem(BMenu* submenu);
    bool AddItem(BMenu* submenu, int32 index);
    bool AddSeparatorItem();
    // Takes the item out and gives it back to the caller (not deleted).
    bool RemoveItem(BMenuItem* item);
    BMenuItem* RemoveItem(int32 index);
    // Takes out and deletes the item that opens submenu; the submenu is the caller's again.
    bool RemoveItem(BMenu* submenu);

    int32 CountItems() const { return (int32)fItems.size(); }
    BMenuItem* ItemAt(int32 index) const;
    BMenu* SubmenuAt(int32 index) const;
    int32 IndexOf(const BMenuItem* item) const;
    int32 IndexOf(const BMenu* submenu) const;
    // Searches the submenus too.
    BMenuItem* FindItem(const char* label) const;
    BMenuItem* FindItem(uint32 command) const;
    BMenuItem* FindMarked() const;

    // Every item (not those of submenus) gets this target.
    status_t SetTargetForItems(BHandler* target);
    status_t SetTargetForItems(BMessenger messenger);

    virtual void SetEnabled(bool enabled);
    bool IsEnabled() const;
    // In radio mode exactly one item at most is marked: marking one unmarks the others, and
    // choosing one marks it.
    virtual void SetRadioMode(bool on);
    bool IsRadioMode() const { return fRadioMode; }
    // The label shown for the menu (by its menu field or the item that opens it) is that of
    // its marked item.
    virtual void SetLabelFromMarked(bool on);
    bool IsLabelFromMarked() const { return fLabelFromMarked; }

    BMenuItem* Superitem() const { return fSuperitem; }
    BMenu* Supermenu() const;
    menu_layout Layout() const { return fLayout; }

    // The label the owner shows for the menu: the marked item's label when the menu takes
    // its label from it, else the menu's name.
    const char* _DisplayLabel() const;

protected:
    // For menu bars: a menu that is a view of the window with this frame from the start.
    BMenu(BRect frame, const char* name, uint32 resizingMode, uint32 flags, menu_layout layout);

    // Places the items (their frames) for the layout; row items are as high as the font.
    void _LayoutItems();
    // Margins around the items of a row, and the extra height of each item of a column.
    static constexpr float kRowItemPadding = 8;
    static constexpr float kColumnLeftMargin = 20;
    static constexpr float kColumnRightMargin = 10;
    static constexpr float kShortcutGap = 20;
    static constexpr float kVerticalPadding = 2;

private:
    friend class BMenuItem;
    friend class BMenuBar;
    friend class BMenuField;
    friend class BPrivate::MenuTracker;
    friend class BPrivate::MenuWindow;

    void _InitData();
    // The window whose shortcuts and default target this menu's items use: the one of the
    // menu bar or menu field at the top of the menu's tree.
    BWindow* _OwnerWindow() const;
    void _RegisterShortcuts(BWindow* window);
    void _UnregisterShortcuts(BWindow* window);
    // A change to what the menu shows: redraw it where it is shown, and its owner's label.
    void _ItemChanged(BMenuItem* item);
    // Structure changes close the menu if it is open (on the owner's thread).
    void _StructureChanged();
    int32 _ItemIndexAt(BPoint where) const;
    void _Select(int32 index);
    // The pointer highlights the item at index (or nothing, for one it cannot highlight);
    // when that changes the highlight, the submenu of the new one opens beside it and any
    // opened from another item closes.
    void _Highlight(int32 index);
    // Asks the owner for the submenu of the item at index, its first item highlighted when
    // selectFirst; for an item without one (or -1), closes those opened from this menu.
    void _AskForSubmenu(int32 index, bool selectFirst);
    // The next item the keyboard can highlight, from the highlighted one in direction.
    int32 _NextSelectable(int32 from, int32 direction) const;
    // On the menu window's thread: asks the owner to choose the highlighted item.
    void _ChooseSelected();
    // On the owner's thread: marks (radio mode) and invokes the item.
    void _ItemChosen(int32 index);

    std::vector<BMenuItem*> fItems;
    menu_layout fLayout;
    BMenuItem* fSuperitem = nullptr;
    BMenuField* fField = nullptr;
    bool fRadioMode = false;
    bool fLabelFromMarked = false;
    bool fEnabled = true;
    bool fShortcutsRegistered = false;
    BWindow* fShortcutWindow = nullptr;

    // While open: the menu window (owner's thread), and on the menu window's thread the
    // highlighted item and where to tell the owner of a choice.
    BPrivate::MenuTracker* fTracker = nullptr;
    int32 fSelected = -1;
    BMessenger fOwner;
    int32 fOpenSerial = 0;
    int32 fLevel = 0; // in the chain of open menus

    // A menu in a column shown as a view of a window opens its submenus itself.
    std::unique_ptr<BPrivate::MenuTracker> fSubmenus;
};
