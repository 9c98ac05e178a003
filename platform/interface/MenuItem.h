#pragma once

// One entry of a menu: a label that sends its message when chosen, or the title of a submenu.
// An item may carry a Command-key shortcut, which works whenever the item's menu belongs to a
// window (through a menu bar or a menu field), open or not. Without a target of its own, an
// item sends its message to the window its menu belongs to.

#include <Archivable.h>
#include <Invoker.h>
#include <Rect.h>

#include <string>

class BMenu;
class BMessage;
class BWindow;

class BMenuItem : public BArchivable, public BInvoker {
public:
    // Takes ownership of message. shortcut is a character (Command+shortcut chooses the item),
    // modifiers those held besides Command.
    BMenuItem(const char* label, BMessage* message, char shortcut = 0, uint32 modifiers = 0);
    // The item that opens submenu; it owns the submenu and takes its name as label.
    explicit BMenuItem(BMenu* submenu, BMessage* message = nullptr);
    // "_label", "_msg" (the message, archived), "_shortcut" and "_mods", "_disable",
    // "_marked", and "_submenu" (the submenu's archive).
    explicit BMenuItem(BMessage* archive);
    // Deletes the submenu. An item still in a menu leaves it first.
    ~BMenuItem() override;

    static BArchivable* Instantiate(BMessage* archive);
    status_t Archive(BMessage* into, bool deep = true) const override;

    virtual void SetLabel(const char* label);
    const char* Label() const { return fLabel.c_str(); }
    virtual void SetEnabled(bool enabled);
    // An item of a disabled menu is disabled too.
    bool IsEnabled() const;
    // In a menu in radio mode, marking an item unmarks the others.
    virtual void SetMarked(bool marked);
    bool IsMarked() const { return fMarked; }
    virtual void SetShortcut(char shortcut, uint32 modifiers);
    char Shortcut(uint32* modifiers = nullptr) const;

    BMenu* Submenu() const { return fSubmenu; }
    BMenu* Menu() const { return fMenu; }
    // In the menu's coordinates; empty while the item is in no menu.
    BRect Frame() const { return fFrame; }

    // Sends a copy of message (the item's own when null) with "when", "source" (this item)
    // and "index" (its place in its menu) to the target, or to the menu's window when the
    // item has none.
    status_t Invoke(BMessage* message = nullptr) override;

    // The shortcut as shown at the right of the item: "Alt+Q", with Shift/Ctrl in front when
    // they are part of it. Alt is the key that plays the Command key's part here, and the
    // label says so in the words printed on the keyboard.
    std::string ShortcutLabel() const;

protected:
    // How much room the label needs; the menu adds the margins, the mark and the shortcut.
    virtual void GetContentSize(float* width, float* height);
    // Draws the item into its menu's view, within Frame().
    virtual void Draw();
    // Whether the pointer or the keyboard has it highlighted.
    bool IsSelected() const { return fSelected; }

private:
    friend class BMenu;

    // The window the item's shortcut and default target belong to, if any.
    BWindow* _Window() const;
    void _RegisterShortcut();
    void _UnregisterShortcut();

    std::string fLabel;
    BMenu* fSubmenu = nullptr;
    BMenu* fMenu = nullptr;
    BRect fFrame;
    char fShortcut = 0;
    uint32 fModifiers = 0;
    bool fEnabled = true;
    bool fMarked = false;
    bool fSelected = false;
};

// A thin etched line between groups of items; never chosen.
class BSeparatorItem : public BMenuItem {
public:
    BSeparatorItem();
    explicit BSeparatorItem(BMessage* archive);
    ~BSeparatorItem() override;

    static BArchivable* Instantiate(BMessage* archive);
    status_t Archive(BMessage* into, bool deep = true) const override;

    void SetEnabled(bool enabled) override;

protected:
    void GetContentSize(float* width, float* height) override;
    void Draw() override;
};
