// A menu while it is open in its menu window: the pointer and the keys there, on the menu
// window's thread. The owner's side of an open menu is MenuTracker.

#include <Menu.h>

#include <MenuField.h>
#include <MenuItem.h>
#include <Message.h>
#include <Window.h>

#include "MenuPrivate.h"
#include "MenuTracker.h"
#include "MenuWindow.h"

#include <algorithm>

// #pragma mark - an open menu (on its menu window's thread)

int32 BMenu::_ItemIndexAt(BPoint where) const
{
    for (size_t i = 0; i < fItems.size(); i++) {
        if (fItems[i]->fFrame.Contains(where))
            return (int32)i;
    }
    return -1;
}

void BMenu::_Select(int32 index)
{
    if (index == fSelected)
        return;
    if (BMenuItem* old = ItemAt(fSelected)) {
        old->fSelected = false;
        if (Window() != nullptr)
            Invalidate(old->fFrame);
    }
    fSelected = ItemAt(index) != nullptr ? index : -1;
    if (BMenuItem* item = ItemAt(fSelected)) {
        item->fSelected = true;
        if (Window() != nullptr)
            Invalidate(item->fFrame);
    }
}

void BMenu::_Highlight(int32 index)
{
    if (!BPrivate::is_selectable(ItemAt(index))) {
        // Nothing to highlight there (a separator, the space between the menus): an item
        // whose submenu is open keeps it, for the pointer on its way into it.
        if (BPrivate::opens_submenu(ItemAt(fSelected)))
            return;
        index = -1;
    }
    if (index == fSelected)
        return;
    _Select(index);
    _AskForSubmenu(index, false);
}

void BMenu::_AskForSubmenu(int32 index, bool selectFirst)
{
    if (fSubmenus != nullptr) {
        fSubmenus->OpenSubmenu(-1, index, selectFirst);
        return;
    }
    if (!fOwner.IsValid())
        return;
    BMessage submenu(BPrivate::kMenuSubmenu);
    submenu.AddInt32("serial", fOpenSerial);
    submenu.AddInt32("level", fLevel);
    submenu.AddInt32("index", index);
    submenu.AddBool("select", selectFirst);
    fOwner.SendMessage(&submenu);
}

int32 BMenu::_NextSelectable(int32 from, int32 direction) const
{
    const int32 count = CountItems();
    int32 index = from;
    for (int32 step = 0; step < count; step++) {
        if (index < 0)
            index = direction > 0 ? 0 : count - 1;
        else
            index = (index + direction + count) % count;
        if (BPrivate::is_selectable(fItems[(size_t)index]))
            return index;
    }
    return -1;
}

void BMenu::_ChooseSelected()
{
    if (BPrivate::opens_submenu(ItemAt(fSelected))) {
        _AskForSubmenu(fSelected, true);
        return;
    }
    if (!BPrivate::is_choosable(ItemAt(fSelected)))
        return;
    if (fSubmenus != nullptr) {
        // Shown as a view: the menu is its own owner, on this very thread.
        const int32 index = fSelected;
        fSubmenus->Close();
        _Select(-1);
        _ItemChosen(index);
        return;
    }
    BMessage chosen(BPrivate::kMenuChosen);
    chosen.AddInt32("serial", fOpenSerial);
    chosen.AddInt32("level", fLevel);
    chosen.AddInt32("index", fSelected);
    fOwner.SendMessage(&chosen);
}

void BMenu::MouseDown(BPoint where)
{
    _Highlight(_ItemIndexAt(where));
}

void BMenu::MouseUp(BPoint where)
{
    const int32 index = _ItemIndexAt(where);
    if (BPrivate::is_choosable(ItemAt(index))) {
        _Select(index);
        _ChooseSelected();
    }
}

void BMenu::MouseMoved(BPoint where, uint32 transit, const BMessage*)
{
    const bool outside = transit == B_EXITED_VIEW || transit == B_OUTSIDE_VIEW;
    _Highlight(outside ? -1 : _ItemIndexAt(where));
}

void BMenu::MessageReceived(BMessage* message)
{
    BMenu* menu = nullptr;
    int32 index = -1;
    if (fSubmenus != nullptr && fSubmenus->TakeChoice(message, &menu, &index)) {
        if (menu != nullptr)
            menu->_ItemChosen(index);
        return;
    }
    switch (message->what) {
    case BPrivate::kMenuKey: {
        int32 key = 0;
        message->FindInt32("key", &key);
        if (key == B_UP_ARROW || key == B_DOWN_ARROW) {
            _Select(_NextSelectable(fSelected, key == B_DOWN_ARROW ? 1 : -1));
            // A submenu opened from the item left behind closes; the new item's opens with
            // Right.
            _AskForSubmenu(-1, false);
        } else if (key == B_ENTER || key == B_SPACE) {
            _ChooseSelected();
        }
        break;
    }
    case BPrivate::kMenuHighlight:
    case BPrivate::kMenuRelease: {
        BPoint where;
        if (message->FindPoint("where", &where) != B_OK || Window() == nullptr)
            break;
        const BPoint local = ConvertFromScreen(where);
        if (message->what == BPrivate::kMenuHighlight)
            _Highlight(_ItemIndexAt(local));
        else
            MouseUp(local);
        break;
    }
    default:
        BView::MessageReceived(message);
        break;
    }
}

void BMenu::_ItemChosen(int32 index)
{
    BMenuItem* item = ItemAt(index);
    if (!BPrivate::is_choosable(item))
        return;
    if (fRadioMode)
        item->SetMarked(true);
    item->Invoke();
}
