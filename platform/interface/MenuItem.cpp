#include <MenuItem.h>

#include <InterfaceDefs.h>
#include <Menu.h>
#include <Message.h>
#include <Messenger.h>
#include <OS.h>
#include <Window.h>

#include "ArchiveClasses.h"
#include "MenuWindow.h"
#include "WindowPrivate.h"

#include <cctype>

BMenuItem::BMenuItem(const char* label, BMessage* message, char shortcut, uint32 modifiers)
    : BInvoker(message, nullptr), fLabel(label != nullptr ? label : ""), fShortcut(shortcut),
      fModifiers(modifiers)
{
}

BMenuItem::BMenuItem(BMenu* submenu, BMessage* message)
    : BInvoker(message, nullptr), fSubmenu(submenu)
{
    if (submenu != nullptr) {
        fLabel = submenu->Name();
        submenu->fSuperitem = this;
    }
}

BMenuItem::BMenuItem(BMessage* archive) : BArchivable(archive)
{
    const char* label;
    if (archive->FindString("_label", &label) == B_OK)
        fLabel = label;
    BMessage message;
    if (archive->FindMessage("_msg", &message) == B_OK)
        SetMessage(new BMessage(message));
    int32 shortcut;
    int32 modifierState;
    if (archive->FindInt32("_shortcut", &shortcut) == B_OK &&
        archive->FindInt32("_mods", &modifierState) == B_OK && shortcut > 0 && shortcut < 128) {
        fShortcut = (char)shortcut;
        fModifiers = (uint32)modifierState;
    }
    bool flag;
    if (archive->FindBool("_disable", &flag) == B_OK)
        fEnabled = !flag;
    if (archive->FindBool("_marked", &flag) == B_OK)
        fMarked = flag;
    BMessage submenuArchive;
    if (archive->FindMessage("_submenu", &submenuArchive) == B_OK) {
        BArchivable* object = instantiate_object(&submenuArchive);
        if (auto* submenu = dynamic_cast<BMenu*>(object)) {
            fSubmenu = submenu;
            submenu->fSuperitem = this;
        } else {
            delete object;
        }
    }
}

BMenuItem::~BMenuItem()
{
    if (fMenu != nullptr)
        fMenu->RemoveItem(this);
    if (fSubmenu != nullptr) {
        // The submenu must not take this item with it again.
        fSubmenu->fSuperitem = nullptr;
        delete fSubmenu;
    }
}

BArchivable* BMenuItem::Instantiate(BMessage* archive)
{
    if (!validate_instantiation(archive, "BMenuItem"))
        return nullptr;
    return new BMenuItem(archive);
}

status_t BMenuItem::Archive(BMessage* into, bool deep) const
{
    status_t status = BArchivable::Archive(into, deep);
    if (status == B_OK)
        status = BPrivate::add_archived_class(into, "BMenuItem");
    if (status != B_OK)
        return status;
    into->AddString("_label", fLabel.c_str());
    if (Message() != nullptr)
        into->AddMessage("_msg", Message());
    if (fShortcut != 0) {
        into->AddInt32("_shortcut", fShortcut);
        into->AddInt32("_mods", (int32)fModifiers);
    }
    if (!fEnabled)
        into->AddBool("_disable", true);
    if (fMarked)
        into->AddBool("_marked", true);
    if (deep && fSubmenu != nullptr) {
        BMessage submenu;
        status = fSubmenu->Archive(&submenu, true);
        if (status == B_OK)
            status = into->AddMessage("_submenu", &submenu);
    }
    return status;
}

void BMenuItem::SetLabel(const char* label)
{
    {
        BPrivate::ShownMenuLock lock(fMenu);
        fLabel = label != nullptr ? label : "";
    }
    if (fMenu != nullptr)
        fMenu->_ItemChanged(this);
}

void BMenuItem::SetEnabled(bool enabled)
{
    if (enabled == fEnabled)
        return;
    {
        BPrivate::ShownMenuLock lock(fMenu);
        fEnabled = enabled;
    }
    if (fSubmenu != nullptr)
        fSubmenu->SetEnabled(enabled);
    if (fMenu != nullptr)
        fMenu->_ItemChanged(this);
}

bool BMenuItem::IsEnabled() const
{
    if (!fEnabled)
        return false;
    return fMenu == nullptr || fMenu->IsEnabled();
}

void BMenuItem::SetMarked(bool marked)
{
    {
        BPrivate::ShownMenuLock lock(fMenu);
        if (marked && fMenu != nullptr && fMenu->IsRadioMode()) {
            for (BMenuItem* other : fMenu->fItems) {
                if (other != this)
                    other->fMarked = false;
            }
        }
        fMarked = marked;
    }
    if (fMenu != nullptr)
        fMenu->_ItemChanged(this);
}

void BMenuItem::SetShortcut(char shortcut, uint32 modifiers)
{
    _UnregisterShortcut();
    {
        BPrivate::ShownMenuLock lock(fMenu);
        fShortcut = shortcut;
        fModifiers = modifiers;
    }
    _RegisterShortcut();
    if (fMenu != nullptr)
        fMenu->_ItemChanged(this);
}

char BMenuItem::Shortcut(uint32* modifiers) const
{
    if (modifiers != nullptr)
        *modifiers = fModifiers;
    return fShortcut;
}

std::string BMenuItem::ShortcutLabel() const
{
    if (fShortcut == 0)
        return std::string();
    std::string label;
    if ((fModifiers & B_CONTROL_KEY) != 0)
        label += "Ctrl+";
    if ((fModifiers & B_SHIFT_KEY) != 0)
        label += "Shift+";
    label += "Alt+";
    label += (char)toupper((unsigned char)fShortcut);
    return label;
}

BWindow* BMenuItem::_Window() const
{
    return fMenu != nullptr ? fMenu->_OwnerWindow() : nullptr;
}

void BMenuItem::_RegisterShortcut()
{
    if (fShortcut == 0 || fMenu == nullptr || !fMenu->fShortcutsRegistered)
        return;
    BWindow* window = fMenu->fShortcutWindow;
    // The action runs on the window's thread while it handles the key; the item unregisters
    // itself before it goes away, so the pointer is good whenever the action runs.
    BPrivate::add_window_shortcut(window, (uint32)(unsigned char)fShortcut, fModifiers, this,
                                  [this] {
                                      if (IsEnabled())
                                          Invoke();
                                  });
}

void BMenuItem::_UnregisterShortcut()
{
    if (fMenu != nullptr && fMenu->fShortcutsRegistered)
        BPrivate::remove_window_shortcuts(fMenu->fShortcutWindow, this);
}

status_t BMenuItem::Invoke(BMessage* message)
{
    BMessage* source = message != nullptr ? message : Message();
    if (source == nullptr)
        return B_BAD_VALUE;
    BMessage copy(*source);
    copy.AddInt64("when", system_time());
    copy.AddPointer("source", this);
    copy.AddInt32("index", fMenu != nullptr ? fMenu->IndexOf(this) : -1);
    if (Target() != nullptr || Messenger().IsValid())
        return BInvoker::Invoke(&copy);
    BWindow* window = _Window();
    if (window == nullptr)
        return B_BAD_VALUE;
    // The window itself, not its focus view: a view would take the window's own commands
    // (B_QUIT_REQUESTED, say) for its own and drop them.
    return BMessenger(window).SendMessage(&copy);
}

void BMenuItem::GetContentSize(float* width, float* height)
{
    const BView* view = fMenu;
    BFont font;
    if (view != nullptr)
        view->GetFont(&font);
    font_height metrics;
    font.GetHeight(&metrics);
    if (width != nullptr)
        *width = font.StringWidth(fLabel.c_str());
    if (height != nullptr)
        *height = metrics.ascent + metrics.descent + metrics.leading;
}

void BMenuItem::Draw()
{
    BMenu* menu = fMenu;
    if (menu == nullptr)
        return;
    const bool row = menu->Layout() == B_ITEMS_IN_ROW;
    const rgb_color background = ui_color(B_MENU_BACKGROUND_COLOR);
    rgb_color text = ui_color(fSelected ? B_MENU_SELECTED_ITEM_TEXT_COLOR : B_MENU_ITEM_TEXT_COLOR);
    if (fSelected && IsEnabled()) {
        menu->SetHighColor(ui_color(B_MENU_SELECTED_BACKGROUND_COLOR));
        menu->FillRect(fFrame);
    } else {
        menu->SetHighColor(background);
        menu->FillRect(fFrame);
    }
    if (!IsEnabled())
        text = tint_color(background, B_DISABLED_LABEL_TINT);
    menu->SetLowColor(fSelected && IsEnabled() ? ui_color(B_MENU_SELECTED_BACKGROUND_COLOR)
                                               : background);

    font_height metrics;
    menu->GetFontHeight(&metrics);
    const float lineHeight = metrics.ascent + metrics.descent;
    const float baseline = fFrame.top + (fFrame.Height() + 1 - lineHeight) / 2 + metrics.ascent;
    menu->SetHighColor(text);
    if (row) {
        menu->DrawString(fLabel.c_str(), BPoint(fFrame.left + 8, baseline));
        return;
    }
    menu->DrawString(fLabel.c_str(), BPoint(fFrame.left + 20, baseline));
    if (fMarked) {
        // A check mark in the left margin.
        const float midY = fFrame.top + fFrame.Height() / 2;
        menu->SetPenSize(2);
        menu->StrokeLine(BPoint(fFrame.left + 6, midY), BPoint(fFrame.left + 9, midY + 3));
        menu->StrokeLine(BPoint(fFrame.left + 9, midY + 3), BPoint(fFrame.left + 14, midY - 4));
        menu->SetPenSize(1);
    }
    if (fSubmenu != nullptr) {
        const float midY = fFrame.top + fFrame.Height() / 2;
        menu->FillTriangle(BPoint(fFrame.right - 10, midY - 4), BPoint(fFrame.right - 10, midY + 4),
                           BPoint(fFrame.right - 6, midY));
    } else if (fShortcut != 0) {
        const std::string shortcut = ShortcutLabel();
        const float width = menu->StringWidth(shortcut.c_str());
        menu->DrawString(shortcut.c_str(), BPoint(fFrame.right - 10 - width, baseline));
    }
}

// #pragma mark - BSeparatorItem

BSeparatorItem::BSeparatorItem() : BMenuItem("", nullptr)
{
    BMenuItem::SetEnabled(false);
}

BSeparatorItem::BSeparatorItem(BMessage* archive) : BMenuItem(archive)
{
    BMenuItem::SetEnabled(false);
}

BSeparatorItem::~BSeparatorItem() = default;

BArchivable* BSeparatorItem::Instantiate(BMessage* archive)
{
    if (!validate_instantiation(archive, "BSeparatorItem"))
        return nullptr;
    return new BSeparatorItem(archive);
}

status_t BSeparatorItem::Archive(BMessage* into, bool deep) const
{
    status_t status = BMenuItem::Archive(into, deep);
    if (status == B_OK)
        status = BPrivate::add_archived_class(into, "BSeparatorItem");
    return status;
}

void BSeparatorItem::SetEnabled(bool)
{
    // A separator is never chosen.
}

void BSeparatorItem::GetContentSize(float* width, float* height)
{
    if (width != nullptr)
        *width = 0;
    if (height != nullptr)
        *height = 4;
}

void BSeparatorItem::Draw()
{
    BMenu* menu = Menu();
    if (menu == nullptr)
        return;
    const BRect frame = Frame();
    const rgb_color background = ui_color(B_MENU_BACKGROUND_COLOR);
    menu->SetHighColor(background);
    menu->FillRect(frame);
    // Etched: a dark line with a light one under it.
    const float y = frame.top + frame.Height() / 2;
    menu->SetHighColor(tint_color(background, B_DARKEN_2_TINT));
    menu->StrokeLine(BPoint(frame.left + 1, y), BPoint(frame.right - 1, y));
    menu->SetHighColor(tint_color(background, B_LIGHTEN_2_TINT));
    menu->StrokeLine(BPoint(frame.left + 1, y + 1), BPoint(frame.right - 1, y + 1));
}
